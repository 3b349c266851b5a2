// The calculation book from a calculator window, on the offscreen platform: it opens from
// the window's context menu, from a label's and a field's, and from F9; it follows each new
// press while it is open and goes away with its window.

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <tuple>

#include "calculators/catalogue.h"
#include "calculators/summary.h"
#include "canal/profile.h"
#include "canal/standard_data.h"
#include "shell/application.h"
#include "shell/book_settings.h"
#include "shell/calculator_window.h"
#include "shell/canal_book_files.h"
#include "shell/design_settings.h"
#include "shell/exports.h"
#include "shell/report_document.h"
#include "shell/report_window.h"
#include "shell/shell.h"
#include "standard/schemes.h"
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

    void initTestCase() {
        // The test suite gives every test settings of its own (XDG_CONFIG_HOME), which may hold
        // what a user keeps; run by hand, Qt's scratch folder instead, never the user's.
        if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
            QStandardPaths::setTestModeEnabled(true);
        prepareApplication(*qApp);
    }

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

    void hint_data() {
        QTest::addColumn<QString>("way");  // how the user finds what the forms do not show
        for (const char* way : {"F9", "window menu", "field menu", "Ctrl+B", "校核设置…"})
            QTest::newRow(way) << QString::fromUtf8(way);
    }

    // The line under the buttons tells where the book and the rest are until the user has once
    // found one of them, in any window, and from then on it does not; what a press says takes
    // the line first, and notice() is only that.
    void hint() {
        QFETCH(QString, way);
        QSettings().remove(QStringLiteral("hints"));
        CalculatorWindow w(calculations()[0]);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.showsHint());
        QCOMPARE(w.notice(), QString());
        QVERIFY(w.button(rowWith(w.table().window, computeButton)->name)
                    ->toolTip()
                    .contains(QStringLiteral("Ctrl+B")));
        // A press that has something to say (that the results shown are the last ones) takes
        // the line, and gives it back.
        const QStringList good{QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("1"),
                               QStringLiteral("0.001"), QStringLiteral("0.025")};
        type(w, good);
        w.compute();
        QVERIFY(w.showsHint());
        type(w, QStringList{QStringLiteral("0"), QStringLiteral("0")} + good.mid(2));
        watchdog_.expect();
        w.compute();
        QVERIFY(!w.notice().isEmpty());
        QVERIFY(!w.showsHint());
        type(w, good);
        w.compute();
        QCOMPARE(w.notice(), QString());
        QVERIFY(w.showsHint());
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        if (way == QStringLiteral("F9")) {
            QTest::keyClick(&w, reportShortcut);
        } else if (way == QStringLiteral("Ctrl+B")) {
            QTest::keyClick(&w, Qt::Key_B, Qt::ControlModifier);
        } else if (way.endsWith(QStringLiteral("menu"))) {
            QWidget* target = way.startsWith(QStringLiteral("field"))
                                  ? targetFor(w, Opening::InputField)
                                  : static_cast<QWidget*>(&w);
            // The menu closes at once: opening it is finding it.
            QTimer::singleShot(0, &w, [] {
                if (QWidget* menu = QApplication::activePopupWidget()) menu->close();
            });
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                                    target->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(target, &event);
        } else {
            watchdog_.expect();
            for (QAction* action : w.actions()) {
                if (action->text() == way) action->trigger();
            }
        }
        QApplication::processEvents();
        QVERIFY(!w.showsHint());
        QCOMPARE(w.notice(), QString());
        w.hide();
        CalculatorWindow other(calculations()[1]);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QVERIFY(!other.showsHint());
        QSettings().remove(QStringLiteral("hints"));
    }

    void follows_data() {
        QTest::addColumn<int>("calculator");
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("second");
        QTest::addColumn<bool>("secondFails");
        QTest::addColumn<bool>("noChannel");  // the second press's channel does not exist
        const auto list = [](std::initializer_list<const char*> texts) {
            QStringList l;
            for (const char* t : texts)
                l.append(QString::fromUtf8(t));
            return l;
        };
        QTest::newRow("discharge, new depth")
            << 0 << list({"2", "1", "1", "0.001", "0.025"})
            << list({"2", "1.5", "1", "0.001", "0.025"}) << false << false;
        QTest::newRow("discharge, then b and h zero")
            << 0 << list({"2", "1", "1", "0.001", "0.025"})
            << list({"0", "0", "1", "0.001", "0.025"}) << true << false;
        QTest::newRow("normal depth, new discharge")
            << 1 << list({"2.763", "2", "1", "0.001", "0.025"})
            << list({"5", "2", "1", "0.001", "0.025"}) << false << false;
        QTest::newRow("normal depth, then a bottom width of -5")
            << 1 << list({"2.763", "2", "1", "0.001", "0.025"})
            << list({"2.763", "-5", "1", "0.001", "0.025"}) << false << true;
        QTest::newRow("discharge, then a side slope of -1")
            << 0 << list({"2", "1", "1", "0.001", "0.025"})
            << list({"3", "1", "-1", "0.001", "0.025"}) << false << true;
        QTest::newRow("bottom slope, then a letter")
            << 3 << list({"2.763", "2", "1", "1", "0.025"})
            << list({"2.763", "x", "1", "1", "0.025"}) << true << false;
        QTest::newRow("section, new velocity")
            << 4 << list({"10", "0.5", "1.5", "0.0004", "0.025"})
            << list({"10", "0.45", "1.5", "0.0004", "0.025"}) << false << false;
    }

    // Whatever the press wrote is in the book; a failed press's book says it failed, and
    // the window marks the results it still shows as the earlier press's until the next
    // press that succeeds. A channel that does not exist is said in the window in the
    // book's own sentence.
    void follows() {
        QFETCH(int, calculator);
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QFETCH(bool, secondFails);
        QFETCH(bool, noChannel);
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
        const auto marked = [&](bool earlier) {
            for (const ControlRow* row : outputs) {
                const QLineEdit* result = w.field(row->name);
                const bool grey = result->palette().color(QPalette::Text) == QColor(112, 112, 112);
                const bool said = result->toolTip().contains(QStringLiteral("上次计算的结果"));
                if (grey != earlier || said != earlier || result->text().isEmpty()) return false;
            }
            return w.showsEarlierResults() == earlier;
        };
        QVERIFY(marked(secondFails));
        QCOMPARE(!w.notice().isEmpty(), secondFails || noChannel);
        if (noChannel) {
            QVERIFY2(w.notice().startsWith(QStringLiteral("此断面不存在")), qPrintable(w.notice()));
            QVERIFY2(after.contains(w.notice()), qPrintable(after));
        }
        // The next press that succeeds writes its results in the table's red again.
        type(w, first);
        w.compute();
        QVERIFY(marked(false));
        QVERIFY(w.field(outputs.front()->name)->palette().color(QPalette::Text) ==
                QColor(255, 0, 0));
        QCOMPARE(w.notice(), QString());
        // New design settings redo the book's checks where the reader is reading.
        QScrollBar* bar = w.reportWindow()->view()->verticalScrollBar();
        bar->setValue(bar->maximum() / 2);
        const int place = bar->value();
        QVERIFY(place > 0);
        const DesignSettings kept = designSettings();
        DesignSettings changed = kept;
        changed.minimumPercentage = 30;
        setDesignSettings(changed);
        QCOMPARE(bar->value(), place);
        setDesignSettings(kept);
        // So do the filed book's names (计算书信息): its new title, where the reader is reading.
        const BookInfo names = bookInfo();
        BookInfo titled = names;
        titled.title = "东干渠断面设计计算书";
        setBookInfo(titled);
        QCOMPARE(bar->value(), place);
        const QString book = w.reportWindow()->view()->document()->toPlainText();
        QVERIFY2(book.startsWith(QStringLiteral("东干渠断面设计计算书\n")),
                 qPrintable(book.left(40)));
        setBookInfo(names);
        QVERIFY(w.reportWindow()->findChild<QPushButton*>(QStringLiteral("bookInfo")) != nullptr);
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

    void placement_data() {
        QTest::addColumn<QRect>("screen");      // available: the screen less its panels
        QTest::addColumn<QRect>("calculator");  // its frame
        QTest::addColumn<bool>("moves");        // no strip beside, below or above has room
        const QSize calculator(569, 418);       // a calculator window with its frame
        const auto centred = [&](QRect screen) {
            return QRect(screen.center() - QPoint(calculator.width(), calculator.height()) / 2,
                         calculator);
        };
        const QRect large(0, 0, 1600, 1160), laptop(0, 0, 1366, 768), panel(0, 27, 1366, 741),
            small(0, 0, 1024, 600);
        QTest::newRow("1600×1200, centred") << large << centred(large) << false;
        QTest::newRow("1600×1200, at the left")
            << large << QRect(QPoint(0, 100), calculator) << false;
        QTest::newRow("1366×768, as 流量Q的计算 opens")
            << laptop << QRect(QPoint(401, 219), calculator) << true;
        QTest::newRow("1366×768 with a panel, centred") << panel << centred(panel) << true;
        QTest::newRow("1366×768, at the left")
            << panel << QRect(QPoint(0, 27), calculator) << false;
        QTest::newRow("1366×768, at the right")
            << panel << QRect(QPoint(1366 - 569, 100), calculator) << false;
        QTest::newRow("1366×768, partly off the bottom")
            << laptop << QRect(QPoint(2, 399), calculator) << true;
        QTest::newRow("1024×600, centred") << small << centred(small) << true;
        QTest::newRow("1024×600, at the right")
            << small << QRect(QPoint(1024 - 569, 0), calculator) << false;
        QTest::newRow("second screen at the right, centred")
            << laptop.translated(1600, 0) << centred(laptop.translated(1600, 0)) << true;
        QTest::newRow("second screen at the left, 1024×600")
            << small.translated(-1024, 168) << centred(small.translated(-1024, 168)) << true;
        QTest::newRow("portrait 768×1024")
            << QRect(0, 0, 768, 1024) << QRect(QPoint(100, 300), calculator) << true;
        QTest::newRow("calculator larger than the screen")
            << QRect(0, 0, 600, 400) << QRect(-10, -10, 620, 420) << true;
    }

    // Both within the screen; the book never smaller than the screen allows; beside the
    // calculator, covering none of it, where the screen has room for both side by side, the
    // calculator moved only where it had to be, and then keeping its height on the screen.
    void placement() {
        QFETCH(QRect, screen);
        QFETCH(QRect, calculator);
        QFETCH(bool, moves);
        const QSize preferred(784, 890), least(424, 390);
        const auto [book, moved] = bookPlacement(screen, calculator, preferred, least);
        const auto shown = [](QRect r) {
            return qPrintable(
                QStringLiteral("%1,%2 %3×%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()));
        };
        QVERIFY2(screen.contains(book), shown(book));
        QVERIFY2(screen.contains(moved) || moved.topLeft() == screen.topLeft(), shown(moved));
        QCOMPARE(moved.size(), calculator.size());
        QCOMPARE(moved != calculator, moves);
        if (moved.left() != calculator.left() && screen.contains(moved))
            QCOMPARE(moved.top(), std::clamp(calculator.top(), screen.top(),
                                             screen.bottom() + 1 - calculator.height()));
        QVERIFY(book.width() <= preferred.width() && book.height() <= preferred.height());
        QVERIFY(book.width() >= std::min(least.width(), screen.width()));
        QVERIFY(book.height() >= std::min(least.height(), screen.height()));
        const bool room = screen.width() >= calculator.width() + 8 + least.width() ||
                          screen.height() >= calculator.height() + 8 + least.height();
        QCOMPARE(!book.intersects(moved), room);
        // Where a strip beside the calculator as it stands holds all the book would like, it
        // has it.
        if (std::max(screen.right() - calculator.right(), calculator.left() - screen.left()) - 8 >=
                preferred.width() &&
            screen.height() >= preferred.height())
            QCOMPARE(book.size(), preferred);
    }

    void narrow_data() { copies_data(); }

    // At its least size, as on a 1024-pixel screen beside its calculator, the calculation is
    // read without scrolling sideways, and every button is in view, whole.
    void narrow() {
        QFETCH(int, calculator);
        QFETCH(QStringList, inputs);
        CalculatorWindow w(calculations()[static_cast<std::size_t>(calculator)]);
        type(w, inputs);
        w.compute();
        w.openReport();
        ReportWindow& book = *w.reportWindow();
        book.resize(ReportWindow::leastSize);
        QApplication::processEvents();
        QCOMPARE(book.size(), ReportWindow::leastSize);
        // The calculation itself (the known data, the formulas, the results: the first three
        // tables) is read without scrolling sideways.
        const QTextDocument* document = book.view()->document();
        int tables = 0;
        for (QTextFrame* frame : document->rootFrame()->childFrames()) {
            auto* laid = qobject_cast<QTextTable*>(frame);
            if (laid == nullptr) continue;
            const qreal right = document->documentLayout()->frameBoundingRect(laid).right();
            QVERIFY2(right <= book.view()->viewport()->width(), qPrintable(QString::number(right)));
            if (++tables == 3) break;
        }
        QCOMPARE(tables, 3);
        for (const QPushButton* b : book.findChildren<QPushButton*>())
            QVERIFY2(book.rect().contains(b->geometry()), qPrintable(b->objectName()));
    }

    // On a screen (800×600 on the offscreen platform) smaller than the book would like, it
    // opens within it, and at its least size every button is in view.
    void fitsTheScreen() {
        CalculatorWindow w(calculations()[0]);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.openReport();
        ReportWindow* book = w.reportWindow();
        QVERIFY(book->screen()->availableGeometry().contains(book->frameGeometry()));
        const QList<QPushButton*> buttons = book->findChildren<QPushButton*>();
        QVERIFY(buttons.size() >= 4);
        for (const QSize size : {book->size(), book->minimumSizeHint(), QSize(1, 1)}) {
            book->resize(size);
            QApplication::processEvents();
            QVERIFY(book->width() <= 1024 && book->height() <= 600);
            for (const QPushButton* b : buttons)
                QVERIFY2(book->rect().contains(b->geometry()), qPrintable(b->objectName()));
        }
    }

    void exports_data() {
        QTest::addColumn<QString>("suffix");  // which export: pdf, docx or dxf
        QTest::addColumn<QString>("file");    // under a fresh folder
        QTest::addColumn<bool>("written");
        // %1 stands for the suffix.
        const std::tuple<const char*, QString, bool> places[] = {
            {"a new file", QStringLiteral("book.%1"), true},
            {"over an older file", QStringLiteral("old.%1"), true},
            {"into a folder that is not there", QStringLiteral("none/book.%1"), false},
            {"into a file as if a folder", QStringLiteral("old.%1/book.%1"), false},
            {"onto a folder", QStringLiteral("folder"), false},
        };
        for (const char* suffix : {"pdf", "docx", "dxf"}) {
            const QString s = QLatin1String(suffix);
            for (const auto& [place, name, written] : places) {
                QTest::addRow("%s, %s", suffix, place)
                    << s << (name.contains(QLatin1Char('%')) ? name.arg(s) : name) << written;
            }
        }
    }

    // The PDF, the Word document and the drawing are written whole or not at all; what was
    // there before stays byte for byte when they are not, and the window says which it was.
    void exports() {
        QFETCH(QString, suffix);
        QFETCH(QString, file);
        QFETCH(bool, written);
        QTemporaryDir dir;
        const QString oldName = QStringLiteral("old.") + suffix;
        const QByteArray older("older\0\xff", 7);
        {
            QFile old(dir.filePath(oldName));
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write(older) == older.size());
        }
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        CalculatorWindow w(calculations()[0]);
        type(w, {QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("1"),
                 QStringLiteral("0.001"), QStringLiteral("0.025")});
        w.compute();
        w.openReport();
        ReportWindow& book = *w.reportWindow();
        const QString path = dir.filePath(file);
        const bool done = suffix == QStringLiteral("pdf")    ? book.exportPdfTo(path)
                          : suffix == QStringLiteral("docx") ? book.exportWordTo(path)
                                                             : book.exportDrawingTo(path, 50);
        QCOMPARE(done, written);
        // The book's window says where the file went, in full, or why it did not.
        const QString why = book.status()->text();
        QVERIFY(book.status()->isVisible());
        QVERIFY2(why.contains(QDir::toNativeSeparators(path)), qPrintable(why));
        QCOMPARE(why.startsWith(QStringLiteral("已导出 ")), written);
        const QStringList left =
            QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        QFile old(dir.filePath(oldName));
        QVERIFY(old.open(QIODevice::ReadOnly));
        if (!written) {
            QVERIFY2(why.startsWith(QStringLiteral("无法写入文件")), qPrintable(why));
            // No temporary file left behind.
            QCOMPARE(left, (QStringList{QStringLiteral("folder"), oldName}));
            QCOMPARE(old.readAll(), older);
            return;
        }
        QCOMPARE(old.readAll() == older, path != dir.filePath(oldName));
        QCOMPARE(left.size(), path == dir.filePath(oldName) ? 2 : 3);
        QFile exported(path);
        QVERIFY(exported.open(QIODevice::ReadOnly));
        const QByteArray bytes = exported.readAll();
        const QByteArray start = suffix == QStringLiteral("pdf")    ? QByteArray("%PDF-")
                                 : suffix == QStringLiteral("docx") ? QByteArray("PK\x03\x04")
                                                                    : QByteArray("0\r\nSECTION");
        QVERIFY2(bytes.startsWith(start), bytes.left(16).constData());
    }

    void exportName_data() {
        QTest::addColumn<int>("calculator");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("name");
        QTest::newRow("discharge, the book as Word")
            << 0 << QStringLiteral("计算书") << QStringLiteral("docx") << QDate(2026, 12, 8)
            << QStringLiteral("流量Q计算-计算书-2026-12-08.docx");
        QTest::newRow("bottom slope, the book as PDF on the first of the year")
            << 3 << QStringLiteral("计算书") << QStringLiteral("pdf") << QDate(2027, 1, 1)
            << QStringLiteral("底坡i计算-计算书-2027-01-01.pdf");
        QTest::newRow("normal depth, the drawing")
            << 1 << QStringLiteral("断面图") << QStringLiteral("dxf") << QDate(2026, 2, 28)
            << QStringLiteral("明渠均匀流水深计算-断面图-2026-02-28.dxf");
        QTest::newRow("discharge, the batch")
            << 0 << QStringLiteral("批量计算") << QStringLiteral("xlsx") << QDate(2026, 12, 8)
            << QStringLiteral("流量Q计算-批量计算-2026-12-08.xlsx");
    }
    void exportName() {
        QFETCH(int, calculator);
        QFETCH(QString, what);
        QFETCH(QString, suffix);
        QFETCH(QDate, day);
        QFETCH(QString, name);
        const CalculatorTable& table = calculations()[static_cast<std::size_t>(calculator)];
        QCOMPARE(lintavo::exportName(
                     QString::fromUtf8(table.window.title.data(),
                                       static_cast<qsizetype>(table.window.title.size())),
                     what, suffix, day),
                 name);
    }

    // Every export is offered in the folder the last one went to, while that folder is there;
    // at first, and once it is gone, in Documents (the home folder where there is none).
    void exportFolders() {
        QSettings().remove(QStringLiteral("exports"));
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString first = QFileInfo(documents).isDir() ? documents : QDir::homePath();
        QCOMPARE(exportFolder(), first);
        auto dir = std::make_unique<QTemporaryDir>();
        rememberExportFolder(dir->filePath(QStringLiteral("流量Q计算-计算书-2026-12-08.pdf")));
        QCOMPARE(exportFolder(), dir->path());
        dir.reset();
        QCOMPARE(exportFolder(), first);
        QSettings().remove(QStringLiteral("exports"));
    }

    // 打印… with no printer says so and offers the PDF instead of writing one unasked.
    void printWithoutPrinter() {
        if (!QPrinterInfo::availablePrinters().isEmpty()) QSKIP("this machine has a printer");
        CalculatorWindow w(calculations()[0]);
        w.openReport();
        QString said;
        QStringList buttons;
        QTimer::singleShot(0, &w, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            said = box->text();
            for (const QAbstractButton* b : box->buttons())
                buttons.append(b->text());
            box->reject();
        });
        const QStringList before = QDir::home().entryList(QDir::Files);
        w.reportWindow()->print();
        QVERIFY2(said.contains(QStringLiteral("没有可用的打印机")), qPrintable(said));
        QVERIFY(buttons.contains(QStringLiteral("导出 PDF…")));
        QVERIFY(w.reportWindow()->status()->text().contains(QStringLiteral("没有可用的打印机")));
        QCOMPARE(QDir::home().entryList(QDir::Files), before);
    }

    // The drawings are painted by the document itself, on the screen as on paper.
    void drawsOnScreen() {
        CalculatorWindow w(calculations()[0]);
        type(w, {QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("1"),
                 QStringLiteral("0.001"), QStringLiteral("0.025")});
        w.compute();
        w.openReport();
        QTextDocument* document = w.reportWindow()->view()->document();
        const QSize size = document->size().toSize();
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        document->drawContents(&painter);
        painter.end();
        int water = 0;  // the section's light blue
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                water += image.pixel(x, y) == qRgb(0xbf, 0xdf, 0xff) ? 1 : 0;
        }
        QVERIFY2(water > 1000, qPrintable(QString::number(water)));
    }

    // 采用此方案 in a book: 流量Q计算 comes up in place of the book's window, with the row's b
    // and h rounded up at the third decimal and the press's m, i, n, and its 计算 carries at
    // least the design Q.
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
                const std::vector<StaticText> named = fieldsFor(table, std::string(1, symbol));
                if (named.size() == 1 && named.front() == rows[k]->name)
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
        // Rounded up at the third decimal (h perhaps a thousandth more), never down.
        const auto up = [](Long x) { return double(std::ceil(x * 1000) / 1000); };
        QCOMPARE(text("dkb"), QString::number(up(b), 'f', 3));
        QVERIFY2(text("ssh").toDouble() == up(h) || text("ssh").toDouble() == up(h) + 0.001,
                 qPrintable(text("ssh")));
        QCOMPARE(text("bpm"), inputs[indexOf('m')].trimmed());
        QVERIFY(std::abs(text("dpi").toDouble() / double(i) - 1) <= 1e-7);
        QCOMPARE(std::strtof(text("cln").toUtf8().constData(), nullptr), float(n));
        QVERIFY(text("llQ").isEmpty());
        QCOMPARE(checking->focusWidget(), checking->button("计算1"));
        QVERIFY2(checking->notice().contains(QStringLiteral("向上取到 3 位小数")),
                 qPrintable(checking->notice()));

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
        // Three decimals of b and h, rounded up, bring back at least the design Q and stay
        // within a per cent of it.
        const double designQ = designChannelOf(summarize(table, source->lastPress()))->Q;
        QVERIFY2(computed >= designQ && std::abs(computed / Q - 1) <= 1e-2,
                 qPrintable(QStringLiteral("%1 against %2").arg(computed).arg(double(Q))));
    }

    // The canal's book as the canal window files it: a PDF whose first page carries the
    // project and the names who sign, then the profile and a chapter for every reach, its
    // pages numbered "第 X 页 共 Y 页"; and a Word document with each reach's drawings; each
    // written whole, a file in a folder that is not there refused with the folder named.
    void canalBook() {
        const std::string file = R"({"format": "lintavo-project", "version": 1,
            "project": {"name": "南干渠改建工程", "canal": "南干渠", "designer": "张三",
                        "checker": "李四", "reviewer": "王五"},
            "levels": {"controls": [{"station": "K2+000", "ground": 1250.1, "h0": 0.15}]},
            "reaches": [
              {"name": "干1", "from": "K0+000", "to": "K1+250", "Q": "12", "b": "5", "m": "1.5",
               "i": "1/5000", "n": "0.025", "loss": "0.05"},
              {"name": "干2", "from": "K1+250", "to": "K2+000", "Q": "8", "b": "3", "m": "1.5",
               "i": "1/4000", "n": "0.025"}]})";
        const ProjectReading reading = readProject(file, builtinBedTables());
        QVERIFY2(reading.project.has_value(), reading.refusal.c_str());
        const CanalProfile profile = computeProfile(*reading.project, builtinBedTables());
        const CanalBook book = lintavo::canalBook(*reading.project, profile, builtinBedTables(),
                                                  "2026-12-09 10:30", "Lintavo 测试");
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("计算书.pdf"));
        QCOMPARE(writeCanalBookPdf(book, pdf), QString());
        const auto pageText = [&pdf](int first, int last) {
            QProcess p;
            p.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-f"), QString::number(first), QStringLiteral("-l"),
                     QString::number(last), QStringLiteral("-layout"), pdf, QStringLiteral("-")});
            p.waitForFinished(60000);
            // Blanks, the ideographic one too, as the page spaces them.
            return QString::fromUtf8(p.readAllStandardOutput())
                .remove(QRegularExpression(QStringLiteral("[ \u3000]")));
        };
        const QString cover = pageText(1, 1);
        for (const char* wanted : {"南干渠改建工程", "南干渠计算书", "张三", "李四", "王五"})
            QVERIFY2(cover.contains(QString::fromUtf8(wanted)), qPrintable(cover));
        const QString rest = pageText(2, 1000);
        for (const char* wanted :
             {"水面线推算", "第1段干1（K0+000～K1+250）", "第2段干2（K1+250～K2+000）",
              "明渠均匀流水深计算计算书", "1250.1+0.15"})
            QVERIFY2(rest.contains(QString::fromUtf8(wanted)), wanted);
        // Every page numbered against the whole: pdftotext ends each page with a form feed.
        const qsizetype pages = pageText(1, 1000).count(QChar(0x0C));
        QVERIFY(pages > 3);
        QCOMPARE(rest.count(QStringLiteral("共%1页").arg(pages)), pages - 1);

        const QString docx = dir.filePath(QStringLiteral("计算书.docx"));
        QCOMPARE(writeCanalBookDocx(book, docx), QString());
        QProcess list;
        list.start(QStringLiteral("unzip"), {QStringLiteral("-l"), docx});
        list.waitForFinished(60000);
        const QString parts = QString::fromUtf8(list.readAllStandardOutput());
        // Each reach's section and its rating curve.
        QVERIFY2(parts.contains(QStringLiteral("word/media/image4.png")), qPrintable(parts));

        const QString nowhere = dir.filePath(QStringLiteral("没有的文件夹/计算书.pdf"));
        QVERIFY(writeCanalBookPdf(book, nowhere).contains(QStringLiteral("没有的文件夹")));
        QVERIFY(!QFileInfo::exists(nowhere));
    }

  private:
    testing::ModalWatchdog watchdog_;
};

QTEST_MAIN(ReportWindowTest)
#include "test_report_window.moc"
