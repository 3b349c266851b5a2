#pragma once

// The calculation book as the files a design institute files: the section as a CAD drawing
// (DXF) and the whole book as a Word document (.docx). Both are made from the book's
// content (book/report.h) and compute nothing.

#include <QString>
#include <vector>

#include "book/report.h"
#include "formats/docx.h"
#include "formats/section_drawing.h"

namespace lintavo {

// The sections the book draws, one for each of its channels that is a section (b ≥ 0,
// h > 0, m ≥ 0, b + m·h > 0): the press's own, or every candidate of 断面尺寸 with its
// heading as the title; each with the design check's enlarged depth and bank height where
// the check gives them.
std::vector<SectionOutline> sectionOutlines(const CalculationReport& report);

// Writes the book's sections side by side as DXF at 1:scale, whole or not at all. False, with
// the reason in `why` (when given), when the book has no section or the file cannot be
// written; a file already there then stays as it was.
bool exportReportDrawing(const CalculationReport& report, const QString& file, int scale,
                         QString* why = nullptr);

// The drawings of the book's channels as the Word document shows them: each channel's section
// and, where the book draws one, its rating curve, as PNG at 360 dpi; none for a failed book.
std::vector<ChannelPictures> channelPictures(const CalculationReport& report);

// Writes the whole book as a Word document, its drawings (the sections, the rating curves and
// the schemes) as pictures at 360 dpi, whole or not at all. False, with the reason in `why`
// (when given), when the file cannot be written; a file already there then stays as it was.
bool exportReportDocx(const CalculationReport& report, const QString& file, QString* why = nullptr);

}  // namespace lintavo
