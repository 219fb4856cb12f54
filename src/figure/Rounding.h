#pragma once
// Rounding to 32-bit integers with ties to even, as the conversion's integer
// rectangles and point mapping need it.

#include "platform/Errors.h"

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace mv {

// Portability guard. The rounding below, and with it every mapped point, needs
// the x87 extended long double with its 64-bit significand: adding 2^63 leaves
// no fraction bits only at that width (a 53-bit long double loses the value,
// a 113-bit one keeps the fraction and truncates). Rather than compute other
// coordinates, the build stops on platforms with another long double.
static_assert(std::numeric_limits<long double>::digits == 64,
              "Metrovane needs the 80-bit extended long double (64-bit significand) of x86");

// Nearest integer, halves to the even neighbour; ERangeError when the result
// does not fit a signed 32-bit integer (NaN included). Every mapped point goes
// through here, so it avoids the library call: adding 2^63 leaves no fraction
// bits in the 64-bit significand, so the sum is rounded in the current mode
// (to nearest, ties to even).
inline std::int32_t RoundToInt32(long double v) {
    constexpr long double big = 0x1p63L;
    const long double r = v >= 0 ? (v + big) - big : (v - big) + big;
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
