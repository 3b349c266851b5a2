#include "shell/button_rows.h"

#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace lintavo {

ButtonRows::~ButtonRows() {
    while (QLayoutItem* item = ButtonRows::takeAt(0))
        delete item;
}

void ButtonRows::addItem(QLayoutItem* item) {
    items_.append(item);
}

int ButtonRows::count() const {
    return static_cast<int>(items_.size());
}

QLayoutItem* ButtonRows::itemAt(int index) const {
    return items_.value(index);
}

QLayoutItem* ButtonRows::takeAt(int index) {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

Qt::Orientations ButtonRows::expandingDirections() const {
    return {};
}

bool ButtonRows::hasHeightForWidth() const {
    return true;
}

int ButtonRows::heightForWidth(int width) const {
    const QMargins m = contentsMargins();
    return arrange(QRect(0, 0, width - m.left() - m.right(), 0), false) + m.top() + m.bottom();
}

QSize ButtonRows::minimumSize() const {
    // As narrow as the widest button, each on a row of its own.
    int width = 0;
    for (const QLayoutItem* item : items_)
        width = std::max(width, item->minimumSize().width());
    const QMargins m = contentsMargins();
    width += m.left() + m.right();
    return {width, heightForWidth(width)};
}

QSize ButtonRows::sizeHint() const {
    // All of them on one row.
    int width = 0;
    int height = 0;
    for (const QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        width += (width > 0 ? gap() : 0) + item->sizeHint().width();
        height = std::max(height, item->sizeHint().height());
    }
    return QSize(width, height).grownBy(contentsMargins());
}

void ButtonRows::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    arrange(rect.marginsRemoved(contentsMargins()), true);
}

int ButtonRows::gap() const {
    if (spacing() >= 0) return spacing();
    const QWidget* parent = parentWidget();
    const QStyle* style = parent != nullptr ? parent->style() : nullptr;
    const int metric =
        style != nullptr ? style->pixelMetric(QStyle::PM_LayoutHorizontalSpacing) : -1;
    return metric >= 0 ? metric : 6;
}

int ButtonRows::arrange(const QRect& rect, bool place) const {
    int x = rect.x();
    int y = rect.y();
    int rowHeight = 0;
    QLayoutItem* last = nullptr;
    for (QLayoutItem* item : items_) {
        if (!item->isEmpty()) last = item;
    }
    for (QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        // No wider than the row, where it can be narrower than it would like.
        QSize size = item->sizeHint();
        size.setWidth(std::max(std::min(size.width(), rect.width()), item->minimumSize().width()));
        // A new row where this one has no room left, unless it is the row's first.
        if (x > rect.x() && x + size.width() > rect.x() + rect.width()) {
            x = rect.x();
            y += rowHeight + gap();
            rowHeight = 0;
        }
        if (item == last) x = std::max(x, rect.x() + rect.width() - size.width());
        if (place) item->setGeometry(QRect(QPoint(x, y), size));
        x += size.width() + gap();
        rowHeight = std::max(rowHeight, size.height());
    }
    return y + rowHeight - rect.y();
}

}  // namespace lintavo
