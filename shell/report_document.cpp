#include "shell/report_document.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPageLayout>
#include <QPageRanges>
#include <QPainter>
#include <QPdfWriter>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextObjectInterface>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "formats/whole_file.h"
#include "shell/fonts.h"
#include "shell/qt_text.h"
#include "shell/report_figures.h"
#include "shell/scheme_figure.h"

#ifndef LINTAVO_VERSION
#define LINTAVO_VERSION "0"
#endif

namespace lintavo {

namespace {

// The drawings are objects of the document, painted when the document is: on the screen, on
// paper and into a PDF alike, so that a PDF holds them as lines and text, sharp at any zoom.
// Only the clipboard gets pictures of them, painted at three times the screen's resolution.
constexpr int drawingScale = 3;
constexpr int drawingObject = QTextFormat::UserObject + 1;
constexpr int drawingId = QTextFormat::UserProperty + 1;    // which drawing of the document
constexpr int drawingSize = QTextFormat::UserProperty + 2;  // in screen pixels

using Draw = std::function<void(QPainter&, const QRectF&)>;

// The resolution the document's own lengths are in, as Qt's images in a document take it.
double screenDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
}

class Drawings : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

  public:
    using QObject::QObject;

    int add(Draw draw) {
        drawings_.push_back(std::move(draw));
        return static_cast<int>(drawings_.size()) - 1;
    }
    void clear() { drawings_.clear(); }

    // The drawing a format names, or null.
    const Draw* find(const QTextFormat& format) const {
        const int id = format.intProperty(drawingId);
        if (id < 0 || id >= static_cast<int>(drawings_.size())) return nullptr;
        return &drawings_[static_cast<std::size_t>(id)];
    }

    // Laid out for a printer, the document's lengths are in the printer's dots.
    QSizeF intrinsicSize(QTextDocument* document, int /*position*/,
                         const QTextFormat& format) override {
        const QSizeF size = format.property(drawingSize).toSizeF();
        const QPaintDevice* device = document->documentLayout()->paintDevice();
        return device != nullptr ? size * (device->logicalDpiY() / screenDpi()) : size;
    }

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* /*document*/,
                    int /*position*/, const QTextFormat& format) override {
        const Draw* draw = find(format);
        if (draw == nullptr) return;
        painter->save();
        painter->fillRect(rect, Qt::white);
        (*draw)(*painter, rect);
        painter->restore();
    }

  private:
    std::vector<Draw> drawings_;
};

// The document's drawings. They are registered with its layout once the book is written:
// a document without a layout takes its insertions without laying itself out after each.
Drawings& drawingsOf(QTextDocument& document) {
    if (auto* drawings = document.findChild<Drawings*>()) return *drawings;
    return *new Drawings(&document);
}

QImage pictureOf(const Draw& draw, QSizeF size) {
    QImage image((size * drawingScale).toSize(), QImage::Format_RGB32);
    const int dotsPerMetre = qRound(screenDpi() * drawingScale / 0.0254);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter, QRectF(image.rect()));
    return image;
}

QTextCharFormat textFormat(StaticText face, double points, bool bold = false) {
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

void insertDrawing(QTextDocument& document, QTextCursor& cursor, QSizeF size, Draw draw) {
    QTextCharFormat format;
    format.setObjectType(drawingObject);
    format.setProperty(drawingId, drawingsOf(document).add(std::move(draw)));
    format.setProperty(drawingSize, size);
    cursor.insertText(QString(QChar::ObjectReplacementCharacter), format);
}

void writeHeading(QTextCursor& cursor, const CalculationReport& report, const QString& title) {
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    centred.setBottomMargin(4);
    cursor.setBlockFormat(centred);
    cursor.insertText(title, textFormat("黑体", 18));
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
    for (const ReportText& line : report.bisection)
        paragraph(cursor, qstr(line.text));
    if (!report.steps.empty() && !report.failed)
        paragraph(cursor, QStringLiteral("注：") + qstr(report.precisionNote),
                  textFormat("宋体", 9));
}

void writeFailure(QTextCursor& cursor, const CalculationReport& report) {
    heading(cursor, QStringLiteral("三、计算失败"));
    QTextCharFormat red = body();
    red.setForeground(QColor(0xb0, 0, 0));
    paragraph(cursor, qstr(report.failure.text), red);
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

void writeChannel(QTextDocument& document, QTextCursor& cursor, const ReportChannel& channel) {
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
    const ShownTexts shown{qstr(channel.widthText), qstr(channel.depthText),
                           qstr(channel.sideSlopeText), qstr(channel.dischargeText)};
    insertDrawing(
        document, cursor, QSizeF(300, 170),
        [c, hb = channel.enlargedDepth, H = channel.bankHeight, W = channel.bankTopWidth, shown](
            QPainter& p, const QRectF& area) { drawChannelSection(p, area, c, hb, H, W, shown); });
    if (channel.complete) {
        const std::vector<RatingPoint> curve = ratingCurve(c, 61);
        cursor.insertText(QStringLiteral("  "));
        insertDrawing(document, cursor, QSizeF(300, 170),
                      [curve, c, shown](QPainter& p, const QRectF& area) {
                          drawRatingCurve(p, area, curve, c.h, c.Q, shown);
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
    if (!report.absentChannel.empty()) paragraph(cursor, qstr(report.absentChannel));
    for (const ReportChannel& channel : report.channels)
        writeChannel(document, cursor, channel);
}

// The drawing a section shows beside its first table, from the report's data.
void insertFigure(QTextDocument& document, QTextCursor& cursor, const CalculationReport& report,
                  ReportFigure figure) {
    if (figure == ReportFigure::Schemes && report.schemes) {
        const Schemes schemes = *report.schemes;
        insertDrawing(
            document, cursor, QSizeF(240, 230),
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
        if (const auto* text = std::get_if<ReportText>(&block)) {
            paragraph(cursor, qstr(text->text));
            continue;
        }
        const auto& t = std::get<ReportTable>(block);
        QStringList header;
        for (const ReportText& h : t.header)
            header.append(qstr(h.text));
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

void begin(QTextDocument& document, const CalculationReport& report) {
    document.clear();
    drawingsOf(document).clear();
    document.setDefaultFont(fontFor(FaceStyle{"宋体", 10.5}));
    document.setDocumentMargin(16);
    document.setMetaInformation(QTextDocument::DocumentTitle,
                                qstr(report.calculation) + QStringLiteral(" 计算书"));
}

void writeBook(QTextDocument& document, QTextCursor& cursor, const CalculationReport& report,
               const QString& title) {
    writeHeading(cursor, report, title);
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

// The drawings registered with the layout once the book is written, the layout made then:
// a document with a layout lays itself out again after every insertion.
void end(QTextDocument& document) {
    document.documentLayout()->registerHandler(drawingObject, &drawingsOf(document));
}

}  // namespace

QString programName() {
    return QStringLiteral("Lintavo ") + QStringLiteral(LINTAVO_VERSION);
}

void layOutReport(QTextDocument& document, const CalculationReport& report) {
    begin(document, report);
    QTextCursor cursor(&document);
    writeBook(document, cursor, report, qstr(bookTitle(report.filed, report.calculation)));
    end(document);
}

void layOutChapter(QTextDocument& document, const CalculationReport& report,
                   const QString& heading) {
    begin(document, report);
    QTextCursor cursor(&document);
    QTextBlockFormat left;
    left.setAlignment(Qt::AlignLeft);
    left.setBottomMargin(6);
    cursor.setBlockFormat(left);
    cursor.insertText(heading, textFormat("黑体", 12));
    cursor.insertBlock(QTextBlockFormat());
    // A chapter is headed by its calculation; the book's own title is on its first page.
    writeBook(document, cursor, report, qstr(report.calculation) + QStringLiteral(" 计算书"));
    end(document);
}

void layOutSections(QTextDocument& document, const CalculationReport& report,
                    const QString& title) {
    begin(document, report);
    QTextCursor cursor(&document);
    writeHeading(cursor, report, title);
    for (const ReportSection& section : report.sections)
        writeSection(document, cursor, report, section);
    end(document);
}

QMimeData* reportMimeData(const QTextDocument& document, const CalculationReport& report) {
    // A word processor cannot paint the document's drawings: they go inside the HTML as
    // pictures.
    const Drawings* drawings = document.findChild<Drawings*>();
    std::unique_ptr<QTextDocument> copy(document.clone());
    std::vector<std::pair<int, QTextCharFormat>> objects;
    for (QTextBlock block = copy->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().objectType() == drawingObject)
                objects.emplace_back(fragment.position(), fragment.charFormat());
        }
    }
    // From the end, so that the positions before stay where they are.
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        QTextCursor cursor(copy.get());
        cursor.setPosition(it->first);
        cursor.setPosition(it->first + 1, QTextCursor::KeepAnchor);
        const Draw* draw = drawings != nullptr ? drawings->find(it->second) : nullptr;
        if (draw == nullptr) {
            cursor.removeSelectedText();
            continue;
        }
        const QSizeF size = it->second.property(drawingSize).toSizeF();
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        pictureOf(*draw, size).save(&buffer, "PNG");
        QTextImageFormat image;
        image.setName(QStringLiteral("data:image/png;base64,") +
                      QString::fromLatin1(png.toBase64()));
        image.setWidth(size.width());
        image.setHeight(size.height());
        cursor.insertImage(image);
    }
    auto* mime = new QMimeData;
    mime->setHtml(copy->toHtml());
    mime->setText(qstr(plainText(report)));
    return mime;
}

FiledBook filedBook(const CalculationReport& report, std::string_view kind) {
    return FiledBook{report.filed, qstr(bookTitle(report.filed, report.calculation, kind)),
                     qstr(report.program), qstr(report.when)};
}

void printReport(const QTextDocument& document, const FiledBook& filed, QPagedPaintDevice& device) {
    ReportPrinter(device, filed).print(document);
}

namespace {

// The book's 20 mm margins in the document's own lengths, which the layout scales to the
// device's.
int documentMargin() {
    return static_cast<int>(2 / 2.54 * qRound(screenDpi()));
}

}  // namespace

ReportPrinter::ReportPrinter(QPagedPaintDevice& device, FiledBook filed)
    : device_(device), filed_(std::move(filed)) {
    device.setPageSize(QPageSize(QPageSize::A4));
    // Two millimetres the page keeps clear; the book's own 20 mm lie within them.
    device.setPageMargins(QMarginsF(2, 2, 2, 2), QPageLayout::Millimeter);
    painter_ = std::make_unique<QPainter>(&device);
}

ReportPrinter::~ReportPrinter() = default;

std::unique_ptr<QTextDocument> ReportPrinter::layOut(const QTextDocument& document) const {
    // Laid out afresh for the device's resolution and the page, on a copy: the document may
    // be on the screen, laid out for it.
    std::unique_ptr<QTextDocument> copy(document.clone());
    QAbstractTextDocumentLayout* layout = copy->documentLayout();
    layout->setPaintDevice(&device_);
    if (auto* drawings = document.findChild<Drawings*>())
        layout->registerHandler(drawingObject, drawings);
    const int margin = documentMargin();
    QTextFrameFormat frame = copy->rootFrame()->frameFormat();
    frame.setLeftMargin(margin);
    frame.setRightMargin(margin);
    frame.setTopMargin(margin);
    frame.setBottomMargin(margin);
    copy->rootFrame()->setFrameFormat(frame);
    copy->setPageSize(QSizeF(device_.width(), device_.height()));
    return copy;
}

bool ReportPrinter::nextPage(bool& full) {
    ++pages_;
    full = false;
    // The pages a print dialog's range leaves out are counted, not printed.
    const QPageRanges ranges = device_.pageRanges();
    if (!ranges.isEmpty() && !ranges.contains(pages_)) return false;
    if (printed_ > 0 && !device_.newPage()) {
        full = true;
        return false;
    }
    ++printed_;
    return true;
}

bool ReportPrinter::print(const QTextDocument& document) {
    if (!painter_->isActive()) return false;
    return printLaidOut(*layOut(document));
}

bool ReportPrinter::printLaidOut(const QTextDocument& laid) {
    if (!painter_->isActive()) return false;
    const QTextDocument* copy = &laid;
    const int count = copy->pageCount();
    if (total_ == 0) total_ = std::max(pages_, 1) + count;
    bool full = false;
    if (pages_ == 0) {
        if (nextPage(full)) {
            paintCover();
            paintFrame(pages_);
        } else if (full) {
            return false;
        }
    }
    QAbstractTextDocumentLayout* layout = copy->documentLayout();
    const QSizeF page = copy->pageSize();
    QPainter& painter = *painter_;
    for (int k = 0; k < count; ++k) {
        if (!nextPage(full)) {
            if (full) return false;
            continue;
        }
        const QRectF view(0, k * page.height(), page.width(), page.height());
        painter.save();
        painter.translate(0, -view.top());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        context.palette.setColor(QPalette::Text, Qt::black);
        layout->draw(&painter, context);
        painter.restore();
        paintFrame(pages_);
    }
    return true;
}

void ReportPrinter::paintCover() {
    QPainter& painter = *painter_;
    // Millimetres from the paper's edges: the device's origin is 2 mm within them.
    const double mm = device_.logicalDpiY() / 25.4;
    const auto at = [mm](double fromEdge) { return (fromEdge - 2) * mm; };
    const double width = device_.width();
    painter.save();
    painter.setPen(Qt::black);
    const auto centred = [&](double top, double height, const QFont& font, const QString& text) {
        painter.setFont(font);
        painter.drawText(QRectF(at(30), at(top), width - 2 * at(30) + 4 * mm, height * mm),
                         Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap, text);
    };
    if (!filed_.info.project.empty())
        centred(50, 24, fontFor(FaceStyle{"黑体", 18}), qstr(filed_.info.project));
    centred(78, 36, fontFor(FaceStyle{"黑体", 26}), filed_.title);
    const QFont text = fontFor(FaceStyle{"宋体", 12});
    centred(118, 8, text, QStringLiteral("程序：%1").arg(filed_.program));
    centred(127, 8, text, QStringLiteral("日期：%1").arg(filed_.when));

    // 计算 / 校核 / 审核, each with its name (a blank where none is kept), a line to sign
    // on and the date of signing.
    const double columns[] = {24, 40, 44, 42};  // mm
    const double rowHeight = 14 * mm;
    double tableWidth = 0;
    for (const double c : columns)
        tableWidth += c * mm;
    const double left = (width - tableWidth) / 2;
    const double top = at(160);
    const QString heads[] = {QStringLiteral("职责"), QStringLiteral("姓名"), QStringLiteral("签名"),
                             QStringLiteral("日期")};
    const auto signing = signers(filed_.info);
    painter.setPen(QPen(Qt::black, 0.3 * mm));
    for (int r = 0; r <= static_cast<int>(signing.size()); ++r) {
        double x = left;
        for (int c = 0; c < 4; ++c) {
            const QRectF cell(x, top + r * rowHeight, columns[c] * mm, rowHeight);
            painter.drawRect(cell);
            QString inside;
            if (r == 0) {
                painter.setFont(fontFor(FaceStyle{"黑体", 11}));
                inside = heads[c];
            } else {
                painter.setFont(text);
                const Signer& s = signing[static_cast<std::size_t>(r - 1)];
                if (c == 0) inside = qstr(std::string(s.role));
                if (c == 1) inside = qstr(s.name);
                if (c == 3) inside = QStringLiteral("　　年　　月　　日");
            }
            painter.drawText(cell, Qt::AlignCenter, inside);
            x += columns[c] * mm;
        }
    }
    painter.restore();
}

void ReportPrinter::paintFrame(int page) {
    QPainter& painter = *painter_;
    const double dpi = qRound(screenDpi());
    const double marginX = documentMargin() * device_.logicalDpiX() / dpi;
    const double marginY = documentMargin() * device_.logicalDpiY() / dpi;
    const double mm = device_.logicalDpiY() / 25.4;
    const double width = device_.width();
    const double height = device_.height();
    painter.save();
    painter.setClipping(false);
    painter.setPen(Qt::black);
    const QFont small = fontFor(FaceStyle{"宋体", 9});
    painter.setFont(small);
    const QFontMetricsF metrics(small, &device_);
    if (page > 1) {
        // The project at the left, the book's title at the right, ruled off from the text.
        const double rule = marginY - 5 * mm;
        const QRectF band(marginX, rule - metrics.height() - 1 * mm, width - 2 * marginX,
                          metrics.height());
        painter.drawText(band, Qt::AlignLeft | Qt::AlignBottom, qstr(filed_.info.project));
        painter.drawText(band, Qt::AlignRight | Qt::AlignBottom, filed_.title);
        painter.setPen(QPen(Qt::black, 0.2 * mm));
        painter.drawLine(QPointF(marginX, rule), QPointF(width - marginX, rule));
    }
    painter.setPen(Qt::black);
    const QRectF foot(marginX, height - marginY + 4 * mm, width - 2 * marginX, metrics.height());
    painter.drawText(foot, Qt::AlignHCenter | Qt::AlignTop,
                     QStringLiteral("第 %1 页 共 %2 页").arg(page).arg(std::max(total_, page)));
    painter.restore();
}

struct PdfBook::Pages {
    QByteArray bytes;
    QBuffer buffer{&bytes};
    QPdfWriter writer{&buffer};
    std::optional<ReportPrinter> printer;
};

PdfBook::PdfBook(const QString& title, FiledBook filed) : pages_(std::make_unique<Pages>()) {
    pages_->buffer.open(QIODevice::WriteOnly);
    pages_->writer.setResolution(600);
    pages_->writer.setTitle(title);
    pages_->writer.setCreator(programName());
    pages_->printer.emplace(pages_->writer, std::move(filed));
}

PdfBook::~PdfBook() = default;

void PdfBook::setTotal(int total) {
    if (pages_->printer) pages_->printer->setTotal(total);
}

std::unique_ptr<QTextDocument> PdfBook::layOut(const QTextDocument& chapter) const {
    return pages_->printer ? pages_->printer->layOut(chapter) : nullptr;
}

void PdfBook::addLaidOut(const QTextDocument& laid) {
    if (pages_->printer) pages_->printer->printLaidOut(laid);
}

void PdfBook::add(const QTextDocument& chapter) {
    if (pages_->printer) pages_->printer->print(chapter);
}

int PdfBook::pages() const {
    return pages_->printer ? pages_->printer->pages() : 0;
}

QByteArray PdfBook::finish() {
    // The painter's end writes the PDF's tail.
    pages_->printer.reset();
    return pages_->bytes;
}

bool exportReportPdf(const QTextDocument& document, const FiledBook& filed, const QString& file,
                     QString* why) {
    // Streamed into the file's temporary twin, which takes the file's name only once it is
    // whole.
    const QString failed = writeWholeFile(file, [&document, &filed](QIODevice& device) {
        {
            QPdfWriter writer(&device);
            writer.setResolution(600);
            writer.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
            writer.setCreator(programName());
            printReport(document, filed, writer);
        }
        return device.pos() > 0;
    });
    if (!failed.isEmpty() && why != nullptr) *why = failed;
    return failed.isEmpty();
}

}  // namespace lintavo

#include "report_document.moc"
