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

std::int32_t IndexToRgb(std::int32_t index) {
    static constexpr std::int32_t kFirst[10] = {-1,       0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF,
                                                0x0000FF, 0xFF00FF, 0xFFFFFF, 0x808080, 0xC0C0C0};
    static constexpr std::int32_t kGreys[6] = {0x333333, 0x5B5B5B, 0x848484, 0xADADAD, 0xD6D6D6, 0xFFFFFF};
    if (index < 1 || index > 255) return -1;
    if (index < 10) return kFirst[index];
    if (index >= 250) return kGreys[index - 250];
    // 24 hues 15 degrees apart, each in five brightnesses (percent of full)
    // and full or half saturated: the strongest channel is `high`, the
    // weakest `low`, the third lies between them in quarters of the hue's
    // sector. Channels are cut off to whole numbers.
    static constexpr int kBrightness[5] = {100, 65, 50, 30, 15};
    const int hue = (index - 10) / 10, shade = (index - 10) % 10;
    const int percent = kBrightness[shade / 2];
    const bool pale = shade % 2 != 0;
    auto between = [&](int quarters) {
        return pale ? 255 * percent * (4 + quarters) / 800 : 255 * percent * quarters / 400;
    };
    const int high = between(4), low = between(0);
    const int sector = hue / 4, step = hue % 4; // six sectors of 60 degrees
    int r = 0, g = 0, b = 0;
    switch (sector) {
    case 0:
        r = high, g = between(step), b = low;
        break; // red to yellow
    case 1:
        r = between(4 - step), g = high, b = low;
        break; // yellow to green
    case 2:
        r = low, g = high, b = between(step);
        break; // green to cyan
    case 3:
        r = low, g = between(4 - step), b = high;
        break; // cyan to blue
    case 4:
        r = between(step), g = low, b = high;
        break; // blue to magenta
    default:
        r = high, g = low, b = between(4 - step);
        break; // magenta to red
    }
    return r << 16 | g << 8 | b;
}

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
