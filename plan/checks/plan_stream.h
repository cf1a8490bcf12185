// A plan read piece after piece from a file or standard input, so that
// memory stays small whatever the input: the format recognised from the
// first bytes, then the records of each piece in turn.
#pragma once

#include <cstddef>
#include <istream>
#include <memory>
#include <string>

#include "files/descriptor.h"
#include "plan/readers/plan_file.h"

namespace kestrova::plan {

class PlanStream {
public:
    static constexpr std::size_t kPiece = std::size_t{4} << 20;

    // path "-" is the input (none reads as empty). Raises FileFault,
    // PlanFormatError for what is no plan, and UnusableFileFault (here or
    // later) for a file that changes size while it is read.
    PlanStream(const std::string& path, std::istream* input, std::size_t piece = kPiece);
    PlanStream(const PlanStream&) = delete;
    PlanStream& operator=(const PlanStream&) = delete;

    const PlanReader& Reader() const { return *reader_; }
    // The next records into Records(), views valid until the next call:
    // false once the file has none left. Each call starts Records()'s
    // records and problems afresh; the parameters stay, and at the end the
    // truncation is set. Raises PlanFormatError, for a record longer than
    // any plan has too.
    bool Next();
    const PlanRecords& Records() const { return records_; }
    // The line the reading has come to.
    std::size_t Line() const { return splitter_->Line(); }
    // Bytes read so far, and the file's size (0 where it is not known).
    long long Done() const { return done_; }
    long long Size() const { return size_; }

private:
    // Reads up to a piece more onto the buffer; sets atEnd_ at the end.
    void Fill();

    std::string path_;
    std::istream* input_ = nullptr;
    files::Descriptor file_;
    std::size_t piece_;
    long long size_ = 0, done_ = 0;
    bool regular_ = false, atEnd_ = false, ended_ = false;
    std::string buffer_;
    std::size_t taken_ = 0;  // of buffer_, by the splitter
    const PlanReader* reader_ = nullptr;
    std::unique_ptr<RecordSplitter> splitter_;
    PlanRecords records_;
};

}  // namespace kestrova::plan
