#include "shell/application.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QIcon>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>
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

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

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
    app.installEventFilter(new ShowFocus(&app));
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
