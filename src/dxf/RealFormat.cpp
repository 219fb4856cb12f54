#include "dxf/RealFormat.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace mv {

// Portability guard. The format works on the extended value: exact powers of
// ten up to 10^27, whole parts split off through double and repaired by an
// exact extended subtraction, and the tie test after one rounding all assume
// the 64-bit significand of the x87 extended long double. Another width would
// write other digits, so the build stops instead.
static_assert(std::numeric_limits<long double>::digits == 64,
              "the real-number format needs the 80-bit extended long double (64-bit significand) of x86");

namespace {

constexpr int kDigits = 15;

// Powers of ten up to 10^27 are exact in the 64-bit mantissa of long double.
struct PowerTable {
    long double p[28];
    constexpr PowerTable() : p{} {
        long double v = 1;
        for (int i = 0; i < 28; ++i) {
            p[i] = v;
            v *= 10;
        }
    }
};
constexpr PowerTable kPow10;

// Decimal digits (without trailing zeros) and exponent E with
// value = 0.d1d2d3... x 10^E. Exact: ties at the 16th digit go to the even
// neighbour, like the C library's conversion of the exact binary value.
struct Decimal {
    char digits[kDigits + 1];
    int count;
    int exponent;
};

void SlowDecimal(long double a, Decimal& d) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14Le", a); // d.dddddddddddddde[+-]xx
    int n = 0;
    for (const char* p = buf; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') d.digits[n++] = *p;
    const char* e = std::strchr(buf, 'e');
    d.exponent = static_cast<int>(std::strtol(e + 1, nullptr, 10)) + 1;
    while (n > 1 && d.digits[n - 1] == '0')
        --n;
    d.count = n;
}

// The 15 decimal digits of r < 10^15, two at a time from the low end.
inline void WriteFifteenDigits(std::uint64_t r, char* out) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    auto lo = static_cast<std::uint32_t>(r % 100000000); // digits 8..15
    auto hi = static_cast<std::uint32_t>(r / 100000000); // digits 1..7
    for (int i = 13; i >= 7; i -= 2) {
        std::memcpy(out + i, kPairs + 2 * (lo % 100), 2);
        lo /= 100;
    }
    for (int i = 5; i >= 1; i -= 2) {
        std::memcpy(out + i, kPairs + 2 * (hi % 100), 2);
        hi /= 100;
    }
    out[0] = static_cast<char>('0' + hi);
}

// Whole part and fraction of 0 <= v < 2^53. A direct conversion of the
// extended value to an integer switches the FPU's rounding mode twice and
// dominated the writer's time; going through double avoids that, and the
// exact extended subtraction repairs the double's rounding.
inline long double SplitWhole(long double v, std::uint64_t& whole) {
    auto w = static_cast<std::int64_t>(static_cast<double>(v));
    long double frac = v - static_cast<long double>(w);
    if (frac < 0) {
        --w;
        frac += 1;
    } else if (frac >= 1) {
        ++w;
        frac -= 1;
    }
    whole = static_cast<std::uint64_t>(w);
    return frac;
}

bool FastDecimal(long double a, Decimal& d) {
    // Binary exponent from the bits of the nearest double; values outside the
    // double's normal range take the exact path.
    const double ad = static_cast<double>(a);
    std::uint64_t bits;
    std::memcpy(&bits, &ad, sizeof bits);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    if (biased == 0 || biased == 0x7FF) return false;
    const int e2 = biased - 1023;
    // Estimate E = floor(log10 a) + 1, then correct it.
    int e = ((e2 + 1) * 78913 >> 18) + 1; // 78913 / 2^18 ~ log10(2)
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int shift = kDigits - e;
        if (shift > 27 || shift < -27) return false;
        const long double scaled = shift >= 0 ? a * kPow10.p[shift] : a / kPow10.p[-shift];
        if (scaled < 1e14L) {
            --e;
            continue;
        }
        if (scaled >= 1e15L) {
            ++e;
            continue;
        }
        // One rounding in the product leaves at most about 1.1e-4 of error;
        // a fraction that close to one half is decided exactly instead.
        std::uint64_t r;
        const long double frac = SplitWhole(scaled, r);
        if (frac > 0.499L && frac < 0.501L) return false;
        if (frac > 0.5L) ++r;
        if (r >= 1000000000000000ULL) {
            r /= 10;
            ++e;
        }
        WriteFifteenDigits(r, d.digits);
        int n = kDigits;
        while (n > 1 && d.digits[n - 1] == '0')
            --n;
        d.count = n;
        d.exponent = e;
        return true;
    }
    return false;
}

void AppendExponent(std::string& out, int x) {
    if (x < 0) {
        out.push_back('-');
        x = -x;
    }
    char buf[12];
    int n = 0;
    do {
        buf[n++] = static_cast<char>('0' + x % 10);
        x /= 10;
    } while (x > 0);
    while (n > 0)
        out.push_back(buf[--n]);
}

} // namespace

void AppendReal(std::string& out, long double value) {
    // Figures with such values are refused when they are made; one that gets
    // here anyway is a fault of the program, never text for the file.
    if (!std::isfinite(value))
        throw std::logic_error("a DXF group was to hold a value that is no finite number");
    if (value == 0) {
        out.push_back('0');
        return;
    }
    const long double a = value < 0 ? -value : value;
    // Whole numbers below 10^15 are written as they are: no rounding can apply.
    if (a < 1e15L) {
        std::uint64_t whole;
        if (SplitWhole(a, whole) == 0) {
            char buf[24];
            char* end = buf + sizeof buf;
            char* p = end;
            std::uint64_t v = whole;
            do {
                *--p = static_cast<char>('0' + v % 10);
                v /= 10;
            } while (v > 0);
            if (value < 0) *--p = '-';
            out.append(p, static_cast<std::size_t>(end - p));
            return;
        }
    }
    Decimal d;
    if (!FastDecimal(a, d)) SlowDecimal(a, d);
    if (value < 0) out.push_back('-');
    const int E = d.exponent;
    if (E > 15 || E < -3) {
        out.push_back(d.digits[0]);
        if (d.count > 1) {
            out.push_back('.');
            out.append(d.digits + 1, d.count - 1);
        }
        out.push_back('E');
        AppendExponent(out, E - 1);
    } else if (E <= 0) {
        out.append("0.");
        out.append(static_cast<std::size_t>(-E), '0');
        out.append(d.digits, d.count);
    } else if (d.count <= E) {
        out.append(d.digits, d.count);
        out.append(static_cast<std::size_t>(E - d.count), '0');
    } else {
        out.append(d.digits, E);
        out.push_back('.');
        out.append(d.digits + E, d.count - E);
    }
}

} // namespace mv
