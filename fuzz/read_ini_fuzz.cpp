// ReadIni on arbitrary file bytes: it never crashes; load, save and load give
// the same eight fields; the saved file is exactly eight CR LF lines.
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "settings/settings_file.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

std::array<std::string, 8> Inputs(const kestrova::CalcPanel& panel) {
    std::array<std::string, 8> fields;
    for (std::size_t i = 0; i < fields.size(); ++i) fields[i] = panel.Text(kestrova::kInputFields[i]);
    return fields;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A directory of its own, in memory where there is one: every run saves.
    const std::filesystem::path base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    const auto dir = base / ("kestrova-read-ini-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream file("Kestrova.INI", std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    kestrova::MemoryPanel first;
    kestrova::ReadIni(first);
    kestrova::WriteIni(first);
    std::ifstream in("Kestrova.INI", std::ios::binary);
    const std::string saved{std::istreambuf_iterator<char>(in), {}};
    kestrova::MemoryPanel second;
    kestrova::ReadIni(second);
    Require(Inputs(first) == Inputs(second));

    std::size_t lines = 0;
    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (saved[i] == '\r') {
            Require(i + 1 < saved.size() && saved[i + 1] == '\n');
            ++lines;
            ++i;
        } else {
            Require(saved[i] != '\n');
        }
    }
    Require(lines == 8 && saved.ends_with("\r\n"));
    return 0;
}
