#include "hydraulics/failure.h"

namespace lintavo {

StaticText failureKindName(FailureKind kind) {
    switch (kind) {
        case FailureKind::TypeMismatch:
            return "type-mismatch";
        case FailureKind::Overflow:
            return "overflow";
        case FailureKind::DivisionByZero:
            return "division-by-zero";
        case FailureKind::InvalidArgument:
            return "invalid-argument";
        case FailureKind::NoSolution:
            return "no-solution";
    }
    return "unknown";
}

const char* CalculationFailure::what() const noexcept {
    return failureKindName(kind_).data();
}

}  // namespace lintavo
