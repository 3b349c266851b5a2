#include "shell/failure_report.h"

#include <QMessageBox>
#include <QWidget>

#include "shell/qt_text.h"

namespace lintavo {

void showFailureReport(QWidget* parent, FailureKind kind, const QString& message) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Lintavo"), message, QMessageBox::Ok,
                    parent);
    box.setProperty("failureKind", qstr(failureKindName(kind)));
    box.exec();
    // Give the keyboard back to the window the press came from, also where no window
    // manager would do it.
    if (parent != nullptr) parent->activateWindow();
}

}  // namespace lintavo
