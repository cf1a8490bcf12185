// The output formats of a plan: a readable table, CSV (RFC 4180), JSON and a
// C header. Each writer appends to a buffer that the caller streams out.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "plan/channel.h"

namespace kestrova::plan {

enum class Format { Text, Csv, Json, CHeader };

std::optional<Format> FormatFromName(std::string_view name);

class ChannelWriter {
public:
    virtual ~ChannelWriter() = default;
    virtual void Begin(std::string& out) = 0;
    virtual void Row(const ChannelResult& channel, std::string& out) = 0;
    virtual void End(std::string& out) = 0;
};

std::unique_ptr<ChannelWriter> MakeWriter(Format format);

}  // namespace kestrova::plan
