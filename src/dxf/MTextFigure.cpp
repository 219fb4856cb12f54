#include "dxf/EntityGroups.h"
#include "dxf/Figures.h"
#include "dxf/GroupWriter.h"
#include "figure/MTextCodes.h"
#include "figure/Rounding.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace mv {

namespace {

// Readers take a value line of at most this many characters; longer
// contents go ahead in chunks of group 3.
constexpr std::size_t kContentsChunk = 250;

bool HasControlCharacters(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// Where each unit of the text starts, and its end as the last entry: an
// escaped character or a code counts as one character.
std::vector<std::size_t> UnitStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    starts.reserve(text.size() + 1);
    for (std::size_t pos = 0; pos < text.size(); pos += MTextUnitLength(text, pos))
        starts.push_back(pos);
    starts.push_back(text.size());
    return starts;
}

} // namespace

std::string TmvExpDXFMText::ContentsForFile(std::string_view contents) {
    // The contents are one value line: a line break inside would end the
    // group early and turn the rest of the text into group codes.
    std::string out;
    out.reserve(contents.size() + 8);
    for (std::size_t i = 0; i < contents.size(); ++i) {
        const char c = contents[i];
        if (c == '\r' || c == '\n') {
            out += "\\P";
            // CR LF is one break, not two.
            if (c == '\r' && i + 1 < contents.size() && contents[i + 1] == '\n') ++i;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

std::size_t TmvExpDXFMText::PlainPartStart(std::string_view contents) {
    // Font codes end at the first ";"; an underline code and a width code
    // directly after it belong to the prefix as well.
    const std::size_t semicolon = contents.find(';');
    if (semicolon == std::string_view::npos) return 0;
    std::size_t start = semicolon + 1;
    if (contents.substr(start, 2) == "\\L") start += 2;
    if (contents.substr(start, 2) == "\\W") start += MTextUnitLength(contents, start);
    return start;
}

void TmvExpDXFMText::Export(TGroupWriter& out) const {
    out.AddEntityHeader("MTEXT", "AcDbMText");
    out.AddColor(Data);
    out.AddPoint(10, Data.Point1);
    AddReal(out, 40, out.ScaleValue(Data.Height));
    // A text fitted to its width by a width code gets a reference width with
    // room to spare: some readers wrap a fitted text that has none.
    const std::string_view prefix = std::string_view(Data.Text).substr(0, PlainPartStart(Data.Text));
    if (prefix.find("\\W") != std::string_view::npos && Data.TextWidth > 0)
        AddReal(out, 41, out.ScaleValue(2 * Data.TextWidth));
    if (Data.Rotation != 0) AddReal(out, 50, Data.Rotation);
    if (Data.Align != 0) out.AddInt(71, Data.Align + 1);
    std::string converted;
    std::string_view contents = Data.Text;
    if (HasControlCharacters(contents)) contents = converted = ContentsForFile(contents);
    while (contents.size() > kContentsChunk) {
        const std::size_t n = MTextChunkLength(contents, kContentsChunk);
        out.AddCodeLine(3);
        out.AddRawLine(contents.substr(0, n));
        contents.remove_prefix(n);
    }
    out.AddCodeLine(1);
    out.AddRawLine(contents);
}

bool TmvExpDXFMText::IntersectsRect(const TRect& rect) const {
    const float rotation = Data.Rotation;
    if (rotation == 0 || rotation == 90 || rotation == 270) {
        // Integer corners, each value rounded on its own; the sums are
        // range-checked like every rectangle coordinate.
        const std::int64_t x = RoundToInt32(Data.Point1.x), y = RoundToInt32(Data.Point1.y);
        const std::int64_t w = RoundToInt32(Data.TextWidth), h = RoundToInt32(Data.Height);
        std::int64_t x2, y2;
        if (rotation == 0) {
            x2 = x + w; // the text hangs below its insertion point
            y2 = y - h;
        } else if (rotation == 90) {
            x2 = x + h;
            y2 = y + w;
        } else {
            x2 = x - h;
            y2 = y - w;
        }
        return RectsIntersect(NormalizedRect(x, y, x2, y2), rect);
    }
    // Any other direction: the bounding box of the turned text box, which runs
    // TextWidth along the baseline and hangs Height below it.
    const long double a = Data.Rotation * std::numbers::pi_v<long double> / 180;
    const long double dx = std::cos(a), dy = std::sin(a);
    const long double w = Data.TextWidth, h = Data.Height;
    const long double x = Data.Point1.x, y = Data.Point1.y;
    const long double xs[4] = {x, x + w * dx, x + h * dy, x + w * dx + h * dy};
    const long double ys[4] = {y, y + w * dy, y - h * dx, y + w * dy - h * dx};
    const auto [minX, maxX] = std::minmax_element(std::begin(xs), std::end(xs));
    const auto [minY, maxY] = std::minmax_element(std::begin(ys), std::end(ys));
    return RectsIntersect(NormalizedRect(*minX, *minY, *maxX, *maxY), rect);
}

void TmvExpDXFMText::TrimText(const TRect& rect, TFigureList& list) const {
    const float rotation = Data.Rotation;
    // Only the three axis directions have a defined trimming.
    if (rotation != 0 && rotation != 90 && rotation != 270) return;
    const long double x = Data.Point1.x, y = Data.Point1.y, w = Data.TextWidth;
    // Without an extent along the baseline no share of the text can be told.
    if (!(w != 0 && std::isfinite(w))) return;

    const std::string_view contents = Data.Text;
    const std::size_t plainStart = PlainPartStart(contents);
    const std::string_view prefix = contents.substr(0, plainStart);
    const std::string_view plain = contents.substr(plainStart);
    // Pieces never cut an escaped character or a code apart.
    const std::vector<std::size_t> units = UnitStarts(plain);
    const std::size_t length = units.size() - 1;

    auto count = [&](long double share) {
        const std::int64_t n = RoundToInt64(static_cast<long double>(length) * share);
        return static_cast<std::size_t>(std::clamp<std::int64_t>(n, 0, static_cast<std::int64_t>(length)));
    };
    // A piece holding n characters of the plain part; the start coordinate is
    // changed by the caller for a piece after the rectangle.
    auto piece = [&](std::size_t n, bool first) -> TmvExpDXFMText& {
        auto text = std::make_unique<TmvExpDXFMText>(Data);
        text->Layer = Layer;
        text->Data.Text.assign(prefix);
        text->Data.Text.append(first ? plain.substr(0, units[n]) : plain.substr(units[length - n]));
        text->Data.TextWidth = length == 0 ? 0.0f : static_cast<float>(w * n / length);
        TmvExpDXFMText& ref = *text;
        list.push_back(std::move(text));
        return ref;
    };

    if (rotation == 0) {
        if (rect.Left > x) piece(count((rect.Left - x) / w), true);
        if (rect.Right < x + w) {
            const long double share = (x + w - rect.Right) / w;
            piece(count(share), false).Data.Point1.x = static_cast<float>(x + w - share * w);
        }
    } else if (rotation == 90) {
        if (rect.Top > y) piece(count((rect.Top - y) / w), true);
        if (rect.Bottom < y + w) {
            const long double share = (y + w - rect.Bottom) / w;
            piece(count(share), false).Data.Point1.y = static_cast<float>(y + w - share * w);
        }
    } else {
        if (rect.Bottom < y) piece(count((y - rect.Bottom) / w), true);
        if (rect.Top > y - w) {
            const long double share = (rect.Top - (y - w)) / w;
            piece(count(share), false).Data.Point1.y = static_cast<float>(y - (w - share * w));
        }
    }
}

} // namespace mv
