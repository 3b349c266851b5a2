// The book's formula strings read into Office Math: which structures each becomes (a
// stacked fraction, a root, a power, a subscript), and that nothing of it is lost.

#include <QTest>

#include "formats/omml.h"

using namespace lintavo;

namespace {

int count(const MathNode& n, MathNode::Kind kind) {
    int k = n.kind == kind ? 1 : 0;
    for (const MathNode& c : n.children)
        k += count(c, kind);
    return k;
}

int upright(const MathNode& n) {
    int k = n.kind == MathNode::Kind::Unit || (n.kind == MathNode::Kind::Run && n.upright) ? 1 : 0;
    for (const MathNode& c : n.children)
        k += upright(c);
    return k;
}

}  // namespace

class OmmlTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void structure_data() {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("linear");  // the tree read back, brackets where needed
        QTest::addColumn<int>("fractions");
        QTest::addColumn<int>("radicals");
        QTest::addColumn<int>("powers");
        QTest::addColumn<int>("subscripts");
        QTest::addColumn<int>("brackets");
        QTest::addColumn<int>("upright");  // units, function names and Chinese words
        QTest::newRow("area: brackets kept in a product")
            << "A = (b + m·h)·h"
            << "A = (b + m·h)·h" << 0 << 0 << 0 << 0 << 1 << 0;
        QTest::newRow("perimeter: a root over a sum with a square")
            << "P = b + 2·h·√(1 + m²)"
            << "P = b + 2·h·√(1 + m^2)" << 0 << 1 << 1 << 0 << 0 << 0;
        QTest::newRow("Chézy: the bracketed 1/n stacks, the exponent stays on a line")
            << "C = (1 / n)·R^(1/6)"
            << "C = 1/n·R^(1/6)" << 2 << 0 << 1 << 0 << 0 << 0;
        QTest::newRow("discharge: a root over a product")
            << "Q = A·C·√(R·i)"
            << "Q = A·C·√(R·i)" << 0 << 1 << 0 << 0 << 0 << 0;
        QTest::newRow("slope: the denominator's brackets go")
            << "i = Q² / (C²·A²·R)"
            << "i = Q^2/(C^2·A^2·R)" << 1 << 0 << 3 << 0 << 0 << 0;
        QTest::newRow("root of the quadratic: subscripts and a nested bracket")
            << "h1 = (D − P) / (2·(m − 2·s))"
            << "h1 = (D − P)/(2·(m − 2·s))" << 1 << 0 << 0 << 1 << 1 << 0;
        QTest::newRow("a negative first term")
            << "h2 = (−P − D) / (2·(m − 2·s))"
            << "h2 = (−P − D)/(2·(m − 2·s))" << 1 << 0 << 0 << 1 << 1 << 0;
        QTest::newRow("a fraction raised to a power keeps its brackets")
            << "R = (n·v / i^0.5)^1.5"
            << "R = ((n·v)/i^0.5)^1.5" << 1 << 0 << 2 << 0 << 1 << 0;
        QTest::newRow("best depth: a root in a denominator, fractional powers")
            << "h0 = 2^(1/4)·(nQ/(K·√i))^(3/8)"
            << "h0 = 2^(1/4)·(nQ/(K·√(i)))^(3/8)" << 3 << 1 << 2 << 1 << 1 << 0;
        QTest::newRow("a relation with units and subscripted names")
            << "hmin = 0.65 m < 0.6·hd = 0.66 m"
            << "hmin = 0.65 m < 0.6·hd = 0.66 m" << 0 << 0 << 0 << 2 << 0 << 2;
        QTest::newRow("a Chinese subscript right after a letter")
            << "vd = 0.8 m/s ≤ v不冲 = 0.9 m/s"
            << "vd = 0.8 m/s ≤ v不冲 = 0.9 m/s" << 0 << 0 << 0 << 2 << 0 << 3;
        QTest::newRow("a subscript after an underscore, and ≥")
            << "h_加大 ≥ hb"
            << "h加大 ≥ hb" << 0 << 0 << 0 << 2 << 0 << 1;
        QTest::newRow("the bend rule: > and a product") << "r > 5·Bb"
                                                        << "r > 5·Bb" << 0 << 0 << 0 << 1 << 0 << 0;
        QTest::newRow("the bend's freeboard: products side by side, squares of subscripts")
            << "Fb′ = Bb·vb²/(2g·r) = 1.2 × 0.8² / (2 × 9.81 × 30)"
            << "Fb′ = (Bb·vb^2)/(2g·r) = (1.2×0.8^2)/(2×9.81×30)" << 2 << 0 << 2 << 3 << 0 << 0;
        QTest::newRow("a number written beside a root")
            << "K = 2√(1 + m²) − m"
            << "K = 2√(1 + m^2) − m" << 0 << 1 << 1 << 0 << 0 << 0;
        QTest::newRow("Greek letters take subscripts too")
            << "R0 = A0/χ0 = h0/2"
            << "R0 = A0/χ0 = h0/2" << 2 << 0 << 0 << 4 << 0 << 0;
        QTest::newRow("a function of two arguments")
            << "H = max(hb, hd) + Fb"
            << "H = max(hb, hd) + Fb" << 0 << 0 << 0 << 3 << 1 << 1;
        QTest::newRow("a percentage and a unit with an exponent")
            << "g = 9.81 m/s², p = 25%"
            << "g = 9.81 m/s², p = 25%" << 0 << 0 << 0 << 0 << 0 << 2;
        QTest::newRow("names in Chinese inside brackets")
            << "f(下端)·f(中点) > 0"
            << "f(下端)·f(中点) > 0" << 0 << 0 << 0 << 0 << 2 << 2;
        QTest::newRow("a side slope m is no unit")
            << "b0 = 2(√(1 + m²) − m)·h0"
            << "b0 = 2(√(1 + m^2) − m)·h0" << 0 << 1 << 1 << 2 << 1 << 0;
        // The lined sections' formulas: functions upright, the argument beside them.
        QTest::newRow("a U's area within its arc: functions before θ")
            << "A = r²·(θ − sinθ·cosθ)"
            << "A = r^2·(θ − sinθ·cosθ)" << 0 << 0 << 1 << 0 << 1 << 2;
        QTest::newRow("a circle's angle: arccos of a difference with a fraction")
            << "θ = 2·arccos(1 − 2·h / D)"
            << "θ = 2·arccos(1 − (2·h)/D)" << 1 << 0 << 0 << 0 << 1 << 1;
        QTest::newRow("a circle's area: a product over a number")
            << "A = D²·(θ − sinθ) / 8"
            << "A = (D^2·(θ − sinθ))/8" << 1 << 0 << 1 << 0 << 1 << 1;
        QTest::newRow("a function's argument keeps its brackets")
            << "B = D·sin(θ / 2) = 1 × sin(2.69057 / 2)"
            << "B = D·sin(θ/2) = 1×sin(2.69057/2)" << 2 << 0 << 0 << 0 << 2 << 2;
        QTest::newRow("degrees into radians, a subscripted Greek letter")
            << "θ0 = (90 − α)·π/180"
            << "θ0 = ((90 − α)·π)/180" << 1 << 0 << 0 << 1 << 1 << 0;
        QTest::newRow("arctan of a fraction, a sum with roots")
            << "h1 = r·(1 − m / √(1 + m²)), θ0 = arctan(1 / m)"
            << "h1 = r·(1 − m/√(1 + m^2)), θ0 = arctan(1/m)" << 2 << 1 << 1 << 2 << 2 << 1;
        QTest::newRow("an angle in radians")
            << "θ0 = (90 − 10)·π/180 = 1.39626 rad"
            << "θ0 = ((90 − 10)·π)/180 = 1.39626 rad" << 1 << 0 << 0 << 1 << 1 << 1;
        QTest::newRow("an unmatched bracket is kept as text")
            << "x = (a + b"
            << "x = (a + b)" << 0 << 0 << 0 << 0 << 1 << 0;
        QTest::newRow("a character the reader does not know stays")
            << "y = a ≈ b"
            << "y = a≈b" << 0 << 0 << 0 << 0 << 0 << 0;
    }

    void structure() {
        QFETCH(QString, formula);
        QFETCH(QString, linear);
        const MathNode tree = parseFormula(formula.toStdString());
        QCOMPARE(QString::fromStdString(linearText(tree)), linear);
        QTEST(count(tree, MathNode::Kind::Fraction), "fractions");
        QTEST(count(tree, MathNode::Kind::Radical), "radicals");
        QTEST(count(tree, MathNode::Kind::Superscript), "powers");
        QTEST(count(tree, MathNode::Kind::Subscript), "subscripts");
        QTEST(count(tree, MathNode::Kind::Brackets), "brackets");
        QTEST(upright(tree), "upright");
    }
};

QTEST_GUILESS_MAIN(OmmlTest)
#include "test_omml.moc"
