// The registry of formats.
#include "plan/formats/format_registry.h"

#include <stdexcept>

#include <array>
#include <vector>

namespace kestrova::plan {

// Each format's folder.
std::unique_ptr<ChannelWriter> MakeTextWriter();
std::unique_ptr<ChannelWriter> MakeCsvWriter();
std::unique_ptr<ChannelWriter> MakeJsonWriter();
std::unique_ptr<ChannelWriter> MakeCHeaderWriter();
std::unique_ptr<ChannelWriter> MakeSvgWriter();
std::unique_ptr<SetWriter> MakeTextSetWriter();
std::unique_ptr<SetWriter> MakeCsvSetWriter();
std::unique_ptr<SetWriter> MakeJsonSetWriter();

namespace {

// Each format once: a new format is its folder and a row here.
constexpr auto kFormats = std::to_array<FormatEntry>({
    {"text", "table", "a table", MakeTextWriter, MakeTextSetWriter, nullptr, true, false},
    {"csv", "CSV", "", MakeCsvWriter, MakeCsvSetWriter, CsvPlanReader, false, true},
    {"json", "JSON", "", MakeJsonWriter, MakeJsonSetWriter, JsonPlanReader, false, false},
    {"c-header", "C header", "", MakeCHeaderWriter, nullptr, CHeaderPlanReader, false, false},
    {"svg", "SVG", "a picture", MakeSvgWriter, nullptr, nullptr, false, false},
});

}  // namespace

std::span<const FormatEntry> Formats() {
    return kFormats;
}

const FormatEntry* FormatNamed(std::string_view name) {
    for (const FormatEntry& format : kFormats)
        if (format.name == name) return &format;
    return nullptr;
}

const FormatEntry& DefaultFormat(bool terminal) {
    for (const FormatEntry& format : kFormats)
        if (terminal ? format.onTerminal : format.otherwise) return format;
    return kFormats[0];
}

std::string ListFormats(bool (*passes)(const FormatEntry&), std::string (*part)(const FormatEntry&)) {
    std::vector<std::string> parts;
    for (const FormatEntry& format : kFormats)
        if (passes == nullptr || passes(format)) parts.push_back(part(format));
    std::string list;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) list += i + 1 == parts.size() ? " or " : ", ";
        list += parts[i];
    }
    return list;
}

std::string FormatNames(bool (*passes)(const FormatEntry&)) {
    return ListFormats(passes, [](const FormatEntry& format) { return std::string(format.name); });
}

std::string FormatTitles(bool (*passes)(const FormatEntry&)) {
    return ListFormats(passes, [](const FormatEntry& format) { return std::string(format.title); });
}

bool Decodable(const FormatEntry& format) {
    return format.makeSetWriter != nullptr;
}

bool Readable(const FormatEntry& format) {
    return format.reader != nullptr;
}

const PlanReader& ReaderOf(std::string_view start, std::size_t line) {
    for (const FormatEntry& format : kFormats)
        if (format.reader != nullptr && format.reader().Recognises(start)) return format.reader();
    FailAtLine(line, "not a plan of kestrova-plan (" + FormatTitles(Readable) + ")");
}

const FormatEntry& FormatOf(const PlanReader& reader) {
    for (const FormatEntry& format : kFormats)
        if (format.reader != nullptr && &format.reader() == &reader) return format;
    throw std::logic_error("a reader of no format");
}

}  // namespace kestrova::plan
