#pragma once

// The calculation book as a Word document (Office Open XML, .docx): A4 with 20 mm margins,
// the book's headings as Word headings, its tables as ruled Word tables, 宋体 body and
// 黑体 headings named as East Asian fonts, a first page with the project, the title and the
// signing table 计算 / 校核 / 审核 (report.filed), the project and the title in the running
// header of every later page, "第 X 页 共 Y 页" in every footer from PAGE and NUMPAGES
// fields, every formula of the book (steps, bisection, 断面方案, 设计校核) as an Office Math
// equation, and the drawings as pictures. Every text is the book's own (book/report.h); the
// pictures are made by the caller, which owns the painting code.
//
// The format: ECMA-376 Part 1 (WordprocessingML, DrawingML pictures, Office Math) and
// Part 2 (the package: content types and relationships), in a ZIP container
// (formats/zip.h). The XML is written with Qt's QXmlStreamWriter.
//
//   std::string bytes = reportDocx(report, {{sectionPng, ratingPng}}, schemesPng);

#include <optional>
#include <string>
#include <vector>

#include "book/report.h"
#include "formats/canal_book.h"

namespace lintavo {

// A picture as PNG bytes and the size it is printed at.
struct DocxPicture {
    std::string png;
    double widthMm = 0;
    double heightMm = 0;
};

// The drawings of one of the book's channels: the section, and the rating curve when the
// book draws one.
struct ChannelPictures {
    std::optional<DocxPicture> section;
    std::optional<DocxPicture> rating;
};

// The .docx file's bytes. `pictures` goes with report.channels, one for each; missing ones
// are left out. `schemes` is the drawing of the section that shows ReportFigure::Schemes.
std::string reportDocx(const CalculationReport& report,
                       const std::vector<ChannelPictures>& pictures,
                       const std::optional<DocxPicture>& schemes = std::nullopt);

// A canal's book (formats/canal_book.h) as a .docx file's bytes: the first page with the
// project and the names who sign, the water-level profile, then each reach's book on a new
// page under its chapter's heading (Word's 标题 1), the running header and the page numbers
// as above. `pictures` go with book.chapters, each chapter's as reportDocx takes them.
std::string canalBookDocx(const CanalBook& book,
                          const std::vector<std::vector<ChannelPictures>>& pictures = {});

}  // namespace lintavo
