// Options, the parameters panel, the channel list and the streaming of rows.
#include "plan/plan.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <exception>
#include <new>
#include <vector>
#include <mutex>
#include <thread>
#include <cmath>
#include <csignal>
#include <cstring>
#include <system_error>
#include <optional>
#include <stdexcept>
#include <utility>

#include "core/calc_fault.h"
#include "core/numeric_text.h"
#include "plan/formats.h"
#include "files/descriptor.h"
#include "files/replacement_file.h"
#include "settings/settings_file.h"

namespace kestrova::plan {
namespace {

constexpr std::string_view kHelp =
    "Usage: kestrova-plan [OPTION]... FREQ...\n"
    "       kestrova-plan [OPTION]... --band\n"
    "Compute the synthesiser registers for each wanted frequency FREQ, or for every\n"
    "channel from FL to FH at the channel step, exactly as the Kestrova window does.\n"
    "\n"
    "The parameters come from Kestrova.INI in the current directory, the file the\n"
    "window keeps, and each option below replaces one of them. Values are read as\n"
    "the window reads them: \".\" is the decimal point, whatever the locale. A FREQ\n"
    "or a value given as an option must be a number and nothing else (blanks\n"
    "aside): \"10 MHz\", \"1,5\" or \"abc\" is refused.\n"
    "\n"
    "  --ini FILE          read the parameters from FILE instead\n"
    "  --fl X              low frequency (the first channel of --band)\n"
    "  --fh X              high frequency\n"
    "  --step X            channel step\n"
    "  --f0 X              offset frequency\n"
    "  --fref X            reference frequency\n"
    "  --fosc X            oscillator frequency for the DAC code\n"
    "  --dac-gain X        DAC codes per unit of frequency\n"
    "  --band              every channel FL, FL + Step, ... up to FH inclusive\n"
    "  --format FORMAT     text (a table), csv, json or c-header; the default is\n"
    "                      text on a terminal and csv otherwise\n"
    "  -o, --output FILE   write to FILE, replaced in one step when complete; a FIFO,\n"
    "                      a device or a terminal is written straight into\n"
    "      --max-channels N  refuse a band of more than N channels (100000000)\n"
    "      --threads N     compute on N threads (one per core); the output is the same\n"
    "  -h, --help          show this help\n"
    "      --version       show the version\n"
    "\n"
    "A channel whose calculation faults shows the fault in its row and the others\n"
    "go on. Exit status: 0 when every channel was computed, 1 when any faulted,\n"
    "2 for bad usage or a settings or output file that cannot be used.\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    std::optional<std::string> ini;
    std::vector<std::pair<Field, std::string>> values;
    bool band = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> frequencies;
    std::optional<Format> format;
    std::optional<std::string> output;
    long long maxChannels = 100'000'000;
    unsigned threads = 0;  // 0: one per core
};

constexpr std::pair<std::string_view, Field> kValueOptions[] = {
    {"--fl", Field::Fl},     {"--fh", Field::Fh},     {"--step", Field::Fstep},       {"--f0", Field::Fo},
    {"--fref", Field::Fref}, {"--fosc", Field::Fosc}, {"--dac-gain", Field::DacGain},
};

// A negative number is a frequency, not an option.
bool LooksLikeNumber(std::string_view arg) {
    return arg.size() > 1 && arg[0] == '-' && ((arg[1] >= '0' && arg[1] <= '9') || arg[1] == '.');
}

Options Parse(const std::vector<std::string>& args) {
    Options options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-" || LooksLikeNumber(arg)) {
            options.frequencies.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // "--name=value" or "--name value".
        std::optional<std::string> inlineValue;
        if (const std::size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            inlineValue = std::string(arg.substr(eq + 1));
            arg = arg.substr(0, eq);
        }
        const auto value = [&]() -> std::string {
            if (inlineValue) return *inlineValue;
            if (i + 1 >= args.size()) throw UsageError("option '" + std::string(arg) + "' needs a value");
            return args[++i];
        };
        const auto flag = [&] {
            if (inlineValue) throw UsageError("option '" + std::string(arg) + "' takes no value");
        };
        if (arg == "-h" || arg == "--help") {
            flag();
            options.help = true;
        } else if (arg == "--version") {
            flag();
            options.version = true;
        } else if (arg == "--band") {
            flag();
            options.band = true;
        } else if (arg == "--ini") {
            options.ini = value();
        } else if (arg == "-o" || arg == "--output") {
            options.output = value();
        } else if (arg == "--max-channels" || arg == "--threads") {
            const std::string text = value();
            long long count = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
            if (error != std::errc() || end != text.data() + text.size() || count < 1 ||
                (arg == "--threads" && count > 64))
                throw UsageError(std::string(arg) + " \"" + text + "\": not a count" +
                                 (arg == "--threads" ? " from 1 to 64" : " of 1 or more"));
            if (arg == "--threads") options.threads = static_cast<unsigned>(count);
            else options.maxChannels = count;
        } else if (arg == "--format") {
            const std::string name = value();
            options.format = FormatFromName(name);
            if (!options.format) throw UsageError("unknown format '" + name + "' (text, csv, json or c-header)");
        } else {
            bool known = false;
            for (const auto& [name, field] : kValueOptions) {
                if (arg == name) {
                    options.values.emplace_back(field, value());
                    if (!IsWholeNumber(options.values.back().second))
                        throw UsageError(std::string(arg) + " \"" + options.values.back().second + "\": not a number");
                    known = true;
                }
            }
            if (!known) throw UsageError("unknown option '" + std::string(arg) + "'");
        }
    }
    if (options.help || options.version) return options;
    for (const std::string& frequency : options.frequencies)
        if (!IsWholeNumber(frequency)) throw UsageError("\"" + frequency + "\": not a number");
    if (options.band && !options.frequencies.empty())
        throw UsageError("give either --band or frequencies, not both");
    if (!options.band && options.frequencies.empty()) throw UsageError("no frequency given (or --band)");
    return options;
}

// The parameters: the settings file, then the options over it. Without
// --ini a missing Kestrova.INI is no problem when the options give every
// value the calculation reads.
MemoryPanel Parameters(const Options& options) {
    MemoryPanel panel;
    const std::string path = options.ini.value_or(std::string(kSettingsFileName));
    try {
        ReadIniFile(panel, path);
    } catch (const FileFault& fault) {
        bool allGiven = true;
        for (Field needed : {Field::Fh, Field::Fstep, Field::Fo, Field::Fref, Field::Fosc, Field::DacGain}) {
            bool given = false;
            for (const auto& value : options.values) given = given || value.first == needed;
            allGiven = allGiven && given;
        }
        if (options.ini || !allGiven) throw UsageError(std::string("cannot read the parameters: ") + fault.what());
    }
    for (const auto& [field, text] : options.values) panel.SetText(field, text);
    return panel;
}

double ReadParameter(const CalcPanel& panel, Field field, const char* caption) {
    try {
        return NumberFromText(panel.Text(field));
    } catch (const CalcFault& fault) {
        throw UsageError(std::string(caption) + " cannot be read: " + fault.what());
    }
}

// The wanted frequencies of a plan: the ones given, or the band's channels
// FL + k Step, each written as the window writes numbers.
class Channels {
public:
    explicit Channels(const std::vector<std::string>& given) : given_(&given), count_(static_cast<long long>(given.size())) {}
    Channels(double low, double step, long long count) : low_(low), step_(step), count_(count) {}
    long long Count() const { return count_; }
    void Compute(long long k, CalcPanel& panel, std::string& wanted, ChannelResult& result) const {
        if (given_ != nullptr) {
            ComputeChannel(panel, (*given_)[static_cast<std::size_t>(k)], result);
            return;
        }
        const Digits15 digits = DecimalDigits15(low_ + static_cast<double>(k) * step_);
        wanted = TextFromDigits(digits);
        ComputeChannel(panel, wanted, digits, result);
    }

private:
    const std::vector<std::string>* given_ = nullptr;
    double low_ = 0, step_ = 0;
    long long count_;
};

// The rows of one block of consecutive channels.
struct Block {
    std::string text;
    long long computed = 0;  // channels without a fault
    bool anyFault = false;
};

constexpr long long kBlockChannels = 2048;

void ComputeBlock(const Channels& channels, long long block, MemoryPanel& panel, const ChannelWriter& writer,
                  Block& out) {
    out.text.clear();
    out.computed = 0;
    out.anyFault = false;
    ChannelResult channel;
    std::string wanted;
    const long long last = std::min(channels.Count(), (block + 1) * kBlockChannels);
    for (long long k = block * kBlockChannels; k < last; ++k) {
        channels.Compute(k, panel, wanted, channel);
        out.anyFault = out.anyFault || channel.fault.has_value();
        out.computed += channel.fault ? 0 : 1;
        writer.Row(channel, k == 0, out.text);
    }
}

// Computes the blocks on worker threads, each with a panel of its own, and
// hands them to the sink strictly in order: the output is byte for byte that
// of one thread. A worker runs at most a few blocks ahead of the sink, so
// memory stays flat however many channels there are.
class BlockPipeline {
public:
    BlockPipeline(const Channels& channels, const MemoryPanel& parameters, const ChannelWriter& writer,
                  unsigned threads)
        : channels_(channels), writer_(writer),
          blocks_((channels.Count() + kBlockChannels - 1) / kBlockChannels),
          slots_(2 * static_cast<std::size_t>(threads)) {
        for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this, parameters] { Work(parameters); });
    }
    BlockPipeline(const BlockPipeline&) = delete;
    BlockPipeline& operator=(const BlockPipeline&) = delete;
    ~BlockPipeline() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        for (std::thread& worker : workers_) worker.join();
    }

    // Hands each block to the sink, in order; a worker's failure is raised here.
    template <class Sink>
    void Drain(Sink&& sink) {
        for (long long block = 0; block < blocks_; ++block) {
            Slot& slot = slots_[static_cast<std::size_t>(block) % slots_.size()];
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return slot.ready || failure_; });
                if (failure_) std::rethrow_exception(failure_);
            }
            sink(slot.block);
            {
                const std::lock_guard lock(mutex_);
                slot.ready = false;
                written_ = block + 1;
            }
            changed_.notify_all();
        }
    }

private:
    // Each on cache lines of its own: a worker appends to its slot's text
    // with every row, and must not slow the other down.
    struct alignas(128) Slot {
        Block block;
        bool ready = false;
    };

    void Work(MemoryPanel panel) {
        for (;;) {
            const long long block = next_.fetch_add(1);
            if (block >= blocks_) return;
            Slot& slot = slots_[static_cast<std::size_t>(block) % slots_.size()];
            {
                std::unique_lock lock(mutex_);
                // The slot is free once the block it held before has been written.
                changed_.wait(lock, [&] { return stop_ || written_ + static_cast<long long>(slots_.size()) > block; });
                if (stop_) return;
            }
            try {
                ComputeBlock(channels_, block, panel, writer_, slot.block);
            } catch (...) {
                const std::lock_guard lock(mutex_);
                if (!failure_) failure_ = std::current_exception();
                stop_ = true;
                changed_.notify_all();
                return;
            }
            {
                const std::lock_guard lock(mutex_);
                slot.ready = true;
            }
            changed_.notify_all();
        }
    }

    const Channels& channels_;
    const ChannelWriter& writer_;
    const long long blocks_;
    std::vector<Slot> slots_;
    std::atomic<long long> next_{0};
    std::mutex mutex_;
    std::condition_variable changed_;
    long long written_ = 0;
    bool stop_ = false;
    std::exception_ptr failure_;
    std::vector<std::thread> workers_;
};

// Writes every channel through the sink; returns whether any faulted.
bool WriteChannels(const Options& options, MemoryPanel& panel, const ChannelWriter& writer,
                   const std::function<void(std::string_view)>& sink) {
    std::optional<Channels> channels;
    if (options.band) {
        const double low = ReadParameter(panel, Field::Fl, "FL");
        const double high = ReadParameter(panel, Field::Fh, "FH");
        const double step = ReadParameter(panel, Field::Fstep, "Step");
        if (!(step > 0)) throw UsageError("--band needs a Step above 0");
        if (high < low) throw UsageError("--band needs FH at or above FL");
        // The last channel is the one at FH, allowing for the rounding of
        // (FH - FL) / Step by a billionth of a step. A count beyond the
        // range of a channel number (or beyond the doubles) is refused, never
        // wrapped into an empty band.
        const double steps = std::floor((high - low) / step + 1e-9);
        if (!(steps < 0x1p63 - 1024))
            throw UsageError("the band from FL to FH at this Step has too many channels");
        const long long count = static_cast<long long>(steps) + 1;
        if (count > options.maxChannels)
            throw UsageError("the band has " + std::to_string(count) + " channels, more than --max-channels (" +
                             std::to_string(options.maxChannels) + ") allows");
        channels.emplace(low, step, count);
    } else {
        channels.emplace(options.frequencies);
    }

    std::string head;
    writer.Begin(head);
    sink(head);
    long long computed = 0;
    bool anyFault = false;
    const auto take = [&](const Block& block) {
        sink(block.text);
        computed += block.computed;
        anyFault = anyFault || block.anyFault;
    };
    const unsigned cores = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    const unsigned threads = options.threads != 0 ? options.threads : cores;
    if (threads == 1 || channels->Count() <= kBlockChannels) {
        Block block;
        for (long long b = 0; b * kBlockChannels < channels->Count(); ++b) {
            ComputeBlock(*channels, b, panel, writer, block);
            take(block);
        }
    } else {
        BlockPipeline pipeline(*channels, panel, writer, threads);
        pipeline.Drain(take);
    }
    std::string tail;
    writer.End(computed, channels->Count() > 0, tail);
    sink(tail);
    return anyFault;
}

// The temporary file of an -o replacement in progress, removed if a signal
// ends the run before it is complete, so the old output stays untouched.
char pendingTemporary[4096];
volatile std::sig_atomic_t temporaryPending = 0;

void RemoveTemporaryAndDie(int signal) {
    if (temporaryPending != 0) ::unlink(pendingTemporary);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Every signal whose default action ends the process, apart from SIGKILL
// (which cannot be caught) and SIGXFSZ (a write error instead). A signal the
// caller ignores stays ignored.
std::vector<int> EndingSignals() {
    std::vector<int> signals = {SIGHUP,  SIGINT,    SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,  SIGFPE,
                                SIGUSR1, SIGSEGV,   SIGUSR2, SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGVTALRM,
                                SIGPROF, SIGIO,     SIGPWR,  SIGSYS,  SIGSTKFLT};
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) signals.push_back(signal);
    return signals;
}

class TemporaryGuard {
public:
    explicit TemporaryGuard(const std::string& temporary) {
        if (temporary.empty() || temporary.size() >= sizeof pendingTemporary) return;
        std::memcpy(pendingTemporary, temporary.c_str(), temporary.size() + 1);
        temporaryPending = 1;
        struct sigaction action {};
        action.sa_handler = RemoveTemporaryAndDie;
        sigemptyset(&action.sa_mask);
        for (const int signal : EndingSignals()) Install(signal, action);
        // A file size limit: the write fails, and the run ends as after any
        // failed write, with the temporary file removed.
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        Install(SIGXFSZ, ignore);
    }
    TemporaryGuard(const TemporaryGuard&) = delete;
    TemporaryGuard& operator=(const TemporaryGuard&) = delete;
    ~TemporaryGuard() {
        temporaryPending = 0;
        for (const auto& [signal, previous] : previous_) ::sigaction(signal, &previous, nullptr);
    }

private:
    void Install(int signal, const struct sigaction& action) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) return;
        ::sigaction(signal, &action, &previous);
        previous_.emplace_back(signal, previous);
    }
    std::vector<std::pair<int, struct sigaction>> previous_;
};

// Where -o writes. A FIFO, a device or a terminal (or a name for one of the
// process's own descriptors, such as /dev/stdout) is written straight into;
// a regular file, or a name not yet taken, is replaced in one step when the
// output is complete. A directory, and the settings file this run reads
// (whatever name leads to it), are refused.
bool WritesStraightInto(const std::string& path, const Options& options) {
    struct stat output {};
    if (::stat(path.c_str(), &output) != 0) return false;
    if (S_ISDIR(output.st_mode)) throw UsageError("-o: \"" + path + "\" is a directory");
    struct stat settings {};
    const std::string settingsPath = options.ini.value_or(std::string(kSettingsFileName));
    if (::stat(settingsPath.c_str(), &settings) == 0 && settings.st_dev == output.st_dev &&
        settings.st_ino == output.st_ino)
        throw UsageError("-o: \"" + path + "\" is the settings file this run reads");
    return path.starts_with("/proc/") || path.starts_with("/dev/fd/") || path == "/dev/stdout" ||
           path == "/dev/stderr" || !S_ISREG(output.st_mode);
}

int Run(const std::vector<std::string>& args, const std::function<void(std::string_view)>& write,
        bool outputIsTerminal) {
    const Options options = Parse(args);
    if (options.help) {
        write(kHelp);
        return kAllComputed;
    }
    if (options.version) {
        write("kestrova-plan " KESTROVA_VERSION "\n");
        return kAllComputed;
    }
    MemoryPanel panel = Parameters(options);
    const Format format = options.format.value_or(outputIsTerminal && !options.output ? Format::Text : Format::Csv);
    const std::unique_ptr<ChannelWriter> writer = MakeWriter(format);
    const auto status = [](bool anyFault) { return anyFault ? kSomeFaulted : kAllComputed; };

    if (!options.output) return status(WriteChannels(options, panel, *writer, write));
    const std::string& path = *options.output;
    if (WritesStraightInto(path, options)) {
        // O_APPEND: a descriptor of the shell's ">>" keeps its end.
        const files::Descriptor fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_NOCTTY | O_CLOEXEC));
        if (fd.Get() < 0) files::Fail(path, "open", errno);
        return status(WriteChannels(options, panel, *writer,
                                    [&fd, &path](std::string_view bytes) { files::WriteAll(fd.Get(), bytes, path); }));
    }
    files::ReplacementFile file(path);
    const TemporaryGuard guard(file.Temporary());
    const bool anyFault =
        WriteChannels(options, panel, *writer, [&file](std::string_view bytes) { file.Write(bytes); });
    file.Commit();
    return status(anyFault);
}

}  // namespace

int RunPlan(const std::vector<std::string>& args, const std::function<void(std::string_view)>& write,
            bool outputIsTerminal, std::string& error) {
    try {
        return Run(args, write, outputIsTerminal);
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
