#include "canal/project.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <utility>

namespace lintavo {

namespace {

// What one read found wrong; the first refusal wins.
class Reading {
  public:
    bool refuse(std::string sentence) {
        if (refusal_.empty()) refusal_ = std::move(sentence);
        return false;
    }
    const std::string& refusal() const { return refusal_; }

  private:
    std::string refusal_;
};

std::string typeName(JsonValue::Kind kind) {
    switch (kind) {
        case JsonValue::Kind::Null:
            return "空值";
        case JsonValue::Kind::Bool:
            return "逻辑值";
        case JsonValue::Kind::Number:
            return "数";
        case JsonValue::Kind::String:
            return "文字";
        case JsonValue::Kind::Array:
            return "列表";
        case JsonValue::Kind::Object:
            return "对象";
    }
    return {};
}

// A field's text: a string as it is, a number as written.
bool readText(Reading& reading, const JsonValue& value, const std::string& where,
              std::string& out) {
    if (value.kind == JsonValue::Kind::String || value.kind == JsonValue::Kind::Number) {
        out = value.text;
        return true;
    }
    return reading.refuse(where + "应为文字或数，文件中却是" + typeName(value.kind) + "。");
}

bool readName(Reading& reading, const JsonValue& value, const std::string& where,
              std::string& out) {
    if (value.kind == JsonValue::Kind::String) {
        out = value.text;
        return true;
    }
    return reading.refuse(where + "应为文字，文件中却是" + typeName(value.kind) + "。");
}

bool expectObject(Reading& reading, const JsonValue& value, const std::string& where) {
    if (value.isObject()) return true;
    return reading.refuse(where + "应为对象（{…}），文件中却是" + typeName(value.kind) + "。");
}

bool readInfo(Reading& reading, const JsonValue& value, ProjectInfo& info) {
    if (!expectObject(reading, value, "“project”")) return false;
    const std::pair<std::string_view, std::string*> fields[] = {
        {"name", &info.name},       {"canal", &info.canal},       {"designer", &info.designer},
        {"checker", &info.checker}, {"reviewer", &info.reviewer},
    };
    for (const auto& [key, member] : value.members) {
        bool known = false;
        for (const auto& [name, field] : fields) {
            if (key != name) continue;
            known = true;
            if (!readName(reading, member, "工程信息“" + key + "”", *field)) return false;
        }
        if (!known) info.unknown.emplace_back(key, member);
    }
    return true;
}

bool readSettings(Reading& reading, const JsonValue& value, const BedTables& beds,
                  Project& project) {
    if (!expectObject(reading, value, "“settings”")) return false;
    const auto keys = designSettingKeys(project.settings);
    for (const auto& [key, member] : value.members) {
        bool known = false;
        for (const auto& known_key : keys)
            known = known || known_key.first == key;
        if (!known) {
            project.settingsUnknown.emplace_back(key, member);
            continue;
        }
        std::string text;
        if (!readText(reading, member, "设计设置“" + key + "”", text)) return false;
        const std::string refused = applyDesignSetting(project.settings, key, text, beds);
        if (!refused.empty()) return reading.refuse("设计设置“" + key + "”：" + refused);
    }
    return true;
}

bool readControl(Reading& reading, const JsonValue& value, std::size_t row, ControlPoint& control) {
    const std::string where = "第 " + std::to_string(row) + " 个控制点";
    if (!expectObject(reading, value, where)) return false;
    for (const auto& [key, member] : value.members) {
        std::string* field = key == "station"  ? &control.station
                             : key == "ground" ? &control.ground
                             : key == "h0"     ? &control.h0
                                               : nullptr;
        if (field == nullptr) {
            control.unknown.emplace_back(key, member);
        } else if (!readText(reading, member, where + "的“" + key + "”", *field)) {
            return false;
        }
    }
    return true;
}

bool readLevels(Reading& reading, const JsonValue& value, Levels& levels) {
    if (!expectObject(reading, value, "“levels”")) return false;
    for (const auto& [key, member] : value.members) {
        if (key == "controls") {
            if (member.kind != JsonValue::Kind::Array)
                return reading.refuse("“controls”应为控制点的列表，文件中却是" +
                                      typeName(member.kind) + "。");
            if (member.items.size() > maxControls)
                return reading.refuse("控制点多于 " + std::to_string(maxControls) +
                                      " 个，不予读取。");
            for (const JsonValue& item : member.items) {
                ControlPoint control;
                if (!readControl(reading, item, levels.controls.size() + 1, control)) return false;
                levels.controls.push_back(std::move(control));
            }
        } else if (key == "head") {
            if (!expectObject(reading, member, "渠首水位“head”")) return false;
            for (const auto& [headKey, headMember] : member.members) {
                if (headKey == "wl") {
                    std::string text;
                    if (!readText(reading, headMember, "渠首水位“wl”", text)) return false;
                    levels.headLevel = std::move(text);
                } else {
                    levels.headUnknown.emplace_back(headKey, headMember);
                }
            }
            if (!levels.headLevel) levels.headLevel = std::string();
        } else {
            levels.unknown.emplace_back(key, member);
        }
    }
    return true;
}

bool readReach(Reading& reading, const JsonValue& value, std::size_t row, Reach& reach) {
    const std::string where = "第 " + std::to_string(row) + " 个渠段";
    if (!expectObject(reading, value, where)) return false;
    for (const auto& [key, member] : value.members) {
        if (std::string* field = reachField(reach, key)) {
            if (!readText(reading, member, where + "的“" + key + "”", *field)) return false;
        } else {
            reach.unknown.emplace_back(key, member);
        }
    }
    return true;
}

bool readDocument(Reading& reading, const JsonValue& root, const BedTables& beds,
                  Project& project) {
    if (!root.isObject())
        return reading.refuse("这不是 Lintavo 工程文件：文件内容不是一个 JSON 对象。");
    const JsonValue* format = root.find("format");
    if (format == nullptr || format->kind != JsonValue::Kind::String ||
        format->text != projectFormat)
        return reading.refuse(
            "这不是 Lintavo 工程文件：缺少“\"format\": \"lintavo-project\"”标记。");
    const JsonValue* version = root.find("version");
    if (version == nullptr || version->kind != JsonValue::Kind::Number)
        return reading.refuse("工程文件缺少版本号“version”。");
    double number = 0;
    const auto [end, error] =
        std::from_chars(version->text.data(), version->text.data() + version->text.size(), number);
    if (error != std::errc() || end != version->text.data() + version->text.size() ||
        !(number >= 1) || number != std::floor(number))
        return reading.refuse("工程文件的版本号“" + version->text + "”不正确。");
    if (number > projectVersion)
        return reading.refuse("这个工程文件由更新版本的 Lintavo 保存（文件版本 " + version->text +
                              "），本程序只能读取版本 " + std::to_string(projectVersion) +
                              " 的工程文件。请升级 Lintavo 后再打开。");

    for (const auto& [key, member] : root.members) {
        if (key == "format" || key == "version") continue;
        if (key == "project") {
            if (!readInfo(reading, member, project.info)) return false;
        } else if (key == "settings") {
            if (!readSettings(reading, member, beds, project)) return false;
        } else if (key == "levels") {
            if (!readLevels(reading, member, project.levels)) return false;
        } else if (key == "reaches") {
            if (member.kind != JsonValue::Kind::Array)
                return reading.refuse("“reaches”应为渠段的列表，文件中却是" +
                                      typeName(member.kind) + "。");
            if (member.items.size() > maxReaches)
                return reading.refuse("渠段多于 " + std::to_string(maxReaches) + " 个，不予读取。");
            for (const JsonValue& item : member.items) {
                Reach reach;
                if (!readReach(reading, item, project.reaches.size() + 1, reach)) return false;
                project.reaches.push_back(std::move(reach));
            }
        } else {
            project.unknown.emplace_back(key, member);
        }
    }
    return true;
}

// A text typed as a plain decimal JSON can hold as a number: "1250.30", "-0.5", not "1/5000",
// "", "1e5" (kept as typed, as text).
bool isPlainDecimal(std::string_view text) {
    std::size_t k = 0;
    if (k < text.size() && text[k] == '-') ++k;
    const std::size_t digits = k;
    while (k < text.size() && text[k] >= '0' && text[k] <= '9')
        ++k;
    if (k == digits || k - digits > 30) return false;
    if (text[digits] == '0' && k - digits > 1) return false;
    if (k < text.size() && text[k] == '.') {
        const std::size_t point = ++k;
        while (k < text.size() && text[k] >= '0' && text[k] <= '9')
            ++k;
        if (k == point || k - point > 30) return false;
    }
    return k == text.size();
}

JsonValue levelValue(const std::string& text) {
    if (!isPlainDecimal(text)) return JsonValue::string(text);
    JsonValue value;
    value.kind = JsonValue::Kind::Number;
    value.text = text;
    return value;
}

void appendUnknown(JsonObject& members, const JsonObject& unknown) {
    members.insert(members.end(), unknown.begin(), unknown.end());
}

// The text with its blanks around taken off and full-width digits, point, plus and K as ASCII;
// empty where it holds anything beyond those.
std::string asciiStation(std::string_view text) {
    std::string out;
    std::size_t k = 0;
    while (k < text.size()) {
        const auto c = static_cast<unsigned char>(text[k]);
        if (c < 0x80) {
            if (c != ' ' && c != '\t' && c != '\r' && c != '\n') out += static_cast<char>(c);
            ++k;
            continue;
        }
        if (text.substr(k, 3) == "\u3000" || text.substr(k, 3) == "\uFEFF" ||
            text.substr(k, 2) == "\u00A0") {
            k += text.substr(k, 2) == "\u00A0" ? 2U : 3U;
            continue;
        }
        // U+FF01…U+FF5E: EF BC 81…BF, EF BD 80…9E, the ASCII 0x21…0x7E.
        if (k + 2 < text.size() && c == 0xEF) {
            const auto second = static_cast<unsigned char>(text[k + 1]);
            const auto third = static_cast<unsigned char>(text[k + 2]);
            const unsigned code = (second == 0xBC   ? 0U
                                   : second == 0xBD ? 0x40U
                                                    : 0x100U) +
                                  (third & 0x3FU);
            if (code >= 0x01 && code <= 0x5E) {
                out += static_cast<char>(code + 0x20);
                k += 3;
                continue;
            }
        }
        return {};
    }
    // Blanks inside the station are not allowed either: "K1 + 250" stays refused.
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    if (first != std::string_view::npos &&
        text.substr(first, last - first + 1).find_first_of(" \t") != std::string_view::npos)
        return {};
    return out;
}

// Digits with at most one point between digits, as a double; none for anything else.
std::optional<double> unsignedDecimal(std::string_view text) {
    if (text.empty() || text.size() > 40) return std::nullopt;
    std::size_t points = 0;
    for (const char c : text) {
        if (c == '.') {
            ++points;
        } else if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    if (points > 1 || text.front() == '.' || text.back() == '.') return std::nullopt;
    double x = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), x);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(x))
        return std::nullopt;
    return x;
}

}  // namespace

std::string* reachField(Reach& reach, std::string_view key) {
    return const_cast<std::string*>(reachField(std::as_const(reach), key));
}

const std::string* reachField(const Reach& reach, std::string_view key) {
    if (key == "name") return &reach.name;
    if (key == "from") return &reach.from;
    if (key == "to") return &reach.to;
    if (key == "Q") return &reach.Q;
    if (key == "b") return &reach.b;
    if (key == "m") return &reach.m;
    if (key == "i") return &reach.i;
    if (key == "n") return &reach.n;
    if (key == "loss") return &reach.loss;
    return nullptr;
}

ProjectReading readProject(std::string_view bytes, const BedTables& beds) {
    if (bytes.size() > maxProjectBytes)
        return {std::nullopt, "文件超过 " + std::to_string(maxProjectBytes >> 20) +
                                  " MB，不是 Lintavo 工程文件，不予打开。"};
    std::string why;
    const std::optional<JsonValue> root = parseJson(bytes, &why);
    if (!root) return {std::nullopt, "这不是 Lintavo 工程文件：内容不是有效的 JSON（" + why + "）"};
    Reading reading;
    Project project;
    if (!readDocument(reading, *root, beds, project)) return {std::nullopt, reading.refusal()};
    return {std::move(project), {}};
}

std::string writeProject(const Project& project) {
    JsonObject root;
    root.emplace_back("format", JsonValue::string(std::string(projectFormat)));
    root.emplace_back("version", JsonValue::number(projectVersion));

    JsonObject info{
        {"name", JsonValue::string(project.info.name)},
        {"canal", JsonValue::string(project.info.canal)},
        {"designer", JsonValue::string(project.info.designer)},
        {"checker", JsonValue::string(project.info.checker)},
        {"reviewer", JsonValue::string(project.info.reviewer)},
    };
    appendUnknown(info, project.info.unknown);
    root.emplace_back("project", JsonValue::object(std::move(info)));

    JsonObject settings;
    for (auto& [key, value] : designSettingKeys(project.settings))
        settings.emplace_back(std::move(key), JsonValue::string(std::move(value)));
    appendUnknown(settings, project.settingsUnknown);
    root.emplace_back("settings", JsonValue::object(std::move(settings)));

    JsonObject levels;
    if (!project.levels.controls.empty() || !project.levels.headLevel) {
        JsonValue controls;
        controls.kind = JsonValue::Kind::Array;
        for (const ControlPoint& control : project.levels.controls) {
            JsonObject members{
                {"station", JsonValue::string(control.station)},
                {"ground", levelValue(control.ground)},
                {"h0", levelValue(control.h0)},
            };
            appendUnknown(members, control.unknown);
            controls.items.push_back(JsonValue::object(std::move(members)));
        }
        levels.emplace_back("controls", std::move(controls));
    }
    if (project.levels.headLevel) {
        JsonObject head{{"wl", levelValue(*project.levels.headLevel)}};
        appendUnknown(head, project.levels.headUnknown);
        levels.emplace_back("head", JsonValue::object(std::move(head)));
    }
    appendUnknown(levels, project.levels.unknown);
    root.emplace_back("levels", JsonValue::object(std::move(levels)));

    JsonValue reaches;
    reaches.kind = JsonValue::Kind::Array;
    for (const Reach& reach : project.reaches) {
        JsonObject members;
        for (const std::string_view key : reachKeys)
            members.emplace_back(std::string(key), JsonValue::string(*reachField(reach, key)));
        appendUnknown(members, reach.unknown);
        reaches.items.push_back(JsonValue::object(std::move(members)));
    }
    root.emplace_back("reaches", std::move(reaches));
    appendUnknown(root, project.unknown);
    return writeJson(JsonValue::object(std::move(root))) + "\n";
}

std::optional<double> parseStation(std::string_view text) {
    const std::string ascii = asciiStation(text);
    if (ascii.empty()) return std::nullopt;
    if (ascii.front() != 'K' && ascii.front() != 'k') return unsignedDecimal(ascii);
    const std::size_t plus = ascii.find('+');
    if (plus == std::string::npos) return std::nullopt;
    const std::string_view km = std::string_view(ascii).substr(1, plus - 1);
    const std::string_view metres = std::string_view(ascii).substr(plus + 1);
    if (km.empty() || km.find('.') != std::string_view::npos) return std::nullopt;
    const std::optional<double> k = unsignedDecimal(km);
    const std::optional<double> m = unsignedDecimal(metres);
    if (!k || !m || !(*m < 1000)) return std::nullopt;
    const double station = *k * 1000 + *m;
    if (!std::isfinite(station)) return std::nullopt;
    return station;
}

std::string formatStation(double metres) {
    if (!std::isfinite(metres) || metres < 0 || metres >= 1e15)
        return jsonNumber(metres).value_or("—");
    const auto mm = static_cast<std::int64_t>(std::llround(metres * 1000));
    const std::int64_t km = mm / 1000000;
    const std::int64_t rest = mm % 1000000;
    std::string whole = std::to_string(rest / 1000);
    whole.insert(0, 3 - whole.size(), '0');
    std::string out = "K" + std::to_string(km) + "+" + whole;
    if (const std::int64_t fraction = rest % 1000; fraction != 0) {
        std::string digits = std::to_string(fraction);
        digits.insert(0, 3 - digits.size(), '0');
        while (digits.back() == '0')
            digits.pop_back();
        out += "." + digits;
    }
    return out;
}

}  // namespace lintavo
