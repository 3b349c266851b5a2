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
    for (const ControlRow* row : rowsWith(table.window, Role::Input))
        inputs_.push_back(field(row->name));
    for (const ControlRow* row : rowsWith(table.window, Role::Output)) {
        QLineEdit* result = field(row->name);
        result->setAccessibleName(
            QStringLiteral("%1（计算结果）").arg(qstr(quantityCaption(row->name))));
        result->setAccessibleDescription(QStringLiteral("计算结果"));
        outputs_.push_back(result);
    }
    const auto buttonWith = [&](Role role) { return button(rowWith(table.window, role)->name); };
    QPushButton* computing = buttonWith(computeButton);
    connect(computing, &QPushButton::clicked, this, &CalculatorWindow::compute);
    // Return or Enter in any field is a click on 计算, failure report and all.
    for (const ControlRow& row : table.window.controls) {
        if (row.kind == ControlKind::Field)
            connect(field(row.name), &QLineEdit::returnPressed, computing, &QPushButton::click);
    }
    connect(buttonWith(returnButton), &QPushButton::clicked, this,
            &CalculatorWindow::returnRequested);
    connect(buttonWith(endButton), &QPushButton::clicked, this, &CalculatorWindow::endRequested);
}

void CalculatorWindow::compute() {
    Texts inputs;
    for (const QLineEdit* input : inputs_)
        inputs.push_back(utf8(input->text()));
    pressed_ = true;
    if (const auto results = runPress(calculator_.press, inputs, record_)) {
        for (std::size_t k = 0; k < results->size(); ++k) {
            outputs_[k]->setText(qstr((*results)[k]));
            // A number wider than its field shows its start, not its last digits.
            outputs_[k]->setCursorPosition(0);
        }
        return;
    }
    const FailureCause cause = explainFailure(calculator_, record_);
    showFailureReport(this, record_.failure->kind, qstr(cause.sentence));
    // The keyboard goes to the first field the report names, to mend it there.
    const auto fields = fieldsFor(calculator_, cause.fields);
    if (!fields.empty()) field(fields.front())->setFocus(Qt::OtherFocusReason);
}

void CalculatorWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    Q_EMIT closedFromTitleBar();
}

}  // namespace lintavo
