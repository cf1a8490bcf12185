// Reading back a plan that kestrova-plan wrote, as CSV, JSON or a C header
// (recognised from its content), possibly edited by hand since.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/calc_panel.h"

namespace kestrova::plan {

// A file that is no plan, or a row of it that cannot be read: what() names
// the line.
struct PlanFormatError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Raises PlanFormatError "line N: what".
[[noreturn]] void FailAtLine(std::size_t line, const std::string& what);

// One channel as the file holds it.
struct PlanRow {
    std::string wanted;
    std::optional<std::string> fault;      // a faulted row: the fault's words
    std::string achieved;                  // the rest only when there is no fault
    std::array<std::string, 5> registers;  // Rt St Pt Ct Gt
};

// What reading rows needs from one row to the next, kept by the reader's
// thread so that its memory is kept too.
struct RowScratch {
    std::vector<std::string_view> fields;
    std::vector<std::string> unquoted;
};

class PlanFile {
public:
    enum class Kind { Csv, Json, CHeader };

    // Splits the content into its channels' records; raises PlanFormatError.
    explicit PlanFile(std::string_view content);

    Kind FileKind() const { return kind_; }
    // The parameters the file records (a C header's opening comment), as text.
    const std::vector<std::pair<Field, std::string>>& Parameters() const { return parameters_; }
    std::size_t Count() const { return records_.size(); }
    // Channel i, read from its record; raises PlanFormatError.
    void Row(std::size_t i, RowScratch& scratch, PlanRow& row) const;
    std::size_t Line(std::size_t i) const { return lines_[i]; }

private:
    Kind kind_ = Kind::Csv;
    std::vector<std::pair<Field, std::string>> parameters_;
    std::vector<std::string_view> records_;
    std::vector<std::size_t> lines_;
    std::array<int, 9> columns_{};  // CSV: where wanted, achieved, fault, Rt ... Gt stand
    std::size_t fieldCount_ = 0;
};

}  // namespace kestrova::plan
