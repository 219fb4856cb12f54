#include "figure/Colors.h"

namespace mv {

namespace {
constexpr std::array<std::uint8_t, 256> MakeCubeTable() {
    std::array<std::uint8_t, 256> t{};
    for (auto& v : t)
        v = 1;
    t[0] = 0;
    t[2] = 3;
    t[3] = 2;
    t[4] = 5;
    t[5] = 6;
    t[6] = 4;
    t[7] = 0;
    t[9] = 251;
    t[38] = 33;
    t[51] = 102;
    t[63] = 50;
    t[73] = 251;
    t[91] = 252;
    t[156] = 163;
    t[164] = 253;
    t[191] = 2;
    t[224] = 171;
    t[255] = 254;
    return t;
}
} // namespace

const std::array<std::uint8_t, 256> ColorCubeTable = MakeCubeTable();

std::int32_t ColorToIndex(std::uint32_t color, bool alternativeBlack) {
    switch (color) {
    case 0x000000:
        return alternativeBlack ? 250 : 7;
    case 0x000080:
        return 14;
    case 0x0000FF:
        return 1;
    case 0x008000:
        return 74;
    case 0x008080:
        return 44;
    case 0x00FF00:
        return 3;
    case 0x00FFFF:
        return 2;
    case 0x800000:
        return 154;
    case 0x800080:
        return 224;
    case 0x808000:
        return 135;
    case 0x808080:
        return 8;
    case 0xC0C0C0:
        return 9;
    case 0xFF0000:
        return 5;
    case 0xFF00FF:
        return 6;
    case 0xFFFF00:
        return 4;
    case 0xFFFFFF:
        return 255;
    case 0x1FFFFFFF:
        return 0;
    default:
        break;
    }
    const std::uint32_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
    return ColorCubeTable[r / 32 + 8 * (g / 32) + 64 * (b / 64)];
}

} // namespace mv
