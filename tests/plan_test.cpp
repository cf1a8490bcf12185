// kestrova-plan run in-process: options and files, every format read back by
// an independent reader, faults mid-band, bad usage and exit statuses. The
// expected values come from the calculation run directly on a panel.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstring>

#include "core/calculation.h"
#include "plan/channel/columns.h"
#include "plan/channel/text_escapes.h"
#include "plan/command_line/options.h"
#include "plan/program/plan.h"
#include "plan/program/signal_cleanup.h"
#include "tests/support/scratch_directory.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;

constexpr const char* kExample = "900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n900.2\r\n";

struct PlanRun {
    int status = -1;
    std::string out;
    std::string error;
};

PlanRun Plan(std::vector<std::string> args, bool terminal = false) {
    PlanRun run;
    run.status = plan::RunPlan(
        args, [&run](std::string_view bytes) { run.out.append(bytes); }, terminal, run.error);
    return run;
}

// The window's result for the example's parameters and a wanted frequency.
MemoryPanel Window(const std::string& wanted, const std::string& fh = "1000") {
    MemoryPanel panel;
    const char* inputs[] = {"900", "1000", "0.5", "700", "10", "950", "2", ""};
    for (std::size_t i = 0; i < kInputFields.size(); ++i) panel.SetText(kInputFields[i], inputs[i]);
    panel.SetText(Field::Fh, fh);
    panel.SetText(Field::Fout, wanted);
    CalculateRegisters(panel, ".");
    return panel;
}

// RFC 4180 records: quoted fields with doubled quotes, CR LF between records.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string& field = rows.back().back();
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            rows.emplace_back(1);
        } else {
            EXPECT_NE(c, '\n') << "a bare LF in CSV";
            field += c;
        }
    }
    EXPECT_EQ(rows.back(), std::vector<std::string>(1)) << "the last record ends with CR LF";
    rows.pop_back();
    return rows;
}

// The records after the header, each cell under its heading, so that a
// test reads a column by its name wherever it stands.
using CsvRow = std::map<std::string, std::string>;
std::vector<CsvRow> CsvByHeading(const std::string& text) {
    const std::vector<std::vector<std::string>> records = ParseCsv(text);
    std::vector<CsvRow> rows;
    for (std::size_t r = 1; r < records.size(); ++r) {
        CsvRow& row = rows.emplace_back();
        for (std::size_t f = 0; f < records[r].size() && f < records[0].size(); ++f)
            row[records[0][f]] = records[r][f];
    }
    return rows;
}

class PlanProgram : public testing::Test {
protected:
    void SetUp() override { std::ofstream("Kestrova.INI", std::ios::binary) << kExample; }
    static std::string Read(const fs::path& name) {
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    testing_support::ScratchDirectory scratch_;
};

struct UsageCase {
    std::vector<std::string> args;
    int status;
    const char* error;  // part of the message
};

TEST_F(PlanProgram, BadUsageIsOneLinePointingToHelp) {
    for (const UsageCase& c : {
             UsageCase{{}, 2, "no frequency given"},
             UsageCase{{"--bogus", "900"}, 2, "unknown option '--bogus'"},
             UsageCase{{"900", "--fh"}, 2, "option '--fh' needs a value"},
             UsageCase{{"--band", "900"}, 2, "either --band or frequencies"},
             UsageCase{{"--format", "xml", "900"}, 2, "unknown format 'xml'"},
             UsageCase{{"--band=1"}, 2, "takes no value"},
             UsageCase{{"--band", "--step", "0"}, 2, "Step above 0"},
             UsageCase{{"--band", "--fh", "800"}, 2, "FH at or above FL"},
             UsageCase{{"--band", "--fl", "1e400"}, 2, "FL cannot be read: overflow"},
             UsageCase{{"--ini", "missing.ini", "900"},
                       2,
                       "\"missing.ini\": open failed: No such file or directory"},
             UsageCase{{"-o", "no/such/dir/out.csv", "900"}, 2, "create failed: No such file or directory"},
             // Values on the command line are numbers and nothing else.
             UsageCase{{"--fref", "10 MHz", "900"}, 2, "--fref \"10 MHz\": not a number"},
             UsageCase{{"--step=", "900"}, 2, "--step \"\": not a number"},
             UsageCase{{"abc"}, 2, "\"abc\": not a number"},
             UsageCase{{"--", "1,5"}, 2, "\"1,5\": not a number"},
             UsageCase{{"900.2MHz"}, 2, "\"900.2MHz\": not a number"},
             UsageCase{{"--threads", "0", "900"}, 2, "--threads \"0\": not a count from 1 to 64"},
             UsageCase{{"--band", "--step", "1e-12"},
                       2,
                       "the band has 100000000000001 channels, more than --max-channels (100000000)"},
             UsageCase{{"--band", "--step", "10", "--max-channels", "10"}, 2, "the band has 11 channels"},
             // Counts beyond a channel number are refused, never wrapped.
             UsageCase{{"--band", "--step", "1e-320"},
                       2,
                       "the band from FL to FH at this Step has too many channels"},
             UsageCase{{"--band", "--fl", "-1e308", "--fh", "1e308", "--step", "1"}, 2, "too many channels"},
             UsageCase{{"--band", "--fl", "0", "--fh", "9.223372036854775808e18", "--step", "1",
                        "--max-channels", "9223372036854775807"},
                       2,
                       "too many channels"},
         }) {
        const PlanRun run = Plan(c.args);
        EXPECT_EQ(run.status, c.status) << testing::PrintToString(c.args);
        EXPECT_NE(run.error.find(c.error), std::string::npos) << run.error;
        EXPECT_EQ(run.error.find('\n'), std::string::npos);
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(ParseCsv(Plan({"--band", "--step", "10", "--max-channels", "11"}).out).size(), 12u);
    const PlanRun help = Plan({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: kestrova-plan"));
}

TEST_F(PlanProgram, OptionsReplaceTheFileAndNeedNoFileWhenComplete) {
    struct OptionCase {
        std::vector<std::string> args;
        const char* fh;  // the FH the window would hold
        const char* wanted;
    };
    for (const OptionCase& c :
         {OptionCase{{"900.2"}, "1000", "900.2"}, OptionCase{{"--fh", "750", "900.2"}, "750", "900.2"},
          OptionCase{{"--fh= 7 50 ", "--", "900.2"}, " 7 50 ", "900.2"}}) {
        const PlanRun run = Plan(c.args);
        auto rows = CsvByHeading(run.out);
        ASSERT_EQ(rows.size(), 1u) << run.error;
        const MemoryPanel window = Window(c.wanted, c.fh);
        EXPECT_EQ(rows[0]["Rt"], window.Text(Field::Rt));
        EXPECT_EQ(rows[0]["Gt"], window.Text(Field::Gt)) << testing::PrintToString(c.args);
    }
    // A FIFO in the settings file's place is not waited on.
    fs::rename("Kestrova.INI", "lab.ini");
    ASSERT_EQ(::mkfifo("Kestrova.INI", 0644), 0);
    EXPECT_EQ(Plan({"--fh", "1000", "--step", "0.5", "--f0", "700", "--fref", "10", "--fosc", "950",
                    "--dac-gain", "2", "900.2"})
                  .status,
              0);
    fs::remove("Kestrova.INI");
    EXPECT_EQ(Plan({"900.2"}).status, 2) << "the default file is missing";
    EXPECT_EQ(Plan({"--ini", "lab.ini", "900.2"}).status, 0);
    EXPECT_EQ(Plan({"--fh", "1000", "--step", "0.5", "--f0", "700", "--fref", "10", "--fosc", "950",
                    "--dac-gain", "2", "900.2"})
                  .status,
              0);
}

TEST_F(PlanProgram, CsvReadBackMatchesTheWindow) {
    const std::vector<std::string> wanted = {"900.2", "900", "690", "-5", " 9 0 0 ", "700"};
    std::vector<std::string> args = {"--format", "csv", "--"};
    args.insert(args.end(), wanted.begin(), wanted.end());
    const PlanRun run = Plan(args);
    EXPECT_EQ(run.status, 1) << "700 is F0: a fault";
    const auto rows = ParseCsv(run.out);
    ASSERT_EQ(rows.size(), wanted.size() + 1);
    EXPECT_EQ(rows[0],
              (std::vector<std::string>{"wanted", "achieved", "error", "error_ppm", "mismatch", "R", "N", "P",
                                        "S", "C", "G", "Rt", "St", "Pt", "Ct", "Gt", "fault"}));
    auto byHeading = CsvByHeading(run.out);
    for (std::size_t i = 0; i + 1 < wanted.size(); ++i) {
        ASSERT_EQ(rows[i + 1].size(), 17u);
        CsvRow& row = byHeading[i];
        const MemoryPanel window = Window(wanted[i]);
        EXPECT_EQ(row["wanted"], plan::Trimmed(wanted[i]));
        EXPECT_EQ(" " + row["achieved"], window.Text(Field::Fout));
        EXPECT_EQ(row["mismatch"], window.FoutBackColor() == kPink ? "1" : "0");
        EXPECT_EQ(row["Rt"] + row["St"] + row["Pt"] + row["Ct"] + row["Gt"],
                  window.Text(Field::Rt) + window.Text(Field::St) + window.Text(Field::Pt) +
                      window.Text(Field::Ct) + window.Text(Field::Gt));
        EXPECT_EQ(std::stoi(row["N"]), 32 * std::stoi(row["P"]) + std::stoi(row["S"]));
        EXPECT_EQ(row["fault"], "");
    }
    EXPECT_EQ(byHeading.back()["fault"],
              "The calculation stopped at G = (1 / gain \u2212 1) \u00d7 1.66: division by zero. "
              "gain is 0; Fout and F0 both read as 700; FH reads as 1000.");
    EXPECT_EQ(byHeading[0]["error"], "-0.2");
    EXPECT_EQ(byHeading[0]["error_ppm"], "-222.173");

    // A fault's description quotes a box's text: quoted in turn, as CSV.
    std::ofstream("Kestrova.INI", std::ios::binary)
        << "900\r\n1000\r\n0,5\r\n700\r\n10\r\n950\r\n2\r\n900.2\r\n";
    auto faulted = CsvByHeading(Plan({"900.2"}).out);
    ASSERT_EQ(faulted.size(), 1u);
    EXPECT_EQ(faulted[0]["fault"],
              "The calculation stopped at R = Fref / Step: division by zero. "
              "Fref reads as 10; Step reads as 0 (its box holds \"0,5\").");
}

TEST_F(PlanProgram, JsonBandWithAFaultMidBand) {
    // F0 = 700 lies inside the band: that channel faults, the others go on.
    const PlanRun run = Plan({"--band", "--fl", "699", "--fh", "701", "--format", "json"});
    EXPECT_EQ(run.status, 1);
    const nlohmann::json channels = nlohmann::json::parse(run.out);
    ASSERT_EQ(channels.size(), 5u);
    const char* wanted[] = {"699", "699.5", "700", "700.5", "701"};
    for (std::size_t i = 0; i < channels.size(); ++i) {
        const nlohmann::json& c = channels[i];
        EXPECT_EQ(c["wanted"], wanted[i]);
        if (std::string(wanted[i]) == "700") {
            EXPECT_TRUE(c["fault"].get<std::string>().starts_with("The calculation stopped at G = "));
            continue;
        }
        const MemoryPanel window = Window(wanted[i], "701");
        EXPECT_TRUE(c["fault"].is_null());
        EXPECT_EQ(c["achieved"].get<double>(), std::stod(window.Text(Field::Fout)));
        EXPECT_EQ(c["mismatch"].get<bool>(), window.FoutBackColor() == kPink);
        EXPECT_EQ(c["Rt"], window.Text(Field::Rt));
        EXPECT_EQ(c["Ct"], window.Text(Field::Ct));
        EXPECT_EQ(c["N"].get<int>(), 32 * c["P"].get<int>() + c["S"].get<int>());
    }
}

TEST_F(PlanProgram, BandEndsAtFhAndNeverPastIt) {
    for (const auto& [fh, last] : {std::pair{"1000", "1000"}, {"1000.45", "1000.4"}, {"900.1", "900.1"}}) {
        const PlanRun run = Plan({"--band", "--fl", "900", "--step", "0.1", "--fref", "1", "--fh", fh});
        const auto rows = ParseCsv(run.out);
        EXPECT_EQ(rows.back()[0], last) << fh;
    }
    EXPECT_EQ(ParseCsv(Plan({"--band", "--fl", "900", "--step", "0.1", "--fref", "1"}).out).size(), 1002u);
}

TEST_F(PlanProgram, CHeaderCompilesWithTheRegisterValues) {
    // FH's text opens and closes comments; the fault at 700 quotes it.
    const std::string fh = "1000 */ /*x";
    std::ofstream("Kestrova.INI", std::ios::binary) << "900\r\n"
                                                    << fh << "\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n0\r\n";
    const PlanRun run = Plan({"--format", "c-header", "-o", "channels.h", "900.2", "700", "950.5", " 9 00"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(fs::exists("channels.h.tmp"));
    std::ofstream("main.c")
        << "#include <stdio.h>\n#include \"channels.h\"\n"
           "int main(void) { for (unsigned i = 0; i < KESTROVA_CHANNEL_COUNT; ++i)\n"
           " printf(\"%X %X %X %X %X\\n\", kestrova_channels[i].r, kestrova_channels[i].s,\n"
           " kestrova_channels[i].p, kestrova_channels[i].c, kestrova_channels[i].g); return 0; }\n";
    ASSERT_EQ(std::system("cc -std=c99 -Wall -Werror -o channels main.c"), 0) << Read("channels.h");
    ASSERT_EQ(std::system("./channels > values.txt"), 0);
    // The channel at 700 faults: its entry is KESTROVA_NO_REGISTERS, at its own index.
    std::string expected;
    for (const char* wanted : {"900.2", "700", "950.5", " 9 00"}) {
        if (std::string_view(wanted) == "700") {
            expected += "0 0 0 0 0\n";
            continue;
        }
        const MemoryPanel w = Window(wanted, fh);
        for (Field field : {Field::Rt, Field::St, Field::Pt, Field::Ct, Field::Gt}) {
            // printf's %X has no leading zeros.
            std::string hex = w.Text(field);
            while (hex.size() > 1 && hex.front() == '0') hex.erase(0, 1);
            expected += hex + (field == Field::Gt ? "\n" : " ");
        }
    }
    EXPECT_EQ(Read("values.txt"), expected);
    EXPECT_NE(Read("channels.h")
                  .find("/* wanted 700: no registers. The calculation stopped at G = (1 / gain \u2212 1) "
                        "\u00d7 1.66: division by zero. gain is 0; Fout and F0 both read as 700; FH reads "
                        "as 1000 (its box holds \"1000 * / / *x\"). */"),
              std::string::npos);
}

TEST_F(PlanProgram, TextOnATerminalCsvOtherwise) {
    const PlanRun terminal = Plan({"900.2", "700", "-1.5e300"}, true);
    // What the table was made from, then its headings.
    EXPECT_TRUE(terminal.out.starts_with(
        "kestrova-plan " KESTROVA_VERSION
        ": FH 1000, Step 0.5, F0 700, Fref 10, "
        "Fosc 950, DAC Gain 2\n      wanted         achieved       error   error ppm  miss"))
        << terminal.out;
    EXPECT_NE(terminal.out.find("  pink    0014      10     00C     19C      07\n"), std::string::npos);
    // Every line fits a terminal of 100 columns; a fault wraps under its row.
    std::istringstream lines(terminal.out);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        std::size_t columns = 0;
        for (const char ch : line) columns += (static_cast<unsigned char>(ch) & 0xC0) != 0x80 ? 1 : 0;
        EXPECT_LE(columns, 99u) << line;
    }
    EXPECT_GT(count, 5) << terminal.out;
    EXPECT_TRUE(Plan({"900.2"}, false).out.starts_with("wanted,achieved,"));
}

// The error column is the decimal difference of the two frequencies as
// written, with no binary noise.
TEST(PlanError, DecimalDifferenceOfTheWrittenFrequencies) {
    struct ErrorCase {
        double achieved, wanted;
        const char* error;
        const char* ppm;
    };
    for (const ErrorCase& c :
         {ErrorCase{900, 900.2, "-0.2", "-222.173"}, ErrorCase{0.3, 0.1 + 0.2, "0", "0.000"},
          ErrorCase{1e15, 999999999999999.9, "0", "0.000"}, ErrorCase{100.01, 100, "0.01", "100.000"},
          ErrorCase{-5, 0, "-5", ""}, ErrorCase{1.5e300, -1.5e300, "3E+300", "-2000000.000"},
          ErrorCase{1e-300, 2e-300, "-1E-300", "-500000.000"}, ErrorCase{1.7e308, -1.7e308, "", ""}}) {
        plan::ChannelResult channel;
        channel.values.achieved = c.achieved;
        channel.values.achievedDigits = DecimalDigits15(c.achieved);
        channel.wanted = c.wanted;
        channel.wantedDigits = DecimalDigits15(c.wanted);
        EXPECT_EQ(plan::Errors(channel).error.value_or(""), c.error) << c.achieved << " - " << c.wanted;
        EXPECT_EQ(plan::Errors(channel).ppm.value_or(""), c.ppm) << c.achieved << " - " << c.wanted;
    }
}

// The manual describes exactly the options the program takes: every tag of
// its OPTIONS section, and nothing else.
TEST(PlanManual, NamesTheSameOptionsAsTheProgram) {
    std::ifstream manual(KESTROVA_SOURCE_DIR "/plan/kestrova-plan.1");
    std::set<std::string> named;
    bool options = false;
    bool tag = false;
    for (std::string line; std::getline(manual, line);) {
        if (line.starts_with(".SH")) options = line == ".SH OPTIONS";
        if (options && tag) {
            std::string plain;
            for (std::size_t i = 0; i < line.size(); ++i)
                plain += line.compare(i, 2, "\\-") == 0 ? line[++i] : line[i];
            for (std::size_t at = plain.find('-'); at != std::string::npos; at = plain.find('-', at)) {
                std::size_t end = at;
                while (end < plain.size() &&
                       (plain[end] == '-' || std::isalnum(static_cast<unsigned char>(plain[end]))))
                    ++end;
                named.insert(plain.substr(at, end - at));
                at = end;
            }
        }
        tag = line == ".TP";
    }
    const std::vector<std::string> spellings = plan::OptionSpellings();
    EXPECT_EQ(named, std::set<std::string>(spellings.begin(), spellings.end()));
}

// Blocks of channels computed on several threads come out in order: the same
// bytes as one thread, in every format, for a band that ends mid-block and
// faults on the way.
TEST_F(PlanProgram, ThreadsGiveTheSameBytes) {
    for (const plan::FormatEntry& entry : plan::Formats()) {
        const std::string format(entry.name);
        std::string first;
        for (const char* threads : {"1", "2", "3"}) {
            const PlanRun run = Plan({"--band", "--fl", "699", "--fh", "701.5", "--step", "0.0003",
                                      "--threads", threads, "--format", format.c_str()});
            EXPECT_EQ(run.status, 1) << format << " on " << threads << " threads: the channel at F0 faults";
            if (first.empty()) first = run.out;
            EXPECT_TRUE(run.out == first) << format << " on " << threads << " threads";
        }
        EXPECT_GT(first.size(), 8334u * 10) << format;
    }
}

// -o replaces only a regular file: a FIFO, a device or a descriptor of the
// process is written straight into and stays what it was; a directory and
// the settings file being read are refused.
TEST_F(PlanProgram, OutputReplacesOnlyARegularFile) {
    ASSERT_EQ(::mkfifo("fifo", 0644), 0);
    std::string fromFifo;
    std::thread reader([&fromFifo] { fromFifo = Read("fifo"); });
    EXPECT_EQ(Plan({"-o", "fifo", "900.2"}).status, 0);
    reader.join();
    EXPECT_TRUE(fromFifo.starts_with("wanted,achieved"));
    EXPECT_TRUE(fs::is_fifo("fifo"));

    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    EXPECT_EQ(Plan({"-o", "/dev/fd/" + std::to_string(pipe[1]), "900.2"}).status, 0);
    ::close(pipe[1]);
    char bytes[7] = {};
    EXPECT_EQ(::read(pipe[0], bytes, 6), 6);
    EXPECT_STREQ(bytes, "wanted");
    ::close(pipe[0]);

    if (::geteuid() == 0) {  // device nodes of our own: /dev/null and /dev/full
        ASSERT_EQ(::mknod("null", S_IFCHR | 0666, ::makedev(1, 3)), 0);
        ASSERT_EQ(::mknod("full", S_IFCHR | 0666, ::makedev(1, 7)), 0);
        EXPECT_EQ(Plan({"-o", "null", "900.2"}).status, 0);
        const PlanRun full = Plan({"-o", "full", "900.2"});
        EXPECT_EQ(full.status, 2);
        EXPECT_EQ(full.error, "\"full\": write failed: No space left on device");
        EXPECT_TRUE(fs::is_character_file("null") && fs::is_character_file("full"));
    }
    fs::create_symlink("Kestrova.INI", "link.ini");
    for (const auto& [output, error] :
         {std::pair{".", "-o: \".\" is a directory"},
          {"Kestrova.INI", "-o: \"Kestrova.INI\" is the settings file this run reads"},
          {"./Kestrova.INI", "-o: \"./Kestrova.INI\" is the settings file"},
          {"link.ini", "-o: \"link.ini\" is the settings file"},
          {"/proc/self/cwd/Kestrova.INI", "-o: \"/proc/self/cwd/Kestrova.INI\" is the settings file"}}) {
        const PlanRun run = Plan({"-o", output, "900.2"});
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.error.starts_with(error)) << run.error;
    }
    EXPECT_EQ(Read("Kestrova.INI"), kExample);
}

// A run stopped by any signal that ends it, or by a file size limit, leaves
// the old output as it was and no temporary file.
TEST_F(PlanProgram, InterruptedRunLeavesTheOldOutput) {
    const auto temporaries = [] {
        int count = 0;
        for (const auto& entry : fs::directory_iterator("."))
            count += entry.path().filename().string().starts_with("out.csv.tmp") ? 1 : 0;
        return count;
    };
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGALRM, SIGUSR1, 0}) {
        std::ofstream("out.csv") << "old";
        const pid_t child = ::fork();
        if (child == 0) {
            const rlimit limit{1 << 20, 1 << 20};
            if (signal == 0) ::setrlimit(RLIMIT_FSIZE, &limit);
            std::string error;
            plan::PlanIo io{
                [](std::string_view) {}, false, nullptr, {}, plan::RemoveTemporaryOnEndingSignals()};
            const int status = plan::RunPlan({"--band", "--step", "0.0001", "-o", "out.csv"}, io, error);
            ::_exit(status == 2 && error == "\"out.csv\": write failed: File too large" ? 42 : status);
        }
        int status = 0;
        if (signal != 0) {
            for (int i = 0; i < 500 && temporaries() == 0; ++i) ::usleep(10000);
            EXPECT_EQ(temporaries(), 1) << strsignal(signal);
            ::kill(child, signal);
        }
        ::waitpid(child, &status, 0);
        if (signal != 0)
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << strsignal(signal);
        else
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 42)
                << "a file size limit is a write error";
        EXPECT_EQ(Read("out.csv"), "old");
        EXPECT_EQ(temporaries(), 0);
    }
}

// What the planner writes is never a program: the output gets the read and
// write bits of the file it replaces; another user's file in a shared
// directory is refused, as output and as settings.
TEST_F(PlanProgram, OutputNeverBecomesAProgramOfOurs) {
    std::ofstream("out.csv") << "old";
    ::chmod("out.csv", 06777);
    EXPECT_EQ(Plan({"-o", "out.csv", "900.2"}).status, 0);
    struct stat info {};
    ASSERT_EQ(::stat("out.csv", &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0666u);
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a file to another user";
    fs::create_directory("shared");
    ::chmod("shared", 01777);
    for (const char* name : {"shared/out.csv", "shared/theirs.ini"}) {
        std::ofstream(name) << kExample;
        ASSERT_EQ(::chown(name, 65534, 65534), 0);
    }
    for (const auto& args : {std::vector<std::string>{"-o", "shared/out.csv", "900.2"},
                             std::vector<std::string>{"--ini", "shared/theirs.ini", "900.2"}}) {
        const PlanRun run = Plan(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.error.find("belongs to another user (nobody) in a shared directory"), std::string::npos)
            << run.error;
    }
    EXPECT_EQ(Read("shared/out.csv"), kExample);
}

// Text from the settings file reaches a terminal only as visible escapes.
TEST_F(PlanProgram, TextTableShowsControlCharactersAsEscapes) {
    std::ofstream("Kestrova.INI", std::ios::binary)
        << "900\r\n1000\r\n0.5\r\n700\r\n\x1b]2;pwned\x07\x1b[2J\r\n950\r\n2\r\n900\r\n";
    const PlanRun run = Plan({"--format", "text", "900.2\x7f"}, true);
    EXPECT_EQ(run.status, 2) << "the wanted text is no number";
    const PlanRun table = Plan({"--format", "text", "900.2"}, true);
    EXPECT_EQ(table.status, 1);
    EXPECT_NE(table.out.find("\\x1b]2;pwned\\x07\\x1b[2J"), std::string::npos) << table.out;
    for (const char c : table.out) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_TRUE(byte == '\n' || (byte >= 0x20 && byte != 0x7f)) << int(byte);
    }
    // Controls escaped, UTF-8 kept, and every byte that is no UTF-8 escaped too.
    for (const auto& [text, shown] : {
             std::pair<std::string, std::string>{"a\tb\x7f\xc2\x9b\xc2\xb5", "a\\x09b\\x7f\\u009b\xc2\xb5"},
             {std::string("a\0b", 3), "a\\x00b"},
             {"\x9b"
              "2J",
              "\\x9b2J"},
             {"\xff\xfe caf\xe9", "\\xff\\xfe caf\\xe9"},
             {"\xe2\x88\x92 \xf0\x9f\x93\xa1", "\xe2\x88\x92 \xf0\x9f\x93\xa1"},
             {"\xc0\xaf \xed\xa0\x80 \xe2\x88", "\\xc0\\xaf \\xed\\xa0\\x80 \\xe2\\x88"},
         })
        EXPECT_EQ(plan::Visible(text), shown);
}

}  // namespace
}  // namespace kestrova
