// CSV as RFC 4180 has it.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/numeric_text.h"
#include "plan/format_parts.h"

namespace kestrova::plan {
namespace {

void AppendNumber(std::string& out, std::int32_t value) {
    AppendInteger(out, value);
}

// RFC 4180: CR LF records; a field with a comma, quote or line break quoted,
// its quotes doubled.
class CsvWriter final : public ChannelWriter {
public:
    void Begin(const Provenance&, std::string& out) const override {
        out += "wanted,achieved,error,error_ppm,mismatch,R,N,P,S,C,G,Rt,St,Pt,Ct,Gt,fault\r\n";
    }
    void Row(const ChannelResult& c, bool, std::string& out) const override {
        out.reserve(out.size() + 160 + c.wantedText.size() + c.faultText.size());
        AppendCsvField(out, WantedText(c));
        if (c.fault) {
            out += ",,,,,,,,,,,,,,,,";
            AppendCsvField(out, c.faultText);
            out += "\r\n";
            return;
        }
        out += ',';
        out += Trimmed(c.achievedText);
        const ErrorColumns errors = Errors(c);
        out += ',';
        out += errors.error.value_or("");
        out += ',';
        out += errors.ppm.value_or("");
        out += c.values.mismatch ? ",1" : ",0";
        for (const std::int32_t value :
             {c.values.r, c.values.n, c.values.p, c.values.s, c.values.c, c.values.g}) {
            out += ',';
            AppendNumber(out, value);
        }
        for (const std::string_view text : {c.rt, c.st, c.pt, c.ct, c.gt}) {
            out += ',';
            out += text;
        }
        out += ",\r\n";
    }
    void End(long long, bool, std::string&) const override {}
};

}  // namespace

std::unique_ptr<ChannelWriter> MakeCsvWriter() {
    return std::make_unique<CsvWriter>();
}

}  // namespace kestrova::plan
