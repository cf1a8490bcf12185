// Decoded register sets as a table: the registers as given, N, the achieved
// frequency and the problems found (or "ok").
#include <memory>
#include <string>

#include "core/numeric_text.h"
#include "core/registers.h"
#include "plan/channel/text_escapes.h"
#include "plan/formats/set_writer.h"

namespace kestrova::plan {
namespace {

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

}  // namespace

std::unique_ptr<SetWriter> MakeTextSetWriter() {
    return std::make_unique<TextSetWriter>();
}

}  // namespace kestrova::plan
