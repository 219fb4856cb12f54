#include "dxf/Layers.h"

#include "dxf/GroupWriter.h"

#include <cmath>

namespace mv {

void WriteLayerRecord(const TmvExpDXFLayer& layer, TGroupWriter& out) {
    out.AddString(0, "LAYER");
    out.AddHandle();
    out.AddString(330, " 1A");
    out.AddString(100, "AcDbSymbolTableRecord");
    out.AddString(100, "AcDbLayerTableRecord");
    out.AddString(2, layer.LayerName);
    out.AddInt(70, layer.LayerFlags);
    out.AddInt(62, layer.LayerColor);
    out.AddString(6, layer.LineTypeName);
    if (out.Settings().AutoCADVersion >= 1) {
        out.AddInt(370, layer.LineWeight);
        out.AddString(390, " 19");
    }
}

const std::array<std::int32_t, 24> StandardLineWeights = {
    0, 5, 9, 13, 15, 18, 20, 25, 30, 35, 40, 50, 53, 60, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};

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

std::optional<std::int32_t> NearestLineWeight(float penWidth) {
    if (!(penWidth > 0)) return std::nullopt;
    std::int32_t best = StandardLineWeights[1];
    for (std::int32_t s : StandardLineWeights)
        if (s > 0 && std::fabs(s - penWidth) < std::fabs(best - penWidth)) best = s;
    return best;
}

} // namespace mv
