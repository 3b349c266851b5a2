#include "shell/report_window.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>
#include <optional>

#include "book/design_report.h"
#include "calculators/catalogue.h"
#include "calculators/summary.h"
#include "shell/book_dialog.h"
#include "shell/book_settings.h"
#include "shell/button_rows.h"
#include "shell/calculator_window.h"
#include "shell/design_dialog.h"
#include "shell/design_settings.h"
#include "shell/exports.h"
#include "shell/on_screen.h"
#include "shell/qt_text.h"
#include "shell/report_document.h"
#include "shell/report_files.h"
#include "shell/scheme_figure.h"

namespace lintavo {

namespace {

constexpr int gap = 8;  // between the book and its calculator

// `r` moved, not resized, into `area`; at its top-left corner where it is larger.
QRect movedWithin(const QRect& r, const QRect& area) {
    return {withinArea(r, area).topLeft(), r.size()};
}

// The book beside `calculator` where a strip of `available` to its right or left, below or
// above it, has room for `least`: in the strip where it is largest (the first of them where
// two give it the same), level with the calculator beside it, in line with it below or above.
std::optional<QRect> beside(const QRect& available, const QRect& calculator, QSize preferred,
                            QSize least) {
    const QRect& a = available;
    const QRect& c = calculator;
    const QRect strips[] = {
        QRect(QPoint(c.right() + 1 + gap, a.top()), a.bottomRight()),
        QRect(a.topLeft(), QPoint(c.left() - 1 - gap, a.bottom())),
        QRect(QPoint(a.left(), c.bottom() + 1 + gap), a.bottomRight()),
        QRect(a.topLeft(), QPoint(a.right(), c.top() - 1 - gap)),
    };
    std::optional<QRect> best;
    for (int k = 0; k < 4; ++k) {
        const QRect& strip = strips[k];
        if (strip.width() < least.width() || strip.height() < least.height()) continue;
        const QSize size = preferred.boundedTo(strip.size());
        if (best && size.width() * size.height() <= best->width() * best->height()) continue;
        const int x = k == 0 ? strip.left()
                      : k == 1
                          ? strip.right() + 1 - size.width()
                          : std::clamp(c.left(), strip.left(), strip.right() + 1 - size.width());
        const int y = k == 2 ? strip.top()
                      : k == 3
                          ? strip.bottom() + 1 - size.height()
                          : std::clamp(c.top(), strip.top(), strip.bottom() + 1 - size.height());
        best = QRect(QPoint(x, y), size);
    }
    return best;
}

}  // namespace

BookPlace bookPlacement(const QRect& available, const QRect& calculator, QSize preferred,
                        QSize least) {
    const QRect& a = available;
    // The calculator moves, but keeps its size: on a screen smaller than itself, at the corner.
    const QRect c = movedWithin(calculator, a);
    if (const auto book = beside(a, c, preferred, least)) return {*book, c};
    // Moved to the nearer edge, the calculator leaves the book all the room on its other side.
    const bool leftward = c.center().x() - a.left() <= a.right() - c.center().x();
    const bool upward = c.center().y() - a.top() <= a.bottom() - c.center().y();
    QRect across = c;
    leftward ? across.moveLeft(a.left()) : across.moveRight(a.right());
    across = movedWithin(across, a);
    if (const auto book = beside(a, across, preferred, least)) return {*book, across};
    QRect along = c;
    upward ? along.moveTop(a.top()) : along.moveBottom(a.bottom());
    along = movedWithin(along, a);
    if (const auto book = beside(a, along, preferred, least)) return {*book, along};
    // A screen too small for both: the book at its least width (or the screen's), at the edge
    // away from the calculator, over as little of it as that leaves.
    const int width = std::min(a.width(), std::max(least.width(), a.width() - c.width() - gap));
    const QSize size(width, std::min(preferred.height(), a.height()));
    const QPoint corner(leftward ? a.right() + 1 - width : a.left(), a.top());
    return {QRect(corner, size), across};
}

CalculationReport reportOf(const CalculatorTable& table, const Record& record,
                           const QString& when) {
    const DesignContext design{designSettings(), bedTables()};
    CalculationReport report = buildReport(table, record, utf8(when), utf8(programName()), &design);
    report.filed = bookInfo();
    return report;
}

CalculationReport reportOf(const CalculatorWindow& calculator) {
    const QString now = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    return reportOf(calculator.table(), calculator.lastPress(), now);
}

ReportWindow::ReportWindow(CalculatorWindow& calculator)
    : QWidget(&calculator, Qt::Window),
      calculator_(calculator),
      view_(new QTextBrowser(this)),
      status_(new QLabel(this)) {
    setObjectName(QStringLiteral("计算书"));
    setWindowTitle(QStringLiteral("计算书 — %1").arg(qstr(calculator.table().window.title)));
    // Only the calculator windows and the menu decide when the program ends.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(preferredSize);

    view_->setObjectName(QStringLiteral("report"));
    view_->setOpenLinks(false);
    view_->setAccessibleName(QStringLiteral("计算书"));
    connect(view_, &QTextBrowser::anchorClicked, this, &ReportWindow::follow);

    // The status line: where the last file went, or why it did not.
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long path wraps or is cut rather than widening the window past its screen.
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    status_->hide();

    auto* row = new ButtonRows;
    for (const Action& action : actions) {
        auto* b = new QPushButton(QString::fromUtf8(action.caption), this);
        b->setObjectName(QLatin1String(action.name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, action.run);
        row->addWidget(b);
    }
    // The design check follows its settings while the book is shown, and the reader keeps
    // the place he was reading: the book is the same but for its checks.
    // So do its title and names (计算书信息).
    const auto follow = [this] {
        if (!isVisible()) return;
        QScrollBar* bar = view_->verticalScrollBar();
        const int place = bar->value();
        refresh();
        view_->document()->documentLayout()->documentSize();  // lays the new book out now
        bar->setValue(place);
    };
    connect(&DesignSettingsNotifier::instance(), &DesignSettingsNotifier::changed, this, follow);
    connect(&BookInfoNotifier::instance(), &BookInfoNotifier::changed, this, follow);
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("close"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    row->addWidget(close);
    auto* escape = new QAction(this);
    escape->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(escape, &QAction::triggered, this, &QWidget::close);
    addAction(escape);
    // Only the document scrolls: the buttons and the status line stay in view at any size.
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_, 1);
    layout->addWidget(status_);
    layout->addLayout(row);
    refresh();
}

void ReportWindow::refresh() {
    if (!calculator_.pressed()) {
        report_ = CalculationReport{};
        view_->document()->clear();
        view_->setHtml(QStringLiteral("<h2 style=\"text-align:center\">%1 计算书</h2>"
                                      "<p style=\"text-align:center\">尚未计算：请先输入计算参数，"
                                      "再按“计算”。</p>")
                           .arg(qstr(calculator_.table().window.title).toHtmlEscaped()));
        return;
    }
    report_ = reportOf(calculator_);
    // Laid out away from the view, which would otherwise follow every insertion.
    auto* document = new QTextDocument(view_);
    layOutReport(*document, report_);
    // The view deletes its first document itself; the later ones are ours.
    QTextDocument* old = view_->document();
    const bool ours = old->parent() == view_;
    view_->setDocument(document);
    if (ours) delete old;
}

void ReportWindow::open() {
    if (!isVisible()) {
        // Placed afresh at each opening: the calculator may have moved, or the screen changed,
        // since the book was last shown.
        const QScreen* screen = calculator_.screen();
        if (screen != nullptr) {
            // The window system frames the book as it frames its calculator.
            const QMargins frame = frameMargins(calculator_);
            const QRect calculator = calculator_.geometry().marginsAdded(frame);
            const BookPlace at =
                bookPlacement(screen->availableGeometry(), calculator, preferredSize.grownBy(frame),
                              leastSize.grownBy(frame));
            if (at.calculator != calculator) placeFrame(calculator_, at.calculator, frame);
            placeFrame(*this, at.book, frame);
        }
    }
    show();
    raise();
    activateWindow();
}

void ReportWindow::follow(const QUrl& link) {
    // The book's only links are its schemes' 采用此方案: "lintavo-scheme:2".
    if (link.scheme() != QLatin1String(schemeLinkScheme)) return;
    bool number = false;
    const uint row = link.path().toUInt(&number);
    if (number) adoptScheme(row);
}

bool ReportWindow::adoptScheme(std::size_t row) {
    if (!calculator_.pressed()) return false;
    const Record& record = calculator_.lastPress();
    const auto design = designChannelOf(summarize(calculator_.table(), record));
    if (!design) return false;
    const Computed<Schemes> schemes = schemesOf(*design);
    if (!schemes.exists() || row >= schemes.value().rows.size()) return false;
    Q_EMIT calculator_.schemeAdopted(adoptionOf(record, schemes.value(), row, calculations()));
    return true;
}

void ReportWindow::copy() {
    QGuiApplication::clipboard()->setMimeData(reportMimeData(*view_->document(), report_));
}

void ReportWindow::say(const QString& text, bool trouble) {
    status_->setText(text);
    status_->setStyleSheet(trouble ? QStringLiteral("color: #b00000") : QString());
    status_->setToolTip(text);
    status_->show();
}

void ReportWindow::print() {
    // Without a printer Qt would quietly print into a PDF in the home folder.
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        say(QStringLiteral("没有可用的打印机，无法打印。"), true);
        QMessageBox box(QMessageBox::Information, QStringLiteral("打印"),
                        QStringLiteral("没有可用的打印机，无法打印。\n"
                                       "可以把计算书导出为 PDF 文件，再在有打印机的地方打印。"),
                        QMessageBox::NoButton, this);
        QPushButton* pdf = box.addButton(QStringLiteral("导出 PDF…"), QMessageBox::AcceptRole);
        box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
        box.setDefaultButton(pdf);
        box.exec();
        if (box.clickedButton() == pdf) exportPdf();
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(windowTitle());
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    // Printed to a file, the book is a PDF like any other: written whole or not at all.
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        exportPdfTo(printer.outputFileName());
        return;
    }
    printReport(*view_->document(), filedBook(report_), printer);
    say(QStringLiteral("已送往打印机“%1”。").arg(printer.printerName()));
}

QString ReportWindow::calculation() const {
    return qstr(calculator_.table().window.title);
}

void ReportWindow::exportPdf() {
    const QString file = askExportFile(this, QStringLiteral("导出 PDF"), calculation(),
                                       QStringLiteral("计算书"), {pdfFile});
    if (!file.isEmpty()) exportPdfTo(file);
}

bool ReportWindow::exportPdfTo(const QString& file) {
    QString why;
    return told(file, exportReportPdf(*view_->document(), filedBook(report_), file, &why), why);
}

void ReportWindow::exportWord() {
    if (!calculator_.pressed()) return;
    const QString file = askExportFile(this, QStringLiteral("导出 Word"), calculation(),
                                       QStringLiteral("计算书"), {wordFile});
    if (!file.isEmpty()) exportWordTo(file);
}

bool ReportWindow::exportWordTo(const QString& file) {
    QString why;
    return told(file, exportReportDocx(report_, file, &why), why);
}

void ReportWindow::exportDrawing() {
    const QString title = QStringLiteral("导出 CAD");
    if (sectionOutlines(report_).empty()) {
        QMessageBox::information(this, title, QStringLiteral("计算书中没有可绘制的断面。"));
        return;
    }
    // The scales offered, the first at which the section fits the A3 sheet chosen.
    const int fitting = fittingScale(sectionOutlines(report_));
    QStringList scales;
    int offered = 0;
    for (const int scale : drawingScales) {
        if (scale == fitting) offered = static_cast<int>(scales.size());
        scales << QStringLiteral("1:%1").arg(scale);
    }
    if (fitting > drawingScales[std::size(drawingScales) - 1]) {
        offered = static_cast<int>(scales.size());
        scales << QStringLiteral("1:%1").arg(fitting);
    }
    bool chosen = false;
    const QString scale = QInputDialog::getItem(this, title, QStringLiteral("出图比例："), scales,
                                                offered, false, &chosen);
    if (!chosen) return;
    const QString file =
        askExportFile(this, title, calculation(), QStringLiteral("断面图"), {dxfFile});
    if (!file.isEmpty()) exportDrawingTo(file, scale.section(QLatin1Char(':'), 1).toInt());
}

bool ReportWindow::exportDrawingTo(const QString& file, int scale) {
    QString why;
    return told(file, exportReportDrawing(report_, file, scale, &why), why);
}

bool ReportWindow::told(const QString& file, bool written, const QString& why) {
    say(written ? exportedMessage(file) : why, !written);
    return written;
}

void ReportWindow::designSettings() {
    openDesignSettings(this);
}

void ReportWindow::bookNames() {
    openBookInfo(this);
}

}  // namespace lintavo
