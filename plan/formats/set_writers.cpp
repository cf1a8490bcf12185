// Decoded register sets as a table, CSV or JSON: the registers as given,
// their decimals, N, the achieved frequency and the problems found.
#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "core/numeric_text.h"
#include "core/registers.h"
#include "plan/channel/text_escapes.h"
#include "plan/formats/set_writer.h"

namespace kestrova::plan {
namespace {

// The five registers in the window's order, given or not.
std::array<const RegisterText*, 5> Registers(const RegisterSet& set) {
    return {&set.r, &set.s, &set.p, set.c ? &*set.c : nullptr, set.g ? &*set.g : nullptr};
}

std::string Problems(const DecodedSet& set) {
    std::string joined;
    for (const std::string& problem : set.problems) joined += (joined.empty() ? "" : "; ") + problem;
    return joined;
}

// A table: the five register texts, N and the achieved frequency, and the
// problems (or "ok") at the end of the row.
class TextSetWriter final : public SetWriter {
public:
    void Begin(std::string& out) const override {
        for (const RegisterInfo& info : kRegisters) AppendPadded(out, FieldName(info.field), 10);
        AppendPadded(out, "N", 12);
        AppendPadded(out, "achieved", 17);
        out += "  problems\n";
    }
    void Row(const DecodedSet& set, bool, std::string& out) const override {
        for (const RegisterText* text : Registers(set.set))
            AppendPadded(out, text ? Visible(text->text) : "-", 10);
        AppendPadded(out, std::to_string(set.n), 12);
        AppendPadded(out, set.achieved.value_or("-"), 17);
        out += "  ";
        out += set.problems.empty() ? "ok" : Visible(Problems(set));
        out += '\n';
    }
    void End(bool, std::string&) const override {}
};

class CsvSetWriter final : public SetWriter {
public:
    void Begin(std::string& out) const override {
        for (const RegisterInfo& info : kRegisters) (out += FieldName(info.field)) += ',';
        for (const RegisterInfo& info : kRegisters) (out += info.letter) += ',';
        out += "N,achieved,problems\r\n";
    }
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
            out += FieldName(kRegisters[i].field);
            out += "\": ";
            if (registers[i] != nullptr)
                AppendJsonString(out, registers[i]->text);
            else
                out += "null";
        }
        for (std::size_t i = 0; i < registers.size(); ++i) {
            out += ", \"";
            out += kRegisters[i].letter;
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

std::unique_ptr<SetWriter> MakeTextSetWriter() {
    return std::make_unique<TextSetWriter>();
}

std::unique_ptr<SetWriter> MakeCsvSetWriter() {
    return std::make_unique<CsvSetWriter>();
}

std::unique_ptr<SetWriter> MakeJsonSetWriter() {
    return std::make_unique<JsonSetWriter>();
}

}  // namespace kestrova::plan
