#include "shell/profile_view.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

#include "canal/profile.h"
#include "shell/qt_text.h"

namespace lintavo {

namespace {

// Stations and levels to pixels: the one place the drawing's scale lives. The stations run
// left to right across `area`, the levels bottom to top.
struct ProfileScale {
    QRectF area;
    double first = 0, last = 1;  // m
    double low = 0, high = 1;    // m

    QPointF at(double station, double level) const {
        const double x = area.left() + (station - first) / (last - first) * area.width();
        const double y = area.bottom() - (level - low) / (high - low) * area.height();
        return {x, y};
    }
};

// A line of the profile: each reach's two ends, joined at a junction by the step between
// the two reaches' levels there.
struct ProfileLine {
    const char* name;
    std::optional<EndLevels> ReachResult::*levels;
    QColor ink;
    Qt::PenStyle style;
};

const ProfileLine profileLines[] = {
    {"堤顶", &ReachResult::bank, QColor(0, 110, 0), Qt::SolidLine},
    {"加大水位", &ReachResult::wlb, QColor(0, 150, 210), Qt::DashLine},
    {"设计水位", &ReachResult::wl, QColor(0, 60, 220), Qt::SolidLine},
    {"渠底", &ReachResult::bed, QColor(140, 80, 20), Qt::SolidLine},
};

}  // namespace

ProfileView::ProfileView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("profile"));
    setAccessibleName(QStringLiteral("渠道纵断面图"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void ProfileView::show(const CanalProfile* profile) {
    profile_ = profile;
    update();
}

void ProfileView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics = fontMetrics();
    ProfileScale scale;
    double first = std::numeric_limits<double>::infinity(), last = -first;
    double low = first, high = -first;
    if (profile_ != nullptr) {
        for (const ReachResult& r : profile_->reaches) {
            if (!r.from || !r.to) continue;
            for (const ProfileLine& line : profileLines) {
                const auto& levels = r.*line.levels;
                if (!levels) continue;
                first = std::min({first, *r.from, *r.to});
                last = std::max({last, *r.from, *r.to});
                low = std::min({low, levels->up, levels->down});
                high = std::max({high, levels->up, levels->down});
            }
        }
    }
    if (!(first < last) || !(low <= high)) {
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(rect(), Qt::AlignCenter,
                         QStringLiteral("纵断面图：渠段的水位算出后在此画出。"));
        return;
    }
    // A tenth of the range above and below, at least 0.5 m, so the lines keep off the edges.
    const double pad = std::max(0.5, (high - low) / 10);
    scale.first = first;
    scale.last = last;
    scale.low = low - pad;
    scale.high = high + pad;
    const int left = metrics.horizontalAdvance(QStringLiteral("0000.00")) + 12;
    const int bottom = metrics.height() * 2 + 8;
    scale.area = QRectF(left, metrics.height() + 8, width() - left - 16,
                        height() - bottom - metrics.height() - 8);
    if (scale.area.width() < 10 || scale.area.height() < 10) return;

    // The frame, and the levels at its foot and head.
    painter.setPen(QPen(QColor(160, 160, 160), 1));
    painter.drawRect(scale.area);
    painter.setPen(palette().color(QPalette::Text));
    for (const double level : {scale.low, (scale.low + scale.high) / 2, scale.high}) {
        const QPointF p = scale.at(first, level);
        painter.drawText(QRectF(0, p.y() - metrics.height() / 2.0, left - 6, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(level, 'f', 2));
    }
    // The stations of the junctions, along the foot.
    double lastLabelRight = -1;
    for (const ReachResult& r : profile_->reaches) {
        for (const auto& station : {r.from, r.to}) {
            if (!station) continue;
            const QPointF p = scale.at(*station, scale.low);
            const QString label = qstr(formatStation(*station));
            const int w = metrics.horizontalAdvance(label);
            painter.setPen(QPen(QColor(200, 200, 200), 1, Qt::DotLine));
            painter.drawLine(QPointF(p.x(), scale.area.top()), p);
            // Centred under its station, but kept inside the widget at both ends.
            const double labelLeft =
                std::clamp(p.x() - w / 2.0, 0.0, static_cast<double>(width() - w));
            if (labelLeft <= lastLabelRight + 4) continue;
            painter.setPen(palette().color(QPalette::Text));
            painter.drawText(QPointF(labelLeft, p.y() + metrics.ascent() + 4), label);
            lastLabelRight = labelLeft + w;
        }
    }
    // The lines, each reach's ends joined to the next reach's where both have levels.
    for (const ProfileLine& line : profileLines) {
        painter.setPen(QPen(line.ink, 2, line.style));
        QPainterPath path;
        bool open = false;
        for (const ReachResult& r : profile_->reaches) {
            const auto& levels = r.*line.levels;
            if (!levels || !r.from || !r.to) {
                open = false;
                continue;
            }
            const QPointF up = scale.at(*r.from, levels->up);
            if (open) {
                path.lineTo(up);
            } else {
                path.moveTo(up);
            }
            path.lineTo(scale.at(*r.to, levels->down));
            open = true;
        }
        painter.drawPath(path);
    }
    // The control points: the level each requires, a small triangle pointing down at it.
    painter.setPen(QPen(QColor(192, 0, 0), 1.5));
    for (const ControlResult& c : profile_->controls) {
        if (!c.station || !c.required) continue;
        const QPointF p = scale.at(*c.station, *c.required);
        const QPointF triangle[] = {p, p + QPointF(-5, -8), p + QPointF(5, -8)};
        painter.drawPolygon(triangle, 3);
    }
    // The legend, along the head.
    double x = scale.area.left();
    for (const ProfileLine& line : profileLines) {
        painter.setPen(QPen(line.ink, 2, line.style));
        const double y = metrics.height() / 2.0 + 2;
        painter.drawLine(QPointF(x, y), QPointF(x + 24, y));
        painter.setPen(palette().color(QPalette::Text));
        const QString name = QString::fromUtf8(line.name);
        painter.drawText(QPointF(x + 28, y + metrics.ascent() / 2.0 - 1), name);
        x += 40 + metrics.horizontalAdvance(name);
    }
}

}  // namespace lintavo
