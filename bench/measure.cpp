// Runs a command with its standard output thrown away (or written to a file)
// and reports its wall time and peak memory: for benchmarks of whole
// programs.
// Usage: measure [--stdout FILE] COMMAND [ARG]...
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string_view>

int main(int argc, char** argv) {
    const char* output = "/dev/null";
    if (argc > 2 && std::string_view(argv[1]) == "--stdout") {
        output = argv[2];
        argv += 2;
        argc -= 2;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: measure [--stdout FILE] COMMAND [ARG]...\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int out = ::open(output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, STDOUT_FILENO);
        ::execvp(argv[1], argv + 1);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.3f s  %.1f MiB peak  exit %d\n", seconds, static_cast<double>(usage.ru_maxrss) / 1024.0,
                WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return 0;
}
