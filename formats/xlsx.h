#pragma once

// Spreadsheets as .xlsx (Office Open XML, ECMA-376 Part 1, SpreadsheetML): the first sheet
// read as a table of texts, and one sheet written with numbers as numbers and everything
// else as text. Plain C++ over formats/zip: the little XML involved is read here.
//
//   XlsxSheet sheet{{{"名称", false}, {"流量Q", false}}, {{"渠段1", false}, {"2.763", true}}};
//   std::string bytes = writeXlsx(sheet, "水深h计算");
//   readXlsx(bytes) → {{"名称", "流量Q"}, {"渠段1", "2.763"}}

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lintavo {

struct XlsxCell {
    std::string text;
    bool number = false;   // written as a number; the text must then be a decimal number
    std::string format{};  // a number's format code ("?/5000" shows 0.0002 as 1/5000); "" General
};

using XlsxSheet = std::vector<std::vector<XlsxCell>>;

// Whether a text is a decimal number a spreadsheet stores as one: "2.763", "-0.5", "1E-05",
// not "0.781或6.999", "" or " 1".
bool isXlsxNumber(std::string_view text);

// A workbook of one sheet written a row at a time, so that a long table is held once, as the
// sheet's XML, and not again as cells; the first row is bold as a header, and each column is
// as wide as its widest text.
//   XlsxWriter out;
//   out.addRow({{"名称", false}, {"流量Q", false}});
//   out.addRow({{"渠段1", false}, {"2.763", true}});
//   std::string bytes = std::move(out).finish("水深h计算");
class XlsxWriter {
  public:
    XlsxWriter();
    void addRow(const std::vector<XlsxCell>& cells);
    std::string finish(std::string_view sheetName) &&;

  private:
    std::size_t styleOf(const std::string& format);

    std::string xml_;
    std::size_t rows_ = 0;
    std::vector<std::size_t> widths_;   // in characters, a Chinese character counting two
    std::vector<std::string> formats_;  // the number formats met, style k + 2 for formats_[k]
};

// A slope typed as a ratio ("1/5000", "1：5000") as a number a spreadsheet shows as typed:
// {"0.0002", true, "?/5000"}. None for any other text.
std::optional<XlsxCell> xlsxSlopeRatio(std::string_view text);

// The workbook with one sheet named `sheetName`, the first row bold as a header.
std::string writeXlsx(const XlsxSheet& sheet, std::string_view sheetName);

// The first sheet's cells as texts, row by row from the first, each row as wide as its last
// cell; empty cells between are empty texts. Shared and inline strings give their text,
// numbers their shortest decimal form ("0.025", not "2.5000000000000001E-2"), a formula its
// last computed value, a boolean TRUE or FALSE. None when the bytes are not a workbook or go
// beyond formats/limits.h (rows past 1 048 576, a column past XFD, too many cells or too much
// text), with a sentence saying why in `refusal`; nothing is thrown.
std::optional<std::vector<std::vector<std::string>>> readXlsx(std::string_view bytes,
                                                              std::string* refusal = nullptr);

}  // namespace lintavo
