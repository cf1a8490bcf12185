// Turning raised IEEE flags into a CalcFault.
#include "core/fault_check.h"

namespace kestrova::detail {

void RaiseFault(int flags) {
    if ((flags & FE_INVALID) != 0) throw CalcFault(FaultKind::InvalidOperation);
    if ((flags & FE_DIVBYZERO) != 0) throw CalcFault(FaultKind::DivisionByZero);
    throw CalcFault(FaultKind::Overflow);
}

}  // namespace kestrova::detail
