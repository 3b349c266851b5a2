#pragma once

// How every export is offered and told, whatever it writes: the name it suggests
// ("流量Q计算-计算书-2026-12-08.docx"), the folder it offers (the one the last export went
// to, at first the Documents folder), and the line that says where the file went
// ("已导出 Word：…"). The files themselves are written by formats/whole_file.h.

#include <QString>
#include <initializer_list>

class QDate;
class QWidget;

namespace lintavo {

// A kind of file an export can write, as its save dialog offers it.
struct ExportKind {
    const char* caption;  // as the status line names it: "Word"
    const char* filter;   // as the dialog lists it: "Word 文档 (*.docx)"
    const char* suffix;   // without the dot: "docx"
};

inline constexpr ExportKind pdfFile{"PDF", "PDF 文件 (*.pdf)", "pdf"};
inline constexpr ExportKind wordFile{"Word", "Word 文档 (*.docx)", "docx"};
inline constexpr ExportKind dxfFile{"DXF", "DXF 图形 (*.dxf)", "dxf"};
inline constexpr ExportKind xlsxFile{"Excel", "Excel 工作簿 (*.xlsx)", "xlsx"};
inline constexpr ExportKind csvFile{"CSV", "CSV 文件（UTF-8） (*.csv)", "csv"};

// The name every export suggests: the calculation, what the file holds, the day.
//   exportName("流量Q计算", "计算书", "docx", 2026-12-08) → "流量Q计算-计算书-2026-12-08.docx"
QString exportName(const QString& calculation, const QString& what, const QString& suffix,
                   const QDate& day);

// The folder the last export went to, while it is there; else the Documents folder, else
// the home folder.
QString exportFolder();
// Remembers the folder of `file` (kept with the program's settings) for the next export.
void rememberExportFolder(const QString& file);

// Asks where to write, offering exportName(calculation, what, first kind's suffix, today) in
// exportFolder() and the kinds as the dialog's filters; a name without one of the kinds'
// suffixes gets the chosen kind's. Empty when cancelled; else the folder is remembered.
QString askExportFile(QWidget* parent, const QString& title, const QString& calculation,
                      const QString& what, std::initializer_list<ExportKind> kinds);

// The line every export shows when the file is written:
//   exportedMessage("/home/li/a.docx") → "已导出 Word：/home/li/a.docx"
QString exportedMessage(const QString& file);

}  // namespace lintavo
