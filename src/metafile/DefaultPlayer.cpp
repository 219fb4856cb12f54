#include "metafile/DefaultPlayer.h"

#include "figure/Colors.h"
#include "figure/LineTypes.h"
#include "figure/MTextCodes.h"
#include "image/Dib.h"
#include "image/RgbaImage.h"
#include "metafile/GdiObjects.h"
#include "platform/CodePage.h"
#include "platform/Errors.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace mv {

namespace {

constexpr double kPi = std::numbers::pi;

TAffine AffineOf(const TXForm& x) {
    return TAffine::From(x);
}

// The parameter s of p on the curve centre + u cos s + v sin s (p taken on
// the ray from the centre).
double ConjugateParameter(TFigPoint centre, TFigPoint u, TFigPoint v, TFigPoint p) {
    const double det = Cross(u, v);
    const TFigPoint d = p - centre;
    return std::atan2(Cross(u, d) / det, Cross(d, v) / det);
}

// Appends the curve centre + u cos s + v sin s for s from s0 to s1 (either
// way) as Bezier segments of at most a quarter turn each.
void AppendConjugateArc(TFigurePath& path, TFigPoint centre, TFigPoint u, TFigPoint v, double s0, double s1,
                        bool joined) {
    const double sweep = std::clamp(s1 - s0, -2 * kPi, 2 * kPi);
    const int n = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / (kPi / 2) - 1e-9)));
    const double step = sweep / n;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    auto at = [&](double t) { return centre + u * std::cos(t) + v * std::sin(t); };
    auto tangent = [&](double t) { return u * -std::sin(t) + v * std::cos(t); };
    if (joined && !path.Empty())
        path.LineTo(at(s0));
    else
        path.MoveTo(at(s0));
    for (int i = 0; i < n; ++i) {
        const double t0 = s0 + step * i, t1 = t0 + step;
        path.BezierTo(at(t0) + tangent(t0) * k, at(t1) - tangent(t1) * k, at(t1));
    }
}

} // namespace

TmvDefaultPlayer::TmvDefaultPlayer(IFigureSink& sink, const TInterpretSettings& settings,
                                   TBitmapPlayer::TWarn warn)
    : settings_(settings), clip_(sink), emitter_(clip_), sink_(sink), bitmaps_(clip_, std::move(warn)) {
    // A device context starts with the black pen and the white brush.
    auto pen = std::make_shared<TmvPen>();
    pen->Color = ColorToIndex(0, AlternativeBlack());
    pen->Rgb = 0;
    state_.Pen = pen;
    auto brush = std::make_shared<TmvBrush>();
    brush->Color = ColorToIndex(0xFFFFFF, AlternativeBlack());
    brush->Rgb = 0xFFFFFF;
    state_.Brush = brush;
}

void TmvDefaultPlayer::Finish() {
    if (settings_.Images) bitmaps_.FlushPendingMask(0);
}

// ---------------------------------------------------------------- looks

std::optional<TStrokeLook> TmvDefaultPlayer::StrokeLook() {
    const TmvPen* pen = state_.Pen.get();
    if (!pen || pen->Style == PenStyle::Null) return std::nullopt;
    TStrokeLook look;
    look.Color = ColorToIndex(pen->Rgb, AlternativeBlack());
    look.TrueColor = TrueColorOf(pen->Rgb);
    if (!pen->Cosmetic && pen->Width > 0) {
        // A pen is thin unless it is wider than one device pixel.
        const double width = pen->Width * state_.Mapping.Scale();
        const TPictureFrame& f = state_.Mapping.Frame();
        const double pixel = std::min(f.UnitsPerPixelX(), f.UnitsPerPixelY());
        if (width > pixel * 1.5 && std::isfinite(width)) look.Width = static_cast<float>(width);
    }
    const PenStyle style = pen->Style <= PenStyle::InsideFrame ? pen->Style : PenStyle::Dash;
    if (style >= PenStyle::Dash && style <= PenStyle::DashDotDot) {
        const TLineTypeDef& def = LineTypeOf(style);
        const auto bit = static_cast<std::uint8_t>(1u << static_cast<unsigned>(style));
        if (!(emittedLineTypes_ & bit)) {
            emittedLineTypes_ |= bit;
            sink_.AddLineType(def.Name, def.Dashes, def.Last);
        }
        look.LineType = def.Name;
    }
    return look;
}

std::optional<TFillLook> TmvDefaultPlayer::FillLook() const {
    constexpr std::uint32_t BS_NULL = 1, BS_HATCHED = 2;
    const TmvBrush* brush = state_.Brush.get();
    if (!brush || brush->Style == BS_NULL) return std::nullopt;
    TFillLook look;
    look.Color = ColorToIndex(brush->Rgb, AlternativeBlack());
    look.TrueColor = TrueColorOf(brush->Rgb);
    look.Hatch = brush->Style == BS_HATCHED ? brush->HatchStyle : BrushHatch::Solid;
    if (look.Hatch != BrushHatch::Solid) {
        // A hatch brush is a pattern of 8 x 8 pixels of the device the
        // picture was made for, whatever the mapping.
        const TPictureFrame& f = state_.Mapping.Frame();
        const double x = 8 * f.UnitsPerPixelX(), y = 8 * f.UnitsPerPixelY();
        constexpr double kFloatMax = std::numeric_limits<float>::max();
        if (std::isfinite(x) && std::isfinite(y) && x > 0 && y > 0 && x < kFloatMax && y < kFloatMax) {
            look.PatternSpacingX = static_cast<float>(x);
            look.PatternSpacingY = static_cast<float>(y);
        }
    }
    return look;
}

// ---------------------------------------------------------------- dispatch

void TmvDefaultPlayer::PlayRecord(const TEmrRecord& record) {
    if (settings_.Images) {
        // A bitmap goes through the clip stage as one image; a blit without
        // one paints its rectangle below.
        if (TBitmapPlayer::IsBitmapRecord(record.Type)) {
            if (bitmaps_.Play(record.Bytes, record.Type, state_.Mapping)) return;
        } else {
            bitmaps_.FlushPendingMask(record.Type);
        }
    }
    const TRecordReader r(record.Bytes);
    TMapping& m = state_.Mapping;
    switch (record.Type) {
    case emr::HEADER:
        Header(r);
        break;
    case emr::POLYBEZIER:
    case emr::POLYGON:
    case emr::POLYLINE:
    case emr::POLYBEZIERTO:
    case emr::POLYLINETO:
        Poly(r, TPointSize::Points32, record.Type);
        break;
    case emr::POLYBEZIER16:
        Poly(r, TPointSize::Points16, emr::POLYBEZIER);
        break;
    case emr::POLYGON16:
        Poly(r, TPointSize::Points16, emr::POLYGON);
        break;
    case emr::POLYLINE16:
        Poly(r, TPointSize::Points16, emr::POLYLINE);
        break;
    case emr::POLYBEZIERTO16:
        Poly(r, TPointSize::Points16, emr::POLYBEZIERTO);
        break;
    case emr::POLYLINETO16:
        Poly(r, TPointSize::Points16, emr::POLYLINETO);
        break;
    case emr::POLYPOLYLINE:
        PolyPoly(r, TPointSize::Points32, false);
        break;
    case emr::POLYPOLYGON:
        PolyPoly(r, TPointSize::Points32, true);
        break;
    case emr::POLYPOLYLINE16:
        PolyPoly(r, TPointSize::Points16, false);
        break;
    case emr::POLYPOLYGON16:
        PolyPoly(r, TPointSize::Points16, true);
        break;
    case emr::SETWINDOWEXTEX: {
        const TSizeL e = DecodeSetExtentEx(r).Extent;
        m.SetWindowExt(e.cx, e.cy);
        break;
    }
    case emr::SETWINDOWORGEX: {
        const TPointL o = DecodeSetWindowOrgEx(r).Origin;
        m.SetWindowOrg(o.x, o.y);
        break;
    }
    // The viewport of a placeable Windows metafile is the picture's frame,
    // set by whoever plays it; its own viewport records would give sizes in
    // the pixels of an unknown device.
    case emr::SETVIEWPORTEXTEX: {
        const TSizeL e = DecodeSetExtentEx(r).Extent;
        if (!placeable_) m.SetViewportExt(e.cx, e.cy);
        break;
    }
    case emr::SETVIEWPORTORGEX: {
        const TPointL o = DecodeSetViewportOrgEx(r).Origin;
        if (!placeable_) m.SetViewportOrg(o.x, o.y);
        break;
    }
    case emr::SCALEVIEWPORTEXTEX: {
        const TEmrScaleExtentEx s = DecodeScaleExtentEx(r);
        if (!placeable_) m.ScaleViewportExt(s.xNum, s.xDenom, s.yNum, s.yDenom);
        break;
    }
    case emr::SCALEWINDOWEXTEX: {
        const TEmrScaleExtentEx s = DecodeScaleExtentEx(r);
        m.ScaleWindowExt(s.xNum, s.xDenom, s.yNum, s.yDenom);
        break;
    }
    case emr::SETMAPMODE:
        m.SetMapMode(DecodeSingleValue(r).Value);
        break;
    case emr::SETWORLDTRANSFORM:
        m.SetWorld(AffineOf(DecodeSetWorldTransform(r).Xform));
        break;
    case emr::MODIFYWORLDTRANSFORM: {
        const TEmrModifyWorldTransform rec = DecodeModifyWorldTransform(r);
        m.ModifyWorld(AffineOf(rec.Xform), rec.ModifyWorldTransformMode);
        break;
    }
    case emr::SETBKMODE:
        state_.BkMode = DecodeSingleValue(r).Value;
        break;
    case emr::SETBKCOLOR:
        state_.BkColor = ResolveColorRef(DecodeSingleValue(r).Value);
        break;
    case emr::SETPOLYFILLMODE:
        state_.PolyFillMode = DecodeSingleValue(r).Value;
        break;
    case emr::SETROP2:
        state_.Rop2 = DecodeSingleValue(r).Value;
        break;
    case emr::SETSTRETCHBLTMODE:
        state_.StretchBltMode = DecodeSingleValue(r).Value;
        break;
    case emr::SETARCDIRECTION:
        state_.ArcDirection = DecodeSingleValue(r).Value;
        break;
    case emr::SETMITERLIMIT:
        state_.MiterLimit = DecodeSingleValue(r).Value;
        break;
    case emr::SETTEXTALIGN:
        state_.TextAlign = DecodeSetTextAlign(r).TextAlignmentMode;
        break;
    case emr::SETTEXTCOLOR:
        state_.TextColor = ResolveColorRef(DecodeSetTextColor(r).Color);
        break;
    case emr::MOVETOEX: {
        const TPointL p = DecodeMoveToEx(r).Offset;
        state_.Position = TFigPoint{static_cast<double>(p.x), static_cast<double>(p.y)};
        break;
    }
    case emr::SAVEDC:
        SaveDC();
        break;
    case emr::RESTOREDC:
        RestoreDC(r);
        break;
    case emr::INTERSECTCLIPRECT:
        ClipRect(r, false);
        break;
    case emr::EXCLUDECLIPRECT:
        ClipRect(r, true);
        break;
    case emr::EXTSELECTCLIPRGN:
        SelectClipRegion(r);
        break;
    case emr::OFFSETCLIPRGN:
        OffsetClip(r);
        break;
    case emr::SETMETARGN:
        SetMetaRegion();
        break;
    case emr::GDICOMMENT:
        Comment(r);
        break;
    case emr::SELECTOBJECT:
        SelectObject(r);
        break;
    case emr::CREATEPEN:
    case emr::CREATEBRUSHINDIRECT:
    case emr::EXTCREATEFONTINDIRECTW:
    case emr::EXTCREATEPEN:
        CreateObject(r, record.Type);
        break;
    case emr::CREATEMONOBRUSH:
    case emr::CREATEDIBPATTERNBRUSHPT:
        CreatePatternBrush(r, record.Type);
        break;
    case emr::DELETEOBJECT:
        DeleteObject(r);
        break;
    case emr::ANGLEARC:
        AngleArc(r);
        break;
    case emr::ELLIPSE:
        Ellipse(r);
        break;
    case emr::RECTANGLE:
        Rectangle(r);
        break;
    case emr::ROUNDRECT:
        RoundRect(r);
        break;
    case emr::ARC:
    case emr::CHORD:
    case emr::PIE:
    case emr::ARCTO:
        ArcRecord(r, record.Type);
        break;
    case emr::LINETO:
        LineTo(r);
        break;
    case emr::SETPIXELV:
        SetPixel(r);
        break;
    case emr::EXTTEXTOUTW:
        ExtTextOut(r);
        break;
    case emr::EXTTEXTOUTA:
    case emr::POLYTEXTOUTA:
    case emr::POLYTEXTOUTW:
    case emr::SMALLTEXTOUT:
        OtherTextRecord(record);
        break;
    case emr::BEGINPATH:
    case emr::ENDPATH:
    case emr::CLOSEFIGURE:
    case emr::ABORTPATH:
    case emr::FLATTENPATH:
    case emr::WIDENPATH:
    case emr::FILLPATH:
    case emr::STROKEPATH:
    case emr::STROKEANDFILLPATH:
        PathRecord(record.Type);
        break;
    case emr::SELECTCLIPPATH:
        SelectClipPath(r);
        break;
    case emr::POLYDRAW:
        PolyDraw(r, TPointSize::Points32);
        break;
    case emr::POLYDRAW16:
        PolyDraw(r, TPointSize::Points16);
        break;
    case emr::FILLRGN:
    case emr::PAINTRGN:
    case emr::FRAMERGN:
        RegionRecord(r, record.Type);
        break;
    case emr::GRADIENTFILL:
        GradientFill(r);
        break;
    case emr::BITBLT:
    case emr::STRETCHBLT:
        BitBlt(r);
        break;
    default:
        break; // SETMAPPERFLAGS and every other record draw nothing here
    }
}

// ---------------------------------------------------------------- header and comments

void TmvDefaultPlayer::Header(const TRecordReader& r) {
    state_.Mapping.SetFrame(PictureFrameOf(DecodeHeader(r)));
}

void TmvDefaultPlayer::Comment(const TRecordReader& r) {
    const TEmrGdiComment rec = DecodeGdiComment(r);
    if (rec.Data.size() < kPlaceableWindowSize || LE32(rec.Data, 0) != kPlaceableWindowTag) return;
    // A placeable Windows metafile: its bounding box is the window that the
    // picture's frame shows.
    auto at = [&](std::size_t i) {
        return static_cast<double>(static_cast<std::int32_t>(LE32(rec.Data, 4 + 4 * i)));
    };
    const double left = at(0), top = at(1), right = at(2), bottom = at(3);
    if (right == left || bottom == top) return;
    TMapping& m = state_.Mapping;
    const TPictureFrame& f = m.Frame();
    m.SetMapMode(static_cast<std::uint32_t>(TMapMode::Anisotropic));
    m.SetWindowOrg(left, top);
    m.SetWindowExt(right - left, bottom - top);
    m.SetViewportOrg(f.Left / f.UnitsPerPixelX(), f.Top / f.UnitsPerPixelY());
    m.SetViewportExt(f.Width() / f.UnitsPerPixelX(), f.Height() / f.UnitsPerPixelY());
    placeable_ = true;
}

// ---------------------------------------------------------------- objects

namespace {

std::uint32_t CheckedObjectIndex(const TRecordReader& r) {
    const std::uint32_t index = DecodeObjectIndex(r);
    // An index of 2^31 or more is negative as the list sees it.
    if (index > TmvDefaultPlayer::kMaxObjectIndex)
        throw EListError(index >= 0x80000000u ? static_cast<long long>(static_cast<std::int32_t>(index))
                                              : static_cast<long long>(index));
    return index;
}

} // namespace

void TmvDefaultPlayer::CreateObject(const TRecordReader& r, std::uint32_t type) {
    const std::uint32_t index = CheckedObjectIndex(r);
    std::unique_ptr<TmvGDI> object = MakeGdiObject(r, type, AlternativeBlack());
    if (!object) return;
    if (index >= objects_.size()) objects_.resize(std::size_t{index} + 1);
    objects_[index] = std::shared_ptr<const TmvGDI>(std::move(object));
}

void TmvDefaultPlayer::CreatePatternBrush(const TRecordReader& r, std::uint32_t type) {
    constexpr std::uint32_t BS_PATTERN = 3;
    const std::uint32_t index = CheckedObjectIndex(r);
    // ihBrush, iUsage, offBmi, cbBmi, offBits, cbBits: the pattern is drawn
    // as its mean colour.
    std::uint32_t colour = 0x808080;
    if (r.Has(8, 24)) {
        const std::uint32_t usage = r.U32(12), offBmi = r.U32(16), cbBmi = r.U32(20), cbBits = r.U32(28);
        const auto packed = RecordSpan(r.Bytes(0, r.Size()), offBmi, std::uint64_t{cbBmi} + cbBits);
        if (packed && type == emr::CREATEDIBPATTERNBRUSHPT && usage == 0) {
            const TDib dib = DecodePackedDib(*packed, TDibUsage::RgbColors);
            if (dib && !dib.Embedded) {
                const TRgb mean = AverageColour(dib.Image);
                colour = mean.R | (std::uint32_t{mean.G} << 8) | (std::uint32_t{mean.B} << 16);
            }
        }
    }
    auto brush = std::make_shared<TmvBrush>();
    brush->Style = BS_PATTERN;
    brush->Rgb = colour;
    brush->Color = ColorToIndex(colour, AlternativeBlack());
    if (index >= objects_.size()) objects_.resize(std::size_t{index} + 1);
    objects_[index] = std::move(brush);
}

void TmvDefaultPlayer::SelectObject(const TRecordReader& r) {
    const std::uint32_t index = DecodeObjectIndex(r);
    if (index & 0x80000000u) {
        const std::uint32_t stock = index & 0x7FFFFFFFu;
        constexpr std::uint32_t kBrushRgb[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
        if (stock < 5 || stock == 18) { // the four greys, black, DC_BRUSH (white)
            auto brush = std::make_shared<TmvBrush>();
            brush->Rgb = stock < 5 ? kBrushRgb[stock] : 0xFFFFFF;
            brush->Color = ColorToIndex(brush->Rgb, AlternativeBlack());
            state_.Brush = std::move(brush);
        } else if (stock == 5) {
            state_.Brush = nullptr;
        } else if (stock == 6 || stock == 7 || stock == 19) { // WHITE_PEN, BLACK_PEN, DC_PEN
            auto pen = std::make_shared<TmvPen>();
            pen->Rgb = stock == 6 ? 0xFFFFFF : 0;
            pen->Color = ColorToIndex(pen->Rgb, AlternativeBlack());
            state_.Pen = std::move(pen);
        } else if (stock == 8) {
            state_.Pen = nullptr;
        } else if (stock >= 10 && stock <= 17 && stock != 15) {
            state_.Font = nullptr; // the stock fonts: the device's own
        }
        return;
    }
    if (index >= objects_.size() || !objects_[index]) return;
    const std::shared_ptr<const TmvGDI>& object = objects_[index];
    switch (object->Kind) {
    case TmvGDI::TKind::Pen:
        state_.Pen = std::static_pointer_cast<const TmvPen>(object);
        break;
    case TmvGDI::TKind::Brush:
        state_.Brush = std::static_pointer_cast<const TmvBrush>(object);
        break;
    case TmvGDI::TKind::Font:
        state_.Font = std::static_pointer_cast<const TmvFont>(object);
        break;
    }
}

void TmvDefaultPlayer::DeleteObject(const TRecordReader& r) {
    // A selected or saved object lives on where it is used.
    const std::uint32_t index = DecodeObjectIndex(r);
    if (index < objects_.size()) objects_[index].reset();
}

// ---------------------------------------------------------------- save stack

void TmvDefaultPlayer::SaveDC() {
    if (saved_.size() >= kMaxSavedStates) saved_.pop_front();
    saved_.push_back(state_);
}

void TmvDefaultPlayer::RestoreDC(const TRecordReader& r) {
    const std::int32_t n = r.I32(8);
    // Negative: that many levels back; positive: the level counted from the first save.
    const std::int64_t size = static_cast<std::int64_t>(saved_.size());
    const std::int64_t level = n < 0 ? size + n : std::int64_t{n} - 1;
    if (n == 0 || level < 0 || level >= size) return;
    state_ = saved_[static_cast<std::size_t>(level)];
    saved_.resize(static_cast<std::size_t>(level));
    clip_.SetRegion(state_.Visible);
}

// ---------------------------------------------------------------- clipping

TClipRegion TmvDefaultPlayer::ClipOrPlane() const {
    return state_.Clip ? *state_.Clip : TClipRegion::Plane();
}

TFigBox TmvDefaultPlayer::LogicalBox(const TRectL& r) const {
    const TMapping& m = state_.Mapping;
    TFigBox box;
    for (const TFigPoint p : {m.MapPoint(r.Left, r.Top), m.MapPoint(r.Right, r.Top),
                              m.MapPoint(r.Right, r.Bottom), m.MapPoint(r.Left, r.Bottom)})
        box.Take(p);
    return box;
}

void TmvDefaultPlayer::SetClip(std::shared_ptr<const TClipRegion> clip) {
    state_.Clip = std::move(clip);
    UpdateClip();
}

void TmvDefaultPlayer::UpdateClip() {
    if (!state_.Clip)
        state_.Visible = state_.MetaRegion;
    else if (!state_.MetaRegion)
        state_.Visible = state_.Clip;
    else
        state_.Visible = std::make_shared<const TClipRegion>(
            TClipRegion::Combine(*state_.Clip, *state_.MetaRegion, TClipRegion::TOp::And));
    clip_.SetRegion(state_.Visible);
}

void TmvDefaultPlayer::ClipRect(const TRecordReader& r, bool exclude) {
    const TClipRegion rect(LogicalBox(DecodeClipRect(r).Clip));
    SetClip(std::make_shared<const TClipRegion>(
        TClipRegion::Combine(ClipOrPlane(), rect, exclude ? TClipRegion::TOp::Diff : TClipRegion::TOp::And)));
}

void TmvDefaultPlayer::SelectClipRegion(const TRecordReader& r) {
    constexpr std::uint32_t RGN_COPY = 5;
    const TEmrExtSelectClipRgn rec = DecodeExtSelectClipRgn(r);
    const TMapping& m = state_.Mapping;
    // A region of many rectangles is taken as their bounding box, so that
    // combining regions stays cheap.
    const bool many = rec.Rects.Count() > TClipRegion::kMaxBoxes;
    std::vector<TFigBox> boxes;
    TFigBox all;
    for (const TRectL& rect : rec.Rects) {
        TFigBox box;
        box.Take(m.DevicePoint(rect.Left, rect.Top));
        box.Take(m.DevicePoint(rect.Right, rect.Bottom));
        if (many) {
            all.Take({box.MinX, box.MinY});
            all.Take({box.MaxX, box.MaxY});
        } else {
            boxes.push_back(box);
        }
    }
    if (many) boxes.push_back(all);
    if (boxes.empty()) {
        // No region: RGN_COPY goes back to no clipping; the other modes fail.
        if (rec.RegionMode == RGN_COPY) SetClip(nullptr);
        return;
    }
    CombineClip(TClipRegion::FromBoxes(boxes), rec.RegionMode);
}

void TmvDefaultPlayer::CombineClip(const TClipRegion& region, std::uint32_t mode) {
    constexpr std::uint32_t RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;
    switch (mode) {
    case RGN_COPY:
        SetClip(std::make_shared<const TClipRegion>(region));
        break;
    case RGN_AND:
        SetClip(std::make_shared<const TClipRegion>(
            TClipRegion::Combine(ClipOrPlane(), region, TClipRegion::TOp::And)));
        break;
    case RGN_OR:
        // Everything visible already: a union keeps it so.
        if (state_.Clip)
            SetClip(std::make_shared<const TClipRegion>(
                TClipRegion::Combine(*state_.Clip, region, TClipRegion::TOp::Or)));
        break;
    case RGN_XOR:
        SetClip(std::make_shared<const TClipRegion>(
            TClipRegion::Combine(ClipOrPlane(), region, TClipRegion::TOp::Xor)));
        break;
    case RGN_DIFF:
        SetClip(std::make_shared<const TClipRegion>(
            TClipRegion::Combine(ClipOrPlane(), region, TClipRegion::TOp::Diff)));
        break;
    default:
        break;
    }
}

void TmvDefaultPlayer::OffsetClip(const TRecordReader& r) {
    if (!state_.Clip) return;
    const TPointL by = DecodeOffsetClipRgn(r).Offset;
    SetClip(std::make_shared<const TClipRegion>(state_.Clip->Offset(state_.Mapping.MapVector(by.x, by.y))));
}

void TmvDefaultPlayer::SetMetaRegion() {
    // The meta region becomes what both leave visible; the clip starts anew.
    state_.MetaRegion = state_.Visible;
    state_.Clip = nullptr;
    UpdateClip();
}

// ---------------------------------------------------------------- shapes

TFigurePath TmvDefaultPlayer::MapPath(const TFigurePath& logical) const {
    const TMapping& m = state_.Mapping;
    TFigurePath path;
    for (const TFigurePath::TSubpath& s : logical.Subpaths()) {
        for (std::size_t i = 0; i < s.Points.size(); ++i) {
            const TFigPoint p = m.MapPoint(s.Points[i].x, s.Points[i].y);
            switch (s.Verbs[i]) {
            case TFigurePath::TVerb::Move:
                path.MoveTo(p);
                break;
            case TFigurePath::TVerb::Line:
                path.LineTo(p);
                break;
            case TFigurePath::TVerb::Bezier:
                if (i + 2 < s.Points.size())
                    path.BezierTo(p, m.MapPoint(s.Points[i + 1].x, s.Points[i + 1].y),
                                  m.MapPoint(s.Points[i + 2].x, s.Points[i + 2].y));
                i += 2;
                break;
            }
        }
        if (s.Closed) path.Close();
    }
    return path;
}

void TmvDefaultPlayer::DrawShape(const TDrawShape& shape, bool filled) {
    const std::optional<TFillLook> fill = filled ? FillLook() : std::nullopt;
    const std::optional<TStrokeLook> stroke = StrokeLook();
    emitter_.Draw(shape, fill ? &*fill : nullptr, stroke ? &*stroke : nullptr);
}

// ---------------------------------------------------------------- point lists

void TmvDefaultPlayer::Poly(const TRecordReader& r, TPointSize size, std::uint32_t type) {
    const TEmrPoly rec = DecodePoly(r, size);
    const std::size_t n = rec.Count;
    const TMapping& m = state_.Mapping;
    auto point = [&](std::size_t i) { return m.MapPoint(rec.aPoints[i].x, rec.aPoints[i].y); };
    const bool fromPosition = type == emr::POLYLINETO || type == emr::POLYBEZIERTO;
    const bool bezier = type == emr::POLYBEZIER || type == emr::POLYBEZIERTO;
    TDrawShape shape;
    std::size_t first = 0;
    if (fromPosition) {
        shape.Path.MoveTo(PositionPoint());
    } else {
        if (n == 0) return;
        shape.Path.MoveTo(point(0));
        first = 1;
    }
    if (bezier) {
        // Whole segments only: points left over draw nothing.
        for (std::size_t i = first; i + 2 < n; i += 3)
            shape.Path.BezierTo(point(i), point(i + 1), point(i + 2));
    } else {
        for (std::size_t i = first; i < n; ++i)
            shape.Path.LineTo(point(i));
    }
    if (fromPosition && n > 0) {
        const std::size_t last = bezier ? first + (n - first) / 3 * 3 : n;
        if (last > 0)
            state_.Position = TFigPoint{double(rec.aPoints[last - 1].x), double(rec.aPoints[last - 1].y)};
    }
    const bool closed = type == emr::POLYGON;
    if (closed) shape.Path.Close();
    DrawShape(shape, closed);
}

void TmvDefaultPlayer::PolyPoly(const TRecordReader& r, TPointSize size, bool closed) {
    const TEmrPolyPoly rec = DecodePolyPoly(r, size);
    const TMapping& m = state_.Mapping;
    TDrawShape shape;
    std::size_t next = 0;
    for (std::uint32_t k = 0; k < rec.NumberOfPolylines; ++k) {
        const std::uint32_t count = rec.PolylinePointCount[k];
        for (std::uint32_t i = 0; i < count; ++i, ++next) {
            const TFigPoint p = m.MapPoint(rec.aPoints[next].x, rec.aPoints[next].y);
            if (i == 0)
                shape.Path.MoveTo(p);
            else
                shape.Path.LineTo(p);
        }
        if (closed && count > 0) shape.Path.Close();
    }
    DrawShape(shape, closed);
}

void TmvDefaultPlayer::LineTo(const TRecordReader& r) {
    const TPointL to = DecodeLineTo(r).Point;
    TDrawShape shape;
    shape.Path.MoveTo(PositionPoint());
    shape.Path.LineTo(state_.Mapping.MapPoint(to.x, to.y));
    state_.Position = TFigPoint{double(to.x), double(to.y)};
    DrawShape(shape, false);
}

void TmvDefaultPlayer::SetPixel(const TRecordReader& r) {
    const TEmrSetPixelV rec = DecodeSetPixelV(r);
    const std::uint32_t rgb = ResolveColorRef(rec.Color);
    emitter_.Pixel(state_.Mapping.MapPoint(rec.Pixel.x, rec.Pixel.y), ColorToIndex(rgb, AlternativeBlack()),
                   TrueColorOf(rgb));
}

void TmvDefaultPlayer::Rectangle(const TRecordReader& r) {
    const TRectL b = DecodeBox(r).Box;
    const TMapping& m = state_.Mapping;
    TDrawShape shape;
    const TFigPoint p[4] = {m.MapPoint(b.Left, b.Top), m.MapPoint(b.Right, b.Top),
                            m.MapPoint(b.Right, b.Bottom), m.MapPoint(b.Left, b.Bottom)};
    shape.Path.MoveTo(p[0]);
    for (int i = 1; i < 4; ++i)
        shape.Path.LineTo(p[i]);
    shape.Path.Close();
    shape.IsRectangle = true;
    DrawShape(shape, true);
}

void TmvDefaultPlayer::RoundRect(const TRecordReader& r) {
    const TEmrRoundRect rec = DecodeRoundRect(r);
    const double l = std::min(rec.Box.Left, rec.Box.Right), rt = std::max(rec.Box.Left, rec.Box.Right);
    const double t = std::min(rec.Box.Top, rec.Box.Bottom), b = std::max(rec.Box.Top, rec.Box.Bottom);
    const double rx = std::min(std::fabs(double(rec.Corner.cx)) / 2, (rt - l) / 2);
    const double ry = std::min(std::fabs(double(rec.Corner.cy)) / 2, (b - t) / 2);
    // The corners are quarter ellipses, drawn in logical space and mapped.
    TFigurePath logical;
    const double k = 4.0 / 3.0 * std::tan(kPi / 8);
    logical.MoveTo({l + rx, t});
    logical.LineTo({rt - rx, t});
    logical.BezierTo({rt - rx + rx * k, t}, {rt, t + ry - ry * k}, {rt, t + ry});
    logical.LineTo({rt, b - ry});
    logical.BezierTo({rt, b - ry + ry * k}, {rt - rx + rx * k, b}, {rt - rx, b});
    logical.LineTo({l + rx, b});
    logical.BezierTo({l + rx - rx * k, b}, {l, b - ry + ry * k}, {l, b - ry});
    logical.LineTo({l, t + ry});
    logical.BezierTo({l, t + ry - ry * k}, {l + rx - rx * k, t}, {l + rx, t});
    logical.Close();
    TDrawShape shape;
    shape.Path = MapPath(logical);
    DrawShape(shape, true);
}

void TmvDefaultPlayer::Ellipse(const TRecordReader& r) {
    const TRectL b = DecodeBox(r).Box;
    const TMapping& m = state_.Mapping;
    const TFigPoint centre = m.MapPoint((double(b.Left) + b.Right) / 2, (double(b.Top) + b.Bottom) / 2);
    const TFigPoint u = m.MapVector((double(b.Right) - b.Left) / 2, 0);
    const TFigPoint v = m.MapVector(0, (double(b.Bottom) - b.Top) / 2);
    TDrawShape shape;
    AppendConjugateArc(shape.Path, centre, u, v, 0, 2 * kPi, false);
    shape.Path.Close();
    shape.Curve = EllipseFromConjugates(centre, u, v, 0, 2 * kPi);
    DrawShape(shape, true);
}

void TmvDefaultPlayer::ArcRecord(const TRecordReader& r, std::uint32_t type) {
    const TEmrArc rec = DecodeArc(r);
    const TRectL& b = rec.Box;
    const TMapping& m = state_.Mapping;
    const TFigPoint centre = m.MapPoint((double(b.Left) + b.Right) / 2, (double(b.Top) + b.Bottom) / 2);
    const TFigPoint u = m.MapVector((double(b.Right) - b.Left) / 2, 0);
    const TFigPoint v = m.MapVector(0, (double(b.Bottom) - b.Top) / 2);
    if (!(std::fabs(Cross(u, v)) > 0)) return; // a box without area draws nothing
    double s0 = ConjugateParameter(centre, u, v, m.MapPoint(rec.Start.x, rec.Start.y));
    double s1 = ConjugateParameter(centre, u, v, m.MapPoint(rec.End.x, rec.End.y));
    // Counter-clockwise as the picture shows it (clockwise when the arc
    // direction says so); the parameter turns that way where u, v do.
    constexpr std::uint32_t AD_CLOCKWISE = 2;
    const bool counterClockwise = state_.ArcDirection != AD_CLOCKWISE;
    const bool increasing = (Cross(u, v) > 0) == counterClockwise;
    if (increasing) {
        if (s1 <= s0) s1 += 2 * kPi;
    } else if (s1 >= s0) {
        s1 -= 2 * kPi;
    }
    TDrawShape shape;
    const bool arcTo = type == emr::ARCTO;
    if (arcTo) shape.Path.MoveTo(PositionPoint());
    if (type == emr::PIE) shape.Path.MoveTo(centre);
    AppendConjugateArc(shape.Path, centre, u, v, s0, s1, arcTo || type == emr::PIE);
    if (type == emr::ARC)
        shape.Curve = EllipseFromConjugates(centre, u, v, std::min(s0, s1), std::max(s0, s1));
    if (arcTo) {
        // The position moves to the arc's end, kept in logical units.
        const TFigPoint end = centre + u * std::cos(s1) + v * std::sin(s1);
        const TAffine inv = m.LogicalToFigure();
        const double det = inv.Determinant();
        if (det != 0) {
            const double x = end.x - inv.dx, y = end.y - inv.dy;
            state_.Position = TFigPoint{(x * inv.m22 - y * inv.m21) / det, (y * inv.m11 - x * inv.m12) / det};
        }
    }
    const bool closed = type == emr::CHORD || type == emr::PIE;
    if (closed) shape.Path.Close();
    DrawShape(shape, closed);
}

void TmvDefaultPlayer::AngleArc(const TRecordReader& r) {
    const TEmrAngleArc rec = DecodeAngleArc(r);
    const TMapping& m = state_.Mapping;
    const double radius = rec.Radius;
    const TFigPoint centre = m.MapPoint(rec.Center.x, rec.Center.y);
    // Angles count counter-clockwise as the screen shows logical space.
    const TFigPoint u = m.MapVector(radius, 0), v = m.MapVector(0, -radius);
    const double s0 = double(rec.StartAngle) * kPi / 180, s1 = s0 + double(rec.SweepAngle) * kPi / 180;
    if (!std::isfinite(s0) || !std::isfinite(s1)) throw ERangeError();
    TDrawShape shape;
    shape.Path.MoveTo(PositionPoint());
    AppendConjugateArc(shape.Path, centre, u, v, s0, s1, true);
    const double ex = rec.Center.x + radius * std::cos(s1), ey = rec.Center.y - radius * std::sin(s1);
    state_.Position = TFigPoint{ex, ey};
    DrawShape(shape, false);
}

} // namespace mv
