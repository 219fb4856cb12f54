#pragma once
// Records of paths, regions and gradients for tests: whole records as the
// record builder takes them.

#include "EmfBuilder.h"
#include "metafile/EnhMetafile.h"

#include <cstdint>
#include <vector>

namespace mv::test {

// EMR_POLYDRAW (or with 16-bit points EMR_POLYDRAW16).
inline std::vector<std::uint8_t> PolyDraw(const std::vector<TPt>& points,
                                          const std::vector<std::uint8_t>& types, bool small = false) {
    TRecordBytes r(small ? 92 : 56);
    r.Rect(0, 0, 0, 0).U32(static_cast<std::uint32_t>(points.size()));
    for (TPt p : points)
        small ? r.I16(static_cast<std::int16_t>(p.x)).I16(static_cast<std::int16_t>(p.y))
              : r.I32(p.x).I32(p.y);
    for (std::uint8_t t : types)
        r.U8(t);
    return r.Finish();
}

// EMR_FILLRGN with the brush and a region of the rectangles whose header
// claims count of them.
inline std::vector<std::uint8_t> FillRgn(const std::vector<TRectL>& rects, std::uint32_t count,
                                         std::uint32_t brush = 7) {
    TRecordBytes r(71);
    r.Rect(0, 0, 0, 0).U32(32 + 16 * static_cast<std::uint32_t>(rects.size())).U32(brush).U32(32);
    r.U32(1).U32(count).U32(16 * count).Rect(0, 0, 0, 0);
    for (const TRectL& x : rects)
        r.Rect(x.Left, x.Top, x.Right, x.Bottom);
    return r.Finish();
}

struct TVertex {
    std::int32_t x, y;
    std::uint16_t r, g, b;
};
// EMR_GRADIENTFILL.
inline std::vector<std::uint8_t> Gradient(const std::vector<TVertex>& vertices,
                                          const std::vector<std::uint32_t>& indices, std::uint32_t objects,
                                          std::uint32_t mode) {
    TRecordBytes r(118);
    r.Rect(0, 0, 0, 0).U32(static_cast<std::uint32_t>(vertices.size())).U32(objects).U32(mode);
    for (const TVertex& v : vertices)
        r.I32(v.x).I32(v.y).U16(v.r).U16(v.g).U16(v.b).U16(0);
    for (std::uint32_t i : indices)
        r.U32(i);
    return r.Finish();
}

} // namespace mv::test
