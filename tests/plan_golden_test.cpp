// The bytes kestrova-plan writes for a fixed set of plans: a change to how
// the program is built must not change one of them (only a change of what a
// format writes may). The small lists stand as files in tests/golden/, so a
// difference shows as the lines that differ; the bands of 8,334 channels
// (not a whole number of blocks, faulting at F0) are pinned by their length
// and FNV-1a hash. KESTROVA_UPDATE_GOLDEN=1 writes the files anew after a
// deliberate change of a format.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "plan/program/plan.h"
#include "tests/support/scratch_directory.h"

namespace kestrova {
namespace {

std::uint64_t Fnv1a(const std::string& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    return hash;
}

struct Golden {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::size_t size;
    std::uint64_t hash;
};

// The worked example's settings, in a scratch directory of the test's own.
class PlanGolden : public testing::Test {
protected:
    void SetUp() override {
        std::ofstream("Kestrova.INI", std::ios::binary)
            << "900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n900.2\r\n";
    }
    static std::string Run(std::vector<std::string> args, const char* threads, int& status) {
        args.insert(args.end(), {"--threads", threads});
        std::string out;
        std::string error;
        status = plan::RunPlan(
            args, [&out](std::string_view b) { out.append(b); }, false, error);
        return out;
    }
    testing_support::ScratchDirectory scratch_;
};

// The lines of two texts around the first that differs, "-" expected and "+"
// written, or nothing when they are the same.
std::string FirstDifference(const std::string& expected, const std::string& written) {
    if (expected == written) return "";
    std::istringstream a(expected), b(written);
    std::vector<std::string> x, y;
    for (std::string line; std::getline(a, line);) x.push_back(line);
    for (std::string line; std::getline(b, line);) y.push_back(line);
    std::size_t first = 0;
    while (first < x.size() && first < y.size() && x[first] == y[first]) ++first;
    std::string shown = "first difference at line " + std::to_string(first + 1) + ":\n";
    for (std::size_t i = first; i < first + 4; ++i) {
        if (i < x.size() && i < y.size() && x[i] == y[i]) {
            shown += " " + x[i] + "\n";
            continue;
        }
        if (i < x.size()) shown += "-" + x[i] + "\n";
        if (i < y.size()) shown += "+" + y[i] + "\n";
    }
    if (x == y) shown += "(only the line ends differ)\n";
    return shown;
}

TEST_F(PlanGolden, ListsAreAsTheFiles) {
    const std::vector<std::string> list = {"900.2", "900", "1000", "699.99", "-5", "1e6"};
    const bool update = std::getenv("KESTROVA_UPDATE_GOLDEN") != nullptr;
    for (const char* format : {"text", "csv", "json", "c-header", "svg"}) {
        const std::string path = std::string(KESTROVA_SOURCE_DIR "/tests/golden/list.") + format;
        std::vector<std::string> args = {"--format", format};
        args.insert(args.end(), list.begin(), list.end());
        for (const char* threads : {"1", "3"}) {
            int status = 0;
            const std::string out = Run(args, threads, status);
            EXPECT_EQ(status, 1) << format << ": 1e6 faults";
            if (update) std::ofstream(path, std::ios::binary) << out;
            std::ifstream in(path, std::ios::binary);
            const std::string expected(std::istreambuf_iterator<char>(in), {});
            EXPECT_EQ(FirstDifference(expected, out), "") << path << " on " << threads << " threads";
        }
    }
}

TEST_F(PlanGolden, BandsAreAsPinned) {
    const Golden cases[] = {
        {"text band",
         {"--format", "text", "--band", "--fl", "699", "--fh", "701.5", "--step", "0.0003"},
         1,
         873535,
         0xead4d0794e12ec3fu},
        {"csv band",
         {"--format", "csv", "--band", "--fl", "699", "--fh", "701.5", "--step", "0.0003"},
         1,
         775435,
         0x47b21c83fb958dcau},
        {"json band",
         {"--format", "json", "--band", "--fl", "699", "--fh", "701.5", "--step", "0.0003"},
         1,
         2362733,
         0x30af98a16ce050dfu},
        {"c-header band",
         {"--format", "c-header", "--band", "--fl", "699", "--fh", "701.5", "--step", "0.0003"},
         1,
         827447,
         0x7e677ce7286c7effu},
    };
    for (const Golden& c : cases) {
        for (const char* threads : {"1", "3"}) {
            int status = 0;
            const std::string out = Run(c.args, threads, status);
            EXPECT_EQ(status, c.status) << c.name;
            EXPECT_EQ(out.size(), c.size) << c.name << " on " << threads << " threads";
            EXPECT_EQ(Fnv1a(out), c.hash) << c.name << " on " << threads << " threads";
        }
    }
}

}  // namespace
}  // namespace kestrova
