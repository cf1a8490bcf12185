// Random panels of the values users type, through CalculateRegisters, one
// line each: the eight inputs, then every output or the fault's text. Two
// builds that give the same digits print the same bytes, so comparing the
// output of a build with that of the release build finds any panel where
// the compiler or the processor changed a digit.
// Usage: panel_digits COUNT [SEED]
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/calc_fault.h"
#include "core/calc_panel.h"
#include "core/calculation.h"

namespace {

using kestrova::Field;

// splitmix64: the same numbers on every machine, unlike the standard
// library's distributions.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    std::int64_t Below(std::int64_t bound) {
        return static_cast<std::int64_t>(Next() % static_cast<std::uint64_t>(bound));
    }

private:
    std::uint64_t state_;
};

// mantissa x 10^-places as a user writes it: "461.47", "0.01", "900".
std::string Decimal(std::int64_t mantissa, int places) {
    std::string text = mantissa < 0 ? "-" : "";
    std::uint64_t magnitude =
        mantissa < 0 ? 0 - static_cast<std::uint64_t>(mantissa) : static_cast<std::uint64_t>(mantissa);
    char buffer[24];
    std::string digits(buffer, std::to_chars(buffer, buffer + sizeof buffer, magnitude).ptr);
    if (places == 0) return text + digits;
    if (digits.size() <= static_cast<std::size_t>(places))
        digits.insert(0, static_cast<std::size_t>(places) + 1 - digits.size(), '0');
    digits.insert(digits.size() - static_cast<std::size_t>(places), 1, '.');
    return text + digits;
}

// A value below 10^magnitude with up to maxPlaces decimals.
std::string Ordinary(Random& random, int magnitude, int maxPlaces) {
    const int places = static_cast<int>(random.Below(maxPlaces + 1));
    std::int64_t bound = 1;
    for (int i = 0; i < magnitude + places; ++i) bound *= 10;
    return Decimal(random.Below(bound), places);
}

// Channel steps as mantissa and decimal places.
struct Step {
    std::int64_t mantissa;
    int places;
};
constexpr Step kSteps[] = {{1, 3},  {5, 3},   {1, 2}, {125, 4}, {25, 3}, {5, 2}, {1, 1},  {125, 3},
                           {2, 1},  {25, 2},  {5, 1}, {1, 0},   {2, 0},  {5, 0}, {10, 0}, {125, 1},
                           {25, 0}, {100, 0}, {2, 3}, {2, 2},   {4, 2},  {3, 1}, {3, 0},  {75, 2}};

void FillPanel(Random& random, kestrova::MemoryPanel& panel) {
    const Step step = kSteps[random.Below(std::size(kSteps))];
    panel.SetText(Field::Fstep, Decimal(step.mantissa, step.places));
    // The reference is mostly a whole number of steps, sometimes anything.
    panel.SetText(Field::Fref, random.Below(4) == 0
                                   ? Ordinary(random, 2, 3)
                                   : Decimal((random.Below(2000) + 1) * step.mantissa, step.places));
    panel.SetText(Field::Fo, random.Below(3) == 0 ? "0" : Ordinary(random, 3, 2));
    panel.SetText(Field::Fout, Ordinary(random, 3, 3));
    panel.SetText(Field::Fh, Ordinary(random, 4, 2));
    panel.SetText(Field::Fosc, Ordinary(random, 3, 2));
    panel.SetText(Field::DacGain, Ordinary(random, 1, 2));
    panel.SetText(Field::Fl, Ordinary(random, 3, 1));
}

void Append(std::string& line, std::string_view text) {
    line += '\t';
    for (const char c : text) {
        if (c == '\r')
            line += "\\r";
        else if (c == '\n')
            line += "\\n";
        else
            line += c;
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::uint64_t count = 0;
    std::uint64_t seed = 1;
    const auto number = [](const char* text, std::uint64_t& value) {
        const std::string_view view(text);
        const auto [end, ec] = std::from_chars(view.data(), view.data() + view.size(), value);
        return ec == std::errc() && end == view.data() + view.size();
    };
    if (argc < 2 || argc > 3 || !number(argv[1], count) || (argc == 3 && !number(argv[2], seed))) {
        std::fputs("usage: panel_digits COUNT [SEED]\n", stderr);
        return 2;
    }
    Random random(seed);
    std::string line;
    for (std::uint64_t i = 0; i < count; ++i) {
        kestrova::MemoryPanel panel;
        FillPanel(random, panel);
        line.clear();
        for (const Field field : kestrova::kInputFields) Append(line, panel.Text(field));
        try {
            kestrova::CalculateRegisters(panel, ".");
            line += panel.FoutBackColor() == kestrova::kPink ? "\tpink" : "\twhite";
            for (const Field field :
                 {Field::Fout, Field::Results, Field::Rt, Field::St, Field::Pt, Field::Ct, Field::Gt})
                Append(line, panel.Text(field));
        } catch (const kestrova::CalcFault& fault) {
            Append(line, fault.OneLine());
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
