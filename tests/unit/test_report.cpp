// The calculation book's content and its plain text, for presses of every calculator: the
// text holds every text the press wrote, the inputs as typed, the lines a worked example
// gives, and never a "nan" or an "inf", also for presses at the edges of the number range
// and for failed ones.

#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <cmath>

#include "book/design_report.h"
#include "book/report.h"
#include "calculators/catalogue.h"

using namespace lintavo;

Q_DECLARE_METATYPE(lintavo::Texts)

class ReportTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void plainText_data() {
        QTest::addColumn<int>("calculator");
        QTest::addColumn<Texts>("inputs");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QStringList>("lines");   // the text must hold each
        QTest::addColumn<QStringList>("absent");  // and none of these

        const QStringList none;
        // The worked example of the discharge calculation, step by step as a book writes it.
        QTest::newRow("discharge, worked example")
            << 0 << Texts{"2", "1", "1", "0.001", "0.025"} << false
            << QStringList{QStringLiteral("A = (b + m·h)·h = (2 + 1 × 1) × 1 = 3 m²"),
                           QStringLiteral("R = A / P = 3 / 4.82843 = 0.62132 m"),
                           QStringLiteral("计算值 2.76306842 m³/s"), QStringLiteral("缓流"),
                           QStringLiteral("向下截取到 3 位小数"), QStringLiteral("五、断面方案"),
                           // A = 3 m² against A0 = K·h0² from the closed form.
                           QStringLiteral("本断面面积为水力最佳断面的 1.015 倍，"
                                          "介于 α = 1.01 与 1.02 之间")}
            << QStringList{QStringLiteral("读作"), QStringLiteral("| 采用此方案")};
        // Inputs read as singles show at the precision an engineer reads, not 1.79999995.
        QTest::newRow("discharge, substituted singles read plainly")
            << 0 << Texts{"3.5", "1.8", "1.5", "1/3000", "0.025"} << false
            << QStringList{QStringLiteral("A = (b + m·h)·h = (3.5 + 1.5 × 1.8) × 1.8 = 11.16 m²"),
                           QStringLiteral("0.000333333")}
            << QStringList{QStringLiteral("1.79999995"), QStringLiteral("11.1599989")};
        // Every empty field is named, in Chinese, and no kind is shown in English.
        QTest::newRow("discharge, empty fields")
            << 0 << Texts{"", " ", "1", "", "0.025"} << true
            << QStringList{QStringLiteral("“底宽b”、“水深h”、“底坡i”为空"),
                           QStringLiteral("  i = （空）（为空）"),
                           QStringLiteral("m = 1（未读取）"), QStringLiteral("输入为空")}
            << QStringList{QStringLiteral("type-mismatch")};
        QTest::newRow("discharge, negative side slope in brackets")
            << 0 << Texts{"2", "1", "-0.5", "0.001", "0.025"} << false
            << QStringList{QStringLiteral("(2 + (-0.5) × 1) × 1")} << none;
        QTest::newRow("discharge, huge inputs")
            << 0 << Texts{"1e38", "1e38", "1e38", "1", "1e-38"} << true << none << none;
        // A = b·h underflows to 0 in single, and v = Q/A is 0/0.
        QTest::newRow("discharge, tiny inputs")
            << 0 << Texts{"1e-38", "1e-38", "0", "1e-38", "1e38"} << true << none << none;
        QTest::newRow("discharge, zero slope: no regime")
            << 0 << Texts{"2", "1", "1", "0", "0.025"} << false << QStringList{QStringLiteral("—")}
            << QStringList{QStringLiteral("断面方案")};
        QTest::newRow("discharge, b and h zero")
            << 0 << Texts{"0", "0", "1", "0.001", "0.025"} << true << none << none;
        QTest::newRow("discharge, a letter") << 0 << Texts{"2", "x", "1", "0.001", "0.025"} << true
                                             << QStringList{QStringLiteral("无法读取")} << none;
        QTest::newRow("normal depth, worked example")
            << 1 << Texts{"2.763", "2", "1", "0.001", "0.025"} << false
            << QStringList{QStringLiteral("对分"), QStringLiteral("最终区间")} << none;
        // n = 0 fails on the first evaluation of the residual: the book says where and why.
        // A channel that does not exist: one sentence says so, the one its window shows.
        QTest::newRow("normal depth, bottom width -5")
            << 1 << Texts{"2.763", "-5", "1", "0.001", "0.025"} << false
            << QStringList{QStringLiteral("  此断面不存在（底宽 b < 0），水力要素无法计算。\n")}
            << none;
        QTest::newRow("discharge, side slope -1")
            << 0 << Texts{"3", "1", "-1", "0.001", "0.025"} << false
            << QStringList{QStringLiteral("此断面不存在（边坡系数 m < 0）")} << none;
        QTest::newRow("discharge, worked example has its channel")
            << 0 << Texts{"2", "1", "1", "0.001", "0.025"} << false << none
            << QStringList{QStringLiteral("不存在")};
        QTest::newRow("normal depth, n zero")
            << 1 << Texts{"2.763", "2", "1", "0.001", "0"} << true
            << QStringList{QStringLiteral("糙率 n 为 0"), QStringLiteral("除以零"),
                           QStringLiteral("对分未能进行")}
            << QStringList{QStringLiteral("division-by-zero"), QStringLiteral("没有计算步骤")};
        QTest::newRow("normal depth, beyond the bracket")
            << 1 << Texts{"1000", "2", "1", "0.001", "0.025"} << true
            << QStringList{QStringLiteral("最终区间")} << none;
        QTest::newRow("bottom width, worked example")
            << 2 << Texts{"2.763", "1", "1", "0.001", "0.025"} << false
            << QStringList{QStringLiteral("对分")} << none;
        QTest::newRow("bottom slope, worked example")
            << 3 << Texts{"2.763", "2", "1", "1", "0.025"} << false
            << QStringList{QStringLiteral("向下截取到 5 位小数")} << none;
        QTest::newRow("section, one candidate")
            << 4 << Texts{"10", "0.5", "1.5", "0.0004", "0.025"} << false
            << QStringList{QStringLiteral("断面一")} << none;
        // The second depth's width is negative: said, with the pair, and not drawn as a channel.
        QTest::newRow("section, a candidate that is no channel")
            << 4 << Texts{"9.249", "0.828", "1.5", "0.0003", "0.0225"} << false
            << QStringList{QStringLiteral("断面一：h = 1.786 m，b = 3.57"),
                           QStringLiteral("断面二：h = 2.968 m 时 b = −0.69058 m < 0，不成立"),
                           QStringLiteral("断面一：本断面面积为水力最佳断面的")}
            << QStringList{QStringLiteral("断面二：本断面")};
        QTest::newRow("section, negative discriminant")
            << 4 << Texts{"10", "1", "1.5", "0.0004", "0.025"} << true << none << none;
    }

    void plainText() {
        QFETCH(int, calculator);
        QFETCH(Texts, inputs);
        QFETCH(bool, fails);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, absent);
        const CalculatorTable& table = calculations()[static_cast<std::size_t>(calculator)];
        Record record;
        const auto written = runPress(table.press, inputs, record);
        QCOMPARE(!written.has_value(), fails);
        const CalculationReport report = buildReport(table, record, "2026-01-01 08:00", "Lintavo");
        const QString text = QString::fromStdString(lintavo::plainText(report));
        QVERIFY(
            text.startsWith(QString::fromUtf8(table.window.title.data(),
                                              static_cast<qsizetype>(table.window.title.size())) +
                            QStringLiteral(" 计算书\n2026-01-01 08:00")));
        // Every input that was read, and the one that did not convert, on its own line as
        // typed; reading stops there.
        QVERIFY(!record.inputs.empty());
        for (const RecordedInput& input : record.inputs) {
            const QString typed = QString::fromStdString(input.text).trimmed();
            const QString line = QStringLiteral("  %1 = %2")
                                     .arg(QChar::fromLatin1(input.symbol),
                                          typed.isEmpty() ? QStringLiteral("（空）") : typed);
            QVERIFY2(text.contains(line), qPrintable(line + QStringLiteral("\n") + text));
        }
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
        for (const QString& line : absent)
            QVERIFY2(!text.contains(line), qPrintable(line + QStringLiteral("\n") + text));
        for (const char* bad : {"nan", "inf"})
            QVERIFY2(!text.contains(QLatin1String(bad), Qt::CaseInsensitive), qPrintable(text));
    }

    // The formulas the Word file sets as equations, found in the book's prose: each stretch
    // that relates, raises, roots, multiplies or divides, up to its unit; neither a unit, nor a
    // clause number, nor a standard's number, nor a bracket that does not close.
    void formulasInProse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("formulas");
        QTest::newRow("freeboard and depth")
            << QStringLiteral(
                   "岸顶超高与渠深（6.4.8）：Fb = hb/4 + 0.2 = 1.2/4 + 0.2 = 0.5 m，"
                   "H = hb + Fb + Fb′ = 1.75 m。")
            << QStringList{QStringLiteral("Fb = hb/4 + 0.2 = 1.2/4 + 0.2 = 0.5 m"),
                           QStringLiteral("H = hb + Fb + Fb′ = 1.75 m")};
        QTest::newRow("a velocity inside a range said in words")
            << QStringLiteral("vd = 0.8 m/s 在 0.6~1.0 m/s 之间")
            << QStringList{QStringLiteral("vd = 0.8 m/s")};
        QTest::newRow("a Chinese subscript")
            << QStringLiteral("vb ≤ v不冲") << QStringList{QStringLiteral("vb ≤ v不冲")};
        QTest::newRow("the bisection's residual and its root")
            << QStringLiteral("f(h) = Q − (1/n)·A·R^(2/3)·√i，A、R 按 h 计算；求 f(h) = 0 的根")
            << QStringList{QStringLiteral("f(h) = Q − (1/n)·A·R^(2/3)·√i"),
                           QStringLiteral("f(h) = 0")};
        QTest::newRow("Chinese names inside brackets")
            << QStringLiteral("初始区间 [0, 10] m，每次取中点，f(下端)·f(中点) > 0 时移下端")
            << QStringList{QStringLiteral("f(下端)·f(中点) > 0")};
        QTest::newRow("a symbol alone is no formula")
            << QStringLiteral("在区间端点计算 f(h) 时失败，对分未能进行") << QStringList{};
        QTest::newRow("a standard's number, clause numbers")
            << QStringLiteral(
                   "按《灌溉与排水工程设计标准》GB 50288-2018 校核（6.3.1、6.3.11、附录 C）")
            << QStringList{};
        QTest::newRow("units are no division") << QStringLiteral("回算 Q (m³/s)") << QStringList{};
        QTest::newRow("a unit in Chinese brackets")
            << QStringLiteral("流量 Q（m³/s）") << QStringList{};
        QTest::newRow("a ratio heading")
            << QStringLiteral("β = b/h") << QStringList{QStringLiteral("β = b/h")};
        QTest::newRow("the best section's depth")
            << QStringLiteral("2^(1/4)·(nQ/(K·√i))^(3/8)")
            << QStringList{QStringLiteral("2^(1/4)·(nQ/(K·√i))^(3/8)")};
        QTest::newRow("a bracket that never closes")
            << QStringLiteral("a (b = c") << QStringList{QStringLiteral("b = c")};
    }

    void formulasInProse() {
        QFETCH(QString, text);
        QFETCH(QStringList, formulas);
        const std::string prose = text.toStdString();
        QStringList found;
        for (const FormulaSpan& f : formulasIn(prose))
            found.append(QString::fromStdString(prose.substr(f.begin, f.end - f.begin)));
        QCOMPARE(found, formulas);
        // A paragraph and a cell find the same, and keep the text as it is.
        const ReportText paragraph(prose);
        const ReportCell cell(prose);
        QCOMPARE(paragraph.text, prose);
        QVERIFY(paragraph.formulas == formulasIn(prose) && cell.formulas == paragraph.formulas);
    }

    // The drawings' labels are the texts the window shows, never a rounding of their own: the
    // depth a bisection found as its field has it, the width as typed, and each candidate's
    // pair as its fields show them.
    void drawingLabelsAreTheWindowsTexts() {
        Record record;
        const auto depth = runPress(normalDepthWindow.press,
                                    Texts{"9.249", " 3.499", "1.5", "0.0003", "0.0225"}, record);
        QVERIFY(depth);
        CalculationReport report = buildReport(normalDepthWindow, record, {}, {});
        QCOMPARE(report.channels.front().depthText, depth->front());
        QCOMPARE(report.channels.front().widthText, std::string("3.499"));
        QCOMPARE(report.channels.front().dischargeText, std::string("9.249"));
        const auto section = runPress(sectionWindow.press,
                                      Texts{"9.249", "0.828", "1.5", "0.0003", "0.0225"}, record);
        QVERIFY(section);
        report = buildReport(sectionWindow, record, {}, {});
        QCOMPARE(report.channels.front().depthText + "或" + report.channels.back().depthText,
                 (*section)[0]);
        QCOMPARE(report.channels.front().widthText, (*section)[1]);
    }

    // The 断面方案 section: a 采用此方案 link on each of the five rows, in α order, the drawing
    // asked for, and the rows marked against velocity limits where any is given. The worked
    // example's velocities lie near Q/A = 2.763/3 ≈ 0.92 m/s for every α.
    void schemes_data() {
        QTest::addColumn<double>("minimum");   // the design check's non-silting velocity; NaN: none
        QTest::addColumn<QString>("verdict");  // every row's; "" for no 流速 column
        const double none = std::nan("");
        QTest::newRow("no limits") << none << QString();
        QTest::newRow("above a minimum of 0.5 m/s") << 0.5 << QStringLiteral("满足");
        QTest::newRow("below a minimum of 1.5 m/s") << 1.5 << QStringLiteral("不满足");
    }

    void schemes() {
        QFETCH(double, minimum);
        QFETCH(QString, verdict);
        DesignSettings settings;
        if (!std::isnan(minimum)) settings.nonSilting = minimum;
        const BedTables beds;
        const DesignContext design{settings, beds};
        const CalculatorTable& table = calculations()[0];
        Record record;
        QVERIFY(runPress(table.press, Texts{"2", "1", "1", "0.001", "0.025"}, record));
        const CalculationReport report =
            buildReport(table, record, {}, {}, std::isnan(minimum) ? nullptr : &design);
        QVERIFY(!report.sections.empty());
        const ReportSection& section = report.sections.front();
        QCOMPARE(section.title, std::string("五、断面方案"));
        QVERIFY(section.figure == ReportFigure::Schemes && report.schemes.has_value());
        const ReportTable* rows = nullptr;
        for (const ReportBlock& block : section.blocks) {
            if (const auto* t = std::get_if<ReportTable>(&block); t && t->rows.size() == 5)
                rows = t;
        }
        QVERIFY(rows != nullptr);
        const bool said = std::any_of(section.blocks.begin(), section.blocks.end(), [](auto& b) {
            const auto* text = std::get_if<ReportText>(&b);
            return text != nullptr && text->text.find("向上取到 3 位小数") != std::string::npos;
        });
        QVERIFY(said);
        const std::size_t columns = verdict.isEmpty() ? 10 : 11;
        QCOMPARE(rows->header.size(), columns);
        for (std::size_t k = 0; k < 5; ++k) {
            const std::vector<ReportCell>& row = rows->rows[k];
            QCOMPARE(row.size(), columns);
            QCOMPARE(row.front().text, "1.0" + std::to_string(k));
            QCOMPARE(row.back().text, std::string("采用此方案"));
            QCOMPARE(row.back().link, "lintavo-scheme:" + std::to_string(k));
            // b and h as 采用此方案 types them: rounded up at the third decimal.
            const SchemeRow& scheme = report.schemes->rows[k];
            QCOMPARE(QString::fromStdString(row[3].text),
                     QString::number(std::ceil(scheme.b * 1000) / 1000, 'f', 3));
            QVERIFY(std::stod(row[2].text) >= scheme.h &&
                    std::stod(row[2].text) < scheme.h + 0.002);
            if (!verdict.isEmpty())
                QCOMPARE(QString::fromStdString(row[columns - 2].text), verdict);
            for (std::size_t c = 0; c + 1 < columns; ++c) {
                QVERIFY(row[c].link.empty());
                QCOMPARE(row[c].alert, verdict == QStringLiteral("不满足"));
            }
        }
    }

    // The design check's sentences and its table write numbers as the book does, to six
    // significant digits: 1.1 read as a single is 1.10000002, and 0.6·hd is not 0.660000014.
    // The settings it states keep what was set.
    void designCheckDigits() {
        DesignSettings settings;
        settings.nonSilting = 0.45;
        settings.bendRadius = 40.0000001;
        const BedTables beds;
        const DesignContext design{settings, beds};
        const CalculatorTable& table = calculations()[0];
        Record record;
        QVERIFY(runPress(table.press, Texts{"1.1", "1.1", "1.5", "0.0002", "0.025"}, record));
        const CalculationReport report = buildReport(table, record, {}, {}, &design);
        const ReportSection& check = report.sections.back();
        QVERIFY(check.title.ends_with("设计校核"));
        QString text;
        for (const ReportBlock& block : check.blocks) {
            if (const auto* paragraph = std::get_if<ReportText>(&block)) {
                text += QString::fromStdString(paragraph->text) + QLatin1Char('\n');
                continue;
            }
            const auto& t = std::get<ReportTable>(block);
            if (t.header.front().text == "校核设置") continue;
            for (const auto& row : t.rows) {
                for (const ReportCell& cell : row)
                    text += QString::fromStdString(cell.text) + QLatin1Char('\n');
            }
        }
        QVERIFY(text.contains(QStringLiteral("0.6·hd = ")));
        QVERIFY(text.contains(QStringLiteral("v不淤 = 0.45 m/s")));
        static const QRegularExpression number(QStringLiteral("[0-9]+(\\.[0-9]+)?"));
        for (auto match = number.globalMatch(text); match.hasNext();) {
            const QString written = match.next().captured();
            QString digits = written;
            digits.remove(QLatin1Char('.'));
            while (digits.startsWith(QLatin1Char('0')))
                digits.remove(0, 1);
            QVERIFY2(digits.size() <= 6, qPrintable(written + QLatin1String(" in\n") + text));
        }
    }
};

QTEST_GUILESS_MAIN(ReportTest)
#include "test_report.moc"
