#pragma once

// Buttons in a row while their window is wide enough, and on further rows when it is not:
// each in view, whole, at any width. The last one stands at the right end of its row, apart
// from the others, as a window's 关闭 does.

#include <QLayout>
#include <QList>

namespace lintavo {

class ButtonRows : public QLayout {
  public:
    ButtonRows() = default;
    ~ButtonRows() override;
    ButtonRows(const ButtonRows&) = delete;
    ButtonRows& operator=(const ButtonRows&) = delete;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

  private:
    // Lays the items out in `rect` (placing them when `place`), and gives the height they take.
    int arrange(const QRect& rect, bool place) const;
    int gap() const;

    QList<QLayoutItem*> items_;
};

}  // namespace lintavo
