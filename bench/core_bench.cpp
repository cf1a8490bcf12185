// Speed of one calculation and of each conversion, with the C library's
// snprintf and strtod in the same run as a baseline.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "core/calculation.h"
#include "core/numeric_text.h"

namespace kestrova {
namespace {

MemoryPanel WorkedExample() {
    MemoryPanel panel;
    const char* inputs[] = {"900", "1000", "0.5", "700", "10", "950", "2", "900.2"};
    for (std::size_t i = 0; i < kInputFields.size(); ++i) panel.SetText(kInputFields[i], inputs[i]);
    return panel;
}

// One calculation after another on a panel that stays, with a memo kept by
// the caller, as kestrova-plan's workers run them: only the wanted frequency
// is typed again before each.
void CalculateWorkedExample(benchmark::State& state) {
    MemoryPanel panel = WorkedExample();
    CalculationMemo memo;
    RegisterValues values;
    for (auto _ : state) {
        panel.SetText(Field::Fout, "900.2");
        CalculateRegisters(panel, ".", values, memo);
        benchmark::DoNotOptimize(panel);
    }
}
BENCHMARK(CalculateWorkedExample);

// A press of Calculate with nothing kept from the last one, as the window
// runs it (but for the separator).
void CalculateWorkedExampleFresh(benchmark::State& state) {
    MemoryPanel panel = WorkedExample();
    for (auto _ : state) {
        panel.SetText(Field::Fout, "900.2");
        CalculateRegisters(panel, ".");
        benchmark::DoNotOptimize(panel);
    }
}
BENCHMARK(CalculateWorkedExampleFresh);

// As the window runs it, with the separator read from the environment.
void CalculateWorkedExampleLocale(benchmark::State& state) {
    MemoryPanel panel = WorkedExample();
    for (auto _ : state) {
        panel.SetText(Field::Fout, "900.2");
        CalculateRegisters(panel);
        benchmark::DoNotOptimize(panel);
    }
}
BENCHMARK(CalculateWorkedExampleLocale);

constexpr const char* kTexts[] = {"900.2", " 0.5", "1000", "-12.375e2"};
constexpr double kValues[] = {900.2, 0.179333333333333, 713.333333333333, -1.5e-7};

void NumberFromTextBench(benchmark::State& state) {
    for (auto _ : state)
        for (const char* text : kTexts) benchmark::DoNotOptimize(NumberFromText(text));
}
BENCHMARK(NumberFromTextBench);

void StrtodBaseline(benchmark::State& state) {
    for (auto _ : state)
        for (const char* text : kTexts) benchmark::DoNotOptimize(std::strtod(text, nullptr));
}
BENCHMARK(StrtodBaseline);

void TextFromNumberBench(benchmark::State& state) {
    for (auto _ : state)
        for (double value : kValues) benchmark::DoNotOptimize(TextFromNumber(value));
}
BENCHMARK(TextFromNumberBench);

void FormatPatternBench(benchmark::State& state) {
    for (auto _ : state)
        for (double value : kValues) benchmark::DoNotOptimize(FormatPattern(value, "##.###   ", "."));
}
BENCHMARK(FormatPatternBench);

// One snprintf("%.15g"), of the worked example's wanted frequency: the unit
// the whole calculation is measured against.
void SnprintfOne(benchmark::State& state) {
    char buffer[32];
    double value = 900.2;
    for (auto _ : state) {
        benchmark::DoNotOptimize(value);
        std::snprintf(buffer, sizeof buffer, "%.15g", value);
        benchmark::DoNotOptimize(buffer);
    }
}
BENCHMARK(SnprintfOne);

void SnprintfBaseline(benchmark::State& state) {
    char buffer[32];
    for (auto _ : state)
        for (double value : kValues) {
            std::snprintf(buffer, sizeof buffer, "%.15g", value);
            benchmark::DoNotOptimize(buffer);
        }
}
BENCHMARK(SnprintfBaseline);

}  // namespace
}  // namespace kestrova
