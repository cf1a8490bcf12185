// Decoded register sets as CSV: the registers as given, their decimals, N,
// the achieved frequency and the problems found.
#include <memory>
#include <string>

#include "core/numeric_text.h"
#include "core/registers.h"
#include "plan/channel/text_escapes.h"
#include "plan/formats/set_writer.h"

namespace kestrova::plan {
namespace {

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

}  // namespace

std::unique_ptr<SetWriter> MakeCsvSetWriter() {
    return std::make_unique<CsvSetWriter>();
}

}  // namespace kestrova::plan
