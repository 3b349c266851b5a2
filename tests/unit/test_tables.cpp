// Every calculator table checks itself: its roles sit on controls of the right kind, its Tab
// indexes are unique, its inputs are in the order its press reads them, and each main-window
// button opens exactly one table. A sixth calculation, defined only here, is added to the
// catalogue and checked with the others; and the book, the report, the batch and the lookup
// by name serve it with nothing more than its table.

#include <QTest>
#include <algorithm>
#include <set>
#include <string>

#include "book/report.h"
#include "book/report_json.h"
#include "calculators/batch.h"
#include "calculators/catalogue.h"
#include "calculators/menu_table.h"
#include "hydraulics/quantities.h"
#include "tests/unit/press_checks.h"
#include "tests/unit/sixth_calculation.h"

using namespace lintavo;
using namespace lintavo::testing;

Q_DECLARE_METATYPE(const lintavo::CalculatorTable*)

namespace {

// Before any test takes the list.
const bool sixthAdded = addCalculation(sixthCalculation);

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The quantity symbol of a field: "bpm3" → 'm'.
char symbolOf(std::string_view field) {
    for (const Quantity& q : quantities) {
        if (field.substr(0, q.prefix.size()) == q.prefix) return q.symbol;
    }
    return '?';
}

}  // namespace

class TablesTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase_data() {
        QTest::addColumn<const CalculatorTable*>("table");
        for (const CalculatorTable& table : calculations())
            QTest::newRow(table.window.name.data()) << &table;
    }

    void rolesSitOnControlsOfTheirKind() {
        QFETCH_GLOBAL(const CalculatorTable*, table);
        for (const ControlRow& row : table->window.controls) {
            switch (row.role.kind) {
                case Role::Input:
                case Role::Output:
                    QVERIFY2(row.kind == ControlKind::Field, row.name.data());
                    QVERIFY2(symbolOf(row.name) != '?', row.name.data());
                    break;
                case Role::Compute:
                case Role::Return:
                case Role::End:
                    QVERIFY2(row.kind == ControlKind::Button, row.name.data());
                    break;
                case Role::None:
                    QVERIFY2(row.kind != ControlKind::Field && row.kind != ControlKind::Button,
                             qPrintable(qs(row.name) + QStringLiteral(" has no role")));
                    break;
            }
        }
        for (Role button : {computeButton, returnButton, endButton}) {
            QCOMPARE(std::count_if(table->window.controls.begin(), table->window.controls.end(),
                                   [button](const ControlRow& row) { return row.role == button; }),
                     1);
        }
        for (Role::Kind kind : {Role::Input, Role::Output}) {
            const auto rows = rowsWith(table->window, kind);
            QVERIFY(!rows.empty());
            for (std::size_t k = 0; k < rows.size(); ++k)
                QCOMPARE(rows[k]->role.order, static_cast<int>(k));
        }
    }

    void tabIndexesAreUnique() {
        QFETCH_GLOBAL(const CalculatorTable*, table);
        std::set<int> seen;
        for (const ControlRow& row : table->window.controls) {
            if (row.tab == NoTab) continue;
            QVERIFY2(seen.insert(row.tab).second,
                     qPrintable(QStringLiteral("tab %1 twice").arg(row.tab)));
        }
    }

    // The press keeps which quantity it read at each place; the field at that place must
    // hold that quantity. And a bad text in each input, in turn, is named as that input.
    void inputsAreInReadingOrder() {
        QFETCH_GLOBAL(const CalculatorTable*, table);
        const auto inputs = rowsWith(table->window, Role::Input);
        Record record;
        runPress(table->press, Texts(inputs.size(), "1"), record);
        QCOMPARE(record.inputs.size(), inputs.size());
        for (std::size_t k = 0; k < inputs.size(); ++k) {
            QCOMPARE(record.inputs[k].symbol, symbolOf(inputs[k]->name));
            Texts texts(inputs.size(), "1");
            texts[k] = "x";
            expectFailure(table->press, texts, FailureKind::TypeMismatch, k);
        }
    }

    void outputsAreInWritingOrder() {
        QFETCH_GLOBAL(const CalculatorTable*, table);
        const auto outputs = rowsWith(table->window, Role::Output);
        // Inputs for which every calculation succeeds: Q 10, v 1, b 2, h 1, m 1, i 0.001,
        // n 0.025, r 1, α 1°, D 5 (a pipe that carries 10 m³/s part full), each field by its
        // quantity.
        const auto text = [](char symbol) -> std::string {
            switch (symbol) {
                case 'D':
                    return "5";
                case 'i':
                    return "0.001";
                case 'n':
                    return "0.025";
                case 'Q':
                    return "10";
                case 'b':
                    return "2";
                default:
                    return "1";
            }
        };
        Texts texts;
        for (const ControlRow* row : rowsWith(table->window, Role::Input))
            texts.push_back(text(symbolOf(row->name)));
        Record record;
        QVERIFY(runPress(table->press, texts, record).has_value());
        QCOMPARE(record.results.size(), outputs.size());
        for (std::size_t k = 0; k < outputs.size(); ++k)
            QCOMPARE(record.results[k].symbol, symbolOf(outputs[k]->name));
    }

    void everyMenuButtonOpensOneTable() {
        for (const ControlRow& row : menu::menuControls) {
            // 衬砌渠道 opens, from the menu that drops from it, the tables that name no button;
            // 渠道纵断面 opens the canal window, which is no calculator's.
            if (row.kind != ControlKind::Button || row.name == menu::linedSections ||
                row.name == menu::canalProfile)
                continue;
            const auto opened =
                std::count_if(calculations().begin(), calculations().end(),
                              [&](const CalculatorTable& t) { return t.opener == row.name; });
            QCOMPARE(opened, row.role == endButton ? 0 : 1);
        }
        for (const CalculatorTable& table : calculations()) {
            // No button yet: the sixth, and the section shapes', reached by their aliases.
            if (table.window.title == sixthCalculation.window.title || table.opener.empty())
                continue;
            const ControlRow* opener = nullptr;
            for (const ControlRow& row : menu::menuControls) {
                if (row.name == table.opener) opener = &row;
            }
            QVERIFY2(opener != nullptr && opener->kind == ControlKind::Button,
                     table.window.name.data());
        }
        // The lined button is a button of the menu that walks no Tab order but the seed's.
        const auto lined =
            std::find_if(std::begin(menu::menuControls), std::end(menu::menuControls),
                         [](const ControlRow& row) { return row.name == menu::linedSections; });
        QVERIFY(lined != std::end(menu::menuControls));
        QCOMPARE(lined->kind, ControlKind::Button);
        QCOMPARE(lined->tab, NoTab);
        // So is the canal window's, beside it.
        const auto canal =
            std::find_if(std::begin(menu::menuControls), std::end(menu::menuControls),
                         [](const ControlRow& row) { return row.name == menu::canalProfile; });
        QVERIFY(canal != std::end(menu::menuControls));
        QCOMPARE(canal->kind, ControlKind::Button);
        QCOMPARE(canal->tab, NoTab);
    }

    // The sixth calculation, added by its table alone, is found by its title and its alias,
    // gets a book with its steps and results, a report, and a batch run; the list refuses it
    // a second time.
    void aSixthCalculationNeedsOnlyItsTable() {
        QFETCH_GLOBAL(const CalculatorTable*, table);
        if (table->window.title != sixthCalculation.window.title) QSKIP("只查第六个计算");
        QVERIFY(sixthAdded);
        QCOMPARE(calculations().size(), std::size_t{12});
        QVERIFY(!addCalculation(sixthCalculation));
        QCOMPARE(calculationNamed("velocity"), table);
        QCOMPARE(calculationNamed("流速v计算"), table);
        QCOMPARE(qs(calculationAlias(*table)), QStringLiteral("velocity"));

        // Q 3, b 2, h 1, m 1: A = 3, v = 1.
        const Texts inputs{"3", "2", "1", "1"};
        Record record;
        const auto written = runPress(table->press, inputs, record);
        QVERIFY(written.has_value());
        QCOMPARE(*written, Texts{"1"});
        const std::string book = plainText(buildReport(*table, record, "", ""));
        for (const char* part : {"流速v计算", "过水断面面积", "(2 + 1 × 1) × 1", "流速v", "m/s"})
            QVERIFY2(book.find(part) != std::string::npos, part);
        const std::string json = reportJson(*table, record);
        QVERIFY2(json.find("\"outcome\":\"ok\"") != std::string::npos, json.c_str());
        QVERIFY2(json.find("\"v\":\"1\"") != std::string::npos, json.c_str());

        // A failure is explained by its own table: A = 0.
        runPress(table->press, Texts{"3", "0", "0", "1"}, record);
        QVERIFY(record.failure.has_value());
        QVERIFY(plainText(buildReport(*table, record, "", "")).find("A = 0") != std::string::npos);

        // The batch: its columns from its fields, a header mapped, a row computed.
        const std::vector<std::string> columns = batchColumns(*table);
        QCOMPARE(columns, (std::vector<std::string>{"名称", "流量Q", "底宽b", "水深h", "边坡系数m",
                                                    "流速v", "说明"}));
        const std::vector<std::string> header{"m", "h", "b", "Q", "名称"};
        const auto mapped = mapHeader(*table, header);
        QVERIFY(std::holds_alternative<ColumnMap>(mapped));
        std::vector<std::string> row;
        QVERIFY(computeRow(*table, std::get<ColumnMap>(mapped),
                           std::vector<std::string>{"1", "1", "2", "3", "渠段"}, row));
        QCOMPARE(row, (std::vector<std::string>{"渠段", "3", "2", "1", "1", "1", ""}));
    }
};

QTEST_APPLESS_MAIN(TablesTest)
#include "test_tables.moc"
