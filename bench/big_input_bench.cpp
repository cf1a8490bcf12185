// Big inputs: a field of megabytes of digits or blanks is read in linear
// time, and a settings file of a hundred megabytes loads by reading only the
// start it needs.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/numeric_text.h"
#include "settings/settings_file.h"

namespace kestrova {
namespace {

void NumberFromDigits(benchmark::State& state) {
    const std::string text = "0." + std::string(static_cast<std::size_t>(state.range(0)), '3');
    for (auto _ : state) benchmark::DoNotOptimize(NumberFromText(text));
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(NumberFromDigits)
    ->RangeMultiplier(4)
    ->Range(1 << 16, 10 << 20)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void NumberFromBlanks(benchmark::State& state) {
    const std::string text = std::string(static_cast<std::size_t>(state.range(0)), ' ') + "7";
    for (auto _ : state) benchmark::DoNotOptimize(NumberFromText(text));
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(NumberFromBlanks)
    ->RangeMultiplier(4)
    ->Range(1 << 16, 10 << 20)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

// Bytes this process has read through read(2) so far.
long long BytesRead() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return -1;
}

// Loads a settings file of state.range(0) bytes: eight short lines, then
// filler lines to make up the size.
void ReadIniOfSize(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() / ("kestrova-big-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    {
        std::ofstream file("Kestrova.INI", std::ios::binary);
        file << "900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n900.2\r\n";
        const std::string line(1022, '9');
        for (long long size = 0; size < state.range(0); size += 1024) file << line << "\r\n";
    }
    MemoryPanel panel;
    long long read = 0;
    for (auto _ : state) {
        const long long before = BytesRead();
        ReadIni(panel);
        read = BytesRead() - before;
    }
    state.counters["file_MiB"] = static_cast<double>(state.range(0)) / (1 << 20);
    state.counters["bytes_read"] = static_cast<double>(read);
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(dir);
}
BENCHMARK(ReadIniOfSize)->Arg(1 << 10)->Arg(100 << 20)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrova
