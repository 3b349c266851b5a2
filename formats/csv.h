#pragma once

// Comma-separated values as spreadsheets write them (RFC 4180, read leniently): fields
// separated by commas, or by tabs when the first line holds tabs and no comma (a
// spreadsheet's "text" export and its clipboard); a field in double quotes may hold commas,
// quotes doubled and line breaks; lines end in CRLF, LF or CR. Blank lines are skipped.
//
// The reader streams: it holds one piece of the input and one record at a time, whatever the
// length of the file. It hands out every field as UTF-8, whether the file was UTF-8 (with or
// without a byte-order mark) or GB18030/GBK; it decides on the first piece that holds a byte
// beyond ASCII, and a later byte that contradicts the decision stops the reading with an
// error rather than a garbled field.
//
// Every file may be hostile: the reader stops with an error past the bounds of CsvLimits
// (formats/limits.h), and its time is linear in the bytes it reads.

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/limits.h"

namespace lintavo {

enum class TextEncoding { Undecided, Utf8, Gb18030 };

// What a reader takes in before it stops with an error; a test may make them small.
struct CsvLimits {
    std::size_t bytes = limits::maxCsvBytes;              // read from the stream in all
    std::size_t recordBytes = limits::maxCsvRecordBytes;  // one record, quoted breaks included
    std::size_t fields = limits::maxColumns;              // in one record
    std::size_t records = limits::maxRows;
};

class CsvReader {
  public:
    // `separator` 0 decides from the first line; a paste is always separated by tabs.
    explicit CsvReader(std::istream& in, char separator = 0, CsvLimits bounds = {})
        : in_(in),
          separator_(separator == 0 ? ',' : separator),
          detect_(separator == 0),
          limits_(bounds) {}

    // The next record's fields in UTF-8; false at the end of the input or at an error.
    bool next(std::vector<std::string>& fields);

    // Why the reading stopped, in Chinese; empty at a clean end.
    const std::string& error() const { return error_; }
    // The record's line number (from 1) where the last record returned began.
    std::size_t line() const { return recordLine_; }
    TextEncoding encoding() const { return encoding_; }
    char separator() const { return separator_; }

  private:
    bool read(std::vector<std::string>& fields);
    bool fill();
    bool decode(std::vector<std::string>& fields);
    bool refuse(std::string sentence);

    std::istream& in_;
    std::string buffer_;
    std::size_t pos_ = 0;
    bool started_ = false;
    bool ended_ = false;
    char separator_;
    bool detect_;
    TextEncoding encoding_ = TextEncoding::Undecided;
    std::size_t lineNumber_ = 1;
    std::size_t recordLine_ = 0;
    std::string error_;
    CsvLimits limits_;
    std::size_t read_ = 0;     // bytes taken from the stream
    std::size_t records_ = 0;  // records returned
};

// A whole table read from the bytes of a CSV file: its records' fields in UTF-8, blank lines
// left out. None, with the reason in `refusal`, when the reader stops at an error or the table
// goes beyond limits::maxCells or limits::maxTableTextBytes.
std::optional<std::vector<std::vector<std::string>>> readCsvTable(std::string_view bytes,
                                                                  std::string* refusal = nullptr,
                                                                  char separator = 0);

// Appends one record, fields quoted where they must be, ended by CRLF as spreadsheets expect:
//   appendCsvRecord(out, {"渠段1", "2,5", "say \"hi\""}) appends 渠段1,"2,5","say ""hi"""\r\n
void appendCsvRecord(std::string& out, const std::vector<std::string>& fields,
                     char separator = ',');

// Splits text pasted from a spreadsheet: rows by line breaks, cells by tabs, quoted cells as
// the spreadsheet quotes those holding a tab, a quote or a line break. A last empty line is
// no row. A paste beyond the table's bounds gives no rows, and the reason in `refusal`.
std::vector<std::vector<std::string>> splitPastedTable(std::string_view text,
                                                       std::string* refusal = nullptr);

}  // namespace lintavo
