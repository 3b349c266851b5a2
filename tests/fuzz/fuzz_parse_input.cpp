// parseInput on any bytes: a single or a failure of the two conversion kinds, never
// anything else; and on plain ASCII the same single as the C library's conversion.

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>

#include "tests/fuzz/written_text.h"

using namespace lintavo;

namespace {

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\n\v\f\r");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\n\v\f\r") - first + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool cLocale = std::setlocale(LC_ALL, "C") != nullptr;
    (void)cLocale;
    const std::string text(reinterpret_cast<const char*>(data), size);
    static const std::regex decimal(R"([+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?)");
    const std::string ascii = trimmed(text);
    const bool plainDecimal =
        text.find_first_not_of("0123456789+-.eE \t\n\v\f\r") == std::string::npos &&
        std::regex_match(ascii, decimal);
    try {
        const Value v = parseInput(text);
        if (v.kind() != Kind::Single || !std::isfinite(v.number()))
            fuzz::broken("not a finite single", text);
        if (plainDecimal) {
            const float reference = std::strtof(ascii.c_str(), nullptr);
            const auto got = static_cast<float>(v.number());
            if (std::memcmp(&reference, &got, sizeof got) != 0)
                fuzz::broken("differs from strtof", text);
        }
    } catch (const CalculationFailure& f) {
        if (f.kind() == FailureKind::Overflow) {
            if (!plainDecimal &&
                text.find_first_not_of("0123456789+-.eE \t\n\v\f\r") == std::string::npos) {
                fuzz::broken("overflow for a text that is no number", text);
            }
        } else if (f.kind() != FailureKind::TypeMismatch) {
            fuzz::broken("a kind that conversion never gives", text);
        } else if (plainDecimal) {
            fuzz::broken("a decimal number taken for text", text);
        }
    }
    return 0;
}
