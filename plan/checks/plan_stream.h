// A plan read piece after piece from a file or standard input, so that
// memory stays small whatever the input: the format recognised from the
// first bytes, then the records of each piece in turn. The next piece is
// read and split while the caller works on the records of this one.
#pragma once

#include <array>
#include <cstddef>
#include <exception>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "files/descriptor.h"
#include "plan/formats/plan_file.h"

namespace kestrova::plan {

class PlanStream {
public:
    static constexpr std::size_t kPiece = std::size_t{1} << 20;

    // path "-" is the input (none reads as empty); ahead: split the next
    // piece on a thread of its own. Raises FileFault, PlanFormatError for
    // what is no plan, and UnusableFileFault (here or later) for a file
    // that changes size while it is read.
    PlanStream(const std::string& path, std::istream* input, std::size_t piece = kPiece, bool ahead = true);
    PlanStream(const PlanStream&) = delete;
    PlanStream& operator=(const PlanStream&) = delete;
    ~PlanStream();

    const PlanReader& Reader() const { return *reader_; }
    // The next records or problems into Records(), valid until the next
    // call: false once the file has none left. Each call gives records and
    // problems afresh; the parameters stay, and at the end the truncation
    // is set.
    // Raises PlanFormatError, for a record longer than any plan has too.
    bool Next();
    const PlanRecords& Records() const { return pieces_[handed_].records; }
    // The line the reading has come to, once Next() is false.
    std::size_t Line() const { return splitter_->Line(); }
    // Bytes read so far, and the file's size (0 where it is not known).
    long long Done() const { return done_; }
    long long Size() const { return size_; }

private:
    struct Piece {
        // What the piece before left, then what was read (never cleared
        // when it is reused).
        std::unique_ptr<char[]> bytes;
        std::size_t capacity = 0, size = 0;
        PlanRecords records;
        bool last = false;     // the file ends in it
        std::size_t left = 0;  // where what the splitter left begins
        std::string_view Text() const { return {bytes.get(), size}; }
    };
    // Room for capacity bytes, keeping those there.
    static void Reserve(Piece& piece, std::size_t capacity);
    // Reads up to a piece more onto piece's bytes; sets atEnd_ at the end.
    void Fill(Piece& piece);
    // Splits piece, on a thread of its own when ahead_.
    void Start(Piece& piece);
    void Split(Piece& piece);
    void Join();

    std::string path_;
    std::istream* input_ = nullptr;
    files::Descriptor file_;
    std::size_t piece_;
    bool ahead_;
    long long size_ = 0, done_ = 0;
    bool regular_ = false, atEnd_ = false, ended_ = false;
    const PlanReader* reader_ = nullptr;
    std::unique_ptr<RecordSplitter> splitter_;
    std::array<Piece, 2> pieces_;
    std::size_t handed_ = 0, splitting_ = 0;
    std::thread job_;
    std::exception_ptr failure_;
};

}  // namespace kestrova::plan
