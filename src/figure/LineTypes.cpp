#include "figure/LineTypes.h"

namespace mv {

const std::array<TLineTypeDef, 7> LineTypeNames = {{
    {"", {}, -1},
    {"_DASH", {8, -2}, 1},
    {"_DOT", {2, -2}, 1},
    {"_DASHDOT", {8, -2, 2, -2}, 3},
    {"_DASHDOTDOT", {8, -2, 2, -2, 2, -2}, 5},
    {"", {}, -1},
    {"", {}, -1},
}};

} // namespace mv
