// The kinds of Value: which kind each operation gives, when a result is carried in a wider
// kind, and which operations fail and how.

#include <QTest>
#include <cmath>
#include <functional>

#include "hydraulics/section.h"
#include "hydraulics/value.h"
#include "tests/unit/bits.h"
#include "tests/unit/failure_check.h"

using lintavo::testing::bits;
using namespace lintavo;
using namespace lintavo::literals;

Q_DECLARE_METATYPE(lintavo::Kind)

using Operation = std::function<Value()>;
Q_DECLARE_METATYPE(Operation)

namespace {

Value s(float v) {
    return Value::single(v);
}
Value d(double v) {
    return Value::dbl(v);
}

// The single that IEEE single arithmetic gives, computed here with float operands directly.
double singleSum(float a, float b) {
    return static_cast<double>(a + b);
}
double singleProduct(float a, float b) {
    return static_cast<double>(a * b);
}
double singleQuotient(float a, float b) {
    return static_cast<double>(a / b);
}

// The promotion rules written out once more, as a table of their own: the kind of a ∘ b for
// each pair of kinds (Integer, Long, Single, Double), row a, column b.
constexpr Kind I = Kind::Integer, L = Kind::Long, S = Kind::Single, D = Kind::Double;
constexpr Kind sumKinds[4][4] = {
    {I, L, S, D},  // integer with …
    {L, L, D, D},  // 32-bit integer: a single's 24-bit significand cannot hold it
    {S, D, S, D},  // single
    {D, D, D, D},  // double
};
constexpr Kind quotientKinds[4][4] = {
    {D, D, S, D},  // two whole numbers divide to a double
    {D, D, D, D},
    {S, D, S, D},
    {D, D, D, D},
};

// One sample of each kind, chosen so that every pair's result is exact in neither single nor
// a narrower kind than the rule gives.
Value sample(Kind kind) {
    switch (kind) {
        case Kind::Integer:
            return Value::integer(3);
        case Kind::Long:
            return Value::long32(40001);
        case Kind::Single:
            return Value::single(0.1F);
        case Kind::Double:
            break;
    }
    return Value::dbl(0.7);
}

// a ∘ b for the operator spelled `op`, in whatever type a and b are: float, double or Value.
template <typename T>
T apply(char op, T a, T b) {
    switch (op) {
        case '+':
            return a + b;
        case '-':
            return a - b;
        case '*':
            return a * b;
        default:
            return a / b;
    }
}

// a ∘ b evaluated directly in the C++ type of the expected kind.
double expectedValue(char op, Value a, Value b, Kind kind) {
    if (kind == Kind::Single) {
        return static_cast<double>(
            apply(op, static_cast<float>(a.number()), static_cast<float>(b.number())));
    }
    return apply(op, a.number(), b.number());
}

}  // namespace

class NumberModelTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void kinds_data() {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<double>("value");

        QTest::newRow("integer + integer stays integer")
            << Operation([] { return 2_int + 3_int; }) << Kind::Integer << 5.0;
        QTest::newRow("integer × integer past 16 bits widens to 32")
            << Operation([] { return 300_int * 300_int; }) << Kind::Long << 90000.0;
        QTest::newRow("integer − integer below -32768 widens")
            << Operation([] { return -(32767_int) - 2_int; }) << Kind::Long << -32769.0;
        QTest::newRow("negating -32768 widens")
            << Operation([] { return -(-(32767_int) - 1_int); }) << Kind::Long << 32768.0;
        QTest::newRow("32-bit overflow is carried in double")
            << Operation([] { return 2147483647_int + 1_int; }) << Kind::Double << 2147483648.0;
        QTest::newRow("100000 is a 32-bit literal")
            << Operation([] { return 100000_int; }) << Kind::Long << 100000.0;
        QTest::newRow("integer ÷ integer is double")
            << Operation([] { return 1_int / 6_int; }) << Kind::Double << (1.0 / 6.0);
        QTest::newRow("(0 + 10) / 2 with integer ends is double")
            << Operation([] { return (0_int + 10_int) / 2_int; }) << Kind::Double << 5.0;
        QTest::newRow("single + integer is single") << Operation([] { return s(0.025F) + 1_int; })
                                                    << Kind::Single << singleSum(0.025F, 1.0F);
        QTest::newRow("integer × single is single") << Operation([] { return 2_int * s(0.1F); })
                                                    << Kind::Single << singleProduct(2.0F, 0.1F);
        QTest::newRow("single × single rounds to single")
            << Operation([] { return s(0.1F) * s(0.3F); }) << Kind::Single
            << singleProduct(0.1F, 0.3F);
        QTest::newRow("integer ÷ single is single") << Operation([] { return 1_int / s(0.025F); })
                                                    << Kind::Single << singleQuotient(1.0F, 0.025F);
        QTest::newRow("single ÷ integer is single") << Operation([] { return s(2.0F) / 3_int; })
                                                    << Kind::Single << singleQuotient(2.0F, 3.0F);
        QTest::newRow("single overflow is carried in double")
            << Operation([] { return s(3e38F) * 10_int; }) << Kind::Double
            << static_cast<double>(3e38F) * 10.0;
        QTest::newRow("single ÷ single overflow is carried in double")
            << Operation([] { return s(1e30F) / s(1e-30F); }) << Kind::Double
            << static_cast<double>(1e30F) / static_cast<double>(1e-30F);
        QTest::newRow("single with 32-bit integer meets in double")
            << Operation([] { return s(0.1F) * 100000_int; }) << Kind::Double
            << static_cast<double>(0.1F) * 100000.0;
        QTest::newRow("single + double is double")
            << Operation([] { return s(0.1F) + d(0.2); }) << Kind::Double
            << static_cast<double>(0.1F) + 0.2;
        QTest::newRow("power of integers is double")
            << Operation([] { return pow(2_int, 2_int); }) << Kind::Double << 4.0;
        QTest::newRow("power of a negative base, whole exponent")
            << Operation([] { return pow(s(-2.5F), 2_int); }) << Kind::Double << 6.25;
        QTest::newRow("square root of an integer is double")
            << Operation([] { return sqrt(2_int); }) << Kind::Double << std::sqrt(2.0);
        QTest::newRow("1/6 + 1/2 is the double nearest 2/3")
            << Operation([] { return 1_int / 6_int + 1_int / 2_int; }) << Kind::Double
            << (1.0 / 6.0 + 0.5);
        QTest::newRow("floor keeps a single single")
            << Operation([] { return floor(s(-0.4F)); }) << Kind::Single << -1.0;
        QTest::newRow("floor keeps a double double")
            << Operation([] { return floor(d(2762.9999)); }) << Kind::Double << 2762.0;
        QTest::newRow("floor of an integer is itself")
            << Operation([] { return floor(7_int); }) << Kind::Integer << 7.0;
        QTest::newRow("a 1e-7 literal is the nearest double")
            << Operation([] { return 1e-7_dbl; }) << Kind::Double << 1e-7;
        QTest::newRow("rounding to single") << Operation([] { return d(0.1).toSingle(); })
                                            << Kind::Single << static_cast<double>(0.1F);
        // The geometry from field values: A stays single, P is double.
        QTest::newRow("flow area from singles is single")
            << Operation([] { return flowArea(s(2), s(1), s(0.5F)); }) << Kind::Single << 1.25;
        QTest::newRow("wetted perimeter is double")
            << Operation([] { return wettedPerimeter(s(2), s(0), s(1)); }) << Kind::Double << 4.0;
        QTest::newRow("rectangle: P = b + 2h")
            << Operation([] { return wettedPerimeter(s(3), s(0), s(0.5F)); }) << Kind::Double
            << 4.0;
        QTest::newRow("flow area at the integer 0 is single")
            << Operation([] { return flowArea(s(2), s(1), 0_int); }) << Kind::Single << 0.0;
    }

    void kinds() {
        QFETCH(Operation, operation);
        QFETCH(Kind, kind);
        QFETCH(double, value);
        const Value result = operation();
        QCOMPARE(result.kind(), kind);
        QCOMPARE(bits(result.number()), bits(value));
    }

    void failures_data() {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<FailureKind>("failure");

        QTest::newRow("x / 0") << Operation([] { return 1_int / 0_int; })
                               << FailureKind::DivisionByZero;
        QTest::newRow("0 / 0") << Operation([] { return s(0) / s(0); })
                               << FailureKind::DivisionByZero;
        QTest::newRow("x / -0") << Operation([] { return d(1) / d(-0.0); })
                                << FailureKind::DivisionByZero;
        QTest::newRow("double product overflows")
            << Operation([] { return d(1e308) * 10_int; }) << FailureKind::Overflow;
        QTest::newRow("double quotient overflows")
            << Operation([] { return d(1e300) / d(1e-300); }) << FailureKind::Overflow;
        QTest::newRow("power overflows")
            << Operation([] { return pow(10_int, d(400)); }) << FailureKind::Overflow;
        QTest::newRow("square root of a negative")
            << Operation([] { return sqrt(s(-0.001F)); }) << FailureKind::InvalidArgument;
        QTest::newRow("fractional power of a negative")
            << Operation([] { return pow(d(-8), 1_int / 3_int); }) << FailureKind::InvalidArgument;
        QTest::newRow("zero to a negative power")
            << Operation([] { return pow(0_int, d(-1)); }) << FailureKind::InvalidArgument;
        QTest::newRow("a velocity beyond single")
            << Operation([] { return d(1e39).toSingle(); }) << FailureKind::Overflow;
        QTest::newRow("an infinity never becomes a value")
            << Operation([] { return d(HUGE_VAL); }) << FailureKind::Overflow;
        QTest::newRow("R = A / P with P = 0")
            << Operation([] { return hydraulicRadius(s(0), d(0)); }) << FailureKind::DivisionByZero;
        QTest::newRow("C with n = 0") << Operation([] { return chezyCoefficient(d(0.5), s(0)); })
                                      << FailureKind::DivisionByZero;
        QTest::newRow("C with R < 0")
            << Operation([] { return chezyCoefficient(d(-0.5), s(0.025F)); })
            << FailureKind::InvalidArgument;
        QTest::newRow("C with n = 0 and R < 0 fails at 1/n first")
            << Operation([] { return chezyCoefficient(d(-0.5), s(0)); })
            << FailureKind::DivisionByZero;
    }

    void promotionTable_data() {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<double>("value");
        const char* names[] = {"integer", "32-bit integer", "single", "double"};
        for (int a = 0; a < 4; ++a) {
            for (int b = 0; b < 4; ++b) {
                for (char op : {'+', '-', '*', '/'}) {
                    const Value x = sample(static_cast<Kind>(a));
                    const Value y = sample(static_cast<Kind>(b));
                    const Kind kind = op == '/' ? quotientKinds[a][b] : sumKinds[a][b];
                    const Operation operation = [op, x, y] { return apply(op, x, y); };
                    QTest::addRow("%s %c %s", names[a], op, names[b])
                        << operation << kind << expectedValue(op, x, y, kind);
                }
            }
        }
    }

    // Every pair of kinds under every operator, against the table above.
    void promotionTable() {
        QFETCH(Operation, operation);
        QFETCH(Kind, kind);
        QFETCH(double, value);
        const Value result = operation();
        QCOMPARE(result.kind(), kind);
        QCOMPARE(bits(result.number()), bits(value));
    }

    void failures() {
        QFETCH(Operation, operation);
        QFETCH(FailureKind, failure);
        testing::expectFailureOf(operation, failure);
    }

    void comparisonsIgnoreKinds() {
        QVERIFY(2_int == d(2.0));
        QVERIFY(s(0.025F) > d(0.025));  // the single is 0.0250000004
        QVERIFY(d(1e-7) < 10_int - 0_int);
        QVERIFY(!(s(-0.0F) < 0_int));
    }
};

QTEST_APPLESS_MAIN(NumberModelTest)
#include "test_number_model.moc"
