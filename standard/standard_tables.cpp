#include "standard/standard_tables.h"

#include <charconv>

namespace lintavo {

namespace {

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t tab = line.find('\t');
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) return fields;
        line.remove_prefix(tab + 1);
    }
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::optional<double> number(std::string_view s) {
    s = trimmed(s);
    double x = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), x);
    if (error != std::errc() || end != s.data() + s.size() || s.empty()) return std::nullopt;
    return x;
}

std::optional<StandardKind> kindNamed(std::string_view name) {
    if (name == "n") return StandardKind::Roughness;
    if (name == "m") return StandardKind::SideSlope;
    if (name == "ditch-m") return StandardKind::DitchSlope;
    if (name == "cohesive") return StandardKind::Cohesive;
    if (name == "noncohesive") return StandardKind::NonCohesive;
    if (name == "rock") return StandardKind::Rock;
    if (name == "lining") return StandardKind::Lining;
    return std::nullopt;
}

}  // namespace

StandardValue parseStandardValue(std::string_view text) {
    StandardValue value;
    const std::string_view s = trimmed(text);
    value.text = std::string(s);
    if (s.empty() || s == "—") return value;
    const auto bound = [&](StandardValue::Shape shape) {
        if (const auto x = number(s.substr(1))) {
            value.shape = shape;
            value.low = value.high = *x;
        }
        return value;
    };
    if (s.front() == '<') return bound(StandardValue::Shape::Below);
    if (s.front() == '>') return bound(StandardValue::Shape::Above);
    for (std::string_view dash : {"–", "~", "-"}) {
        // Not a leading minus sign.
        const std::size_t at = s.find(dash, 1);
        if (at == std::string_view::npos) continue;
        const auto low = number(s.substr(0, at));
        const auto high = number(s.substr(at + dash.size()));
        if (low && high && *low <= *high) {
            value.shape = StandardValue::Shape::Range;
            value.low = *low;
            value.high = *high;
        }
        return value;
    }
    if (const auto x = number(s)) {
        value.shape = StandardValue::Shape::Exact;
        value.low = value.high = *x;
    }
    return value;
}

const StandardTable* StandardTables::find(std::string_view number) const {
    for (const StandardTable& table : tables) {
        if (table.number == number) return &table;
    }
    return nullptr;
}

StandardTables parseStandardTables(std::string_view text) {
    StandardTables out;
    int lineNumber = 0;
    const auto fail = [&](std::string_view what) {
        out.tables.clear();
        out.error = "第 " + std::to_string(lineNumber) + " 行：" + std::string(what);
        return out;
    };
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (trimmed(line).empty() || line.front() == '#') continue;
        const std::vector<std::string_view> fields = splitFields(line);
        const std::string_view directive = fields.front();
        if (directive == "table") {
            if (fields.size() != 5) return fail("table 行应有表号、年份、种类和标题");
            const auto year = number(fields[2]);
            const auto kind = kindNamed(fields[3]);
            if (!year || !kind) return fail("年份或种类不可读");
            StandardTable table;
            table.number = std::string(fields[1]);
            table.year = static_cast<int>(*year);
            table.kind = *kind;
            table.title = std::string(fields[4]);
            out.tables.push_back(std::move(table));
            continue;
        }
        if (out.tables.empty()) return fail("表号之前不能有数据");
        StandardTable& table = out.tables.back();
        if (directive == "columns") {
            if (fields.size() < 4) return fail("columns 行至少应有一个数值栏");
            table.groupLabel = std::string(fields[1]);
            table.nameLabel = std::string(fields[2]);
            for (std::size_t k = 3; k < fields.size(); ++k)
                table.columns.emplace_back(fields[k]);
        } else if (directive == "depths") {
            for (std::size_t k = 1; k < fields.size(); ++k) {
                const auto depth = number(fields[k]);
                if (!depth || (!table.depths.empty() && *depth <= table.depths.back()))
                    return fail("水深应为递增的数");
                table.depths.push_back(*depth);
            }
            if (table.depths.size() != table.columns.size()) return fail("水深与数值栏数目不同");
        } else if (directive == "row") {
            if (fields.size() != table.columns.size() + 3) return fail("数值个数与栏数不同");
            StandardRow row{std::string(fields[1]), std::string(fields[2]), {}};
            for (std::size_t k = 3; k < fields.size(); ++k) {
                StandardValue cell = parseStandardValue(fields[k]);
                if (!cell.exists() && !trimmed(fields[k]).empty() && trimmed(fields[k]) != "—")
                    return fail("数值不可读：" + std::string(fields[k]));
                row.cells.push_back(std::move(cell));
            }
            table.rows.push_back(std::move(row));
        } else {
            return fail("不认识的行：" + std::string(directive));
        }
    }
    return out;
}

const Bed* BedTables::find(std::string_view name) const {
    for (const Bed& bed : beds) {
        if (bed.name == name) return &bed;
    }
    return nullptr;
}

BedTables bedsOf(const StandardTables& tables) {
    BedTables out;
    for (const StandardTable& table : tables.tables) {
        switch (table.kind) {
            case StandardKind::Cohesive:
            case StandardKind::Lining:
                if (table.columns.size() != 1) continue;
                break;
            case StandardKind::NonCohesive:
            case StandardKind::Rock:
                if (table.depths.empty()) continue;
                break;
            case StandardKind::Roughness:
            case StandardKind::SideSlope:
            case StandardKind::DitchSlope:
                continue;
        }
        for (const StandardRow& row : table.rows)
            out.beds.push_back({row.name, table.kind, &table, &row});
    }
    out.cutSlopes = tables.find("6.4.4");
    out.fillSlopes = tables.find("6.4.7");
    out.drainageSlopes = tables.find("7.2.10");
    return out;
}

}  // namespace lintavo
