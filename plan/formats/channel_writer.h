// How a plan's channels are written in one format. A writer holds no state
// of its own, so blocks of rows can be written on several threads and
// joined in order.
#pragma once

#include <string>
#include <string_view>

#include "plan/channel/channel.h"
#include "plan/channel/columns.h"
#include "plan/channel/provenance.h"

namespace kestrova::plan {

class ChannelWriter {
public:
    virtual ~ChannelWriter() = default;
    // The columns a row is written from.
    virtual ColumnSet Columns() const = 0;
    virtual void Begin(const Provenance& provenance, std::string& out) const = 0;
    // One channel's row from its cells (filled from the channel); first is
    // the plan's first channel.
    virtual void Row(const ChannelResult& channel, const Cells& cells, bool first,
                     std::string& out) const = 0;
    // channels: how many there were; computed: how many had no fault.
    virtual void End(long long channels, long long computed, std::string& out) const = 0;

    // A format drawn from every channel at once (a picture): the rows of
    // each block go to Collect, in order, instead of to the output, and End
    // writes the whole. Other formats' rows are written as they come.
    virtual bool Collects() const { return false; }
    virtual void Collect(std::string_view /*rows*/) {}
};

}  // namespace kestrova::plan
