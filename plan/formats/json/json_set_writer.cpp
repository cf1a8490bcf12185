// Decoded register sets as JSON: the registers as given, their decimals, N,
// the achieved frequency and the list of problems found.
#include <memory>
#include <string>

#include "core/numeric_text.h"
#include "core/registers.h"
#include "plan/channel/text_escapes.h"
#include "plan/formats/set_writer.h"

namespace kestrova::plan {
namespace {

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

std::unique_ptr<SetWriter> MakeJsonSetWriter() {
    return std::make_unique<JsonSetWriter>();
}

}  // namespace kestrova::plan
