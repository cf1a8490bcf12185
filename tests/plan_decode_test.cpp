// --decode and --verify: register sets back to frequencies, plans checked
// against the calculation, and the progress line.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "plan/program/plan.h"
#include "plan/run/progress.h"
#include "tests/support/scratch_directory.h"

namespace kestrova {
namespace {

struct Outcome {
    int status = -1;
    std::string out, error;
};

Outcome Plan(const std::vector<std::string>& args, const std::string& input = "") {
    Outcome run;
    std::istringstream in(input);
    plan::PlanIo io{[&run](std::string_view b) { run.out.append(b); }, false, &in, {}, {}};
    run.status = plan::RunPlan(args, io, run.error);
    return run;
}

class Decode : public testing::Test {
protected:
    void SetUp() override {
        std::ofstream("Kestrova.INI", std::ios::binary)
            << "900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n900.2\r\n";
    }
    testing_support::ScratchDirectory scratch_;
};

TEST_F(Decode, EachSetAndEachProblem) {
    struct Case {
        const char* set;
        const char* row;  // CSV row after the header
    };
    for (const Case& c : {
             Case{"0014 10 00C 19C 07", "0014,10,00C,19C,07,20,16,12,412,7,400,900,"},
             Case{"0x14,0x10,0xc", "14,10,c,,,20,16,12,,,400,900,"},
             Case{"0014 10 00C 19D 07",
                  "0014,10,00C,19D,07,20,16,12,413,7,400,900,\"C is 19D, but the calculation gives 19C at "
                  "900\""},
             Case{"0014 10 00C 19C 06",
                  "0014,10,00C,19C,06,20,16,12,412,6,400,900,\"G is 06, but the calculation gives 07 at "
                  "900\""},
             Case{"0015 10 00C",
                  "0015,10,00C,,,21,16,12,,,400,890.47619047619,\"R is 0015, but Fref / Step gives 0014\""},
             Case{"0014 2A 00C", "0014,2A,00C,,,20,42,12,,,426,913,\"S is 2A, outside 00 to 1F\""},
             Case{"0014 10 7FFFFFFF",
                  "0014,10,7FFFFFFF,,,20,16,2147483647,,,68719476720,,N = 32 \u00d7 P + S = 68719476720 is "
                  "beyond the 32-bit range"},
             Case{"14 1F FFFFFFFF",
                  "14,1F,FFFFFFFF,,,20,31,-1,,,-1,,\"N = 32 \u00d7 P + S = -1 is negative, which the "
                  "calculation never gives\""},
             Case{"FFFFFFFE 10 00C",
                  "FFFFFFFE,10,00C,,,-2,16,12,,,400,-1300,\"R is FFFFFFFE, but Fref / Step gives 0014\""},
             Case{"0000 10 00C",
                  "0000,10,00C,,,0,16,12,,,400,,\"R is 0000, but Fref / Step gives 0014; the calculation "
                  "stops at Fout = N \u00d7 Fref / R + F0: division by zero\""},
         }) {
        const Outcome run = Plan({"--decode", c.set});
        EXPECT_EQ(run.out, std::string("Rt,St,Pt,Ct,Gt,R,S,P,C,G,N,achieved,problems\r\n") + c.row + "\r\n")
            << c.set;
        EXPECT_EQ(run.status, std::string(c.row).ends_with(",") ? 0 : 1) << c.set;
    }
}

TEST_F(Decode, TextsThatAreNoRegisterSetAreRefused) {
    for (const auto& [args, input, error] : {
             std::tuple<std::vector<std::string>, std::string, std::string>{
                 {"--decode", "00ZZ 10 00C"}, "", "set \"00ZZ 10 00C\": \"00ZZ\" is not hexadecimal"},
             {{"--decode", "123456789 10 00C"}, "", "\"123456789\" has more than eight hexadecimal digits"},
             {{"--decode", "0014 10"}, "", "fewer than three registers (R S P)"},
             {{"--decode", "0014 10 00C 19C"}, "", "not three registers (R S P) or five (R S P C G)"},
             {{"--decode"}, "# a dump\n\n0014 10 00C\nzz 1 2\n", "line 4: \"zz\" is not hexadecimal"},
             {{"--decode", "--format", "c-header", "0014 10 00C"}, "", "--decode writes text, csv or json"},
             {{"--verify", "bad.csv", "--decode"}, "", "give either --decode or --verify, not both"},
             {{"--decode", "--verify", "bad.csv"}, "", "give either --decode or --verify, not both"},
             // Nothing decoded is no success; a text from the input is shown whole and escaped.
             {{"--decode"}, "", "no register set to decode in the input"},
             {{"--decode"}, "# only a comment\n", "no register set to decode in the input"},
             {{"--decode"},
              std::string("0014 1\0"
                          "0 00C\n",
                          13),
              "line 1: \"1\\x000\" is not hexadecimal (see"},
             {{"--decode"},
              "\x9b"
              "2J 10 00C\n",
              "line 1: \"\\x9b2J\" is not hexadecimal"},
         }) {
        const Outcome run = Plan(args, input);
        EXPECT_EQ(run.status, 2) << error;
        EXPECT_NE(run.error.find(error), std::string::npos) << run.error;
    }
}

// Every channel of a plan decodes to its own achieved frequency with no
// problem, a band with a fault among them.
TEST_F(Decode, PlansRoundTrip) {
    const std::vector<std::string> band = {"--fl", "699", "--fh", "701.5", "--step", "0.0003"};
    std::vector<std::string> args = band;
    args.insert(args.end(), {"--band", "--format", "c-header"});
    const Outcome header = Plan(args);
    ASSERT_EQ(header.status, 1);
    std::string sets, achieved;
    std::istringstream lines(header.out);
    for (std::string line; std::getline(lines, line);) {
        if (const std::size_t at = line.find(", achieved ");
            line.starts_with("    /* wanted ") && at != std::string::npos)
            achieved += line.substr(at + 11, line.find_first_of(" ", at + 11) - at - 11) + "\n";
        if (line.starts_with("    { 0x")) sets += line + "\n";
    }
    args = band;
    args.insert(args.end(), {"--decode", "--format", "json"});
    const Outcome decoded = Plan(args, sets);
    EXPECT_EQ(decoded.status, 0) << decoded.error;
    std::string decodedAchieved;
    const std::string key = "\"achieved\": ";
    for (std::size_t at = decoded.out.find(key); at != std::string::npos;
         at = decoded.out.find(key, at + 1)) {
        const std::size_t end = decoded.out.find(", \"problems\": []", at);
        ASSERT_NE(end, std::string::npos) << "a set with problems";
        decodedAchieved += decoded.out.substr(at + key.size(), end - at - key.size()) + "\n";
    }
    EXPECT_EQ(decodedAchieved, achieved);
    EXPECT_EQ(std::count(achieved.begin(), achieved.end(), '\n'), 8333) << "one channel faults";
}

// A plan edited by hand: each change is found, and only it.
TEST_F(Decode, VerifyFindsEveryEditAndOnlyIt) {
    const std::vector<std::string> band = {"--fl", "699", "--fh", "701.5", "--step", "0.0003"};
    for (const char* format : {"csv", "json", "c-header"}) {
        std::vector<std::string> args = band;
        args.insert(args.end(), {"--band", "--format", format, "-o", "plan"});
        ASSERT_EQ(Plan(args).status, 1);
        std::ifstream in("plan", std::ios::binary);
        const std::string plan((std::istreambuf_iterator<char>(in)), {});
        std::vector<std::string> verify = band;
        verify.insert(verify.end(), {"--verify", "-"});
        const Outcome clean = Plan(verify, plan);
        EXPECT_EQ(clean.status, 0) << format << ": " << clean.out << clean.error;
        const bool c = std::string(format) == "c-header";
        const std::string q = std::string(format) == "json" ? "\"" : "";
        const std::vector<std::tuple<std::string, std::string, std::string>> edits = {
            {c ? "{ 0x8235," : q + "8235" + q, c ? "{ 0x8236," : q + "8236" + q,
             "699: Rt is 8236 in the file, but the calculation gives 8235"},
            {c ? "0x8235, 0x05," : q + "05" + q + (q.empty() ? ",068" : ""),
             c ? "0x8235, 0x06," : q + "06" + q + (q.empty() ? ",068" : ""),
             "699: St is 06 in the file, but the calculation gives 05"},
            {c ? "0x068," : q + "068" + q, c ? "0x069," : q + "069" + q,
             "699: Pt is 069 in the file, but the calculation gives 068"},
            {c ? "0x00E," : q + "00E" + q, c ? "0x00F," : q + "00F" + q,
             "699: Ct is 00F in the file, but the calculation gives 00E"},
            {c ? "0x00E, 0x07" : q + "07" + q, c ? "0x00E, 0x08" : q + "08" + q,
             "699: Gt is 08 in the file, but the calculation gives 07"},
            {"700.9999099991", "700.9999099992",
             "699: achieved is 700.9999099992 in the file, but the calculation gives 700.9999099991"},
        };
        for (const auto& [from, to, report] : edits) {
            std::string edited = plan;
            const std::size_t at = edited.find(from);
            ASSERT_NE(at, std::string::npos) << format << ": " << from;
            edited.replace(at, from.size(), to);
            const Outcome run = Plan(verify, edited);
            EXPECT_EQ(run.status, 1) << format << ": " << report;
            // CSV and JSON record no parameters: the report says which were used, and from where.
            const std::string used =
                c ? ""
                  : "the file records no parameters; it was checked against FH 701.5 (--fh), "
                    "Step 0.0003 (--step), F0 700 (Kestrova.INI), Fref 10 (Kestrova.INI), "
                    "Fosc 950 (Kestrova.INI), DAC Gain 2 (Kestrova.INI)\n";
            EXPECT_EQ(run.out, report + "\n" + used) << format;
            EXPECT_EQ(run.error, "1 of 8334 channels differs from the calculation") << format;
        }
        // The fault of the channel at F0 taken out of the file.
        std::string unfaulted = plan;
        const std::size_t start = unfaulted.find(c ? ": no registers. The calculation stopped at G"
                                                   : q + "The calculation stopped at G");
        ASSERT_NE(start, std::string::npos) << format;
        const std::size_t end = c           ? unfaulted.find("KESTROVA_NO_REGISTERS,", start) + 22
                                : q.empty() ? unfaulted.find_first_of(",\r", start)
                                            : unfaulted.find('"', start + 1) + 1;
        unfaulted.replace(start, end - start,
                          c           ? ", achieved 700 */\n    { 0x0014, 0x00, 0x000, 0x000, 0x00 },"
                          : q.empty() ? ""
                                      : "null");
        ASSERT_NE(unfaulted, plan) << format;
        const Outcome removed = Plan(verify, unfaulted);
        EXPECT_EQ(removed.status, 1) << format << ": " << removed.error;
        EXPECT_TRUE(removed.out.starts_with(
            "699.9999: the file has no fault, but the calculation stops: The calculation "
            "stopped at G"))
            << format << ": " << removed.out.substr(0, 200);
        // And the parameters; in the header, each value of the entry put in
        // the fault's place too: achieved, mismatch and the five registers.
        EXPECT_EQ(std::count(removed.out.begin(), removed.out.end(), '\n'), c ? 8 : 2)
            << format << removed.out;
    }
    // A header that records other parameters is refused before any channel.
    std::vector<std::string> other = band;
    other.insert(other.end(), {"--fref", "12.8", "--verify", "plan"});
    const Outcome mismatch = Plan(other);
    EXPECT_EQ(mismatch.status, 1);
    EXPECT_EQ(mismatch.out, "this plan was made with Fref 10; the parameters in use have Fref 12.8\n");
    EXPECT_NE(mismatch.error.find("no channel was checked"), std::string::npos);
    // What is no plan says so, with the line.
    const Outcome none = Plan({"--verify", "-"}, "\n\nhello\n");
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.error, "standard input line 3: not a plan of kestrova-plan (CSV, JSON or C header)");
    const Outcome badEscape = Plan({"--verify", "-"}, "[\n  {\"wanted\": \"9\\uZZZZ\"}\n]\n");
    EXPECT_EQ(badEscape.status, 2);
    EXPECT_TRUE(badEscape.error.starts_with("standard input line 2: a channel that is not valid JSON: "))
        << badEscape.error;
}

// Decoded on any number of threads, the input gives the same bytes, and a
// line that is no set ends the run after the rows of the lines before it.
TEST_F(Decode, ThreadsGiveTheSameRowsAndStopAtTheSameLine) {
    std::string header = Plan({"--band", "--step", "0.01", "--format", "c-header"}).out;
    header.insert(header.rfind("\n};") + 1, "    { 0x0014, 0x10, 0xzz },\n");
    std::string first;
    for (const char* threads : {"1", "2", "3"}) {
        const Outcome run =
            Plan({"--step", "0.01", "--format", "json", "--threads", threads, "--decode"}, header);
        EXPECT_EQ(run.status, 2) << threads;
        EXPECT_TRUE(run.error.starts_with("line 20029: \"0xzz\" is not hexadecimal")) << run.error;
        if (first.empty()) first = run.out;
        EXPECT_TRUE(run.out == first) << threads << " threads";
    }
    EXPECT_TRUE(first.starts_with("[\n  {\"Rt\": \"03E8\"")) << first.substr(0, 80);
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 10001) << "every entry of the band";
}

// The progress line waits a second, redraws at most four times a second and
// is erased at the end; with nowhere to show it, there is none.
TEST(Progress, OnlyOnATerminalAndOnlyForLongWork) {
    std::string shown;
    const auto start = plan::Progress::Clock::time_point{};
    const auto at = [start](int ms) { return start + std::chrono::milliseconds(ms); };
    {
        plan::Progress progress([&shown](std::string_view s) { shown += s; }, 1000, "channels", start);
        progress.Advance(100, at(900));
        EXPECT_EQ(shown, "");
        progress.Advance(500, at(1000));
        EXPECT_EQ(shown, "\r500 of 1000 channels, 500/s, 1 s left\x1b[K");
        const std::size_t once = shown.size();
        progress.Advance(600, at(1100));
        EXPECT_EQ(shown.size(), once) << "not redrawn within a quarter second";
        progress.Advance(700, at(1300));
        EXPECT_GT(shown.size(), once);
    }
    EXPECT_TRUE(shown.ends_with("\r\x1b[K"));
    {
        // Erased before other output, drawn again at once after it.
        shown.clear();
        plan::Progress progress([&shown](std::string_view s) { shown += s; }, 1000, "channels", start);
        progress.Advance(500, at(1000));
        progress.Finish();
        progress.Advance(510, at(1010));
        EXPECT_EQ(shown,
                  "\r500 of 1000 channels, 500/s, 1 s left\x1b[K\r\x1b[K\r510 of 1000 channels, 505/s, 1 s "
                  "left\x1b[K");
    }
    plan::Progress silent({}, 10, "sets", start);
    silent.Advance(5, at(5000));
}

}  // namespace
}  // namespace kestrova

namespace kestrova {
namespace {

// Files as other tools and people leave them: any JSON layout verifies as
// the planner's own; every column is compared; a file cut short, or with no
// channel, is no success; what the file holds reaches the terminal escaped.
TEST_F(Decode, VerifyTrustsNothingButTheCalculation) {
    const auto made = [](const char* format, const char* only = nullptr) {
        return only != nullptr ? Plan({"--format", format, only}).out
                               : Plan({"--format", format, "900.2", "900", "950", "1000"}).out;
    };
    const std::string json = made("json"), csv = made("csv"), header = made("c-header");
    const std::string band = Plan({"--band", "--format", "csv"}).out;  // 900 to 1000 at 0.5
    const std::string bandHeader = Plan({"--band", "--format", "c-header"}).out;
    const auto without = [](std::string text, const std::string& line) {
        const std::size_t at = text.find(line);
        EXPECT_NE(at, std::string::npos) << line;
        return at == std::string::npos ? text : text.erase(at, line.size());
    };
    const std::string row901 =
        band.substr(band.find("\n901,") + 1, band.find('\n', band.find("\n901,") + 1) - band.find("\n901,"));
    const auto edited = [](std::string text, const std::string& from, const std::string& to) {
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    const std::string entry = "    { 0x0014, 0x10, 0x00C, 0x19C, 0x07 },";
    // Each line of a CSV with one more cell: the heading, then the value.
    const auto withCell = [](const std::string& text, const std::string& heading, const std::string& value) {
        std::string out;
        for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
            out += text.substr(at, end - at) + "," + (at == 0 ? heading : value) + "\r\n";
        return out;
    };
    const std::string faultCsv = made("csv", "700"), faultJson = made("json", "700");
    const std::string zero = Plan({"--format", "csv", "--", "0", "900"}).out;
    nlohmann::json reordered = nlohmann::json::parse(json);
    reordered[0]["achieved"] = 9e2;  // the same number, written otherwise
    struct Case {
        const char* name;
        std::string file;
        int status;
        const char* said;  // in the report or the error
    };
    const Case cases[] = {
        {"jq . layout", nlohmann::json::parse(json).dump(2), 0, "all 4 channels agree"},
        {"keys sorted, numbers rewritten", reordered.dump(), 0, "all 4 channels agree"},
        {"mismatch flag", edited(json, "\"mismatch\": true", "\"mismatch\": false"), 1,
         "mismatch is 0 in the file"},
        {"decimal R", edited(csv, ",20,400,", ",21,400,"), 1, "R is 21 in the file"},
        {"error", edited(csv, ",-0.2,", ",-0.3,"), 1, "error is -0.3 in the file"},
        {"C header mismatch mark", edited(header, " (mismatch) */", " */"), 1, "mismatch is 0 in the file"},
        {"JSON without its ]", json.substr(0, json.rfind(']')), 1, "before the array's closing \"]\""},
        {"C header cut", header.substr(0, header.find("};\n\n#define")), 1,
         "before the array's closing \"};\""},
        {"C header cut after a channel's comment",
         header.substr(0, header.find(entry, header.find(entry) + 1)), 1,
         "before the array's closing \"};\""},
        {"CSV cut mid-line", csv.substr(0, csv.size() - 5), 1, "ends in the middle of line 5"},
        {"CSV cut at a line's end", csv.substr(0, csv.rfind("\r\n", csv.size() - 3) + 2), 0,
         "all 3 channels agree with the calculation; checked as a list: a CSV has no end mark"},
        {"C header count", edited(header, "COUNT 4", "COUNT 5"), 1, "KESTROVA_CHANNEL_COUNT is 5"},
        {"C header entry commented out, another after it",
         edited(header, "    { 0x0014, 0x10, 0x00C, 0x19C, 0x07 },",
                "    // { 0x0014, 0x10, 0x00C, 0x19C, 0x07 },\n    { 0xDEAD, 0x10, 0x00C, 0x19C, 0x07 },"),
         1, "Rt is DEAD in the file"},
        {"C header entry of six values", edited(header, "0x19C, 0x07 },", "0x19C, 0x07, 0x1 },"), 2,
         "an entry of 6 values"},
        {"C header two entries on a line",
         edited(header, "0x19C, 0x07 },", "0x19C, 0x07 }, { 0x0014, 0x10, 0x00C, 0x19C, 0x07 },"), 2,
         "not one entry and its comma"},
        {"C header entry in #if 0, another in #else",
         edited(header, entry,
                "#if 0\n" + entry + "\n#else\n    { 0xDEAD, 0x10, 0x00C, 0x19C, 0x07 },\n#endif"),
         1, "Rt is DEAD in the file"},
        {"C header entry in a block comment",
         edited(header, entry, "/*\n" + entry + "\n*/\n    { 0xDEAD, 0x10, 0x00C, 0x19C, 0x07 },"), 1,
         "line 24: an entry that the compiler does not see"},
        {"C header #if 1 around an entry", edited(header, entry, "#if 1\n" + entry + "\n#endif"), 1,
         "\"#if 1\" in the array"},
        {"C header channel in the old form with no entry",
         edited(header, "/* wanted 900.2, achieved 900 (mismatch) */\n" + entry,
                "/* wanted 900.2: no entry. The calculation stopped */"),
         2, "line 22: a channel's comment with no entry after it"},
        {"C header without its Step", edited(header, " *   Step      0.5\n", ""), 1, "does not record Step"},
        {"a band's channel deleted", without(band, row901), 1, "the band's channel 901 is missing"},
        {"a band's channel twice", edited(band, row901, row901 + row901), 1, "901 (line 5) is there twice"},
        {"a band header's entry replaced", edited(bandHeader, "wanted 901,", "wanted 901.25,"), 1,
         "901.25 (line"},
        {"a list is a list", band, 0, "checked as a list"},
        {"an opening bracket", "[", 2, "line 1: no channel: not a plan"},
        {"a CSV header alone", csv.substr(0, csv.find('\n') + 1), 2, "no channel: not a plan"},
        {"terminal escapes", edited(csv, "0014,", "00\x1b[2J14,"), 1, "Rt is 00\\x1b[2J14 in the file"},
        // Nothing is held whole that no plan has: refused at once.
        {"a line of 5 MiB", csv.substr(0, csv.find('\n') + 1) + std::string(5 << 20, '9'), 2,
         "line 2: more than 64 KiB with no end of a channel's record"},
        {"NULs", std::string(1 << 20, '\0'), 2, "line 1: not a plan"},
        {"a JSON plan on one line, as jq -c writes it", nlohmann::json::parse(json).dump(), 0,
         "all 4 channels agree"},
        // A channel that cannot be computed has no registers in any column.
        {"CSV registers beside a fault",
         edited(faultCsv, "700,,,,,,,,,,,,,,,,", "700,700,0,0.000,0,20,0,0,0,13,10,0014,00,000,00D,0A,"), 1,
         "700: Rt is 0014 in the file, but the calculation stops and gives none"},
        {"JSON registers beside a fault",
         edited(faultJson, "\"wanted\": \"700\", ", "\"wanted\": \"700\", \"Rt\": \"0014\", "), 1,
         "700: Rt is 0014 in the file, but the calculation stops and gives none"},
        // Readers differ on which of two copies they take: never passed.
        {"a CSV column twice", withCell(csv, "Ct", "19D"), 2, "the \"Ct\" column is there twice"},
        {"a JSON key twice", edited(json, "\"Ct\": \"19C\"", "\"Ct\": \"19C\", \"Ct\": \"19D\""), 2,
         "the key \"Ct\" twice"},
        // The wanted text is wholly a number, as the planner takes one.
        {"a CSV wanted text with a comma", edited(csv, "\n900,900,", "\n\"900,5\",900,"), 1,
         "the wanted frequency \"900,5\" is not a number"},
        {"a C header wanted text with a comma",
         edited(header, "wanted 900, achieved", "wanted 900,5, achieved"), 1,
         "the wanted frequency \"900,5\" is not a number"},
        // An empty cell holds no value.
        {"CSV empty cells and a notes column", withCell(zero, "notes", "x"), 0, "all 2 channels agree"},
        // Too deep for every build alike, a debug one too.
        {"JSON nested 2000 deep",
         edited(json, "\"wanted\": \"900.2\", ",
                "\"wanted\": \"900.2\", \"x\": " + std::string(2000, '[') + std::string(2000, ']') + ", "),
         2, "a channel nested more than 32 deep"},
    };
    // A header made with a parameter text that a C comment cannot hold as it is.
    std::ofstream("odd.ini", std::ios::binary) << "900\r\n1000\r\n0.5\r\n700\r\n10*/\r\n950\r\n2\r\n0\r\n";
    const Outcome odd = Plan({"--ini", "odd.ini", "--format", "c-header", "900.2"});
    EXPECT_EQ(Plan({"--ini", "odd.ini", "--verify", "-"}, odd.out).status, 0) << "its own header verifies";
    // A header of a settings text holding terminal escapes shows them escaped, and verifies.
    std::ofstream("esc.ini", std::ios::binary)
        << "900\r\n1000\r\n0.5\r\n700\r\n10\x1b]0;x\x07\r\n950\r\n2\r\n0\r\n";
    const Outcome escaped = Plan({"--ini", "esc.ini", "--format", "c-header", "900.2"});
    EXPECT_EQ(escaped.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(Plan({"--ini", "esc.ini", "--verify", "-"}, escaped.out).status, 0);
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--verify", "-"};
        if (std::string_view(c.name).starts_with("a band's")) args.push_back("--band");
        const Outcome run = Plan(args, c.file);
        EXPECT_EQ(run.status, c.status) << c.name << ": " << run.out << run.error;
        EXPECT_NE((run.out + run.error).find(c.said), std::string::npos)
            << c.name << ": " << run.out << run.error;
        EXPECT_EQ((run.out + run.error).find('\x1b'), std::string::npos) << c.name;
    }
    // --decode of a whole header takes the entries the compiler sees, as --verify does.
    const Outcome decoded =
        Plan({"--decode"}, std::find_if(std::begin(cases), std::end(cases), [](const Case& c) {
                               return std::string_view(c.name).find("#if 0") != std::string_view::npos;
                           })->file);
    EXPECT_EQ(std::count(decoded.out.begin(), decoded.out.end(), '\n'), 5) << decoded.out;
    EXPECT_NE(decoded.out.find("\nDEAD,10,00C,19C,07"), std::string::npos) << decoded.error;
    std::string crlf;  // the header as a Windows editor saves it
    for (const char c : header) crlf += c == '\n' ? "\r\n" : std::string(1, c);
    EXPECT_EQ(Plan({"--decode"}, crlf).out, Plan({"--decode"}, header).out) << "CR LF lines";
    EXPECT_EQ(Plan({"--decode"}, std::string(70 * 1024, '1')).status, 2) << "a line longer than any set";
}

}  // namespace
}  // namespace kestrova
