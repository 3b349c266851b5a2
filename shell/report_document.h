#pragma once

// The calculation book laid out as a QTextDocument: a heading, one table for each part, and
// the drawings as objects the document paints (as lines and text wherever it is painted). The
// report window shows it, 复制 puts it on the clipboard, 打印… and 导出 PDF… print it. It reads the
// book's content (book/report.h) and computes nothing.

#include <QByteArray>
#include <QString>
#include <memory>
#include <string_view>

#include "book/report.h"

class QMimeData;
class QPagedPaintDevice;
class QPainter;
class QTextDocument;

namespace lintavo {

// The program and its version as the heading gives them: "Lintavo " and the version.
QString programName();

// Fills `document` (cleared first) with the book.
void layOutReport(QTextDocument& document, const CalculationReport& report);

// A chapter of a book of many presses: the press's own book, as layOutReport lays it out,
// under the chapter's heading ("第 3 行　渠段3").
void layOutChapter(QTextDocument& document, const CalculationReport& report,
                   const QString& heading);

// A book's sections alone under its heading (`title`, the time and the program): a chapter
// of content beyond a press, such as a canal's water-level profile.
void layOutSections(QTextDocument& document, const CalculationReport& report, const QString& title);

// The book for the clipboard: HTML with the drawings inside it, and the plain text.
QMimeData* reportMimeData(const QTextDocument& document, const CalculationReport& report);

// What a filed book carries beside the book itself: its first page (the project, the title,
// the program and date, and the signing table 计算 / 校核 / 审核) and the running header of
// every later page (the project and the title).
struct FiledBook {
    BookInfo info;
    QString title;  // as bookTitle gives it
    QString program;
    QString when;
};

// The filed book of `report`, a book of the given kind ("计算书", "批量计算书").
FiledBook filedBook(const CalculationReport& report, std::string_view kind = "计算书");

// Prints the filed book on A4 pages with 20 mm margins: its first page, then the book under
// the running header, every page with "第 X 页 共 Y 页".
void printReport(const QTextDocument& document, const FiledBook& filed, QPagedPaintDevice& device);

// The one way books go onto pages: A4, 20 mm margins, the drawings as lines and text, a first
// page, a running header after it and "第 X 页 共 Y 页" on every page. Books printed one after
// another each start on a new page, and their pages are numbered on from the first book's,
// so that a book of many chapters is printed a chapter at a time and never laid out whole:
// its pages are counted first (layOut), their sum given (setTotal), then printed. Where a
// print dialog set page ranges, only the pages within them are printed.
class ReportPrinter {
  public:
    ReportPrinter(QPagedPaintDevice& device, FiledBook filed);
    ~ReportPrinter();
    ReportPrinter(const ReportPrinter&) = delete;
    ReportPrinter& operator=(const ReportPrinter&) = delete;

    // `document` laid out on the device's pages, to be counted (pageCount) and printed
    // (printLaidOut) without laying it out again. It paints the drawings of `document`, which
    // outlives it.
    std::unique_ptr<QTextDocument> layOut(const QTextDocument& document) const;
    // The pages of the whole book, the first page counted. Unset, the first book printed
    // makes the whole.
    void setTotal(int total) { total_ = total; }
    // Prints the first page before the first book. False when the device takes no more pages.
    bool print(const QTextDocument& document);
    bool printLaidOut(const QTextDocument& laid);
    int pages() const { return pages_; }

  private:
    // Starts the next page; false when it is not to be painted, or the device takes no more.
    bool nextPage(bool& full);
    void paintCover();
    void paintFrame(int page);  // the running header (after the first page) and the number

    QPagedPaintDevice& device_;
    FiledBook filed_;
    std::unique_ptr<QPainter> painter_;
    int total_ = 0;
    int pages_ = 0;    // numbered
    int printed_ = 0;  // within the device's page ranges, where it has any
};

// A book of many chapters made into a PDF in memory, a chapter at a time: laid out and
// counted, then added.
class PdfBook {
  public:
    PdfBook(const QString& title, FiledBook filed);
    ~PdfBook();
    PdfBook(const PdfBook&) = delete;
    PdfBook& operator=(const PdfBook&) = delete;

    void setTotal(int total);
    void add(const QTextDocument& chapter);
    // As ReportPrinter's: a chapter laid out once, counted, then added.
    std::unique_ptr<QTextDocument> layOut(const QTextDocument& chapter) const;
    void addLaidOut(const QTextDocument& laid);
    int pages() const;
    // The PDF's bytes, once the last chapter is in.
    QByteArray finish();

  private:
    struct Pages;
    std::unique_ptr<Pages> pages_;
};

// Writes the book to `file` as a PDF on A4, whole or not at all: false, with the reason in
// `why` (when given), when the file cannot be written; a file already there then stays as it
// was.
bool exportReportPdf(const QTextDocument& document, const FiledBook& filed, const QString& file,
                     QString* why = nullptr);

}  // namespace lintavo
