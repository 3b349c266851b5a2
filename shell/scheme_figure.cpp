#include "shell/scheme_figure.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "shell/fonts.h"

namespace lintavo {

namespace {

QPen penOf(double points, double pt, const QColor& colour = Qt::black) {
    return QPen(colour, points * pt, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
}

// The longest of 1, 2 or 5 times a power of ten that is no longer than `most`.
double roundLength(double most) {
    const double decade = std::pow(10.0, std::floor(std::log10(most)));
    for (const double k : {5.0, 2.0, 1.0}) {
        if (k * decade <= most) return k * decade;
    }
    return decade;
}

}  // namespace

void drawSchemes(QPainter& painter, const QRectF& area, const Schemes& schemes) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(area);
    const QPaintDevice* device = painter.device();
    const double pt = (device != nullptr ? device->logicalDpiY() : 96.0) / 72.0;
    QFont font = fontFor(FaceStyle{"黑体", 8});
    const double fitting = area.height() / 12.0 / pt;
    if (fitting < 8.0) font.setPointSizeF(std::max(fitting, 4.0));
    painter.setFont(font);
    const QFontMetricsF metrics(font, device);
    const double line = metrics.height();

    const double m = schemes.m;
    const double top = 1.2 * schemes.best.h0;  // a common wall height, from the deepest
    double widest = 0;
    for (const SchemeRow& row : schemes.rows)
        widest = std::max(widest, row.b + 2 * m * top);
    const auto count = static_cast<double>(schemes.rows.size());

    // One section a line, the best at the top, like the table's rows; α and β at the left, the
    // scale bar beneath.
    const double margin = 3.0 * pt;
    const double labels =
        metrics.horizontalAdvance(QStringLiteral("β = 0.000")) + metrics.averageCharWidth();
    const QRectF room = area.adjusted(margin + labels, margin, -margin, -(margin + 2 * line));
    const double slot = room.height() / count;
    const double spacing = 0.35 * top;
    if (room.width() <= 0 || slot <= 2 * line || !(widest > 0) || !std::isfinite(widest)) {
        painter.setPen(penOf(0.5, pt));
        painter.drawText(area, Qt::AlignCenter, QStringLiteral("图幅太小"));
        painter.restore();
        return;
    }
    const double scale = std::min(room.width() / widest, slot / (top + spacing));
    const double middle = room.center().x();

    double slotTop = room.top();
    for (const SchemeRow& row : schemes.rows) {
        const double y0 = slotTop + slot / 2 + scale * top / 2;  // this section's bed
        const double bedLeft = middle - scale * row.b / 2;
        const auto at = [&](double across, double up) {
            return QPointF(bedLeft + scale * across, y0 - scale * up);
        };
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xbf, 0xdf, 0xff));
        painter.drawPolygon(
            QPolygonF{at(0, 0), at(row.b, 0), at(row.b + m * row.h, row.h), at(-m * row.h, row.h)});
        painter.setPen(penOf(0.6, pt, QColor(0x1f, 0x5f, 0xbf)));
        painter.drawLine(at(-m * row.h, row.h), at(row.b + m * row.h, row.h));
        painter.setPen(penOf(1.0, pt));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(
            QPolygonF{at(-m * top, top), at(0, 0), at(row.b, 0), at(row.b + m * top, top)});

        const bool fails = row.verdict == Verdict::NotMet;
        painter.setPen(penOf(0.5, pt, fails ? QColor(0xb0, 0, 0) : QColor(Qt::black)));
        const QRectF first(area.left() + margin, slotTop + slot / 2 - line, labels, line);
        painter.drawText(first, Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("α = ") + QString::number(row.alpha, 'f', 2));
        painter.drawText(first.translated(0, line), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("β = ") + QString::number(row.beta, 'f', 3));
        slotTop += slot;
    }

    // The scale bar beneath, centred: one round length of about a third of the widest.
    const double length = roundLength(widest / 3);
    const double barLeft = middle - scale * length / 2;
    const double barY = room.bottom() + line / 2;
    painter.setPen(penOf(0.8, pt));
    painter.drawLine(QPointF(barLeft, barY), QPointF(barLeft + scale * length, barY));
    for (const double end : {barLeft, barLeft + scale * length})
        painter.drawLine(QPointF(end, barY - 2.0 * pt), QPointF(end, barY + 2.0 * pt));
    painter.drawText(QRectF(room.left(), barY + 2.0 * pt, room.width(), line), Qt::AlignCenter,
                     QStringLiteral("五断面同一比例  ") + QString::number(length, 'g', 6) +
                         QStringLiteral(" m"));
    painter.restore();
}

}  // namespace lintavo
