#pragma once

// 计算书信息: the filed book's names in a dialog, filled with those kept: 工程名称, 计算书名称
// (empty: the calculation's own name) and who calculates, checks and reviews it. 确定 (or
// Enter) keeps them, and every open book follows; 取消 (or Escape) changes nothing.

#include <QDialog>

#include "book/book_info.h"

class QLineEdit;

namespace lintavo {

class BookInfoDialog : public QDialog {
    Q_OBJECT

  public:
    explicit BookInfoDialog(QWidget* parent = nullptr);

    void fill(const BookInfo& info);
    BookInfo edited() const;

    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QLineEdit* project_;
    QLineEdit* title_;
    QLineEdit* designer_;
    QLineEdit* checker_;
    QLineEdit* reviewer_;
};

// Opens the dialog over `parent`, without waiting for it.
void openBookInfo(QWidget* parent);

}  // namespace lintavo
