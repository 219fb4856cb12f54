#pragma once
// The one real-number format of the DXF file: 15 significant digits of the
// exact (extended-precision) value, trailing zeros dropped, fixed notation
// for magnitudes from 0.0001 below 1E15, scientific notation outside, and
// always "." as the decimal separator. The process locale is never consulted.
// A value that is no finite number is refused (std::logic_error).

#include <string>

namespace mv {

void AppendReal(std::string& out, long double value);

inline std::string FormatReal(long double value) {
    std::string s;
    AppendReal(s, value);
    return s;
}

} // namespace mv
