#include "shell/form.h"

#include <QApplication>
#include <QFile>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QPen>
#include <QPixmap>
#include <QRegularExpression>
#include <QStringList>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "hydraulics/quantities.h"
#include "shell/fonts.h"
#include "shell/number_field.h"
#include "shell/qt_text.h"

namespace lintavo {

namespace {

QRect pixelRect(const TwipRect& box) {
    return {twipsToPixels(box.left), twipsToPixels(box.top), twipsToPixels(box.width),
            twipsToPixels(box.height)};
}

QColor colourOf(Ink ink) {
    switch (ink) {
        case Ink::Red:
            return {255, 0, 0};
        case Ink::Blue:
            return {0, 0, 255};
        case Ink::Default:
            break;
    }
    return {};
}

// A substitute face can set a caption wider than the face it stands in for: its Latin
// letters beside the ideographs are wider than half an em. Such a one-line caption is set
// a little narrower until its ink fits the box; it is never cut off.
void narrowToFit(QLabel* label) {
    if (label->wordWrap() || label->text().isEmpty()) return;
    QFont font = label->font();
    const qreal room = label->contentsRect().width();
    const qreal ink = QFontMetricsF(font).tightBoundingRect(label->text()).right();
    if (ink <= room) return;
    font.setStretch(static_cast<int>(std::floor(100.0 * room / ink)));
    label->setFont(font);
}

// An image, or its drawing at twice the size ("name@2x.png") on a screen with two device
// pixels to the logical one, so that it stays sharp there.
QPixmap pictureFor(const QString& file, qreal ratio) {
    QString sharper = file;
    sharper.insert(file.lastIndexOf(QLatin1Char('.')), QStringLiteral("@2x"));
    if (ratio > 1.0 && QFile::exists(sharper)) {
        QPixmap image(sharper);
        image.setDevicePixelRatio(2.0);
        return image;
    }
    return QPixmap(file);
}

// A picture that can take the focus shows that it has it, as a button does: a frame in the
// highlight colour just inside its edge (Qt's labels draw no focus at all).
class FormPicture : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent* event) override {
        QLabel::paintEvent(event);
        if (!hasFocus()) return;
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
};

QWidget* makeControl(const ControlRow& row, QWidget* parent) {
    const QString text = qstr(row.text);
    switch (row.kind) {
        case ControlKind::Label: {
            auto* label = new QLabel(text, parent);
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(row.wrap);
            label->setAlignment(Qt::AlignTop |
                                (row.align == Align::Centre ? Qt::AlignHCenter : Qt::AlignLeft));
            return label;
        }
        case ControlKind::Field:
            return new NumberField(text, parent);
        case ControlKind::Button:
            return new FormButton(text, row.wrap, parent);
        case ControlKind::Picture: {
            // A picture's text names its image; the image sits at the area's top-left
            // corner, over the area's own background.
            auto* picture = new FormPicture(parent);
            picture->setPixmap(pictureFor(text, qApp->devicePixelRatio()));
            picture->setAlignment(Qt::AlignTop | Qt::AlignLeft);
            picture->setAutoFillBackground(true);
            return picture;
        }
    }
    return nullptr;
}

// Breaks a caption that is too wide at its runs of blanks, filling each line as far as it
// fits: "渠道断面  尺寸计算" becomes "渠道断面" over "尺寸计算". A word wider than the line is
// left for the painter to break anywhere.
QString wrapAtBlanks(const QString& caption, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(caption) <= width) return caption;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList words = caption.split(blanks, Qt::SkipEmptyParts);
    QStringList lines;
    QString line;
    for (const QString& word : words) {
        const QString joined = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && metrics.horizontalAdvance(joined) > width) {
            lines.append(line);
            line = word;
        } else {
            line = joined;
        }
    }
    lines.append(line);
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

QPalette::ColorRole textRoleOf(const QWidget* control) {
    if (qobject_cast<const QLineEdit*>(control) != nullptr) return QPalette::Text;
    if (qobject_cast<const QPushButton*>(control) != nullptr) return QPalette::ButtonText;
    return QPalette::WindowText;
}

FormButton::FormButton(const QString& caption, bool wrap, QWidget* parent)
    : QPushButton(caption, parent), wrap_(wrap) {}

void FormButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !event->isAutoRepeat()) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void FormButton::paintEvent(QPaintEvent* event) {
    if (!wrap_) {
        QPushButton::paintEvent(event);
    } else {
        paintWrapped();
    }
    // The style's own sign of the focus is a faintly tinted edge; a ring in the highlight
    // colour inside the edge tells at a glance which button Space or Return will press.
    if (hasFocus()) {
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
        painter.drawRect(QRectF(rect()).adjusted(3.5, 3.5, -3.5, -3.5));
    }
}

void FormButton::paintWrapped() {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(contents, Qt::AlignCenter | Qt::TextWordWrap,
                     wrapAtBlanks(caption, fontMetrics(), contents.width()));
}

Form::Form(const FormTable& table, QWidget* parent) : QWidget(parent) {
    setObjectName(qstr(table.name));
    setWindowTitle(qstr(table.title));
    setAccessibleName(qstr(table.title));
    setFont(fontFor(table.font));

    const QSize client(twipsToPixels(table.client.width), twipsToPixels(table.client.height));
    if (table.position) {
        // For a window, setGeometry places the client area, not the frame.
        setGeometry(
            QRect(QPoint(twipsToPixels(table.position->left), twipsToPixels(table.position->top)),
                  client));
    } else {
        resize(client);
    }
    setFixedSize(client);

    // Qt's Tab order follows the order in which the controls are made, so they are made in
    // the table's Tab order (the controls that take no focus last), and then stacked in
    // the table's order.
    std::vector<const ControlRow*> creation;
    for (const ControlRow& row : table.controls)
        creation.push_back(&row);
    std::stable_sort(creation.begin(), creation.end(),
                     [](const ControlRow* a, const ControlRow* b) {
                         const auto rank = [](const ControlRow* row) {
                             return row->tab == NoTab ? INT_MAX : row->tab;
                         };
                         return rank(a) < rank(b);
                     });
    QWidget* first = nullptr;
    for (const ControlRow* row : creation) {
        QWidget* widget = makeControl(*row, this);
        widget->setObjectName(qstr(row->name));
        // A screen reader names a field by the quantity its label shows.
        if (row->kind == ControlKind::Field)
            widget->setAccessibleName(qstr(quantityCaption(row->name)));
        widget->setGeometry(pixelRect(row->box));
        if (row->font) widget->setFont(fontFor(*row->font));
        if (row->kind == ControlKind::Label) narrowToFit(static_cast<QLabel*>(widget));
        if (row->ink != Ink::Default) {
            QPalette palette = widget->palette();
            palette.setColor(textRoleOf(widget), colourOf(row->ink));
            widget->setPalette(palette);
        }
        if (row->tab == NoTab) {
            widget->setFocusPolicy(Qt::NoFocus);
        } else {
            // The form's own numbering of its Tab order, kept with the control for tools
            // that describe the window; Qt's focus chain follows the same order.
            widget->setProperty(tabIndexProperty, row->tab);
            if (row->kind == ControlKind::Picture) widget->setFocusPolicy(Qt::TabFocus);
        }
        if (first == nullptr && row->tab != NoTab) first = widget;
    }
    for (const ControlRow& row : table.controls)
        control(row.name)->raise();
    if (first != nullptr) first->setFocus();
}

QWidget* Form::control(std::string_view name) const {
    return findChild<QWidget*>(qstr(name), Qt::FindDirectChildrenOnly);
}

QLineEdit* Form::field(std::string_view name) const {
    return findChild<QLineEdit*>(qstr(name), Qt::FindDirectChildrenOnly);
}

QPushButton* Form::button(std::string_view name) const {
    return findChild<QPushButton*>(qstr(name), Qt::FindDirectChildrenOnly);
}

}  // namespace lintavo
