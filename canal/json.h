#pragma once

// JSON (RFC 8259) as a project file holds it: objects keep their members in the order read,
// so that a file written back lists its keys as they came and keeps the ones this version
// does not know. Numbers keep the text they were written with. Plain C++; every input may be
// hostile, so the reader bounds its depth and its size and refuses rather than throws.
//
//   parseJson(R"({"b": "5", "extra": [1, 2]})") → an object of two members
//   writeJson(value) → {"b": "5", "extra": [1, 2]} laid out two spaces an indent

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lintavo {

struct JsonValue;
using JsonMember = std::pair<std::string, JsonValue>;
using JsonObject = std::vector<JsonMember>;

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    std::string text;  // a string's content (UTF-8), or a number as written ("1250.30")
    std::vector<JsonValue> items;
    JsonObject members;

    static JsonValue string(std::string text);
    static JsonValue number(double x);  // written as its shortest round-trip decimal
    static JsonValue object(JsonObject members = {});

    bool isObject() const { return kind == Kind::Object; }
    // The member's value, or null where the object has none (or this is no object).
    const JsonValue* find(std::string_view key) const;

    friend bool operator==(const JsonValue&, const JsonValue&) = default;
};

struct JsonLimits {
    std::size_t bytes = 8U << 20;  // the whole text
    std::size_t depth = 64;        // nested arrays and objects
    std::size_t values = 1U << 20;
};

// The value of a whole JSON text (UTF-8, a byte-order mark allowed), or none with the reason
// in Chinese in `refusal`: "第 3 行第 14 列：缺少逗号或右花括号。"
std::optional<JsonValue> parseJson(std::string_view text, std::string* refusal = nullptr,
                                   const JsonLimits& limits = {});

// The text of a value, objects and arrays laid out one member a line, two spaces an indent;
// arrays of numbers and short texts stay on one line.
std::string writeJson(const JsonValue& value);

// A string as JSON writes it, quoted and escaped: jsonQuoted("a\"b") → "\"a\\\"b\"".
std::string jsonQuoted(std::string_view text);

// A double as a JSON number, the shortest decimal that reads back as the same double, without
// an exponent from 1e-6 to 1e15: jsonNumber(0.1) → "0.1", jsonNumber(1.0 / 5000) → "0.0002",
// jsonNumber(1e-7) → "1e-07". Absent for NaN and infinities.
std::optional<std::string> jsonNumber(double x);

}  // namespace lintavo
