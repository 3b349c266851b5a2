#include "shell/report_document.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <variant>

#include "shell/fonts.h"
#include "shell/qt_text.h"
#include "shell/report_figures.h"
#include "shell/scheme_figure.h"

#ifndef LINTAVO_VERSION
#define LINTAVO_VERSION "0"
#endif

namespace lintavo {

namespace {

// The drawings are painted at three times the screen's resolution, so that they stay sharp
// on paper, and shown at their size in screen pixels.
constexpr int drawingScale = 3;
constexpr double drawingDpi = 96.0 * drawingScale;
const QString resourceScheme = QStringLiteral("lintavo-report");

QTextCharFormat textFormat(std::string_view face, double points, bool bold = false) {
    QTextCharFormat format;
    QFont font = fontFor(FaceStyle{face, points, bold, false});
    format.setFont(font);
    return format;
}

QTextCharFormat body() {
    return textFormat("宋体", 10.5);
}

void heading(QTextCursor& cursor, const QString& text) {
    QTextBlockFormat block;
    block.setTopMargin(12);
    block.setBottomMargin(6);
    cursor.insertBlock(block, textFormat("黑体", 12));
    cursor.insertText(text);
}

void paragraph(QTextCursor& cursor, const QString& text, const QTextCharFormat& format = body()) {
    QTextBlockFormat block;
    block.setTopMargin(2);
    cursor.insertBlock(block, format);
    cursor.insertText(text);
}

// A table with a header row in Hei and thin borders; the cursor ends after it.
// `alerts`, where given, marks the cells shown in red.
QTextTable* table(QTextCursor& cursor, const QStringList& header,
                  const std::vector<QStringList>& rows, std::initializer_list<double> percents,
                  const std::vector<std::vector<bool>>& alerts = {}) {
    QTextTableFormat format;
    format.setBorder(1);
    format.setBorderBrush(QColor(0x80, 0x80, 0x80));
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderCollapse(true);
    format.setCellPadding(3);
    format.setCellSpacing(0);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    format.setHeaderRowCount(1);
    QList<QTextLength> widths;
    for (const double p : percents)
        widths.append(QTextLength(QTextLength::PercentageLength, p));
    format.setColumnWidthConstraints(widths);
    const int columns = static_cast<int>(header.size());
    QTextTable* t = cursor.insertTable(static_cast<int>(rows.size()) + 1, columns, format);
    // Past eight columns of figures a smaller type keeps each figure on one line.
    const double points = columns > 8 ? 8.5 : 10.5;
    const QTextCharFormat head = textFormat("黑体", points - 0.5);
    for (int c = 0; c < columns; ++c) {
        QTextTableCell cell = t->cellAt(0, c);
        QTextCharFormat shade = cell.format();
        shade.setBackground(QColor(0xee, 0xf2, 0xf7));
        cell.setFormat(shade);
        QTextCursor at = cell.firstCursorPosition();
        at.insertText(header[c], head);
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < columns && c < rows[r].size(); ++c) {
            QTextCursor at = t->cellAt(static_cast<int>(r) + 1, c).firstCursorPosition();
            QTextCharFormat ink = textFormat("宋体", points);
            const auto k = static_cast<std::size_t>(c);
            if (r < alerts.size() && k < alerts[r].size() && alerts[r][k])
                ink.setForeground(QColor(0xb0, 0, 0));
            at.insertText(rows[r][c], ink);
        }
    }
    cursor = t->lastCursorPosition();
    cursor.movePosition(QTextCursor::NextBlock);
    return t;
}

QString withUnit(const std::string& value, const std::string& unit) {
    if (unit.empty() || value == "—") return qstr(value);
    return qstr(value) + QLatin1Char(' ') + qstr(unit);
}

void insertDrawing(QTextDocument& document, QTextCursor& cursor, const QString& name, QSizeF size,
                   const std::function<void(QPainter&, const QRectF&)>& draw) {
    QImage image((size * drawingScale).toSize(), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(drawingDpi / 0.0254));
    image.setDotsPerMeterY(qRound(drawingDpi / 0.0254));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter, QRectF(image.rect()));
    }
    const QUrl url(resourceScheme + QLatin1Char(':') + name + QStringLiteral(".png"));
    document.addResource(QTextDocument::ImageResource, url, image);
    QTextImageFormat format;
    format.setName(url.toString());
    format.setWidth(size.width());
    format.setHeight(size.height());
    cursor.insertImage(format);
}

void writeHeading(QTextCursor& cursor, const CalculationReport& report) {
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    centred.setBottomMargin(4);
    cursor.setBlockFormat(centred);
    cursor.insertText(qstr(report.calculation) + QStringLiteral(" 计算书"), textFormat("黑体", 18));
    cursor.insertBlock(centred, textFormat("宋体", 9));
    cursor.insertText(
        QStringLiteral("计算时间：%1    程序：%2").arg(qstr(report.when), qstr(report.program)));
}

void writeKnown(QTextCursor& cursor, const CalculationReport& report) {
    heading(cursor, QStringLiteral("一、已知条件"));
    std::vector<QStringList> rows;
    for (const ReportRow& r : report.known)
        rows.push_back({qstr(r.name), qstr(r.symbol), qstr(r.value), qstr(r.unit), qstr(r.note)});
    table(cursor,
          {QStringLiteral("名称"), QStringLiteral("符号"), QStringLiteral("输入值"),
           QStringLiteral("单位"), QStringLiteral("说明")},
          rows, {18, 10, 22, 12, 38});
}

void writeSteps(QTextCursor& cursor, const CalculationReport& report) {
    heading(cursor, QStringLiteral("二、计算公式与过程"));
    if (report.steps.empty() && report.bisection.empty()) {
        paragraph(cursor, QStringLiteral("没有计算步骤：输入值未能全部读取。"));
        return;
    }
    if (!report.steps.empty()) {
        std::vector<QStringList> rows;
        for (const ReportStep& s : report.steps) {
            const QString symbol = qstr(s.symbol);
            rows.push_back(
                {qstr(s.name),
                 s.formula.empty() ? symbol : symbol + QStringLiteral(" = ") + qstr(s.formula),
                 s.substituted.empty() ? QString() : QStringLiteral("= ") + qstr(s.substituted),
                 // The step that failed has no value to equate.
                 s.value == "无法计算" ? qstr(s.value)
                                       : QStringLiteral("= ") + withUnit(s.value, s.unit)});
        }
        table(cursor,
              {QStringLiteral("项目"), QStringLiteral("公式"), QStringLiteral("代入数值"),
               QStringLiteral("结果")},
              rows, {16, 27, 35, 22});
    }
    for (const std::string& line : report.bisection)
        paragraph(cursor, qstr(line));
    if (!report.steps.empty() && !report.failed)
        paragraph(cursor, QStringLiteral("注：") + qstr(report.precisionNote),
                  textFormat("宋体", 9));
}

void writeFailure(QTextCursor& cursor, const CalculationReport& report) {
    heading(cursor, QStringLiteral("三、计算失败"));
    QTextCharFormat red = body();
    red.setForeground(QColor(0xb0, 0, 0));
    paragraph(cursor, qstr(report.failure), red);
    paragraph(cursor, QStringLiteral("失败类型：%1").arg(qstr(report.failureKind)),
              textFormat("宋体", 9));
}

void writeResults(QTextCursor& cursor, const CalculationReport& report) {
    heading(cursor, QStringLiteral("三、计算结果"));
    std::vector<QStringList> rows;
    for (const ReportResult& r : report.results)
        rows.push_back({qstr(r.name), withUnit(r.exact, r.unit), qstr(r.written), qstr(r.rule)});
    table(cursor,
          {QStringLiteral("名称"), QStringLiteral("计算值（截取前）"),
           QStringLiteral("结果（写入值）"), QStringLiteral("截取规则")},
          rows, {14, 26, 18, 42});
}

void writeChannel(QTextDocument& document, QTextCursor& cursor, const ReportChannel& channel,
                  int index) {
    if (!channel.heading.empty()) {
        QTextBlockFormat block;
        block.setTopMargin(10);
        block.setBottomMargin(4);
        cursor.insertBlock(block, textFormat("黑体", 10.5));
        cursor.insertText(qstr(channel.heading));
    }
    if (!channel.exists) return;
    std::vector<QStringList> rows;
    for (const ReportRow& r : channel.rows)
        rows.push_back({qstr(r.name), qstr(r.symbol), withUnit(r.value, r.unit), qstr(r.note)});
    table(cursor,
          {QStringLiteral("名称"), QStringLiteral("符号"), QStringLiteral("数值"),
           QStringLiteral("说明")},
          rows, {22, 10, 40, 28});
    const Channel c = channel.channel;
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    centred.setTopMargin(8);
    cursor.insertBlock(centred, body());
    const QString suffix = QString::number(index);
    insertDrawing(document, cursor, QStringLiteral("section-") + suffix, QSizeF(300, 170),
                  [c](QPainter& p, const QRectF& area) { drawSection(p, area, c.b, c.h, c.m); });
    if (channel.complete) {
        const std::vector<RatingPoint> curve = ratingCurve(c, 61);
        cursor.insertText(QStringLiteral("  "));
        insertDrawing(document, cursor, QStringLiteral("rating-") + suffix, QSizeF(300, 170),
                      [curve, c](QPainter& p, const QRectF& area) {
                          drawRatingCurve(p, area, curve, c.h, c.Q);
                      });
    }
    cursor.insertBlock(centred, textFormat("宋体", 9));
    cursor.insertText(channel.complete
                          ? QStringLiteral("左：断面图（按比例）　右：水位流量关系曲线 Q(h)")
                          : QStringLiteral("断面图（按比例）"));
}

void writeHydraulics(QTextDocument& document, QTextCursor& cursor,
                     const CalculationReport& report) {
    heading(cursor, QStringLiteral("四、水力要素与流态"));
    paragraph(cursor, QStringLiteral("按输入值和截取前的计算值，g = 9.81 m/s²，α = 1。"),
              textFormat("宋体", 9));
    if (std::none_of(report.channels.begin(), report.channels.end(),
                     [](const ReportChannel& c) { return c.exists; }))
        paragraph(cursor, QStringLiteral("没有水深和底宽都为正的断面。"));
    int index = 0;
    for (const ReportChannel& channel : report.channels)
        writeChannel(document, cursor, channel, index++);
}

// The drawing a section shows beside its first table, from the report's data.
void insertFigure(QTextDocument& document, QTextCursor& cursor, const CalculationReport& report,
                  ReportFigure figure) {
    if (figure == ReportFigure::Schemes && report.schemes) {
        const Schemes schemes = *report.schemes;
        insertDrawing(
            document, cursor, QStringLiteral("schemes"), QSizeF(240, 230),
            [schemes](QPainter& p, const QRectF& area) { drawSchemes(p, area, schemes); });
    }
}

// A section beyond the calculation: its paragraphs and ruled tables in order, a failing
// check's cell in red, a cell's link as an anchor, and its drawing beside its first table.
void writeSection(QTextDocument& document, QTextCursor& cursor, const CalculationReport& report,
                  const ReportSection& section) {
    heading(cursor, qstr(section.title));
    bool figureDue = section.figure != ReportFigure::None;
    for (const ReportBlock& block : section.blocks) {
        if (const auto* text = std::get_if<std::string>(&block)) {
            paragraph(cursor, qstr(*text));
            continue;
        }
        const auto& t = std::get<ReportTable>(block);
        QStringList header;
        for (const std::string& h : t.header)
            header.append(qstr(h));
        std::vector<QStringList> rows;
        std::vector<std::vector<bool>> alerts;
        for (const auto& row : t.rows) {
            QStringList cells;
            std::vector<bool> red;
            for (const ReportCell& cell : row) {
                cells.append(qstr(cell.text));
                red.push_back(cell.alert);
            }
            rows.push_back(cells);
            alerts.push_back(std::move(red));
        }
        QTextCursor at = cursor;
        QTextTable* beside = nullptr;
        if (figureDue) {
            QTextTableFormat plain;
            plain.setBorder(0);
            plain.setCellPadding(2);
            plain.setWidth(QTextLength(QTextLength::PercentageLength, 100));
            plain.setColumnWidthConstraints({QTextLength(QTextLength::PercentageLength, 58),
                                             QTextLength(QTextLength::PercentageLength, 42)});
            beside = cursor.insertTable(1, 2, plain);
            at = beside->cellAt(0, 0).firstCursorPosition();
        }
        QTextTable* laid = table(at, header, rows, {}, alerts);
        for (std::size_t r = 0; r < t.rows.size(); ++r) {
            for (std::size_t c = 0; c < t.rows[r].size(); ++c) {
                const std::string& link = t.rows[r][c].link;
                if (link.empty()) continue;
                QTextCursor cell = laid->cellAt(static_cast<int>(r) + 1, static_cast<int>(c))
                                       .firstCursorPosition();
                cell.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
                QTextCharFormat anchor;
                anchor.setAnchor(true);
                anchor.setAnchorHref(qstr(link));
                anchor.setForeground(QColor(0x1f, 0x4f, 0xaf));
                anchor.setFontUnderline(true);
                cell.mergeCharFormat(anchor);
            }
        }
        if (beside != nullptr) {
            QTextCursor right = beside->cellAt(0, 1).firstCursorPosition();
            QTextBlockFormat centred;
            centred.setAlignment(Qt::AlignHCenter);
            right.setBlockFormat(centred);
            insertFigure(document, right, report, section.figure);
            cursor = beside->lastCursorPosition();
            cursor.movePosition(QTextCursor::NextBlock);
            figureDue = false;
        } else {
            cursor = at;
        }
    }
}

}  // namespace

QString programName() {
    return QStringLiteral("Lintavo ") + QStringLiteral(LINTAVO_VERSION);
}

void layOutReport(QTextDocument& document, const CalculationReport& report) {
    document.clear();
    document.setDefaultFont(fontFor(FaceStyle{"宋体", 10.5}));
    document.setDocumentMargin(16);
    document.setMetaInformation(QTextDocument::DocumentTitle,
                                qstr(report.calculation) + QStringLiteral(" 计算书"));
    QTextCursor cursor(&document);
    writeHeading(cursor, report);
    writeKnown(cursor, report);
    writeSteps(cursor, report);
    if (report.failed) {
        writeFailure(cursor, report);
        return;
    }
    writeResults(cursor, report);
    writeHydraulics(document, cursor, report);
    for (const ReportSection& section : report.sections)
        writeSection(document, cursor, report, section);
}

QMimeData* reportMimeData(const QTextDocument& document, const CalculationReport& report) {
    QString html = document.toHtml();
    // A word processor cannot reach the document's resources: the drawings go inside the HTML.
    qsizetype at = 0;
    const QString marker = QStringLiteral("src=\"") + resourceScheme + QLatin1Char(':');
    while ((at = html.indexOf(marker, at)) >= 0) {
        const qsizetype start = at + 5;
        const qsizetype end = html.indexOf(QLatin1Char('"'), start);
        const QUrl url(html.mid(start, end - start));
        const QImage image = document.resource(QTextDocument::ImageResource, url).value<QImage>();
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        const QString data =
            QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
        html.replace(start, end - start, data);
        at = start + data.size();
    }
    auto* mime = new QMimeData;
    mime->setHtml(html);
    mime->setText(qstr(plainText(report)));
    return mime;
}

void printReport(const QTextDocument& document, QPagedPaintDevice& device) {
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    document.print(&device);
}

bool exportReportPdf(const QTextDocument& document, const QString& file) {
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    QPdfWriter writer(&out);
    writer.setResolution(600);
    writer.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
    writer.setCreator(programName());
    printReport(document, writer);
    return out.error() == QFileDevice::NoError;
}

}  // namespace lintavo
