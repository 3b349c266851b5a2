// The calculation book from a calculator window, on the offscreen platform: it opens from
// the window's context menu, from a label's and a field's, and from F9; it follows each new
// press while it is open and goes away with its window.

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <memory>

#include "calculators/catalogue.h"
#include "shell/application.h"
#include "shell/calculator_window.h"
#include "shell/report_window.h"

using namespace lintavo;

namespace {

enum class Opening { Shortcut, Background, Label, InputField, ResultField };

// Chooses "计算书…" in the context menu that the right-click brings up; false when no menu
// came up or it had no such entry.
bool chooseReportFromContextMenu(QWidget* target, QPoint at) {
    bool chosen = false;
    QTimer::singleShot(0, target, [&chosen] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) return;
        const QList<QAction*> actions = menu->actions();
        // The book is the last entry: after the field's own ones, where it has them.
        if (!actions.isEmpty() && actions.back()->text() == QStringLiteral("计算书…")) {
            chosen = true;
            actions.back()->trigger();
        }
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
    QApplication::processEvents();
    return chosen;
}

QWidget* targetFor(CalculatorWindow& w, Opening opening) {
    const FormTable& form = w.table().window;
    switch (opening) {
        case Opening::Label:
            for (const ControlRow& row : form.controls) {
                if (row.kind == ControlKind::Label) return w.control(row.name);
            }
            return nullptr;
        case Opening::InputField:
            return w.field(rowsWith(form, Role::Input).front()->name);
        case Opening::ResultField:
            return w.field(rowsWith(form, Role::Output).front()->name);
        default:
            return &w;
    }
}

void type(CalculatorWindow& w, const QStringList& inputs) {
    const auto rows = rowsWith(w.table().window, Role::Input);
    for (std::size_t k = 0; k < rows.size(); ++k)
        w.field(rows[k]->name)->setText(inputs.value(static_cast<qsizetype>(k)));
}

}  // namespace

class ReportWindowTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() { prepareApplication(*qApp); }

    void opens_data() {
        QTest::addColumn<int>("calculator");
        QTest::addColumn<Opening>("opening");
        const std::pair<const char*, Opening> openings[] = {
            {"F9", Opening::Shortcut},
            {"background", Opening::Background},
            {"label", Opening::Label},
            {"input field", Opening::InputField},
            {"result field", Opening::ResultField},
        };
        int k = 0;
        for (const CalculatorTable& table : calculations()) {
            for (const auto& [name, opening] : openings) {
                QTest::addRow("%s, %s", table.window.name.data(), name) << k << opening;
            }
            ++k;
        }
    }

    void opens() {
        QFETCH(int, calculator);
        QFETCH(Opening, opening);
        CalculatorWindow w(calculations()[static_cast<std::size_t>(calculator)]);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.reportWindow() == nullptr);  // nothing of the book is made before it is asked for
        if (opening == Opening::Shortcut) {
            w.activateWindow();
            QTest::keyClick(&w, reportShortcut);
        } else {
            QWidget* target = targetFor(w, opening);
            QVERIFY(target != nullptr);
            QVERIFY(chooseReportFromContextMenu(target, QPoint(2, 2)));
        }
        QVERIFY(w.reportWindow() != nullptr);
        QVERIFY(w.reportWindow()->isVisible());
        // Before any press the book says so, and names the calculation.
        const QString text = w.reportWindow()->view()->toPlainText();
        QVERIFY2(text.contains(QStringLiteral("尚未计算")), qPrintable(text));
        QVERIFY(text.contains(QString::fromUtf8(
            w.table().window.title.data(), static_cast<qsizetype>(w.table().window.title.size()))));
        // The result fields say how to reach it.
        for (const ControlRow* row : rowsWith(w.table().window, Role::Output))
            QVERIFY(w.field(row->name)->toolTip().contains(QStringLiteral("F9")));
    }

    void follows_data() {
        QTest::addColumn<int>("calculator");
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("second");
        QTest::addColumn<bool>("secondFails");
        const auto list = [](std::initializer_list<const char*> texts) {
            QStringList l;
            for (const char* t : texts)
                l.append(QString::fromUtf8(t));
            return l;
        };
        QTest::newRow("discharge, new depth") << 0 << list({"2", "1", "1", "0.001", "0.025"})
                                              << list({"2", "1.5", "1", "0.001", "0.025"}) << false;
        QTest::newRow("discharge, then b and h zero")
            << 0 << list({"2", "1", "1", "0.001", "0.025"})
            << list({"0", "0", "1", "0.001", "0.025"}) << true;
        QTest::newRow("normal depth, new discharge")
            << 1 << list({"2.763", "2", "1", "0.001", "0.025"})
            << list({"5", "2", "1", "0.001", "0.025"}) << false;
        QTest::newRow("bottom slope, then a letter")
            << 3 << list({"2.763", "2", "1", "1", "0.025"})
            << list({"2.763", "x", "1", "1", "0.025"}) << true;
        QTest::newRow("section, new velocity")
            << 4 << list({"10", "0.5", "1.5", "0.0004", "0.025"})
            << list({"10", "0.45", "1.5", "0.0004", "0.025"}) << false;
    }

    // Whatever the press wrote is in the book; a failed press's book says it failed.
    void follows() {
        QFETCH(int, calculator);
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QFETCH(bool, secondFails);
        CalculatorWindow w(calculations()[static_cast<std::size_t>(calculator)]);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        type(w, first);
        w.compute();
        w.openReport();
        const auto outputs = rowsWith(w.table().window, Role::Output);
        const auto holdsResults = [&] {
            const QString text = w.reportWindow()->view()->toPlainText();
            for (const ControlRow* row : outputs) {
                if (!text.contains(w.field(row->name)->text())) return false;
            }
            return text.contains(QStringLiteral("计算结果"));
        };
        QVERIFY(holdsResults());
        const QString before = w.reportWindow()->view()->toPlainText();
        type(w, second);
        if (secondFails) {
            // The failure report is modal: dismiss it when it comes up.
            QTimer::singleShot(0, &w, [] {
                if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
            });
        }
        w.compute();
        const QString after = w.reportWindow()->view()->toPlainText();
        QVERIFY(after != before);
        if (secondFails) {
            QVERIFY2(after.contains(QStringLiteral("计算失败")), qPrintable(after));
        } else {
            QVERIFY(holdsResults());
        }
        // It leaves with its window, as on 返回, which hides the window.
        w.hide();
        QVERIFY(!w.reportWindow()->isVisible());
    }

    void copies_data() {
        QTest::addColumn<int>("calculator");
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<int>("drawings");  // images the HTML carries inside it
        QTest::newRow("discharge: section and rating curve")
            << 0
            << QStringList{QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("1"),
                           QStringLiteral("0.001"), QStringLiteral("0.025")}
            << 2;
        QTest::newRow("discharge, level bed: a curve of no discharge")
            << 0
            << QStringList{QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("1"),
                           QStringLiteral("0"), QStringLiteral("0.025")}
            << 2;
        QTest::newRow("section: one candidate")
            << 4
            << QStringList{QStringLiteral("10"), QStringLiteral("0.5"), QStringLiteral("1.5"),
                           QStringLiteral("0.0004"), QStringLiteral("0.025")}
            << 2;
    }

    // 复制 puts HTML with the drawings inside it, for a word processor, and the plain text
    // with the written results, for a text editor.
    void copies() {
        QFETCH(int, calculator);
        QFETCH(QStringList, inputs);
        QFETCH(int, drawings);
        CalculatorWindow w(calculations()[static_cast<std::size_t>(calculator)]);
        type(w, inputs);
        w.compute();
        w.openReport();
        QGuiApplication::clipboard()->clear();
        w.reportWindow()->copy();
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        QVERIFY(mime != nullptr);
        QVERIFY(mime->hasHtml());
        QCOMPARE(mime->html().count(QStringLiteral("src=\"data:image/png;base64,")), drawings);
        QVERIFY(mime->html().contains(QStringLiteral("<table")));
        for (const ControlRow* row : rowsWith(w.table().window, Role::Output)) {
            const QString written = w.field(row->name)->text();
            QVERIFY2(mime->text().contains(written), qPrintable(mime->text()));
            QVERIFY(mime->html().contains(written));
        }
    }
};

QTEST_MAIN(ReportWindowTest)
#include "test_report_window.moc"
