// kestrova-plan's whole path in process, on arguments, a settings file and
// a plan file made from the fuzzer's bytes, in every mode and format,
// output to memory: it never throws out of its entry or aborts, exits 0, 1
// or 2, and what it writes as CSV or JSON is valid CSV or JSON.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "plan/formats/format_registry.h"
#include "plan/program/plan.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// RFC 4180 as the planner writes it: as many fields in every record as in
// the header, CR LF after each.
void RequireCsv(std::string_view text) {
    std::size_t fields = 1, header = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                ++i;
            else if (c == '"')
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            ++fields;
        } else if (c == '\r') {
            if (header == 0) header = fields;
            Require(i + 1 < text.size() && text[i + 1] == '\n' && fields == header);
            ++i;
            fields = 1;
        } else {
            Require(c != '\n');
        }
    }
    Require(!quoted && fields == 1 && text.ends_with("\r\n"));
}

// Options that would write files, outlast a fuzzing run or change the format
// being checked are taken out; the rest goes as it came.
bool Kept(std::string_view arg) {
    for (std::string_view option :
         {"--output", "--ini", "--max-channels", "--threads", "--format", "--verify"})
        if (arg.starts_with(option)) return false;
    return arg != "-o";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::filesystem::path base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    const auto dir = base / ("kestrova-plan-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    return 0;
}

// The first byte picks the format (or none) and the mode; then the
// settings file's bytes, the plan file's bytes and the arguments, separated
// by NUL bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::span<const kestrova::plan::FormatEntry> formats = kestrova::plan::Formats();
    const std::size_t choices = formats.size() + 1;  // each format, or none
    const std::size_t pick = data[0] % choices;
    const std::string format = pick < formats.size() ? std::string(formats[pick].name) : std::string();
    const std::size_t mode = data[0] / choices % 3;  // plan, decode, verify
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto next = [&rest] {
        const std::size_t end = std::min(rest.find('\0'), rest.size());
        const std::string_view part = rest.substr(0, end);
        rest = end < rest.size() ? rest.substr(end + 1) : std::string_view();
        return part;
    };
    std::ofstream("fuzz.ini", std::ios::binary | std::ios::trunc) << next();
    std::ofstream("plan.txt", std::ios::binary | std::ios::trunc) << next();

    std::vector<std::string> args = {"--ini", "fuzz.ini", "--max-channels", "3000", "--threads", "2"};
    if (!format.empty()) args.insert(args.end(), {"--format", format});
    if (mode == 1) args.emplace_back("--decode");
    if (mode == 2) args.insert(args.end(), {"--verify", "plan.txt"});
    bool informational = false;
    while (!rest.empty()) {
        const std::string_view arg = next();
        if (Kept(arg)) args.emplace_back(arg);
        informational = informational || arg == "-h" || arg == "--help" || arg == "--version";
    }

    std::string out;
    std::string error;
    int status = -1;
    try {
        status = kestrova::plan::RunPlan(
            args, [&out](std::string_view bytes) { out.append(bytes); }, false, error);
    } catch (...) {
        std::abort();  // nothing may leave the entry
    }
    Require(status == 0 || status == 1 || status == 2);
    Require(status != 2 || !error.empty());
    if (status == 2 || informational || format.empty() || mode == 2) return 0;
    if (format == "csv") RequireCsv(out);
    if (format == "json") Require(nlohmann::json::accept(out));
    return 0;
}
