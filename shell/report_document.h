#pragma once

// The calculation book laid out as a QTextDocument: a heading, one table for each part, and
// the drawings as objects the document paints (as lines and text wherever it is painted). The
// report window shows it, 复制 puts it on the clipboard, 打印… and 导出 PDF… print it. It reads the
// book's content (book/report.h) and computes nothing.

#include <QString>

#include "book/report.h"

class QMimeData;
class QPagedPaintDevice;
class QTextDocument;

namespace lintavo {

// The program and its version as the heading gives them: "Lintavo " and the version.
QString programName();

// Fills `document` (cleared first) with the book.
void layOutReport(QTextDocument& document, const CalculationReport& report);

// The book for the clipboard: HTML with the drawings inside it, and the plain text.
QMimeData* reportMimeData(const QTextDocument& document, const CalculationReport& report);

// Prints the book on A4 pages with 20 mm margins and page numbers.
void printReport(const QTextDocument& document, QPagedPaintDevice& device);

// Writes the book to `file` as a PDF on A4, whole or not at all: false, with the reason in
// `why` (when given), when the file cannot be written; a file already there then stays as it
// was.
bool exportReportPdf(const QTextDocument& document, const QString& file, QString* why = nullptr);

}  // namespace lintavo
