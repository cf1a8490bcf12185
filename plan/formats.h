// The output formats of a plan: a readable table, CSV (RFC 4180), JSON and a
// C header. A writer holds no state of its own, so blocks of rows can be
// written on several threads and joined in order.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "plan/channel.h"

namespace kestrova::plan {

enum class Format { Text, Csv, Json, CHeader };

std::optional<Format> FormatFromName(std::string_view name);

// What a plan was made from: the program and its version, and each
// parameter (FL for a band, FH, Step, F0, Fref, Fosc, DAC Gain) as the text
// that was used. The C header and the text table record it.
struct Provenance {
    std::string program;  // "kestrova-plan 0.1.0"
    std::vector<std::pair<Field, std::string>> parameters;
};

class ChannelWriter {
public:
    virtual ~ChannelWriter() = default;
    virtual void Begin(const Provenance& provenance, std::string& out) const = 0;
    // One channel's row; first is the plan's first channel.
    virtual void Row(const ChannelResult& channel, bool first, std::string& out) const = 0;
    // computed: how many channels had no fault.
    virtual void End(long long computed, bool any, std::string& out) const = 0;
};

std::unique_ptr<ChannelWriter> MakeWriter(Format format);

// Text for a terminal: every control character (C0, DEL and C1) shown as a
// visible escape such as \x1b, so that no text from a file or the command
// line can retitle, clear or otherwise drive the terminal.
std::string Visible(std::string_view text);

}  // namespace kestrova::plan
