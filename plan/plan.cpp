// kestrova-plan's run: the options, the parameters, the channels, the
// writer and the output, wired together.
#include "plan/plan.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <new>
#include <thread>

#include "core/calculation.h"
#include "files/file_fault.h"
#include "plan/block_pipeline.h"
#include "plan/channel_source.h"
#include "plan/formats.h"
#include "plan/options.h"
#include "plan/output_target.h"
#include "plan/parameters.h"
#include "plan/progress.h"
#include "plan/runs.h"

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
};

// Writes every channel's row; returns whether any faulted.
bool WriteChannels(const Channels& channels, const MemoryPanel& parameters, const Provenance& provenance,
                   const ChannelWriter& writer, unsigned threads, OutputTarget& output, Progress& progress) {
    std::string head;
    writer.Begin(provenance, head);
    output.Write(head);
    long long computed = 0;
    bool anyFault = false;
    const long long blocks = (channels.Count() + kBlockChannels - 1) / kBlockChannels;
    RunInOrder<Block>(
        blocks, threads,
        [&parameters] {
            return Worker{parameters, {}, {}};
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
                writer.Row(worker.channel, k == 0, block.text);
            }
        },
        [&, done = 0LL](const Block& block) mutable {
            output.Write(block.text);
            computed += block.computed;
            anyFault = anyFault || block.anyFault;
            done = std::min(channels.Count(), done + kBlockChannels);
            progress.Advance(done);
        });
    progress.Finish();
    std::string tail;
    writer.End(computed, channels.Count() > 0, tail);
    output.Write(tail);
    return anyFault;
}

Provenance ProvenanceOf(const Options& options, const CalcPanel& parameters) {
    Provenance provenance{"kestrova-plan " KESTROVA_VERSION, {}};
    for (const Field field :
         {Field::Fl, Field::Fh, Field::Fstep, Field::Fo, Field::Fref, Field::Fosc, Field::DacGain})
        if (field != Field::Fl || options.band)
            provenance.parameters.emplace_back(field, parameters.Text(field));
    return provenance;
}

int Run(const std::vector<std::string>& args, const PlanIo& io, std::string& error) {
    const Options options = ParseOptions(args);
    if (options.help) {
        io.write(HelpText());
        return kAllComputed;
    }
    if (options.version) {
        io.write("kestrova-plan " KESTROVA_VERSION "\n");
        return kAllComputed;
    }
    const MemoryPanel parameters = Parameters(options);
    const unsigned cores = std::max(1u, std::min(kMostDefaultThreads, std::thread::hardware_concurrency()));
    const unsigned threads = options.threads != 0 ? options.threads : cores;
    if (options.mode == Mode::Decode) return RunDecode(options, parameters, io, error);
    if (options.mode == Mode::Verify) return RunVerify(options, parameters, threads, io, error);

    const Channels channels = ChannelsFor(options, parameters);
    const Format format =
        options.format.value_or(io.outputIsTerminal && !options.output ? Format::Text : Format::Csv);
    const std::unique_ptr<ChannelWriter> writer = MakeWriter(format);
    OutputTarget output(options, io.write);
    Progress progress(io.progress, channels.Count(), "channels");
    const bool anyFault = WriteChannels(channels, parameters, ProvenanceOf(options, parameters), *writer,
                                        threads, output, progress);
    output.Finish();
    return anyFault ? kSomeFaulted : kAllComputed;
}

}  // namespace

int RunPlan(const std::vector<std::string>& args, const std::function<void(std::string_view)>& write,
            bool outputIsTerminal, std::string& error) {
    return RunPlan(args, PlanIo{write, outputIsTerminal, nullptr, {}}, error);
}

int RunPlan(const std::vector<std::string>& args, const PlanIo& io, std::string& error) {
    try {
        error.clear();
        return Run(args, io, error);
    } catch (const UsageError& usage) {
        error = std::string(usage.what()) + " (see kestrova-plan --help)";
    } catch (const FileFault& fault) {
        error = fault.what();
    } catch (const std::bad_alloc&) {
        error = "out of memory";
    } catch (const std::exception& failure) {
        error = failure.what();
    } catch (...) {
        error = "stopped by an unexpected failure";
    }
    return kBadUsage;
}

}  // namespace kestrova::plan
