// The planner's parts on their own: the ordered block pipeline, the readers
// of each format against their writers, the register-set reader, the
// registry of formats and the count of a band.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/calculation.h"
#include "plan/channel/channel.h"
#include "plan/channel/columns.h"
#include "plan/checks/plan_stream.h"
#include "plan/formats/c_header/compiled_lines.h"
#include "plan/formats/format_registry.h"
#include "plan/formats/register_set.h"
#include "plan/run/band_count.h"
#include "plan/run/block_pipeline.h"

namespace kestrova {
namespace {

TEST(RunInOrder, HandsOnEveryBlockInOrderAndRaisesAWorkersFailure) {
    for (const unsigned threads : {1u, 2u, 4u}) {
        for (const long long count : {0LL, 1LL, 7LL, 100LL}) {
            std::vector<long long> seen;
            plan::RunInOrder<long long>(
                count, threads, [] { return 0; },
                [](int&, long long index, long long& block) { block = index; },
                [&seen](const long long& block) { seen.push_back(block); });
            ASSERT_EQ(seen.size(), static_cast<std::size_t>(count)) << threads << " threads";
            for (long long i = 0; i < count; ++i) EXPECT_EQ(seen[static_cast<std::size_t>(i)], i);
        }
        std::atomic<long long> handed{0};
        EXPECT_THROW(plan::RunInOrder<long long>(
                         1000, threads, [] { return 0; },
                         [](int&, long long index, long long&) {
                             if (index == 500) throw std::runtime_error("block 500");
                         },
                         [&handed](const long long&) { ++handed; }),
                     std::runtime_error);
        EXPECT_LE(handed.load(), 500) << "nothing after the failing block is handed on";
    }
}

// Each readable format's reader gives back, column for column, what its
// writer wrote: for a channel with registers, a mismatch and a fault.
TEST(PlanReaders, ReadBackWhatTheWritersWrote) {
    MemoryPanel parameters;
    const char* inputs[] = {"900", "1000", "0.5", "700", "10", "950", "2", ""};
    for (std::size_t i = 0; i < kInputFields.size(); ++i) parameters.SetText(kInputFields[i], inputs[i]);
    const char* wanted[] = {"900.2", "700,\"x\"", "950"};  // a mismatch, a fault quoted in CSV, an exact one
    std::vector<plan::ChannelResult> channels(std::size(wanted));
    std::vector<MemoryPanel> panels(std::size(wanted), parameters);
    CalculationMemo memo;
    for (std::size_t i = 0; i < channels.size(); ++i)
        plan::ComputeChannel(panels[i], memo, wanted[i], channels[i]);
    ASSERT_TRUE(channels[1].fault.has_value());
    for (const plan::FormatEntry& format : plan::Formats()) {
        if (!plan::Readable(format)) continue;
        const auto writer = format.makeWriter();
        std::string text;
        writer->Begin({"kestrova-plan test", {{Field::Fh, "1000"}}, std::nullopt}, text);
        std::vector<plan::Cells> cells(channels.size());
        for (std::size_t i = 0; i < channels.size(); ++i) {
            cells[i].Fill(channels[i]);
            writer->Row(channels[i], cells[i], i == 0, text);
        }
        writer->End(3, 2, text);
        std::istringstream input(text);
        plan::PlanStream file("-", &input);
        ASSERT_TRUE(file.Next());
        const plan::PlanRecords& records = file.Records();
        ASSERT_EQ(records.records.size(), channels.size()) << format.name;
        plan::RowScratch scratch;
        plan::PlanRow row;
        for (std::size_t i = 0; i < channels.size(); ++i) {
            // The planner's own layout is verified a comparison a channel,
            // from its wanted text read without the rest (a quoted one is
            // left to the full reading).
            const auto quick = file.Reader().QuickWanted(records, i);
            if (std::string_view(wanted[i]).find('"') == std::string_view::npos) {
                EXPECT_EQ(quick.value_or("(none)"), wanted[i]) << format.name;
            }
            file.Reader().Read(records, i, scratch, row);
            for (const plan::ColumnInfo& column : plan::kColumns) {
                if (!row.Has(column.column)) continue;
                const std::string expected = column.column == plan::Column::Fault
                                                 ? file.Reader().AsWritten(cells[i][column.column])
                                                 : std::string(cells[i][column.column]);
                // A JSON number keeps its value, not its spelling.
                if (format.name == "json" && column.kind == plan::CellKind::Number)
                    EXPECT_EQ(std::stod(row[column.column]), std::stod(expected)) << column.json;
                else
                    EXPECT_EQ(row[column.column], expected)
                        << format.name << " " << column.json << " of " << wanted[i];
            }
            for (const plan::ColumnInfo& column : plan::kColumns) {
                if ((file.Reader().Holds(records) & plan::ColumnBit(column.column)) != 0 &&
                    cells[i].Has(column.column)) {
                    EXPECT_TRUE(row.Has(column.column)) << format.name << " lacks " << column.json;
                }
            }
        }
    }
}

// A plan read in pieces of any size gives the same records on the same
// lines, the same problems and the same end: records fall across pieces.
TEST(PlanReaders, PiecesOfAnySizeReadTheSame) {
    const std::string header =
        "/* Channel registers computed by t from\n *   Fref      10\n */\n"
        "static const struct kestrova_channel kestrova_channels[] = {\n"
        "    /* wanted 900, achieved 900 */\n#if 0\n    { 0x1, 0x2, 0x3, 0x4, 0x5 },\n#endif\n"
        "    { 0x0014, 0x10, 0x00C, 0x19C, 0x07 },\n    { 0x9 },\n"
        "    /* wanted 950: no registers. x */\n    KESTROVA_NO_REGISTERS,\n};\n"
        "#define KESTROVA_CHANNEL_COUNT 3\n";
    const std::string csv =
        "wanted,achieved,mismatch,error,error_ppm,Rt,St,Pt,Ct,Gt,R,N,P,S,C,G,fault\r\n"
        "900,900,0,0,0,14,10,C,19C,7,20,400,12,16,412,7,\r\n\r\n950,,,,,,,,,,,,,,,,\"x\"\r\n9";
    const std::string json =
        "  [ {\"wanted\": \"9{0}\", \"x\": [1, {\"y\": \"}\\\"\"}]},\n\n{\"wanted\": 2} ,{\"wan";
    for (const std::string& text : {header, csv, json}) {
        const auto read = [&text](std::size_t piece) {
            std::istringstream input(text);
            plan::PlanStream file("-", &input, piece, piece % 2 == 0);  // and split on a thread of its own
            std::string got, problems;
            for (bool more = true; more;) {
                more = file.Next();
                for (std::size_t i = 0; i < file.Records().records.size(); ++i)
                    (got += std::to_string(file.Records().lines[i]) + ": ") += file.Records().records[i];
                for (const std::string& problem : file.Records().otherProblems) problems += problem;
            }
            return got + problems + file.Records().truncation.value_or("") + std::to_string(file.Line());
        };
        const std::string whole = read(1 << 20);
        for (const std::size_t piece : {1U, 2U, 7U, 64U})
            EXPECT_EQ(read(piece), whole) << piece << " " << text;
    }
}

// What the compiler sees of each line: comments, even across lines, become
// a space; a region of #if 0 up to its #else or #endif is nothing, however
// deeply nested; a "/*" inside a string is no comment.
TEST(PlanReaders, CompiledLinesAreWhatTheCompilerSees) {
    struct Case {
        std::vector<std::string> lines;
        std::vector<std::string> seen;  // trimmed
    };
    const Case cases[] = {
        {{"{ 1 }, /* a", "{ 2 }", "b */ { 3 },", "// { 4 }"}, {"{ 1 },", "", "{ 3 },", ""}},
        {{"#if 0", "{ 1 }", "#if 1", "{ 2 }", "#endif", "#else", "{ 3 }", "#endif", "{ 4 }"},
         {"#if 0", "", "", "", "", "#else", "{ 3 }", "#endif", "{ 4 }"}},
        {{"#ifdef X", "{ 1 }", "#elif 1", "{ 2 }", "#else", "{ 3 }", "#endif"},
         {"#ifdef X", "{ 1 }", "#elif 1", "", "", "", "#endif"}},
        {{"#if 0", "#elif 0", "{ 1 }", "#elif 2", "{ 2 }", "#endif"},
         {"#if 0", "", "", "#elif 2", "{ 2 }", "#endif"}},
        {{"\"/*\" { 1 }", "'\"' /* x */ { 2 }", "# if 0 /* c */", "{ 3 }", "#endif"},
         {"\"/*\" { 1 }", "'\"'   { 2 }", "# if 0", "", "#endif"}},
    };
    for (const Case& c : cases) {
        plan::CompiledLines compiled;
        for (std::size_t i = 0; i < c.lines.size(); ++i)
            EXPECT_EQ(plan::Trimmed(compiled.Next(c.lines[i])), c.seen[i]) << c.lines[i];
    }
}

TEST(PlanReaders, RecogniseOnlyPlans) {
    for (const char* text :
         {"", "wanted;achieved\r\n", "/* another comment */", "{\"wanted\": 1}", "wanted,achieved\r\n"}) {
        std::istringstream input(text);
        EXPECT_THROW(plan::PlanStream("-", &input).Next(), plan::PlanFormatError) << text;
    }
}

TEST(RegisterSets, ReadInEveryWayTheyAreWritten) {
    struct Case {
        const char* text;
        std::vector<std::int32_t> values;  // R S P [C G]; empty: no set
    };
    const Case cases[] = {
        {"0014 10 00C 19C 07", {0x14, 0x10, 0xC, 0x19C, 7}},
        {"0x14,0X10,0xc", {0x14, 0x10, 0xC}},
        {"    { 0x0014, 0x10, 0x00C, 0x19C, 0x07 },  /* wanted 900 */", {0x14, 0x10, 0xC, 0x19C, 7}},
        {"FFFFFFFE 0 0", {-2, 0, 0}},
        {"# a comment", {}},
        {"    // { 0x0014, 0x10, 0x00C, 0x19C, 0x07 },", {}},
        {"    KESTROVA_NO_REGISTERS,", {}},
        {"   ", {}},
    };
    for (const Case& c : cases) {
        const auto set = plan::ReadRegisterSet(c.text);
        ASSERT_EQ(set.has_value(), !c.values.empty()) << c.text;
        if (!set) continue;
        std::vector<std::int32_t> values = {set->r.value, set->s.value, set->p.value};
        if (set->c) values.insert(values.end(), {set->c->value, set->g->value});
        EXPECT_EQ(values, c.values) << c.text;
    }
    for (const char* wrong :
         {"14 10", "14 10 0C 19C", "14 10 0C 19C 07 1", "14 1G 0C", "123456789 0 0", "{ 14, 10"})
        EXPECT_THROW(plan::ReadRegisterSet(wrong), std::invalid_argument) << wrong;
}

// A band's count against whole-number arithmetic: FL, FH and Step as
// integers of millionths, written with as many decimals as each needs.
TEST(BandChannelCount, CountsFromTheDecimalTexts) {
    const auto text = [](std::int64_t millionths) {
        std::string digits = std::to_string(millionths < 0 ? -millionths : millionths);
        if (digits.size() < 7) digits.insert(0, 7 - digits.size(), '0');
        digits.insert(digits.size() - 6, ".");
        while (digits.back() == '0') digits.pop_back();
        if (digits.back() == '.') digits.pop_back();
        return (millionths < 0 ? "-" : "") + digits;
    };
    struct Band {
        std::int64_t low, high, step;  // millionths
    };
    std::vector<Band> bands = {
        {900'000'000, 900'001'000, 10},                  // 900 to 900.001 at 0.00001: FH's digits were lost
        {1'000'000'000'000, 1'000'007'700'000, 10'000},  // 1000000 to 1000007.7 at 0.01
        {900'000'000, 900'000'000, 500'000},             // FL = FH
        {-10'000'000, 10'000'000, 100'000},              // across zero
        {-30'000'000, -10'000'000, 3'000'000},           // below zero, FH off the steps
    };
    std::uint64_t state = 12345;
    const auto random = [&state](std::int64_t bound) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        return static_cast<std::int64_t>((state >> 11) % static_cast<std::uint64_t>(bound));
    };
    for (int i = 0; i < 3000; ++i) {
        // GHz with kHz steps, MHz with Hz and sub-Hz steps, and small bands.
        const std::int64_t scale[] = {1'000'000'000'000'000, 1'000'000'000'000, 1'000'000'000};
        const std::int64_t low = random(scale[i % 3]);
        const std::int64_t step = 1 + random(i % 2 == 0 ? 1'000'000'000 : 1'000);
        bands.push_back({low, low + random(step * 20'000), step});
    }
    for (const Band& band : bands) {
        const std::string fl = text(band.low), fh = text(band.high), step = text(band.step);
        EXPECT_EQ(plan::BandChannelCount(fl, fh, step, std::int64_t{1} << 62),
                  (band.high - band.low) / band.step + 1)
            << fl << " to " << fh << " at " << step;
    }
    // The same numbers however written; FH below FL; a count over the limit.
    EXPECT_EQ(plan::BandChannelCount(" 9 00", "9e2", "0.5", 10), 1);
    EXPECT_EQ(plan::BandChannelCount("0900.00", "10.00e2", "5e-1", 1000), 201);
    EXPECT_EQ(plan::BandChannelCount("900", "899.99999999999999999", "0.5", 10), 0);
    EXPECT_EQ(plan::BandChannelCount("0", "10", "1", 11), 11);
    EXPECT_EQ(plan::BandChannelCount("0", "10", "1", 10), std::nullopt);
    EXPECT_THROW(plan::BandChannelCount("1e-200000", "1", "1", 10), std::length_error);
}

// Every format of the registry is named by --format in the manual, and
// each name is one format; every text that lists the formats to a reader
// (the README, the software centre's description, the package's) names
// each by its title.
TEST(PlanFormats, TheDocsNameEveryFormat) {
    const auto read = [](const char* path) {
        std::ifstream in(std::string(KESTROVA_SOURCE_DIR "/") + path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string manual = read("plan/kestrova-plan.1");
    for (const plan::FormatEntry& format : plan::Formats()) {
        std::string escaped;
        for (const char c : format.name) escaped += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(manual.find("\\fB" + escaped + "\\fR"), std::string::npos) << format.name;
        EXPECT_EQ(plan::FormatNamed(format.name), &format);
    }
    for (const char* path :
         {"README.md", "ui/desktop/org.kestrova.Kestrova.metainfo.xml", "CMakeLists.txt"}) {
        const std::string text = read(path);
        ASSERT_FALSE(text.empty()) << path;
        for (const plan::FormatEntry& format : plan::Formats())
            EXPECT_NE(text.find(format.title), std::string::npos)
                << path << " does not name " << format.title;
    }
}

}  // namespace
}  // namespace kestrova
