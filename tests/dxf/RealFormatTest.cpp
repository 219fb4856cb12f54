#include "dxf/RealFormat.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

using mv::FormatReal;

namespace {

// An independent rendering: the C library's correctly rounded 15 digits,
// reshaped into the file's notation.
std::string Reference(long double v) {
    if (v == 0) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14Le", std::fabs(v));
    std::string digits;
    const char* p = buf;
    for (; *p != 'e'; ++p)
        if (*p != '.') digits.push_back(*p);
    int e = std::atoi(p + 1) + 1;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string out = v < 0 ? "-" : "";
    // Appended piece by piece: a literal + std::string temporary misleads
    // g++ 12's overlap analysis into a -Wrestrict warning.
    if (e > 15 || e < -3) {
        out += digits[0];
        if (digits.size() > 1) out.append(".").append(digits, 1);
        out.append("E").append(std::to_string(e - 1));
    } else if (e <= 0) {
        out.append("0.").append(static_cast<std::size_t>(-e), '0').append(digits);
    } else if (static_cast<int>(digits.size()) <= e) {
        out.append(digits).append(static_cast<std::size_t>(e) - digits.size(), '0');
    } else {
        const auto whole = static_cast<std::size_t>(e);
        out.append(digits, 0, whole).append(".").append(digits, whole);
    }
    return out;
}

} // namespace

TEST(RealFormat, DocumentedExamples) {
    EXPECT_EQ(FormatReal(0), "0");
    EXPECT_EQ(FormatReal(0.1f), "0.100000001490116");
    EXPECT_EQ(FormatReal(100), "100");
    EXPECT_EQ(FormatReal(12.5L), "12.5");
    EXPECT_EQ(FormatReal(0.25L), "0.25");
    EXPECT_EQ(FormatReal(0.0001L), "0.0001");
    EXPECT_EQ(FormatReal(0.00001L), "1E-5");
    EXPECT_EQ(FormatReal(1E15L), "1E15");
    EXPECT_EQ(FormatReal(1.5E20L), "1.5E20");
    EXPECT_EQ(FormatReal(-3), "-3");
    EXPECT_EQ(FormatReal(-0.5L), "-0.5");
    EXPECT_EQ(FormatReal(0.05f), "0.0500000007450581");
    EXPECT_EQ(FormatReal(2 * 3.14159265358979323846L), "6.28318530717959");
    EXPECT_EQ(FormatReal(999999999999999.0L), "999999999999999");
    EXPECT_EQ(FormatReal(9999999999999995.0L), "1E16");
    EXPECT_EQ(FormatReal(123456789012345678.0L), "1.23456789012346E17");
    EXPECT_EQ(FormatReal(1E-300L), "1E-300");
}

TEST(RealFormat, NoNumberIsAnInternalErrorNeverText) {
    for (long double v :
         {std::numeric_limits<long double>::quiet_NaN(), std::numeric_limits<long double>::infinity(),
          -std::numeric_limits<long double>::infinity()})
        EXPECT_THROW(FormatReal(v), std::logic_error);
}

TEST(RealFormat, BoundariesBetweenFixedAndScientific) {
    EXPECT_EQ(FormatReal(0.000099999L), "9.9999E-5");
    EXPECT_EQ(FormatReal(0.00099999L), "0.00099999");
    EXPECT_EQ(FormatReal(999999999999999.4L), "999999999999999");
    EXPECT_EQ(FormatReal(0.00009999999999999999L), "0.0001"); // rounds up across the boundary
}

TEST(RealFormat, DecimalPointIgnoresTheLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "German locale not installed";
    EXPECT_EQ(FormatReal(12.5L), "12.5");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(RealFormat, MatchesTheIndependentReferenceOnRandomValues) {
    std::mt19937_64 rng(20261207);
    std::uniform_int_distribution<int> expo(-40, 40);
    std::uniform_real_distribution<double> mant(-1.0, 1.0);
    for (int i = 0; i < 200000; ++i) {
        long double v;
        switch (i % 4) {
        case 0:
            v = static_cast<float>(mant(rng) * std::pow(10.0, expo(rng) % 30));
            break; // singles
        case 1:
            v = mant(rng) * std::pow(10.0L, expo(rng));
            break; // doubles
        case 2:
            v = std::ldexp(static_cast<long double>(rng()), expo(rng) - 64);
            break; // full extended mantissas
        default:
            v = std::round(mant(rng) * 1e6) / 64;
            break; // short binary fractions
        }
        ASSERT_EQ(FormatReal(v), Reference(v)) << "value index " << i;
    }
}

TEST(RealFormat, ExactTiesGoToTheEvenDigit) {
    // 2^-22 = 2.384185791015625e-7 has exactly 16 significant digits.
    EXPECT_EQ(FormatReal(std::ldexp(1.0L, -22)), Reference(std::ldexp(1.0L, -22)));
    EXPECT_EQ(FormatReal(100000000000000.5L), Reference(100000000000000.5L));
    EXPECT_EQ(FormatReal(100000000000001.5L), Reference(100000000000001.5L));
}
