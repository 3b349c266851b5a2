#include "shell/report_files.h"

#include <QBuffer>
#include <QDate>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <functional>
#include <optional>

#include "formats/docx.h"
#include "formats/dxf.h"
#include "formats/whole_file.h"
#include "shell/book_settings.h"
#include "shell/qt_text.h"
#include "shell/report_figures.h"
#include "shell/scheme_figure.h"

namespace lintavo {

namespace {

// True when written; else the reason in `why`, when given.
bool written(const QString& reason, QString* why) {
    if (!reason.isEmpty() && why != nullptr) *why = reason;
    return reason.isEmpty();
}

bool isSection(const Channel& c) {
    if (c.shape && !std::holds_alternative<Trapezoid>(*c.shape))
        return drawableToScale(*c.shape, c.h);
    return drawableToScale(c.b, c.h, c.m);
}

// Print resolution with room to spare: a drawing 80 mm wide is 1134 pixels.
constexpr double pictureDpi = 360.0;
// The book's drawings are 300 × 170 screen pixels; the same shape on paper.
constexpr double pictureWidthMm = 80.0;
constexpr double pictureHeightMm = pictureWidthMm * 170.0 / 300.0;
// The schemes' drawing is 240 × 230.
constexpr double schemesHeightMm = pictureWidthMm * 230.0 / 240.0;

// A design level the book draws: given, finite and positive.
std::optional<double> level(double x) {
    return std::isfinite(x) && x > 0 ? std::optional<double>(x) : std::nullopt;
}

DocxPicture picture(const std::function<void(QPainter&, const QRectF&)>& draw,
                    double heightMm = pictureHeightMm) {
    const auto pixels = [](double mm) {
        return static_cast<int>(std::lround(mm / 25.4 * pictureDpi));
    };
    QImage image(pixels(pictureWidthMm), pixels(heightMm), QImage::Format_RGB32);
    // The drawings size their lines and text by the device's resolution.
    image.setDotsPerMeterX(static_cast<int>(std::lround(pictureDpi / 0.0254)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(pictureDpi / 0.0254)));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter, QRectF(image.rect()));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return DocxPicture{png.toStdString(), pictureWidthMm, heightMm};
}

}  // namespace

std::vector<ChannelPictures> channelPictures(const CalculationReport& report) {
    std::vector<ChannelPictures> pictures;
    if (!report.failed) {
        for (const ReportChannel& channel : report.channels) {
            ChannelPictures p;
            if (!channel.exists) {
                pictures.push_back(std::move(p));
                continue;
            }
            const Channel c = channel.channel;
            const ShownTexts shown{qstr(channel.widthText), qstr(channel.depthText),
                                   qstr(channel.sideSlopeText), qstr(channel.dischargeText)};
            p.section = picture([c, &channel, &shown](QPainter& painter, const QRectF& area) {
                drawChannelSection(painter, area, c, channel.enlargedDepth, channel.bankHeight,
                                   channel.bankTopWidth, shown);
            });
            if (channel.complete) {
                const std::vector<RatingPoint> curve = ratingCurve(c, 61);
                p.rating = picture([&curve, c, &shown](QPainter& painter, const QRectF& area) {
                    drawRatingCurve(painter, area, curve, c.h, c.Q, shown);
                });
            }
            pictures.push_back(std::move(p));
        }
    }
    return pictures;
}

bool exportReportDocx(const CalculationReport& report, const QString& file, QString* why) {
    const std::vector<ChannelPictures> pictures = channelPictures(report);
    std::optional<DocxPicture> schemes;
    if (!report.failed) {
        if (report.schemes) {
            schemes = picture(
                [&report](QPainter& painter, const QRectF& area) {
                    drawSchemes(painter, area, *report.schemes);
                },
                schemesHeightMm);
        }
    }
    return written(writeWholeFile(file, reportDocx(report, pictures, schemes)), why);
}

std::vector<SectionOutline> sectionOutlines(const CalculationReport& report) {
    std::vector<SectionOutline> sections;
    if (report.failed) return sections;
    for (const ReportChannel& channel : report.channels) {
        const Channel& c = channel.channel;
        if (!isSection(c)) continue;
        SectionOutline s;
        s.b = c.b;
        s.h = c.h;
        s.m = c.m;
        s.enlargedDepth = level(channel.enlargedDepth);
        s.bankHeight = level(channel.bankHeight);
        s.title = channel.heading;
        s.depthText = channel.depthText;
        s.widthText = channel.widthText;
        s.shape = c.shape;
        s.bankTopWidth = level(channel.bankTopWidth);
        sections.push_back(std::move(s));
    }
    return sections;
}

bool exportReportDrawing(const CalculationReport& report, const QString& file, int scale,
                         QString* why) {
    const std::vector<SectionOutline> sections = sectionOutlines(report);
    if (sections.empty()) return written(QStringLiteral("计算书中没有可绘制的断面。"), why);
    if (scale <= 0) return written(QStringLiteral("出图比例必须是正数。"), why);
    // A scale at which the sections overrun the sheet gives way to one at which they fit.
    const int fitting = fittingScale(sections, scale);
    const DrawingSheet sheet{bookInfo(), QDate::currentDate().toString(Qt::ISODate).toStdString()};
    return written(writeWholeFile(file, dxf::write(sectionDrawing(sections, fitting, sheet))), why);
}

}  // namespace lintavo
