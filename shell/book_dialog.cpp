#include "shell/book_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "shell/book_settings.h"
#include "shell/qt_text.h"

namespace lintavo {

namespace {

QLineEdit* nameEdit(const char* name, const QString& placeholder = {}) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QLatin1String(name));
    edit->setPlaceholderText(placeholder);
    // A name, not a text: a line of a page's width at most.
    edit->setMaxLength(100);
    edit->setMinimumWidth(320);
    return edit;
}

std::string typed(const QLineEdit* edit) {
    return utf8(edit->text().trimmed());
}

}  // namespace

BookInfoDialog::BookInfoDialog(QWidget* parent)
    : QDialog(parent),
      project_(nameEdit("name")),
      title_(nameEdit("title", QStringLiteral("空：按计算名称，如“流量Q计算 计算书”"))),
      designer_(nameEdit("designer", QStringLiteral("空：留空白待签"))),
      checker_(nameEdit("checker", QStringLiteral("空：留空白待签"))),
      reviewer_(nameEdit("reviewer", QStringLiteral("空：留空白待签"))) {
    setObjectName(QStringLiteral("计算书信息"));
    setWindowTitle(QStringLiteral("计算书信息"));
    setAttribute(Qt::WA_QuitOnClose, false);

    // In the order Tab goes through them, the buttons last.
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("工程名称"), project_);
    form->addRow(QStringLiteral("计算书名称"), title_);
    form->addRow(QStringLiteral("计算"), designer_);
    form->addRow(QStringLiteral("校核"), checker_);
    form->addRow(QStringLiteral("审核"), reviewer_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText(QStringLiteral("确定"));
    ok->setDefault(true);  // Enter in any field
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &BookInfoDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &BookInfoDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    fill(bookInfo());
}

void BookInfoDialog::fill(const BookInfo& info) {
    project_->setText(qstr(info.project));
    title_->setText(qstr(info.title));
    designer_->setText(qstr(info.designer));
    checker_->setText(qstr(info.checker));
    reviewer_->setText(qstr(info.reviewer));
}

BookInfo BookInfoDialog::edited() const {
    return BookInfo{typed(project_), typed(title_), typed(designer_), typed(checker_),
                    typed(reviewer_)};
}

void BookInfoDialog::accept() {
    setBookInfo(edited());
    QDialog::accept();
}

void BookInfoDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Wholly within the screen's free area, however near its edge the window below it lies.
    const QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : this->screen();
    if (screen == nullptr) return;
    const QRect free = screen->availableGeometry();
    const QRect frame = frameGeometry();
    const int x = std::max(free.left(), std::min(frame.left(), free.right() + 1 - frame.width()));
    const int y = std::max(free.top(), std::min(frame.top(), free.bottom() + 1 - frame.height()));
    if (x != frame.left() || y != frame.top())
        move(pos() + QPoint(x - frame.left(), y - frame.top()));
}

void openBookInfo(QWidget* parent) {
    auto* dialog = new BookInfoDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
}

}  // namespace lintavo
