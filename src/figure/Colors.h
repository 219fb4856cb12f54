#pragma once
// Windows colours as DXF colour numbers. The interpreter converts every pen,
// brush and text colour when it meets it; figures carry only the number.

#include <array>
#include <cstdint>

namespace mv {

// 8 red x 8 green x 4 blue cells.
extern const std::array<std::uint8_t, 256> ColorCubeTable;

// A Windows colour (red in the low byte) as a DXF colour number. Black is 7,
// or 250 when alternativeBlack is set.
std::int32_t ColorToIndex(std::uint32_t color, bool alternativeBlack);

// A Windows colour (0x00BBGGRR) as the true colour of a description
// (0x00RRGGBB).
constexpr std::int32_t TrueColorOf(std::uint32_t color) {
    return static_cast<std::int32_t>(((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF));
}

// The colour that a DXF colour number 1 to 255 stands for in the standard
// palette, as 0x00RRGGBB (7 as white); -1 for any other number.
std::int32_t IndexToRgb(std::int32_t index);

} // namespace mv
