// Exact decimal arithmetic for a band's count: the three numbers as whole
// numbers of one decimal unit, in base 10^9 limbs, and the quotient found by
// halving the range of counts.
#include "plan/run/band_count.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "core/numeric_text.h"

namespace kestrova::plan {
namespace {

constexpr std::uint32_t kBase = 1'000'000'000;
__extension__ using Wide = unsigned __int128;
using Whole = std::vector<std::uint32_t>;  // least significant limb first, no zero limb at the top

void Trim(Whole& a) {
    while (!a.empty() && a.back() == 0) a.pop_back();
}

// digits x 10^zeros.
Whole FromDigits(const std::string& digits, long long zeros) {
    std::string all = digits;
    all.append(static_cast<std::size_t>(zeros), '0');
    Whole whole;
    for (std::size_t end = all.size(); end > 0;) {
        const std::size_t start = end >= 9 ? end - 9 : 0;
        std::uint32_t limb = 0;
        for (std::size_t i = start; i < end; ++i) limb = limb * 10 + static_cast<std::uint32_t>(all[i] - '0');
        whole.push_back(limb);
        end = start;
    }
    Trim(whole);
    return whole;
}

int Compare(const Whole& a, const Whole& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = a.size(); i-- > 0;)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return 0;
}

Whole Add(const Whole& a, const Whole& b) {
    Whole sum(std::max(a.size(), b.size()) + 1, 0);
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < sum.size(); ++i) {
        carry += (i < a.size() ? a[i] : 0) + std::uint64_t{i < b.size() ? b[i] : 0};
        sum[i] = static_cast<std::uint32_t>(carry % kBase);
        carry /= kBase;
    }
    Trim(sum);
    return sum;
}

// a - b for a >= b.
Whole Subtract(const Whole& a, const Whole& b) {
    Whole difference = a;
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < difference.size(); ++i) {
        std::int64_t limb = std::int64_t{difference[i]} - borrow - (i < b.size() ? b[i] : 0);
        borrow = limb < 0 ? 1 : 0;
        if (limb < 0) limb += kBase;
        difference[i] = static_cast<std::uint32_t>(limb);
    }
    Trim(difference);
    return difference;
}

Whole Times(const Whole& a, std::uint64_t factor) {
    Whole product(a.size() + 3, 0);
    Wide carry = 0;
    for (std::size_t i = 0; i < product.size(); ++i) {
        carry += static_cast<Wide>(i < a.size() ? a[i] : 0) * factor;
        product[i] = static_cast<std::uint32_t>(carry % kBase);
        carry /= kBase;
    }
    Trim(product);
    return product;
}

// The most decimal places the three numbers may span: far beyond any band a
// synthesiser has, and a bound on the memory counting takes.
constexpr long long kMostDigits = 100'000;

}  // namespace

std::optional<long long> BandChannelCount(std::string_view fl, std::string_view fh, std::string_view step,
                                          long long limit) {
    const ExactDecimal low = ExactDecimalFromText(fl), high = ExactDecimalFromText(fh),
                       unit = ExactDecimalFromText(step);
    // All three in units of the smallest power of ten among them.
    long long exponent = unit.exponent;
    for (const ExactDecimal* x : {&low, &high})
        if (!x->digits.empty()) exponent = std::min(exponent, x->exponent);
    const auto whole = [exponent](const ExactDecimal& x) {
        if (x.digits.empty()) return Whole{};
        if (static_cast<long long>(x.digits.size()) + (x.exponent - exponent) > kMostDigits)
            throw std::length_error("FL, FH and Step span more than " + std::to_string(kMostDigits) +
                                    " decimal places");
        return FromDigits(x.digits, x.exponent - exponent);
    };
    const Whole l = whole(low), h = whole(high), s = whole(unit);
    // FH - FL; none below FL.
    Whole span;
    if (low.negative == high.negative) {
        const int order = Compare(h, l) * (low.negative ? -1 : 1);
        if (order < 0) return 0;
        span = low.negative ? Subtract(l, h) : Subtract(h, l);
    } else {
        if (high.negative && !h.empty()) return 0;
        span = Add(h, l);
    }
    // The largest q with q x Step <= FH - FL, at most limit - 1.
    long long below = 0, above = limit;  // q >= below; q < above
    while (above - below > 1) {
        const long long middle = below + (above - below) / 2;
        if (Compare(Times(s, static_cast<std::uint64_t>(middle)), span) <= 0)
            below = middle;
        else
            above = middle;
    }
    if (above == limit && Compare(Times(s, static_cast<std::uint64_t>(limit)), span) <= 0)
        return std::nullopt;
    return below + 1;
}

}  // namespace kestrova::plan
