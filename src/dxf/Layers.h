#pragma once
// Layers, line types made from pen styles, line weights and the mapping of
// Windows colours to DXF colour numbers.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mv {

class TmvDXFExport;

class TmvExpDXFLayer {
public:
    explicit TmvExpDXFLayer(std::string name) : LayerName(std::move(name)) {}
    std::string LayerName;
    std::string LineTypeName = "Continuous";
    std::uint8_t LayerFlags = 0;
    std::int32_t LayerColor = 7;
    std::int32_t LineWeight = -3;
};

// Appends the layer's LAYER record to the exporter's current output.
void WriteLayerRecord(const TmvExpDXFLayer& layer, TmvDXFExport& exporter);

// The line type of a dashed pen style: its name and dash lengths.
struct TLineTypeDef {
    std::string_view Name;       // empty: the style has no line type
    std::array<float, 6> Dashes; // positive dashes, negative gaps
    int Last;                    // index of the last dash length
};
// Pen styles 0 to 6 (solid, dash, dot, dash-dot, dash-dot-dot, null, inside frame).
extern const std::array<TLineTypeDef, 7> LineTypeNames;

extern const std::array<std::int32_t, 24> StandardLineWeights;

// 8 red x 8 green x 4 blue cells.
extern const std::array<std::uint8_t, 256> ColorCubeTable;

// A Windows colour (red in the low byte) as a DXF colour number. Black is 7,
// or 250 when alternativeBlack is set.
std::int32_t ColorToIndex(std::uint32_t color, bool alternativeBlack);

// The line weight (group 370) of a pen width, or none when it is below 5.
std::optional<std::int32_t> LineWeightOf(float penWidth, bool use01MM, long double penWidthRatio);

} // namespace mv
