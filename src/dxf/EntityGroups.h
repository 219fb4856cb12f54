#pragma once
// Group helpers shared by the curved, text and hatch writers.

#include "dxf/GroupWriter.h"

#include <cstdint>
#include <string_view>

namespace mv {

// A real group. Whole numbers within 32 bits come out of the real-number
// format digit for digit as integers do ("0", "360", "-15"), so they take the
// integer writer and skip the general conversion; many groups of curves and
// hatches are such constants.
inline void AddReal(TGroupWriter& out, int code, long double value) {
    // Tested in double precision, which holds every single and avoids the
    // slow extended-precision integer conversion.
    const double d = static_cast<double>(value);
    if (d == value && d >= -2147483648.0 && d <= 2147483647.0) {
        const auto whole = static_cast<std::int32_t>(d);
        if (whole == d) {
            out.AddInt(code, whole);
            return;
        }
    }
    out.AddFloat(code, value);
}

// A real group whose value the caller has already formatted (constants and
// values repeated within an entity).
inline void AddFormattedReal(TGroupWriter& out, int code, std::string_view text) {
    out.AddCodeLine(code);
    out.AddRawLine(text);
}

// A group whose code line and value are constants, written as they stand;
// code must already be in the code-line format ("%3d").
inline void AddFixedGroup(TGroupWriter& out, std::string_view code, std::string_view value) {
    out.AddRawLine(code);
    out.AddRawLine(value);
}

// The point (0, 0) as AddPoint writes it. The extents start at the origin and
// only ever grow, so this point never changes them.
inline void AddOrigin(TGroupWriter& out, int code) {
    out.AddInt(code, 0);
    out.AddInt(code + 10, 0);
}

// A point with its z group, as AddPoint3D writes it.
inline void AddPointWithZ(TGroupWriter& out, int code, const TdxfPoint& p) {
    out.AddPoint(code, p);
    AddReal(out, code + 20, p.z);
}

} // namespace mv
