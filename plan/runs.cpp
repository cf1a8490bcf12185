// Decoding register sets and verifying plan files, from the command line.
#include "plan/runs.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <iterator>
#include <stdexcept>

#include "files/descriptor.h"
#include "plan/decode.h"
#include "plan/plan_reader.h"
#include "plan/progress.h"
#include "plan/verify.h"

namespace kestrova::plan {
namespace {

// A whole file, or the whole of standard input for "-": a regular file
// mapped as it stands, anything else read into memory.
class WholeFile {
public:
    WholeFile(const std::string& path, std::istream* input) {
        if (path == "-") {
            if (input != nullptr) copy_.assign(std::istreambuf_iterator<char>(*input), {});
            content_ = copy_;
            return;
        }
        const files::Descriptor file(::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC));
        if (file.Get() < 0) files::Fail(path, "open", errno);
        struct stat info {};
        if (::fstat(file.Get(), &info) != 0) files::Fail(path, "read", errno);
        if (S_ISDIR(info.st_mode)) files::Fail(path, "read", EISDIR);
        if (S_ISREG(info.st_mode) && info.st_size > 0) {
            void* mapped = ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE,
                                  file.Get(), 0);
            if (mapped != MAP_FAILED) {
                mapped_ = mapped;
                content_ = {static_cast<const char*>(mapped), static_cast<std::size_t>(info.st_size)};
                return;
            }
        }
        char buffer[1 << 16];
        for (;;) {
            const ssize_t got = ::read(file.Get(), buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) files::Fail(path, "read", errno);
            if (got == 0) break;
            copy_.append(buffer, static_cast<std::size_t>(got));
        }
        content_ = copy_;
    }
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;
    ~WholeFile() {
        if (mapped_ != nullptr) ::munmap(mapped_, content_.size());
    }
    std::string_view Content() const { return content_; }

private:
    std::string copy_;
    void* mapped_ = nullptr;
    std::string_view content_;
};

std::string Counted(long long count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

int RunDecode(const Options& options, const MemoryPanel& parameters, const PlanIo& io, std::string& error) {
    const Decoder decoder(parameters);
    const std::unique_ptr<SetWriter> writer =
        MakeSetWriter(options.format.value_or(io.outputIsTerminal ? Format::Text : Format::Csv));
    Progress progress(io.progress, static_cast<long long>(options.frequencies.size()), "sets");
    std::string out;
    writer->Begin(out);
    long long sets = 0, problems = 0;
    const auto take = [&](const std::string& text, const std::string& where, bool fromArgument) {
        std::optional<RegisterSet> set;
        try {
            set = ReadRegisterSet(text);
        } catch (const std::invalid_argument& wrong) {
            throw UsageError(where + ": " + wrong.what());
        }
        if (!set) {
            if (fromArgument) throw UsageError(where + ": no register set");
            return;
        }
        const DecodedSet decoded = decoder.Decode(*set);
        writer->Row(decoded, sets == 0, out);
        ++sets;
        problems += decoded.problems.empty() ? 0 : 1;
        if (out.size() > (1 << 16)) {
            io.write(out);
            out.clear();
        }
        progress.Advance(sets);
    };
    for (std::size_t i = 0; i < options.frequencies.size(); ++i)
        take(options.frequencies[i], "set \"" + options.frequencies[i] + "\"", true);
    if (options.frequencies.empty() && io.input != nullptr) {
        std::size_t number = 0;
        for (std::string line; std::getline(*io.input, line);)
            take(line, "line " + std::to_string(++number), false);
    }
    progress.Finish();
    writer->End(sets > 0, out);
    io.write(out);
    if (problems == 0) return kAllComputed;
    error = std::to_string(problems) + " of " + Counted(sets, "set", "sets") +
            (problems == 1 ? " disagrees" : " disagree") + " with the calculation";
    return kSomeFaulted;
}

int RunVerify(const Options& options, const MemoryPanel& parameters, unsigned threads, const PlanIo& io,
              std::string& error) {
    const std::string name = options.verified == "-" ? "standard input" : "\"" + options.verified + "\"";
    const WholeFile file(options.verified, io.input);
    std::optional<PlanFile> plan;
    try {
        plan.emplace(file.Content());
    } catch (const PlanFormatError& wrong) {
        throw PlanFormatError(name + " " + wrong.what());
    }
    Progress progress(io.progress, static_cast<long long>(plan->Count()), "channels");
    VerifyResult result;
    try {
        result = VerifyPlan(*plan, parameters, threads, io.write, progress);
    } catch (const PlanFormatError& wrong) {
        throw PlanFormatError(name + " " + wrong.what());
    }
    if (result.parametersDiffer) {
        error = "the plan was made with other parameters than those in use; no channel was checked";
        return kSomeFaulted;
    }
    if (result.differing == 0) {
        io.write("all " + Counted(result.channels, "channel agrees", "channels agree") +
                 " with the calculation\n");
        return kAllComputed;
    }
    error = std::to_string(result.differing) + " of " + Counted(result.channels, "channel", "channels") +
            (result.differing == 1 ? " differs" : " differ") + " from the calculation";
    return kSomeFaulted;
}

}  // namespace kestrova::plan
