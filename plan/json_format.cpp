// A JSON array of one object per channel.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "core/numeric_text.h"
#include "plan/format_parts.h"

namespace kestrova::plan {
namespace {

void AppendNumber(std::string& out, std::int32_t value) {
    AppendInteger(out, value);
}

void AppendNumber(std::string& out, double value) {
    out += NumberText(value);
}

class JsonWriter final : public ChannelWriter {
public:
    void Begin(const Provenance&, std::string& out) const override { out += "["; }
    void Row(const ChannelResult& c, bool first, std::string& out) const override {
        out += first ? "\n  {\"wanted\": " : ",\n  {\"wanted\": ";
        AppendJsonString(out, WantedText(c));
        if (c.fault) {
            out += ", \"fault\": ";
            AppendJsonString(out, c.faultText);
            out += '}';
            return;
        }
        out += ", \"wanted_value\": ";
        AppendNumber(out, c.wanted);
        out += ", \"achieved\": ";
        out += Trimmed(c.achievedText);
        const ErrorColumns errors = Errors(c);
        out += ", \"error\": ";
        out += errors.error.value_or("null");
        out += ", \"error_ppm\": ";
        out += errors.ppm.value_or("null");
        out += c.values.mismatch ? ", \"mismatch\": true" : ", \"mismatch\": false";
        for (const auto& [name, value] : {std::pair{"R", c.values.r},
                                          {"N", c.values.n},
                                          {"P", c.values.p},
                                          {"S", c.values.s},
                                          {"C", c.values.c},
                                          {"G", c.values.g}}) {
            out += ", \"";
            out += name;
            out += "\": ";
            AppendNumber(out, value);
        }
        for (const auto& [name, text] :
             {std::pair{"Rt", c.rt}, {"St", c.st}, {"Pt", c.pt}, {"Ct", c.ct}, {"Gt", c.gt}}) {
            out += ", \"";
            out += name;
            out += "\": \"";
            out += text;
            out += '"';
        }
        out += ", \"fault\": null}";
    }
    void End(long long, bool any, std::string& out) const override { out += any ? "\n]\n" : "]\n"; }
};

}  // namespace

std::unique_ptr<ChannelWriter> MakeJsonWriter() {
    return std::make_unique<JsonWriter>();
}

}  // namespace kestrova::plan
