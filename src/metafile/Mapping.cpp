#include "metafile/Mapping.h"

#include "platform/Errors.h"

#include <algorithm>
#include <cmath>

namespace mv {

TAffine TAffine::Then(const TAffine& b) const {
    return TAffine{m11 * b.m11 + m12 * b.m21, m11 * b.m12 + m12 * b.m22,      m21 * b.m11 + m22 * b.m21,
                   m21 * b.m12 + m22 * b.m22, dx * b.m11 + dy * b.m21 + b.dx, dx * b.m12 + dy * b.m22 + b.dy};
}

TPictureFrame PictureFrameOf(const TEmrHeader& header) {
    TPictureFrame f;
    if (header.Device.cx > 0 && header.Device.cy > 0) {
        f.DevicePixelsX = header.Device.cx;
        f.DevicePixelsY = header.Device.cy;
    }
    if (header.Millimeters.cx > 0 && header.Millimeters.cy > 0) {
        f.DeviceMillimetersX = header.Millimeters.cx;
        f.DeviceMillimetersY = header.Millimeters.cy;
        // The micrometres say the same more precisely; some writers leave
        // other bytes there, which disagree with the millimetres.
        const double umX = header.Micrometers.cx / 1000.0, umY = header.Micrometers.cy / 1000.0;
        if (header.HasMicrometers && std::fabs(umX - f.DeviceMillimetersX) <= 1 &&
            std::fabs(umY - f.DeviceMillimetersY) <= 1 && umX > 0 && umY > 0) {
            f.DeviceMillimetersX = umX;
            f.DeviceMillimetersY = umY;
        }
    }
    const TRectL& r = header.Frame;
    f.Left = std::min(r.Left, r.Right);
    f.Right = std::max(r.Left, r.Right);
    f.Top = std::min(r.Top, r.Bottom);
    f.Bottom = std::max(r.Top, r.Bottom);
    if (f.Width() == 0 || f.Height() == 0) {
        // No frame: the bounds in device pixels stand for it.
        const TRectL& b = header.Bounds;
        f.Left = std::min(b.Left, b.Right) * f.UnitsPerPixelX();
        f.Right = std::max(b.Left, b.Right) * f.UnitsPerPixelX();
        f.Top = std::min(b.Top, b.Bottom) * f.UnitsPerPixelY();
        f.Bottom = std::max(b.Top, b.Bottom) * f.UnitsPerPixelY();
    }
    return f;
}

void TMapping::SetFrame(const TPictureFrame& frame) {
    frame_ = frame;
    Update();
}

void TMapping::SetWorld(const TAffine& world) {
    world_ = world;
    Update();
}

void TMapping::ModifyWorld(const TAffine& m, std::uint32_t mode) {
    if (mode == 1)
        world_ = TAffine{};
    else if (mode == 2)
        world_ = m.Then(world_);
    else if (mode == 3)
        world_ = world_.Then(m);
    else
        world_ = m;
    Update();
}

void TMapping::SetMapMode(std::uint32_t mode) {
    if (mode < 1 || mode > 8) return;
    const auto m = static_cast<TMapMode>(mode);
    if (m == TMapMode::Anisotropic || (m == TMapMode::Isotropic && mode_ == m)) {
        mode_ = m;
        return;
    }
    mode_ = m;
    // Logical units per millimetre of the fixed modes; MM_ISOTROPIC starts
    // from the extents of MM_LOMETRIC.
    double perMillimetre = 0;
    switch (m) {
    case TMapMode::LoMetric:
    case TMapMode::Isotropic:
        perMillimetre = 10;
        break;
    case TMapMode::HiMetric:
        perMillimetre = 100;
        break;
    case TMapMode::LoEnglish:
        perMillimetre = 100 / 25.4;
        break;
    case TMapMode::HiEnglish:
        perMillimetre = 1000 / 25.4;
        break;
    case TMapMode::Twips:
        perMillimetre = 1440 / 25.4;
        break;
    default:
        break;
    }
    if (perMillimetre == 0) {
        winExtX_ = winExtY_ = vpExtX_ = vpExtY_ = 1;
    } else {
        winExtX_ = frame_.DeviceMillimetersX * perMillimetre;
        winExtY_ = frame_.DeviceMillimetersY * perMillimetre;
        vpExtX_ = frame_.DevicePixelsX;
        vpExtY_ = -frame_.DevicePixelsY;
    }
    Update();
}

void TMapping::SetWindowOrg(double x, double y) {
    winOrgX_ = x;
    winOrgY_ = y;
    Update();
}

void TMapping::SetViewportOrg(double x, double y) {
    vpOrgX_ = x;
    vpOrgY_ = y;
    Update();
}

void TMapping::SetWindowExt(double cx, double cy) {
    if (!ExtentsFree() || cx == 0 || cy == 0 || !std::isfinite(cx) || !std::isfinite(cy)) return;
    winExtX_ = cx;
    winExtY_ = cy;
    FixIsotropic();
    Update();
}

void TMapping::SetViewportExt(double cx, double cy) {
    if (!ExtentsFree() || cx == 0 || cy == 0 || !std::isfinite(cx) || !std::isfinite(cy)) return;
    vpExtX_ = cx;
    vpExtY_ = cy;
    FixIsotropic();
    Update();
}

void TMapping::ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom == 0 || yDenom == 0) return;
    SetWindowExt(winExtX_ * xNum / xDenom, winExtY_ * yNum / yDenom);
}

void TMapping::ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom == 0 || yDenom == 0) return;
    SetViewportExt(vpExtX_ * xNum / xDenom, vpExtY_ * yNum / yDenom);
}

void TMapping::FixIsotropic() {
    if (mode_ != TMapMode::Isotropic) return;
    // Size of a logical unit on the device along each axis; the larger one
    // shrinks to the smaller.
    const double sx = std::fabs(vpExtX_ / winExtX_) * frame_.UnitsPerPixelX();
    const double sy = std::fabs(vpExtY_ / winExtY_) * frame_.UnitsPerPixelY();
    if (!(sx > 0) || !(sy > 0)) return;
    if (sx > sy)
        vpExtX_ *= sy / sx;
    else if (sy > sx)
        vpExtY_ *= sx / sy;
}

double TMapping::Scale() const {
    return std::sqrt(std::fabs(toFigure_.Determinant()));
}

TFigPoint TMapping::Checked(TFigPoint p) {
    if (!(std::fabs(p.x) <= kMaxCoordinate) || !(std::fabs(p.y) <= kMaxCoordinate)) throw ERangeError();
    return p;
}

void TMapping::Update() {
    const double sx = vpExtX_ / winExtX_, sy = vpExtY_ / winExtY_;
    const TAffine page{sx, 0, 0, sy, vpOrgX_ - winOrgX_ * sx, vpOrgY_ - winOrgY_ * sy};
    // Device pixels to hundredths of a millimetre, y turned upward, the
    // frame's corner at the origin.
    fromDevice_ =
        TAffine{frame_.UnitsPerPixelX(), 0, 0, -frame_.UnitsPerPixelY(), -frame_.Left, frame_.Bottom};
    toFigure_ = world_.Then(page).Then(fromDevice_);
}

} // namespace mv
