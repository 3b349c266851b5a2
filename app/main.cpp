// Lintavo: start-up takes no arguments; it shows the main window and waits for the user.

#include <QApplication>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "calculators/windows.h"
#include "shell/application.h"
#include "shell/shell.h"

namespace {

// A display that is named but cannot be reached makes Qt give up with a fatal message and
// an abort; say it in one line and leave with a plain failure status instead.
void reportFatal(QtMsgType type, const QMessageLogContext&, const QString& message) {
    std::fprintf(stderr, "%s\n", qUtf8Printable(message));
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", lintavo::noDisplayMessage);
        std::_Exit(1);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (!lintavo::displayAvailable()) {
        std::fprintf(stderr, "%s\n", lintavo::noDisplayMessage);
        return 1;
    }
    qInstallMessageHandler(reportFatal);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
    lintavo::prepareApplication(app);

    lintavo::Shell shell(lintavo::calculatorWindows());
    QObject::connect(&shell, &lintavo::Shell::ended, &app, &QApplication::quit);
    shell.start();
    return QApplication::exec();
}
