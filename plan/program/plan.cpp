// kestrova-plan's run: the options and the parameters, then a plan, a
// decode or a verify.
#include "plan/program/plan.h"

#include <algorithm>
#include <exception>
#include <new>
#include <thread>

#include "files/file_fault.h"
#include "plan/checks/check_runs.h"
#include "plan/command_line/options.h"
#include "plan/run/parameters.h"
#include "plan/run/planning.h"

namespace kestrova::plan {
namespace {

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
    if (options.mode == Mode::Decode) return RunDecode(options, parameters, threads, io, error);
    if (options.mode == Mode::Verify) return RunVerify(options, parameters, threads, io, error);

    return RunPlanning(options, parameters, threads, io);
}

}  // namespace

int RunPlan(const std::vector<std::string>& args, const std::function<void(std::string_view)>& write,
            bool outputIsTerminal, std::string& error) {
    return RunPlan(args, PlanIo{write, outputIsTerminal, nullptr, {}, {}}, error);
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
