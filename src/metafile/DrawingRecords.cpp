// Drawing records: each becomes zero or more figures of the sink, made from
// the description in Data.
#include "figure/Colors.h"
#include "figure/LineTypes.h"
#include "figure/Rounding.h"
#include "metafile/Metafile.h"
#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "platform/TextMeasure.h"

#include <cmath>
#include <numbers>

namespace mv {

namespace {

constexpr long double Pi = std::numbers::pi_v<long double>;

// Little-endian fields of a range that has been checked against the record.
std::int32_t Le32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}
std::int16_t Le16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(p[0] | p[1] << 8);
}

std::int32_t CheckedInt32(std::int64_t v) {
    if (v < INT32_MIN || v > INT32_MAX) throw ERangeError();
    return static_cast<std::int32_t>(v);
}

} // namespace

// ---------------------------------------------------------------- fill and outline

void TmvMetafile::Fill(HatchKind kind) {
    if (!Brush) return;
    Data.Color = Brush->Color;
    Data.HatchStyle = Brush->HatchStyle;
    Data.Kind = kind;
    Sink.AddHatch(Data);
}

bool TmvMetafile::OutlineNeeded() {
    if (!Pen) return false;
    // A solid fill in the pen's colour already shows the outline.
    if (Brush && Brush->HatchStyle == BrushHatch::Solid && Brush->Color == Pen->Color) return false;
    Data.Color = Pen->Color;
    return true;
}

// ---------------------------------------------------------------- point lists

void TmvMetafile::PolyRecord(std::span<const std::uint8_t> bytes, bool points16, bool closed,
                             bool movesPosition, bool bezier) {
    const TRecordReader r(bytes);
    ApplyPen();
    // Bounds (8..23), point count, then the points.
    const std::uint32_t count = r.U32(24);
    constexpr std::size_t at = 28;
    r.Require(at, count, points16 ? 4 : 8);
    TdxfPointList list;
    list.reserve(count);
    TIntPoint last;
    const std::uint8_t* p = bytes.data() + at;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (points16) {
            last = TransformPoint(Le16(p), Le16(p + 2));
            p += 4;
        } else {
            last = TransformPoint(Le32(p), Le32(p + 4));
            p += 8;
        }
        list.push_back(OutputPoint(last));
    }
    Data.Points.push_back(std::move(list));
    Data.Count = 1;
    Data.Flags = closed ? FigureFlags::Closed : FigureFlags::None;
    if (movesPosition && count > 0) Position = last;
    if (closed) {
        Fill(HatchKind::Polygon);
        if (!OutlineNeeded()) return;
    } else if (!Pen) {
        return;
    }
    if (bezier)
        Sink.AddPolyBezier(Data, 0);
    else
        Sink.AddPolyline(Data, 0);
}

void TmvMetafile::PolyPolyRecord(std::span<const std::uint8_t> bytes, bool closed) {
    const TRecordReader r(bytes);
    ApplyPen();
    // Bounds (8..23), nPolys, total point count, the counts, then 16-bit points.
    const std::uint32_t nPolys = r.U32(24);
    const std::uint32_t total = r.U32(28);
    r.Require(32, nPolys, 4);
    const std::uint8_t* counts = bytes.data() + 32;
    std::uint64_t sum = 0;
    for (std::uint32_t k = 0; k < nPolys; ++k)
        sum += static_cast<std::uint32_t>(Le32(counts + 4 * std::size_t{k}));
    const std::size_t pointsAt = 32 + 4 * std::size_t{nPolys};
    if (sum > total) throw EInvalidMetafile();
    r.Require(pointsAt, sum, 4);

    Data.Count = static_cast<std::uint16_t>(nPolys);
    Data.Flags = closed ? FigureFlags::Closed : FigureFlags::None;
    Data.Points.resize(nPolys);
    const std::uint8_t* p = bytes.data() + pointsAt;
    for (std::uint32_t k = 0; k < nPolys; ++k) {
        const auto n = static_cast<std::uint32_t>(Le32(counts + 4 * std::size_t{k}));
        TdxfPointList& list = Data.Points[k];
        list.reserve(n);
        for (std::uint32_t i = 0; i < n; ++i, p += 4)
            list.push_back(OutputPoint(TransformPoint(Le16(p), Le16(p + 2))));
    }
    if (closed) {
        Fill(HatchKind::Polygon);
        if (!OutlineNeeded()) return;
    } else if (!Pen) {
        return;
    }
    for (std::uint32_t k = 0; k < nPolys; ++k)
        Sink.AddPolyline(Data, static_cast<int>(k));
}

// ---------------------------------------------------------------- lines, pixels, boxes

void TmvMetafile::LineTo(const TRecordReader& r) {
    const TIntPoint to = ReadPoint(r, 8);
    if (!Pen || Pen->Style == PenStyle::Null) {
        Position = to;
        return;
    }
    ApplyPen();
    Data.Point1 = OutputPoint(Position);
    Data.Point2 = OutputPoint(to);
    Position = to;
    Sink.AddLine(Data);
}

void TmvMetafile::SetPixel(const TRecordReader& r) {
    Data.Color = ColorToIndex(r.U32(16), AlternativeBlack());
    Data.Point1 = MapPoint(r.I32(8), r.I32(12));
    Sink.AddPixel(Data);
}

void TmvMetafile::Rectangle(const TRecordReader& r) {
    ApplyPen();
    const TdxfPoint p1 = MapPoint(r.I32(8), r.I32(12));
    const TdxfPoint p2 = MapPoint(r.I32(16), r.I32(20));
    Data.Point1 = p1;
    Data.Point2 = p2;
    if (Brush) {
        Data.Count = 1;
        Data.Points.push_back({{p1.x, p1.y, 0}, {p2.x, p1.y, 0}, {p2.x, p2.y, 0}, {p1.x, p2.y, 0}});
        Fill(HatchKind::Polygon);
    }
    if (OutlineNeeded()) Sink.AddRectangle(Data);
}

void TmvMetafile::RoundRect(const TRecordReader& r) {
    const TIntPoint lt = ReadPoint(r, 8);
    const TIntPoint rb = ReadPoint(r, 16);
    // Halves of unsigned values: a turned-over box takes half the corner size.
    auto half = [](std::int64_t v) { return std::int64_t{static_cast<std::uint32_t>(v) / 2}; };
    const std::int64_t L = lt.x, T = lt.y, R = rb.x, B = rb.y;
    const std::int64_t dx = std::min(half(R - L), half(r.I32(24)));
    const std::int64_t dy = std::min(half(B - T), half(r.I32(28)));
    auto map = [this](std::int64_t x, std::int64_t y) {
        return TdxfPoint{static_cast<float>(x - WindowOrg.x), static_cast<float>(WindowOrg.y - y), 0};
    };
    Data.Points.push_back({map(L + dx, T), map(R - dx, T), map(R, T + dy), map(R, B - dy), map(R - dx, B),
                           map(L + dx, B), map(L, B - dy), map(L, T + dy)});
    ApplyPen();
    Data.Flags = FigureFlags::Closed;
    Data.Count = 1;
    Sink.AddPolyline(Data, 0);
}

// ---------------------------------------------------------------- circles, ellipses, arcs

TmvMetafile::TShape TmvMetafile::SetUpShape(const TRecordReader& r) {
    using L = long double;
    const TIntPoint lt = ReadPoint(r, 8);
    const TIntPoint rb = ReadPoint(r, 16);
    // A box turned over (by a mirroring transform, or given that way) is put
    // in order first: taken as it stands, it gives negative radii and axis
    // ratios, which are no valid CIRCLE or ELLIPSE, and turns circles into
    // "ellipses". The centre is the same either way.
    const std::int64_t left = std::min(lt.x, rb.x), top = std::min(lt.y, rb.y),
                       right = std::int64_t{std::max(lt.x, rb.x)} + 1,
                       bottom = std::int64_t{std::max(lt.y, rb.y)} + 1;
    const std::int64_t w = right - left, h = bottom - top;
    TShape s;
    s.IsCircle = std::llabs(w - h) <= 1;
    Data.Point1 = TdxfPoint{static_cast<float>(L(left + right) / 2 - WindowOrg.x),
                            static_cast<float>(-L(top + bottom) / 2 + WindowOrg.y), 0};
    s.Rx = L(w) / 2;
    s.Ry = L(h) / 2;
    s.M = s.Rx >= s.Ry ? s.Rx : s.Ry; // at least 1/2: the ordered box is never empty
    Data.Radius = static_cast<float>(s.M);
    Data.Point2 = TdxfPoint{static_cast<float>(s.Rx / s.M), static_cast<float>(s.Ry / s.M), 0};
    Data.StartAngle = 0;
    Data.EndAngle = 360;
    return s;
}

void TmvMetafile::ToEllipseForm(const TShape& shape) {
    const float m = static_cast<float>(shape.M);
    const float rxRel = Data.Point2.x, ryRel = Data.Point2.y;
    if (rxRel > ryRel) {
        Data.Point2 = TdxfPoint{m, 0, 0};
        Data.Radius = ryRel;
    } else {
        Data.Point2 = TdxfPoint{0, m, 0};
        Data.Radius = rxRel;
    }
}

void TmvMetafile::Ellipse(const TRecordReader& r) {
    ApplyPen();
    const TShape shape = SetUpShape(r);
    if (shape.IsCircle) {
        Sink.AddCircle(Data);
    } else {
        ToEllipseForm(shape);
        Sink.AddEllipse(Data);
    }
    Fill(shape.IsCircle ? HatchKind::Circle : HatchKind::Ellipse);
}

void TmvMetafile::ArcRecord(const TRecordReader& r) {
    using L = long double;
    ApplyPen();
    const TShape shape = SetUpShape(r);
    const L rx = Data.Point2.x, ry = Data.Point2.y;
    const L cx = Data.Point1.x, cy = Data.Point1.y;
    auto angle = [&](std::size_t at) -> L {
        const TdxfPoint q = MapPoint(r.I32(at), r.I32(at + 4));
        const L dx = L(q.x) - cx, dy = L(q.y) - cy;
        if (shape.IsCircle) return std::atan2(dy * ry, dx * rx) * 180 / Pi;
        // Elliptical parameter, measured from the major axis.
        if (rx < ry) return std::atan2(dy * rx, dx * ry) - Pi / 2;
        return Pi / 2 - std::atan2(dx * ry, dy * rx);
    };
    Data.StartAngle = static_cast<float>(angle(24));
    Data.EndAngle = static_cast<float>(angle(32));
    if (shape.IsCircle) {
        Data.Kind = ArcShape::Circular;
    } else {
        ToEllipseForm(shape);
        Data.Kind = ArcShape::Elliptical;
    }
    Sink.AddArc(Data);
}

void TmvMetafile::AngleArc(const TRecordReader& r) {
    ApplyPen();
    Data.Point1 = MapPoint(r.I32(8), r.I32(12));
    Data.Radius = static_cast<float>(r.U32(16));
    const float start = r.F32(20);
    Data.StartAngle = start;
    Data.EndAngle = static_cast<float>(static_cast<long double>(start) + r.F32(24));
    Data.Kind = ArcShape::Circular;
    Sink.AddArc(Data);
}

// ---------------------------------------------------------------- text

std::string TmvMetafile::ReadText(const TRecordReader& r, std::int32_t nChars,
                                  std::uint32_t offString) const {
    const auto n = static_cast<std::uint32_t>(nChars);
    r.Require(offString, n, 2);
    std::string text;
    if (Font && Font->Name == "Symbol") {
        // Symbol characters sit in the private range F000..F0FF; their low byte is the character.
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint16_t unit = r.U16(offString + 2 * std::size_t{i});
            if ((unit & 0xFF) == 0 || (unit >> 8) == 0) break;
            if ((unit >> 8) == 0xF0) text.push_back(static_cast<char>(unit & 0xFF));
        }
        return text;
    }
    std::u16string units;
    units.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        const auto unit = static_cast<char16_t>(r.U16(offString + 2 * std::size_t{i}));
        if (unit == 0) break;
        units.push_back(unit);
    }
    text = Utf16ToAnsi(units);
    if (text.size() > n) text.resize(n);
    return text;
}

void TmvMetafile::AdvanceAfterText(const std::string& text) {
    const long double w = RoundToInt32(Measure().TextWidth(Font->Name, Font->Height, text));
    std::int64_t dx = 0, dy = 0;
    if (Font->Escapement == 0) {
        dx = static_cast<std::int64_t>(w);
    } else {
        const long double a = Font->Escapement * Pi / 1800;
        dx = RoundToInt32(w * std::cos(a));
        dy = RoundToInt32(w * std::sin(a));
    }
    Position.x = CheckedInt32(Position.x + dx);
    Position.y = CheckedInt32(Position.y - dy);
}

void TmvMetafile::ExtTextOut(const TRecordReader& r) {
    constexpr std::uint32_t TA_UPDATECP = 1;
    // EMRTEXT at 36: ptlReference, nChars, offString, options, rectangle, offDx.
    const bool updateCP = (TextAlign & TA_UPDATECP) != 0;
    const TIntPoint at = updateCP ? Position : ReadPoint(r, 36);
    Data.Color = TextColor;
    Data.Height = 11;
    if (Font) {
        Data.Height =
            static_cast<float>(std::fabs(static_cast<long double>(Font->Height) * XForm.eM22) / 1.6L);
        Data.Rotation = static_cast<float>(Font->Escapement / 10.0L);
        Data.Flags = Font->Italic ? FigureFlags::Italic : FigureFlags::None;
    }
    std::uint8_t align = (TextAlign & (8 | 16)) ? 6 : 0;
    if (TextAlign & 4)
        align += 1;
    else if (TextAlign & 2)
        align += 2;
    Data.Align = align;

    const std::int32_t nChars = r.I32(44);
    if (nChars < 0) throw ERangeError();
    if (nChars == 0) return;
    std::string text = ReadText(r, nChars, r.U32(48));
    if (text.empty()) return;

    Data.TextWidth = static_cast<float>(Measure().TextWidth("", Font ? Font->Height : 11, text));
    if (updateCP && Font) AdvanceAfterText(text);

    if (Font) {
        const bool symbol = Font->Name == "Symbol";
        if (Font->Underline) text.insert(0, "\\L");
        if (symbol)
            text.insert(0, "|b0|i0|c2;");
        else
            text.insert(0, std::string(Font->Italic ? "|i1" : "|i0") + (Font->Bold ? "|b1" : "|b0") + ";");
        text = "{\\f" + Font->Name + text + "}";
    }
    Data.Text = text;
    TextString = std::move(text);
    Data.Point1 = OutputPoint(at);
    Sink.AddMText(Data);
}

} // namespace mv
