// Text to number and back: parseInput, floorTruncate, floorTruncateSingle, formatResult.
// Where an independent implementation exists (the C library's strtof and printf), the
// expected values come from it rather than from a copy of the code's own output.

#include <QTest>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "hydraulics/number_text.h"
#include "tests/unit/failure_check.h"

using namespace lintavo;

Q_DECLARE_METATYPE(lintavo::Kind)
Q_DECLARE_METATYPE(std::string)

namespace {

std::uint32_t bitsOf(float f) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// The C library's conversion, correctly rounded, in the C locale.
float referenceSingle(const std::string& text) {
    return std::strtof(text.c_str(), nullptr);
}

}  // namespace

class NumberTextTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() { std::setlocale(LC_ALL, "C"); }

    void parsesNumbers_data() {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<float>("expected");

        QTest::newRow("0.025 enters as single") << std::string("0.025") << 0.025F;
        QTest::newRow("blank before") << std::string(" 2") << 2.0F;
        QTest::newRow("blank after, the discharge window's initial text kept")
            << std::string("2 ") << 2.0F;
        QTest::newRow("tabs and blanks") << std::string("\t 1.5  ") << 1.5F;
        QTest::newRow("full-width blank around") << std::string("\u30001.5\u3000") << 1.5F;
        // Pasted from a spreadsheet or a terminal, or typed with an input method.
        QTest::newRow("line feed after") << std::string("2.5\n") << 2.5F;
        QTest::newRow("CR LF after") << std::string("2.5\r\n") << 2.5F;
        QTest::newRow("line breaks before") << std::string("\n\r\n-2.5") << -2.5F;
        QTest::newRow("vertical tab and form feed") << std::string("\v3\f") << 3.0F;
        QTest::newRow("next line U+0085") << std::string("\u00853\u0085") << 3.0F;
        QTest::newRow("line and paragraph separators") << std::string("\u20283\u2029") << 3.0F;
        QTest::newRow("no-break space") << std::string("\u00A00.5\u00A0") << 0.5F;
        QTest::newRow("ogham space mark") << std::string("\u16800.5") << 0.5F;
        QTest::newRow("en quad U+2000") << std::string("\u20000.5") << 0.5F;
        QTest::newRow("hair space U+200A") << std::string("0.5\u200A") << 0.5F;
        QTest::newRow("narrow no-break space") << std::string("\u202F1e2") << 100.0F;
        QTest::newRow("medium mathematical space") << std::string("1e2\u205F") << 100.0F;
        QTest::newRow("byte-order mark at the start") << std::string("\uFEFF7") << 7.0F;
        QTest::newRow("mixed blanks both sides")
            << std::string("\t\u3000\u00A0 ４\r\n\u2003") << 4.0F;
        QTest::newRow("leading plus") << std::string("+3") << 3.0F;
        QTest::newRow("leading minus") << std::string("-0.025") << -0.025F;
        QTest::newRow("no digit before the point") << std::string(".5") << 0.5F;
        QTest::newRow("no digit after the point") << std::string("5.") << 5.0F;
        QTest::newRow("exponent") << std::string("1e-3") << 1e-3F;
        QTest::newRow("exponent with sign and capital E") << std::string("2.5E+2") << 250.0F;
        QTest::newRow("full-width digits and point") << std::string("１．５") << 1.5F;
        QTest::newRow("full-width minus and e") << std::string("－２ｅ３") << -2000.0F;
        QTest::newRow("full-width plus and E") << std::string("＋1Ｅ1") << 10.0F;
        QTest::newRow("largest single") << std::string("3.4028234e38") << 3.4028234e38F;
        QTest::newRow("below the single range rounds to 0") << std::string("1e-50") << 0.0F;
        QTest::newRow("a subnormal single") << std::string("1e-40") << 1e-40F;
        QTest::newRow("many digits round once")
            << std::string("0.1000000014901161193847656") << 0.1F;
        // 16777217 lies halfway between two singles; the tie goes to the even one.
        QTest::newRow("halfway rounds to even") << std::string("16777217") << 16777216.0F;
        // Just above the halfway point 1 + 2^-24, so it rounds up. Read as a double first it
        // would become exactly 1 + 2^-24 and then tie down to 1: the double-rounding trap.
        QTest::newRow("just above halfway rounds up")
            << std::string("1.00000005960464477550") << 1.00000011920928955F;
        QTest::newRow("zero") << std::string("0") << 0.0F;
    }

    void parsesNumbers() {
        QFETCH(std::string, text);
        QFETCH(float, expected);
        const Value v = parseInput(text);
        QCOMPARE(v.kind(), Kind::Single);
        QCOMPARE(bitsOf(static_cast<float>(v.number())), bitsOf(expected));
    }

    // The slope fields' "1/N": expected values are the single nearest the exact 1/N, from
    // python3's fractions (float32 of Fraction(1, N)), and the failures as the header says.
    void parsesSlopes_data() {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<float>("expected");  // NaN: the failure below
        QTest::addColumn<FailureKind>("failure");

        const auto none = FailureKind::TypeMismatch;  // unused where expected is a number
        const float failed = std::numeric_limits<float>::quiet_NaN();
        const float third = 0x1.5d867cp-12F;  // nearest 1/3000; the decimal 0.000333333 is
                                              // 0x1.5d8666p-12F
        QTest::newRow("1/3000") << std::string("1/3000") << third << none;
        QTest::newRow("1:3000") << std::string("1:3000") << third << none;
        QTest::newRow("blanks around") << std::string(" 1/3000 ") << third << none;
        QTest::newRow("full-width blank and digits")
            << std::string("　１／３０００　") << third << none;
        QTest::newRow("full-width colon") << std::string("1：3000") << third << none;
        QTest::newRow("N with an exponent") << std::string("1/3e3") << third << none;
        QTest::newRow("N with a point") << std::string("1:2500.0") << 0x1.a36e2ep-12F << none;
        QTest::newRow("N below 1 is a slope above 1") << std::string("1/0.5") << 2.0F << none;
        QTest::newRow("plain decimal still read") << std::string("0.0005") << 0.0005F << none;
        QTest::newRow("1/N beyond the single range")
            << std::string("1/1e-50") << failed << FailureKind::Overflow;
        QTest::newRow("1/N below every single") << std::string("1/1e50") << 0.0F << none;
        QTest::newRow("N beyond the double range") << std::string("1/1e400") << 0.0F << none;
        QTest::newRow("1/0") << std::string("1/0") << failed << FailureKind::DivisionByZero;
        QTest::newRow("1/0.00e7") << std::string("1/0.00e7") << failed
                                  << FailureKind::DivisionByZero;
        QTest::newRow("1/-5: N must be positive") << std::string("1/-5") << failed << none;
        QTest::newRow("1/+5: N has no sign") << std::string("1/+5") << failed << none;
        QTest::newRow("2/3000: only 1 over N") << std::string("2/3000") << failed << none;
        QTest::newRow("1.0/3000") << std::string("1.0/3000") << failed << none;
        QTest::newRow("1/") << std::string("1/") << failed << none;
        QTest::newRow("/3000") << std::string("/3000") << failed << none;
        QTest::newRow("blanks inside") << std::string("1 / 3000") << failed << none;
        QTest::newRow("two bars") << std::string("1/3000/2") << failed << none;
        QTest::newRow("mixed bars") << std::string("1:3000/2") << failed << none;
    }

    void parsesSlopes() {
        QFETCH(std::string, text);
        QFETCH(float, expected);
        QFETCH(FailureKind, failure);
        if (std::isnan(expected)) {
            testing::expectFailureOf([&] { return parseSlopeInput(text); }, failure);
            return;
        }
        const Value v = parseSlopeInput(text);
        QCOMPARE(v.kind(), Kind::Single);
        QCOMPARE(bitsOf(static_cast<float>(v.number())), bitsOf(expected));
    }

    // Every other field refuses a slope's "1/N".
    void parseInputRefusesSlopes() {
        for (const char* text : {"1/3000", "1:3000", "１／３０００"}) {
            testing::expectFailureOf([&] { return parseInput(text); }, FailureKind::TypeMismatch);
        }
    }

    // The section shapes' fields read doubles by the same rules: the double nearest the
    // decimal (0.1 is not the single 0.1), a slope's 1/N one division in double, and the
    // double range's ends where the single range's were.
    void parsesDoubles_data() {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<bool>("slope");       // read as a slope field reads it
        QTest::addColumn<double>("expected");  // NaN: the failure below
        QTest::addColumn<FailureKind>("failure");
        const auto none = FailureKind::TypeMismatch;
        const double failed = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("0.1 is the double") << std::string("0.1") << false << 0.1 << none;
        QTest::newRow("full-width digits and blanks")
            << std::string("\u3000１．５ ") << false << 1.5 << none;
        QTest::newRow("beyond the single range is no overflow")
            << std::string("1e39") << false << 1e39 << none;
        QTest::newRow("beyond the double range")
            << std::string("1e309") << false << failed << FailureKind::Overflow;
        QTest::newRow("below every double") << std::string("1e-400") << false << 0.0 << none;
        QTest::newRow("letters") << std::string("1x") << false << failed << none;
        QTest::newRow("a slope elsewhere") << std::string("1/3000") << false << failed << none;
        QTest::newRow("1/3000 in double") << std::string("1/3000") << true << 1.0 / 3000 << none;
        QTest::newRow("１：２０００") << std::string("１：２０００") << true << 0.0005 << none;
        QTest::newRow("a slope's plain decimal") << std::string("0.0005") << true << 0.0005 << none;
        QTest::newRow("1/0") << std::string("1/0") << true << failed << FailureKind::DivisionByZero;
        QTest::newRow("1/N beyond the double range")
            << std::string("1/1e-400") << true << failed << FailureKind::Overflow;
        QTest::newRow("N beyond the double range") << std::string("1/1e400") << true << 0.0 << none;
        QTest::newRow("2/3000") << std::string("2/3000") << true << failed << none;
    }

    void parsesDoubles() {
        QFETCH(std::string, text);
        QFETCH(bool, slope);
        QFETCH(double, expected);
        QFETCH(FailureKind, failure);
        const auto parse = [&] {
            return Value::dbl(slope ? parseSlopeInputDouble(text) : parseInputDouble(text));
        };
        if (std::isnan(expected)) {
            testing::expectFailureOf(parse, failure);
            return;
        }
        QCOMPARE(parse().number(), expected);
    }

    void rejectsText_data() {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<FailureKind>("failure");

        const auto mismatch = FailureKind::TypeMismatch;
        QTest::newRow("empty") << std::string() << mismatch;
        QTest::newRow("one blank") << std::string(" ") << mismatch;
        QTest::newRow("full-width blank only") << std::string("\u3000") << mismatch;
        QTest::newRow("letters") << std::string("abc") << mismatch;
        QTest::newRow("number then letters") << std::string("2m") << mismatch;
        QTest::newRow("inf") << std::string("inf") << mismatch;
        QTest::newRow("nan") << std::string("nan") << mismatch;
        QTest::newRow("hexadecimal") << std::string("0x10") << mismatch;
        QTest::newRow("thousands separator") << std::string("1,000") << mismatch;
        QTest::newRow("decimal comma") << std::string("0,025") << mismatch;
        QTest::newRow("second point") << std::string("1.2.3") << mismatch;
        QTest::newRow("double minus") << std::string("--1") << mismatch;
        QTest::newRow("plus minus") << std::string("+-1") << mismatch;
        QTest::newRow("exponent without digits") << std::string("1e") << mismatch;
        QTest::newRow("exponent without mantissa") << std::string("e5") << mismatch;
        QTest::newRow("point alone") << std::string(".") << mismatch;
        QTest::newRow("sign alone") << std::string("-") << mismatch;
        QTest::newRow("blank inside") << std::string("1 000") << mismatch;
        QTest::newRow("blank inside, two digits") << std::string("1 5") << mismatch;
        QTest::newRow("line break inside") << std::string("1\n5") << mismatch;
        QTest::newRow("no-break space inside") << std::string("1\u00A0000") << mismatch;
        QTest::newRow("tab after the sign") << std::string("-\t5") << mismatch;
        QTest::newRow("blank before the exponent") << std::string("1 e5") << mismatch;
        QTest::newRow("line breaks only") << std::string("\r\n\u2028") << mismatch;
        QTest::newRow("zero-width space is no blank") << std::string("\u200B1") << mismatch;
        QTest::newRow("NUL inside") << std::string(
                                           "1\0"
                                           "2",
                                           3)
                                    << mismatch;
        QTest::newRow("right-to-left mark") << std::string("\u200F1") << mismatch;
        QTest::newRow("broken UTF-8") << std::string("\xE4\xB8") << mismatch;
        QTest::newRow("ideographic full stop is no point") << std::string("1。5") << mismatch;
        QTest::newRow("beyond single") << std::string("1e39") << FailureKind::Overflow;
        QTest::newRow("beyond single, negative") << std::string("-1e39") << FailureKind::Overflow;
        QTest::newRow("rounds up past the largest single")
            << std::string("3.4028236e38") << FailureKind::Overflow;
        QTest::newRow("huge exponent")
            << std::string("1e99999999999999999999") << FailureKind::Overflow;
        QTest::newRow("30000 digits") << std::string(30000, '9') << FailureKind::Overflow;
    }

    void rejectsText() {
        QFETCH(std::string, text);
        QFETCH(FailureKind, failure);
        testing::expectFailureOf([&] { return parseInput(text); }, failure);
    }

    // Random decimal texts of every length and exponent, against the C library.
    void agreesWithTheCLibrary() {
        std::mt19937_64 random(20261208);
        std::uniform_int_distribution<int> digitCount(1, 12);
        std::uniform_int_distribution<int> digit(0, 9);
        std::uniform_int_distribution<int> exponent(-47, 39);
        for (int n = 0; n < 20000; ++n) {
            std::string text;
            const int digits = digitCount(random);
            for (int k = 0; k < digits; ++k)
                text += static_cast<char>('0' + digit(random));
            text.insert(
                static_cast<std::size_t>(std::uniform_int_distribution<int>(0, digits)(random)),
                ".");
            text += "e" + std::to_string(exponent(random));
            const float expected = referenceSingle(text);
            if (std::isinf(expected)) continue;
            const Value v = parseInput(text);
            if (bitsOf(static_cast<float>(v.number())) != bitsOf(expected)) {
                QFAIL(qPrintable(QStringLiteral("%1: %2, expected %3")
                                     .arg(QString::fromStdString(text))
                                     .arg(v.number(), 0, 'g', 9)
                                     .arg(static_cast<double>(expected), 0, 'g', 9)));
            }
        }
    }

    void truncates_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("k");
        QTest::addColumn<std::string>("shown");

        QTest::newRow("2.0 is written 2") << 2.0 << 3 << std::string("2");
        QTest::newRow("cut, not rounded") << 2.7630684 << 3 << std::string("2.763");
        QTest::newRow("negative moves away from zero") << -0.0004 << 3 << std::string("-0.001");
        QTest::newRow("-2.7630684 shows -2.764") << -2.7630684 << 3 << std::string("-2.764");
        QTest::newRow("a few units below 1.001 shows 1")
            << 1.0009999999999999 << 3 << std::string("1");
        QTest::newRow("five decimals") << 0.000499 << 5 << std::string("0.00049");
        QTest::newRow("below 0.00001 shows 0") << 7.2e-8 << 5 << std::string("0");
        QTest::newRow("one significant digit left") << 0.0000327 << 5 << std::string("0.00003");
        QTest::newRow("0.00099995 shows 0.00099") << 0.00099995 << 5 << std::string("0.00099");
        QTest::newRow("exactly representable stays") << 0.5 << 3 << std::string("0.5");
        QTest::newRow("zero") << 0.0 << 3 << std::string("0");
    }

    void truncates() {
        QFETCH(double, x);
        QFETCH(int, k);
        QFETCH(std::string, shown);
        const Value cut = floorTruncate(Value::dbl(x), k);
        QCOMPARE(cut.kind(), Kind::Double);
        QCOMPARE(formatResult(cut), shown);
    }

    void truncatesASingleInItsOwnKind() {
        // The plain rule on a single: v·1000 rounds to single first.
        const Value v = Value::single(2.0999999F);
        QCOMPARE(floorTruncate(v, 3).kind(), Kind::Single);
        QCOMPARE(formatResult(floorTruncate(v, 3)), std::string("2.1"));
        // The velocity's own rule keeps v·1000 exact, below 2100.
        QCOMPARE(floorTruncateSingle(v).kind(), Kind::Single);
        QCOMPARE(formatResult(floorTruncateSingle(v)), std::string("2.099"));
        QCOMPARE(formatResult(floorTruncateSingle(Value::single(0.92102283F))),
                 std::string("0.921"));
        QCOMPARE(formatResult(floorTruncateSingle(Value::single(-0.92102283F))),
                 std::string("-0.922"));
        // Seven significant digits: a velocity of 12345.678 keeps only three decimals' worth.
        QCOMPARE(formatResult(floorTruncateSingle(Value::single(12345.6789F))),
                 std::string("12345.68"));
    }

    void formats_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<std::string>("text");

        QTest::newRow("whole double") << 2.0 << Kind::Double << std::string("2");
        QTest::newRow("trailing zeros dropped") << 1.250 << Kind::Double << std::string("1.25");
        QTest::newRow("leading zero") << 0.921 << Kind::Double << std::string("0.921");
        QTest::newRow("negative") << -2.764 << Kind::Double << std::string("-2.764");
        QTest::newRow("negative zero") << -0.0 << Kind::Double << std::string("0");
        QTest::newRow("15 digits of a double") << 0.1 + 0.2 << Kind::Double << std::string("0.3");
        QTest::newRow("15 digits kept")
            << 1234567.89012345 << Kind::Double << std::string("1234567.89012345");
        QTest::newRow("16th digit rounds")
            << 2.0000000000000004 << Kind::Double << std::string("2");
        QTest::newRow("7 digits of a single")
            << static_cast<double>(0.1F) << Kind::Single << std::string("0.1");
        QTest::newRow("single keeps 7")
            << static_cast<double>(2.0999999F) << Kind::Single << std::string("2.1");
        QTest::newRow("no thousands separator")
            << 1234567.0 << Kind::Double << std::string("1234567");
        QTest::newRow("1e-5 is still plain") << 0.00001 << Kind::Double << std::string("0.00001");
        QTest::newRow("below 1e-5 takes an exponent")
            << 0.0000099999 << Kind::Double << std::string("9.9999E-06");
        QTest::newRow("-3e-6") << -3e-6 << Kind::Double << std::string("-3E-06");
        QTest::newRow("just below 1e15 is plain")
            << 999999999999999.0 << Kind::Double << std::string("999999999999999");
        QTest::newRow("rounds up to 1e15 takes an exponent")
            << 999999999999999.9 << Kind::Double << std::string("1E+15");
        QTest::newRow("1.5e20") << 1.5e20 << Kind::Double << std::string("1.5E+20");
        QTest::newRow("three-digit exponent")
            << 1.25e-300 << Kind::Double << std::string("1.25E-300");
        QTest::newRow("a large single") << 1e20 << Kind::Single << std::string("1E+20");
    }

    void formats() {
        QFETCH(double, x);
        QFETCH(Kind, kind);
        QFETCH(std::string, text);
        const Value v = kind == Kind::Single ? Value::single(static_cast<float>(x)) : Value::dbl(x);
        QCOMPARE(formatResult(v), text);
    }

    void formatsIntegers() {
        QCOMPARE(formatResult(Value::integer(-7)), std::string("-7"));
        QCOMPARE(formatResult(Value::long32(100000)), std::string("100000"));
    }

    // What formatResult writes, read back as the nearest double, is the double that printf's
    // own 15-digit rounding names, and writing that double again gives the same text.
    void roundTripsThroughTheCLibrary() {
        std::mt19937_64 random(42);
        std::uniform_real_distribution<double> mantissa(1.0, 10.0);
        std::uniform_int_distribution<int> exponent(-8, 16);
        for (int n = 0; n < 20000; ++n) {
            const double x = mantissa(random) * std::pow(10.0, exponent(random)) * (n % 2 ? -1 : 1);
            const std::string text = formatResult(Value::dbl(x));
            char reference[64];
            std::snprintf(reference, sizeof reference, "%.14e", x);
            const double back = std::strtod(text.c_str(), nullptr);
            QCOMPARE(back, std::strtod(reference, nullptr));
            QCOMPARE(formatResult(Value::dbl(back)), text);
        }
    }
};

QTEST_APPLESS_MAIN(NumberTextTest)
#include "test_number_text.moc"
