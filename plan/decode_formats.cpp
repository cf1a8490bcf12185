// Decoded register sets as a table, CSV or JSON: the registers as given,
// their decimals, N, the achieved frequency and the problems found.
#include <array>
#include <string>
#include <string_view>

#include "core/numeric_text.h"
#include "plan/decode.h"
#include "plan/format_parts.h"

namespace kestrova::plan {
namespace {

// The five registers in the window's order, given or not.
std::array<const RegisterText*, 5> Registers(const RegisterSet& set) {
    return {&set.r, &set.s, &set.p, set.c ? &*set.c : nullptr, set.g ? &*set.g : nullptr};
}

constexpr std::array<std::string_view, 5> kTextNames = {"Rt", "St", "Pt", "Ct", "Gt"};
constexpr std::array<std::string_view, 5> kValueNames = {"R", "S", "P", "C", "G"};

std::string Problems(const DecodedSet& set) {
    std::string joined;
    for (const std::string& problem : set.problems) joined += (joined.empty() ? "" : "; ") + problem;
    return joined;
}

void Pad(std::string& out, std::string_view text, std::size_t width) {
    if (text.size() < width) out.append(width - text.size(), ' ');
    out += text;
}

// A table: the five register texts, N and the achieved frequency, and the
// problems (or "ok") at the end of the row.
class TextSetWriter final : public SetWriter {
public:
    void Begin(std::string& out) const override {
        for (const std::string_view name : kTextNames) Pad(out, name, 10);
        Pad(out, "N", 12);
        Pad(out, "achieved", 17);
        out += "  problems\n";
    }
    void Row(const DecodedSet& set, bool, std::string& out) const override {
        for (const RegisterText* text : Registers(set.set)) Pad(out, text ? Visible(text->text) : "-", 10);
        Pad(out, std::to_string(set.n), 12);
        Pad(out, set.achieved.value_or("-"), 17);
        out += "  ";
        out += set.problems.empty() ? "ok" : Visible(Problems(set));
        out += '\n';
    }
    void End(bool, std::string&) const override {}
};

class CsvSetWriter final : public SetWriter {
public:
    void Begin(std::string& out) const override { out += "Rt,St,Pt,Ct,Gt,R,S,P,C,G,N,achieved,problems\r\n"; }
    void Row(const DecodedSet& set, bool, std::string& out) const override {
        const auto registers = Registers(set.set);
        for (const RegisterText* text : registers) {
            if (text != nullptr) AppendCsvField(out, text->text);
            out += ',';
        }
        for (const RegisterText* text : registers) {
            if (text != nullptr) AppendInteger(out, text->value);
            out += ',';
        }
        out += std::to_string(set.n);
        out += ',';
        out += set.achieved.value_or("");
        out += ',';
        AppendCsvField(out, Problems(set));
        out += "\r\n";
    }
    void End(bool, std::string&) const override {}
};

class JsonSetWriter final : public SetWriter {
public:
    void Begin(std::string& out) const override { out += "["; }
    void Row(const DecodedSet& set, bool first, std::string& out) const override {
        out += first ? "\n  {" : ",\n  {";
        const auto registers = Registers(set.set);
        for (std::size_t i = 0; i < registers.size(); ++i) {
            out += i == 0 ? "\"" : ", \"";
            out += kTextNames[i];
            out += "\": ";
            if (registers[i] != nullptr)
                AppendJsonString(out, registers[i]->text);
            else
                out += "null";
        }
        for (std::size_t i = 0; i < registers.size(); ++i) {
            out += ", \"";
            out += kValueNames[i];
            out += "\": ";
            out += registers[i] != nullptr ? std::to_string(registers[i]->value) : "null";
        }
        out += ", \"N\": " + std::to_string(set.n);
        out += ", \"achieved\": ";
        out += set.achieved.value_or("null");
        out += ", \"problems\": [";
        for (std::size_t i = 0; i < set.problems.size(); ++i) {
            if (i > 0) out += ", ";
            AppendJsonString(out, set.problems[i]);
        }
        out += "]}";
    }
    void End(bool any, std::string& out) const override { out += any ? "\n]\n" : "]\n"; }
};

}  // namespace

std::unique_ptr<SetWriter> MakeSetWriter(Format format) {
    switch (format) {
        case Format::Csv:
            return std::make_unique<CsvSetWriter>();
        case Format::Json:
            return std::make_unique<JsonSetWriter>();
        case Format::Text:
        case Format::CHeader:
            break;
    }
    return std::make_unique<TextSetWriter>();
}

}  // namespace kestrova::plan
