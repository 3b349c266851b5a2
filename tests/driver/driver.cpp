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
//   expect NAME TEXT    expect-failure KIND    expect-no-failure
//   expect-visible WINDOW…    expect-focus NAME
//   dump                one line of JSON describing every existing window
//   screenshot FILE     save the visible window as a PNG, as the screen shows it
//   memory              print  memory<TAB>KiB  : the process's resident set size now
//
// Lines starting with # and empty lines are skipped. When the program ends the driver
// prints "ended" and exits 0; a failed expectation or a malformed line exits 1.

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFontInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "calculators/windows.h"
#include "shell/application.h"
#include "shell/shell.h"

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

QString jsonString(const QString& s) {
    QString out = QStringLiteral("\"");
    for (QChar c : s) {
        switch (c.unicode()) {
            case '"':
                out += QStringLiteral("\\\"");
                break;
            case '\\':
                out += QStringLiteral("\\\\");
                break;
            case '\n':
                out += QStringLiteral("\\n");
                break;
            case '\r':
                out += QStringLiteral("\\r");
                break;
            case '\t':
                out += QStringLiteral("\\t");
                break;
            default:
                if (c.unicode() < 0x20) {
                    out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
                } else {
                    out += c;
                }
        }
    }
    return out + QLatin1Char('"');
}

QString jsonRect(const QRect& r) {
    return QStringLiteral("[%1,%2,%3,%4]").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// 15 → "15.0", 13.5 → "13.5": a point size always reads as a number with a fraction.
QString jsonPoints(double points) {
    QString text = QString::number(points, 'g', 10);
    if (!text.contains(QLatin1Char('.'))) text += QStringLiteral(".0");
    return text;
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

QPalette::ColorRole textRoleOf(const QWidget* w) {
    if (qobject_cast<const QLineEdit*>(w)) return QPalette::Text;
    if (qobject_cast<const QPushButton*>(w)) return QPalette::ButtonText;
    return QPalette::WindowText;
}

// VmRSS from /proc/self/status, in KiB.
long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

class Driver {
  public:
    Driver() : shell_(calculatorWindows()) {
        QObject::connect(&shell_, &Shell::ended, &shell_, [this] { ended_ = true; });
        modalWatch_.setInterval(0);
        QObject::connect(&modalWatch_, &QTimer::timeout, &modalWatch_, [this] { dismissModal(); });
        shell_.start();
        settle();
    }

    bool ended() const { return ended_; }

    void run(const QString& line) {
        const QString command = line.section(QLatin1Char(' '), 0, 0);
        const QString rest = line.section(QLatin1Char(' '), 1);
        if (command == QLatin1String("click")) {
            click(rest);
        } else if (command == QLatin1String("type")) {
            const QString name = rest.section(QLatin1Char(' '), 0, 0);
            if (name.isEmpty()) throw ScriptError{QStringLiteral("type needs a field name")};
            type(name, textArgument(rest.section(QLatin1Char(' '), 1)));
        } else if (command == QLatin1String("paste")) {
            const QString name = rest.section(QLatin1Char(' '), 0, 0);
            if (name.isEmpty()) throw ScriptError{QStringLiteral("paste needs a field name")};
            paste(name, textArgument(rest.section(QLatin1Char(' '), 1)));
        } else if (command == QLatin1String("key")) {
            key(rest);
        } else if (command == QLatin1String("close")) {
            window(rest)->close();
        } else if (command == QLatin1String("print")) {
            writeLine(rest + QLatin1Char('\t') + field(rest, false)->text());
        } else if (command == QLatin1String("expect")) {
            const QString name = rest.section(QLatin1Char(' '), 0, 0);
            const QString expected = textArgument(rest.section(QLatin1Char(' '), 1));
            const QString found = field(name, false)->text();
            if (found != expected) {
                throw ScriptError{QStringLiteral("expected %1 to hold %2, found %3")
                                      .arg(name, jsonString(expected), jsonString(found))};
            }
        } else if (command == QLatin1String("expect-failure")) {
            if (lastFailure_ != rest) {
                throw ScriptError{
                    QStringLiteral("expected the failure %1, found %2")
                        .arg(rest, lastFailure_.isEmpty() ? QStringLiteral("none") : lastFailure_)};
            }
        } else if (command == QLatin1String("expect-no-failure")) {
            if (!lastFailure_.isEmpty()) {
                throw ScriptError{
                    QStringLiteral("expected no failure, found %1").arg(lastFailure_)};
            }
        } else if (command == QLatin1String("expect-visible")) {
            expectVisible(rest.split(QLatin1Char(' '), Qt::SkipEmptyParts));
        } else if (command == QLatin1String("expect-focus")) {
            const QWidget* focus = QApplication::focusWidget();
            const QString found = focus ? focus->objectName() : QStringLiteral("nothing");
            if (found != rest)
                throw ScriptError{
                    QStringLiteral("expected the focus on %1, found it on %2").arg(rest, found)};
        } else if (command == QLatin1String("dump")) {
            dump();
        } else if (command == QLatin1String("memory")) {
            writeLine(QStringLiteral("memory\t%1").arg(residentKiB()));
        } else if (command == QLatin1String("screenshot")) {
            screenshot(rest);
        } else {
            throw ScriptError{
                QStringLiteral("a command was expected, found %1").arg(jsonString(line))};
        }
        settle();
    }

  private:
    void settle() {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
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

    void dump() const {
        QStringList windows;
        for (Form* w : shell_.windows()) {
            QStringList controls;
            for (QObject* child : w->children()) {
                auto* c = qobject_cast<QWidget*>(child);
                if (c == nullptr || c->objectName().isEmpty() || c->isWindow()) continue;
                const QFont font = c->font();
                const QVariant tab = c->property(tabIndexProperty);
                controls.append(
                    QStringLiteral("{\"name\":%1,\"kind\":\"%2\",\"text\":%3,\"rect\":%4,"
                                   "\"font\":{\"family\":%5,\"resolved\":%6,\"pointSize\":%7,"
                                   "\"bold\":%8,\"italic\":%9},"
                                   "\"color\":\"%10\",\"tab\":%11}")
                        .arg(jsonString(c->objectName()), QLatin1String(kindOf(c)),
                             jsonString(textOf(c)), jsonRect(c->geometry()),
                             jsonString(font.family()), jsonString(QFontInfo(font).family()),
                             jsonPoints(font.pointSizeF()),
                             QLatin1String(font.bold() ? "true" : "false"),
                             QLatin1String(font.italic() ? "true" : "false"))
                        .arg(
                            c->palette().color(textRoleOf(c)).name(),
                            tab.isValid() ? QString::number(tab.toInt()) : QStringLiteral("null")));
            }
            windows.append(
                QStringLiteral(
                    "{\"name\":%1,\"title\":%2,\"visible\":%3,\"client\":%4,\"controls\":[%5]}")
                    .arg(jsonString(w->objectName()), jsonString(w->windowTitle()),
                         QLatin1String(w->isVisible() ? "true" : "false"), jsonRect(w->geometry()),
                         controls.join(QLatin1Char(','))));
        }
        writeLine(QStringLiteral("{\"windows\":[%1]}").arg(windows.join(QLatin1Char(','))));
    }

    // From the screen itself where there is one (frame and all, as the user sees it), and
    // from the widget's own rendering on the offscreen platform.
    void screenshot(const QString& file) const {
        const auto visible = visibleWindows();
        if (visible.size() != 1)
            throw ScriptError{QStringLiteral("expected one visible window to photograph, found %1")
                                  .arg(visible.size())};
        Form* w = visible.front();
        QApplication::processEvents();
        QPixmap picture;
        if (QGuiApplication::platformName() == QLatin1String("xcb") && w->screen() != nullptr) {
            const QRect frame = w->frameGeometry();
            picture =
                w->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
        } else {
            picture = w->grab();
        }
        if (!picture.save(file, "PNG"))
            throw ScriptError{QStringLiteral("could not write %1").arg(file)};
    }

    Shell shell_;
    QTimer modalWatch_;
    QString lastFailure_;
    bool ended_ = false;
};

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
