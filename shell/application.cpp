#include "shell/application.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>
#include <QStyleFactory>
#include <cstdlib>

#include "shell/fonts.h"

namespace lintavo {

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

void prepareApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("Lintavo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Lintavo"));
    QApplication::setDesktopFileName(QStringLiteral("org.lintavo.Lintavo"));
    // The forms fix their text colours (red results, blue labels); a dark desktop palette
    // would leave them unreadable, so every window uses the light standard palette.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
        QApplication::setStyle(fusion);
        QApplication::setPalette(fusion->standardPalette());
    }
    installFontSubstitutes();
    // Message boxes and anything else without a form font of its own: a Hei face, which
    // has every glyph the program writes.
    QApplication::setFont(fontFor({"黑体", 10}));

    QIcon icon;
    for (int size : {16, 22, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/lintavo/icon-%1.png").arg(size), QSize(size, size));
    }
    app.setWindowIcon(icon);
}

bool displayAvailable() {
    return isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
}

}  // namespace lintavo
