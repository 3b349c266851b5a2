// The .xlsx reader on any bytes, taken both as a workbook and as the XML of a workbook's only
// sheet: either a table within a sheet's bounds and the table's caps, or a refusal with a
// sentence; nothing thrown, nothing allocated past the caps.

#include <cstdint>
#include <string>

#include "formats/limits.h"
#include "formats/xlsx.h"
#include "formats/zip.h"
#include "tests/fuzz/written_text.h"

using namespace lintavo;

namespace {

void check(const std::string& workbook, const std::string& input) {
    std::string refusal;
    const auto rows = readXlsx(workbook, &refusal);
    if (!rows) {
        if (refusal.empty()) fuzz::broken("refused without a sentence", input);
        return;
    }
    if (!refusal.empty()) fuzz::broken("a table and a refusal", input);
    if (rows->size() > limits::maxRows) fuzz::broken("rows past the last", input);
    std::size_t cells = 0;
    for (const auto& row : *rows) {
        if (row.size() > limits::maxColumns) fuzz::broken("a column past XFD", input);
        cells += std::max<std::size_t>(row.size(), 1);
        for (const std::string& cell : row) {
            if (cell.size() > limits::maxCellTextBytes) fuzz::broken("a cell past its cap", input);
        }
    }
    if (cells > limits::maxCells) fuzz::broken("cells past the cap", input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    check(input, input);
    ZipWriter zip;
    zip.add("xl/worksheets/sheet1.xml", input);
    check(zip.finish(), input);
    return 0;
}
