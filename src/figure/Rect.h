#pragma once
// An integer rectangle, Windows style: Left/Top inclusive, Right/Bottom
// exclusive. Figures use it for their bounds, the window for its panels.

#include <cstdint>

namespace mv {

struct TRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;
};

} // namespace mv
