#include "dxf/EntityGroups.h"
#include "dxf/Figures.h"
#include "dxf/GroupWriter.h"

namespace mv {

TmvExpDXFImage::TmvExpDXFImage(const TdxfImageData& image, std::size_t fileId, std::int32_t defHandle)
    : TmvExpDXFFigure(TdxfExportData{}), Origin(image.Origin), U(image.U), V(image.V),
      PixelWidth(image.Width()), PixelHeight(image.Height()),
      Transparent(image.Pixels ? !image.Pixels->IsOpaque() : image.Embedded != nullptr), FileId(fileId),
      DefHandle(defHandle) {}

void TmvExpDXFImage::Export(TGroupWriter& out) const {
    EntityHandle = out.NextHandle();
    out.AddEntityHeader("IMAGE", "AcDbRasterImage");
    out.AddInt(90, 0);
    out.AddPoint3D(10, Origin);
    const long double w = PixelWidth, h = PixelHeight;
    // The far corners count for the extents as the insertion point does.
    out.Widen(static_cast<float>(Origin.x + U.x * w), static_cast<float>(Origin.y + U.y * w));
    out.Widen(static_cast<float>(Origin.x + V.x * h), static_cast<float>(Origin.y + V.y * h));
    out.Widen(static_cast<float>(Origin.x + U.x * w + V.x * h),
              static_cast<float>(Origin.y + U.y * w + V.y * h));
    for (const auto& [code, vector] : {std::pair{11, U}, std::pair{12, V}}) {
        out.AddFloat(code, out.ScaleValue(vector.x));
        out.AddFloat(code + 10, out.ScaleValue(vector.y));
        out.AddInt(code + 20, 0);
    }
    AddReal(out, 13, w);
    AddReal(out, 23, h);
    out.AddHex(340, static_cast<std::uint32_t>(DefHandle));
    // Shown, also when not aligned with the screen; transparency on where
    // the picture has transparent pixels.
    out.AddInt(70, Transparent ? 11 : 3);
    out.AddInt(280, 0);
    out.AddInt(281, 50);
    out.AddInt(282, 50);
    out.AddInt(283, 0);
    ReactorHandle = out.TakeHandle();
    out.AddHex(360, static_cast<std::uint32_t>(ReactorHandle));
    // The whole image as a rectangular clip boundary, in pixel coordinates
    // (pixel centres are whole numbers).
    out.AddInt(71, 1);
    out.AddInt(91, 2);
    out.AddFloat(14, -0.5L);
    out.AddFloat(24, -0.5L);
    out.AddFloat(14, w - 0.5L);
    out.AddFloat(24, h - 0.5L);
}

} // namespace mv
