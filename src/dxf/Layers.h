#pragma once
// Layers and line weights. The colour numbers and the line types of pen
// styles are shared with the interpreter (figure/Colors.h, figure/LineTypes.h).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mv {

class TGroupWriter;

class TmvExpDXFLayer {
public:
    explicit TmvExpDXFLayer(std::string name) : LayerName(std::move(name)) {}
    std::string LayerName;
    std::string LineTypeName = "Continuous";
    std::uint8_t LayerFlags = 0;
    std::int32_t LayerColor = 7;
    std::int32_t LineWeight = -3;
};

// Writes the layer's LAYER record.
void WriteLayerRecord(const TmvExpDXFLayer& layer, TGroupWriter& out);

extern const std::array<std::int32_t, 24> StandardLineWeights;

// The line weight (group 370) of a pen width, or none when it is below 5.
std::optional<std::int32_t> LineWeightOf(float penWidth, bool use01MM, long double penWidthRatio);
// The default mode's line weight: the standard weight nearest to a pen width
// in hundredths of a millimetre; none for a thin pen (width 0).
std::optional<std::int32_t> NearestLineWeight(float penWidth);

} // namespace mv
