#include "canal/json.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace lintavo {

namespace {

class Parser {
  public:
    Parser(std::string_view text, const JsonLimits& limits) : text_(text), limits_(limits) {}

    std::optional<JsonValue> parseWhole(std::string* refusal) {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
        JsonValue value;
        if (parseValue(value, 0)) {
            skipBlanks();
            if (pos_ == text_.size()) return value;
            fail("数据之后还有多余的内容。");
        }
        if (refusal != nullptr) *refusal = where() + error_;
        return std::nullopt;
    }

  private:
    // "第 3 行第 14 列：" of the place the reading stopped, columns counted in characters.
    std::string where() const {
        std::size_t line = 1;
        std::size_t column = 1;
        for (std::size_t k = 0; k < pos_ && k < text_.size(); ++k) {
            const auto c = static_cast<unsigned char>(text_[k]);
            if (c == '\n') {
                ++line;
                column = 1;
            } else if ((c & 0xC0) != 0x80) {
                ++column;
            }
        }
        return "第 " + std::to_string(line) + " 行第 " + std::to_string(column) + " 列：";
    }

    bool fail(std::string sentence) {
        if (error_.empty()) error_ = std::move(sentence);
        return false;
    }

    void skipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                       text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }

    bool literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) return fail("无法识别的内容。");
        pos_ += word.size();
        return true;
    }

    bool parseValue(JsonValue& out, std::size_t depth) {
        if (++values_ > limits_.values) return fail("数据项过多。");
        skipBlanks();
        if (pos_ >= text_.size()) return fail("内容不完整。");
        const char c = text_[pos_];
        switch (c) {
            case '{':
                return parseObject(out, depth + 1);
            case '[':
                return parseArray(out, depth + 1);
            case '"':
                out.kind = JsonValue::Kind::String;
                return parseString(out.text);
            case 't':
                out.kind = JsonValue::Kind::Bool;
                out.boolean = true;
                return literal("true");
            case 'f':
                out.kind = JsonValue::Kind::Bool;
                return literal("false");
            case 'n':
                out.kind = JsonValue::Kind::Null;
                return literal("null");
            default:
                if (c == '-' || (c >= '0' && c <= '9')) return parseNumber(out);
                return fail("无法识别的内容。");
        }
    }

    bool parseObject(JsonValue& out, std::size_t depth) {
        if (depth > limits_.depth) return fail("嵌套层数过多。");
        out.kind = JsonValue::Kind::Object;
        ++pos_;
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == '}') {
            ++pos_;
            return true;
        }
        for (;;) {
            skipBlanks();
            if (pos_ >= text_.size() || text_[pos_] != '"') return fail("应为带引号的键名。");
            std::string key;
            if (!parseString(key)) return false;
            for (const JsonMember& member : out.members)
                if (member.first == key) return fail("键“" + key + "”重复出现。");
            skipBlanks();
            if (pos_ >= text_.size() || text_[pos_] != ':') return fail("键名之后缺少冒号。");
            ++pos_;
            JsonValue value;
            if (!parseValue(value, depth)) return false;
            out.members.emplace_back(std::move(key), std::move(value));
            skipBlanks();
            if (pos_ < text_.size() && text_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < text_.size() && text_[pos_] == '}') {
                ++pos_;
                return true;
            }
            return fail("缺少逗号或右花括号。");
        }
    }

    bool parseArray(JsonValue& out, std::size_t depth) {
        if (depth > limits_.depth) return fail("嵌套层数过多。");
        out.kind = JsonValue::Kind::Array;
        ++pos_;
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == ']') {
            ++pos_;
            return true;
        }
        for (;;) {
            JsonValue value;
            if (!parseValue(value, depth)) return false;
            out.items.push_back(std::move(value));
            skipBlanks();
            if (pos_ < text_.size() && text_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < text_.size() && text_[pos_] == ']') {
                ++pos_;
                return true;
            }
            return fail("缺少逗号或右方括号。");
        }
    }

    bool parseNumber(JsonValue& out) {
        const std::size_t start = pos_;
        const auto digits = [this] {
            const std::size_t first = pos_;
            while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9')
                ++pos_;
            return pos_ > first;
        };
        if (text_[pos_] == '-') ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '0') {
            ++pos_;
        } else if (!digits()) {
            return fail("数字写法不正确。");
        }
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            if (!digits()) return fail("数字写法不正确。");
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
            if (!digits()) return fail("数字写法不正确。");
        }
        if (pos_ - start > 64) return fail("数字过长。");
        out.kind = JsonValue::Kind::Number;
        out.text = std::string(text_.substr(start, pos_ - start));
        return true;
    }

    static void appendUtf8(std::string& out, std::uint32_t c) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }

    bool hex4(std::uint32_t& out) {
        if (text_.size() - pos_ < 4) return fail("转义字符不完整。");
        out = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = text_[pos_++];
            out <<= 4;
            if (c >= '0' && c <= '9') {
                out |= static_cast<std::uint32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                out |= static_cast<std::uint32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                out |= static_cast<std::uint32_t>(c - 'A' + 10);
            } else {
                return fail("转义字符不正确。");
            }
        }
        return true;
    }

    // The length of the well-formed UTF-8 sequence at pos_, 0 where it is not one.
    std::size_t utf8Length() const {
        const auto at = [this](std::size_t k) {
            return pos_ + k < text_.size() ? static_cast<unsigned char>(text_[pos_ + k]) : 0U;
        };
        const unsigned c = at(0);
        const auto tail = [&](std::size_t k) { return (at(k) & 0xC0U) == 0x80U; };
        if (c >= 0xC2 && c <= 0xDF) return tail(1) ? 2 : 0;
        if (c >= 0xE0 && c <= 0xEF) {
            const unsigned lo = c == 0xE0 ? 0xA0 : 0x80;
            const unsigned hi = c == 0xED ? 0x9F : 0xBF;
            return at(1) >= lo && at(1) <= hi && tail(2) ? 3 : 0;
        }
        if (c >= 0xF0 && c <= 0xF4) {
            const unsigned lo = c == 0xF0 ? 0x90 : 0x80;
            const unsigned hi = c == 0xF4 ? 0x8F : 0xBF;
            return at(1) >= lo && at(1) <= hi && tail(2) && tail(3) ? 4 : 0;
        }
        return 0;
    }

    bool parseString(std::string& out) {
        ++pos_;
        for (;;) {
            if (pos_ >= text_.size()) return fail("字符串缺少结束的引号。");
            const auto c = static_cast<unsigned char>(text_[pos_]);
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (c < 0x20) return fail("字符串中有控制字符。");
            if (c == '\\') {
                ++pos_;
                if (pos_ >= text_.size()) return fail("转义字符不完整。");
                const char e = text_[pos_++];
                switch (e) {
                    case '"':
                    case '\\':
                    case '/':
                        out += e;
                        break;
                    case 'b':
                        out += '\b';
                        break;
                    case 'f':
                        out += '\f';
                        break;
                    case 'n':
                        out += '\n';
                        break;
                    case 'r':
                        out += '\r';
                        break;
                    case 't':
                        out += '\t';
                        break;
                    case 'u': {
                        std::uint32_t code = 0;
                        if (!hex4(code)) return false;
                        if (code >= 0xD800 && code <= 0xDBFF) {
                            std::uint32_t low = 0;
                            if (text_.substr(pos_, 2) != "\\u") return fail("代理对不完整。");
                            pos_ += 2;
                            if (!hex4(low)) return false;
                            if (low < 0xDC00 || low > 0xDFFF) return fail("代理对不完整。");
                            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                        } else if (code >= 0xDC00 && code <= 0xDFFF) {
                            return fail("代理对不完整。");
                        }
                        appendUtf8(out, code);
                        break;
                    }
                    default:
                        return fail("转义字符不正确。");
                }
                continue;
            }
            if (c < 0x80) {
                out += static_cast<char>(c);
                ++pos_;
                continue;
            }
            const std::size_t length = utf8Length();
            if (length == 0) return fail("文字不是有效的 UTF-8 编码。");
            out.append(text_.substr(pos_, length));
            pos_ += length;
        }
    }

    std::string_view text_;
    const JsonLimits& limits_;
    std::size_t pos_ = 0;
    std::size_t values_ = 0;
    std::string error_;
};

bool isShort(const JsonValue& value) {
    return value.kind != JsonValue::Kind::Array && value.kind != JsonValue::Kind::Object &&
           value.text.size() <= 24;
}

void write(std::string& out, const JsonValue& value, std::size_t indent) {
    const std::string pad(2 * indent, ' ');
    const std::string inner(2 * (indent + 1), ' ');
    switch (value.kind) {
        case JsonValue::Kind::Null:
            out += "null";
            return;
        case JsonValue::Kind::Bool:
            out += value.boolean ? "true" : "false";
            return;
        case JsonValue::Kind::Number:
            out += value.text;
            return;
        case JsonValue::Kind::String:
            out += jsonQuoted(value.text);
            return;
        case JsonValue::Kind::Array: {
            if (value.items.empty()) {
                out += "[]";
                return;
            }
            bool flat = value.items.size() <= 8;
            for (const JsonValue& item : value.items)
                flat = flat && isShort(item);
            out += flat ? "[" : "[\n";
            for (std::size_t k = 0; k < value.items.size(); ++k) {
                if (k > 0) out += flat ? ", " : ",\n";
                if (!flat) out += inner;
                write(out, value.items[k], indent + 1);
            }
            out += flat ? "]" : "\n" + pad + "]";
            return;
        }
        case JsonValue::Kind::Object: {
            if (value.members.empty()) {
                out += "{}";
                return;
            }
            out += "{\n";
            for (std::size_t k = 0; k < value.members.size(); ++k) {
                if (k > 0) out += ",\n";
                out += inner + jsonQuoted(value.members[k].first) + ": ";
                write(out, value.members[k].second, indent + 1);
            }
            out += "\n" + pad + "}";
            return;
        }
    }
}

}  // namespace

JsonValue JsonValue::string(std::string text) {
    JsonValue value;
    value.kind = Kind::String;
    value.text = std::move(text);
    return value;
}

JsonValue JsonValue::number(double x) {
    JsonValue value;
    if (const std::optional<std::string> text = jsonNumber(x)) {
        value.kind = Kind::Number;
        value.text = *text;
    }
    return value;
}

JsonValue JsonValue::object(JsonObject members) {
    JsonValue value;
    value.kind = Kind::Object;
    value.members = std::move(members);
    return value;
}

const JsonValue* JsonValue::find(std::string_view key) const {
    if (kind != Kind::Object) return nullptr;
    for (const JsonMember& member : members)
        if (member.first == key) return &member.second;
    return nullptr;
}

std::optional<JsonValue> parseJson(std::string_view text, std::string* refusal,
                                   const JsonLimits& limits) {
    if (text.size() > limits.bytes) {
        if (refusal != nullptr)
            *refusal = "内容超过 " + std::to_string(limits.bytes >> 20) + " MB，不予读取。";
        return std::nullopt;
    }
    return Parser(text, limits).parseWhole(refusal);
}

std::string writeJson(const JsonValue& value) {
    std::string out;
    write(out, value, 0);
    return out;
}

std::string jsonQuoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (u < 0x20) {
                    constexpr std::string_view hex = "0123456789abcdef";
                    out += "\\u00";
                    out += hex[u >> 4];
                    out += hex[u & 0xF];
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::optional<std::string> jsonNumber(double x) {
    if (!std::isfinite(x)) return std::nullopt;
    if (x == 0) return std::string("0");  // -0 too: JSON readers differ on "-0"
    // Plain decimals where they are short enough to read, as levels and depths are.
    const double size = std::fabs(x);
    const auto format =
        size >= 1e-6 && size < 1e15 ? std::chars_format::fixed : std::chars_format::scientific;
    std::array<char, 48> buffer{};
    const auto [end, error] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), x, format);
    if (error != std::errc()) return std::nullopt;
    return std::string(buffer.data(), end);
}

}  // namespace lintavo
