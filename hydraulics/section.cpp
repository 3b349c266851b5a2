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

Value manningDischarge(Value b, Value m, Value h, Value i, Value n) {
    // 1/6 + 1/2 in double is the double nearest 2/3.
    const Value exponent = 1_int / 6_int + 1_int / 2_int;
    const Value rootOfSlope = sqrt(i);
    const Value areaOverN = flowArea(b, m, h) / n;
    const Value A = flowArea(b, m, h);
    const Value P = wettedPerimeter(b, m, h);
    const Value R = hydraulicRadius(A, P);
    return (areaOverN * pow(R, exponent)) * rootOfSlope;
}

}  // namespace lintavo
