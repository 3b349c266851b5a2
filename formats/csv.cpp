#include "formats/csv.h"

#include <algorithm>
#include <exception>
#include <streambuf>

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
    if (read_ > limits_.bytes) {
        // One byte past the bound was read: the file is longer than the reader takes.
        ended_ = true;
        refuse("文件超过了 " + std::to_string(limits_.bytes >> 20) +
               " MiB 的上限，请把它分成几个文件。");
        return false;
    }
    buffer_.erase(0, pos_);
    pos_ = 0;
    const std::size_t kept = buffer_.size();
    const std::size_t want = std::min(pieceSize, limits_.bytes + 1 - read_);
    buffer_.resize(kept + want);
    in_.read(buffer_.data() + kept, static_cast<std::streamsize>(want));
    const auto got = static_cast<std::size_t>(in_.gcount());
    buffer_.resize(kept + got);
    read_ += got;
    if (got == 0) ended_ = true;
    return got != 0;
}

bool CsvReader::refuse(std::string sentence) {
    if (error_.empty()) error_ = std::move(sentence);
    return false;
}

bool CsvReader::next(std::vector<std::string>& fields) {
    try {
        return read(fields);
    } catch (const std::exception&) {
        // The bounds keep every allocation small; should one still fail, the reading stops
        // with a sentence, not the program.
        return refuse("内存不足，无法读取第 " + std::to_string(recordLine_) + " 行");
    }
}

bool CsvReader::read(std::vector<std::string>& fields) {
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
        // Searched once per byte, and no further than a record may reach.
        std::size_t end = pos_;
        while (detect_) {
            end = buffer_.find_first_of("\r\n", end);
            if (end != std::string::npos) break;
            end = buffer_.size();
            if (end - pos_ > limits_.recordBytes) break;
            const std::size_t before = pos_;
            if (!fill()) break;
            end -= before;  // fill() moves the unread bytes to the front
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
        std::size_t taken = 0;  // the record's bytes so far
        const auto tooLong = [&] {
            return refuse("第 " + std::to_string(recordLine_) + " 行超过了 " +
                          std::to_string(limits_.recordBytes >> 10) +
                          " KiB 的上限（引号中的换行计入同一行）");
        };
        for (;;) {
            if (pos_ == buffer_.size() && !fill()) {
                if (!error_.empty()) return false;
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
                    taken += end - pos_;
                    if (taken > limits_.recordBytes) return tooLong();
                    field().append(buffer_, pos_, end - pos_);
                    anything = true;
                    pos_ = end;
                    continue;
                }
            }
            const char c = buffer_[pos_++];
            if (++taken > limits_.recordBytes) return tooLong();
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
                if (used > limits_.fields)
                    return refuse("第 " + std::to_string(recordLine_) + " 行超过了 " +
                                  std::to_string(limits_.fields) + " 列的上限");
            } else if (c == '"' && field().empty()) {
                quoted = true;
            } else {
                field() += c;
            }
        }
        if (!anything) continue;  // a blank line
        if (records_ == limits_.records)
            return refuse("文件超过了 " + std::to_string(limits_.records) +
                          " 行的上限，请把它分成几个文件");
        ++records_;
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

namespace {

// The bytes of a file already in memory as a stream, without a copy.
class ViewBuffer : public std::streambuf {
  public:
    explicit ViewBuffer(std::string_view bytes) {
        char* begin = const_cast<char*>(bytes.data());
        setg(begin, begin, begin + bytes.size());
    }
};

}  // namespace

std::optional<std::vector<std::vector<std::string>>> readCsvTable(std::string_view bytes,
                                                                  std::string* refusal,
                                                                  char separator) {
    ViewBuffer view(bytes);
    std::istream in(&view);
    CsvReader reader(in, separator);
    std::string why;
    std::vector<std::vector<std::string>> rows;
    std::size_t cells = 0;
    std::size_t text = 0;
    try {
        std::vector<std::string> fields;
        while (reader.next(fields)) {
            cells += fields.size();
            for (const std::string& field : fields)
                text += field.size();
            if (cells > limits::maxCells) {
                why = "表格超过了 " + std::to_string(limits::maxCells) + " 个单元格的上限";
                break;
            }
            if (text > limits::maxTableTextBytes) {
                why = "表格的文字总共超过了 " + std::to_string(limits::maxTableTextBytes >> 20) +
                      " MiB 的上限";
                break;
            }
            rows.push_back(fields);
        }
        if (why.empty()) why = reader.error();
    } catch (const std::exception&) {
        why = "内存不足，无法读取这个表格";
    }
    const bool read = why.empty();
    if (refusal != nullptr) *refusal = std::move(why);
    if (!read) return std::nullopt;
    return rows;
}

std::vector<std::vector<std::string>> splitPastedTable(std::string_view text,
                                                       std::string* refusal) {
    auto rows = readCsvTable(text, refusal, '\t');
    return rows ? std::move(*rows) : std::vector<std::vector<std::string>>{};
}

}  // namespace lintavo
