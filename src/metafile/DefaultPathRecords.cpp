// The default mode's path records, and the drawing records that fill
// regions, gradients and blocks: the part of the player that works with
// whole paths and coloured areas rather than single shapes.
#include "figure/Colors.h"
#include "metafile/DefaultPlayer.h"
#include "metafile/PathFigures.h"
#include "metafile/RecordShapes.h"
#include "platform/Errors.h"

#include <algorithm>
#include <cmath>

namespace mv {

namespace {

TFigurePath LoopPath(const std::vector<TFigPoint>& loop) {
    TFigurePath path;
    path.MoveTo(loop.front());
    for (std::size_t i = 1; i < loop.size(); ++i)
        path.LineTo(loop[i]);
    path.Close();
    return path;
}

} // namespace

TPointMapper TmvDefaultPlayer::LogicalMapper() const {
    const TMapping& m = state_.Mapping;
    return [&m](double x, double y) { return m.MapPoint(x, y); };
}

TPolyFillMode TmvDefaultPlayer::FillMode() const {
    constexpr std::uint32_t WINDING = 2;
    return state_.PolyFillMode == WINDING ? TPolyFillMode::Winding : TPolyFillMode::Alternate;
}

std::optional<TFillLook> TmvDefaultPlayer::FillLookOfObject(std::uint32_t index) {
    std::shared_ptr<const TmvBrush> brush;
    if (index & 0x80000000u) {
        // The stock brushes: white, light grey, grey, dark grey, black; NULL_BRUSH fills nothing.
        constexpr std::uint32_t kStockRgb[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
        const std::uint32_t stock = index & 0x7FFFFFFFu;
        if (stock >= 5) return std::nullopt;
        auto made = std::make_shared<TmvBrush>();
        made->Rgb = kStockRgb[stock];
        brush = std::move(made);
    } else if (index < objects_.size() && objects_[index] && objects_[index]->Kind == TmvGDI::TKind::Brush) {
        brush = std::static_pointer_cast<const TmvBrush>(objects_[index]);
    } else {
        return std::nullopt;
    }
    // The brush's look as it would be selected.
    std::swap(brush, state_.Brush);
    const std::optional<TFillLook> look = FillLook();
    std::swap(brush, state_.Brush);
    return look;
}

// ---------------------------------------------------------------- the path bracket

void TmvDefaultPlayer::PathRecord(std::uint32_t type) {
    switch (type) {
    case emr::BEGINPATH:
        path_.Begin();
        emitter_.Recording = &path_;
        return;
    case emr::ENDPATH:
        path_.End();
        emitter_.Recording = nullptr;
        return;
    case emr::ABORTPATH:
        path_.Abort();
        emitter_.Recording = nullptr;
        return;
    case emr::CLOSEFIGURE:
        if (path_.Recording()) path_.CloseFigure();
        return;
    case emr::FLATTENPATH:
        if (path_.Ready()) path_.Flatten();
        return;
    case emr::WIDENPATH:
        if (const std::optional<TStrokeLook> pen = StrokeLook()) path_.Widen(pen->Width);
        return;
    default:
        break;
    }
    // The records that use the finished path up.
    const std::optional<float> widened = path_.WidenedBy();
    const std::optional<TFigurePath> path = path_.Take();
    if (!path) return;
    const bool fills = type == emr::FILLPATH || type == emr::STROKEANDFILLPATH;
    const bool strokes = type == emr::STROKEPATH || type == emr::STROKEANDFILLPATH;
    IFigureSink& sink = emitter_.Sink();
    if (fills) {
        if (const std::optional<TFillLook> fill = FillLook()) {
            if (widened) {
                // A widened path is the band along the outline: its outline drawn that wide.
                StrokePathFigures(*path, TStrokeLook{fill->Color, fill->TrueColor, *widened, ""}, sink);
            } else {
                FillPathFigures(*path, *fill, FillMode(), sink);
            }
        }
    }
    if (strokes) {
        if (const std::optional<TStrokeLook> stroke = StrokeLook()) StrokePathFigures(*path, *stroke, sink);
    }
}

void TmvDefaultPlayer::SelectClipPath(const TRecordReader& r) {
    const std::uint32_t mode = DecodeSingleValue(r).Value;
    const std::optional<TFigurePath> path = path_.Take();
    if (!path) return;
    CombineClip(PathClipRegion(*path, FillMode()), mode);
}

// ---------------------------------------------------------------- point types

void TmvDefaultPlayer::PolyDraw(const TRecordReader& r, TPointSize size) {
    const TEmrPolyDraw rec = DecodePolyDraw(r, size);
    TDrawShape shape;
    const TPolyDrawResult result = AppendPolyDraw(rec, LogicalMapper(), PositionPoint(), shape.Path);
    if (!result.Valid) return;
    if (result.Moved) state_.Position = TFigPoint{double(result.Last.x), double(result.Last.y)};
    DrawShape(shape, false);
}

// ---------------------------------------------------------------- regions, gradients, blocks

void TmvDefaultPlayer::RegionRecord(const TRecordReader& r, std::uint32_t type) {
    const TEmrRegion rec = type == emr::FILLRGN    ? DecodeFillRgn(r)
                           : type == emr::PAINTRGN ? DecodePaintRgn(r)
                                                   : DecodeFrameRgn(r);
    const std::optional<TFillLook> look = type == emr::PAINTRGN ? FillLook() : FillLookOfObject(rec.ihBrush);
    if (!look) return;
    const TPointMapper map = LogicalMapper();
    if (type != emr::FRAMERGN) {
        std::vector<std::vector<TFigPoint>> loops;
        for (const TRectL& rect : MergeRegionRects(rec.RgnData.Rects))
            loops.push_back(RectLoop(rect.Left, rect.Top, rect.Right, rect.Bottom, map));
        FillLoopsHatch(loops, *look, emitter_.Sink());
        return;
    }
    // The frame lies inside the region's edge: its middle half its width in.
    const double fx = std::abs(double(rec.Frame.cx)), fy = std::abs(double(rec.Frame.cy));
    const TMapping& m = state_.Mapping;
    const double width = (Length(m.MapVector(fx, 0)) + Length(m.MapVector(0, fy))) / 2;
    TFigurePath outline;
    for (const TRectL& rect : MergeRegionRects(rec.RgnData.Rects)) {
        const double dx = std::min(fx, double(rect.Right) - rect.Left) / 2;
        const double dy = std::min(fy, double(rect.Bottom) - rect.Top) / 2;
        const std::vector<TFigPoint> loop =
            RectLoop(rect.Left + dx, rect.Top + dy, rect.Right - dx, rect.Bottom - dy, map);
        outline.MoveTo(loop[0]);
        for (std::size_t i = 1; i < loop.size(); ++i)
            outline.LineTo(loop[i]);
        outline.Close();
    }
    StrokePathFigures(outline, TStrokeLook{look->Color, look->TrueColor, static_cast<float>(width), ""},
                      emitter_.Sink());
}

void TmvDefaultPlayer::GradientFill(const TRecordReader& r) {
    const std::vector<TColorPiece> pieces = GradientPieces(DecodeGradientFill(r), LogicalMapper());
    // Neighbouring pieces of one colour share a hatch.
    std::vector<std::vector<TFigPoint>> loops;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        loops.push_back(pieces[i].Loop);
        if (i + 1 < pieces.size() && pieces[i + 1].Rgb == pieces[i].Rgb) continue;
        const std::uint32_t rgb = pieces[i].Rgb;
        FillLoopsHatch(loops, TFillLook{ColorToIndex(rgb, AlternativeBlack()), TrueColorOf(rgb)},
                       emitter_.Sink());
        loops.clear();
    }
}

void TmvDefaultPlayer::BitBlt(const TRecordReader& r) {
    const std::optional<TEmrBitBlt> blit = DecodeBitBlt(r, emr::BITBLT);
    if (!blit) throw EInvalidMetafile();
    const TEmrBitBlt& rec = *blit;
    std::optional<TFillLook> look;
    switch (rec.Operation) {
    case TEmrBitBlt::PATCOPY:
        look = FillLook();
        break;
    case TEmrBitBlt::BLACKNESS:
    case TEmrBitBlt::WHITENESS: {
        const std::uint32_t rgb = rec.Operation == TEmrBitBlt::WHITENESS ? 0xFFFFFF : 0;
        look = TFillLook{ColorToIndex(rgb, AlternativeBlack()), TrueColorOf(rgb)};
        break;
    }
    default:
        return; // the other operations need the bitmap or what lies under it
    }
    if (!look) return;
    const double x0 = rec.xDest, y0 = rec.yDest;
    TDrawShape shape;
    shape.Path = LoopPath(RectLoop(x0, y0, x0 + rec.cxDest, y0 + rec.cyDest, LogicalMapper()));
    shape.IsRectangle = true;
    emitter_.Fill(shape, *look);
}

void TmvDefaultPlayer::OpaqueBox(const TRectL& box) {
    // Inside a path bracket a text adds nothing, and neither does its box.
    if (emitter_.Recording) return;
    if (box.Left == box.Right || box.Top == box.Bottom) return;
    std::vector<TFigPoint> loop = RectLoop(box.Left, box.Top, box.Right, box.Bottom, LogicalMapper());
    const TPictureFrame& frame = state_.Mapping.Frame();
    const bool upright = loop[0].y == loop[1].y || loop[0].x == loop[1].x;
    if (upright && frame.Width() > 0 && frame.Height() > 0) {
        // The box paints the picture's surface only. Programs erase the
        // whole surface this way, far beyond the picture at times.
        for (TFigPoint& p : loop)
            p = TFigPoint{std::clamp(p.x, 0.0, frame.Width()), std::clamp(p.y, 0.0, frame.Height())};
        TFigBox area;
        for (const TFigPoint& p : loop)
            area.Take(p);
        if (!(area.MaxX > area.MinX && area.MaxY > area.MinY)) return;
        // White on the whole surface is the paper itself.
        const bool wholeSurface =
            area.MinX == 0 && area.MinY == 0 && area.MaxX == frame.Width() && area.MaxY == frame.Height();
        if (wholeSurface && (state_.BkColor & 0xFFFFFF) == 0xFFFFFF) return;
    }
    const std::uint32_t rgb = state_.BkColor;
    TDrawShape shape;
    shape.Path = LoopPath(loop);
    shape.IsRectangle = true;
    emitter_.Fill(shape, TFillLook{ColorToIndex(rgb, AlternativeBlack()), TrueColorOf(rgb)});
}

} // namespace mv
