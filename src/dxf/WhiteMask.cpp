#include "dxf/WhiteMask.h"

#include "dxf/WhiteMaskIndex.h"
#include "figure/Rounding.h"

#include <utility>

namespace mv {

// ---------------------------------------------------------------- building blocks

bool IsWhiteMask(const TmvExpDXFFigure& f) {
    if (f.Kind() != TFigureKind::Hatch) return false;
    const auto& hatch = static_cast<const TmvExpDXFHatch&>(f);
    return hatch.HatchStyle == BrushHatch::Solid && hatch.Data.Color == 255 && hatch.LoopCount == 1 &&
           hatch.LoopPointCount(0) == 4;
}

TRect WhiteRectOf(const TmvExpDXFHatch& mask) {
    const TdxfPoint a = mask.LoopPoint(0, 0);
    const TdxfPoint b = mask.LoopPoint(0, 2);
    return NormalizedRect(a.x, a.y, b.x, b.y);
}

TSegmentPieces ClipSegmentOutside(const TIntSegment& s, const TRect& r) {
    TSegmentPieces out;
    auto add = [&out](std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
        out.Items[out.Count++] = TIntSegment{static_cast<std::int32_t>(x1), static_cast<std::int32_t>(y1),
                                             static_cast<std::int32_t>(x2), static_cast<std::int32_t>(y2)};
    };
    const std::int64_t x1 = s.x1, y1 = s.y1, x2 = s.x2, y2 = s.y2;
    auto strictlyBetween = [](std::int64_t a, std::int64_t p, std::int64_t q) {
        return (p < a && a < q) || (q < a && a < p);
    };
    // The crossing lies between the end points, so it fits 32 bits; the
    // product of two coordinate differences needs more than 64 bits at worst.
    auto along = [](std::int64_t from, std::int64_t delta, std::int64_t part, std::int64_t whole) {
        return from + static_cast<std::int64_t>(static_cast<__int128>(delta) * part / whole);
    };

    // Each edge adds the part from the start to the crossing when the start
    // lies beyond that edge, else the part from the crossing to the end.
    auto verticalEdge = [&](std::int64_t a, bool startBeyond) {
        if (!strictlyBetween(a, x1, x2)) return;
        const std::int64_t y = along(y1, y2 - y1, a - x1, x2 - x1);
        if (y < r.Top || y > r.Bottom) return;
        if (startBeyond)
            add(x1, y1, a, y);
        else
            add(a, y, x2, y2);
    };
    auto horizontalEdge = [&](std::int64_t a, bool startBeyond) {
        if (!strictlyBetween(a, y1, y2)) return;
        const std::int64_t x = along(x1, x2 - x1, a - y1, y2 - y1);
        if (x < r.Left || x > r.Right) return;
        if (startBeyond)
            add(x1, y1, x, a);
        else
            add(x, a, x2, y2);
    };
    verticalEdge(r.Left, x1 < r.Left);
    verticalEdge(r.Right, x1 > r.Right);
    horizontalEdge(r.Top, y1 < r.Top);
    horizontalEdge(r.Bottom, y1 > r.Bottom);
    if (out.Count == 0) {
        const bool startInside = r.Left < x1 && x1 < r.Right && r.Top < y1 && y1 < r.Bottom;
        if (!startInside) out.Items[out.Count++] = s;
    }
    return out;
}

namespace {

// A line is rebuilt from its rounded end points: one new line per visible part.
void CutLine(const TmvExpDXFFigure& g, const TRect& white, TFigureList& pieces) {
    const TdxfPoint& p1 = g.Data.Point1;
    const TdxfPoint& p2 = g.Data.Point2;
    const TIntSegment s{RoundToInt32(p1.x), RoundToInt32(p1.y), RoundToInt32(p2.x), RoundToInt32(p2.y)};
    for (const TIntSegment& part : ClipSegmentOutside(s, white)) {
        auto line = std::make_unique<TmvExpDXFLine>(g.Data);
        line->Layer = g.Layer;
        line->Data.Point1.x = static_cast<float>(part.x1);
        line->Data.Point1.y = static_cast<float>(part.y1);
        line->Data.Point2.x = static_cast<float>(part.x2);
        line->Data.Point2.y = static_cast<float>(part.y2);
        pieces.push_back(std::move(line));
    }
}

} // namespace

bool CutFigure(const TmvExpDXFFigure& g, const TRect& white, TFigureList& pieces) {
    switch (g.Kind()) {
    case TFigureKind::MText:
        if (!g.IntersectsRect(white)) return false;
        static_cast<const TmvExpDXFMText&>(g).TrimText(white, pieces);
        return true;
    case TFigureKind::Ellipse:
    case TFigureKind::Arc:
    case TFigureKind::Rectangle:
    case TFigureKind::Polyline:
    case TFigureKind::PolyBezier: {
        if (!g.IntersectsRect(white)) return false;
        TFigureList lines;
        g.SplitIntoLines(lines);
        // The last line's parts come first; the caller turns the list around
        // when it puts the pieces in the figure's place.
        for (std::size_t i = lines.size(); i-- > 0;) {
            if (!CutFigure(*lines[i], white, pieces)) pieces.push_back(std::move(lines[i]));
        }
        return true;
    }
    case TFigureKind::Line:
        CutLine(g, white, pieces);
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- the plain pass

void ApplyWhiteMasksReference(TFigureList& figures) {
    std::size_t i = 0;
    while (i < figures.size()) {
        if (!IsWhiteMask(*figures[i])) {
            ++i;
            continue;
        }
        // The fill becomes the rectangle through its loop's opposite corners.
        const auto& hatch = static_cast<const TmvExpDXFHatch&>(*figures[i]);
        auto rect = std::make_unique<TmvExpDXFRectangle>(hatch.Data);
        rect->Data.Point1 = hatch.LoopPoint(0, 0);
        rect->Data.Point2 = hatch.LoopPoint(0, 2);
        figures[i] = std::move(rect);
        const TdxfPoint& a = figures[i]->Data.Point1;
        const TdxfPoint& b = figures[i]->Data.Point2;
        const TRect white = NormalizedRect(a.x, a.y, b.x, b.y);

        // Every figure before the fill is cut, from the nearest down to the
        // first; the list changes only when all cuts have succeeded.
        std::vector<std::pair<std::size_t, TFigureList>> replaced;
        for (std::size_t j = i; j-- > 0;) {
            TFigureList pieces;
            if (CutFigure(*figures[j], white, pieces)) replaced.emplace_back(j, std::move(pieces));
        }
        TFigureList next;
        next.reserve(figures.size());
        auto cut = replaced.rbegin();
        for (std::size_t j = 0; j < i; ++j) {
            if (cut == replaced.rend() || cut->first != j) {
                next.push_back(std::move(figures[j]));
                continue;
            }
            // Each piece is inserted at the figure's place, so they end up reversed.
            for (auto piece = cut->second.rbegin(); piece != cut->second.rend(); ++piece)
                next.push_back(std::move(*piece));
            ++cut;
        }
        const std::size_t count = next.size();
        for (std::size_t j = i + 1; j < figures.size(); ++j)
            next.push_back(std::move(figures[j]));
        figures.swap(next);
        // The white fill itself is not written: it is left out of the new list.
        i = count;
    }
}

// ---------------------------------------------------------------- the indexed pass
//
// Every figure develops on its own: a mask replaces it by pieces, and later
// masks act on those pieces. So the pass follows each figure before the last
// mask through the masks after it, in mask order, and emits its final pieces
// where the figure stood. The plain pass visits every (figure, mask) pair;
// this one skips only pairs whose visit provably changes nothing and cannot
// fail:
//  - A figure is visited by the first mask after it in any case, and a text
//    piece by the first mask after the one that made it. For a line that
//    visit rounds its end points (and may fail as the plain pass does); for
//    other figures it computes their rectangle once (and may fail likewise).
//  - A line with whole-number end points is rebuilt unchanged by a mask
//    whose closed rectangle its closed bounding box does not meet: no edge
//    crossing counts and its start is not inside.
//  - A text, curve, rectangle or polyline whose rectangle did not fail stays
//    unchanged under a mask that misses ConservativeBox, which holds the
//    figure's rectangle.
//  - Points and hatches never change.
// Pairs are visited per figure in mask order, so every state a figure passes
// through is the one the plain pass makes, and a range error raised by the
// plain pass is raised here too (perhaps for another figure first).

namespace {

struct TWork {
    std::size_t Origin = 0;                 // position in the input list, when Owned is empty
    std::unique_ptr<TmvExpDXFFigure> Owned; // a piece made by the pass
    std::size_t Next = 0;                   // the first mask still to come
    bool Settled = false;                   // rounded line, or rectangle computed once
    TBox Box;                               // where a settled figure can be touched
};

struct TOutput {
    std::size_t Origin = 0;
    std::unique_ptr<TmvExpDXFFigure> Owned;
};

} // namespace

void ApplyWhiteMasks(TFigureList& figures) {
    std::vector<std::size_t> maskAt;
    std::vector<TRect> rects;
    for (std::size_t i = 0; i < figures.size(); ++i) {
        if (!IsWhiteMask(*figures[i])) continue;
        maskAt.push_back(i);
        rects.push_back(WhiteRectOf(static_cast<const TmvExpDXFHatch&>(*figures[i])));
    }
    if (maskAt.empty()) return;
    const TMaskIndex index(std::move(rects));
    const std::size_t m = index.Size();

    // The input list stays untouched until the end, so a range error leaves
    // the drawing as it was.
    std::vector<TOutput> out;
    out.reserve(figures.size());
    std::vector<TWork> stack;
    std::size_t nextMask = 0;
    for (std::size_t i = 0; i < figures.size(); ++i) {
        if (nextMask < m && maskAt[nextMask] == i) {
            ++nextMask;
            continue;
        }
        const TFigureKind kind = figures[i]->Kind();
        if (nextMask == m || kind == TFigureKind::Pixel || kind == TFigureKind::Hatch) {
            out.push_back(TOutput{i, nullptr});
            continue;
        }
        stack.push_back(TWork{i, nullptr, nextMask, false, TBox{}});
        while (!stack.empty()) {
            TWork w = std::move(stack.back());
            stack.pop_back();
            const TmvExpDXFFigure& f = w.Owned ? *w.Owned : *figures[w.Origin];
            TFigureList pieces;
            std::size_t cutBy = TMaskIndex::npos;
            while (w.Next < m) {
                const std::size_t k = w.Settled ? index.FirstMeeting(w.Box, w.Next) : w.Next;
                if (k == TMaskIndex::npos) break;
                if (CutFigure(f, index.Mask(k), pieces)) {
                    cutBy = k;
                    break;
                }
                if (!w.Settled) {
                    w.Settled = true;
                    w.Box = ConservativeBox(f);
                }
                w.Next = k + 1;
            }
            if (cutBy == TMaskIndex::npos) {
                out.push_back(TOutput{w.Origin, std::move(w.Owned)});
                continue;
            }
            // The pieces take the figure's place in reverse order: the last
            // one pushed is followed first.
            for (auto& piece : pieces) {
                const bool line = piece->Kind() == TFigureKind::Line;
                const TBox box = line ? RoundedLineBox(*piece) : TBox{};
                stack.push_back(TWork{0, std::move(piece), cutBy + 1, line, box});
            }
        }
    }

    TFigureList result;
    result.reserve(out.size());
    for (TOutput& o : out)
        result.push_back(o.Owned ? std::move(o.Owned) : std::move(figures[o.Origin]));
    figures.swap(result);
}

} // namespace mv
