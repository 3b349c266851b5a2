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

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace lintavo {

enum class TextEncoding { Undecided, Utf8, Gb18030 };

class CsvReader {
  public:
    // `separator` 0 decides from the first line; a paste is always separated by tabs.
    explicit CsvReader(std::istream& in, char separator = 0)
        : in_(in), separator_(separator == 0 ? ',' : separator), detect_(separator == 0) {}

    // The next record's fields in UTF-8; false at the end of the input or at an error.
    bool next(std::vector<std::string>& fields);

    // Why the reading stopped, in Chinese; empty at a clean end.
    const std::string& error() const { return error_; }
    // The record's line number (from 1) where the last record returned began.
    std::size_t line() const { return recordLine_; }
    TextEncoding encoding() const { return encoding_; }
    char separator() const { return separator_; }

  private:
    bool fill();
    bool decode(std::vector<std::string>& fields);

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
};

// Appends one record, fields quoted where they must be, ended by CRLF as spreadsheets expect:
//   appendCsvRecord(out, {"渠段1", "2,5", "say \"hi\""}) appends 渠段1,"2,5","say ""hi"""\r\n
void appendCsvRecord(std::string& out, const std::vector<std::string>& fields,
                     char separator = ',');

// Splits text pasted from a spreadsheet: rows by line breaks, cells by tabs, quoted cells as
// the spreadsheet quotes those holding a tab, a quote or a line break. A last empty line is
// no row.
std::vector<std::vector<std::string>> splitPastedTable(std::string_view text);

}  // namespace lintavo
