// What a press's record says beyond its texts: every failure point of every calculation
// names the input fields a user should look at, and a completed press gives its values as
// the `report` command writes them.

#include <QTest>

#include "book/report_json.h"
#include "calculators/catalogue.h"
#include "calculators/summary.h"
#include "tests/unit/press_checks.h"

using namespace lintavo;

Q_DECLARE_METATYPE(const lintavo::CalculatorTable*)
Q_DECLARE_METATYPE(std::vector<std::string_view>)

class CausesTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void failureNamesItsFields_data() {
        QTest::addColumn<const CalculatorTable*>("table");
        QTest::addColumn<Texts>("inputs");
        QTest::addColumn<FailureKind>("kind");
        QTest::addColumn<std::vector<std::string_view>>("fields");
        QTest::addColumn<std::string>("said");  // a part of the sentence, where it matters
        using V = std::vector<std::string_view>;
        const auto row = [](const char* name, const CalculatorTable& table, Texts inputs,
                            FailureKind kind, V fields, std::string said = {}) {
            QTest::newRow(name) << &table << inputs << kind << fields << said;
        };
        using enum FailureKind;
        // 流量Q计算: b, h, m, i, n
        row("Q: a letter in h", dischargeWindow, {"2", "x", "1", "0.001", "0.025"}, TypeMismatch,
            {"ssh"});
        row("Q: h beyond single", dischargeWindow, {"2", "1e39", "1", "0.001", "0.025"}, Overflow,
            {"ssh"});
        row("Q: P = 0", dischargeWindow, {"0", "0", "1", "0.001", "0.025"}, DivisionByZero,
            {"dkb", "ssh"});
        // A zero perimeter with neither b nor h zero: a negative width the walls make up for.
        row("Q: P = 0 from a negative b", dischargeWindow, {"-2", "1", "0", "0.001", "0.025"},
            DivisionByZero, {"dkb", "ssh"}, "负的底宽");
        // Every field empty: all are named, the first takes the focus.
        row("Q: all empty", dischargeWindow, {"", " ", "", "", ""}, TypeMismatch,
            {"dkb", "ssh", "bpm", "dpi", "cln"},
            "“底宽b”、“水深h”、“边坡系数m”、“底坡i”、“糙率n”为空");
        row("Q: n = 0", dischargeWindow, {"2", "1", "1", "0.001", "0"}, DivisionByZero, {"cln"});
        row("Q: R < 0", dischargeWindow, {"-2", "1", "1", "0.001", "0.025"}, InvalidArgument,
            {"dkb", "ssh", "bpm"});
        row("Q: i < 0", dischargeWindow, {"2", "1", "1", "-0.001", "0.025"}, InvalidArgument,
            {"dpi"});
        row("Q: A = 0", dischargeWindow, {"2", "0", "1", "0.001", "0.025"}, DivisionByZero,
            {"ssh", "dkb", "bpm"});
        row("Q: v beyond single", dischargeWindow, {"1", "1", "0", "1e30", "1e-30"}, Overflow,
            {"ssh", "cln"});
        // 水深h计算: Q, b, m, i, n
        row("h: i < 0", normalDepthWindow, {"10", "5", "1", "-0.001", "0.025"}, InvalidArgument,
            {"dpi1"});
        row("h: n = 0", normalDepthWindow, {"10", "5", "1", "0.001", "0"}, DivisionByZero,
            {"cln1"});
        row("h: b = 0", normalDepthWindow, {"10", "0", "1", "0.001", "0.025"}, DivisionByZero,
            {"dkb1"});
        row("h: R < 0", normalDepthWindow, {"10", "1", "-1", "0.001", "0.025"}, InvalidArgument,
            {"dkb1", "bpm1"});
        row("h: above 10 m", normalDepthWindow, {"100", "1", "0", "0.001", "0.03"}, NoSolution,
            {"llQ1", "dkb1"});
        row("h: i = 0", normalDepthWindow, {"10", "5", "1", "0", "0.025"}, NoSolution, {"dpi1"});
        row("h: Q < 0", normalDepthWindow, {"-1", "5", "1", "0.001", "0.025"}, NoSolution,
            {"llQ1"});
        // 计算渠道底宽b: Q, h, m, i, n
        row("b: i < 0", bottomWidthWindow, {"5", "1.2", "1", "-0.0004", "0.02"}, InvalidArgument,
            {"dpi2"});
        row("b: n = 0", bottomWidthWindow, {"5", "1.2", "1", "0.0004", "0"}, DivisionByZero,
            {"cln2"});
        row("b: h = 0", bottomWidthWindow, {"5", "0", "1", "0.0004", "0.02"}, DivisionByZero,
            {"ssh2"});
        row("b: R < 0", bottomWidthWindow, {"5", "-1.2", "1", "0.0004", "0.02"}, InvalidArgument,
            {"ssh2", "bpm2"});
        row("b: above 10 m", bottomWidthWindow, {"100", "1", "0", "0.001", "0.03"}, NoSolution,
            {"llQ2", "ssh2"});
        row("b: a zero width carries more", bottomWidthWindow,
            {"0.5", "1.5", "1.5", "0.001", "0.025"}, NoSolution, {"llQ2", "ssh2"});
        // A negative side slope gives a section with no discharge at all: said, not "约 -nan".
        row("b: a negative side slope", bottomWidthWindow,
            {"0.058288", "81E-33", "-030", ".1", "1.517"}, NoSolution, {"bpm2"}, "边坡系数 m 为负");
        row("b: i = 0", bottomWidthWindow, {"5", "1.2", "1", "0", "0.02"}, NoSolution, {"dpi2"});
        // 底坡i计算: Q, b, m, h, n
        row("i: the preset texts", bottomSlopeWindow, {"0", "0", "0", "0", "0.025"}, DivisionByZero,
            {"dkb3", "ssh3"});
        row("i: n = 0", bottomSlopeWindow, {"5", "2", "1", "1", "0"}, DivisionByZero, {"cln3"});
        row("i: R < 0", bottomSlopeWindow, {"5", "-2", "1", "1", "0.025"}, InvalidArgument,
            {"dkb3", "ssh3", "bpm3"});
        // i ≈ 4.3e303 is computed; cutting it to five decimals leaves the double range.
        row("i: the cut overflows", bottomSlopeWindow, {"3.4e38", "1", "0", "1e-45", "3.4e38"},
            Overflow, {"llQ3", "dkb3", "bpm3", "ssh3", "cln3"}, "截取小数位时");
        row("i: A = 0", bottomSlopeWindow, {"5", "2", "1", "0", "0.025"}, DivisionByZero,
            {"ssh3", "dkb3", "bpm3"});
        // 断面尺寸: Q, v, m, i, n
        row("section: v = 0", sectionWindow, {"10", "0", "1", "0.001", "0.025"}, DivisionByZero,
            {"lsv4"});
        row("section: i < 0", sectionWindow, {"10", "1", "1", "-0.001", "0.025"}, InvalidArgument,
            {"dpi4"});
        row("section: i = 0", sectionWindow, {"10", "1", "1", "0", "0.025"}, DivisionByZero,
            {"dpi4"});
        row("section: n·v < 0", sectionWindow, {"10", "1", "1", "0.001", "-0.025"}, InvalidArgument,
            {"cln4", "lsv4"});
        row("section: n = 0", sectionWindow, {"10", "1", "1", "0.001", "0"}, DivisionByZero,
            {"cln4"});
        row("section: negative discriminant", sectionWindow, {"10", "1.2", "1.5", "0.0005", "0.02"},
            InvalidArgument, {"lsv4", "bpm4"});
    }

    void failureNamesItsFields() {
        QFETCH(const CalculatorTable*, table);
        QFETCH(Texts, inputs);
        QFETCH(FailureKind, kind);
        QFETCH(std::vector<std::string_view>, fields);
        Record record;
        QVERIFY(!runPress(table->press, inputs, record));
        QCOMPARE(record.failure->kind, kind);
        QFETCH(std::string, said);
        const FailureCause cause = explainFailure(*table, record);
        QVERIFY(!cause.sentence.empty());
        QVERIFY2(said.empty() || cause.sentence.find(said) != std::string::npos,
                 cause.sentence.c_str());
        for (const char* bad : {"nan", "inf"})
            QVERIFY2(cause.sentence.find(bad) == std::string::npos, cause.sentence.c_str());
        const std::vector<StaticText> named = fieldsFor(*table, cause.fields);
        QCOMPARE(std::vector<std::string_view>(named.begin(), named.end()), fields);
    }

    // The worked example of the discharge window, as the report gives it.
    void dischargeValues() {
        Record record;
        QVERIFY(runPress(dischargeWindow.press, Texts{"2", "1", "1", "0.001", "0.025"}, record));
        const std::vector<std::pair<std::string, std::string>> expected{{"b", "2"},
                                                                        {"h", "1"},
                                                                        {"m", "1"},
                                                                        {"i", "0.00100000005"},
                                                                        {"n", "0.0250000004"},
                                                                        {"A", "3"},
                                                                        {"P", "4.82842712"},
                                                                        {"R", "0.621320344"},
                                                                        {"C", "36.9498421"},
                                                                        {"Q", "2.76306842"},
                                                                        {"v", "0.921022832"},
                                                                        {"B", "4"},
                                                                        {"Fr", "0.339551184"},
                                                                        {"regime", "缓流"},
                                                                        {"hc", "0.528012837"},
                                                                        {"ik", "0.00965879181"}};
        QCOMPARE(reportValues(dischargeWindow, record, summarize(dischargeWindow, record)),
                 expected);
    }

    // Where an answer lies past 10 m, said roughly: Q 100 needs about 151 m of depth in a
    // 1 m rectangle (A ≈ 151 m², R ≈ 0.498 m gives Q ≈ 100 m³/s).
    void saysWhereAnAnswerBeyondTheBracketLies() {
        Record record;
        QVERIFY(
            !runPress(normalDepthWindow.press, Texts{"100", "1", "0", "0.001", "0.03"}, record));
        QVERIFY(explainFailure(normalDepthWindow, record).sentence.find("约 151 m") !=
                std::string::npos);
    }
};

QTEST_APPLESS_MAIN(CausesTest)
#include "test_causes.moc"
