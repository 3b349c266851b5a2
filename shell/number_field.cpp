#include "shell/number_field.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>

namespace lintavo {

namespace {

// Qt's line edit keeps this much room, in pixels, between its contents rectangle and its text.
constexpr int innerMargin = 2;

// A little more room between the frame and the digits than the style leaves, so that a
// number never touches the frame.
constexpr int textMargin = 2;

bool isLineBreak(QChar c) {
    switch (c.unicode()) {
        case u'\n':
        case u'\r':
        case u'\v':
        case u'\f':
        case 0x0085:
        case 0x2028:
        case 0x2029:
            return true;
        default:
            return false;
    }
}

// A character that may stand in a number as the fields read it: digits, point, signs and
// exponent letters, and their full-width twins.
bool inNumber(QChar c) {
    if (c.isDigit()) return c.unicode() < 0x80 || (c >= u'０' && c <= u'９');
    switch (c.unicode()) {
        case u'.':
        case u'+':
        case u'-':
        case u'e':
        case u'E':
        case u'．':
        case u'＋':
        case u'－':
        case u'ｅ':
        case u'Ｅ':
            return true;
        default:
            return false;
    }
}

}  // namespace

NumberField::NumberField(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
    setTextMargins(textMargin, 0, textMargin, 0);
    // Ctrl+V, Shift+Insert and the context menu's 粘贴 come through pasteClipboard; a middle
    // click, a drop or any other way of putting text in is cleaned up after the fact.
    connect(this, &QLineEdit::textEdited, this, &NumberField::dropHiddenLineBreaks);
    connect(this, &QLineEdit::textChanged, this, &NumberField::updateToolTip);
    updateToolTip();
}

QString NumberField::withoutLineBreaks(const QString& text) {
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && isLineBreak(text.at(first)))
        ++first;
    while (end > first && isLineBreak(text.at(end - 1)))
        --end;
    QString kept;
    kept.reserve(end - first);
    for (qsizetype k = first; k < end; ++k) {
        if (!isLineBreak(text.at(k))) {
            kept.append(text.at(k));
        } else if (!isLineBreak(text.at(k - 1))) {
            kept.append(QLatin1Char(' '));
        }
    }
    return kept;
}

std::pair<int, int> NumberField::numberAt(const QString& text, int index) {
    if (index < 0 || index >= text.size() || text.at(index).isSpace()) return {index, 0};
    // A run of the characters of numbers, or of whatever stands between numbers ("或").
    const bool number = inNumber(text.at(index));
    const auto same = [&](int k) {
        return inNumber(text.at(k)) == number && !text.at(k).isSpace();
    };
    int first = index;
    int end = index + 1;
    while (first > 0 && same(first - 1))
        --first;
    while (end < text.size() && same(end))
        ++end;
    return {first, end - first};
}

bool NumberField::textFits() const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()
                               ->subElementRect(QStyle::SE_LineEditContents, &option, this)
                               .marginsRemoved(textMargins());
    return fontMetrics().horizontalAdvance(text()) <= contents.width() - 2 * innerMargin;
}

void NumberField::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        if (!isReadOnly()) pasteClipboard();
        event->accept();
        return;
    }
    // Return computes; held down, it would compute again and again behind the failure report.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->isAutoRepeat()) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void NumberField::contextMenuEvent(QContextMenuEvent* event) {
    QPointer<QMenu> menu = createStandardContextMenu();
    if (QAction* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
        disconnect(paste, &QAction::triggered, nullptr, nullptr);
        connect(paste, &QAction::triggered, this, &NumberField::pasteClipboard);
    }
    if (!menuEntries_.isEmpty()) {
        menu->addSeparator();
        menu->addActions(menuEntries_);
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void NumberField::addMenuEntry(QAction* action) {
    menuEntries_.append(action);
}

void NumberField::prependMenuEntry(QAction* action) {
    menuEntries_.prepend(action);
}

void NumberField::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton) return;
    // What Qt selected, a word, is kept when the pointer is on no number.
    const int wordStart = selectionStart();
    const int wordLength = static_cast<int>(selectedText().size());
    // The boundary nearest the pointer, and the character on the pointer's side of it.
    const int boundary = cursorPositionAt(event->position().toPoint());
    setCursorPosition(boundary);
    const int index = event->position().x() < cursorRect().center().x() ? boundary - 1 : boundary;
    const auto [first, length] = numberAt(text(), index);
    if (length > 0) {
        setSelection(first, length);
    } else if (wordLength > 0) {
        setSelection(wordStart, wordLength);
    }
}

void NumberField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Tabbed into, the field selects all its text with the cursor at the end, which shows
    // the end of a long number; the same selection made backwards shows its start.
    if (!text().isEmpty() && selectedText() == text()) {
        const int length = static_cast<int>(text().size());
        setSelection(length, -length);
    }
}

void NumberField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A selection kept while a menu or another window has the focus stays as it was.
    if (!hasSelectedText()) setCursorPosition(0);
}

void NumberField::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    updateToolTip();
}

void NumberField::pasteClipboard() {
    insert(withoutLineBreaks(QGuiApplication::clipboard()->text()));
}

void NumberField::dropHiddenLineBreaks(const QString& edited) {
    const QString kept = withoutLineBreaks(edited);
    if (kept == edited) return;
    const int cursor = cursorPosition();
    const int removed = static_cast<int>(edited.size() - kept.size());
    setText(kept);
    setCursorPosition(std::max(0, cursor - removed));
}

void NumberField::setHint(const QString& hint) {
    hint_ = hint;
    updateToolTip();
}

void NumberField::updateToolTip() {
    if (textFits()) {
        setToolTip(hint_);
    } else {
        setToolTip(hint_.isEmpty() ? text() : text() + QLatin1Char('\n') + hint_);
    }
}

}  // namespace lintavo
