#include "shell/report_figures.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <variant>
#include <vector>

#include "formats/section_drawing.h"
#include "shell/fonts.h"

namespace lintavo {

namespace {

// Sizes on the device: a "point" is 1/72 inch at the device's resolution, so a line or an
// arrow has the same size on the screen, in an image and on a printed page.
struct Pens {
    double pt;          // device units per point
    QFont font;         // labels
    double textHeight;  // of one line of labels

    QPen line(double points, const QColor& colour = Qt::black,
              Qt::PenStyle style = Qt::SolidLine) const {
        QPen pen(colour, points * pt, style, Qt::FlatCap, Qt::MiterJoin);
        pen.setCosmetic(false);
        return pen;
    }
};

// 9-point Hei, made smaller where the area is too small for a dozen lines of it.
Pens pensFor(QPainter& painter, const QRectF& area) {
    const QPaintDevice* device = painter.device();
    const double dpi = device != nullptr ? device->logicalDpiY() : 96.0;
    Pens pens{dpi / 72.0, fontFor(FaceStyle{"黑体", 9}), 0};
    const double fitting = area.height() / 14.0 / pens.pt;  // points
    if (fitting < 9.0) pens.font.setPointSizeF(std::max(fitting, 4.0));
    painter.setFont(pens.font);
    pens.textHeight = QFontMetricsF(pens.font, device).height();
    return pens;
}

// 2 → "2", 0.52801 → "0.528", 12.345 → "12.35", 41235 → "41235": a few significant digits,
// and an exponent only beyond what a line of digits can show (1e+30).
QString number(double x) {
    if (std::abs(x) >= 1e4 && std::abs(x) < 1e15) return QString::number(x, 'f', 0);
    return QString::number(x, 'g', 4);
}

// A quantity of the channel as its window shows it, else at the book's six significant digits:
// never a rounding of its own.
QString shownOr(const QString& shown, double x) {
    return shown.isEmpty() ? QString::number(x, 'g', 6) : shown;
}

QString metres(const char* symbol, const QString& shown, double x) {
    return QString::fromUtf8(symbol) + QStringLiteral(" = ") + shownOr(shown, x) +
           QStringLiteral(" m");
}

// A filled arrowhead at `tip`, pointing away from `from`.
void arrowhead(QPainter& painter, QPointF tip, QPointF from, const Pens& pens) {
    const QPointF d = tip - from;
    const double length = std::hypot(d.x(), d.y());
    if (length <= 0) return;
    const QPointF u = d / length;
    const QPointF n(-u.y(), u.x());
    const double size = 5.0 * pens.pt;
    const QPolygonF head{tip, tip - u * size + n * size * 0.3, tip - u * size - n * size * 0.3};
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawPolygon(head);
    painter.restore();
}

// A dimension line from a to b with arrows at both ends and its text centred beside it:
// above a horizontal line (below it with `under`), left of a vertical one.
void dimension(QPainter& painter, QPointF a, QPointF b, const QString& label, const Pens& pens,
               bool under = false) {
    painter.setPen(pens.line(0.5));
    painter.drawLine(a, b);
    arrowhead(painter, a, b, pens);
    arrowhead(painter, b, a, pens);
    const QFontMetricsF metrics(pens.font, painter.device());
    const double w = metrics.horizontalAdvance(label);
    const QPointF mid = (a + b) / 2;
    QRectF box;
    if (std::abs(b.y() - a.y()) < std::abs(b.x() - a.x())) {
        const double y =
            under ? mid.y() + 1.0 * pens.pt : mid.y() - pens.textHeight - 1.0 * pens.pt;
        box = QRectF(mid.x() - w / 2, y, w, pens.textHeight);
    } else {
        box =
            QRectF(mid.x() - w - 3.0 * pens.pt, mid.y() - pens.textHeight / 2, w, pens.textHeight);
    }
    // A white ground keeps the text readable where it crosses a line.
    painter.fillRect(box, Qt::white);
    painter.drawText(box, Qt::AlignCenter, label);
}

// Short strokes on the earth side of a boundary from p to q, the side to the right of p→q.
void hatch(QPainter& painter, QPointF p, QPointF q, const Pens& pens) {
    const QPointF d = q - p;
    const double length = std::hypot(d.x(), d.y());
    if (length <= 0) return;
    const QPointF u = d / length;
    const QPointF outward(-u.y(), u.x());  // right of p→q in device coordinates (y down)
    const double gap = 5.0 * pens.pt;
    const double stroke = 4.0 * pens.pt;
    painter.setPen(pens.line(0.4));
    // Strokes lean 45° back along the boundary, the usual mark for earth.
    const QPointF lean = (outward - u) / std::sqrt(2.0) * stroke;
    for (double s = gap / 2; s < length; s += gap) {
        const QPointF at = p + u * s;
        painter.drawLine(at, at + lean);
    }
}

QColor waterFill() {
    return QColor(0xbf, 0xdf, 0xff);
}
QColor waterLine() {
    return QColor(0x1f, 0x5f, 0xbf);
}

void note(QPainter& painter, const QRectF& area, const Pens& pens, std::string_view text) {
    painter.setPen(pens.line(0.5));
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap,
                     QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

// The bank tops at the walls' tops: a short crest mark, or where the canal's rank gives a
// bank-top width (`metres`, `across` device units), the tops of that width dimensioned above.
void bankTops(QPainter& painter, QPointF left, QPointF right, double across, double metres,
              const Pens& pens) {
    painter.setPen(pens.line(1.4));
    if (!(across > 0)) {
        const double crest = 4.0 * pens.pt;
        painter.drawLine(left, left - QPointF(crest, 0));
        painter.drawLine(right, right + QPointF(crest, 0));
        return;
    }
    const QPointF outerLeft = left - QPointF(across, 0);
    const QPointF outerRight = right + QPointF(across, 0);
    painter.drawLine(left, outerLeft);
    painter.drawLine(right, outerRight);
    const double drop = std::min(across, 4.0 * pens.pt);
    painter.drawLine(outerLeft, outerLeft + QPointF(-drop, drop));
    painter.drawLine(outerRight, outerRight + QPointF(drop, drop));
    // A line of text above the top width's dimension, which spans the water between them.
    const double up = 12.0 * pens.pt + pens.textHeight;
    const QString label =
        QStringLiteral("堤顶宽 = ") + QString::number(metres, 'g', 6) + QStringLiteral(" m");
    for (const auto& [a, z] : {std::pair{outerLeft, left}, std::pair{right, outerRight}}) {
        painter.setPen(pens.line(0.4));
        painter.drawLine(a, a - QPointF(0, up + 2.0 * pens.pt));
        painter.drawLine(z, z - QPointF(0, up + 2.0 * pens.pt));
        dimension(painter, a - QPointF(0, up), z - QPointF(0, up), label, pens);
    }
}

// Short strokes on the earth side of a polyline, evenly along its whole length.
void hatchAlong(QPainter& painter, const QPolygonF& line, const Pens& pens) {
    const double gap = 5.0 * pens.pt;
    const double stroke = 4.0 * pens.pt;
    painter.setPen(pens.line(0.4));
    double next = gap / 2;
    double walked = 0;
    for (qsizetype k = 1; k < line.size(); ++k) {
        const QPointF d = line[k] - line[k - 1];
        const double length = std::hypot(d.x(), d.y());
        if (length <= 0) continue;
        const QPointF u = d / length;
        const QPointF outward(-u.y(), u.x());
        const QPointF lean = (outward - u) / std::sqrt(2.0) * stroke;
        for (; next < walked + length; next += gap) {
            const QPointF at = line[k - 1] + u * (next - walked);
            painter.drawLine(at, at + lean);
        }
        walked += length;
    }
}

// A shape's outline as points, x from its axis and y from its lowest point, left bank top to
// right bank top (a circle: crown, left, bottom, right, crown); arcs in steps of 3° at most.
std::vector<QPointF> outlinePoints(const SectionShape& shape, double top) {
    std::vector<QPointF> points;
    const auto add = [&points](double x, double y) {
        if (points.empty() || points.back() != QPointF(x, y)) points.emplace_back(x, y);
    };
    const auto arc = [&add](dxf::Point c, double r, double from, double to) {
        const int steps = std::max(2, static_cast<int>(std::ceil(std::abs(to - from) / 3.0)));
        for (int k = 0; k <= steps; ++k) {
            const double t = (from + (to - from) * k / steps) * std::numbers::pi / 180.0;
            add(c.x + r * std::cos(t), c.y + r * std::sin(t));
        }
    };
    for (const dxf::Entity& e : shapeOutline(shape, top)) {
        if (const auto* l = std::get_if<dxf::Line>(&e)) {
            add(l->a.x, l->a.y), add(l->b.x, l->b.y);
        } else if (const auto* a = std::get_if<dxf::Arc>(&e)) {
            // Left to right along the outline is counter-clockwise round the arcs below.
            arc(a->centre, a->radius, a->startDegrees, a->endDegrees);
        } else if (const auto* c = std::get_if<dxf::Circle>(&e)) {
            arc(c->centre, c->radius, 90.0, 450.0);
        }
    }
    return points;
}

// The part of an outline at or below depth h, closed by the water line: the water's outline.
QPolygonF below(const std::vector<QPointF>& outline, double h) {
    QPolygonF water;
    for (std::size_t k = 0; k < outline.size(); ++k) {
        const QPointF p = outline[k];
        if (k > 0) {
            const QPointF q = outline[k - 1];
            if ((q.y() - h) * (p.y() - h) < 0) {
                const double t = (h - q.y()) / (p.y() - q.y());
                water << QPointF(q.x() + (p.x() - q.x()) * t, h);
            }
        }
        if (p.y() <= h) water << p;
    }
    return water;
}

// A lined section (U, arc-toe trapezoid, circle) as drawSection draws a trapezoid.
void drawShaped(QPainter& painter, const QRectF& area, const SectionShape& shape, double h,
                double enlargedDepth, double bankHeight, double bankTopWidth,
                const ShownTexts& shown, const Pens& pens) {
    const bool closed = isClosed(shape);
    const double D = closed ? fullDepth(shape) : 0.0;
    const bool enlarged = std::isfinite(enlargedDepth) && enlargedDepth > 0;
    const bool bank = !closed && std::isfinite(bankHeight) && bankHeight > 0;
    const double top = closed ? D
                       : bank ? std::max(bankHeight, h)
                              : std::max(1.2 * h, enlarged ? 1.1 * enlargedDepth : 0.0);
    if (!shapeProblem(shape).empty() || !std::isfinite(h) || !(h > 0) || h > fullDepth(shape) ||
        !std::isfinite(top)) {
        note(painter, area, pens, "此断面无法绘制");
        return;
    }
    if (!drawableToScale(shape, h) || (!closed && !drawableToScale(shape, top))) {
        note(painter, area, pens, notToScale);
        return;
    }
    const double crestWidth =
        bank && std::isfinite(bankTopWidth) && bankTopWidth > 0 ? bankTopWidth : 0.0;
    const double half = closed ? D / 2 : topWidthAt(shape, top) / 2;
    const double width = 2 * (half + crestWidth);
    const double m = sideSlopeOf(shape);
    const auto* u = std::get_if<ArcBottom>(&shape);
    const auto* toe = std::get_if<ArcToeTrapezoid>(&shape);
    const QFontMetricsF metrics(pens.font, painter.device());
    const QString slopeText = u != nullptr ? QStringLiteral("α = ") +
                                                 QString::number(u->alphaDegrees, 'g', 6) +
                                                 QStringLiteral("°")
                                           : QStringLiteral("1:") + shownOr(shown.m, m);
    const bool slope = !closed && m > 0;
    const QString hText = metres("h", shown.h, h);

    const double gap = 4.0 * pens.pt;
    const double margin = 2.0 * pens.pt;
    const double left = margin + metrics.horizontalAdvance(hText) + 3 * gap;
    const double right = margin + (slope ? metrics.horizontalAdvance(slopeText) + 2 * gap : gap);
    const double above = margin + pens.textHeight + 3 * gap + (crestWidth > 0 ? 6 * gap : 0);
    const double under = margin + pens.textHeight + 3 * gap + 1.0 * pens.pt;
    const QRectF room = area.adjusted(left, above, -right, -under);
    if (room.width() <= 0 || room.height() <= 0) {
        note(painter, area, pens, "图幅太小");
        return;
    }
    const double scale = std::min(room.width() / width, room.height() / top);
    if (!std::isfinite(scale) || !(scale > 0)) {
        note(painter, area, pens, "此断面无法绘制");
        return;
    }
    // x = 0 on the axis, y = 0 at the lowest point, upwards.
    const double x0 = room.center().x();
    const double y0 = room.center().y() + scale * top / 2;
    const auto at = [&](double x, double y) { return QPointF(x0 + scale * x, y0 - scale * y); };
    const auto onPage = [&](const std::vector<QPointF>& points) {
        QPolygonF page;
        for (const QPointF& p : points)
            page << at(p.x(), p.y());
        return page;
    };

    const std::vector<QPointF> outline = outlinePoints(shape, top);
    const double B = topWidthAt(shape, h);
    const QPointF waterLeft = at(-B / 2, h), waterRight = at(B / 2, h);

    painter.setPen(Qt::NoPen);
    painter.setBrush(waterFill());
    {
        QPolygonF water;
        for (const QPointF& p : below(outline, h))
            water << at(p.x(), p.y());
        painter.drawPolygon(water);
    }
    painter.setPen(pens.line(0.8, waterLine()));
    painter.drawLine(waterLeft, waterRight);
    {
        const QPointF tip = waterLeft + (waterRight - waterLeft) / 3.0;
        const double s = 3.0 * pens.pt;
        painter.setPen(pens.line(0.5, waterLine()));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolygon(
            QPolygonF{tip, tip + QPointF(-s, -1.6 * s), tip + QPointF(s, -1.6 * s)});
        painter.drawLine(tip + QPointF(-0.7 * s, 0.6 * s), tip + QPointF(0.7 * s, 0.6 * s));
        painter.drawLine(tip + QPointF(-0.35 * s, 1.2 * s), tip + QPointF(0.35 * s, 1.2 * s));
    }
    if (enlarged && enlargedDepth <= top) {
        QPen dashed = pens.line(0.8, waterLine());
        dashed.setStyle(Qt::DashLine);
        painter.setPen(dashed);
        const double across = topWidthAt(shape, enlargedDepth) / 2;
        painter.drawLine(at(-across, enlargedDepth), at(across, enlargedDepth));
    }
    if (bank)
        bankTops(painter, at(-half, top), at(half, top), crestWidth * scale, crestWidth, pens);

    const QPolygonF page = onPage(outline);
    hatchAlong(painter, page, pens);
    painter.setPen(pens.line(1.4));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(page);

    painter.setPen(pens.line(0.4));
    const double reach = 2 * gap;
    if (toe != nullptr && toe->b > 0) {
        const QPointF bedLeft = at(-toe->b / 2, 0), bedRight = at(toe->b / 2, 0);
        const double y = bedLeft.y() + reach;
        painter.drawLine(bedLeft, QPointF(bedLeft.x(), y + gap / 2));
        painter.drawLine(bedRight, QPointF(bedRight.x(), y + gap / 2));
        dimension(painter, QPointF(bedLeft.x(), y), QPointF(bedRight.x(), y),
                  metres("b", shown.b, toe->b), pens, true);
    }
    {
        const double y = at(0, top).y() - reach;
        painter.setPen(pens.line(0.4));
        painter.drawLine(waterLeft, QPointF(waterLeft.x(), y - gap / 2));
        painter.drawLine(waterRight, QPointF(waterRight.x(), y - gap / 2));
        dimension(painter, QPointF(waterLeft.x(), y), QPointF(waterRight.x(), y),
                  metres("B", {}, B), pens);
    }
    {
        const double x = at(-half, 0).x() - reach;
        const QPointF lowest = at(0, 0);
        painter.setPen(pens.line(0.4));
        painter.drawLine(lowest, QPointF(x - gap / 2, lowest.y()));
        painter.drawLine(waterLeft, QPointF(x - gap / 2, waterLeft.y()));
        dimension(painter, QPointF(x, waterLeft.y()), QPointF(x, lowest.y()), hText, pens);
    }
    // The radius of the arc at the right, or the pipe's diameter, from the centre.
    {
        const double r = closed ? D / 2 : (toe != nullptr ? toe->r : u->r);
        const double beta = toe != nullptr ? std::atan2(1.0, toe->m) * 180.0 / std::numbers::pi
                            : u != nullptr ? 90.0 - u->alphaDegrees
                                           : 90.0;
        const double t = (270.0 + beta / 2) * std::numbers::pi / 180.0;
        const double cx = toe != nullptr ? toe->b / 2 : 0.0;
        const QPointF centre = at(cx, r);
        const QPointF rim = at(cx + r * std::cos(t), r + r * std::sin(t));
        const QPointF start = closed ? at(cx - r * std::cos(t), r - r * std::sin(t)) : centre;
        painter.setPen(pens.line(0.5));
        painter.drawLine(start, rim);
        arrowhead(painter, rim, start, pens);
        if (closed) arrowhead(painter, start, rim, pens);
        const QString label = closed ? metres("D", {}, D) : metres("r", {}, r);
        const double w = metrics.horizontalAdvance(label);
        const QRectF box(centre.x() - w / 2, centre.y() - pens.textHeight - 1.0 * pens.pt, w,
                         pens.textHeight);
        painter.fillRect(box, Qt::white);
        painter.drawText(box, Qt::AlignCenter, label);
    }
    if (slope) {
        const double y = (arcDepth(shape) + top) / 2;
        const double x = topWidthAt(shape, y) / 2;
        const QPointF mid = at(x, y);
        const double clear = std::min(m * pens.textHeight / 2, room.width());
        const QRectF box(mid.x() + 2 * gap + clear, mid.y() - pens.textHeight / 2,
                         metrics.horizontalAdvance(slopeText), pens.textHeight);
        painter.setPen(pens.line(0.5));
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, slopeText);
    }
}

}  // namespace

void drawChannelSection(QPainter& painter, const QRectF& area, const Channel& channel,
                        double enlargedDepth, double bankHeight, double bankTopWidth,
                        const ShownTexts& shown) {
    if (!channel.shape || std::holds_alternative<Trapezoid>(*channel.shape)) {
        drawSection(painter, area, channel.b, channel.h, channel.m, enlargedDepth, bankHeight,
                    shown, bankTopWidth);
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(area);
    const Pens pens = pensFor(painter, area);
    drawShaped(painter, area, *channel.shape, channel.h, enlargedDepth, bankHeight, bankTopWidth,
               shown, pens);
    painter.restore();
}

void drawSection(QPainter& painter, const QRectF& area, double b, double h, double m,
                 double enlargedDepth, double bankHeight, const ShownTexts& shown,
                 double bankTopWidth) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(area);
    const Pens pens = pensFor(painter, area);
    const double B = b + 2 * m * h;
    const bool enlarged = std::isfinite(enlargedDepth) && enlargedDepth > 0;
    const bool bank = std::isfinite(bankHeight) && bankHeight > 0;
    // The walls rise a fifth of h above the water, or to the bank top; always above the
    // enlarged water.
    const double top =
        bank ? std::max(bankHeight, h) : std::max(1.2 * h, enlarged ? 1.1 * enlargedDepth : 0.0);
    // The bank tops of the canal's rank beside the walls, where the design check gives them.
    const double crestWidth =
        bank && std::isfinite(bankTopWidth) && bankTopWidth > 0 ? bankTopWidth : 0.0;
    const double width = b + 2 * m * top + 2 * crestWidth;  // across the bank tops, m
    if (!std::isfinite(b) || !std::isfinite(h) || !std::isfinite(m) || !std::isfinite(B) ||
        !std::isfinite(width) || !std::isfinite(top) || b < 0 || m < 0 || !(h > 0) ||
        !(b + m * h > 0)) {
        note(painter, area, pens, "此断面无法绘制");
        painter.restore();
        return;
    }
    // The walls and the water as drawn, both within what a page shows to scale.
    if (!drawableToScale(b, h, m) || !drawableToScale(b, top, m)) {
        note(painter, area, pens, notToScale);
        painter.restore();
        return;
    }
    const QFontMetricsF metrics(pens.font, painter.device());
    const QString slopeText = QStringLiteral("1:") + shownOr(shown.m, m);
    const QString hText = metres("h", shown.h, h);

    // Room around the section for the dimensions: b below, B above, h at the left, the slope
    // mark at the right.
    const double gap = 4.0 * pens.pt;
    const double margin = 2.0 * pens.pt;
    const double left = margin + metrics.horizontalAdvance(hText) + 3 * gap;
    const double right = margin + (m > 0 ? metrics.horizontalAdvance(slopeText) + 2 * gap : gap);
    const double above = margin + pens.textHeight + 3 * gap + (crestWidth > 0 ? 6 * gap : 0);
    const double below = margin + pens.textHeight + 3 * gap + 1.0 * pens.pt;
    const QRectF room = area.adjusted(left, above, -right, -below);
    if (room.width() <= 0 || room.height() <= 0) {
        note(painter, area, pens, "图幅太小");
        painter.restore();
        return;
    }
    const double scale = std::min(room.width() / width, room.height() / top);
    // A section far too small for the room (h of 1e-320 m) has no scale a drawing can take.
    if (!std::isfinite(scale) || !(scale > 0)) {
        note(painter, area, pens, "此断面无法绘制");
        painter.restore();
        return;
    }
    // Centred in the room; x = 0 at the left end of the bed, y = 0 at the bed, upwards.
    const double x0 = room.center().x() - scale * (width / 2 - m * top - crestWidth);
    const double y0 = room.center().y() + scale * top / 2;
    const auto at = [&](double x, double y) { return QPointF(x0 + scale * x, y0 - scale * y); };

    const QPointF bedLeft = at(0, 0), bedRight = at(b, 0);
    const QPointF wallLeft = at(-m * top, top), wallRight = at(b + m * top, top);
    const QPointF waterLeft = at(-m * h, h), waterRight = at(b + m * h, h);

    // The water.
    painter.setPen(Qt::NoPen);
    painter.setBrush(waterFill());
    painter.drawPolygon(QPolygonF{bedLeft, bedRight, waterRight, waterLeft});
    painter.setPen(pens.line(0.8, waterLine()));
    painter.drawLine(waterLeft, waterRight);
    // The water-level mark ▽ on the surface, a third of the way across.
    {
        const QPointF tip = waterLeft + (waterRight - waterLeft) / 3.0;
        const double s = 3.0 * pens.pt;
        painter.setPen(pens.line(0.5, waterLine()));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolygon(
            QPolygonF{tip, tip + QPointF(-s, -1.6 * s), tip + QPointF(s, -1.6 * s)});
        painter.drawLine(tip + QPointF(-0.7 * s, 0.6 * s), tip + QPointF(0.7 * s, 0.6 * s));
        painter.drawLine(tip + QPointF(-0.35 * s, 1.2 * s), tip + QPointF(0.35 * s, 1.2 * s));
    }

    // The enlarged water line, dashed, and the bank top marked at H.
    if (enlarged && enlargedDepth <= top) {
        QPen dashed = pens.line(0.8, waterLine());
        dashed.setStyle(Qt::DashLine);
        painter.setPen(dashed);
        painter.drawLine(at(-m * enlargedDepth, enlargedDepth),
                         at(b + m * enlargedDepth, enlargedDepth));
    }
    if (bank) bankTops(painter, wallLeft, wallRight, crestWidth * scale, crestWidth, pens);

    // The channel: bed and walls, with the earth hatched outside.
    hatch(painter, wallLeft, bedLeft, pens);
    if (b > 0) hatch(painter, bedLeft, bedRight, pens);
    hatch(painter, bedRight, wallRight, pens);
    painter.setPen(pens.line(1.4));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QPolygonF{wallLeft, bedLeft, bedRight, wallRight});

    // Dimensions, each with thin extension lines from the section.
    painter.setPen(pens.line(0.4));
    const double reach = 2 * gap;
    if (b > 0) {
        const double y = bedLeft.y() + reach;
        painter.drawLine(bedLeft, QPointF(bedLeft.x(), y + gap / 2));
        painter.drawLine(bedRight, QPointF(bedRight.x(), y + gap / 2));
        dimension(painter, QPointF(bedLeft.x(), y), QPointF(bedRight.x(), y),
                  metres("b", shown.b, b), pens, true);
    }
    {
        const double y = wallLeft.y() - reach;
        painter.setPen(pens.line(0.4));
        painter.drawLine(waterLeft, QPointF(waterLeft.x(), y - gap / 2));
        painter.drawLine(waterRight, QPointF(waterRight.x(), y - gap / 2));
        dimension(painter, QPointF(waterLeft.x(), y), QPointF(waterRight.x(), y),
                  metres("B", {}, B), pens);
    }
    {
        const double x = std::min(wallLeft.x(), bedLeft.x()) - reach;
        painter.setPen(pens.line(0.4));
        painter.drawLine(bedLeft, QPointF(x - gap / 2, bedLeft.y()));
        painter.drawLine(waterLeft, QPointF(x - gap / 2, waterLeft.y()));
        dimension(painter, QPointF(x, waterLeft.y()), QPointF(x, bedLeft.y()), hText, pens);
    }
    // The slope, written beside the middle of the right wall.
    if (m > 0) {
        const QPointF mid = (bedRight + wallRight) / 2;
        // Clear of the wall and its hatching; the wall leans out by m for every unit up.
        const double clear = std::min(m * pens.textHeight / 2, room.width());
        const QRectF box(mid.x() + 2 * gap + clear, mid.y() - pens.textHeight / 2,
                         metrics.horizontalAdvance(slopeText), pens.textHeight);
        painter.setPen(pens.line(0.5));
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, slopeText);
    }
    painter.restore();
}

namespace {

// The ticks of an axis from 0: a step of 1, 2 or 5 times a power of ten giving about
// `wanted` intervals up to `top`, and how many of them reach it. Whatever the range, huge,
// tiny or beyond what a power of ten can step, there are at most `wanted` + 1 intervals:
// where no such step exists the axis has one interval, 0 to `top`.
struct Ticks {
    double step;
    int count;
    double top() const { return step * count; }
};

Ticks ticksFor(double top, int wanted) {
    const double raw = top / wanted;
    if (raw > 0 && std::isfinite(raw)) {
        const double power = std::pow(10.0, std::floor(std::log10(raw)));
        for (const double f : {1.0, 2.0, 5.0, 10.0}) {
            const double step = f * power;
            if (!(step >= raw)) continue;
            const double count = std::ceil(top / step - 1e-9);
            if (count >= 1 && count <= wanted + 1 && std::isfinite(count * step))
                return {step, static_cast<int>(count)};
            break;
        }
    }
    return {top, 1};
}

}  // namespace

void drawRatingCurve(QPainter& painter, const QRectF& area, const std::vector<RatingPoint>& curve,
                     double h, double Q, const ShownTexts& shown) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(area);
    const Pens pens = pensFor(painter, area);
    double hMax = 0, QMax = 0;
    for (const RatingPoint& p : curve) {
        if (!std::isfinite(p.h) || !std::isfinite(p.Q)) continue;
        hMax = std::max(hMax, p.h);
        QMax = std::max(QMax, p.Q);
    }
    const bool marked = std::isfinite(h) && std::isfinite(Q) && h >= 0 && Q >= 0;
    if (marked) {
        hMax = std::max(hMax, h);
        QMax = std::max(QMax, Q);
    }
    if (curve.size() < 2 || !(hMax > 0) || !(QMax > 0)) {
        note(painter, area, pens, "无水位流量关系曲线");
        painter.restore();
        return;
    }
    const Ticks hTicks = ticksFor(hMax, 6), QTicks = ticksFor(QMax, 6);
    const double hTop = hTicks.top(), QTop = QTicks.top();

    // Discharge across, depth up, as a stage–discharge curve is read.
    const QFontMetricsF metrics(pens.font, painter.device());
    const double gap = 4.0 * pens.pt;
    double labelWidth = 0;
    for (int k = 0; k <= hTicks.count; ++k)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(number(k * hTicks.step)));
    const QRectF plot = area.adjusted(
        2 * gap + pens.textHeight + labelWidth + gap, pens.textHeight / 2 + gap,
        -gap - metrics.horizontalAdvance(number(QTop)) / 2, -(2 * gap + 2 * pens.textHeight + gap));
    if (plot.width() <= 0 || plot.height() <= 0) {
        note(painter, area, pens, "图幅太小");
        painter.restore();
        return;
    }
    const auto at = [&](double q, double depth) {
        return QPointF(plot.left() + plot.width() * q / QTop,
                       plot.bottom() - plot.height() * depth / hTop);
    };

    // Grid, ticks and numbers.
    const double tick = 3.0 * pens.pt;
    for (int k = 0; k <= hTicks.count; ++k) {
        const double v = k * hTicks.step;
        const QPointF p = at(0, v);
        painter.setPen(pens.line(0.3, QColor(0xd0, 0xd0, 0xd0)));
        if (k > 0) painter.drawLine(p, at(QTop, v));
        painter.setPen(pens.line(0.6));
        painter.drawLine(p, p - QPointF(tick, 0));
        painter.drawText(QRectF(p.x() - tick - gap - labelWidth, p.y() - pens.textHeight / 2,
                                labelWidth, pens.textHeight),
                         Qt::AlignRight | Qt::AlignVCenter, number(v));
    }
    for (int k = 0; k <= QTicks.count; ++k) {
        const double v = k * QTicks.step;
        const QPointF p = at(v, 0);
        painter.setPen(pens.line(0.3, QColor(0xd0, 0xd0, 0xd0)));
        if (k > 0) painter.drawLine(p, at(v, hTop));
        painter.setPen(pens.line(0.6));
        painter.drawLine(p, p + QPointF(0, tick));
        const double w = metrics.horizontalAdvance(number(v));
        painter.drawText(QRectF(p.x() - w / 2, p.y() + tick + gap / 2, w, pens.textHeight),
                         Qt::AlignCenter, number(v));
    }
    painter.setPen(pens.line(0.8));
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());

    // Axis titles: discharge centred under its numbers, depth turned up the left edge.
    const QString QTitle = QStringLiteral("流量 Q (m³/s)");
    painter.drawText(QRectF(plot.left(), plot.bottom() + tick + gap + pens.textHeight + gap / 2,
                            plot.width(), pens.textHeight),
                     Qt::AlignCenter, QTitle);
    painter.save();
    painter.translate(area.left() + gap + pens.textHeight / 2, plot.center().y());
    painter.rotate(-90);
    painter.drawText(
        QRectF(-plot.height() / 2, -pens.textHeight / 2, plot.height(), pens.textHeight),
        Qt::AlignCenter, QStringLiteral("水深 h (m)"));
    painter.restore();

    // The curve.
    QPolygonF line;
    for (const RatingPoint& p : curve) {
        if (std::isfinite(p.h) && std::isfinite(p.Q)) line << at(p.Q, p.h);
    }
    painter.setPen(pens.line(1.2, waterLine()));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(line);

    // The press's point, with dashed guides to both axes and its figures beside it.
    if (marked) {
        const QPointF p = at(Q, h);
        painter.setPen(pens.line(0.6, QColor(0x60, 0x60, 0x60), Qt::DashLine));
        painter.drawLine(p, at(0, h));
        painter.drawLine(p, at(Q, 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::red);
        const double r = 2.2 * pens.pt;
        painter.drawEllipse(p, r, r);
        const QString label = QStringLiteral("Q = ") + shownOr(shown.Q, Q) +
                              QStringLiteral(" m³/s, h = ") + shownOr(shown.h, h) +
                              QStringLiteral(" m");
        const double w = metrics.horizontalAdvance(label);
        // In the corner of the plot the curve leaves emptier, so that the box hides none of
        // it: the curve rises from the origin to the far corner, leaving the other two.
        const QRectF corners[] = {
            QRectF(plot.left() + gap, plot.top() + gap, w, pens.textHeight),
            QRectF(plot.right() - gap - w, plot.bottom() - gap - pens.textHeight, w,
                   pens.textHeight),
        };
        const auto covered = [&line](const QRectF& box) {
            int n = 0;
            for (int k = 1; k < line.size(); ++k) {
                // The segment's middle as well as its ends.
                for (const QPointF& q : {line[k - 1], (line[k - 1] + line[k]) / 2, line[k]})
                    n += box.contains(q) ? 1 : 0;
            }
            return n;
        };
        const QRectF box = covered(corners[1]) < covered(corners[0]) ? corners[1] : corners[0];
        painter.setPen(pens.line(0.5));
        painter.fillRect(box, Qt::white);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, label);
    }
    painter.restore();
}

}  // namespace lintavo
