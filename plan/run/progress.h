// One line of progress on a terminal for work that runs longer than about a
// second: done of the total, the rate and the time left, redrawn a few
// times a second and erased at the end. Nothing at all where there is no
// terminal to show it on.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace kestrova::plan {

class Progress {
public:
    using Clock = std::chrono::steady_clock;

    // show: where the line goes (standard error on a terminal), or empty
    // for no progress at all. A total of 0 is not known in advance.
    Progress(std::function<void(std::string_view)> show, long long total, std::string_view unit,
             Clock::time_point start = Clock::now());
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    ~Progress() { Finish(); }

    // done so far, at now.
    void Advance(long long done, Clock::time_point now = Clock::now());
    // Erases the line, if one was shown: at the end, and before any other
    // output goes to the terminal (the next Advance draws it again).
    void Finish();

private:
    std::function<void(std::string_view)> show_;
    long long total_;
    std::string unit_;
    Clock::time_point start_;
    Clock::time_point shown_{};
    bool visible_ = false;
};

// "1.25M of 10M channels, 4.1M/s, 2 s left".
std::string ProgressLine(long long done, long long total, std::string_view unit, double seconds);

}  // namespace kestrova::plan
