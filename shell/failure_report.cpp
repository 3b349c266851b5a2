#include "shell/failure_report.h"

#include <QMessageBox>
#include <QWidget>

#include "shell/qt_text.h"

namespace lintavo {

QString failureMessage(FailureKind kind, std::string_view field, std::string_view sought) {
    const QString quoted = QStringLiteral("“%1”").arg(qstr(field));
    if (!field.empty()) {
        if (kind == FailureKind::Overflow) {
            return QStringLiteral("%1的数值超出了可以计算的范围，请重新输入。").arg(quoted);
        }
        return QStringLiteral("%1不是有效的数字，请重新输入。").arg(quoted);
    }
    switch (kind) {
        case FailureKind::DivisionByZero:
            return QStringLiteral("计算中出现了除以零，无法得到结果。请检查输入的数值。");
        case FailureKind::Overflow:
            return QStringLiteral("计算结果超出了数值范围（溢出）。请检查输入的数值。");
        case FailureKind::InvalidArgument:
            return QStringLiteral(
                "计算中出现了无效的参数（负数开方或负数的分数次幂）。请检查输入的数值。");
        case FailureKind::NoSolution:
            return QStringLiteral("在 0 到 10 m 之间找不到能通过这一流量的%1。").arg(qstr(sought));
        case FailureKind::TypeMismatch:
            break;
    }
    return QStringLiteral("输入的内容不是有效的数字，请重新输入。");
}

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
