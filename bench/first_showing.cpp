// Inside the program's own code: how long each calculator window takes to be shown the
// first time it is opened from the menu, how long its calculation book takes to be shown
// the first time after a worked example's press (F9), and how long the open book takes to
// follow a new press; the peak resident memory after start-up, after all five windows
// and after all five books. Under xvfb-run.

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>
#include <cstdio>

#include "calculators/catalogue.h"
#include "shell/application.h"
#include "shell/qt_text.h"
#include "shell/report_window.h"
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
    Shell shell(calculations());
    shell.start();
    Form* menu = shell.windows().front();
    if (!waitExposed(menu)) return 1;
    std::printf("peak RSS after start-up: %ld KiB\n", peakKiB());
    for (const CalculatorTable& table : calculations()) {
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

    for (const CalculatorTable& table : calculations()) {
        menu->button(table.opener)->click();
        CalculatorWindow* shown = nullptr;
        for (Form* w : shell.windows()) {
            if (w != menu && w->isVisible()) shown = qobject_cast<CalculatorWindow*>(w);
        }
        if (shown == nullptr || !waitExposed(shown)) return 1;
        const auto inputs = rowsWith(table.window, Role::Input);
        for (std::size_t f = 0; f < inputs.size(); ++f)
            shown->field(inputs[f]->name)->setText(qstr(table.example.at(f)));
        shown->compute();
        QElapsedTimer timer;
        timer.start();
        shown->openReport();
        if (!waitExposed(shown->reportWindow())) return 1;
        const double opening = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        timer.restart();
        shown->compute();  // the open book follows
        QApplication::processEvents();
        const double following = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        std::printf("first opening of the book of %-14s %7.2f ms, following a press %7.2f ms\n",
                    qUtf8Printable(shown->objectName()), opening, following);
        shown->button(rowWith(table.window, returnButton)->name)->click();
        QApplication::processEvents();
    }
    std::printf("peak RSS after opening all five books: %ld KiB\n", peakKiB());
    return 0;
}
