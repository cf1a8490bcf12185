// Words for each kind of arithmetic fault.
#include "core/calc_fault.h"

namespace kestrova {

const char* FaultWords(FaultKind kind) {
    switch (kind) {
    case FaultKind::DivisionByZero: return "division by zero";
    case FaultKind::InvalidOperation: return "invalid operation";
    case FaultKind::Overflow: return "overflow";
    }
    return "arithmetic fault";
}

}  // namespace kestrova
