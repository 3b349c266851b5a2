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
#include <cmath>
#include <cstdlib>
#include <memory>

#include "calculators/catalogue.h"
#include "shell/application.h"
#include "shell/calculator_window.h"
#include "shell/report_window.h"
#include "shell/shell.h"
#include "tests/widgets/modal_watchdog.h"

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
    // A modal window the test did not announce fails it, instead of hanging it.
    void cleanup() { QVERIFY2(watchdog_.unexpected().isEmpty(), "an unexpected modal window"); }

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
            watchdog_.expect();  // the failure report
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
        QTest::newRow("discharge: section, rating curve and schemes")
            << 0
            << QStringList{QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("1"),
                           QStringLiteral("0.001"), QStringLiteral("0.025")}
            << 3;
        QTest::newRow("discharge, level bed: a curve of no discharge, no schemes")
            << 0
            << QStringList{QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("1"),
                           QStringLiteral("0"), QStringLiteral("0.025")}
            << 2;
        QTest::newRow("section: one candidate and the schemes")
            << 4
            << QStringList{QStringLiteral("10"), QStringLiteral("0.5"), QStringLiteral("1.5"),
                           QStringLiteral("0.0004"), QStringLiteral("0.025")}
            << 3;
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

    // 采用此方案 in a book: 流量Q计算 comes up in place of the book's window, with the row's b
    // and h to three decimals and the press's m, i, n, and its 计算 carries the design Q.
    void adoptsScheme_data() {
        QTest::addColumn<int>("calculator");
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("byLink");  // through the book's link rather than the call
        const auto list = [](std::initializer_list<const char*> texts) {
            QStringList l;
            for (const char* t : texts)
                l.append(QString::fromUtf8(t));
            return l;
        };
        QTest::newRow("discharge, α 1.02, link")
            << 0 << list({"4.5", "2", "1.5", "0.0002", "0.025"}) << 2 << true;
        QTest::newRow("discharge, best section")
            << 0 << list({"4.5", "2", "1.5", "0.0002", "0.025"}) << 0 << false;
        QTest::newRow("normal depth, rectangle, α 1.04")
            << 1 << list({"5", "3.5", "0", "0.000667", "0.014"}) << 4 << true;
        QTest::newRow("bottom width, α 1.01, blanks around m")
            << 2 << list({"3", "1.2", " 1.25 ", "0.0005", "0.0275"}) << 1 << false;
        QTest::newRow("bottom slope, computed i, α 1.03")
            << 3 << list({"10", "4.5", "2", "1.5", "0.025"}) << 3 << true;
        QTest::newRow("section, α 1.02")
            << 4 << list({"10", "0.65", "1.5", "0.0002", "0.025"}) << 2 << false;
    }

    void adoptsScheme() {
        QFETCH(int, calculator);
        QFETCH(QStringList, inputs);
        QFETCH(int, row);
        QFETCH(bool, byLink);
        Shell shell(calculations());
        shell.start();
        const CalculatorTable& table = calculations()[static_cast<std::size_t>(calculator)];
        shell.windows().front()->button(table.opener)->click();
        auto* source = dynamic_cast<CalculatorWindow*>(shell.windows().back());
        QVERIFY(source != nullptr && source->isVisible());
        type(*source, inputs);
        source->compute();
        QVERIFY(!source->lastPress().failure);
        source->openReport();

        // The design channel, independently: the press's inputs as singles, and the one it
        // computed from Manning's formula.
        const auto indexOf = [&](char symbol) -> qsizetype {
            const auto rows = rowsWith(table.window, Role::Input);
            for (std::size_t k = 0; k < rows.size(); ++k) {
                if (fieldsFor(table, std::string(1, symbol)) ==
                    std::vector<std::string_view>{rows[k]->name})
                    return static_cast<qsizetype>(k);
            }
            return -1;
        };
        const auto input = [&](char symbol) -> long double {
            const qsizetype k = indexOf(symbol);
            return k < 0 ? -1 : std::strtof(inputs[k].toUtf8().constData(), nullptr);
        };
        using Long = long double;
        const auto manning = [](Long b, Long h, Long m, Long i, Long n) {
            const Long A = (b + m * h) * h, P = b + 2 * h * std::sqrt(1 + m * m);
            return A * std::pow(A / P, Long(2) / 3) * std::sqrt(i) / n;
        };
        const Long m = input('m'), n = input('n');
        Long Q = input('Q'), i = input('i');
        if (Q < 0) Q = manning(input('b'), input('h'), m, i, n);
        if (i < 0) {
            const Long b = input('b'), h = input('h');
            i = std::pow(Q / manning(b, h, m, 1, n), Long(2));
        }
        const Long alpha = 1 + Long(row) / 100;
        const Long K = 2 * std::sqrt(1 + m * m) - m;
        const Long h0 =
            std::pow(Long(2), Long(0.25)) * std::pow(n * Q / (K * std::sqrt(i)), Long(0.375));
        const Long eta = std::pow(alpha, Long(2.5)) - std::sqrt(std::pow(alpha, Long(5)) - alpha);
        const Long h = eta * h0, b = (alpha * K / (eta * eta) - m) * h;

        if (byLink) {
            auto* view = const_cast<QTextBrowser*>(source->reportWindow()->view());
            Q_EMIT view->anchorClicked(QUrl(QStringLiteral("lintavo-scheme:%1").arg(row)));
        } else {
            QVERIFY(source->reportWindow()->adoptScheme(static_cast<std::size_t>(row)));
        }
        QApplication::processEvents();
        CalculatorWindow* checking = nullptr;
        for (Form* w : shell.windows()) {
            auto* c = dynamic_cast<CalculatorWindow*>(w);
            if (c != nullptr && c->table().window.title == dischargeWindow.window.title)
                checking = c;
        }
        QVERIFY(checking != nullptr);
        QVERIFY(checking->isVisible());
        QCOMPARE(source->isVisible(), checking == source);
        QVERIFY(!shell.windows().front()->isVisible());
        const auto text = [checking](const char* name) { return checking->field(name)->text(); };
        QCOMPARE(text("dkb"), QString::number(double(b), 'f', 3));
        QCOMPARE(text("ssh"), QString::number(double(h), 'f', 3));
        QCOMPARE(text("bpm"), inputs[indexOf('m')].trimmed());
        QVERIFY(std::abs(text("dpi").toDouble() / double(i) - 1) <= 1e-7);
        QCOMPARE(std::strtof(text("cln").toUtf8().constData(), nullptr), float(n));
        QVERIFY(text("llQ").isEmpty());
        QCOMPARE(checking->focusWidget(), checking->button("计算1"));

        checking->button("计算1")->click();
        const Record& press = checking->lastPress();
        QVERIFY(!press.failure);
        const Long typedQ = manning(std::strtof(text("dkb").toUtf8().constData(), nullptr),
                                    std::strtof(text("ssh").toUtf8().constData(), nullptr),
                                    std::strtof(text("bpm").toUtf8().constData(), nullptr),
                                    std::strtof(text("dpi").toUtf8().constData(), nullptr),
                                    std::strtof(text("cln").toUtf8().constData(), nullptr));
        const double computed = press.results.front().exact->number();
        QVERIFY2(std::abs(computed / typedQ - 1) <= 1e-6, qPrintable(QString::number(computed)));
        // Three decimals of b and h bring back the design Q to well within a per mille.
        QVERIFY2(std::abs(computed / Q - 1) <= 1e-3,
                 qPrintable(QStringLiteral("%1 against %2").arg(computed).arg(double(Q))));
    }

  private:
    testing::ModalWatchdog watchdog_;
};

QTEST_MAIN(ReportWindowTest)
#include "test_report_window.moc"
