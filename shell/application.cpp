#include "shell/application.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QStyle>
#include <QStyleFactory>
#include <QTranslator>
#include <cstdlib>

#include "shell/fonts.h"
#include "shell/form.h"

namespace lintavo {

namespace {

// Every form is a top-level window of its own; assistive technology should meet it as a
// window (a frame on AT-SPI), not as the anonymous pane a plain QWidget reports.
QAccessibleInterface* formAccessible(const QString& /*className*/, QObject* object) {
    auto* form = dynamic_cast<Form*>(object);
    if (form == nullptr || !form->isWindow()) return nullptr;
    return new QAccessibleWidget(form, QAccessible::Window);
}

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

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

void prepareApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("Lintavo"));
    QApplication::setDesktopFileName(QStringLiteral("org.lintavo.Lintavo"));
    installQtChinese(app);
    // The forms fix their text colours (red results, blue labels); a dark desktop palette
    // would leave them unreadable, so every window uses the light standard palette.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
        QApplication::setStyle(fusion);
        QApplication::setPalette(fusion->standardPalette());
    }
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

QString noDisplayMessage(const QString& display) {
    const QString reason =
        display.isEmpty() ? QStringLiteral("找不到图形显示（没有设置 DISPLAY 或 WAYLAND_DISPLAY）")
                          : QStringLiteral("无法连接到图形显示“%1”").arg(display);
    return QStringLiteral(
               "lintavo: %1，无法打开窗口；没有显示时可以用 xvfb-run lintavo 在虚拟显示中运行。")
        .arg(reason);
}

bool displayAvailable() {
    return isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
}

}  // namespace lintavo
