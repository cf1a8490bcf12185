// Reading a plan piece after piece.
#include "plan/checks/plan_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "files/file_fault.h"
#include "plan/formats/format_registry.h"

namespace kestrova::plan {
namespace {

// Enough of the start to recognise any format by.
constexpr std::size_t kRecognised = 256;

bool IsBlank(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

}  // namespace

PlanStream::PlanStream(const std::string& path, std::istream* input, std::size_t piece)
    : path_(path), piece_(piece) {
    if (path == "-") {
        input_ = input;
    } else {
        file_.Reset(::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC));
        if (file_.Get() < 0) files::Fail(path, "open", errno);
        struct stat info {};
        if (::fstat(file_.Get(), &info) != 0) files::Fail(path, "read", errno);
        if (S_ISDIR(info.st_mode)) files::Fail(path, "read", EISDIR);
        regular_ = S_ISREG(info.st_mode);
        if (regular_) size_ = static_cast<long long>(info.st_size);
    }
    buffer_.reserve(piece_ + kLongestRecord);
    // Blanks before the content are passed over, however many there are.
    std::size_t line = 1;
    for (;;) {
        Fill();
        std::size_t start = 0;
        while (start < buffer_.size() && IsBlank(buffer_[start]))
            if (buffer_[start++] == '\n') ++line;
        buffer_.erase(0, start);
        if (atEnd_ || buffer_.size() >= kRecognised) break;
    }
    reader_ = &ReaderOf(buffer_, line);
    splitter_ = reader_->Splitter(line);
}

void PlanStream::Fill() {
    const std::size_t had = buffer_.size();
    buffer_.resize(had + piece_);
    std::size_t got = 0;
    if (input_ != nullptr) {
        input_->read(buffer_.data() + had, static_cast<std::streamsize>(piece_));
        got = static_cast<std::size_t>(input_->gcount());
        atEnd_ = got < piece_;
    } else if (file_.Get() >= 0) {
        // Read, never mapped: a mapped file that another process truncates
        // would end this one with SIGBUS.
        while (got < piece_) {
            const ssize_t now = ::read(file_.Get(), buffer_.data() + had + got, piece_ - got);
            if (now < 0 && errno == EINTR) continue;
            if (now < 0) files::Fail(path_, "read", errno);
            if (now == 0) {
                atEnd_ = true;
                break;
            }
            got += static_cast<std::size_t>(now);
        }
    } else {
        atEnd_ = true;  // no input at all
    }
    buffer_.resize(had + got);
    done_ += static_cast<long long>(got);
    // A regular file that grew or shrank while it was read is no one plan.
    if (regular_ && (done_ > size_ || atEnd_)) {
        struct stat after {};
        if (done_ != size_ || ::fstat(file_.Get(), &after) != 0 || after.st_size != size_)
            throw UnusableFileFault(path_, "changed size while it was read");
    }
}

bool PlanStream::Next() {
    records_.records.clear();
    records_.lines.clear();
    records_.otherProblems.clear();
    while (!ended_) {
        taken_ += splitter_->Split(std::string_view(buffer_).substr(taken_), atEnd_, records_);
        if (atEnd_) ended_ = true;
        if (!records_.records.empty()) return true;
        if (ended_) break;
        if (buffer_.size() - taken_ >= kLongestRecord)
            FailAtLine(splitter_->Line(), "more than " + std::to_string(kLongestRecord / 1024) +
                                              " KiB with no end of a channel's record: not a plan");
        buffer_.erase(0, taken_);
        taken_ = 0;
        Fill();
    }
    return false;
}

}  // namespace kestrova::plan
