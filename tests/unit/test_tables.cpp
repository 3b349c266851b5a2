// Every calculator table checks itself: its roles sit on controls of the right kind, its Tab
// indexes are unique, its inputs are in the order its press reads them, and each main-window
// button opens exactly one table.

#include <QTest>
#include <algorithm>
#include <set>
#include <string>

#include "calculators/catalogue.h"
#include "calculators/menu_table.h"
#include "hydraulics/quantities.h"
#include "tests/unit/press_checks.h"

using namespace lintavo;
using namespace lintavo::testing;

Q_DECLARE_METATYPE(const lintavo::CalculatorTable*)

namespace {

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
        // n 0.025, each field by its quantity.
        const auto text = [](char symbol) -> std::string {
            switch (symbol) {
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
            if (row.kind != ControlKind::Button) continue;
            const auto opened =
                std::count_if(calculations().begin(), calculations().end(),
                              [&](const CalculatorTable& t) { return t.opener == row.name; });
            QCOMPARE(opened, row.role == endButton ? 0 : 1);
        }
        for (const CalculatorTable& table : calculations()) {
            const ControlRow* opener = nullptr;
            for (const ControlRow& row : menu::menuControls) {
                if (row.name == table.opener) opener = &row;
            }
            QVERIFY2(opener != nullptr && opener->kind == ControlKind::Button,
                     table.window.name.data());
        }
    }
};

QTEST_APPLESS_MAIN(TablesTest)
#include "test_tables.moc"
