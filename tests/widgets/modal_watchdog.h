#pragma once

// A widget test must never wait for ever on a message box. The watchdog looks for a modal
// window every few milliseconds, also inside the event loop a dialog's exec() runs, and closes
// it; one the test did not announce with expect() is kept, so that the test's cleanup fails:
//   ModalWatchdog watchdog;  …  watchdog.expect();  w.compute();  // a failure report comes
//   void cleanup() { QVERIFY2(watchdog.unexpected().isEmpty(), …); }

#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QWidget>

namespace lintavo::testing {

class ModalWatchdog : public QObject {
  public:
    ModalWatchdog() {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { closeModal(); });
        timer_.start();
    }

    // The next `count` modal windows are part of the test.
    void expect(int count = 1) { expected_ += count; }

    // Titles and texts of the modal windows that came up unannounced, since the last call.
    QStringList unexpected() { return std::exchange(unexpected_, {}); }

  private:
    void closeModal() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        if (expected_ > 0) {
            --expected_;
        } else {
            const auto* box = qobject_cast<QMessageBox*>(modal);
            unexpected_.append(modal->windowTitle() + QLatin1Char(':') +
                               (box != nullptr ? box->text() : modal->objectName()));
        }
        modal->close();
    }

    QTimer timer_;
    int expected_ = 0;
    QStringList unexpected_;
};

}  // namespace lintavo::testing
