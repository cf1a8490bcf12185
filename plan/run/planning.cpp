// Planning: channels, writer and output wired together.
#include "plan/run/planning.h"

#include <algorithm>
#include <memory>

#include "core/calculation.h"
#include "plan/run/block_pipeline.h"
#include "plan/run/channels.h"
#include "plan/run/output_target.h"
#include "plan/run/progress.h"

namespace kestrova::plan {
namespace {

constexpr long long kBlockChannels = 2048;

// The rows of one block of consecutive channels.
struct Block {
    std::string text;
    long long computed = 0;  // channels without a fault
    bool anyFault = false;
};

// What a thread computes with: a panel of its own, and the memo that spares
// it converting the unchanged parameters again for every channel.
struct Worker {
    MemoryPanel panel;
    CalculationMemo memo;
    ChannelResult channel;
    Cells cells;
};

// Writes every channel's row; returns whether any faulted.
bool WriteChannels(const Channels& channels, const MemoryPanel& parameters, const Provenance& provenance,
                   ChannelWriter& writer, unsigned threads, OutputTarget& output, Progress& progress) {
    std::string head;
    writer.Begin(provenance, head);
    output.Write(head);
    long long computed = 0;
    bool anyFault = false;
    const ColumnSet columns = writer.Columns();
    const long long blocks = (channels.Count() + kBlockChannels - 1) / kBlockChannels;
    RunInOrder<Block>(
        blocks, threads,
        [&parameters] {
            return Worker{parameters, {}, {}, {}};
        },
        [&](Worker& worker, long long index, Block& block) {
            block.text.clear();
            block.computed = 0;
            block.anyFault = false;
            const long long last = std::min(channels.Count(), (index + 1) * kBlockChannels);
            for (long long k = index * kBlockChannels; k < last; ++k) {
                channels.Compute(k, worker.panel, worker.memo, worker.channel);
                block.anyFault = block.anyFault || worker.channel.fault.has_value();
                block.computed += worker.channel.fault ? 0 : 1;
                worker.cells.Fill(worker.channel, columns);
                writer.Row(worker.channel, worker.cells, k == 0, block.text);
            }
        },
        [&, done = 0LL](const Block& block) mutable {
            if (writer.Collects())
                writer.Collect(block.text);
            else
                output.Write(block.text);
            computed += block.computed;
            anyFault = anyFault || block.anyFault;
            done = std::min(channels.Count(), done + kBlockChannels);
            progress.Advance(done);
        });
    progress.Finish();
    std::string tail;
    writer.End(channels.Count(), computed, tail);
    output.Write(tail);
    return anyFault;
}

Provenance ProvenanceOf(const Options& options, const CalcPanel& parameters, const Channels& channels) {
    Provenance provenance{"kestrova-plan " KESTROVA_VERSION, {}, channels.Band()};
    for (const Field field : kParameterFields)
        if (field != Field::Fl || options.band)
            provenance.parameters.emplace_back(field, parameters.Text(field));
    return provenance;
}

}  // namespace

int RunPlanning(const Options& options, const MemoryPanel& parameters, unsigned threads, const PlanIo& io) {
    const Channels channels = ChannelsFor(options, parameters);
    const FormatEntry& format =
        options.format != nullptr ? *options.format : DefaultFormat(io.outputIsTerminal && !options.output);
    const std::unique_ptr<ChannelWriter> writer = format.makeWriter();
    OutputTarget output(options, io.write, io.pendingTemporary);
    Progress progress(io.progress, channels.Count(), "channels");
    const bool anyFault = WriteChannels(channels, parameters, ProvenanceOf(options, parameters, channels),
                                        *writer, threads, output, progress);
    output.Finish();
    return anyFault ? kSomeFaulted : kAllComputed;
}

}  // namespace kestrova::plan
