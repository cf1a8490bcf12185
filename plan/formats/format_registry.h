// The formats of a plan, each described once: its name, its writer, how a
// file of it is recognised and read back, whether --decode writes it. The
// command line, --help, the completion and the readers take them from here;
// a new format is its writer and a row of the registry.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "plan/formats/channel_writer.h"
#include "plan/formats/plan_file.h"
#include "plan/formats/set_writer.h"

namespace kestrova::plan {

struct FormatEntry {
    std::string_view name;   // as --format takes it
    std::string_view title;  // in messages: "CSV", "C header"
    std::string_view note;   // what --help says of it besides its name, if anything
    std::unique_ptr<ChannelWriter> (*makeWriter)();
    std::unique_ptr<SetWriter> (*makeSetWriter)();  // --decode's rows; none: decode does not write it
    const PlanReader& (*reader)();                  // how a plan of it is read; none: it is not read back
    bool onTerminal;                                // the default for standard output on a terminal
    bool otherwise;                                 // the default everywhere else
};

// Every format, in the order help lists them.
std::span<const FormatEntry> Formats();

// The format of a name, or none.
const FormatEntry* FormatNamed(std::string_view name);

// The format a run writes when --format does not say.
const FormatEntry& DefaultFormat(bool terminal);

// "a, b or c": each format that passes the test (every one without), as
// part writes it.
std::string ListFormats(bool (*passes)(const FormatEntry&), std::string (*part)(const FormatEntry&));

// "text, csv, json or c-header" (names) or "CSV, JSON or C header"
// (titles), of the formats that pass the test (every one without).
std::string FormatNames(bool (*passes)(const FormatEntry&) = nullptr);
std::string FormatTitles(bool (*passes)(const FormatEntry&) = nullptr);

bool Decodable(const FormatEntry& format);
bool Readable(const FormatEntry& format);

// The reader of the format a plan is recognised as from its first bytes
// (blanks skipped), which stand on line; raises PlanFormatError for what
// is no plan.
const PlanReader& ReaderOf(std::string_view start, std::size_t line);

// The format a reader reads.
const FormatEntry& FormatOf(const PlanReader& reader);

}  // namespace kestrova::plan
