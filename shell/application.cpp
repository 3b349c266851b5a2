#include "shell/application.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QIcon>
#include <QStyle>
#include <QStyleFactory>
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

#ifndef Q_OS_WIN
bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}
#endif

}  // namespace

void prepareApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("Lintavo"));
    QApplication::setDesktopFileName(QStringLiteral("org.lintavo.Lintavo"));
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
#ifdef Q_OS_WIN
    // Windows always has its window system, whatever the environment says.
    return true;
#else
    return isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
#endif
}

}  // namespace lintavo
