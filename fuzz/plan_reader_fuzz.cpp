// A plan file's bytes straight to the readers and the comparison: the file
// is recognised, split (in pieces of a size the bytes choose, so that
// records fall across pieces) and read, and every channel recomputed and
// compared, as a list and as a band. Nothing but a PlanFormatError may come
// out, and no report line may hold a raw control character.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "plan/checks/verify.h"
#include "plan/run/channels.h"

namespace {

using namespace kestrova;

MemoryPanel Example() {
    MemoryPanel panel;
    const char* inputs[] = {"900", "1000", "0.5", "700", "10", "950", "2", ""};
    for (std::size_t i = 0; i < kInputFields.size(); ++i) panel.SetText(kInputFields[i], inputs[i]);
    return panel;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const MemoryPanel parameters = Example();
    static const plan::Channels band(900, 0.5, 201);
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    std::string report;
    const auto write = [&report](std::string_view text) { report.append(text); };
    const auto bandFor = [size](bool recordsBand) -> std::optional<plan::Channels> {
        if (size % 2 == 0 || recordsBand) return band;
        return std::nullopt;
    };
    try {
        std::istringstream input{std::string(content)};
        plan::PlanStream file("-", &input, 1 + size % 61, false);
        plan::Progress progress({}, 0, "bytes");
        plan::VerifyPlan(file, parameters, bandFor, 1, write, progress);
    } catch (const plan::PlanFormatError&) {
        return 0;
    }
    for (const char c : report)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7f) std::abort();
    return 0;
}
