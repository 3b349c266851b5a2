#include "formats/canal_table.h"

#include <cctype>
#include <vector>

#include "formats/csv.h"
#include "formats/xlsx.h"

namespace lintavo {

namespace {

// The column of the slope i in resultTable's rows.
constexpr std::size_t slopeColumn = 7;

std::string lowerExtension(std::string_view fileName) {
    const std::size_t dot = fileName.find_last_of('.');
    const std::size_t slash = fileName.find_last_of("/\\");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && slash > dot))
        return {};
    std::string extension(fileName.substr(dot));
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

}  // namespace

std::optional<std::string> resultTableBytes(std::string_view fileName, const CanalProfile& profile,
                                            const Project& project) {
    const std::vector<std::vector<ResultCell>> table = resultTable(profile, project);
    const std::string extension = lowerExtension(fileName);
    if (extension == ".xlsx") {
        XlsxWriter out;
        for (std::size_t r = 0; r < table.size(); ++r) {
            std::vector<XlsxCell> cells;
            for (std::size_t c = 0; c < table[r].size(); ++c) {
                const ResultCell& cell = table[r][c];
                std::optional<XlsxCell> ratio;
                if (r > 0 && c == slopeColumn && r - 1 < project.reaches.size() && cell.number)
                    ratio = xlsxSlopeRatio(project.reaches[r - 1].i);
                cells.push_back(ratio ? *ratio : XlsxCell{cell.text, cell.number});
            }
            out.addRow(cells);
        }
        return std::move(out).finish("水力计算成果表");
    }
    if (extension == ".csv") {
        std::string bytes = "\xEF\xBB\xBF";
        for (const std::vector<ResultCell>& row : table) {
            std::vector<std::string> fields;
            for (const ResultCell& cell : row)
                fields.push_back(cell.text);
            appendCsvRecord(bytes, fields);
        }
        return bytes;
    }
    return std::nullopt;
}

}  // namespace lintavo
