#include "shell/calculator_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <algorithm>

#include "calculators/summary.h"

#include "hydraulics/quantities.h"
#include "shell/batch_window.h"
#include "shell/book_dialog.h"
#include "shell/design_dialog.h"
#include "shell/failure_report.h"
#include "shell/fonts.h"
#include "shell/number_field.h"
#include "shell/qt_text.h"
#include "shell/reference_dialog.h"
#include "shell/report_window.h"

namespace lintavo {

namespace {

const QString bookHint = QStringLiteral("右键或按 F9 打开计算书");
const QString inputHint = QStringLiteral("右键或按 F9 打开计算书；按 Ctrl+B 批量计算");
const QString computeHint = QStringLiteral(
    "在输入框中按回车也可计算。\n计算后按 F9 或右键打开计算书；按 Ctrl+B 批量计算；\n"
    "在窗口空白处右键还可打开校核设置。");
// Shown under the buttons until the user has once opened the book, a context menu, the batch
// window or 校核设置: the way to them is no control of the form.
const QString firstUseHint =
    QStringLiteral("提示：按 F9 或右键打开计算书；右键菜单中还有批量计算（Ctrl+B）和校核设置。");
const auto hintSeenKey = QStringLiteral("hints/menusFound");
const QColor noticeInk(176, 0, 0);
// Dark grey on the window's grey, 7 : 1: a hint, not a warning.
const QColor hintInk(80, 80, 80);
const QString earlierHint = QStringLiteral("上次计算的结果；本次计算失败");
const QString earlierNotice = QStringLiteral("本次计算失败，灰色的结果为上次计算的结果。");
// Grey on a field's white: still 5 : 1, and plainly not the red of a current result.
const QColor earlierInk(112, 112, 112);

// The strip every form leaves under its button row, for a line about the last press: it
// covers no control of the table and moves none.
QLabel* noticeLine(const FormTable& table, QWidget* window) {
    int bottom = 0;
    for (const ControlRow& row : table.controls)
        bottom = std::max(bottom, twipsToPixels(row.box.top + row.box.height));
    auto* line = new QLabel(window);
    line->setAccessibleName(QStringLiteral("提示"));
    line->setTextFormat(Qt::PlainText);
    line->setWordWrap(true);
    line->setAlignment(Qt::AlignCenter);
    line->setFocusPolicy(Qt::NoFocus);
    line->setFont(fontFor(FaceStyle{"宋体", 9}));
    const int margin = 6;
    line->setGeometry(margin, bottom + 2, window->width() - 2 * margin,
                      window->height() - bottom - 4);
    line->hide();
    return line;
}

}  // namespace

CalculatorWindow::CalculatorWindow(const CalculatorTable& table, QWidget* parent)
    : Form(table.window, parent), calculator_(table), notice_(noticeLine(table.window, this)) {
    for (const ControlRow* row : rowsWith(table.window, Role::Input))
        inputs_.push_back(field(row->name));
    for (const ControlRow* row : rowsWith(table.window, Role::Output)) {
        QLineEdit* result = field(row->name);
        result->setAccessibleName(
            QStringLiteral("%1（计算结果）").arg(qstr(quantityCaption(row->name))));
        result->setAccessibleDescription(QStringLiteral("计算结果"));
        outputs_.push_back(result);
        inks_.push_back(result->palette().color(QPalette::Text));
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
    computing->setToolTip(computeHint);
    offerReport();
    offerDesign();
    offerBatch();
    // Any context menu, of the window or of a field, shows where the book and the rest are.
    for (QLineEdit* input : inputs_) {
        if (auto* number = dynamic_cast<NumberField*>(input)) number->setHint(inputHint);
    }
    for (auto* f : findChildren<QLineEdit*>())
        f->installEventFilter(this);
    showNotice();
}

bool CalculatorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ContextMenu) found();
    return Form::eventFilter(watched, event);
}

void CalculatorWindow::found() {
    if (!showsHint()) return;
    QSettings().setValue(hintSeenKey, true);
    showNotice();
}

bool CalculatorWindow::showsHint() const {
    return !notice_->isHidden() && said_.isEmpty();
}

// The calculation book is reached without a control of its own: from the context menu of
// the window and of each field, and by F9.
void CalculatorWindow::offerReport() {
    auto* entry = new QAction(QStringLiteral("计算书…"), this);
    entry->setShortcut(QKeySequence(reportShortcut));
    entry->setShortcutContext(Qt::WindowShortcut);
    connect(entry, &QAction::triggered, this, &CalculatorWindow::openReport);
    addAction(entry);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this, entry](const QPoint& at) {
        found();
        QMenu menu(this);
        menu.addActions(actions());
        menu.exec(mapToGlobal(at));
    });
    for (auto* f : findChildren<NumberField*>())
        f->addMenuEntry(entry);
    for (QLineEdit* result : outputs_) {
        if (auto* number = dynamic_cast<NumberField*>(result)) number->setHint(bookHint);
    }
}

// The design check's settings from the window's context menu, and the standard's tables of n
// and m from the menus of the fields that take them.
void CalculatorWindow::offerDesign() {
    auto* settings = new QAction(QStringLiteral("校核设置…"), this);
    connect(settings, &QAction::triggered, this, [this] {
        found();
        openDesignSettings(this);
    });
    // Before the book, which stays the menu's last entry.
    insertAction(actions().isEmpty() ? nullptr : actions().front(), settings);
    // The filed book's names beside the settings.
    auto* names = new QAction(QStringLiteral("计算书信息…"), this);
    connect(names, &QAction::triggered, this, [this] { openBookInfo(this); });
    insertAction(actions().at(1), names);
    for (const ControlRow* row : rowsWith(calculator_.window, Role::Input)) {
        const std::string_view caption = quantityCaption(row->name);
        const bool roughness = caption == "糙率n";
        auto* f = dynamic_cast<NumberField*>(field(row->name));
        if ((!roughness && caption != "边坡系数m") || f == nullptr) continue;
        const StandardKind kind = roughness ? StandardKind::Roughness : StandardKind::SideSlope;
        auto* reference = new QAction(QStringLiteral("参考表…"), f);
        connect(reference, &QAction::triggered, f, [f, kind] { openReference(kind, f); });
        f->prependMenuEntry(reference);
    }
}

// Many reaches at once, from the window's context menu and by Ctrl+B; the fields' menus keep
// the entries they have.
void CalculatorWindow::offerBatch() {
    auto* entry = new QAction(QStringLiteral("批量计算…"), this);
    entry->setShortcut(QKeySequence(batchShortcut));
    entry->setShortcutContext(Qt::WindowShortcut);
    connect(entry, &QAction::triggered, this, &CalculatorWindow::openBatch);
    // Before the book, which stays the menu's last entry.
    insertAction(actions().isEmpty() ? nullptr : actions().back(), entry);
}

void CalculatorWindow::openBatch() {
    found();
    if (batch_ == nullptr) batch_ = new BatchWindow(*this);
    batch_->show();
    batch_->raise();
    batch_->activateWindow();
}

void CalculatorWindow::openReport() {
    found();
    if (report_ == nullptr) {
        report_ = new ReportWindow(*this);
    } else {
        report_->refresh();
    }
    report_->open();
}

void CalculatorWindow::typeInputs(std::string_view symbols, const std::vector<std::string>& texts,
                                  const QString& note) {
    const auto names = fieldsFor(calculator_, symbols);
    for (std::size_t k = 0; k < names.size() && k < texts.size(); ++k) {
        QLineEdit* input = field(names[k]);
        input->setText(qstr(texts[k]));
        input->setCursorPosition(0);
    }
    for (QLineEdit* result : outputs_)
        result->clear();
    markEarlier(false);
    say(note);
    button(rowWith(calculator_.window, computeButton)->name)->setFocus(Qt::OtherFocusReason);
}

void CalculatorWindow::showEvent(QShowEvent* event) {
    // Another window may have shown the user the way since this one was last shown.
    showNotice();
    Form::showEvent(event);
}

void CalculatorWindow::hideEvent(QHideEvent* event) {
    Form::hideEvent(event);
    if (report_ != nullptr) report_->hide();
    if (batch_ != nullptr) {
        batch_->cancel();
        batch_->hide();
    }
}

void CalculatorWindow::compute() {
    Texts inputs;
    for (const QLineEdit* input : inputs_)
        inputs.push_back(utf8(input->text()));
    const auto results = runPress(calculator_.press, inputs, record_);
    if (report_ != nullptr && report_->isVisible()) report_->refresh();
    if (results) {
        for (std::size_t k = 0; k < results->size(); ++k) {
            outputs_[k]->setText(qstr((*results)[k]));
            // A number wider than its field shows its start, not its last digits.
            outputs_[k]->setCursorPosition(0);
        }
        markEarlier(false);
        // A circle's second depth, which the fields have no place for, is said under them.
        QString sentence = qstr(absentChannelSentence(summarize(calculator_, record_)));
        if (calculator_.remarks && !record_.remark.empty())
            sentence +=
                (sentence.isEmpty() ? QString() : QStringLiteral(" ")) + qstr(record_.remark);
        say(sentence);
        return;
    }
    // Seen behind the failure report already: what the fields still hold is not this press's.
    const bool shown = std::any_of(outputs_.begin(), outputs_.end(), [](const QLineEdit* result) {
        return !result->text().isEmpty();
    });
    markEarlier(shown);
    say(shown ? earlierNotice : QString());
    const FailureCause cause = explainFailure(calculator_, record_);
    showFailureReport(this, record_.failure->kind, qstr(cause.sentence));
    // The keyboard goes to the first field the report names, to mend it there.
    const auto fields = fieldsFor(calculator_, cause.fields);
    if (!fields.empty()) field(fields.front())->setFocus(Qt::OtherFocusReason);
}

QString CalculatorWindow::notice() const {
    return said_;
}

void CalculatorWindow::say(const QString& text) {
    said_ = text;
    showNotice();
}

void CalculatorWindow::showNotice() {
    // What the last press says comes first; the hint has the line while it says nothing.
    const bool hint = said_.isEmpty() && !QSettings().value(hintSeenKey, false).toBool();
    const QString& text = hint ? firstUseHint : said_;
    QPalette palette = notice_->palette();
    palette.setColor(QPalette::WindowText, hint ? hintInk : noticeInk);
    notice_->setPalette(palette);
    notice_->setText(text);
    notice_->setToolTip(text);
    notice_->setVisible(!text.isEmpty());
}

void CalculatorWindow::markEarlier(bool earlier) {
    earlier_ = earlier;
    for (std::size_t k = 0; k < outputs_.size(); ++k) {
        QLineEdit* result = outputs_[k];
        QPalette palette = result->palette();
        palette.setColor(QPalette::Text, earlier ? earlierInk : inks_[k]);
        result->setPalette(palette);
        if (auto* number = dynamic_cast<NumberField*>(result))
            number->setHint(earlier ? earlierHint + QLatin1Char('\n') + bookHint : bookHint);
    }
}

void CalculatorWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    Q_EMIT closedFromTitleBar();
}

}  // namespace lintavo
