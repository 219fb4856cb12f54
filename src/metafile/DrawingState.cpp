// The device-context model: objects, selections, the saved state, the world
// transform and the mapping of logical points to figure points.
#include "figure/Colors.h"
#include "figure/LineTypes.h"
#include "figure/Rounding.h"
#include "metafile/Metafile.h"
#include "platform/Errors.h"
#include "platform/TextMeasure.h"

#include <array>

namespace mv {

namespace {

// A × B for row vectors: B acts after A. Sums in extended precision.
TXForm Multiply(const TXForm& a, const TXForm& b) {
    using L = long double;
    TXForm m;
    m.eM11 = static_cast<float>(L(a.eM11) * b.eM11 + L(a.eM12) * b.eM21);
    m.eM12 = static_cast<float>(L(a.eM11) * b.eM12 + L(a.eM12) * b.eM22);
    m.eM21 = static_cast<float>(L(a.eM21) * b.eM11 + L(a.eM22) * b.eM21);
    m.eM22 = static_cast<float>(L(a.eM21) * b.eM12 + L(a.eM22) * b.eM22);
    m.eDx = static_cast<float>(L(a.eDx) * b.eM11 + L(a.eDy) * b.eM21 + b.eDx);
    m.eDy = static_cast<float>(L(a.eDx) * b.eM12 + L(a.eDy) * b.eM22 + b.eDy);
    return m;
}

} // namespace

bool TmvMetafile::AlternativeBlack() const {
    return Settings.AlternativeBlack;
}

ITextMeasure& TmvMetafile::Measure() const {
    return Settings.Measure();
}

// ---------------------------------------------------------------- mapping

TIntPoint TmvMetafile::TransformPoint(std::int32_t x, std::int32_t y) const {
    using L = long double;
    const L xs = x, ys = y;
    return TIntPoint{RoundToInt32(xs * XForm.eM11 + ys * XForm.eM21 + XForm.eDx),
                     RoundToInt32(xs * XForm.eM12 + ys * XForm.eM22 + XForm.eDy)};
}

TdxfPoint TmvMetafile::OutputPoint(TIntPoint p) const {
    // Differences of two 32-bit values need 33 bits.
    return TdxfPoint{static_cast<float>(std::int64_t{p.x} - WindowOrg.x),
                     static_cast<float>(std::int64_t{WindowOrg.y} - p.y), 0};
}

TdxfPoint TmvMetafile::MapPoint(std::int32_t x, std::int32_t y) const {
    return OutputPoint(TransformPoint(x, y));
}

void TmvMetafile::ShiftByOrigin() {
    using L = long double;
    for (TdxfPoint* p : {&Data.Point1, &Data.Point2}) {
        p->x = static_cast<float>(L(p->x) - WindowOrg.x);
        p->y = static_cast<float>(L(p->y) + WindowOrg.y);
    }
}

// ---------------------------------------------------------------- pens and line types

void TmvMetafile::ApplyPen() {
    if (!Pen) return;
    Data.Color = Pen->Color;
    Data.PenWidth = static_cast<float>(Pen->Width);
    // User and alternate styles, and anything beyond, draw dashed.
    RegisterLineType(Pen->Style <= PenStyle::InsideFrame ? Pen->Style : PenStyle::Dash);
    if (Pen->Style >= PenStyle::Dash && Pen->Style <= PenStyle::DashDotDot)
        Data.Text = LineTypeOf(Pen->Style).Name;
}

void TmvMetafile::RegisterLineType(PenStyle style) {
    if (style <= PenStyle::UserStyle) {
        const auto bit = static_cast<std::uint8_t>(1u << static_cast<unsigned>(style));
        if (EmittedLineTypes & bit) return;
        EmittedLineTypes |= bit;
    }
    if (style >= PenStyle::Dash && style <= PenStyle::DashDotDot) {
        const TLineTypeDef& def = LineTypeOf(style);
        Sink.AddLineType(def.Name, def.Dashes, def.Last);
    }
}

// ---------------------------------------------------------------- objects

void TmvMetafile::ForgetObject(const TmvGDI* object) {
    // A freed object must not stay selected or saved: those references become none.
    if (Pen == object) Pen = nullptr;
    if (Brush == object) Brush = nullptr;
    if (Font == object) Font = nullptr;
    if (SavedState.Pen == object) SavedState.Pen = nullptr;
    if (SavedState.Brush == object) SavedState.Brush = nullptr;
    if (SavedState.Font == object) SavedState.Font = nullptr;
}

void TmvMetafile::CreateObject(const TRecordReader& r, std::uint32_t type) {
    // The index is checked before the rest of the record is read.
    const std::uint32_t index = DecodeObjectIndex(r);
    if (index > MaxObjectIndex) {
        // An index of 2^31 or more is negative as the list sees it.
        throw EListError(index >= 0x80000000u ? static_cast<long long>(static_cast<std::int32_t>(index))
                                              : static_cast<long long>(index));
    }
    std::unique_ptr<TmvGDI> object = MakeGdiObject(r, type, AlternativeBlack());
    if (!object) return;
    if (index >= Objects.size()) Objects.resize(std::size_t{index} + 1);
    if (Objects[index]) ForgetObject(Objects[index].get());
    Objects[index] = std::move(object);
}

void TmvMetafile::SelectObject(const TRecordReader& r) {
    const std::uint32_t index = DecodeObjectIndex(r);
    if (index & 0x80000000u) {
        // Stock objects. There is one stock brush and one stock pen, recoloured by each selection.
        const std::uint32_t stock = index & 0x7FFFFFFFu;
        const std::int32_t black = ColorToIndex(0, AlternativeBlack());
        // WHITE_BRUSH, LTGRAY_BRUSH, GRAY_BRUSH, DKGRAY_BRUSH, BLACK_BRUSH
        const std::array<std::int32_t, 5> brushColors{255, 254, 8, 251, black};
        if (stock < brushColors.size()) {
            StockBrush->Color = brushColors[stock];
            Brush = StockBrush.get();
        } else if (stock == 5) { // NULL_BRUSH
            Brush = nullptr;
        } else if (stock == 6 || stock == 7) { // WHITE_PEN, BLACK_PEN
            StockPen->Color = stock == 6 ? 255 : black;
            Pen = StockPen.get();
        } else if (stock == 8) { // NULL_PEN
            Pen = nullptr;
        }
        // Every other stock object (fonts, palette, DC pen and brush) has no effect.
        return;
    }
    if (index >= Objects.size() || !Objects[index]) return;
    TmvGDI* object = Objects[index].get();
    switch (object->Kind) {
    case TmvGDI::TKind::Pen:
        Pen = static_cast<TmvPen*>(object);
        break;
    case TmvGDI::TKind::Brush:
        Brush = static_cast<TmvBrush*>(object);
        break;
    case TmvGDI::TKind::Font:
        Font = static_cast<TmvFont*>(object);
        break;
    }
}

void TmvMetafile::DeleteObject(const TRecordReader& r) {
    const std::uint32_t index = DecodeObjectIndex(r);
    if (index >= Objects.size() || !Objects[index]) return;
    const TmvGDI* object = Objects[index].get();
    // What the saved state refers to stays, so that a restore finds it.
    if (object == SavedState.Pen || object == SavedState.Brush || object == SavedState.Font) return;
    if (object == Pen)
        Pen = nullptr;
    else if (object == Brush)
        Brush = nullptr;
    else if (object == Font)
        Font = nullptr;
    Objects[index].reset();
}

// ---------------------------------------------------------------- saved state

void TmvMetafile::SaveDC() {
    SavedState.XForm = XForm;
    SavedState.TextAlign = TextAlign;
    SavedState.Position = Position;
    SavedState.WindowOrg = WindowOrg;
    SavedState.Pen = Pen;
    SavedState.Brush = Brush;
    SavedState.Font = Font;
}

void TmvMetafile::RestoreDC() {
    // One saved state, whatever level the record names; it stays for the next restore.
    XForm = SavedState.XForm;
    TextAlign = SavedState.TextAlign;
    Position = SavedState.Position;
    WindowOrg = SavedState.WindowOrg;
    Pen = SavedState.Pen;
    Brush = SavedState.Brush;
    Font = SavedState.Font;
}

// ---------------------------------------------------------------- transform and simple state

void TmvMetafile::SetWorldTransform(const TRecordReader& r) {
    XForm = DecodeSetWorldTransform(r).Xform;
}

void TmvMetafile::ModifyWorldTransform(const TRecordReader& r) {
    const TEmrModifyWorldTransform rec = DecodeModifyWorldTransform(r);
    const TXForm& m = rec.Xform;
    const std::uint32_t mode = rec.ModifyWorldTransformMode;
    if (mode == 1) // MWT_IDENTITY
        XForm = IdentityXForm;
    else if (mode == 2) // MWT_LEFTMULTIPLY: the record's transform acts first
        XForm = Multiply(m, XForm);
    else if (mode == 3) // MWT_RIGHTMULTIPLY
        XForm = Multiply(XForm, m);
    else // MWT_SET and any other value
        XForm = m;
}

void TmvMetafile::SetWindowOrg(const TRecordReader& r) {
    WindowOrg = Transform(DecodeSetWindowOrgEx(r).Origin);
}

void TmvMetafile::MoveTo(const TRecordReader& r) {
    Position = Transform(DecodeMoveToEx(r).Offset);
}

void TmvMetafile::SetTextAlign(const TRecordReader& r) {
    TextAlign = DecodeSetTextAlign(r).TextAlignmentMode;
}

void TmvMetafile::SetTextColor(const TRecordReader& r) {
    TextColor = ColorToIndex(DecodeSetTextColor(r).Color, AlternativeBlack());
}

} // namespace mv
