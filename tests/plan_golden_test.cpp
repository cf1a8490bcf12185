// The bytes kestrova-plan writes for a fixed set of plans, pinned by their
// length and FNV-1a hash: a change to how the program is built must not
// change one of them (only a change of what a format writes may). The band has 8,334 channels (not a whole
// number of blocks) and faults at F0; the list is the worked example and neighbours.
// The C header's were pinned anew when a channel without registers got an
// entry of its own (every channel at its index) and a band its first
// frequency and step.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
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

TEST(PlanGolden, OutputIsByteForByteAsPinned) {
    const testing_support::ScratchDirectory scratch;
    std::ofstream("Kestrova.INI", std::ios::binary)
        << "900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n900.2\r\n";
    const Golden cases[] = {
        {"text band",
         {"--format", "text", "--band", "--fl", "699", "--fh", "701.5", "--step", "0.0003"},
         1,
         873535,
         0xead4d0794e12ec3fu},
        {"text list",
         {"--format", "text", "900.2", "900", "1000", "699.99", "-5", "1e6"},
         1,
         846,
         0xfbaa69b03026cea9u},
        {"csv band",
         {"--format", "csv", "--band", "--fl", "699", "--fh", "701.5", "--step", "0.0003"},
         1,
         775435,
         0x47b21c83fb958dcau},
        {"csv list",
         {"--format", "csv", "900.2", "900", "1000", "699.99", "-5", "1e6"},
         1,
         570,
         0x76f3108223eea295u},
        {"json band",
         {"--format", "json", "--band", "--fl", "699", "--fh", "701.5", "--step", "0.0003"},
         1,
         2362733,
         0x30af98a16ce050dfu},
        {"json list",
         {"--format", "json", "900.2", "900", "1000", "699.99", "-5", "1e6"},
         1,
         1445,
         0xf28b0f2147aadb5au},
        {"c-header band",
         {"--format", "c-header", "--band", "--fl", "699", "--fh", "701.5", "--step", "0.0003"},
         1,
         827447,
         0x7e677ce7286c7effu},
        {"c-header list",
         {"--format", "c-header", "900.2", "900", "1000", "699.99", "-5", "1e6"},
         1,
         1189,
         0x94dadb8b994988c6u},
    };
    for (const Golden& c : cases) {
        for (const char* threads : {"1", "3"}) {
            std::vector<std::string> args = c.args;
            args.insert(args.end(), {"--threads", threads});
            std::string out;
            std::string error;
            EXPECT_EQ(plan::RunPlan(
                          args, [&out](std::string_view b) { out.append(b); }, false, error),
                      c.status)
                << c.name;
            EXPECT_EQ(out.size(), c.size) << c.name << " on " << threads << " threads";
            EXPECT_EQ(Fnv1a(out), c.hash) << c.name << " on " << threads << " threads";
        }
    }
}

}  // namespace
}  // namespace kestrova
