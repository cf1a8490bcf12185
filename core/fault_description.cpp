// Fault words. Each field a formula read is named by its caption and shown
// with the value the calculation took from it; when the box's text is not
// wholly a number (a comma, a unit, letters, nothing at all), the text is
// quoted too, since that is almost always the cause.
#include "core/fault_description.h"

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/numeric_text.h"

namespace kestrova::detail {
namespace {

struct SiteWords {
    const char* formula;
    std::array<Field, 3> fields;  // in the order the formula shows them
    std::size_t fieldCount;
};

SiteWords WordsFor(FaultSite site) {
    switch (site) {
        case FaultSite::R:
            return {"R = Fref / Step", {Field::Fref, Field::Fstep}, 2};
        case FaultSite::N:
            return {"N = |Fout \u2212 F0| / Step", {Field::Fout, Field::Fo, Field::Fstep}, 3};
        case FaultSite::Achieved:
            return {"Fout = N \u00d7 Fref / R + F0", {Field::Fref, Field::Fo}, 2};
        case FaultSite::Mismatch:
            return {"|achieved \u2212 wanted Fout|", {Field::Fout}, 1};
        case FaultSite::PS:
            return {"P = N / 32, S = N \u2212 32 \u00d7 P", {}, 0};
        case FaultSite::C:
            return {"C = 512 \u2212 (Fosc \u2212 Fout) \u00d7 DAC Gain + 0.5",
                    {Field::Fosc, Field::Fout, Field::DacGain},
                    3};
        case FaultSite::Gain:
            return {"gain = (Fout \u2212 F0) \u00d7 0.269 / (FH \u2212 F0)",
                    {Field::Fout, Field::Fo, Field::Fh},
                    3};
        // G reads no field, but the gain it divides by comes from these.
        case FaultSite::G:
            return {"G = (1 / gain \u2212 1) \u00d7 1.66", {Field::Fout, Field::Fo, Field::Fh}, 3};
        case FaultSite::Reading:
        case FaultSite::Unknown:
            break;
    }
    return {"a formula", {}, 0};
}

std::string_view Caption(Field field) {
    return Info(field).term;
}

// At most 24 characters of the box's text, cut at a character boundary.
std::string Quoted(std::string_view text) {
    constexpr std::size_t kShown = 24;
    std::string shown;
    std::size_t characters = 0;
    std::size_t i = 0;
    for (; i < text.size() && characters < kShown; ++characters) {
        std::size_t length = 1;
        while (i + length < text.size() && (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80)
            ++length;
        for (std::size_t k = 0; k < length; ++k) {
            const char c = text[i + k];
            shown.push_back(c == '\t' || c == '\n' || c == '\r' ? ' ' : c);
        }
        i += length;
    }
    return "\"" + shown + (i < text.size() ? "\u2026\"" : "\"");
}

// "its box holds "0,5"", or nothing when the text reads as it stands.
std::string BoxNote(std::string_view text, std::string_view owner) {
    if (IsWholeNumber(text)) return {};
    if (text.find_first_not_of(" \t\n") == std::string_view::npos)
        return std::string(owner) + " box is empty";
    return std::string(owner) + " box holds " + Quoted(text);
}

struct Reading {
    Field field;
    std::string_view text;
    std::optional<double> value;  // none: beyond the double range
};

// "Step reads as 0 (its box holds "0,5")", "FH and F0 both read as 700".
std::string GroupClause(std::span<const Reading* const> group) {
    std::string names;
    for (std::size_t i = 0; i < group.size(); ++i) {
        if (i > 0) names += i + 1 == group.size() ? " and " : ", ";
        names += Caption(group[i]->field);
    }
    const std::string value =
        group[0]->value ? NumberText(*group[0]->value) : "a number beyond the double range";
    std::string clause = names +
                         (group.size() == 1   ? " reads as "
                          : group.size() == 2 ? " both read as "
                                              : " all read as ") +
                         value;
    std::string notes;
    for (const Reading* reading : group) {
        const std::string owner = group.size() == 1 ? "its" : std::string(Caption(reading->field)) + "'s";
        const std::string note = BoxNote(reading->text, owner);
        if (note.empty()) continue;
        notes += notes.empty() ? "" : ", ";
        notes += note;
    }
    return notes.empty() ? clause : clause + " (" + notes + ")";
}

std::string InputsLine(const CalculationMemo& memo, const SiteWords& words,
                       std::initializer_list<Computed> computed) {
    std::vector<std::string> clauses;
    for (const Computed& value : computed)
        clauses.push_back(std::string(value.name) + " is " + NumberText(value.value));

    std::vector<Reading> readings;
    for (std::size_t i = 0; i < words.fieldCount; ++i) {
        const CalculationMemo::Reading& read = memo.readings[static_cast<std::size_t>(words.fields[i])];
        readings.push_back(
            {words.fields[i], read.text, read.known ? std::optional(read.value) : std::nullopt});
    }
    std::vector<bool> used(readings.size(), false);
    for (std::size_t i = 0; i < readings.size(); ++i) {
        if (used[i]) continue;
        std::vector<const Reading*> group{&readings[i]};
        for (std::size_t k = i + 1; k < readings.size(); ++k) {
            if (!used[k] && readings[k].value == readings[i].value) {
                group.push_back(&readings[k]);
                used[k] = true;
            }
        }
        clauses.push_back(GroupClause(group));
    }
    std::string line;
    for (const std::string& clause : clauses) line += (line.empty() ? "" : "; ") + clause;
    return line.empty() ? line : line + ".";
}

}  // namespace

const char* FormulaWords(FaultSite site) {
    return WordsFor(site).formula;
}

CalcFault DescribeFault(const CalculationMemo& memo, FaultKind kind, FaultSite site,
                        std::initializer_list<Computed> computed, std::optional<Beyond32Bits> beyond) {
    const SiteWords words = WordsFor(site);
    std::string stopped =
        std::string("The calculation stopped at ") + words.formula + ": " + FaultWords(kind);
    if (beyond && kind == FaultKind::Overflow)
        stopped += std::string(", ") + beyond->name + " = " + NumberText(beyond->value) +
                   " is beyond the 32-bit range";
    stopped += ".";
    return CalcFault(kind, std::move(stopped), InputsLine(memo, words, computed));
}

CalcFault DescribeReadingFault(FaultKind kind, Field field, std::string_view text) {
    const std::string caption(Caption(field));
    return CalcFault(kind, "The calculation stopped reading " + caption + ": " + FaultWords(kind) + ".",
                     caption + "'s box holds " + Quoted(text) + ", beyond the double range.");
}

}  // namespace kestrova::detail
