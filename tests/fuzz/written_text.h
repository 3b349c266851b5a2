#pragma once

// What every written result text must be, checked by the fuzz targets: a number exactly as
// formatResult writes it, which reads back as the same text, and never an exponent form
// that the three- or five-decimal cut makes impossible.

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>

#include "hydraulics/number_text.h"

namespace lintavo::fuzz {

[[noreturn]] inline void broken(const char* what, const std::string& text) {
    std::fprintf(stderr, "invariant broken: %s: \"%s\"\n", what, text.c_str());
    std::abort();
}

// `single`: the text of a single (the velocity), read back as the nearest single.
inline void checkNumberText(const std::string& text, bool single) {
    static const std::regex plain(R"(-?(0|[1-9][0-9]*)(\.[0-9]*[1-9])?)");
    static const std::regex exponent(R"(-?[1-9](\.[0-9]*[1-9])?E\+[0-9]{2,3})");
    if (!std::regex_match(text, plain) && !std::regex_match(text, exponent))
        broken("not a number text", text);
    if (text == "-0") broken("negative zero", text);
    // A cut to 0.001 or 0.00001 leaves nothing between 0 and 1e-5 in magnitude.
    if (text.find("E-") != std::string::npos) broken("exponent form below the cut", text);
    const Value back = single ? Value::single(std::strtof(text.c_str(), nullptr))
                              : Value::dbl(std::strtod(text.c_str(), nullptr));
    if (formatResult(back) != text) broken("does not read back as itself", text);
}

// A field of the section window: numbers joined by 或, or 无解.
inline void checkCandidatesText(const std::string& text) {
    if (text == "无解") return;
    const std::string joiner = "或";
    std::size_t from = 0;
    int count = 0;
    for (;;) {
        const auto at = text.find(joiner, from);
        const std::string part =
            text.substr(from, at == std::string::npos ? std::string::npos : at - from);
        checkNumberText(part, false);
        if (part[0] == '-') broken("a candidate that is not positive", text);
        ++count;
        if (at == std::string::npos) break;
        from = at + joiner.size();
    }
    if (count > 2) broken("more than two candidates", text);
}

}  // namespace lintavo::fuzz
