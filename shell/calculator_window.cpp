#include "shell/calculator_window.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>

#include "hydraulics/quantities.h"
#include "shell/failure_report.h"
#include "shell/qt_text.h"

namespace lintavo {

CalculatorWindow::CalculatorWindow(const CalculatorTable& table, QWidget* parent)
    : Form(table.window, parent), calculator_(table) {
    const auto& [computeName, returnName, endName] = table.buttonRow;
    connect(button(computeName), &QPushButton::clicked, this, &CalculatorWindow::compute);
    connect(button(returnName), &QPushButton::clicked, this, &CalculatorWindow::returnRequested);
    connect(button(endName), &QPushButton::clicked, this, &CalculatorWindow::endRequested);
    for (std::string_view name : table.outputs) {
        field(name)->setAccessibleName(
            QStringLiteral("%1（计算结果）").arg(qstr(quantityCaption(name))));
        field(name)->setAccessibleDescription(QStringLiteral("计算结果"));
    }
}

void CalculatorWindow::compute() {
    Texts inputs;
    for (std::string_view name : calculator_.inputs)
        inputs.push_back(utf8(field(name)->text()));
    try {
        const Texts results = calculator_.press(inputs);
        for (std::size_t k = 0; k < results.size(); ++k) {
            field(calculator_.outputs[k])->setText(qstr(results[k]));
        }
    } catch (const CalculationFailure& failure) {
        const std::string_view failedField =
            failure.input() ? quantityCaption(calculator_.inputs[*failure.input()])
                            : std::string_view();
        showFailureReport(this, failure.kind(),
                          failureMessage(failure.kind(), failedField, calculator_.sought));
    }
}

void CalculatorWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    Q_EMIT closedFromTitleBar();
}

}  // namespace lintavo
