#pragma once

// The calculation book laid out as a QTextDocument: a heading, one table for each part, and
// the drawings as objects the document paints (as lines and text wherever it is painted). The
// report window shows it, 复制 puts it on the clipboard, 打印… and 导出 PDF… print it. It reads the
// book's content (book/report.h) and computes nothing.

#include <QByteArray>
#include <QString>
#include <memory>

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

// The book for the clipboard: HTML with the drawings inside it, and the plain text.
QMimeData* reportMimeData(const QTextDocument& document, const CalculationReport& report);

// Prints the book on A4 pages with 20 mm margins and page numbers.
void printReport(const QTextDocument& document, QPagedPaintDevice& device);

// The one way books go onto pages: A4, 20 mm margins, the drawings as lines and text, and
// page numbers. Books printed one after another each start on a new page, and their pages
// are numbered on from the first book's, so that a book of many chapters is printed a
// chapter at a time and never laid out whole. Where a print dialog set page ranges, only
// the pages within them are printed.
class ReportPrinter {
  public:
    explicit ReportPrinter(QPagedPaintDevice& device);
    ~ReportPrinter();
    ReportPrinter(const ReportPrinter&) = delete;
    ReportPrinter& operator=(const ReportPrinter&) = delete;

    // False when the device takes no more pages.
    bool print(const QTextDocument& document);
    int pages() const { return pages_; }

  private:
    QPagedPaintDevice& device_;
    std::unique_ptr<QPainter> painter_;
    int pages_ = 0;    // numbered
    int printed_ = 0;  // within the device's page ranges, where it has any
};

// A book of many chapters made into a PDF in memory, a chapter at a time.
class PdfBook {
  public:
    explicit PdfBook(const QString& title);
    ~PdfBook();
    PdfBook(const PdfBook&) = delete;
    PdfBook& operator=(const PdfBook&) = delete;

    void add(const QTextDocument& chapter);
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
bool exportReportPdf(const QTextDocument& document, const QString& file, QString* why = nullptr);

}  // namespace lintavo
