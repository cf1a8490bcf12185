// Start-up and close of whole programs under an X server: the time from
// starting the process until its window is mapped, from the close request
// (WM_DELETE_WINDOW) until the process has ended, and its peak memory.
// Usage: startup_bench [--runs N] PROGRAM...   (the first is compared with the others)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/x_client.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Sample {
    double startMs = 0;
    double closeMs = 0;
    long peakKiB = 0;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool RunOnce(kestrova::testing_support::XClient& x, const std::string& program,
             const std::filesystem::path& dir, Sample& sample) {
    std::ofstream(dir / "Kestrova.INI", std::ios::binary)
        << "900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n900.2\r\n";
    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(dir.c_str()) != 0) ::_exit(126);
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const auto window = x.WaitForMappedWindow(20000);
    const auto mapped = Clock::now();
    if (!window) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        return false;
    }
    x.RequestClose(*window);
    const auto closing = Clock::now();
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const auto ended = Clock::now();
    sample.startMs = std::chrono::duration<double, std::milli>(mapped - start).count();
    sample.closeMs = std::chrono::duration<double, std::milli>(ended - closing).count();
    sample.peakKiB = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 20;
    std::vector<std::string> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else
            programs.push_back(std::filesystem::absolute(arg).string());
    }
    if (programs.empty() || runs < 1) {
        std::fprintf(stderr, "usage: startup_bench [--runs N] PROGRAM...\n");
        return 2;
    }
    try {
        kestrova::testing_support::XClient x;
        const auto dir =
            std::filesystem::temp_directory_path() / ("kestrova-startup-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        std::vector<std::vector<Sample>> samples(programs.size());
        // Interleaved, so that a slow moment of the machine hits every program alike.
        for (int r = 0; r < runs + 1; ++r) {
            for (std::size_t p = 0; p < programs.size(); ++p) {
                Sample s;
                if (!RunOnce(x, programs[p], dir, s)) {
                    std::fprintf(stderr, "startup_bench: %s did not start and close cleanly\n",
                                 programs[p].c_str());
                    return 1;
                }
                if (r > 0) samples[p].push_back(s);  // the first round warms the caches
            }
        }
        std::filesystem::remove_all(dir);

        std::printf("%-40s %12s %12s %12s\n", "program", "start (ms)", "close (ms)", "peak (MiB)");
        std::vector<double> start(programs.size()), peak(programs.size());
        for (std::size_t p = 0; p < programs.size(); ++p) {
            std::vector<double> starts, closes, peaks;
            for (const Sample& s : samples[p]) {
                starts.push_back(s.startMs);
                closes.push_back(s.closeMs);
                peaks.push_back(static_cast<double>(s.peakKiB) / 1024.0);
            }
            start[p] = Median(starts);
            peak[p] = *std::max_element(peaks.begin(), peaks.end());
            std::printf("%-40s %12.1f %12.1f %12.1f\n", std::filesystem::path(programs[p]).filename().c_str(),
                        start[p], Median(closes), peak[p]);
        }
        for (std::size_t p = 1; p < programs.size(); ++p)
            std::printf("%s / %s: start %.2f x, peak memory %+.1f MiB (medians of %d runs)\n",
                        std::filesystem::path(programs[0]).filename().c_str(),
                        std::filesystem::path(programs[p]).filename().c_str(), start[0] / start[p],
                        peak[0] - peak[p], runs);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "startup_bench: %s\n", failure.what());
        return 1;
    }
    return 0;
}
