#pragma once

// A window built from its table: every control created, placed, styled and put in the Tab
// order by one loop, so that a window's code holds nothing but its table and its actions.

#include <QPalette>
#include <QPushButton>
#include <QWidget>
#include <string_view>

#include "calculators/form_table.h"

class QLineEdit;

namespace lintavo {

// A push button as the forms have it: activated by a click, by Space and also by Return or
// Enter while it has the focus; a caption marked `wrap` breaks onto further lines.
class FormButton : public QPushButton {
  public:
    FormButton(const QString& caption, bool wrap, QWidget* parent);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void paintWrapped();

    bool wrap_;
};

// The dynamic property that holds a control's place in its form's Tab order (its tab index
// as the form numbers it; controls that take no focus have none).
inline constexpr const char* tabIndexProperty = "tabIndex";

// The palette role a control draws its text in: a field's text, a button's caption, a
// label's text.
QPalette::ColorRole textRoleOf(const QWidget* control);

class Form : public QWidget {
  public:
    explicit Form(const FormTable& table, QWidget* parent = nullptr);

    // The control, field or button of that objectName, or null.
    QWidget* control(std::string_view name) const;
    QLineEdit* field(std::string_view name) const;
    QPushButton* button(std::string_view name) const;
};

}  // namespace lintavo
