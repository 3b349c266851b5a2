#pragma once

// How much of a file the readers take in: every file a batch imports may have been made to
// exhaust the machine, so each reader refuses, with a sentence, what goes beyond these
// bounds rather than allocating what the file claims. Together they keep a reader's peak
// memory near 300 MB whatever the file, and its time linear in what it keeps.

#include <cstddef>

namespace lintavo::limits {

// ---- ZIP containers ---------------------------------------------------------------------

// The largest entry inflated: a sheet of a batch holds some thousands of rows, a few MiB of
// XML; 64 MiB is already a million cells.
inline constexpr std::size_t maxEntryBytes = std::size_t{64} << 20;
// Deflate packs ordinary XML 5 to 20 times; past 200 times it is a bomb. Checked once an
// entry has inflated past `ratioGraceBytes`, so that a small, very regular entry still reads.
inline constexpr std::size_t maxInflateRatio = 200;
inline constexpr std::size_t ratioGraceBytes = std::size_t{1} << 20;
// Entries a container's directory may list; a workbook has a dozen.
inline constexpr std::size_t maxZipEntries = 10000;

// ---- Tables (a sheet, a CSV file) -------------------------------------------------------

// A spreadsheet's own bounds: 1 048 576 rows, columns A to XFD.
inline constexpr std::size_t maxRows = std::size_t{1} << 20;
inline constexpr std::size_t maxColumns = std::size_t{1} << 14;
// The cells a table keeps, counting the empty ones a row holds before its last cell (a row is
// as wide as its last cell) and one for each empty row: 32 bytes each, 64 MiB at most.
inline constexpr std::size_t maxCells = std::size_t{2} << 20;
// The text all the cells of a table hold together, and all the shared strings of a workbook.
inline constexpr std::size_t maxTableTextBytes = std::size_t{32} << 20;
// One cell's text: a spreadsheet holds 32 767 characters in a cell, 4 bytes each at most.
inline constexpr std::size_t maxCellTextBytes = 32767 * 4;
// Shared strings a workbook may list.
inline constexpr std::size_t maxSharedStrings = std::size_t{1} << 20;

// ---- Files read whole or streamed -------------------------------------------------------

// A table file (CSV or .xlsx) read by the batch: far beyond any batch of reaches.
inline constexpr std::size_t maxTableFileBytes = std::size_t{64} << 20;
// What the CSV reader reads of a stream in all, and one record, its quoted line breaks
// included: a record of a batch is some hundred bytes.
inline constexpr std::size_t maxCsvBytes = std::size_t{256} << 20;
inline constexpr std::size_t maxCsvRecordBytes = std::size_t{1} << 20;

}  // namespace lintavo::limits
