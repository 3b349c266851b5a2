#include "shell/application.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QTranslator>
#include <QWidget>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "shell/fonts.h"
#include "shell/form.h"
#include "shell/on_screen.h"
#include "shell/report_document.h"

namespace lintavo {

namespace {

// Every form is a top-level window of its own; assistive technology should meet it as a
// window (a frame on AT-SPI), not as the anonymous pane a plain QWidget reports.
QAccessibleInterface* formAccessible(const QString& /*className*/, QObject* object) {
    auto* form = dynamic_cast<Form*>(object);
    if (form == nullptr || !form->isWindow()) return nullptr;
    return new QAccessibleWidget(form, QAccessible::Window);
}

// Qt's styles draw a button's focus only once the keyboard has moved it, so at start-up
// the focus sat unseen on "结  束" and a Space ended the program with no warning. Every
// window shows its focus from its first showing, as the keyboard user needs it; the
// filter sees each window (forms, message boxes, any other) as it is first shown.
class ShowFocus : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow()) widget->setAttribute(Qt::WA_KeyboardFocusChange);
        }
        return false;
    }
};

}  // namespace

QPalette lightPalette() {
    // Fusion's light palette, which Qt's Fusion style gives when the desktop asks for no
    // dark scheme; on a dark desktop the style would give its dark one instead.
    const QColor background(239, 239, 239);
    const QColor light = background.lighter(150);
    const QColor mid = background.darker(130);
    const QColor dark = background.darker(150);
    const QColor shadow = dark.darker(135);
    QColor placeholder(Qt::black);
    placeholder.setAlpha(128);
    QPalette palette(Qt::black, background, light, dark, mid, Qt::black, Qt::white);
    palette.setBrush(QPalette::Midlight, mid.lighter(110));
    palette.setBrush(QPalette::Button, background);
    palette.setBrush(QPalette::Shadow, shadow);
    palette.setBrush(QPalette::HighlightedText, Qt::white);
    const QColor disabledText(190, 190, 190);
    palette.setBrush(QPalette::Disabled, QPalette::Text, disabledText);
    palette.setBrush(QPalette::Disabled, QPalette::WindowText, disabledText);
    palette.setBrush(QPalette::Disabled, QPalette::ButtonText, disabledText);
    palette.setBrush(QPalette::Disabled, QPalette::Base, background);
    palette.setBrush(QPalette::Disabled, QPalette::Dark, QColor(209, 209, 209).darker(110));
    palette.setBrush(QPalette::Disabled, QPalette::Shadow, shadow.lighter(150));
    palette.setBrush(QPalette::Active, QPalette::Highlight, QColor(48, 140, 198));
    palette.setBrush(QPalette::Inactive, QPalette::Highlight, QColor(48, 140, 198));
    palette.setBrush(QPalette::Disabled, QPalette::Highlight, QColor(145, 145, 145));
    palette.setBrush(QPalette::PlaceholderText, placeholder);
    // Every colour marked as the program's own: Qt keeps of an application palette only
    // the colours marked so and takes the rest from the desktop's theme.
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto g = static_cast<QPalette::ColorGroup>(group);
            const auto r = static_cast<QPalette::ColorRole>(role);
            if (r != QPalette::NoRole) palette.setBrush(g, r, palette.brush(g, r));
        }
    }
    return palette;
}

namespace {

// Qt's Simplified Chinese catalogue, for Qt's own texts: the button of a message box, the
// context menu of a field, any standard dialog. It writes Undo as 撤消, a form that today's
// dictionaries have given up for 撤销; the program writes the current one.
class QtChinese : public QTranslator {
  public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        QString text = QTranslator::translate(context, sourceText, disambiguation, n);
        text.replace(QStringLiteral("撤消"), QStringLiteral("撤销"));
        return text;
    }
};

// Every text of the program is Chinese, so Qt's are too, whatever the locale says. The
// catalogue is where Qt keeps its translations (qt6-translations-l10n on Debian), or in
// translations/ beside the program where a Windows installer puts it; without it Qt's few
// texts stay English and nothing else changes.
void installQtChinese(QApplication& app) {
    auto* translator = new QtChinese(&app);
    for (const QString& folder :
         {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
          QApplication::applicationDirPath() + QStringLiteral("/translations")}) {
        if (translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
            QApplication::installTranslator(translator);
            return;
        }
    }
    delete translator;
}

#ifndef Q_OS_WIN
bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}
#endif

}  // namespace

void prepareApplication(QApplication& app) {
    // Where QSettings keeps the design check's settings.
    QApplication::setOrganizationName(QStringLiteral("Lintavo"));
    QApplication::setApplicationName(QStringLiteral("Lintavo"));
    QApplication::setDesktopFileName(QStringLiteral("org.lintavo.Lintavo"));
    installQtChinese(app);
    // The forms fix their colours: red results and blue labels on light grey, a black
    // "编制" on the menu's silver. A dark desktop palette would leave them unreadable, so
    // every window keeps the light palette on any desktop.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
        QApplication::setStyle(fusion);
        QApplication::setPalette(lightPalette());
    }
    app.installEventFilter(new ShowFocus(&app));
    keepWindowsOnScreen(app);
    installFontSubstitutes();
    QAccessible::installFactory(formAccessible);
    // Message boxes and anything else without a form font of its own: a Hei face, which
    // has every glyph the program writes.
    QApplication::setFont(fontFor({"黑体", 10}));

    QIcon icon;
    for (int size : {16, 22, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/lintavo/icon-%1.png").arg(size), QSize(size, size));
    }
    app.setWindowIcon(icon);
}

namespace {

// Qt's own command-line options, which QApplication reads and removes; those of the first
// list take a value.
const QStringList qtOptionsWithValue{QStringLiteral("platform"),
                                     QStringLiteral("platformpluginpath"),
                                     QStringLiteral("platformtheme"),
                                     QStringLiteral("plugin"),
                                     QStringLiteral("qwindowgeometry"),
                                     QStringLiteral("qwindowicon"),
                                     QStringLiteral("qwindowtitle"),
                                     QStringLiteral("session"),
                                     QStringLiteral("style"),
                                     QStringLiteral("stylesheet"),
                                     QStringLiteral("display"),
                                     QStringLiteral("geometry"),
                                     QStringLiteral("name"),
                                     QStringLiteral("title"),
                                     QStringLiteral("visual"),
                                     QStringLiteral("ncols"),
                                     QStringLiteral("cmap"),
                                     QStringLiteral("qmljsdebugger")};
const QStringList qtOptionsAlone{QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                 QStringLiteral("nograb"), QStringLiteral("dograb")};

// False when the stream did not take the whole text: a full disk may refuse it only when it
// is flushed.
bool say(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    const bool written = std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()),
                                     stream) == static_cast<std::size_t>(bytes.size()) &&
                         std::fflush(stream) == 0;
#ifdef Q_OS_WIN
    // A windowed program started without a console has no standard output to fail.
    if (_fileno(stream) < 0) return true;
#endif
    return written;
}

// The answer to --version or --help on standard output; 2, with the reason on standard
// error, when standard output cannot take it.
int answer(const QString& text) {
    if (say(stdout, text)) return 0;
    say(stderr, QStringLiteral("lintavo：无法写到标准输出（%1）。\n")
                    .arg(errno == ENOSPC ? QStringLiteral("磁盘空间不足")
                                         : QStringLiteral("系统报告错误 %1").arg(errno)));
    return 2;
}

}  // namespace

std::optional<int> answerCommandLine(const QStringList& arguments) {
    for (qsizetype k = 1; k < arguments.size(); ++k) {
        const QString& argument = arguments[k];
        if (argument == QStringLiteral("--version") || argument == QStringLiteral("-v")) {
            return answer(programName() + QStringLiteral("（明渠均匀流计算）\n"
                                                         "手册：man lintavo\n"));
        }
        if (argument == QStringLiteral("--help") || argument == QStringLiteral("-h")) {
            return answer(
                QStringLiteral("用法：lintavo [选项]\n"
                               "%1：梯形和矩形断面明渠的均匀流计算。不带选项时打开主窗口。\n"
                               "\n"
                               "选项：\n"
                               "  -h, --help       显示本帮助并退出\n"
                               "  -v, --version    显示版本并退出\n"
                               "Qt 的命令行选项（如 -platform xcb、-style Fusion）照常可用。\n"
                               "\n"
                               "手册：man lintavo（中文手册：man -L zh_CN lintavo）\n")
                    .arg(programName()));
        }
        QString name = argument;
        while (name.startsWith(QLatin1Char('-')))
            name.remove(0, 1);
        name = name.section(QLatin1Char('='), 0, 0);
        if (argument.startsWith(QLatin1Char('-')) && qtOptionsWithValue.contains(name)) {
            if (!argument.contains(QLatin1Char('='))) ++k;  // its value
            continue;
        }
        if (argument.startsWith(QLatin1Char('-')) && qtOptionsAlone.contains(name)) continue;
        say(stderr, QStringLiteral("lintavo：不认识的%1“%2”。用 lintavo --help 查看可用的选项。\n")
                        .arg(argument.startsWith(QLatin1Char('-')) ? QStringLiteral("选项")
                                                                   : QStringLiteral("参数"),
                             argument));
        return 2;
    }
    return std::nullopt;
}

QString noDisplayMessage(const QString& display) {
    const QString reason =
        display.isEmpty() ? QStringLiteral("找不到图形显示（没有设置 DISPLAY 或 WAYLAND_DISPLAY）")
                          : QStringLiteral("无法连接到图形显示“%1”").arg(display);
    return QStringLiteral(
               "lintavo: %1，无法打开窗口；没有显示时可以用 xvfb-run lintavo 在虚拟显示中运行。")
        .arg(reason);
}

bool displayAvailable() {
#ifdef Q_OS_WIN
    // Windows always has its window system, whatever the environment says.
    return true;
#else
    return isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
#endif
}

}  // namespace lintavo
