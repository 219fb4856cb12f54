#pragma once
// Pen styles and the line types they draw with. The interpreter names the
// line type in each figure it makes and hands the definition to its sink on
// first use; the DXF writer turns the definition into an LTYPE record.

#include <array>
#include <cstdint>
#include <string_view>

namespace mv {

// The low byte of a pen's style as the metafile gives it.
enum class PenStyle : std::uint8_t {
    Solid = 0,
    Dash = 1,
    Dot = 2,
    DashDot = 3,
    DashDotDot = 4,
    Null = 5,
    InsideFrame = 6,
    UserStyle = 7,
    Alternate = 8,
};

// The line type of a dashed pen style: its name and dash lengths.
struct TLineTypeDef {
    std::string_view Name;       // empty: the style has no line type
    std::array<float, 6> Dashes; // positive dashes, negative gaps
    int Last;                    // index of the last dash length
};
// Pen styles 0 to 6 (solid, dash, dot, dash-dot, dash-dot-dot, null, inside frame).
extern const std::array<TLineTypeDef, 7> LineTypeNames;

// The entry of LineTypeNames for a style from Solid to InsideFrame.
inline const TLineTypeDef& LineTypeOf(PenStyle style) {
    return LineTypeNames[static_cast<std::size_t>(style)];
}

} // namespace mv
