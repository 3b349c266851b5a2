// lintavo-driver: runs the program's real windows from a script, one command a line, and
// reports what a user would see. The base of the end-to-end tests.
//
//   click NAME          click the button NAME in the visible window; a failure report that
//                       comes up is printed as  failure<TAB>KIND<TAB>MESSAGE  and dismissed
//   type NAME TEXT      replace the text of field NAME by typing TEXT (rest of the line, or
//                       a JSON string when it starts with ")
//   paste NAME TEXT     replace the text of field NAME by pasting TEXT with Ctrl+V
//   key KEY             Tab, Backtab, Return, Enter, Space or Escape to the focused widget
//   close WINDOW        close WINDOW as its title bar would
//   print NAME          print  NAME<TAB>TEXT  for a field
//   double-click NAME K double-click, as a mouse would, on the K-th character (from 0) of
//                       field NAME in the visible window
//   selection NAME      print  NAME<TAB>TEXT  with the field's selected text
//   expect NAME TEXT    expect-failure KIND    expect-no-failure
//   expect-visible WINDOW…    expect-focus NAME
//   dump                one line of JSON describing every existing window
//   screenshot FILE     save the visible window as a PNG, as the screen shows it
//   memory              print  memory<TAB>KiB  : the process's resident set size now
//   notice              print  notice<TAB>TEXT  : the line under the visible calculator
//                       window's button row (empty when it says nothing), then <TAB>earlier
//                       when its result fields hold an earlier press's results, greyed
//   open ALIAS          open the calculation of that lintavo-calc alias (discharge,
//                       u-normal-depth, …) as the main window does: a visible calculator
//                       window goes back with 返回, then the calculation's menu button (or
//                       its entry under 衬砌渠道) opens it, the main window hidden
//   set SYMBOL VALUE    type VALUE (rest of the line, or a JSON string) into the visible
//                       calculator window's input that reads SYMBOL: Q b h m i n v r D, and
//                       α, also written a
//   compute             click the visible calculator window's 计算, as click does
//   report              one line of JSON about the visible calculator window's last press:
//                       its outcome, its values or its failure's kind and fields
//   export-report FILE  write the visible calculator window's calculation book to FILE as PDF
//                       or, when FILE ends in .docx, as a Word document
//   export-drawing FILE [SCALE]   write the visible calculator window's section drawing to
//                       FILE as DXF at 1:SCALE (50 unless given; "1:100" or "100"), or at
//                       the next standard scale where the section overruns the A3 sheet
//   open-report         open the visible calculator window's calculation book (F9)
//   screenshot-report FILE   save the open calculation book's window as a PNG
//   adopt-scheme K      采用此方案 on row K (0 for α = 1.00 … 4 for α = 1.04) of the open
//                       calculation book's schemes: 流量Q计算 comes up with the scheme typed in
//   menu NAME           print, as one JSON array of strings, the entries of the context menu
//                       a right-click on field NAME shows, without separators, accelerator
//                       marks or shortcut texts
//   batch IN OUT        in the visible calculator window, open its batch window (Ctrl+B),
//                       import IN (.csv or .xlsx), compute every row and export OUT (.csv or
//                       .xlsx, by the suffix), then close it; prints  batch<TAB>ROWS<TAB>FAILED
//                       or  batch-error<TAB>REASON  when a file cannot be used
//   batch-book FILE     the same window's rows as one calculation book, a PDF
//   screenshot-batch FILE   open the same window (Ctrl+B), with the rows the last batch left,
//                       and save it as a PNG; it stays open until the next batch command
//   describe-failure    print the last failure report dismissed as one line of JSON:
//                       {"title":…,"text":…,"buttons":[…]}, button texts as shown without
//                       accelerator marks
//   design KEY=VALUE…   set the design check's settings as 校核设置 would, and remember them:
//                       use=irrigation|drainage class=auto|1…5 supply=continuous|rotational
//                       enlarge=large|small|P minimum=Q bed=NAME|none density=loose|dense
//                       silt=V|none silted=yes|no bend=R|none earthwork=cut|fill
//                       slope-soil=bed|NAME lining-freeboard=F
//                       rank=none|main|lateral|sub-lateral|field district=large|small;
//                       a value out of its range (0 ≤ P ≤ 100, 0 < Q ≤ 100, 0 < V ≤ 10,
//                       R > 0, 0.3 ≤ F ≤ 0.8) is an error of the line,
//                       with 校核设置's sentence, and changes nothing
//   geometry            print, one line a visible top-level window (menus and tooltips aside),
//                       geometry<TAB>TITLE<TAB>X Y W H : its title and its frame on the screen,
//                       in device-independent pixels, in the order of the titles; on a real X
//                       server once the window system has framed every window
//   design reset        restore the defaults;  design  alone prints the settings in force as
//                       design<TAB>KEY=VALUE …
//   book KEY=VALUE…     set the filed book's names as 计算书信息 would, and remember them:
//                       name (工程名称) title (计算书名称) designer (计算) checker (校核)
//                       reviewer (审核); a VALUE with blanks is a JSON string
//                       (name="某灌区 干渠"); KEY= empties it. The keys not given keep theirs.
//                       book reset  empties them all;  book  alone prints them as
//                       book<TAB>{"name":…,…}
//   project-open FILE   open the project FILE in 渠道纵断面计算 (opened from the main window's
//                       button when it is not open); a file refused is said as
//                       project-error<TAB>REASON
//   project-set ROW KEY VALUE   type VALUE (rest of the line, or a JSON string) into the
//                       reach ROW (from 1)'s cell KEY: name from to Q b m i n loss
//   project-save FILE   save the project to FILE, whole or not at all; a failure is said as
//                       project-error<TAB>REASON and the file keeps what it had
//   project-report      one line: the profile's JSON, as lintavo-calc project --json prints it
//   project-recover     open what the newest autosave a run left kept, as the offer at
//                       start-up does; none is said as project-error<TAB>REASON
//   project-undo        project-redo     撤销 and 重做 of the canal window
//   screenshot-project FILE   save 渠道纵断面计算 as a PNG, as the screen shows it
//   pause SECONDS       let the program run SECONDS (0–600, a decimal) with nothing done
//
// Lines starting with # and empty lines are skipped. When the program ends the driver
// prints "ended" and exits 0; a failed expectation or a malformed line exits 1.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFontInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QUndoStack>
#include <QWindow>
#include <algorithm>
#include <cstdio>

#include "book/design_report.h"
#include "book/report_json.h"
#include "calculators/catalogue.h"
#include "calculators/explain.h"
#include "calculators/menu_table.h"
#include "canal/profile.h"
#include "formats/whole_file.h"
#include "hydraulics/quantities.h"
#include "shell/application.h"
#include "shell/batch_window.h"
#include "shell/book_settings.h"
#include "shell/canal_window.h"
#include "shell/design_settings.h"
#include "shell/on_screen.h"
#include "shell/project_session.h"
#include "shell/qt_text.h"
#include "shell/report_document.h"
#include "shell/report_files.h"
#include "shell/report_window.h"
#include "shell/shell.h"
#include "tests/support/process_status.h"

namespace lintavo {
namespace {

struct ScriptError {
    QString message;
};

void writeLine(const QString& line) {
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Screenshots are written as every file the program writes: whole or not at all.
void savePng(const QPixmap& picture, const QString& file) {
    const QString why = writeWholeFile(
        file, [&picture](QIODevice& device) { return picture.save(&device, "PNG"); });
    if (!why.isEmpty()) throw ScriptError{QStringLiteral("could not write %1: %2").arg(file, why)};
}

// A string as a JSON literal, for the messages of failed expectations.
QString jsonString(const QString& s) {
    const QByteArray array = QJsonDocument(QJsonArray{s}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QJsonArray jsonRect(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

// A TEXT argument: the rest of the line verbatim, or a JSON string literal.
QString textArgument(const QString& rest) {
    if (!rest.startsWith(QLatin1Char('"'))) return rest;
    QJsonParseError error{};
    const QJsonDocument doc =
        QJsonDocument::fromJson((QLatin1Char('[') + rest + QLatin1Char(']')).toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray() || doc.array().size() != 1 ||
        !doc.array().at(0).isString()) {
        throw ScriptError{QStringLiteral("a JSON string was expected, found %1").arg(rest)};
    }
    return doc.array().at(0).toString();
}

// A menu entry or button text as it reads: "撤销(&U)\tCtrl+Z" → "撤销", "&Copy" → "Copy",
// "A&&B" → "A&B". The shortcut after a tab is not part of the entry's name.
QString withoutAccelerators(const QString& text) {
    const QString shown = text.section(QLatin1Char('\t'), 0, 0);
    QString out;
    for (qsizetype k = 0; k < shown.size(); ++k) {
        if (shown.at(k) != QLatin1Char('&') || k + 1 == shown.size()) {
            out += shown.at(k);
            continue;
        }
        ++k;
        if (shown.at(k) == QLatin1Char('&')) {
            out += QLatin1Char('&');
        } else if (out.endsWith(QLatin1Char('(')) && k + 1 < shown.size() &&
                   shown.at(k + 1) == QLatin1Char(')')) {
            // "(&U)" after a translated text names a Latin key the text itself lacks.
            out.chop(1);
            ++k;
        } else {
            out += shown.at(k);
        }
    }
    return out.trimmed();
}

QJsonArray withoutAccelerators(const QStringList& texts) {
    QJsonArray shown;
    for (const QString& text : texts)
        shown.append(withoutAccelerators(text));
    return shown;
}

QString compact(const QJsonDocument& document) {
    return QString::fromUtf8(document.toJson(QJsonDocument::Compact));
}

const char* kindOf(const QWidget* w) {
    if (qobject_cast<const QLineEdit*>(w)) return "field";
    if (qobject_cast<const QPushButton*>(w)) return "button";
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        return label->pixmap().isNull() ? "label" : "picture";
    }
    return "other";
}

QString textOf(const QWidget* w) {
    if (const auto* field = qobject_cast<const QLineEdit*>(w)) return field->text();
    if (const auto* button = qobject_cast<const QPushButton*>(w)) return button->text();
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return label->pixmap().isNull() ? label->text() : QString();
    return {};
}

class Driver {
  public:
    Driver() : shell_(calculations()) {
        QObject::connect(&shell_, &Shell::ended, &shell_, [this] { ended_ = true; });
        modalWatch_.setInterval(0);
        QObject::connect(&modalWatch_, &QTimer::timeout, &modalWatch_, [this] { dismissModal(); });
        shell_.start();
        settle();
    }

    bool ended() const { return ended_; }

    // Carries out one line of a script.
    void run(const QString& line);

  private:
    struct Command {
        QLatin1StringView name;
        void (Driver::*run)(const QString& rest);
    };
    // Every command of a script, and the member that carries it out on the rest of the line.
    static const Command commands[];

    // NAME TEXT: the first word, and the rest as a TEXT argument.
    static std::pair<QString, QString> nameAndText(const QString& rest, const char* command) {
        const QString name = rest.section(QLatin1Char(' '), 0, 0);
        if (name.isEmpty())
            throw ScriptError{QStringLiteral("%1 needs a field name").arg(QLatin1String(command))};
        return {name, textArgument(rest.section(QLatin1Char(' '), 1))};
    }

    void typeCommand(const QString& rest) {
        const auto [name, text] = nameAndText(rest, "type");
        type(name, text);
    }

    void pasteCommand(const QString& rest) {
        const auto [name, text] = nameAndText(rest, "paste");
        paste(name, text);
    }

    void closeCommand(const QString& rest) { window(rest)->close(); }

    void printCommand(const QString& rest) {
        writeLine(rest + QLatin1Char('\t') + field(rest, false)->text());
    }

    // The middle of the K-th character, where the field itself draws it: between the
    // cursor's places before and after it.
    void doubleClick(const QString& rest) {
        const QString name = rest.section(QLatin1Char(' '), 0, 0);
        bool isNumber = false;
        const int k = rest.section(QLatin1Char(' '), 1).toInt(&isNumber);
        QLineEdit* target = field(name, true);
        if (!isNumber || k < 0 || k >= target->text().size())
            throw ScriptError{
                QStringLiteral("double-click needs a character of %1, found %2").arg(name, rest)};
        const int kept = target->cursorPosition();
        const auto cursorX = [target](int position) {
            target->setCursorPosition(position);
            return target->inputMethodQuery(Qt::ImCursorRectangle).toRectF().center().x();
        };
        const qreal before = cursorX(k);
        const qreal after = cursorX(k + 1);
        target->setCursorPosition(kept);
        const QPoint at(qRound((before + after) / 2), target->height() / 2);
        target->window()->activateWindow();
        QTest::mouseDClick(target, Qt::LeftButton, Qt::NoModifier, at);
    }

    void selectionCommand(const QString& rest) {
        writeLine(rest + QLatin1Char('\t') + field(rest, false)->selectedText());
    }

    void expectCommand(const QString& rest) {
        const auto [name, expected] = nameAndText(rest, "expect");
        const QString found = field(name, false)->text();
        if (found != expected) {
            throw ScriptError{QStringLiteral("expected %1 to hold %2, found %3")
                                  .arg(name, jsonString(expected), jsonString(found))};
        }
    }

    void expectFailure(const QString& rest) {
        if (lastFailure_ != rest) {
            throw ScriptError{
                QStringLiteral("expected the failure %1, found %2")
                    .arg(rest, lastFailure_.isEmpty() ? QStringLiteral("none") : lastFailure_)};
        }
    }

    void expectNoFailure(const QString& /*rest*/) {
        if (!lastFailure_.isEmpty())
            throw ScriptError{QStringLiteral("expected no failure, found %1").arg(lastFailure_)};
    }

    void expectVisibleCommand(const QString& rest) {
        expectVisible(rest.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    }

    void expectFocus(const QString& rest) {
        const QWidget* focus = QApplication::focusWidget();
        const QString found = focus ? focus->objectName() : QStringLiteral("nothing");
        if (found != rest)
            throw ScriptError{
                QStringLiteral("expected the focus on %1, found it on %2").arg(rest, found)};
    }

    void memory(const QString& /*rest*/) {
        writeLine(QStringLiteral("memory\t%1").arg(testing::processStatusKiB("VmRSS")));
    }

    void report(const QString& /*rest*/) {
        const CalculatorWindow& w = visibleCalculator();
        if (!w.pressed()) {
            writeLine(QStringLiteral("{\"window\":") + jsonString(w.objectName()) +
                      QStringLiteral(",\"outcome\":\"none\"}"));
            return;
        }
        const DesignContext design{designSettings(), bedTables()};
        writeLine(qstr(reportJson(w.table(), w.lastPress(), &design)));
    }

    void openCommand(const QString& rest) {
        const QString alias = rest.trimmed();
        const auto tables = calculations();
        const auto table =
            std::find_if(tables.begin(), tables.end(),
                         [&alias](const CalculatorTable& t) { return qstr(t.alias) == alias; });
        if (table == tables.end())
            throw ScriptError{QStringLiteral("open needs a calculation's alias, found %1")
                                  .arg(jsonString(alias))};
        for (Form* w : visibleWindows()) {
            if (auto* c = qobject_cast<CalculatorWindow*>(w))
                click(qstr(rowWith(c->table().window, returnButton)->name));
        }
        settle();
        Form* menu = window(qstr(menu::menuWindow.name));
        if (!menu->isVisible())
            throw ScriptError{
                QStringLiteral("expected the main window to open %1 from").arg(alias)};
        if (!table->opener.empty()) {
            click(qstr(table->opener));
            return;
        }
        QPushButton* lined = menu->button(menu::linedSections);
        const auto index = static_cast<std::size_t>(table - tables.begin());
        QAction* entry = nullptr;
        for (QAction* action : lined->menu()->actions()) {
            if (action->data().value<std::size_t>() == index) entry = action;
        }
        if (entry == nullptr)
            throw ScriptError{QStringLiteral("the menu of %1 has no entry for %2")
                                  .arg(qstr(menu::linedSections), alias)};
        withFailureReport([entry] { entry->trigger(); });
    }

    void setCommand(const QString& rest) {
        QString symbol = rest.section(QLatin1Char(' '), 0, 0);
        if (symbol == QStringLiteral("α")) symbol = QStringLiteral("a");
        const CalculatorWindow& w = visibleCalculator();
        for (const ControlRow* row : rowsWith(w.table().window, Role::Input)) {
            const Quantity* q = quantityOfField(row->name);
            if (q != nullptr && symbol == QString(QLatin1Char(q->symbol))) {
                type(qstr(row->name), textArgument(rest.section(QLatin1Char(' '), 1)));
                return;
            }
        }
        throw ScriptError{QStringLiteral("%1 has no input %2")
                              .arg(qstr(w.table().window.title), jsonString(symbol))};
    }

    void computeCommand(const QString& /*rest*/) {
        click(qstr(rowWith(visibleCalculator().table().window, computeButton)->name));
    }

    void adoptScheme(const QString& rest) {
        bool number = false;
        const uint row = rest.trimmed().toUInt(&number);
        ReportWindow* report = visibleCalculator().reportWindow();
        if (!number || report == nullptr || !report->isVisible())
            throw ScriptError{QStringLiteral("adopt-scheme needs an open book and a row 0–4")};
        if (!report->adoptScheme(row))
            throw ScriptError{QStringLiteral("the book has no such scheme")};
    }

    void exportReport(const QString& file) {
        if (file.isEmpty()) throw ScriptError{QStringLiteral("export-report needs a file name")};
        const CalculatorWindow& w = visibleCalculator();
        if (file.endsWith(QStringLiteral(".docx"), Qt::CaseInsensitive)) {
            CalculationReport report;
            if (w.pressed()) {
                report = reportOf(w);
            } else {
                report.calculation = std::string(w.table().window.title);
                report.program = utf8(programName());
                report.filed = bookInfo();
            }
            QString why;
            if (!exportReportDocx(report, file, &why))
                throw ScriptError{QStringLiteral("could not write %1: %2").arg(file, why)};
            return;
        }
        QTextDocument document;
        CalculationReport report;
        if (w.pressed()) {
            report = reportOf(w);
            layOutReport(document, report);
        } else {
            report.calculation = std::string(w.table().window.title);
            report.filed = bookInfo();
            document.setPlainText(qstr(w.table().window.title) +
                                  QStringLiteral(" 计算书：尚未计算"));
        }
        QString why;
        if (!exportReportPdf(document, filedBook(report), file, &why))
            throw ScriptError{QStringLiteral("could not write %1: %2").arg(file, why)};
    }

    void exportDrawing(const QString& rest) {
        QString file = rest.trimmed();
        int scale = 50;
        const qsizetype blank = file.lastIndexOf(QLatin1Char(' '));
        if (blank > 0) {
            QString last = file.mid(blank + 1);
            if (last.startsWith(QStringLiteral("1:"))) last = last.mid(2);
            bool number = false;
            const int given = last.toInt(&number);
            if (number) {
                if (given <= 0)
                    throw ScriptError{QStringLiteral("the scale must be positive, found %1")
                                          .arg(file.mid(blank + 1))};
                scale = given;
                file = file.left(blank).trimmed();
            }
        }
        if (file.isEmpty()) throw ScriptError{QStringLiteral("export-drawing needs a file name")};
        const CalculatorWindow& w = visibleCalculator();
        if (!w.pressed())
            throw ScriptError{QStringLiteral("%1 has not been pressed: no section to draw")
                                  .arg(qstr(w.table().window.title))};
        QString why;
        if (!exportReportDrawing(reportOf(w), file, scale, &why))
            throw ScriptError{QStringLiteral("could not write %1: %2").arg(file, why)};
    }

    void openReport(const QString& /*rest*/) {
        CalculatorWindow& w = visibleCalculator();
        // F9 reaches the window only once the window system has made it active: on a real X
        // server that takes a moment, and without a window manager it may never come. Then
        // the book opens as F9 would open it, through the same action.
        w.activateWindow();
        // Without a window manager it may not come: the action below stands in for it.
        if (onScreen()) (void)QTest::qWaitForWindowActive(&w, 3000);
        if (QApplication::activeWindow() == &w) {
            QTest::keyClick(&w, reportShortcut);
        } else {
            for (QAction* action : w.actions()) {
                if (action->shortcut() == QKeySequence(reportShortcut)) action->trigger();
            }
        }
        if (w.reportWindow() == nullptr || !w.reportWindow()->isVisible())
            throw ScriptError{
                QStringLiteral("expected the calculation book to open, found it closed")};
        if (onScreen() && !QTest::qWaitForWindowExposed(w.reportWindow(), 5000))
            throw ScriptError{QStringLiteral("the calculation book was never shown on the screen")};
    }

    // As a user would: the shortcut in the calculator window, then the window's own import,
    // 计算 and export.
    BatchWindow& openBatch() {
        CalculatorWindow& w = visibleCalculator();
        w.activateWindow();
        QTest::keyClick(&w, Qt::Key_B, Qt::ControlModifier);
        if (w.batchWindow() == nullptr || !w.batchWindow()->isVisible())
            throw ScriptError{QStringLiteral("expected the batch window to open, found it closed")};
        return *w.batchWindow();
    }

    void batch(const QString& rest) {
        const QStringList files = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (files.size() != 2) throw ScriptError{QStringLiteral("batch needs IN and OUT files")};
        BatchWindow& window = openBatch();
        QString error = window.importFrom(files[0]);
        if (error.isEmpty()) {
            const BatchWindow::Outcome outcome = window.compute();
            error = window.exportTo(files[1]);
            if (error.isEmpty())
                writeLine(
                    QStringLiteral("batch\t%1\t%2").arg(outcome.computed).arg(outcome.failed));
        }
        if (!error.isEmpty()) writeLine(QStringLiteral("batch-error\t") + error);
        closeBatch(window);
    }

    // Closed, the window gives the activation back to its calculator window, as the window
    // system does on a desktop; the offscreen platform would leave it with the closed one.
    void closeBatch(BatchWindow& window) {
        window.close();
        settle();
        auto* calculator = qobject_cast<CalculatorWindow*>(window.parentWidget());
        if (calculator != nullptr) {
            calculator->activateWindow();
            if (!QTest::qWaitForWindowActive(calculator, 2000))
                throw ScriptError{
                    QStringLiteral("the calculator window never became active again")};
        }
        settle();
    }

    void screenshotBatch(const QString& file) {
        if (file.isEmpty()) throw ScriptError{QStringLiteral("screenshot-batch needs a file name")};
        BatchWindow& window = openBatch();
        QApplication::processEvents();
        savePng(window.grab(), file);
    }

    void batchBook(const QString& file) {
        if (file.isEmpty()) throw ScriptError{QStringLiteral("batch-book needs a file name")};
        BatchWindow& window = openBatch();
        const QString error = window.exportBook(file);
        if (!error.isEmpty()) writeLine(QStringLiteral("batch-error\t") + error);
        closeBatch(window);
    }

    void screenshotReport(const QString& file) {
        ReportWindow* report = visibleCalculator().reportWindow();
        if (report == nullptr || !report->isVisible())
            throw ScriptError{QStringLiteral("expected an open calculation book, found none")};
        QApplication::processEvents();
        savePng(photograph(report), file);
    }

    // The context menu as a right-click brings it up: the field gets the context-menu event
    // the window system sends for it. Whether the field pops the menu up (returning at once)
    // or runs it (returning when it closes), the watch reads and closes it once it is there.
    void menu(const QString& name) {
        QLineEdit* target = field(name, true);
        QStringList entries;
        bool seen = false;
        QTimer watch;
        watch.setInterval(0);
        QObject::connect(&watch, &QTimer::timeout, &watch, [&entries, &seen] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (popup == nullptr || seen) return;
            for (const QAction* action : popup->actions()) {
                if (!action->isSeparator() && action->isVisible()) entries.append(action->text());
            }
            seen = true;
            popup->close();
        });
        watch.start();
        const QPoint at = target->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
        QApplication::sendEvent(target, &event);
        for (int round = 0; round < 100 && !seen; ++round)
            QApplication::processEvents();
        watch.stop();
        if (!seen)
            throw ScriptError{
                QStringLiteral("expected a context menu on %1, found none").arg(name)};
        writeLine(compact(QJsonDocument(withoutAccelerators(entries))));
    }

    void design(const QString& rest) {
        const QStringList words = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words == QStringList{QStringLiteral("reset")}) {
            setDesignSettings(DesignSettings{});
            return;
        }
        if (words.isEmpty()) {
            QStringList shown;
            for (const auto& [key, value] : designSettingKeys(designSettings()))
                shown.append(qstr(key) + QLatin1Char('=') + qstr(value));
            writeLine(QStringLiteral("design\t") + shown.join(QLatin1Char(' ')));
            return;
        }
        DesignSettings settings = designSettings();
        for (const QString& word : words) {
            const qsizetype equals = word.indexOf(QLatin1Char('='));
            if (equals <= 0)
                throw ScriptError{QStringLiteral("design needs KEY=VALUE, found %1").arg(word)};
            const std::string error = applyDesignSetting(settings, utf8(word.left(equals)),
                                                         utf8(word.mid(equals + 1)), bedTables());
            // Refused as 校核设置 refuses it, and nothing of the line is set.
            if (!error.empty())
                throw ScriptError{QStringLiteral("design %1：%2").arg(word, qstr(error))};
        }
        setDesignSettings(settings);
    }

    void book(const QString& rest) {
        static const std::pair<QLatin1StringView, std::string BookInfo::*> keys[] = {
            {QLatin1StringView("name"), &BookInfo::project},
            {QLatin1StringView("title"), &BookInfo::title},
            {QLatin1StringView("designer"), &BookInfo::designer},
            {QLatin1StringView("checker"), &BookInfo::checker},
            {QLatin1StringView("reviewer"), &BookInfo::reviewer},
        };
        const QString line = rest.trimmed();
        if (line == QStringLiteral("reset")) {
            setBookInfo(BookInfo{});
            return;
        }
        BookInfo info = bookInfo();
        if (line.isEmpty()) {
            QJsonObject shown;
            for (const auto& [key, field] : keys)
                shown.insert(key, qstr(info.*field));
            writeLine(QStringLiteral("book\t") + compact(QJsonDocument(shown)));
            return;
        }
        qsizetype k = 0;
        while (k < line.size()) {
            const qsizetype equals = line.indexOf(QLatin1Char('='), k);
            const qsizetype blank = line.indexOf(QLatin1Char(' '), k);
            if (equals < 0 || (blank >= 0 && blank < equals))
                throw ScriptError{
                    QStringLiteral("book needs KEY=VALUE, found %1").arg(line.mid(k))};
            const QString key = line.mid(k, equals - k);
            const auto* found =
                std::find_if(std::begin(keys), std::end(keys),
                             [&key](const auto& entry) { return entry.first == key; });
            if (found == std::end(keys))
                throw ScriptError{QStringLiteral("book has no key %1").arg(key)};
            // The value: a JSON string, or the text up to the next blank.
            qsizetype stop = equals + 1;
            if (stop < line.size() && line.at(stop) == QLatin1Char('"')) {
                for (++stop; stop < line.size() && line.at(stop) != QLatin1Char('"'); ++stop) {
                    if (line.at(stop) == QLatin1Char('\\')) ++stop;
                }
                ++stop;
            } else {
                while (stop < line.size() && line.at(stop) != QLatin1Char(' '))
                    ++stop;
            }
            info.*found->second = utf8(textArgument(line.mid(equals + 1, stop - equals - 1)));
            k = stop;
            while (k < line.size() && line.at(k) == QLatin1Char(' '))
                ++k;
        }
        setBookInfo(info);
    }

    void notice(const QString& /*rest*/) {
        const CalculatorWindow& w = visibleCalculator();
        writeLine(QStringLiteral("notice\t") + w.notice() +
                  (w.showsEarlierResults() ? QStringLiteral("\tearlier") : QString()));
    }

    void geometry(const QString& /*rest*/) {
        QWidgetList shown;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            const Qt::WindowType type = w->windowType();
            if (w->isVisible() && type != Qt::Popup && type != Qt::ToolTip && type != Qt::Desktop)
                shown.append(w);
        }
        if (onScreen()) {
            for (QWidget* w : shown)
                (void)QTest::qWaitForWindowExposed(w, 5000);
            (void)QTest::qWaitFor(
                [&shown] {
                    return std::none_of(shown.begin(), shown.end(),
                                        [](const QWidget* w) { return arriving(*w); });
                },
                5000);
        }
        std::stable_sort(shown.begin(), shown.end(), [](const QWidget* a, const QWidget* b) {
            return a->windowTitle() < b->windowTitle();
        });
        for (const QWidget* w : shown) {
            // From the window system: the widget's own frame is brought up to date only when
            // the window moves or is resized.
            const QRect frame = w->windowHandle() != nullptr ? w->windowHandle()->frameGeometry()
                                                             : w->frameGeometry();
            writeLine(QStringLiteral("geometry\t%1\t%2 %3 %4 %5")
                          .arg(w->windowTitle())
                          .arg(frame.x())
                          .arg(frame.y())
                          .arg(frame.width())
                          .arg(frame.height()));
        }
    }

    // The canal window, opened as the main window's button opens it where it is not open.
    CanalWindow& canal() {
        if (CanalWindow* open = shell_.canalWindow(); open != nullptr && open->isVisible())
            return *open;
        Form* menu = window(qstr(menu::menuWindow.name));
        if (menu->isVisible()) {
            click(qstr(menu::canalProfile));
        } else {
            (void)shell_.openCanal();
        }
        settle();
        if (shell_.canalWindow() == nullptr || !shell_.canalWindow()->isVisible())
            throw ScriptError{QStringLiteral("expected 渠道纵断面计算 to open, found it closed")};
        return *shell_.canalWindow();
    }

    static void sayProjectError(const QString& why) {
        if (!why.isEmpty()) writeLine(QStringLiteral("project-error\t") + why);
    }

    void projectOpen(const QString& file) {
        if (file.isEmpty()) throw ScriptError{QStringLiteral("project-open needs a file name")};
        sayProjectError(canal().openFile(file));
    }

    void projectSet(const QString& rest) {
        bool number = false;
        const int row = rest.section(QLatin1Char(' '), 0, 0).toInt(&number);
        const QString key = rest.section(QLatin1Char(' '), 1, 1);
        if (!number || key.isEmpty())
            throw ScriptError{
                QStringLiteral("project-set needs ROW KEY VALUE, found %1").arg(rest)};
        const QString why =
            canal().typeReach(row - 1, key, textArgument(rest.section(QLatin1Char(' '), 2)));
        if (!why.isEmpty()) throw ScriptError{QStringLiteral("project-set: ") + why};
    }

    void projectSave(const QString& file) {
        if (file.isEmpty()) throw ScriptError{QStringLiteral("project-save needs a file name")};
        sayProjectError(canal().saveTo(file));
    }

    void projectReport(const QString& /*rest*/) {
        // One line: each line break of the JSON goes with the indent after it.
        QString json = qstr(profileJson(canal().session().profile()));
        static const QRegularExpression lineBreak(QStringLiteral("\n *"));
        json.replace(lineBreak, QString());
        writeLine(json);
    }

    void screenshotProject(const QString& file) {
        if (file.isEmpty())
            throw ScriptError{QStringLiteral("screenshot-project needs a file name")};
        CanalWindow& w = canal();
        QApplication::processEvents();
        savePng(photograph(&w), file);
    }

    void projectRecover(const QString& /*rest*/) { sayProjectError(canal().recoverLatest()); }

    void projectUndo(const QString& /*rest*/) { canal().session().undoStack().undo(); }

    void projectRedo(const QString& /*rest*/) { canal().session().undoStack().redo(); }

    void pause(const QString& rest) {
        bool number = false;
        const double seconds = rest.trimmed().toDouble(&number);
        if (!number || !(seconds >= 0 && seconds <= 600))
            throw ScriptError{
                QStringLiteral("pause needs SECONDS from 0 to 600, found %1").arg(rest)};
        QTest::qWait(static_cast<int>(seconds * 1000));
    }

    void describeFailure(const QString& /*rest*/) {
        if (lastReport_.isEmpty())
            throw ScriptError{
                QStringLiteral("expected a failure report dismissed before, found none")};
        writeLine(lastReport_);
    }

  private:
    CalculatorWindow& visibleCalculator() const {
        for (Form* w : visibleWindows()) {
            if (auto* c = qobject_cast<CalculatorWindow*>(w)) return *c;
        }
        throw ScriptError{QStringLiteral("expected a visible calculator window, found none")};
    }

    void settle() {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        settleOnScreen();
    }

    QList<Form*> visibleWindows() const {
        QList<Form*> visible;
        for (Form* w : shell_.windows()) {
            if (w->isVisible()) visible.append(w);
        }
        return visible;
    }

    Form* window(const QString& name) const {
        for (Form* w : shell_.windows()) {
            if (w->objectName() == name) return w;
        }
        throw ScriptError{QStringLiteral("expected an open window %1, found none").arg(name)};
    }

    // A field by name: in the visible window, or, when `visibleOnly` is false, in any window.
    QLineEdit* field(const QString& name, bool visibleOnly) const {
        for (Form* w : visibleWindows()) {
            if (auto* f = w->findChild<QLineEdit*>(name)) return f;
        }
        if (!visibleOnly) {
            for (Form* w : shell_.windows()) {
                if (auto* f = w->findChild<QLineEdit*>(name)) return f;
            }
        }
        throw ScriptError{
            QStringLiteral("expected a field %1%2, found none")
                .arg(name, visibleOnly ? QStringLiteral(" in the visible window") : QString())};
    }

    // Runs an action that may bring up the failure report, which is read and dismissed.
    template <typename Action>
    void withFailureReport(Action action) {
        lastFailure_.clear();
        modalWatch_.start();
        action();
        modalWatch_.stop();
    }

    void dismissModal() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr || !box->property("failureKind").isValid()) {
            writeLine(QStringLiteral("unexpected dialog %1").arg(modal->windowTitle()));
            std::exit(1);
        }
        lastFailure_ = box->property("failureKind").toString();
        writeLine(QStringLiteral("failure\t%1\t%2").arg(lastFailure_, box->text()));
        // The buttons left to right, as the user reads them.
        QList<QAbstractButton*> buttons = box->buttons();
        std::stable_sort(buttons.begin(), buttons.end(),
                         [box](const QAbstractButton* a, const QAbstractButton* b) {
                             return a->mapTo(box, QPoint()).x() < b->mapTo(box, QPoint()).x();
                         });
        QStringList texts;
        for (const QAbstractButton* button : buttons)
            texts.append(button->text());
        // Written by hand: a QJsonObject would sort its keys, and the line reads title first.
        lastReport_ = QStringLiteral("{\"title\":%1,\"text\":%2,\"buttons\":%3}")
                          .arg(jsonString(box->windowTitle()), jsonString(box->text()),
                               compact(QJsonDocument(withoutAccelerators(texts))));
        box->button(QMessageBox::Ok)->click();
    }

    void click(const QString& name) {
        QPushButton* button = nullptr;
        for (Form* w : visibleWindows()) {
            if ((button = w->findChild<QPushButton*>(name))) break;
        }
        if (button == nullptr)
            throw ScriptError{
                QStringLiteral("expected a button %1 in the visible window, found none").arg(name)};
        withFailureReport([button] { QTest::mouseClick(button, Qt::LeftButton); });
    }

    QLineEdit* focusAndClear(const QString& name) {
        QLineEdit* target = field(name, true);
        target->window()->activateWindow();
        target->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(target, Qt::Key_Delete);
        return target;
    }

    void type(const QString& name, const QString& text) {
        QLineEdit* target = focusAndClear(name);
        for (int k = 0; k < text.size(); ++k) {
            // One key event a character; a surrogate pair is one character.
            const int length = (text.at(k).isHighSurrogate() && k + 1 < text.size()) ? 2 : 1;
            const QString typed = text.mid(k, length);
            k += length - 1;
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, typed);
            QApplication::sendEvent(target, &press);
            QApplication::sendEvent(target, &release);
        }
    }

    // As a user pastes: the text on the clipboard, the field's text selected, Ctrl+V.
    void paste(const QString& name, const QString& text) {
        QLineEdit* target = focusAndClear(name);
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
    }

    void key(const QString& name) {
        static const QHash<QString, std::pair<Qt::Key, Qt::KeyboardModifiers>> keys{
            {QStringLiteral("Tab"), {Qt::Key_Tab, Qt::NoModifier}},
            {QStringLiteral("Backtab"), {Qt::Key_Backtab, Qt::ShiftModifier}},
            {QStringLiteral("Return"), {Qt::Key_Return, Qt::NoModifier}},
            {QStringLiteral("Enter"), {Qt::Key_Enter, Qt::KeypadModifier}},
            {QStringLiteral("Space"), {Qt::Key_Space, Qt::NoModifier}},
            {QStringLiteral("Escape"), {Qt::Key_Escape, Qt::NoModifier}},
        };
        const auto found = keys.constFind(name);
        if (found == keys.constEnd())
            throw ScriptError{QStringLiteral("a key was expected, found %1").arg(name)};
        QWidget* target = QApplication::focusWidget();
        if (target == nullptr) {
            const auto visible = visibleWindows();
            if (visible.isEmpty())
                throw ScriptError{
                    QStringLiteral("expected a visible window for the key, found none")};
            target = visible.front();
        }
        withFailureReport(
            [target, found] { QTest::keyClick(target, found->first, found->second); });
    }

    void expectVisible(QStringList expected) const {
        QStringList found;
        for (Form* w : visibleWindows())
            found.append(w->objectName());
        expected.sort();
        found.sort();
        if (found != expected) {
            throw ScriptError{
                QStringLiteral("expected visible [%1], found [%2]")
                    .arg(expected.join(QLatin1Char(' ')), found.join(QLatin1Char(' ')))};
        }
    }

    void dump(const QString& /*rest*/) {
        QJsonArray windows;
        for (Form* w : shell_.windows()) {
            QJsonArray controls;
            for (QObject* child : w->children()) {
                auto* c = qobject_cast<QWidget*>(child);
                if (c == nullptr || c->objectName().isEmpty() || c->isWindow()) continue;
                const QFont font = c->font();
                const QVariant tab = c->property(tabIndexProperty);
                controls.append(QJsonObject{
                    {QStringLiteral("name"), c->objectName()},
                    {QStringLiteral("kind"), QLatin1String(kindOf(c))},
                    {QStringLiteral("text"), textOf(c)},
                    {QStringLiteral("rect"), jsonRect(c->geometry())},
                    {QStringLiteral("font"),
                     QJsonObject{{QStringLiteral("family"), font.family()},
                                 {QStringLiteral("resolved"), QFontInfo(font).family()},
                                 {QStringLiteral("pointSize"), font.pointSizeF()},
                                 {QStringLiteral("bold"), font.bold()},
                                 {QStringLiteral("italic"), font.italic()}}},
                    {QStringLiteral("color"), c->palette().color(textRoleOf(c)).name()},
                    {QStringLiteral("tab"), tab.isValid() ? QJsonValue(tab.toInt()) : QJsonValue()},
                });
            }
            windows.append(QJsonObject{
                {QStringLiteral("name"), w->objectName()},
                {QStringLiteral("title"), w->windowTitle()},
                {QStringLiteral("visible"), w->isVisible()},
                {QStringLiteral("client"), jsonRect(w->geometry())},
                {QStringLiteral("controls"), controls},
            });
        }
        writeLine(QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("windows"), windows}})
                                        .toJson(QJsonDocument::Compact)));
    }

    // From the screen itself where there is one (frame and all, as the user sees it), and
    // from the widget's own rendering on the offscreen platform.
    void screenshot(const QString& file) {
        const auto visible = visibleWindows();
        if (visible.size() != 1)
            throw ScriptError{QStringLiteral("expected one visible window to photograph, found %1")
                                  .arg(visible.size())};
        QApplication::processEvents();
        savePng(photograph(visible.front()), file);
    }

    static bool onScreen() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

    QPixmap photograph(QWidget* w) const {
        if (!onScreen() || w->screen() == nullptr) return w->grab();
        // The screen holds the window only once the X server has mapped it and the window
        // has painted itself there; on a busy machine that takes a moment.
        if (!QTest::qWaitForWindowExposed(w))
            throw ScriptError{
                QStringLiteral("the window %1 was never shown on the screen").arg(w->objectName())};
        w->repaint();
        QTest::qWait(150);
        const QRect frame = w->frameGeometry();
        return w->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    }

    // On a real X server a window is mapped, exposed and given the keyboard when the server
    // has done it, and without a window manager nothing gives it the keyboard at all; on the
    // offscreen platform all of it happens at once. The window in front (a message box, else
    // the one visible window) is waited for and made active, as a user's click would.
    void settleOnScreen() {
        if (!onScreen()) return;
        QWidget* front = QApplication::activeModalWidget();
        if (front == nullptr) {
            const auto visible = visibleWindows();
            if (visible.size() != 1) return;
            front = visible.front();
        }
        const QWidget* active = QApplication::activeWindow();
        if (active != nullptr && active->isVisible()) return;
        if (!QTest::qWaitForWindowExposed(front, 5000)) return;
        front->activateWindow();
        // A window that does not get the keyboard is left as it is, for the command to say so.
        (void)QTest::qWaitForWindowActive(front, 3000);
    }

    Shell shell_;
    QTimer modalWatch_;
    QString lastFailure_;
    QString lastReport_;  // describe-failure's line for the last report dismissed
    bool ended_ = false;
};

// clang-format off
const Driver::Command Driver::commands[] = {
    {QLatin1StringView("click"),             &Driver::click},
    {QLatin1StringView("type"),              &Driver::typeCommand},
    {QLatin1StringView("paste"),             &Driver::pasteCommand},
    {QLatin1StringView("key"),               &Driver::key},
    {QLatin1StringView("close"),             &Driver::closeCommand},
    {QLatin1StringView("print"),             &Driver::printCommand},
    {QLatin1StringView("expect"),            &Driver::expectCommand},
    {QLatin1StringView("expect-failure"),    &Driver::expectFailure},
    {QLatin1StringView("expect-no-failure"), &Driver::expectNoFailure},
    {QLatin1StringView("expect-visible"),    &Driver::expectVisibleCommand},
    {QLatin1StringView("expect-focus"),      &Driver::expectFocus},
    {QLatin1StringView("dump"),              &Driver::dump},
    {QLatin1StringView("memory"),            &Driver::memory},
    {QLatin1StringView("screenshot"),        &Driver::screenshot},
    {QLatin1StringView("open"),              &Driver::openCommand},
    {QLatin1StringView("set"),               &Driver::setCommand},
    {QLatin1StringView("compute"),           &Driver::computeCommand},
    {QLatin1StringView("report"),            &Driver::report},
    {QLatin1StringView("export-report"),     &Driver::exportReport},
    {QLatin1StringView("export-drawing"),    &Driver::exportDrawing},
    {QLatin1StringView("open-report"),       &Driver::openReport},
    {QLatin1StringView("screenshot-report"), &Driver::screenshotReport},
    {QLatin1StringView("adopt-scheme"),      &Driver::adoptScheme},
    {QLatin1StringView("menu"),              &Driver::menu},
    {QLatin1StringView("describe-failure"),  &Driver::describeFailure},
    {QLatin1StringView("double-click"),      &Driver::doubleClick},
    {QLatin1StringView("selection"),         &Driver::selectionCommand},
    {QLatin1StringView("batch"),             &Driver::batch},
    {QLatin1StringView("batch-book"),        &Driver::batchBook},
    {QLatin1StringView("screenshot-batch"),  &Driver::screenshotBatch},
    {QLatin1StringView("design"),            &Driver::design},
    {QLatin1StringView("book"),              &Driver::book},
    {QLatin1StringView("notice"),            &Driver::notice},
    {QLatin1StringView("geometry"),          &Driver::geometry},
    {QLatin1StringView("project-open"),      &Driver::projectOpen},
    {QLatin1StringView("project-set"),       &Driver::projectSet},
    {QLatin1StringView("project-save"),      &Driver::projectSave},
    {QLatin1StringView("project-report"),    &Driver::projectReport},
    {QLatin1StringView("project-recover"),   &Driver::projectRecover},
    {QLatin1StringView("project-undo"),      &Driver::projectUndo},
    {QLatin1StringView("project-redo"),      &Driver::projectRedo},
    {QLatin1StringView("screenshot-project"), &Driver::screenshotProject},
    {QLatin1StringView("pause"),             &Driver::pause},
};
// clang-format on

void Driver::run(const QString& line) {
    const QString name = line.section(QLatin1Char(' '), 0, 0);
    const QString rest = line.section(QLatin1Char(' '), 1);
    const auto command = std::find_if(std::begin(commands), std::end(commands),
                                      [&](const Command& c) { return name == c.name; });
    if (command == std::end(commands))
        throw ScriptError{QStringLiteral("a command was expected, found %1").arg(jsonString(line))};
    (this->*command->run)(rest);
    settle();
}

}  // namespace
}  // namespace lintavo

int main(int argc, char* argv[]) {
    using namespace lintavo;
    if (!displayAvailable()) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    prepareApplication(app);

    QFile input;
    if (argc > 1) {
        input.setFileName(QString::fromLocal8Bit(argv[1]));
        if (!input.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "lintavo-driver: cannot read %s\n", argv[1]);
            return 2;
        }
    } else if (!input.open(stdin, QIODevice::ReadOnly)) {
        return 2;
    }

    Driver driver;
    int number = 0;
    while (!input.atEnd()) {
        QString line = QString::fromUtf8(input.readLine());
        ++number;
        while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        try {
            driver.run(line);
        } catch (const ScriptError& error) {
            writeLine(QStringLiteral("line %1: %2").arg(number).arg(error.message));
            return 1;
        }
        if (driver.ended()) {
            writeLine(QStringLiteral("ended"));
            return 0;
        }
    }
    return 0;
}
