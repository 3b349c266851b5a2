// The calculation book's content and its plain text, for presses of every calculator: the
// text holds every text the press wrote, the inputs as typed, the lines a worked example
// gives, and never a "nan" or an "inf", also for presses at the edges of the number range
// and for failed ones.

#include <QTest>

#include "calculators/report.h"
#include "calculators/windows.h"

using namespace lintavo;

Q_DECLARE_METATYPE(lintavo::Texts)

class ReportTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void plainText_data() {
        QTest::addColumn<int>("calculator");
        QTest::addColumn<Texts>("inputs");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QStringList>("lines");  // the text must hold each

        const QStringList none;
        // The worked example of the discharge calculation, step by step as a book writes it.
        QTest::newRow("discharge, worked example")
            << 0 << Texts{"2", "1", "1", "0.001", "0.025"} << false
            << QStringList{QStringLiteral("A = (b + m·h)·h = (2 + 1 × 1) × 1 = 3 m²"),
                           QStringLiteral("R = A / P = 3 / 4.82842712 = 0.621320344 m"),
                           QStringLiteral("缓流"), QStringLiteral("向下截取到 3 位小数")};
        QTest::newRow("discharge, negative side slope in brackets")
            << 0 << Texts{"2", "1", "-0.5", "0.001", "0.025"} << false
            << QStringList{QStringLiteral("(2 + (-0.5) × 1) × 1")};
        QTest::newRow("discharge, huge inputs")
            << 0 << Texts{"1e38", "1e38", "1e38", "1", "1e-38"} << true << none;
        // A = b·h underflows to 0 in single, and v = Q/A is 0/0.
        QTest::newRow("discharge, tiny inputs")
            << 0 << Texts{"1e-38", "1e-38", "0", "1e-38", "1e38"} << true << none;
        QTest::newRow("discharge, zero slope: no regime")
            << 0 << Texts{"2", "1", "1", "0", "0.025"} << false << QStringList{QStringLiteral("—")};
        QTest::newRow("discharge, b and h zero")
            << 0 << Texts{"0", "0", "1", "0.001", "0.025"} << true << none;
        QTest::newRow("discharge, a letter") << 0 << Texts{"2", "x", "1", "0.001", "0.025"} << true
                                             << QStringList{QStringLiteral("无法读取")};
        QTest::newRow("normal depth, worked example")
            << 1 << Texts{"2.763", "2", "1", "0.001", "0.025"} << false
            << QStringList{QStringLiteral("对分"), QStringLiteral("最终区间")};
        QTest::newRow("normal depth, beyond the bracket")
            << 1 << Texts{"1000", "2", "1", "0.001", "0.025"} << true
            << QStringList{QStringLiteral("最终区间")};
        QTest::newRow("bottom width, worked example")
            << 2 << Texts{"2.763", "1", "1", "0.001", "0.025"} << false
            << QStringList{QStringLiteral("对分")};
        QTest::newRow("bottom slope, worked example")
            << 3 << Texts{"2.763", "2", "1", "1", "0.025"} << false
            << QStringList{QStringLiteral("向下截取到 5 位小数")};
        QTest::newRow("section, one candidate") << 4 << Texts{"10", "0.5", "1.5", "0.0004", "0.025"}
                                                << false << QStringList{QStringLiteral("断面一")};
        QTest::newRow("section, negative discriminant")
            << 4 << Texts{"10", "1", "1.5", "0.0004", "0.025"} << true << none;
    }

    void plainText() {
        QFETCH(int, calculator);
        QFETCH(Texts, inputs);
        QFETCH(bool, fails);
        QFETCH(QStringList, lines);
        const CalculatorTable& table = calculatorWindows()[static_cast<std::size_t>(calculator)];
        Record record;
        const auto written = runPress(table.press, inputs, record);
        QCOMPARE(!written.has_value(), fails);
        const CalculationReport report = buildReport(table, record, "2026-01-01 08:00", "Lintavo");
        const QString text = QString::fromStdString(lintavo::plainText(report));
        QVERIFY(text.contains(QStringLiteral("计算书")));
        QVERIFY(text.contains(QStringLiteral("2026-01-01 08:00")));
        // Every input that was read, and the one that did not convert; reading stops there.
        QVERIFY(!record.inputs.empty());
        for (const RecordedInput& input : record.inputs)
            QVERIFY2(text.contains(QString::fromStdString(input.text)), input.text.c_str());
        if (written) {
            for (const std::string& result : *written)
                QVERIFY2(text.contains(QString::fromStdString(result)), qPrintable(text));
            QVERIFY(text.contains(QStringLiteral("计算结果")));
        } else {
            QVERIFY2(text.contains(QStringLiteral("计算失败")), qPrintable(text));
            QVERIFY(!text.contains(QStringLiteral("计算结果")));
        }
        for (const QString& line : lines)
            QVERIFY2(text.contains(line), qPrintable(line + QStringLiteral("\n") + text));
        for (const char* bad : {"nan", "inf"})
            QVERIFY2(!text.contains(QLatin1String(bad), Qt::CaseInsensitive), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(ReportTest)
#include "test_report.moc"
