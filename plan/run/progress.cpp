// The progress line.
#include "plan/run/progress.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace kestrova::plan {
namespace {

constexpr auto kQuiet = std::chrono::seconds(1);          // nothing before this
constexpr auto kRedraw = std::chrono::milliseconds(250);  // at most this often

// Three significant digits and a unit prefix, whatever the locale.
std::string Count(double count) {
    const char* prefix = "";
    if (count >= 1e9)
        count /= 1e9, prefix = "G";
    else if (count >= 1e6)
        count /= 1e6, prefix = "M";
    else if (count >= 1e4)
        count /= 1e3, prefix = "k";
    else
        return std::to_string(std::llround(count));
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, count, std::chars_format::general, 3).ptr;
    return std::string(text, end) + prefix;
}

}  // namespace

std::string ProgressLine(long long done, long long total, std::string_view unit, double seconds) {
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
    std::string line = Count(static_cast<double>(done));
    if (total > 0) line += " of " + Count(static_cast<double>(total));
    line += " ";
    line += unit;
    line += ", " + Count(rate) + "/s";
    if (total > 0 && rate > 0)
        line += ", " +
                std::to_string(static_cast<long long>(std::ceil(static_cast<double>(total - done) / rate))) +
                " s left";
    return line;
}

Progress::Progress(std::function<void(std::string_view)> show, long long total, std::string_view unit,
                   Clock::time_point start)
    : show_(std::move(show)), total_(total), unit_(unit), start_(start) {}

void Progress::Advance(long long done, Clock::time_point now) {
    if (!show_ || now - start_ < kQuiet || (visible_ && now - shown_ < kRedraw)) return;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    // Back to the start of the line, the new text, the rest of the old erased.
    std::string line = "\r";
    line += ProgressLine(done, total_, unit_, seconds);
    line += "\x1b[K";
    show_(line);
    shown_ = now;
    visible_ = true;
}

void Progress::Finish() {
    if (!visible_) return;
    show_("\r\x1b[K");
    visible_ = false;
}

}  // namespace kestrova::plan
