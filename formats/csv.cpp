#include "formats/csv.h"

#include <algorithm>
#include <sstream>

#include "formats/text_encoding.h"

namespace lintavo {

namespace {

constexpr std::size_t pieceSize = 1 << 16;

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

// Reads the next piece, keeping what the current record has not consumed.
bool CsvReader::fill() {
    if (ended_) return false;
    buffer_.erase(0, pos_);
    pos_ = 0;
    const std::size_t kept = buffer_.size();
    buffer_.resize(kept + pieceSize);
    in_.read(buffer_.data() + kept, static_cast<std::streamsize>(pieceSize));
    const auto got = static_cast<std::size_t>(in_.gcount());
    buffer_.resize(kept + got);
    if (got == 0) ended_ = true;
    return got != 0;
}

bool CsvReader::next(std::vector<std::string>& fields) {
    if (!error_.empty()) return false;
    if (!started_) {
        started_ = true;
        while (buffer_.size() < 4 && fill()) {
        }
        if (buffer_.starts_with("\xEF\xBB\xBF")) {
            encoding_ = TextEncoding::Utf8;
            pos_ = 3;
        } else if (buffer_.starts_with("\xFF\xFE") || buffer_.starts_with("\xFE\xFF")) {
            error_ = "输入是 UTF-16 文本；请另存为 UTF-8 或 GB18030（GBK）编码的 CSV 文件";
            return false;
        }
        // The separator is the first line's: a tab when it holds tabs and no comma.
        std::size_t end = pos_;
        while (detect_) {
            end = buffer_.find_first_of("\r\n", pos_);
            if (end != std::string::npos || !fill()) break;
        }
        const std::string_view first = std::string_view(buffer_).substr(pos_, end - pos_);
        if (detect_ && first.find('\t') != first.npos && first.find(',') == first.npos)
            separator_ = '\t';
    }
    for (;;) {
        // The strings of the last record are reused, so that a long file allocates nothing
        // per field once its widest record has been read.
        std::size_t used = 1;
        const auto field = [&]() -> std::string& { return fields[used - 1]; };
        const auto nextField = [&] {
            if (fields.size() < ++used) fields.emplace_back();
            field().clear();
        };
        if (fields.empty()) fields.emplace_back();
        field().clear();
        recordLine_ = lineNumber_;
        bool quoted = false;    // inside a quoted part of a field
        bool anything = false;  // the record holds a byte, not only its line end
        for (;;) {
            if (pos_ == buffer_.size() && !fill()) {
                if (quoted) {
                    error_ = "第 " + std::to_string(recordLine_) + " 行的引号没有结束";
                    return false;
                }
                if (!anything) return false;
                break;
            }
            if (!quoted) {
                // The plain bytes up to the next one that means something, at once.
                std::size_t end = pos_;
                while (end < buffer_.size()) {
                    const char c = buffer_[end];
                    if (c == separator_ || c == '"' || c == '\r' || c == '\n') break;
                    ++end;
                }
                if (end > pos_) {
                    field().append(buffer_, pos_, end - pos_);
                    anything = true;
                    pos_ = end;
                    continue;
                }
            }
            const char c = buffer_[pos_++];
            if (quoted) {
                if (c == '"') {
                    if (pos_ == buffer_.size()) fill();
                    if (pos_ < buffer_.size() && buffer_[pos_] == '"') {
                        field() += '"';
                        ++pos_;
                    } else {
                        quoted = false;
                    }
                } else {
                    if (c == '\n') ++lineNumber_;
                    field() += c;
                }
                continue;
            }
            if (c == '\r' || c == '\n') {
                ++lineNumber_;
                if (c == '\r') {
                    if (pos_ == buffer_.size()) fill();
                    if (pos_ < buffer_.size() && buffer_[pos_] == '\n') ++pos_;
                }
                break;
            }
            anything = true;
            if (c == separator_) {
                nextField();
            } else if (c == '"' && field().empty()) {
                quoted = true;
            } else {
                field() += c;
            }
        }
        if (!anything) continue;  // a blank line
        fields.resize(used);
        if (!decode(fields)) return false;
        return true;
    }
}

bool CsvReader::decode(std::vector<std::string>& fields) {
    const bool ascii =
        std::all_of(fields.begin(), fields.end(), [](const std::string& f) { return isAscii(f); });
    if (ascii) return true;
    if (encoding_ == TextEncoding::Undecided) {
        // Decide on this record and all that is read after it: a few Chinese characters of
        // GBK can pass for UTF-8 by chance, a whole piece of them practically never.
        const bool utf8 = std::all_of(fields.begin(), fields.end(),
                                      [](const std::string& f) { return isUtf8(f); }) &&
                          isUtf8(std::string_view(buffer_).substr(pos_), true);
        encoding_ = utf8 ? TextEncoding::Utf8 : TextEncoding::Gb18030;
    }
    for (std::string& field : fields) {
        if (isAscii(field)) continue;
        if (encoding_ == TextEncoding::Utf8) {
            if (!isUtf8(field)) {
                error_ = "第 " + std::to_string(recordLine_) +
                         " 行不是 UTF-8 文本，而文件的前面是 UTF-8；请用同一种编码保存整个文件";
                return false;
            }
        } else if (auto text = gb18030ToUtf8(field)) {
            field = std::move(*text);
        } else {
            error_ = "第 " + std::to_string(recordLine_) +
                     " 行既不是 UTF-8 文本，也不是 GB18030（GBK）文本";
            return false;
        }
    }
    return true;
}

void appendCsvRecord(std::string& out, const std::vector<std::string>& fields, char separator) {
    bool first = true;
    for (const std::string& field : fields) {
        if (!first) out += separator;
        first = false;
        const bool plain = std::none_of(field.begin(), field.end(), [separator](char c) {
            return c == separator || c == '"' || c == '\r' || c == '\n';
        });
        if (plain) {
            out += field;
            continue;
        }
        out += '"';
        for (char c : field) {
            if (c == '"') out += '"';
            out += c;
        }
        out += '"';
    }
    out += "\r\n";
}

std::vector<std::vector<std::string>> splitPastedTable(std::string_view text) {
    std::istringstream in{std::string(text)};
    CsvReader reader(in, '\t');
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> fields;
    while (reader.next(fields))
        rows.push_back(fields);
    return rows;
}

}  // namespace lintavo
