#pragma once
// The description of a bitmap placed in the drawing: its pixels (or the
// bytes of an embedded JPEG or PNG) and where its corners lie.

#include "figure/ExportData.h"
#include "image/Dib.h"
#include "image/RgbaImage.h"

#include <cstdint>

namespace mv {

struct TdxfImageData {
    // The outer corner of the bottom-left pixel, in drawing units.
    TdxfPoint Origin;
    // One pixel along a row (left to right) and one pixel up a column
    // (bottom to top): a turned, mirrored or sheared placement is in them.
    TdxfPoint U;
    TdxfPoint V;
    // Exactly one of the two is set; valid only during the call.
    const TRgbaImage* Pixels = nullptr;
    const TEmbeddedImage* Embedded = nullptr;

    std::uint32_t Width() const { return Pixels ? Pixels->Width() : Embedded ? Embedded->Width : 0; }
    std::uint32_t Height() const { return Pixels ? Pixels->Height() : Embedded ? Embedded->Height : 0; }
};

} // namespace mv
