// TextFromNumber and the gain pattern against the C library's own correctly
// rounded formatting, over random doubles of every exponent.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include "core/numeric_text.h"

namespace kestrova {
namespace {

// "%.15G" is the same layout: fifteen digits, trailing zeros dropped, an
// exponent below 1E-04 and from 1E+15. The blank sign position is ours.
std::string Reference(double x) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15G", x);
    const std::string text = buffer;
    if (text == "-0") return " 0";
    return text.front() == '-' ? text : " " + text;
}

bool SameTo15Digits(double a, double b) {
    char ta[40], tb[40];
    std::snprintf(ta, sizeof ta, "%.14e", a);
    std::snprintf(tb, sizeof tb, "%.14e", b);
    return std::string(ta) == tb;
}

TEST(TextFromNumberProperty, MatchesReferenceAndReadsBack) {
    std::mt19937_64 random(20261209);
    constexpr int kSamples = 1'000'000;
    int mismatches = 0;
    for (int i = 0; i < kSamples && mismatches < 10; ++i) {
        // Random bit patterns cover every exponent; every fourth sample is a
        // short decimal, where ties and trailing zeros matter most.
        double x = std::bit_cast<double>(random());
        if (i % 4 == 0)
            x = static_cast<double>(static_cast<std::int64_t>(random() % 2000001) - 1000000) /
                std::pow(10.0, static_cast<double>(random() % 12));
        if (!std::isfinite(x)) continue;
        const std::string text = TextFromNumber(x);
        if (text != Reference(x)) {
            ++mismatches;
            ADD_FAILURE() << std::hexfloat << x << ": " << text << " vs " << Reference(x);
            continue;
        }
        const double back = NumberFromText(text);
        if (!SameTo15Digits(back, x)) {
            ++mismatches;
            ADD_FAILURE() << std::hexfloat << x << " read back as " << back;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// The gain pattern against "%.3f", correctly rounded by the C library, with
// the pattern's layout applied: no integer zero, no trailing zeros.
std::string PatternReference(double x) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.3f", std::fabs(x));
    std::string text = buffer;
    const std::size_t point = text.find('.');
    std::string integer = text.substr(0, point);
    std::string fraction = text.substr(point + 1);
    integer.erase(0, integer.find_first_not_of('0') == std::string::npos ? integer.size()
                                                                         : integer.find_first_not_of('0'));
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    const bool negative = x < 0 && !(integer.empty() && fraction.empty());
    return (negative ? "-" : "") + integer + "." + fraction + "   ";
}

TEST(FormatPatternProperty, MatchesReference) {
    std::mt19937_64 random(20261210);
    int mismatches = 0;
    for (int i = 0; i < 1'000'000 && mismatches < 10; ++i) {
        // Decimal ties (x.xxx5), exact binary ties (k/16), and random values
        // of every size the gain can have.
        double x = 0;
        switch (i % 4) {
            case 0:
                x = (static_cast<double>(random() % 2000000) - 1000000.0 + 0.5) / 1000.0;
                break;
            case 1:
                x = static_cast<double>(static_cast<std::int64_t>(random() % 200001) - 100000) / 16.0;
                break;
            case 2:
                x = std::ldexp(static_cast<double>(random() % (1u << 30)),
                               static_cast<int>(random() % 60) - 40);
                break;
            default:
                x = std::bit_cast<double>(random());
                break;
        }
        if (!std::isfinite(x)) continue;
        const std::string text = FormatPattern(x, "##.###   ", ".");
        if (text != PatternReference(x)) {
            ++mismatches;
            ADD_FAILURE() << std::hexfloat << x << ": " << text << " vs " << PatternReference(x);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace kestrova
