#include "calculators/numbers.h"

#include <charconv>

namespace lintavo {

namespace {

std::string general(double x, int digits) {
    char buffer[48];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, digits);
    return {buffer, end.ptr};
}

}  // namespace

std::string recordNumber(double x) {
    return general(x, 9);
}

std::string readableNumber(double x) {
    return general(x, 6);
}

std::string fixedNumber(double x, int decimals) {
    char buffer[360];  // room for the largest double written out in full
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, decimals);
    return {buffer, end.ptr};
}

}  // namespace lintavo
