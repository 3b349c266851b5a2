// Lintavo: shows the main window and waits for the user. --version and --help answer and
// end before any window, and need no display.

#include <QApplication>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "calculators/catalogue.h"
#include "shell/application.h"
#include "shell/shell.h"

namespace {

#ifndef Q_OS_WIN
// While the window system is being reached, Qt's messages are held back: a display that is
// named but cannot be reached makes Qt print a page about platform plugins and abort. That
// becomes one sentence and a plain failure status instead; a start that works prints what
// was held back.
QStringList heldBack;

void holdBack(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n",
                     qUtf8Printable(lintavo::noDisplayMessage(qEnvironmentVariable("DISPLAY"))));
        std::_Exit(1);
    }
    heldBack.append(message);
}
#endif

}  // namespace

int main(int argc, char* argv[]) {
    {
        QStringList arguments;
        for (int k = 0; k < argc; ++k)
            arguments.append(QString::fromLocal8Bit(argv[k]));
        if (const auto status = lintavo::answerCommandLine(arguments)) return *status;
    }
#ifdef Q_OS_WIN
    // Windows always has its window system; there is no display to look for.
    QApplication app(argc, argv);
#else
    if (!lintavo::displayAvailable()) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(lintavo::noDisplayMessage()));
        return 1;
    }
    qInstallMessageHandler(holdBack);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
    for (const QString& message : heldBack)
        std::fprintf(stderr, "%s\n", qUtf8Printable(message));
#endif
    lintavo::prepareApplication(app);

    lintavo::Shell shell(lintavo::calculations());
    QObject::connect(&shell, &lintavo::Shell::ended, &app, &QApplication::quit);
    shell.start();
    shell.offerRecovery();
    return QApplication::exec();
}
