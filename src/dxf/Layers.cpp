#include "dxf/Layers.h"

#include "dxf/DXFExport.h"
#include "dxf/Rounding.h"

#include <cmath>

namespace mv {

void WriteLayerRecord(const TmvExpDXFLayer& layer, TmvDXFExport& exporter) {
    exporter.AddString(0, "LAYER");
    exporter.AddHandle();
    exporter.AddString(330, " 1A");
    exporter.AddString(100, "AcDbSymbolTableRecord");
    exporter.AddString(100, "AcDbLayerTableRecord");
    exporter.AddString(2, layer.LayerName);
    exporter.AddInt(70, layer.LayerFlags);
    exporter.AddInt(62, layer.LayerColor);
    exporter.AddString(6, layer.LineTypeName);
    if (exporter.AutoCADVersion >= 1) {
        exporter.AddInt(370, layer.LineWeight);
        exporter.AddString(390, " 19");
    }
}

const std::array<TLineTypeDef, 7> LineTypeNames = {{
    {"", {}, -1},
    {"_DASH", {8, -2}, 1},
    {"_DOT", {2, -2}, 1},
    {"_DASHDOT", {8, -2, 2, -2}, 3},
    {"_DASHDOTDOT", {8, -2, 2, -2, 2, -2}, 5},
    {"", {}, -1},
    {"", {}, -1},
}};

const std::array<std::int32_t, 24> StandardLineWeights = {
    0, 5, 9, 13, 15, 18, 20, 25, 30, 35, 40, 50, 53, 60, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};

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

std::optional<std::int32_t> LineWeightOf(float penWidth, bool use01MM, long double penWidthRatio) {
    // Products are formed in extended precision; a result outside the 32-bit
    // range stands for the weight 100.
    long double b;
    auto inRange = [](long double v) { return v >= -2147483648.0L && v <= 2147483647.0L; };
    if (penWidthRatio > 0) {
        b = std::nearbyintl(static_cast<long double>(penWidth) * 100.0L * penWidthRatio);
    } else {
        long double r = std::nearbyintl(static_cast<long double>(penWidth));
        b = use01MM ? r : r * 10.0L;
        if (!inRange(r)) b = 100;
    }
    if (!inRange(b)) b = 100;
    const std::int32_t w = static_cast<std::int32_t>(b);
    if (w < 5) return std::nullopt;
    if (w >= 211) return 211;
    std::int32_t result = 0;
    for (std::int32_t s : StandardLineWeights)
        if (s <= w) result = s;
    return result;
}

} // namespace mv
