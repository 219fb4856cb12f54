// Drawing records: each becomes zero or more figures of the sink, made from
// the description in Data.
#include "figure/Colors.h"
#include "figure/LineTypes.h"
#include "figure/MTextCodes.h"
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

void TmvMetafile::PolyRecord(const TRecordReader& r, TPointSize size, TPolyShape shape) {
    const bool closed = shape == TPolyShape::Polygon;
    const bool movesPosition = shape == TPolyShape::PolylineTo || shape == TPolyShape::PolyBezierTo;
    const bool bezier = shape == TPolyShape::PolyBezier || shape == TPolyShape::PolyBezierTo;
    ApplyPen();
    const TEmrPoly rec = DecodePoly(r, size);
    const std::uint32_t count = rec.Count;
    TdxfPointList list;
    list.reserve(count);
    TIntPoint last;
    for (std::uint32_t i = 0; i < count; ++i) {
        last = Transform(rec.aPoints[i]);
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

void TmvMetafile::PolyPolyRecord(const TRecordReader& r, TPointSize size, TPolyShape shape) {
    const bool closed = shape == TPolyShape::Polygon;
    ApplyPen();
    const TEmrPolyPoly rec = DecodePolyPoly(r, size);
    const std::uint32_t nPolys = rec.NumberOfPolylines;
    Data.Count = nPolys;
    Data.Flags = closed ? FigureFlags::Closed : FigureFlags::None;
    Data.Points.resize(nPolys);
    std::size_t next = 0; // the lists take the points one after the other
    for (std::uint32_t k = 0; k < nPolys; ++k) {
        const std::uint32_t n = rec.PolylinePointCount[k];
        TdxfPointList& list = Data.Points[k];
        list.reserve(n);
        for (std::uint32_t i = 0; i < n; ++i)
            list.push_back(OutputPoint(Transform(rec.aPoints[next++])));
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
    const TIntPoint to = Transform(DecodeLineTo(r).Point);
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
    const TEmrSetPixelV rec = DecodeSetPixelV(r);
    Data.Color = ColorToIndex(rec.Color, AlternativeBlack());
    Data.Point1 = MapPoint(rec.Pixel.x, rec.Pixel.y);
    Sink.AddPixel(Data);
}

void TmvMetafile::Rectangle(const TRecordReader& r) {
    ApplyPen();
    const TRectL box = DecodeBox(r).Box;
    const TdxfPoint p1 = MapPoint(box.Left, box.Top);
    const TdxfPoint p2 = MapPoint(box.Right, box.Bottom);
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
    const TEmrRoundRect rec = DecodeRoundRect(r);
    const TIntPoint lt = Transform(TPointL{rec.Box.Left, rec.Box.Top});
    const TIntPoint rb = Transform(TPointL{rec.Box.Right, rec.Box.Bottom});
    // Halves of unsigned values: a turned-over box takes half the corner size.
    auto half = [](std::int64_t v) { return std::int64_t{static_cast<std::uint32_t>(v) / 2}; };
    const std::int64_t L = lt.x, T = lt.y, R = rb.x, B = rb.y;
    const std::int64_t dx = std::min(half(R - L), half(rec.Corner.cx));
    const std::int64_t dy = std::min(half(B - T), half(rec.Corner.cy));
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

TmvMetafile::TShape TmvMetafile::SetUpShape(const TRectL& box) {
    using L = long double;
    const TIntPoint lt = Transform(TPointL{box.Left, box.Top});
    const TIntPoint rb = Transform(TPointL{box.Right, box.Bottom});
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
    const TShape shape = SetUpShape(DecodeBox(r).Box);
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
    const TEmrArc rec = DecodeArc(r);
    const TShape shape = SetUpShape(rec.Box);
    const L rx = Data.Point2.x, ry = Data.Point2.y;
    const L cx = Data.Point1.x, cy = Data.Point1.y;
    // The angle of a radial point as the arc's kind measures it.
    auto angle = [&](TPointL radial) -> L {
        const TdxfPoint q = MapPoint(radial.x, radial.y);
        const L dx = L(q.x) - cx, dy = L(q.y) - cy;
        if (shape.IsCircle) return std::atan2(dy * ry, dx * rx) * 180 / Pi;
        // Elliptical parameter, measured from the major axis.
        if (rx < ry) return std::atan2(dy * rx, dx * ry) - Pi / 2;
        return Pi / 2 - std::atan2(dx * ry, dy * rx);
    };
    Data.StartAngle = static_cast<float>(angle(rec.Start));
    Data.EndAngle = static_cast<float>(angle(rec.End));
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
    const TEmrAngleArc rec = DecodeAngleArc(r);
    Data.Point1 = MapPoint(rec.Center.x, rec.Center.y);
    Data.Radius = static_cast<float>(rec.Radius);
    Data.StartAngle = rec.StartAngle;
    Data.EndAngle = static_cast<float>(static_cast<long double>(rec.StartAngle) + rec.SweepAngle);
    Data.Kind = ArcShape::Circular;
    Sink.AddArc(Data);
}

// ---------------------------------------------------------------- text

std::string TmvMetafile::ReadText(const TU16Array& units) const {
    return ReadTextUnits(Font, units);
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
    const TEmrExtTextOutW rec = DecodeExtTextOutW(r);
    const bool updateCP = (TextAlign & TA_UPDATECP) != 0;
    const TIntPoint at = updateCP ? Position : Transform(rec.Reference);
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

    const std::int32_t nChars = rec.Chars;
    if (nChars < 0) throw ERangeError();
    if (nChars == 0) return;
    std::string text = ReadText(DecodeTextString(r, static_cast<std::uint32_t>(nChars)));
    if (text.empty()) return;

    Data.TextWidth = static_cast<float>(Measure().TextWidth("", Font ? Font->Height : 11, text));
    if (updateCP && Font) AdvanceAfterText(text);

    // A brace or backslash of the text itself must not read as a code.
    text = Font ? WrapInFontCodes(EscapeMText(text), Font->Name, Font->Bold, Font->Italic, Font->Underline)
                : EscapeMText(text);
    Data.Text = text;
    TextString = std::move(text);
    Data.Point1 = OutputPoint(at);
    Sink.AddMText(Data);
}

} // namespace mv
