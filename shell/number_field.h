#pragma once

// The field every form has for a number: a line edit that behaves as an engineer using it
// expects. A paste drops the line breaks a spreadsheet or a terminal adds, which the field
// would otherwise hide; a double-click selects the whole number under the pointer, sign,
// point and exponent included (in "0.781或6.999" the candidate clicked); Return or Enter is
// answered once, never by auto-repeat; and a text wider than the field shows its start
// when the field is tabbed into or loses the focus, with the whole text in the tooltip.

#include <QLineEdit>
#include <QList>
#include <utility>

namespace lintavo {

class NumberField : public QLineEdit {
  public:
    NumberField(const QString& text, QWidget* parent);

    // The text with the line breaks that would hide in a one-line field dropped: those at
    // either end go, a run of them inside becomes one blank (so "1\n2" reads as the two
    // numbers it was, not as 12).
    static QString withoutLineBreaks(const QString& text);

    // What a double-click on the character at `index` of `text` selects: the number that
    // holds it, or the run of other characters between numbers ("或"); its first character
    // and its length, or length 0 on a blank.
    static std::pair<int, int> numberAt(const QString& text, int index);

    // Whether the whole text fits between the field's margins.
    bool textFits() const;

    // An entry its window adds at the end of the field's own context menu, after a separator.
    void addMenuEntry(QAction* action);
    // An entry before those added so far: the book stays the menu's last.
    void prependMenuEntry(QAction* action);

    // A line the tooltip always ends with, below the whole text when that does not fit.
    void setHint(const QString& hint);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QList<QAction*> menuEntries_;
    QString hint_;

    void pasteClipboard();
    void dropHiddenLineBreaks(const QString& edited);
    void updateToolTip();
};

}  // namespace lintavo
