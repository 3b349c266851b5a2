#pragma once

// Many presses of one calculation, one per row of a table: the batch window, the command
// line and their files share this. A row is a free name (a reach or a chainage), the input
// texts in the calculation's reading order, and whatever further columns the user's table
// had; computing it gives the result texts of the same press the window runs, or the
// failure report's sentence in 说明. Plain C++, no Qt.
//
//   const CalculatorTable* t = calculationNamed("normal-depth");   // or "水深h计算"
//   batchColumns(*t) → {"名称", "流量Q", "底宽b", "边坡系数m", "底坡i", "糙率n", "水深h", "说明"}

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "calculators/table.h"

namespace lintavo {

// A calculation by its window's title or its English alias; null when none is named so.
const CalculatorTable* calculationNamed(std::string_view name);
// discharge, normal-depth, bottom-width, bottom-slope, section.
StaticText calculationAlias(const CalculatorTable& table);

inline constexpr std::string_view nameColumn = "名称";
inline constexpr std::string_view noteColumn = "说明";

// The batch's own columns: 名称, the inputs' captions in reading order, the results' in
// writing order, 说明.
std::vector<std::string> batchColumns(const CalculatorTable& table);

// The quantity a header cell names: its symbol (Q b h m i n v, either case), its label
// caption (流量Q), the caption without the symbol (流量), the field's prefix (llQ), with a
// unit in brackets after it allowed ("流量Q (m³/s)"); blanks around it do not count.
// 0 when it names none.
char quantityOfHeader(std::string_view cell);

// Where a table's columns go: the cells of one source row become a batch row.
struct ColumnMap {
    std::optional<std::size_t> name;  // the 名称 column
    std::vector<std::size_t> inputs;  // per input, in reading order
    std::vector<std::size_t> extras;  // kept as they are, after 说明
    std::vector<std::string> extraHeaders;
    std::size_t results = 0;  // the calculation's result columns
};

// The first row of a table is a header when one of its cells names a quantity or 名称.
bool isHeaderRow(std::span<const std::string> cells);

// The map for a header row: every input must be named once. Columns naming the results or
// 说明 are dropped, since the batch writes them anew; every other column is kept. An error
// in Chinese when an input is missing or named twice.
std::variant<ColumnMap, std::string> mapHeader(const CalculatorTable& table,
                                               std::span<const std::string> header);

// A table without a header: the inputs in reading order from the first column; further
// columns are kept.
ColumnMap headerlessMap(const CalculatorTable& table, std::size_t width);

// How a table's first record is taken, the one decision every reader of a table makes: a
// header maps the columns by their names; a first record that names nothing is the first row,
// and the inputs stand in reading order in a table `width` columns wide. An error in Chinese
// when the header cannot be mapped.
struct TableStart {
    ColumnMap map;
    bool firstIsRow = false;
};
std::variant<TableStart, std::string> startTable(const CalculatorTable& table,
                                                 std::span<const std::string> first,
                                                 std::size_t width);

// The batch row for one source row: 名称, the input texts, the results (empty when the press
// failed), 说明 (the failure's cause, or empty), then the kept columns. `out` is reused.
// Whether the press completed.
bool computeRow(const CalculatorTable& table, const ColumnMap& map,
                std::span<const std::string> cells, std::vector<std::string>& out);

// The same from the input texts alone: the result texts, or the failure's sentence.
struct RowOutcome {
    std::vector<std::string> results;  // empty when the press failed
    std::string note;
    bool failed = false;
};
RowOutcome pressRow(const CalculatorTable& table, std::span<const std::string> inputs);

// A row as the batch window holds it: the texts of its cells in the batch's columns (名称, the
// inputs, the results, 说明, then the kept columns; none past its last written cell) and
// whether its press failed.
struct BatchRow {
    std::vector<std::string> cells;
    bool failed = false;
};

// Runs the press on the row's inputs and writes its results and 说明 in place, as computeRow
// writes a file's row. Whether the press completed.
bool computeBatchRow(const CalculatorTable& table, BatchRow& row);

}  // namespace lintavo
