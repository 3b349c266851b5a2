#include "hydraulics/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

namespace lintavo {

using namespace literals;

namespace {

[[noreturn]] void mismatch() {
    throw CalculationFailure(FailureKind::TypeMismatch);
}

// Decodes one UTF-8 sequence at `pos`, advancing it; empty on a malformed sequence.
std::optional<char32_t> nextCodePoint(std::string_view s, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(s[pos++]);
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        return std::nullopt;
    }
    for (int k = 0; k < extra; ++k) {
        if (pos >= s.size()) return std::nullopt;
        const auto c = static_cast<unsigned char>(s[pos++]);
        if ((c & 0xC0) != 0x80) return std::nullopt;
        cp = (cp << 6) | (c & 0x3F);
    }
    return cp;
}

// Unicode's white space, and the byte-order mark an editor may leave at the start of a
// text: a number pasted from a spreadsheet or a terminal brings a line break, a tab or a
// no-break space with it, none of which the user can see in a field.
bool isBlank(char32_t cp) {
    switch (cp) {
        case U' ':
        case U'\t':
        case U'\n':
        case U'\v':
        case U'\f':
        case U'\r':
        case U'\u0085':
        case U'\u00A0':
        case U'\u1680':
        case U'\u2028':
        case U'\u2029':
        case U'\u202F':
        case U'\u205F':
        case U'\u3000':
        case U'\uFEFF':
            return true;
        default:
            return cp >= U'\u2000' && cp <= U'\u200A';
    }
}

// The ASCII character a code point stands for in a number, or 0 when it has no place in
// one. A Chinese input method in full-width mode types U+FF10…U+FF19 for the digits and
// U+3000 for the blank; those count as what they look like. Every blank is a space, which
// is allowed around the number and nowhere inside it.
char asciiTwin(char32_t cp) {
    if (isBlank(cp)) return ' ';
    if (cp >= U'０' && cp <= U'９') return static_cast<char>('0' + (cp - U'０'));
    switch (cp) {
        case U'．':
            return '.';
        case U'＋':
            return '+';
        case U'－':
            return '-';
        case U'ｅ':
            return 'e';
        case U'Ｅ':
            return 'E';
        case U'／':
            return '/';
        case U'：':
            return ':';
        default:
            break;
    }
    if (cp > 0x20 && cp < 0x7F) return static_cast<char>(cp);
    return 0;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The text of a number as plain ASCII, without the blanks around it.
std::string normalise(std::string_view text) {
    std::string ascii;
    ascii.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const auto cp = nextCodePoint(text, pos);
        const char c = cp ? asciiTwin(*cp) : '\0';
        if (c == '\0') mismatch();
        ascii += c;
    }
    const auto first = ascii.find_first_not_of(' ');
    if (first == std::string::npos) mismatch();
    const auto last = ascii.find_last_not_of(' ');
    return ascii.substr(first, last - first + 1);
}

// The decimal exponent of the leading significant digit of a well-formed unsigned number
// with at least one non-zero digit, saturated far beyond the single range:
// "0.0012e5" → 2. Only used to tell a number too large for a single from one too small.
long leadingExponent(std::string_view number) {
    const auto mantissaEnd = number.find_first_of("eE");
    const auto mantissa = number.substr(0, mantissaEnd);
    const auto point = mantissa.find('.');
    const long integerDigits =
        static_cast<long>(point == std::string_view::npos ? mantissa.size() : point);
    const auto firstNonZero = mantissa.find_first_not_of("0.");
    const long digitsBefore = static_cast<long>(firstNonZero) -
                              (point != std::string_view::npos && point < firstNonZero ? 1 : 0);
    long exponent = 0;
    if (mantissaEnd != std::string_view::npos) {
        auto k = mantissaEnd + 1;
        const bool negative = number[k] == '-';
        if (number[k] == '+' || number[k] == '-') ++k;
        for (; k < number.size(); ++k) {
            if (exponent < 1000000) exponent = exponent * 10 + (number[k] - '0');
        }
        if (negative) exponent = -exponent;
    }
    return integerDigits - 1 - digitsBefore + exponent;
}

// sign? (digits ("." digits*)? | "." digits) ([eE] sign? digits)?
bool wellFormed(std::string_view s) {
    std::size_t k = 0;
    auto digits = [&] {
        const auto from = k;
        while (k < s.size() && isDigit(s[k]))
            ++k;
        return k - from;
    };
    if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
    std::size_t mantissaDigits = digits();
    if (k < s.size() && s[k] == '.') {
        ++k;
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0) return false;
    if (k < s.size() && (s[k] == 'e' || s[k] == 'E')) {
        ++k;
        if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
        if (digits() == 0) return false;
    }
    return k == s.size();
}

// The shortest of the significant digits of |x| rounded to `digits` of them, and the
// decimal exponent of the first: 2.7630000000000001 with 15 → {"2763", 0}.
struct Decimal {
    std::string digits;
    int exponent;
};

Decimal roundToDigits(double x, int digits) {
    // to_chars, unlike printf, rounds correctly and never writes the locale's decimal comma.
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(x),
                                   std::chars_format::scientific, digits - 1)
                         .ptr;
    const std::string_view printed(buffer, static_cast<std::size_t>(end - buffer));
    const auto e = printed.find('e');
    std::string mantissa;
    for (char c : printed.substr(0, e)) {
        if (c != '.') mantissa += c;
    }
    mantissa.erase(mantissa.find_last_not_of('0') + 1);
    int exponent = 0;
    std::from_chars(printed.data() + e + 1 + (printed[e + 1] == '+' ? 1 : 0), end, exponent);
    return {mantissa, exponent};
}

// 2763 with exponent 0 → "2.763"; 3 with exponent -5 → "0.00003"; 15 with exponent 2 → "150".
std::string plainDecimal(const Decimal& d) {
    std::string text;
    if (d.exponent < 0) {
        text.append("0.").append(static_cast<std::size_t>(-d.exponent - 1), '0').append(d.digits);
        return text;
    }
    const auto integerDigits = static_cast<std::size_t>(d.exponent) + 1;
    if (d.digits.size() <= integerDigits) {
        text.append(d.digits).append(integerDigits - d.digits.size(), '0');
        return text;
    }
    text.append(d.digits, 0, integerDigits).append(1, '.').append(d.digits, integerDigits);
    return text;
}

// 15 with exponent 20 → "1.5E+20"; 3 with exponent -6 → "3E-06".
std::string exponentForm(const Decimal& d) {
    std::string text(d.digits, 0, 1);
    if (d.digits.size() > 1) text.append(1, '.').append(d.digits, 1);
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "E%c%02d", d.exponent < 0 ? '-' : '+',
                  std::abs(d.exponent));
    text.append(exponent);
    return text;
}

// 10^k as the integer literal that writes it: 1000 is a 16-bit integer, 100000 a 32-bit one.
Value powerOfTen(int k) {
    std::int32_t scale = 1;
    for (int j = 0; j < k; ++j)
        scale *= 10;
    if (scale <= 32767) return Value::integer(static_cast<std::int16_t>(scale));
    return Value::long32(scale);
}

}  // namespace

bool isBlankText(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const auto cp = nextCodePoint(text, pos);
        if (!cp || !isBlank(*cp)) return false;
    }
    return true;
}

namespace {

// The number in `text` in the precision T, by parseInput's rules.
template <typename T>
T parseNumber(std::string_view text) {
    const std::string number = normalise(text);
    if (!wellFormed(number)) mismatch();
    const bool negative = number.front() == '-';
    const std::string_view magnitude = (number.front() == '-' || number.front() == '+')
                                           ? std::string_view(number).substr(1)
                                           : std::string_view(number);
    T value = 0;
    const auto [end, error] =
        std::from_chars(magnitude.data(), magnitude.data() + magnitude.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Beyond the range on one side or the other: too large is an overflow, too small
        // rounds to the nearest number, zero.
        if (leadingExponent(magnitude) >= 0) throw CalculationFailure(FailureKind::Overflow);
        value = 0;
    } else if (error != std::errc() || end != magnitude.data() + magnitude.size()) {
        mismatch();
    }
    return negative ? -value : value;
}

// 1/N from "1/N" or "1:N" in double, or nothing for a text without the bar.
std::optional<double> parseReciprocal(std::string_view text) {
    const std::string number = normalise(text);
    const auto bar = number.find_first_of("/:");
    if (bar == std::string::npos) return std::nullopt;
    if (number.compare(0, bar, "1") != 0) mismatch();
    const std::string_view divisor = std::string_view(number).substr(bar + 1);
    if (!wellFormed(divisor) || divisor.front() == '+' || divisor.front() == '-') mismatch();
    if (divisor.substr(0, divisor.find_first_of("eE")).find_first_not_of("0.") ==
        std::string_view::npos) {
        throw CalculationFailure(FailureKind::DivisionByZero);
    }
    double n = 0.0;
    const auto [end, error] = std::from_chars(divisor.data(), divisor.data() + divisor.size(), n);
    if (error == std::errc::result_out_of_range) {
        // N beyond the double range makes 1/N 0, as "1e-400" is; N below it an overflow.
        if (leadingExponent(divisor) >= 0) return 0.0;
        throw CalculationFailure(FailureKind::Overflow);
    }
    if (error != std::errc() || end != divisor.data() + divisor.size()) mismatch();
    const double slope = 1.0 / n;  // the one division
    if (!(slope <= std::numeric_limits<double>::max()))
        throw CalculationFailure(FailureKind::Overflow);
    return slope;
}

}  // namespace

Value parseInput(std::string_view text) {
    return Value::single(parseNumber<float>(text));
}

double parseInputDouble(std::string_view text) {
    return parseNumber<double>(text);
}

Value parseSlopeInput(std::string_view text) {
    const std::optional<double> slope = parseReciprocal(text);
    if (!slope) return parseInput(text);
    // Only the quotient is rounded to the single the field holds.
    if (*slope > static_cast<double>(std::numeric_limits<float>::max())) {
        throw CalculationFailure(FailureKind::Overflow);
    }
    return Value::single(static_cast<float>(*slope));
}

double parseSlopeInputDouble(std::string_view text) {
    const std::optional<double> slope = parseReciprocal(text);
    return slope ? *slope : parseInputDouble(text);
}

std::optional<std::string> slopeRatioDivisor(std::string_view text) {
    std::string number;
    try {
        number = normalise(text);
    } catch (const CalculationFailure&) {
        return std::nullopt;
    }
    const auto bar = number.find_first_of("/:");
    if (bar != 1 || number.front() != '1') return std::nullopt;
    std::string divisor = number.substr(bar + 1);
    const bool whole = !divisor.empty() && divisor.size() <= 15 && divisor.front() != '0' &&
                       divisor.find_first_not_of("0123456789") == std::string::npos;
    if (!whole) return std::nullopt;
    return divisor;
}

Value floorTruncate(Value x, int k) {
    const Value scale = powerOfTen(k);
    return floor(x * scale) / scale;
}

Value floorTruncateSingle(Value v) {
    // In double, v · 1000 is exact: 24 + 10 significant bits fit in 53.
    const Value thousandfold = Value::dbl(v.number()) * 1000_int;
    return (floor(thousandfold) / 1000_int).toSingle();
}

std::string formatResult(Value x) {
    if (x.kind() == Kind::Integer || x.kind() == Kind::Long) {
        return std::to_string(static_cast<std::int32_t>(x.number()));
    }
    if (x.number() == 0.0) return "0";  // and -0 too
    const Decimal d = roundToDigits(x.number(), x.kind() == Kind::Single ? 7 : 15);
    const std::string magnitude =
        (d.exponent >= -5 && d.exponent < 15) ? plainDecimal(d) : exponentForm(d);
    return x.number() < 0.0 ? "-" + magnitude : magnitude;
}

}  // namespace lintavo
