// Words for each kind of arithmetic fault.
#include "core/calc_fault.h"

#include <utility>

namespace kestrova {

const char* FaultWords(FaultKind kind) {
    switch (kind) {
        case FaultKind::DivisionByZero:
            return "division by zero";
        case FaultKind::InvalidOperation:
            return "invalid operation";
        case FaultKind::Overflow:
            return "overflow";
    }
    return "arithmetic fault";
}

CalcFault::CalcFault(FaultKind kind, std::string stopped, std::string inputs)
    : std::runtime_error(inputs.empty() ? stopped : stopped + "\n" + inputs),
      kind_(kind),
      stopped_(std::move(stopped)),
      inputs_(std::move(inputs)) {}

std::string CalcFault::OneLine() const {
    if (stopped_.empty()) return what();
    return inputs_.empty() ? stopped_ : stopped_ + " " + inputs_;
}

}  // namespace kestrova
