#include "shell/on_screen.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace lintavo {

namespace {

// Set on a window from its showing until its frame has been fitted on the screen, or until
// the window system has had time enough to frame it: a window the user moves afterwards is
// left where he puts it.
constexpr const char* arrivingProperty = "lintavoArriving";
constexpr int arrivalMs = 3000;
constexpr int arrivalPollMs = 50;

// The window system's frame around `w` as it is now, from the window system itself: the
// widget's own idea of it is brought up to date only when the window moves or is resized.
QMargins ownMargins(const QWidget& w) {
    const QWindow* handle = w.windowHandle();
    return handle != nullptr ? handle->frameMargins() : QMargins();
}

// Windows of their own, which the program places; menus, tooltips and the like Qt places
// within the screen itself, and a native dialog is not ours to place.
bool placed(const QWidget& w) {
    if (!w.isWindow() || w.testAttribute(Qt::WA_DontShowOnScreen)) return false;
    const Qt::WindowType type = w.windowType();
    return type == Qt::Window || type == Qt::Dialog || type == Qt::Tool;
}

// Moves `w`'s frame, and shrinks its client where the frame is larger than the area, so that
// the frame lies within its screen's available area.
void fit(QWidget& w, const QMargins& margins) {
    const QRect frame = w.geometry().marginsAdded(margins);
    const QRect area = availableArea(w, frame);
    if (area.isEmpty()) return;
    const QRect fitted = withinArea(frame, area);
    if (fitted != frame) placeFrame(w, fitted, margins);
}

// Where nobody placed a window: centred on the window it belongs to, else on its screen, as Qt
// and the window systems do, but within the screen.
void centre(QWidget& w, const QMargins& margins) {
    QRect frame = w.geometry().marginsAdded(margins);
    const QWidget* parent = w.parentWidget() != nullptr ? w.parentWidget()->window() : nullptr;
    if (parent != nullptr && parent->isVisible()) {
        frame.moveCenter(parent->frameGeometry().center());
    } else {
        frame.moveCenter(availableArea(w, frame).center());
    }
    placeFrame(w, frame, margins);
}

// Until the window system has framed `w`, or the time for it is up, its frame is looked for
// now and then: the window system need not move the window, nor tell it, when it frames it.
void awaitFrame(QWidget& w) {
    w.setProperty(arrivingProperty, true);
    auto* watch = new QTimer(&w);
    watch->setInterval(arrivalPollMs);
    QObject::connect(watch, &QTimer::timeout, &w, [&w, watch, rounds = 0]() mutable {
        const bool framed = !ownMargins(w).isNull();
        if (framed && arriving(w)) fit(w, ownMargins(w));
        if (framed || !arriving(w) || ++rounds * arrivalPollMs >= arrivalMs) {
            w.setProperty(arrivingProperty, QVariant());
            watch->deleteLater();
            watch->stop();
        }
    });
    watch->start();
}

class KeepOnScreen : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if ((type != QEvent::Show && type != QEvent::Move && type != QEvent::Resize &&
             type != QEvent::Hide) ||
            !watched->isWidgetType()) {
            return false;
        }
        auto* w = static_cast<QWidget*>(watched);
        if (!placed(*w)) return false;
        switch (type) {
            case QEvent::Show: {
                // Placed at once with the frame it will most likely get, before it is mapped.
                const QMargins margins = frameMargins(*w);
                if (!w->testAttribute(Qt::WA_Moved)) centre(*w, margins);
                fit(*w, margins);
                if (ownMargins(*w).isNull() && !arriving(*w)) awaitFrame(*w);
                break;
            }
            case QEvent::Move:
            case QEvent::Resize:
                // Where the window system has put the window, or how it has framed it: fitted
                // once more, with its own frame once it has one.
                if (arriving(*w)) {
                    if (!ownMargins(*w).isNull()) w->setProperty(arrivingProperty, QVariant());
                    fit(*w, frameMargins(*w));
                }
                break;
            default:
                w->setProperty(arrivingProperty, QVariant());
                break;
        }
        return false;
    }
};

}  // namespace

QRect withinArea(const QRect& frame, const QRect& area) {
    const QSize size = frame.size().boundedTo(area.size());
    const int x = std::clamp(frame.left(), area.left(), area.left() + area.width() - size.width());
    const int y = std::clamp(frame.top(), area.top(), area.top() + area.height() - size.height());
    return {QPoint(x, y), size};
}

void placeFrame(QWidget& window, const QRect& frame, const QMargins& margins) {
    // The client's place, not the frame's: until the window system has framed a window, Qt
    // takes a frame's place for the client's.
    const QRect client = frame.marginsRemoved(margins);
    const QSize size =
        client.size().expandedTo(window.minimumSize()).boundedTo(window.maximumSize());
    window.setGeometry(QRect(client.topLeft(), size));
}

QMargins frameMargins(const QWidget& window) {
    const QMargins own = ownMargins(window);
    if (!own.isNull()) return own;
    QWidgetList framed;
    if (window.parentWidget() != nullptr) framed.append(window.parentWidget()->window());
    framed.append(QApplication::topLevelWidgets());
    for (const QWidget* other : framed) {
        // A window hidden again keeps the frame it was given.
        if (other == &window || !other->testAttribute(Qt::WA_WState_Created) ||
            other->windowType() == Qt::Popup || other->windowType() == Qt::ToolTip)
            continue;
        const QMargins margins = ownMargins(*other);
        if (!margins.isNull()) return margins;
    }
    return {};
}

QRect availableArea(const QWidget& window, const QRect& frame) {
    const QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (screen == nullptr) screen = window.screen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

bool arriving(const QWidget& window) {
    return window.property(arrivingProperty).isValid();
}

void keepWindowsOnScreen(QApplication& app) {
    app.installEventFilter(new KeepOnScreen(&app));
}

}  // namespace lintavo
