// Reading a plan piece after piece.
#include "plan/checks/plan_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "files/file_fault.h"
#include "plan/formats/format_registry.h"

namespace kestrova::plan {
namespace {

// Enough of the start to recognise any format by.
constexpr std::size_t kRecognised = 256;

}  // namespace

PlanStream::PlanStream(const std::string& path, std::istream* input, std::size_t piece, bool ahead)
    : path_(path), piece_(piece), ahead_(ahead) {
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
    // Blanks before the content are passed over, however many there are.
    Piece& first = pieces_[0];
    std::size_t line = 1;
    for (;;) {
        Fill(first);
        std::size_t start = 0;
        while (start < first.size && IsBlank(first.bytes[start]))
            if (first.bytes[start++] == '\n') ++line;
        std::memmove(first.bytes.get(), first.bytes.get() + start, first.size - start);
        first.size -= start;
        if (atEnd_ || first.size >= kRecognised) break;
    }
    reader_ = &ReaderOf(first.Text(), line);
    splitter_ = reader_->Splitter(line);
    Start(pieces_[0]);
}

PlanStream::~PlanStream() {
    if (job_.joinable()) job_.join();
}

void PlanStream::Reserve(Piece& piece, std::size_t capacity) {
    if (piece.capacity >= capacity) return;
    auto more = std::make_unique_for_overwrite<char[]>(capacity);
    if (piece.size > 0) std::memcpy(more.get(), piece.bytes.get(), piece.size);
    piece.bytes = std::move(more);
    piece.capacity = capacity;
}

void PlanStream::Fill(Piece& piece) {
    const std::size_t had = piece.size;
    Reserve(piece, had + piece_);
    char* const buffer = piece.bytes.get();
    std::size_t got = 0;
    if (input_ != nullptr) {
        input_->read(buffer + had, static_cast<std::streamsize>(piece_));
        got = static_cast<std::size_t>(input_->gcount());
        atEnd_ = got < piece_;
    } else if (file_.Get() >= 0) {
        // Read, never mapped: a mapped file that another process truncates
        // would end this one with SIGBUS.
        while (got < piece_) {
            const ssize_t now = ::read(file_.Get(), buffer + had + got, piece_ - got);
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
    piece.size = had + got;
    done_ += static_cast<long long>(got);
    // A regular file that grew or shrank while it was read is no one plan.
    if (regular_ && (done_ > size_ || atEnd_)) {
        struct stat after {};
        if (done_ != size_ || ::fstat(file_.Get(), &after) != 0 || after.st_size != size_)
            throw UnusableFileFault(path_, "changed size while it was read");
    }
}

void PlanStream::Start(Piece& piece) {
    piece.last = atEnd_;
    splitting_ = static_cast<std::size_t>(&piece - pieces_.data());
    const auto split = [this, &piece] {
        try {
            Split(piece);
        } catch (...) {
            failure_ = std::current_exception();
        }
    };
    if (ahead_)
        job_ = std::thread(split);
    else
        split();
}

void PlanStream::Split(Piece& piece) {
    const auto tooLong = [](std::size_t line) {
        FailAtLine(line, "more than " + std::to_string(kLongestRecord / 1024) +
                             " KiB with no end of a channel's record: not a plan");
    };
    piece.left = splitter_->Split(piece.Text(), piece.last, piece.records);
    if (!piece.last && piece.records.records.empty() && piece.size - piece.left >= kLongestRecord)
        tooLong(splitter_->Line());
    // However it fell into pieces.
    const PlanRecords& records = piece.records;
    for (std::size_t i = 0; i < records.records.size(); ++i)
        if (records.records[i].size() > kLongestRecord) tooLong(records.lines[i]);
}

void PlanStream::Join() {
    if (job_.joinable()) job_.join();
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

bool PlanStream::Next() {
    for (;;) {
        if (ended_) {
            PlanRecords& end = pieces_[handed_].records;
            end.records.clear();
            end.lines.clear();
            end.otherProblems.clear();
            return false;
        }
        Join();
        handed_ = splitting_;
        Piece& got = pieces_[handed_];
        if (got.last) {
            ended_ = true;
        } else {
            // What this piece left begins the next, which is split while
            // the caller works on this one's records.
            Piece& next = pieces_[1 - handed_];
            next.size = 0;
            Reserve(next, got.size - got.left + piece_);
            if (got.size > got.left)
                std::memcpy(next.bytes.get(), got.bytes.get() + got.left, got.size - got.left);
            next.size = got.size - got.left;
            Fill(next);
            next.records.Continue(got.records);
            Start(next);
        }
        if (!got.records.records.empty() || !got.records.otherProblems.empty()) return true;
        if (ended_) return false;
    }
}

}  // namespace kestrova::plan
