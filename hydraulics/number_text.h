#pragma once

// Text to number and number to text: what a field holds and what a result field shows.

#include <optional>
#include <string>
#include <string_view>

#include "hydraulics/value.h"

namespace lintavo {

// The single nearest to the decimal number in `text` (UTF-8), parsed straight to single.
// Accepted: blanks around an optional sign, digits with at most one ".", and an optional
// exponent; full-width digits, point, signs and e count as their ASCII twins. A blank is any
// Unicode white space (line breaks, tabs, the no-break and full-width spaces…) or a
// byte-order mark; blanks inside the number are not allowed ("1 5").
//   parseInput(" 0.025") → 0.0250000004 (single)     parseInput("２．５") → 2.5
//   parseInput("2.5E+2") → 250                       parseInput("1e-50")  → 0
// Throws TypeMismatch for anything else ("", "  ", "1,000", "inf", "0x10", "1.2.3") and
// Overflow for a number beyond the single range ("1e39").
Value parseInput(std::string_view text);

// The same in double, for the calculations whose fields read doubles (the section shapes'):
// the double nearest the decimal typed, an overflow beyond the double range.
//   parseInputDouble("0.025") → 0.025 (the double)   parseInputDouble("1e309") throws Overflow
double parseInputDouble(std::string_view text);

// Whether a field's text holds nothing but the blanks parseInput allows around a number:
//   isBlankText("") → true    isBlankText(" \u3000\n") → true    isBlankText(" 0") → false
bool isBlankText(std::string_view text);

// What a field that holds a slope i reads: what parseInput reads, and also "1/N" and "1:N"
// (full-width ／ and ： too) for the slope 1/N, as engineers write it. N is a positive
// number in parseInput's syntax without a sign; the blanks go around the whole ("1 / 3000"
// is refused, as "1 5" is). N is read as the double nearest the decimal typed, 1/N is one
// double division, and only its quotient is rounded to the single the field holds, so
// "1/3000" is the single nearest 1/3000 — 0.000333333329, not the single nearest the
// decimal 0.000333333 (0.000333333010). Only where 1/N lies within 2^-52 (relative) of a
// halfway point between two singles could that rounding take the farther one.
//   parseSlopeInput("1/3000") → 0.000333333329 (single)   parseSlopeInput("0.001") → 0.001
//   parseSlopeInput(" １：２０００ ") → 0.0005
// Throws DivisionByZero for "1/0", TypeMismatch for "2/3000", "1/-5", "1/", "/3000" and
// Overflow where 1/N is beyond the single range ("1/1e-50").
Value parseSlopeInput(std::string_view text);

// The same in double: "1/3000" is the double 1/3000, one division.
double parseSlopeInputDouble(std::string_view text);

// The N of a slope typed as "1/N" or "1:N" with N a whole number, in ASCII digits without
// leading zeros: slopeRatioDivisor(" １：２０００ ") → "2000". None for anything else ("0.001",
// "1/2.5", "1/0", "2/3000"), so that a spreadsheet can show the slope as the ratio typed.
std::optional<std::string> slopeRatioDivisor(std::string_view text);

// floor(x · 10^k) / 10^k with the literal 1000 (k = 3) or 100000 (k = 5), each step by the
// kinds' own rules:  floorTruncate(2.7630684, 3) → 2.763,  floorTruncate(-0.0004, 3) → -0.001.
Value floorTruncate(Value x, int k);

// The velocity's variant for a single v: v · 1000 is formed exactly, in double, its floor
// divided by 1000 in double, and only that quotient rounded to single. A single just below
// 2.1 keeps its 2.0999999 · 1000 = 2099.9999… and shows 2.099, where a single product would
// have rounded up to 2100.  floorTruncateSingle(0.92102283) → 0.921 (single).
Value floorTruncateSingle(Value v);

// The text written into a result field: up to 15 significant digits for a double, 7 for a
// single, whole numbers as they are. Plain decimals while the rounded value lies from 1e-5
// up to below 1e15 in magnitude, an exponent form outside that range; no trailing zeros,
// no bare point, no thousands separator, and -0 is "0".
//   formatResult(2.0) → "2"     formatResult(0.00003) → "0.00003"    formatResult(-0.25) → "-0.25"
//   formatResult(1.5e20) → "1.5E+20"    formatResult(-3e-6) → "-3E-06"
std::string formatResult(Value x);

}  // namespace lintavo
