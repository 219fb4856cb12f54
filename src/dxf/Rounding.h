#pragma once
// Rounding to 32-bit integers with ties to even, as the conversion's integer
// rectangles and point mapping need it.

#include "platform/Errors.h"

#include <cfenv>
#include <cmath>
#include <cstdint>

namespace mv {

// Nearest integer, halves to the even neighbour; ERangeError when the result
// does not fit a signed 32-bit integer (NaN included).
inline std::int32_t RoundToInt32(long double v) {
    long double r = std::nearbyintl(v); // the default rounding mode is to nearest, ties to even
    if (!(r >= -2147483648.0L && r <= 2147483647.0L)) throw ERangeError();
    return static_cast<std::int32_t>(r);
}

// Same rounding into 64 bits, for intermediate values such as segment counts.
inline std::int64_t RoundToInt64(long double v) {
    long double r = std::nearbyintl(v);
    if (!(r >= -9223372036854775808.0L && r < 9223372036854775808.0L)) throw ERangeError();
    return static_cast<std::int64_t>(r);
}

} // namespace mv
