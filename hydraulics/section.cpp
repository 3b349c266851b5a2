#include "hydraulics/section.h"

namespace lintavo {

using namespace literals;

Value flowArea(Value b, Value m, Value h) {
    return (b + m * h) * h;
}

Value wettedPerimeter(Value b, Value m, Value h) {
    const Value wallPerDepth = sqrt(1_int + pow(m, 2_int));
    return b + (2_int * h) * wallPerDepth;
}

Value hydraulicRadius(Value A, Value P) {
    return A / P;
}

Value chezyCoefficient(Value R, Value n) {
    const Value sixth = 1_int / 6_int;
    const Value reciprocal = 1_int / n;
    return reciprocal * pow(R, sixth);
}

}  // namespace lintavo
