// The files a batch reads: CSV in every encoding a Chinese spreadsheet saves, headers naming
// the quantities by symbol or by label in any order, extra columns kept, tables without a
// header, and the inputs that cannot be used. Each case gives the bytes of a file and the
// batch rows it must become (名称, the inputs in reading order, the kept columns), or the
// reason it is refused.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <bit>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "calculators/batch.h"
#include "formats/csv.h"
#include "formats/whole_file.h"
#include "formats/xlsx.h"
#include "formats/zip.h"
#include "tests/support/hostile_files.h"

using namespace lintavo;

namespace {

QByteArray gb18030(const QString& text) {
    QStringEncoder encoder("GB18030");
    QByteArray bytes = encoder.encode(text);
    return encoder.hasError() ? QByteArray("encoder failed") : bytes;
}

// A file's rows as the batch sees them, each "cell|cell|…", the header first; or "refused: …"
// with the start of the reason.
QStringList batchRows(const CalculatorTable& table, const QByteArray& file) {
    std::istringstream in(file.toStdString());
    CsvReader reader(in);
    std::vector<std::string> cells;
    if (!reader.next(cells)) return {"refused: " + QString::fromStdString(reader.error())};
    ColumnMap map;
    bool pending = false;
    if (isHeaderRow(cells)) {
        auto mapped = mapHeader(table, cells);
        if (auto* error = std::get_if<std::string>(&mapped))
            return {"refused: " + QString::fromStdString(*error)};
        map = std::get<ColumnMap>(mapped);
    } else {
        map = headerlessMap(table, cells.size());
        pending = true;
    }
    QStringList header;
    for (const std::string& h : batchColumns(table))
        header << QString::fromStdString(h);
    for (const std::string& h : map.extraHeaders)
        header << QString::fromStdString(h);
    QStringList rows{header.join('|')};
    while (pending || reader.next(cells)) {
        pending = false;
        QStringList row;
        const auto cell = [&](std::size_t c) {
            return QString::fromStdString(c < cells.size() ? cells[c] : std::string());
        };
        row << (map.name ? cell(*map.name) : QString());
        for (std::size_t c : map.inputs)
            row << cell(c);
        for (std::size_t c : map.extras)
            row << cell(c);
        rows << row.join('|');
    }
    if (!reader.error().empty()) rows << "refused: " + QString::fromStdString(reader.error());
    return rows;
}

// Runs a Python snippet with argv[1] = path in Debian's Python, where openpyxl is; its
// standard output.
QByteArray python(const QString& script, const QString& path) {
    QProcess p;
    p.start(QStringLiteral(LINTAVO_SYSTEM_PYTHON), {QStringLiteral("-c"), script, path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return "FAILED: " + p.readAllStandardError();
    return p.readAllStandardOutput();
}

const QString depthHeader = QStringLiteral("名称|流量Q|底宽b|边坡系数m|底坡i|糙率n|水深h|说明");

}  // namespace

class FormatsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void csv_data() {
        QTest::addColumn<QString>("calculation");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("rows");

        const QString reach = QStringLiteral(
            "名称,流量Q,底宽b,边坡系数m,底坡i,糙率n\n"
            "一号渠段,10,5,1.5,0.0005,0.025\n");
        const QStringList reachRows{depthHeader, "一号渠段|10|5|1.5|0.0005|0.025"};
        QTest::newRow("UTF-8 without a byte-order mark, labels")
            << "normal-depth" << reach.toUtf8() << reachRows;
        QTest::newRow("UTF-8 with a byte-order mark")
            << "normal-depth"
            << "\xEF\xBB\xBF" + reach.toUtf8() << reachRows;
        QTest::newRow("GB18030 as a Chinese spreadsheet saves it")
            << "normal-depth" << gb18030(reach) << reachRows;
        QTest::newRow("GB18030 beyond GBK: a four-byte character")
            << "水深h计算" << gb18030(QStringLiteral("名称,Q,b,m,i,n\n𠀀渠,1,2,0,0.001,0.02\n"))
            << QStringList{depthHeader, QStringLiteral("𠀀渠|1|2|0|0.001|0.02")};
        QTest::newRow("GBK characters that are two valid UTF-8 bytes on their own")
            // 隆 is C2 A1 in GBK, which alone would pass for UTF-8's ¡.
            << "normal-depth" << gb18030(QStringLiteral("Q,b,m,i,n,名称\n1,2,0,0.001,0.02,隆\n"))
            << QStringList{depthHeader, QStringLiteral("隆|1|2|0|0.001|0.02")};
        QTest::newRow("symbols in another order, lower case, units in brackets")
            << "normal-depth"
            << QByteArray(
                   "n,i (-),M,b (m),Q\xEF\xBC\x88m\xC2\xB3/s\xEF\xBC\x89\r\n"
                   "0.025,0.0005,1.5,5,10\r\n")
            << QStringList{depthHeader, "|10|5|1.5|0.0005|0.025"};
        QTest::newRow("labels without their symbols, blanks around them")
            << "discharge"
            << QStringLiteral(" 底宽 ,\u3000水深,边坡系数,底坡,糙率\n2,1,1,0.001,0.025\n").toUtf8()
            << QStringList{
                   QStringLiteral("名称|底宽b|水深h|边坡系数m|底坡i|糙率n|流量Q|流速v|说明"),
                   "|2|1|1|0.001|0.025"};
        QTest::newRow("extra columns kept after 说明, results and 说明 dropped")
            << "discharge"
            << QStringLiteral(
                   "桩号,备注,b,h,m,i,n,流量Q,说明,负责人\n"
                   "K0+100,衬砌,2,1,1,0.001,0.025,9.9,旧的,张三\n")
                   .toUtf8()
            << QStringList{QStringLiteral("名称|底宽b|水深h|边坡系数m|底坡i|糙率n|流量Q|流速v|说明|"
                                          "备注|负责人"),
                           QStringLiteral("K0+100|2|1|1|0.001|0.025|衬砌|张三")};
        QTest::newRow("tab-separated, blank and full-width cells passed on as typed")
            << "bottom-slope" << QStringLiteral("Q\tb\tm\th\tn\n５\t\t1\t 1 \t0.025\n").toUtf8()
            << QStringList{QStringLiteral("名称|流量Q|底宽b|边坡系数m|水深h|糙率n|底坡i|说明"),
                           QStringLiteral("|５||1| 1 |0.025")};
        QTest::newRow("quoted cells with commas, quotes and line breaks; blank lines skipped")
            << "section"
            << QByteArray("\"name\",Q,v,m,i,n\n\n\"a, \"\"b\"\"\nc\",10,1,1,0.001,0.025\n\n")
            << QStringList{
                   QStringLiteral("名称|流量Q|流速v|边坡系数m|底坡i|糙率n|水深h|底宽b|说明"),
                   "a, \"b\"\nc|10|1|1|0.001|0.025"};
        QTest::newRow("no header: the inputs in reading order, the rest kept")
            << "bottom-width" << QByteArray("10,1.2,1,0.0004,0.02,x\n5,1,1,0.001,0.025,y\n")
            << QStringList{QStringLiteral("名称|流量Q|水深h|边坡系数m|底坡i|糙率n|底宽b|说明|"),
                           "|10|1.2|1|0.0004|0.02|x", "|5|1|1|0.001|0.025|y"};
        QTest::newRow("a row shorter than the header reads its missing cells as empty")
            << "bottom-width" << QByteArray("Q,h,m,i,n\n10,1.2\n")
            << QStringList{QStringLiteral("名称|流量Q|水深h|边坡系数m|底坡i|糙率n|底宽b|说明"),
                           "|10|1.2|||"};

        QTest::newRow("refused: an input missing from the header")
            << "discharge" << QByteArray("b,h,m,n\n1,2,3,4\n")
            << QStringList{QStringLiteral("refused: 表头中缺少这些列：底坡i")};
        QTest::newRow("refused: an input named twice")
            << "discharge" << QStringLiteral("b,底宽b,h,m,i,n\n").toUtf8()
            << QStringList{QStringLiteral("refused: 表头中这些列出现了不止一次：底宽b")};
        QTest::newRow("refused: UTF-16")
            << "discharge"
            << QByteArray(
                   "\xFF\xFE"
                   "b\0,\0",
                   6)
            << QStringList{QStringLiteral("refused: 输入是 UTF-16 文本；请另存为 UTF-8 或 "
                                          "GB18030（GBK）编码的 CSV 文件")};
        QTest::newRow("refused: a quote never closed")
            << "discharge" << QByteArray("b,h,m,i,n\n\"2,1,1,0.001,0.025\n")
            << QStringList{"名称|底宽b|水深h|边坡系数m|底坡i|糙率n|流量Q|流速v|说明",
                           QStringLiteral("refused: 第 2 行的引号没有结束")};
        // A whole piece of UTF-8 first, then a GBK row: the decision is not taken back.
        QByteArray mixed = QStringLiteral("名称,b,h,m,i,n\n").toUtf8();
        for (int k = 0; k < 20000; ++k)
            mixed += QStringLiteral("渠,2,1,1,0.001,0.025\n").toUtf8();
        mixed += gb18030(QStringLiteral("渠,2,1,1,0.001,0.025\n"));
        QTest::newRow("refused: GBK after the first piece decided UTF-8")
            << "discharge" << mixed
            << QStringList{QStringLiteral("refused: 第 20002 行不是 UTF-8 文本，而文件的前面是 "
                                          "UTF-8；请用同一种编码保存整个文件")};
    }

    // Files made to exhaust the reader: stopped at their first record past a bound, within
    // the time of reading them.
    void csvBounds_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<qsizetype>("records");  // read before the refusal
        QTest::newRow("a line of more than a MiB")
            << "b,h\n" + QByteArray((1 << 20) + 1, 'x') << "第 2 行超过了 1024 KiB 的上限"
            << qsizetype(1);
        QTest::newRow("a quoted field that never ends, a MiB long")
            << "\"" + QByteArray(1 << 21, '\n') << "第 1 行超过了 1024 KiB 的上限" << qsizetype(0);
        QTest::newRow("a first line of 16 MiB, read for its separator")
            << QByteArray(16 << 20, 'x') << "第 1 行超过了 1024 KiB 的上限" << qsizetype(0);
        QTest::newRow("16 385 columns")
            << QByteArray(16384, ',') << "第 1 行超过了 16384 列的上限" << qsizetype(0);
        QTest::newRow("16 384 columns are a sheet's")
            << QByteArray(16383, ',') << "" << qsizetype(1);
        QTest::newRow("1 048 577 rows") << QByteArray("1\n").repeated((1 << 20) + 1)
                                        << "文件超过了 1048576 行的上限" << qsizetype(1 << 20);
    }

    void csvBounds() {
        QFETCH(QByteArray, file);
        QFETCH(QString, refusal);
        QFETCH(qsizetype, records);
        std::istringstream in(file.toStdString());
        CsvReader reader(in);
        std::vector<std::string> fields;
        qsizetype read = 0;
        while (reader.next(fields))
            ++read;
        const QString said = QString::fromStdString(reader.error());
        QVERIFY2(refusal.isEmpty() ? said.isEmpty() : said.startsWith(refusal), qPrintable(said));
        QCOMPARE(read, records);
    }

    // The bound on what a stream gives, and the table's bounds on what the batch keeps.
    void csvTableBounds() {
        std::string lines;
        for (int r = 0; r < 600000; ++r)
            lines += "1\n";
        std::istringstream in(lines);
        CsvReader reader(in, ',', CsvLimits{.bytes = 1 << 20});
        std::vector<std::string> fields;
        while (reader.next(fields)) {
        }
        QCOMPARE(QString::fromStdString(reader.error()),
                 QStringLiteral("文件超过了 1 MiB 的上限，请把它分成几个文件。"));
        std::string refusal;
        // 129 rows of 16 384 cells: two million and a few.
        const std::string wide = std::string(16383, ',') + "\n";
        QVERIFY(readCsvTable(wide + wide, &refusal).has_value());
        std::string many;
        for (int r = 0; r < 129; ++r)
            many += wide;
        QVERIFY(!readCsvTable(many, &refusal).has_value());
        QCOMPARE(QString::fromStdString(refusal),
                 QStringLiteral("表格超过了 2097152 个单元格的上限"));
        // 300 cells of 120 000 bytes: 36 MB of text.
        const std::string cell(120000, 'x');
        std::string text;
        for (int r = 0; r < 300; ++r)
            text += cell + "\n";
        QVERIFY(!readCsvTable(text, &refusal).has_value());
        QCOMPARE(QString::fromStdString(refusal),
                 QStringLiteral("表格的文字总共超过了 32 MiB 的上限"));
        QVERIFY(splitPastedTable("\"a\tb", &refusal).empty());
        QCOMPARE(QString::fromStdString(refusal), QStringLiteral("第 1 行的引号没有结束"));
    }

    void csv() {
        QFETCH(QString, calculation);
        QFETCH(QByteArray, file);
        QFETCH(QStringList, rows);
        const CalculatorTable* table = calculationNamed(calculation.toStdString());
        QVERIFY(table != nullptr);
        QStringList got = batchRows(*table, file);
        // Of a long file only its verdict matters.
        if (rows.size() == 1 && got.size() > 1) got = QStringList{got.last()};
        QCOMPARE(got, rows);
    }

    void pastedTable_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("two rows, a last line break") << "a\t1\nb\t2\n" << QStringList{"a|1", "b|2"};
        QTest::newRow("one column with commas") << "1,000\n2,5" << QStringList{"1,000", "2,5"};
        QTest::newRow("CRLF and an empty cell") << "a\t\t3\r\n" << QStringList{"a||3"};
        QTest::newRow("a cell quoted for its line break") << "\"x\ny\"\t1\n"
                                                          << QStringList{"x\ny|1"};
    }

    void pastedTable() {
        QFETCH(QString, text);
        QFETCH(QStringList, rows);
        QStringList got;
        for (const auto& row : splitPastedTable(text.toStdString())) {
            QStringList cells;
            for (const std::string& c : row)
                cells << QString::fromStdString(c);
            got << cells.join('|');
        }
        QCOMPARE(got, rows);
    }

    // Ours written, openpyxl's read: each cell's value and whether it is a number or a text,
    // as "n:2.763" or "s:0.781或6.999", row by row.
    void xlsxWritten_data() {
        QTest::addColumn<QStringList>("cells");  // "n:" or "s:" then the text; "|" between
        QTest::addColumn<QString>("seen");       // openpyxl's reading, the same way
        QTest::newRow("header and numbers")
            << QStringList{QStringLiteral("s:名称|s:流量Q|s:说明"), "s:K0+100|n:2.763|s:"}
            << QStringLiteral("s:名称|s:流量Q|s:说明\ns:K0+100|n:2.763|-\nw:8 8 8");
        QTest::newRow("candidates and 无解 stay texts")
            << QStringList{QStringLiteral("s:0.781或6.999|s:无解|n:-3E-06|n:1.5E+20")}
            << QStringLiteral("s:0.781或6.999|s:无解|n:-3e-06|n:1.5e+20\nw:14 8 8 9");
        QTest::newRow("a number as typed that is not one stays text")
            << QStringList{QStringLiteral("n: 1|n:１．５|n:1,000|n:.5")}
            << QStringLiteral("s: 1|s:１．５|s:1,000|n:0.5\nw:8 8 8 8");
        QTest::newRow("markup characters and a line break")
            << QStringList{"s:a<b & \"c\"\nd|s:x"} << "s:a<b & \"c\"\nd|s:x\nw:11 8";
        // "r:" a slope as typed: a ratio becomes a number shown as the ratio, else a text.
        QTest::newRow("slopes typed as ratios, and the columns' widths")
            << QStringList{QStringLiteral("s:渠段名称很长的一段渠道|s:i|s:i"),
                           QStringLiteral("s:K0+100|r:1/5000|r: １：３０００"),
                           QStringLiteral("s:x|r:0.001|r:1/2.5"),
                           QStringLiteral("s:y|r:1/0|r:2/3000")}
            << QStringLiteral(
                   "s:渠段名称很长的一段渠道|s:i|s:i\n"
                   "s:K0+100|n:0.0002 ?/5000|n:0.0003333333333333333 ?/3000\n"
                   "s:x|s:0.001|s:1/2.5\ns:y|s:1/0|s:2/3000\nw:24 8 8");
    }

    void xlsxWritten() {
        QFETCH(QStringList, cells);
        QFETCH(QString, seen);
        XlsxSheet sheet;
        for (const QString& row : cells) {
            sheet.emplace_back();
            for (const QString& cell : row.split('|')) {
                std::string text = cell.mid(2).toStdString();
                const auto ratio = cell.startsWith("r:") ? xlsxSlopeRatio(text) : std::nullopt;
                sheet.back().push_back(ratio.value_or(XlsxCell{text, cell.startsWith("n:")}));
            }
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("批量.xlsx"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const std::string bytes = writeXlsx(sheet, "水深h计算");
        file.write(bytes.data(), qsizetype(bytes.size()));
        file.close();
        const QByteArray read = python(QStringLiteral(R"(
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
assert book.sheetnames == ['水深h计算'], book.sheetnames
def show(c):
    v = c.value
    if v is None: return '-'
    if isinstance(v, (int, float)):
        shown = 'n:' + repr(v)
        return shown if c.number_format == 'General' else shown + ' ' + c.number_format
    return 's:' + v
sheet = book.active
rows = ['|'.join(show(c) for c in row) for row in sheet.iter_rows()]
widths = [sheet.column_dimensions[chr(65 + k)].width for k in range(sheet.max_column)]
print('\n'.join(rows + ['w:' + ' '.join(str(int(w)) for w in widths)]), end='')
)"),
                                       path);
        QCOMPARE(QString::fromUtf8(read), seen);
        // And ours reads ours back: every text as it was, every number the same double.
        const auto back = readXlsx(bytes);
        QVERIFY(back.has_value());
        QCOMPARE(back->size(), sheet.size());
        for (std::size_t r = 0; r < sheet.size(); ++r) {
            for (std::size_t c = 0; c < sheet[r].size(); ++c) {
                const XlsxCell& cell = sheet[r][c];
                const QString again =
                    QString::fromStdString(c < (*back)[r].size() ? (*back)[r][c] : std::string());
                const QString wrote = QString::fromStdString(cell.text);
                if (cell.number && isXlsxNumber(cell.text)) {
                    QCOMPARE(std::bit_cast<quint64>(again.toDouble()),
                             std::bit_cast<quint64>(wrote.toDouble()));
                } else {
                    QCOMPARE(again, wrote);
                }
            }
        }
    }

    // openpyxl's written (shared strings, numbers as Python writes them, gaps, a second sheet),
    // ours read.
    void xlsxRead_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("header, numbers, a gap, a second sheet")
            << QStringLiteral(R"(
ws = book.active
ws.append(['名称', 'Q', 'b', 'm', 'i', 'n'])
ws.append(['渠段1', 10, 5, 1.5, 0.0005, 0.025])
ws['A4'] = '渠段3'
ws['F4'] = 1e-05
book.create_sheet('其他')['A1'] = 'not this one'
)")
            << QStringList{QStringLiteral("名称|Q|b|m|i|n"),
                           QStringLiteral("渠段1|10|5|1.5|0.0005|0.025"), "",
                           QStringLiteral("渠段3|||||0.00001")};
        // openpyxl writes a formula without its value, which reads as an empty cell; what a
        // spreadsheet writes for runs and values is in xlsxMarkup.
        QTest::newRow("markup characters, a boolean, a formula without its value")
            << QStringLiteral(R"(
ws = book.active
ws['A1'] = 'a & <b>'
ws['B1'] = True
ws['C1'] = '=1+1'
)") << QStringList{"a & <b>|TRUE|"};
    }

    void xlsxRead() {
        QFETCH(QString, script);
        QFETCH(QStringList, rows);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("theirs.xlsx"));
        QCOMPARE(python("import sys, openpyxl\nbook = openpyxl.Workbook()\n" + script +
                            "\nbook.save(sys.argv[1])\n",
                        path),
                 QByteArray());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const auto sheet = readXlsx(file.readAll().toStdString());
        QVERIFY(sheet.has_value());
        QStringList got;
        for (const auto& row : *sheet) {
            QStringList line;
            for (const std::string& c : row)
                line << QString::fromStdString(c);
            got << line.join('|');
        }
        QCOMPARE(got, rows);
        QVERIFY(!readXlsx("PK not really").has_value());
    }

    // What a spreadsheet writes that openpyxl does not: runs of rich text, in a shared string
    // and inline, with a phonetic guide left out; a formula with its last computed value.
    void xlsxMarkup_data() {
        QTest::addColumn<QString>("cells");  // the XML of row 1's cells
        QTest::addColumn<QString>("row");
        QTest::newRow("rich text, shared")
            << R"(<c r="A1" t="s"><v>1</v></c>)" << QStringLiteral("渠段一号");
        QTest::newRow("rich text, inline")
            << R"(<c r="B1" t="inlineStr"><is><r><t>a</t></r><r><rPr><b/></rPr>)"
               R"(<t xml:space="preserve"> &amp; b</t></r></is></c>)"
            << "|a & b";
        QTest::newRow("a formula's value, a number")
            << R"(<c r="A1"><f>1+1</f><v>2</v></c><c r="C1"><f>1/4</f><v>0.25</v></c>)"
            << "2||0.25";
        QTest::newRow("a formula's value, a text and a boolean")
            << R"(<c r="A1" t="str"><f>"x"&amp;"y"</f><v>xy</v></c>)"
               R"(<c r="B1" t="b"><f>1=1</f><v>1</v></c>)"
            << "xy|TRUE";
    }

    void xlsxMarkup() {
        QFETCH(QString, cells);
        QFETCH(QString, row);
        ZipWriter zip;
        zip.add("xl/worksheets/sheet1.xml", "<worksheet><sheetData><row r=\"1\">" +
                                                cells.toStdString() +
                                                "</row></sheetData></worksheet>");
        zip.add("xl/sharedStrings.xml",
                "<sst><si><t>unused</t></si><si><r><t>渠段</t></r><r><rPr><i/></rPr><t>一号</t></r>"
                "<rPh sb=\"0\" eb=\"2\"><t>qudan</t></rPh></si></sst>");
        std::string said;
        const auto sheet = readXlsx(zip.finish(), &said);
        QVERIFY2(sheet.has_value(), said.c_str());
        QCOMPARE(sheet->size(), std::size_t{1});
        QStringList got;
        for (const std::string& c : sheet->front())
            got << QString::fromStdString(c);
        QCOMPARE(got.join('|'), row);
    }

    // Workbooks made to exhaust the reader: each refused with its sentence, nothing thrown.
    void xlsxRefused_data() {
        QTest::addColumn<QByteArray>("workbook");
        QTest::addColumn<QString>("refusal");
        const auto qb = [](const std::string& s) {
            return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
        };
        QTest::newRow("291 bytes that claim 0xFFFFFFF0")
            << qb(hostile::claimedSize(0xFFFFFFF0)) << "解压后有 4095 MiB，超过了 64 MiB 的上限";
        QTest::newRow("a deflate bomb") << qb(hostile::deflateBomb(200)) << "超过了 64 MiB 的上限";
        QTest::newRow("30 000 one-cell rows at XFD")
            << qb(hostile::cellsAtXfd(30000))
            << "工作表太大：连同每行最后一个单元格之前的空单元格，超过了 2097152 个单元格的上限";
        QTest::newRow("400 jumps in row number")
            << qb(hostile::rowJumps(400, 1048000)) << "工作表的行号 2096001 超出了最后一行 1048576";
        QTest::newRow("a row number that overflows")
            << qb(hostile::sheetOnly("<sheetData><row r=\"99999999999999999999999\"/></sheetData>"))
            << "工作表的行号 1048577 超出了最后一行 1048576";
        QTest::newRow("a reference ZZZZZZZZZZZZ1")
            << qb(hostile::cellAt("ZZZZZZZZZZZZ")) << "单元格引用“ZZZZZZZZZZZZ1”超出了最后一列 XFD";
        QTest::newRow("a reference one past XFD")
            << qb(hostile::cellAt("XFE")) << "单元格引用“XFE1”超出了最后一列 XFD";
        QTest::newRow("a cell past XFD by having no reference")
            << qb(hostile::sheetOnly("<sheetData><row><c r=\"XFD1\"><v>1</v></c><c><v>2</v></c>"
                                     "</row></sheetData>"))
            << "工作表的一行超出了最后一列 XFD";
        QTest::newRow("a text longer than a cell holds")
            << qb(hostile::sheetOnly("<sheetData><row><c t=\"inlineStr\"><is><t>" +
                                     std::string(131069, 'x') + "</t></is></c></row></sheetData>"))
            << "有一段文字超过了 32767 个字符";
        // One shared string of 100 000 bytes in 400 cells: 40 MB of text from 100 KB.
        std::string cells;
        for (int c = 0; c < 400; ++c)
            cells += "<c t=\"s\"><v>0</v></c>";
        ZipWriter shared;
        shared.add("xl/worksheets/sheet1.xml", "<sheetData><row>" + cells + "</row></sheetData>");
        shared.add("xl/sharedStrings.xml",
                   "<sst><si><t>" + std::string(100000, 'x') + "</t></si></sst>");
        QTest::newRow("a long shared string in many cells")
            << qb(shared.finish()) << "工作表的文字总共超过了 32 MiB 的上限";
        std::string items;
        // Each its own, so that they deflate as ordinary text does.
        for (std::size_t k = 0; k <= (std::size_t{1} << 20); ++k)
            items += "<si><t>" + std::to_string(k * 7919) + "</t></si>";
        ZipWriter strings;
        strings.add("xl/worksheets/sheet1.xml", "<sheetData/>");
        strings.add("xl/sharedStrings.xml", "<sst>" + items + "</sst>");
        QTest::newRow("1 048 577 shared strings")
            << qb(strings.finish()) << "工作簿的共享字符串超过了 1048576 个的上限";
        ZipWriter nothing;
        nothing.add("xl/workbook.xml", "<workbook/>");
        QTest::newRow("no sheet") << qb(nothing.finish()) << "文件中没有工作表";
        QTest::newRow("no container") << QByteArray("PK not really") << "文件不是完好的 ZIP 容器";
    }

    void xlsxRefused() {
        QFETCH(QByteArray, workbook);
        QFETCH(QString, refusal);
        std::string said;
        QVERIFY(!readXlsx(workbook.toStdString(), &said).has_value());
        QVERIFY2(QString::fromStdString(said).contains(refusal), said.c_str());
    }

    // What the bounds still let through: a sheet's last column and row, and jumps in row
    // number that stay within it, whose skipped rows cost a slot each and no cell.
    void xlsxWithinBounds() {
        std::string said;
        const auto last = readXlsx(hostile::cellAt("XFD"), &said);
        QVERIFY2(last.has_value(), said.c_str());
        QCOMPARE(last->size(), std::size_t{1});
        QCOMPARE(last->front().size(), std::size_t{16384});
        QCOMPARE(last->front().back(), std::string("1"));
        const auto jumps = readXlsx(hostile::rowJumps(400, 2600), &said);
        QVERIFY2(jumps.has_value(), said.c_str());
        QCOMPARE(jumps->size(), std::size_t{1 + 399 * 2600});
        QCOMPARE(jumps->back(), std::vector<std::string>{"1"});
        QVERIFY(said.empty());
    }

    // Every file is written whole or not at all: where it cannot be written, a file already
    // there keeps every byte, no temporary file is left beside it, and the reason says why.
    void wholeFile_data() {
        QTest::addColumn<QString>("file");    // in a folder holding old.csv and sub/
        QTest::addColumn<bool>("giveUp");     // the writer stops halfway and reports it
        QTest::addColumn<QString>("reason");  // what the sentence says; empty when written
        QTest::newRow("a new file") << "new.csv" << false << QString();
        QTest::newRow("over an older file") << "old.csv" << false << QString();
        QTest::newRow("into a folder that is not there")
            << "none/new.csv" << false << QStringLiteral("none”不存在");
        QTest::newRow("into a file as if a folder")
            << "old.csv/new.csv" << false << QStringLiteral("old.csv”不是文件夹");
        QTest::newRow("onto a folder") << "sub" << false << QStringLiteral("同名的文件夹已经存在");
        QTest::newRow("a writer that gives up halfway, over an older file")
            << "old.csv" << true << QStringLiteral("无法生成文件的内容");
        QTest::newRow("a writer that gives up halfway, a new file")
            << "new.csv" << true << QStringLiteral("无法生成文件的内容");
        QTest::newRow("into a folder without the right to write")
            << "sub/new.csv" << false << QStringLiteral("sub”中写文件的权限");
    }
    void wholeFile() {
        QFETCH(QString, file);
        QFETCH(bool, giveUp);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QByteArray older("名称,b\r\n\0\xff", 13);
        {
            QFile old(dir.filePath(QStringLiteral("old.csv")));
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write(older) == older.size());
        }
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        if (reason.contains(QStringLiteral("权限"))) {
            // The superuser writes anywhere.
            QFile sub(dir.filePath(QStringLiteral("sub")));
            QVERIFY(sub.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
            if (QFileInfo(sub.fileName()).isWritable()) QSKIP("this user may write anywhere");
        }
        const std::string bytes(100000, 'x');  // more than a write buffer holds
        const QString path = dir.filePath(file);
        const QString why =
            giveUp ? writeWholeFile(path,
                                    [&bytes](QIODevice& device) {
                                        device.write(bytes.data(), qint64(bytes.size() / 2));
                                        return false;
                                    })
                   : writeWholeFile(path, bytes);
        QFile::setPermissions(dir.filePath(QStringLiteral("sub")), QFileDevice::ReadOwner |
                                                                       QFileDevice::WriteOwner |
                                                                       QFileDevice::ExeOwner);
        QFile old(dir.filePath(QStringLiteral("old.csv")));
        QVERIFY(old.open(QIODevice::ReadOnly));
        const QByteArray oldNow = old.readAll();
        const QStringList left =
            QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        const QStringList sub =
            QDir(dir.filePath(QStringLiteral("sub"))).entryList(QDir::Files | QDir::NoDotAndDotDot);
        if (reason.isEmpty()) {
            QVERIFY2(why.isEmpty(), qPrintable(why));
            QFile written(path);
            QVERIFY(written.open(QIODevice::ReadOnly));
            QCOMPARE(written.readAll(), QByteArray::fromStdString(bytes));
            QCOMPARE(oldNow == older, file != QStringLiteral("old.csv"));
            QCOMPARE(left.size(), file == QStringLiteral("old.csv") ? 2 : 3);
            return;
        }
        QVERIFY2(why.startsWith(
                     QStringLiteral("无法写入文件“%1”：").arg(QDir::toNativeSeparators(path))),
                 qPrintable(why));
        QVERIFY2(why.contains(reason), qPrintable(why));
        QCOMPARE(why.contains(QStringLiteral("原有的文件没有改动")), QFileInfo::exists(path));
        QCOMPARE(oldNow, older);
        QCOMPARE(left, (QStringList{QStringLiteral("old.csv"), QStringLiteral("sub")}));
        QCOMPARE(sub, QStringList());
    }
};

QTEST_GUILESS_MAIN(FormatsTest)
#include "test_formats.moc"
