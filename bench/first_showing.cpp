// Inside the program's own code: how long each calculator window takes to be shown the
// first time it is opened from the menu, and the peak resident memory after start-up and
// after all five have been opened. Under xvfb-run.

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QWindow>
#include <cstdio>

#include "calculators/windows.h"
#include "shell/application.h"
#include "shell/shell.h"
#include "tests/support/process_status.h"

namespace {

long peakKiB() {
    return lintavo::testing::processStatusKiB("VmHWM");
}

// Runs the event loop until the window is on screen.
bool waitExposed(QWidget* w) {
    QElapsedTimer limit;
    limit.start();
    while (limit.elapsed() < 5000) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (w->windowHandle() != nullptr && w->windowHandle()->isExposed()) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace lintavo;
    QApplication app(argc, argv);
    prepareApplication(app);
    Shell shell(calculatorWindows());
    shell.start();
    Form* menu = shell.windows().front();
    if (!waitExposed(menu)) return 1;
    std::printf("peak RSS after start-up: %ld KiB\n", peakKiB());
    for (const CalculatorTable& table : calculatorWindows()) {
        QElapsedTimer timer;
        timer.start();
        menu->button(table.opener)->click();
        Form* shown = nullptr;
        for (Form* w : shell.windows()) {
            if (w != menu && w->isVisible()) shown = w;
        }
        if (shown == nullptr || !waitExposed(shown)) return 1;
        std::printf("first showing of %-14s %7.2f ms\n", qUtf8Printable(shown->objectName()),
                    static_cast<double>(timer.nsecsElapsed()) / 1e6);
        shown->button(rowWith(table.window, returnButton)->name)->click();
        QApplication::processEvents();
    }
    std::printf("peak RSS after opening all five windows: %ld KiB\n", peakKiB());
    return 0;
}
