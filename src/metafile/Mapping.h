#pragma once
// TMapping: the coordinate chain of the default mode. A logical point goes
// through the world transform into page space, through the window and
// viewport of the mapping mode into device space, and through the picture's
// reference device into hundredths of a millimetre, with y turned upward
// and the picture's frame spanning (0, 0) to (width, height). Everything is
// computed in double precision; nothing is rounded to integers.

#include "metafile/EmfRecords.h"
#include "metafile/FigureGeometry.h"

#include <cstdint>

namespace mv {

// An affine map of row vectors, laid out like XFORM:
// x' = x m11 + y m21 + dx, y' = x m12 + y m22 + dy.
struct TAffine {
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;

    static TAffine From(const TXForm& x) { return {x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy}; }
    // This map first, then b.
    TAffine Then(const TAffine& b) const;
    TFigPoint Apply(double x, double y) const { return {x * m11 + y * m21 + dx, x * m12 + y * m22 + dy}; }
    TFigPoint ApplyVector(double x, double y) const { return {x * m11 + y * m21, x * m12 + y * m22}; }
    double Determinant() const { return m11 * m22 - m12 * m21; }
    friend bool operator==(const TAffine&, const TAffine&) = default;
};

// The mapping modes of SETMAPMODE.
enum class TMapMode : std::uint8_t {
    Text = 1,
    LoMetric = 2,
    HiMetric = 3,
    LoEnglish = 4,
    HiEnglish = 5,
    Twips = 6,
    Isotropic = 7,
    Anisotropic = 8,
};

// What the header says about the picture's place and size: the reference
// device (pixels and millimetres) and the frame in 0.01 mm of that device.
struct TPictureFrame {
    double DevicePixelsX = 1024, DevicePixelsY = 768;
    double DeviceMillimetersX = 320, DeviceMillimetersY = 240;
    double Left = 0, Top = 0, Right = 0, Bottom = 0;

    // Hundredths of a millimetre per device pixel.
    double UnitsPerPixelX() const { return DeviceMillimetersX * 100 / DevicePixelsX; }
    double UnitsPerPixelY() const { return DeviceMillimetersY * 100 / DevicePixelsY; }
    double Width() const { return Right - Left; }
    double Height() const { return Bottom - Top; }
};

// The frame and reference device of an enhanced metafile's header. Sizes
// that are zero or negative fall back to the usual reference device, a
// micrometre size is taken only where it agrees with the millimetres, and a
// frame turned over is put in order.
TPictureFrame PictureFrameOf(const TEmrHeader& header);

class TMapping {
public:
    // Largest figure coordinate taken for real; anything beyond (or not a
    // number) is the range error.
    static constexpr double kMaxCoordinate = 1e12;

    TMapping() { Update(); }

    const TPictureFrame& Frame() const { return frame_; }
    void SetFrame(const TPictureFrame& frame);

    // The world transform (logical to page space).
    const TAffine& World() const { return world_; }
    void SetWorld(const TAffine& world);
    // MWT_IDENTITY (1), MWT_LEFTMULTIPLY (2: the given transform acts first),
    // MWT_RIGHTMULTIPLY (3); any other mode sets it.
    void ModifyWorld(const TAffine& m, std::uint32_t mode);

    // Page to device space. Unknown modes are ignored; the fixed modes set
    // their own extents, MM_ISOTROPIC starts as MM_LOMETRIC does and
    // MM_ANISOTROPIC keeps the extents it finds.
    TMapMode MapMode() const { return mode_; }
    void SetMapMode(std::uint32_t mode);
    void SetWindowOrg(double x, double y);
    void SetViewportOrg(double x, double y);
    // Extents change only in MM_ISOTROPIC and MM_ANISOTROPIC; a zero extent
    // is refused. MM_ISOTROPIC then shrinks one viewport extent so that a
    // logical unit has the same size on both axes.
    void SetWindowExt(double cx, double cy);
    void SetViewportExt(double cx, double cy);
    void ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
    TFigPoint WindowOrg() const { return {winOrgX_, winOrgY_}; }
    TFigPoint WindowExt() const { return {winExtX_, winExtY_}; }
    TFigPoint ViewportOrg() const { return {vpOrgX_, vpOrgY_}; }
    TFigPoint ViewportExt() const { return {vpExtX_, vpExtY_}; }

    // A logical point as a figure point; ERangeError when it is not finite or
    // lies beyond kMaxCoordinate.
    TFigPoint MapPoint(double x, double y) const { return Checked(toFigure_.Apply(x, y)); }
    // A logical vector (a length with a direction) in figure units.
    TFigPoint MapVector(double x, double y) const { return Checked(toFigure_.ApplyVector(x, y)); }
    // A device point (regions are given in device units) as a figure point.
    TFigPoint DevicePoint(double x, double y) const { return Checked(fromDevice_.Apply(x, y)); }
    TFigPoint DeviceVector(double x, double y) const { return Checked(fromDevice_.ApplyVector(x, y)); }
    const TAffine& LogicalToFigure() const { return toFigure_; }

    // Figure units per logical unit along the logical axes, and for lengths
    // without a direction (pen widths) the mean of the two.
    double ScaleX() const { return Length(toFigure_.ApplyVector(1, 0)); }
    double ScaleY() const { return Length(toFigure_.ApplyVector(0, 1)); }
    double Scale() const;
    // Whether logical space appears mirrored in the figure against the
    // screen's orientation (x to the right, y downward): then a turn that is
    // counter-clockwise on the screen's terms comes out clockwise. True, for
    // example, in MM_LOMETRIC, where logical y runs upward.
    bool IsMirrored() const { return toFigure_.Determinant() > 0; }

private:
    static TFigPoint Checked(TFigPoint p);
    void Update();
    void FixIsotropic();
    bool ExtentsFree() const { return mode_ == TMapMode::Isotropic || mode_ == TMapMode::Anisotropic; }

    TPictureFrame frame_;
    TAffine world_;
    TMapMode mode_ = TMapMode::Text;
    double winOrgX_ = 0, winOrgY_ = 0, winExtX_ = 1, winExtY_ = 1;
    double vpOrgX_ = 0, vpOrgY_ = 0, vpExtX_ = 1, vpExtY_ = 1;
    TAffine toFigure_;   // logical to figure, the whole chain
    TAffine fromDevice_; // device to figure
};

} // namespace mv
