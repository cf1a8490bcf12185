// CalculateRegisters on a panel whose fourteen fields are cut from the input
// at each "|". Only CalcFault escapes. On success N = 32 P + S with S in
// 0..31 as the summary shows them, each register is upper-case hexadecimal of
// at least its width, and no field written holds "inf" or "nan". On a fault,
// nothing after the faulting step has changed.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/calc_fault.h"
#include "core/calculation.h"
#include "core/numeric_text.h"

using kestrova::Field;

namespace {

constexpr kestrova::Rgb kMarker{1, 2, 3};

void Require(bool condition) {
    if (!condition) std::abort();
}

bool HasNonFinite(std::string text) {
    for (char& c : text) c = static_cast<char>(c | 0x20);
    return text.find("inf") != std::string::npos || text.find("nan") != std::string::npos;
}

// The number after a label in the summary ("N  400   S  16 ...").
double After(const std::string& results, std::string_view label) {
    const std::size_t at = results.find(label);
    Require(at != std::string::npos);
    return kestrova::NumberFromText(std::string_view(results).substr(at + label.size(), 12));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    kestrova::MemoryPanel panel;
    std::size_t start = 0;
    for (Field field : kestrova::kAllFields) {
        const std::size_t bar = std::min(input.find('|', start), input.size());
        if (start <= input.size()) panel.SetText(field, input.substr(start, bar - start));
        start = bar + 1;
    }
    panel.SetFoutBackColor(kMarker);
    const kestrova::MemoryPanel before = panel;

    try {
        kestrova::CalculateRegisters(panel, ".");
    } catch (const kestrova::CalcFault&) {
        // Fout changes with its colour or not at all; the summary and the
        // registers come after every step that can fault.
        if (panel.FoutBackColor() == kMarker) Require(panel.Text(Field::Fout) == before.Text(Field::Fout));
        for (Field field : {Field::Results, Field::Rt, Field::St, Field::Pt, Field::Ct, Field::Gt})
            Require(panel.Text(field) == before.Text(field));
        for (Field field : kestrova::kInputFields)
            if (field != Field::Fout) Require(panel.Text(field) == before.Text(field));
        return 0;
    }

    Require(panel.FoutBackColor() == kestrova::kWhite || panel.FoutBackColor() == kestrova::kPink);
    for (Field field : {Field::Fout, Field::Results, Field::Rt, Field::St, Field::Pt, Field::Ct, Field::Gt})
        Require(!HasNonFinite(panel.Text(field)));
    const std::string results = panel.Text(Field::Results);
    const double n = After(results, "N ");
    const double s = After(results, "   S ");
    const double p = After(results, "   P ");
    Require(s >= 0 && s <= 31 && n == 32 * p + s);
    const std::pair<Field, std::size_t> registers[] = {
        {Field::Rt, 4}, {Field::St, 2}, {Field::Pt, 3}, {Field::Ct, 3}, {Field::Gt, 2}};
    for (const auto& [field, width] : registers) {
        const std::string text = panel.Text(field);
        Require(text.size() >= width && text.size() <= 8);
        for (char c : text) Require((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
    }
    Require(std::strtoul(panel.Text(Field::St).c_str(), nullptr, 16) == static_cast<unsigned long>(s));
    Require(std::strtoul(panel.Text(Field::Pt).c_str(), nullptr, 16) == static_cast<unsigned long>(p));
    return 0;
}
