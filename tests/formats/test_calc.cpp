// lintavo-calc against the windows' own presses: for every calculation, a few hundred rows
// of ordinary, odd and failing inputs go through the program as a CSV file, and every row it
// writes must hold exactly the texts runPress gives for those inputs, or the failure
// report's sentence; its output is read back by Python's csv module. Then its exit statuses.

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <vector>

#include "calculators/batch.h"
#include "calculators/catalogue.h"
#include "calculators/explain.h"
#include "hydraulics/quantities.h"
#include "hydraulics/shape_flow.h"

using namespace lintavo;

Q_DECLARE_METATYPE(const lintavo::CalculatorTable*)

namespace {

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// With `output` given, standard output goes to that file rather than to the test.
Run calc(const QStringList& args, const QByteArray& input, const QString& output = {}) {
    QProcess p;
    if (!output.isEmpty()) p.setStandardOutputFile(output);
    p.start(QStringLiteral(LINTAVO_CALC), args);
    p.write(input);
    p.closeWriteChannel();
    Run run;
    if (!p.waitForFinished(120000)) return run;
    run.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = p.readAllStandardOutput();
    run.err = p.readAllStandardError();
    return run;
}

// CSV as an independent reader sees it.
QJsonArray csvRows(const QByteArray& csv) {
    QProcess p;
    p.start(QStringLiteral(LINTAVO_SYSTEM_PYTHON),
            {QStringLiteral("-c"),
             QStringLiteral("import csv, io, json, sys\n"
                            "text = sys.stdin.buffer.read().decode('utf-8')\n"
                            "print(json.dumps(list(csv.reader(io.StringIO(text, newline='')))))")});
    p.write(csv);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return QJsonDocument::fromJson(p.readAllStandardOutput()).array();
}

// Texts as the fields get them: ordinary numbers, blanks, full-width digits, values that make
// the presses fail (zeros, negatives, letters, overflow) and values near the bisections'
// limits.
const std::vector<std::string> pool{
    "10",  "5",      "1.5",  "0.0005",  "0.025", "2",     "1",      "0.001",     "0.02",
    "0",   "-1",     "",     " ",       "x",     "1e39",  " 3 ",    "１．５",    "0.5",
    "100", "9.999",  "1e-7", "0.013",   "50",    "0.3",   "2.5E+1", "\u30001.2", "-0.025",
    "3",   "0.0001", "7",    "0.00001", "20",    "1,000", "0.75",   "4",         "12"};

QByteArray csvCell(const std::string& s) {
    QByteArray c = QByteArray::fromStdString(s);
    if (c.contains(',') || c.contains('"')) c = '"' + c.replace("\"", "\"\"") + '"';
    return c;
}

}  // namespace

class CalcTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void sameTextsAsThePress_data() {
        QTest::addColumn<const CalculatorTable*>("table");
        for (const CalculatorTable& table : calculations()) {
            QTest::newRow(table.window.name.data()) << &table;
            QTest::newRow(calculationAlias(table).data()) << &table;
        }
    }

    void sameTextsAsThePress() {
        QFETCH(const CalculatorTable*, table);
        const auto inputs = rowsWith(table->window, Role::Input);
        // The header by symbol, in reverse reading order, with a kept column between.
        QByteArray file = "名称,备注";
        for (auto k = inputs.size(); k-- > 0;) {
            for (const Quantity& q : quantities) {
                if (inputs[k]->name.view().starts_with(q.prefix))
                    file += ',' + QByteArray(1, q.symbol);
            }
        }
        file += '\n';
        std::vector<std::vector<std::string>> rows;
        unsigned x = 2026;
        for (int r = 0; r < 400; ++r) {
            std::vector<std::string> row;
            for (std::size_t k = 0; k < inputs.size(); ++k) {
                x = x * 1664525U + 1013904223U;
                // Mostly the first, ordinary part of the pool.
                const std::size_t span = (x >> 28) < 12 ? 10 : pool.size();
                row.push_back(pool[(x >> 8) % span]);
            }
            rows.push_back(row);
            file += "渠段" + QByteArray::number(r) + ",r" + QByteArray::number(r);
            for (auto k = row.size(); k-- > 0;)
                file += ',' + csvCell(row[k]);
            file += '\n';
        }

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("渠段.csv"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file);
        f.close();
        const Run run = calc({qs(table->window.title), path}, {});
        const QJsonArray out = csvRows(run.out);
        QCOMPARE(out.size(), qsizetype(rows.size() + 1));

        QStringList header;
        for (const std::string& h : batchColumns(*table))
            header << qs(h);
        header << QStringLiteral("备注");
        QCOMPARE(out[0].toVariant().toStringList(), header);

        bool anyFailed = false;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            Record record;
            const auto texts = runPress(table->press, rows[r], record);
            QStringList expected{QStringLiteral("渠段%1").arg(r)};
            for (const std::string& s : rows[r])
                expected << qs(s);
            for (std::size_t k = 0; k < rowsWith(table->window, Role::Output).size(); ++k)
                expected << (texts ? qs((*texts)[k]) : QString());
            // A completed row's remark (a circle's second depth), or why the row failed.
            expected << (texts ? qs(record.remark) : qs(explainFailure(*table, record).sentence));
            expected << QStringLiteral("r%1").arg(r);
            anyFailed = anyFailed || !texts;
            QCOMPARE(out[qsizetype(r + 1)].toVariant().toStringList(), expected);
        }
        QVERIFY(anyFailed);
        QCOMPARE(run.status, 1);
    }

    void shapesAgainstAnIndependentOracle_data() {
        QTest::addColumn<QString>("alias");
        for (const char* alias :
             {"u-discharge", "u-normal-depth", "arc-toe-discharge", "arc-toe-normal-depth",
              "circle-discharge", "circle-normal-depth"})
            QTest::newRow(alias) << QString::fromLatin1(alias);
    }

    // Every digit of the six shape calculations against tests/formats/shape_oracle.py, which
    // computes each section from its geometry in 50-digit arithmetic: channels of every
    // shape, circles flowing near their crown (two depths) and beyond their peak (refused).
    void shapesAgainstAnIndependentOracle() {
        QFETCH(QString, alias);
        const CalculatorTable* table = calculationNamed(alias.toStdString());
        QVERIFY(table != nullptr);
        const auto inputs = rowsWith(table->window, Role::Input);
        std::string symbols;
        for (const ControlRow* row : inputs)
            symbols += quantityOfField(row->name)->symbol;
        const bool circle = alias.startsWith(QStringLiteral("circle"));
        unsigned x = 88;
        const auto uniform = [&x](double lo, double hi) {
            x = x * 1664525U + 1013904223U;
            return lo + (hi - lo) * (x >> 8) / 16777216.0;
        };
        // Shares of the full pipe's discharge: well below it, between it and the peak (about
        // 1.0757 of it), just below the peak and beyond it. Not the full pipe's own: its
        // second depth lies closer to the crown than a double can tell.
        const double shares[] = {0.2, 0.7, 0.999, 1.01, 1.04, 1.074, 1.0765, 1.2};
        QByteArray file = "名称";
        for (const char s : symbols)
            file += ',' + (s == 'a' ? QByteArray("α") : QByteArray(1, s));
        file += '\n';
        QByteArray oracleFile;
        for (const char s : symbols)
            oracleFile += (oracleFile.isEmpty() ? "" : ",") + QByteArray(1, s);
        oracleFile += '\n';
        constexpr int rows = 64;
        for (int r = 0; r < rows; ++r) {
            const QByteArray diameter = QByteArray::number(uniform(0.3, 2.5), 'f', 3);
            const double D = diameter.toDouble();
            const bool reciprocal = r % 3 == 0;
            const double N = std::floor(uniform(500, 8000));
            const double i = reciprocal ? 1.0 / N : std::floor(uniform(2, 50)) / 10000;
            const double n = std::floor(uniform(11, 30)) / 1000;
            QByteArray line = "渠段" + QByteArray::number(r);
            QByteArray oracleLine;
            for (const char s : symbols) {
                QByteArray text;
                switch (s) {
                    case 'r':
                        text = QByteArray::number(uniform(0.2, 2.0), 'f', 3);
                        break;
                    case 'a':
                        text = QByteArray::number(uniform(0, 25), 'f', 1);
                        break;
                    case 'b':
                        text = QByteArray::number(uniform(0.3, 4.0), 'f', 2);
                        break;
                    case 'm':
                        text = QByteArray::number(r % 5 == 0 ? 0.0 : uniform(0, 2.5), 'f', 2);
                        break;
                    case 'D':
                        text = diameter;
                        break;
                    case 'h':
                        // A circle also full to its crown.
                        text = !circle      ? QByteArray::number(uniform(0.05, 4.0), 'f', 3)
                               : r % 8 == 0 ? diameter
                                            : QByteArray::number(D * uniform(0.05, 0.999), 'f', 3);
                        break;
                    case 'i':
                        text = reciprocal ? "1/" + QByteArray::number(N, 'f', 0)
                                          : QByteArray::number(i, 'g', 6);
                        break;
                    case 'n':
                        text = QByteArray::number(n, 'f', 3);
                        break;
                    case 'Q':
                        if (circle) {
                            const double full = manningFlow(Circle{D}, D, i, n).value().Q;
                            text = QByteArray::number(full * shares[r % 8], 'g', 9);
                        } else {
                            text = QByteArray::number(uniform(0.05, 30), 'f', 3);
                        }
                        break;
                    default:
                        break;
                }
                line += ',' + text;
                oracleLine += (oracleLine.isEmpty() ? "" : ",") + text;
            }
            file += line + '\n';
            oracleFile += oracleLine + '\n';
        }
        QTemporaryDir dir;
        const QString oraclePath = dir.filePath(QStringLiteral("oracle.csv"));
        QFile o(oraclePath);
        QVERIFY(o.open(QIODevice::WriteOnly));
        o.write(oracleFile);
        o.close();
        QProcess oracle;
        oracle.start(
            QStringLiteral(LINTAVO_SYSTEM_PYTHON),
            {QStringLiteral(LINTAVO_TESTS_DIR "/formats/shape_oracle.py"), alias, oraclePath});
        QVERIFY(oracle.waitForFinished(300000));
        const QJsonArray expected = QJsonDocument::fromJson(oracle.readAllStandardOutput()).array();
        QCOMPARE(expected.size(), qsizetype(rows));

        const Run run = calc({alias}, file);
        const QJsonArray out = csvRows(run.out);
        QCOMPARE(out.size(), qsizetype(rows + 1));
        const auto results = rowsWith(table->window, Role::Output).size();
        bool anyRefused = false;
        bool anySecond = false;
        for (int r = 0; r < rows; ++r) {
            const QStringList got = out[r + 1].toVariant().toStringList();
            const QJsonArray want = expected[r].toArray();
            const QString remark = got[static_cast<qsizetype>(1 + inputs.size() + results)];
            const QString where =
                QStringLiteral("row %1: %2").arg(r).arg(got.join(QLatin1Char(',')));
            if (want.last().toString() == QStringLiteral("refused")) {
                anyRefused = true;
                QVERIFY2(got[static_cast<qsizetype>(1 + inputs.size())].isEmpty(),
                         qPrintable(where));
                QVERIFY2(remark.contains(QStringLiteral("压力流")), qPrintable(where));
                continue;
            }
            for (std::size_t k = 0; k < results; ++k) {
                QCOMPARE(got[static_cast<qsizetype>(1 + inputs.size() + k)],
                         want[static_cast<qsizetype>(k)].toString());
            }
            const QString second = want.last().toString();
            if (second.isEmpty()) {
                QVERIFY2(remark.isEmpty(), qPrintable(where));
            } else {
                anySecond = true;
                QVERIFY2(
                    remark.contains(QStringLiteral("另一水深 ") + second + QStringLiteral(" m")),
                    qPrintable(where));
            }
        }
        QCOMPARE(run.status, anyRefused ? 1 : 0);
        if (alias == QStringLiteral("circle-normal-depth")) QVERIFY(anyRefused && anySecond);
    }

    void exitStatus_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("stderrStart");
        QTest::addColumn<bool>("full");  // standard output on a full disk
        QTest::newRow("every row computed")
            << QStringList{"discharge"} << QByteArray("b,h,m,i,n\n2,1,1,0.001,0.025\n") << 0
            << QString() << false;
        QTest::newRow("a header and no row")
            << QStringList{"section"} << QByteArray("Q,v,m,i,n\n") << 0 << QString() << false;
        QTest::newRow("one row of two failed")
            << QStringList{"discharge", "-"}
            << QByteArray("b,h,m,i,n\n2,1,1,0.001,0.025\n2,0,1,0.001,0.025\n") << 1 << QString()
            << false;
        QTest::newRow("no such calculation") << QStringList{"velocity"} << QByteArray("1\n") << 2
                                             << QStringLiteral("lintavo-calc：没有名为") << false;
        QTest::newRow("no calculation") << QStringList{} << QByteArray() << 2
                                        << QStringLiteral("lintavo-calc：请给出一个计算") << false;
        QTest::newRow("an unknown option")
            << QStringList{"--fast", "discharge"} << QByteArray() << 2
            << QStringLiteral("lintavo-calc：不认识的选项") << false;
        QTest::newRow("a file that is not there")
            << QStringList{"discharge", "/nonexistent/渠段.csv"} << QByteArray() << 2
            << QStringLiteral("lintavo-calc：无法打开文件") << false;
        QTest::newRow("empty input") << QStringList{"discharge"} << QByteArray() << 2
                                     << QStringLiteral("lintavo-calc：输入中没有任何行") << false;
        QTest::newRow("a missing column")
            << QStringList{"底坡i计算"} << QByteArray("Q,b,m,h\n") << 2
            << QStringLiteral("lintavo-calc：表头中缺少") << false;
        QTest::newRow("help") << QStringList{"--help"} << QByteArray() << 0 << QString() << false;
        QTest::newRow("version") << QStringList{"--version"} << QByteArray() << 0 << QString()
                                 << false;
        QTest::newRow("version onto a full disk") << QStringList{"--version"} << QByteArray() << 2
                                                  << QStringLiteral("lintavo-calc：") << true;
        // Standard output that refuses the rows: the last bytes fail only when flushed, a long
        // batch already on the way, and the failure outranks a failed row's 1.
        const QString unwritten =
            QStringLiteral("lintavo-calc：无法把结果写到标准输出（磁盘空间不足）");
        QTest::newRow("one row into a full disk")
            << QStringList{"discharge"} << QByteArray("b,h,m,i,n\n2,1,1,0.001,0.025\n") << 2
            << unwritten << true;
        QByteArray rows("b,h,m,i,n\n");
        for (int k = 0; k < 5000; ++k)
            rows += "2,1,1,0.001,0.025\n2,0,1,0.001,0.025\n";
        QTest::newRow("10 000 rows into a full disk")
            << QStringList{"discharge"} << rows << 2 << unwritten << true;
        QTest::newRow("help into a full disk")
            << QStringList{"--help"} << QByteArray() << 2 << unwritten << true;
    }

    void exitStatus() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(int, status);
        QFETCH(QString, stderrStart);
        QFETCH(bool, full);
        const QString fullDevice = QStringLiteral("/dev/full");
        if (full && !QFileInfo::exists(fullDevice)) QSKIP("this system has no /dev/full");
        const Run run = calc(args, input, full ? fullDevice : QString());
        QCOMPARE(run.status, status);
        QVERIFY2(QString::fromUtf8(run.err).startsWith(stderrStart), run.err.constData());
        QCOMPARE(run.err.isEmpty(), stderrStart.isEmpty());
        if (status == 2) QVERIFY(run.out.isEmpty());
        if (args == QStringList{"--help"} && !full)
            QVERIFY(run.out.startsWith("用法：lintavo-calc"));
    }
};

QTEST_GUILESS_MAIN(CalcTest)
#include "test_calc.moc"
