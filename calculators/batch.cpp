#include "calculators/batch.h"

#include <algorithm>
#include <array>

#include "calculators/catalogue.h"
#include "calculators/explain.h"
#include "hydraulics/quantities.h"

namespace lintavo {

namespace {

// What the windows and spreadsheets put around a word: ASCII blanks, the no-break and the
// ideographic space, and a byte-order mark a file's first cell may keep.
std::string_view trimmed(std::string_view s) {
    constexpr std::array<std::string_view, 4> wide{"\u00A0", "\u3000", "\uFEFF", "\u2002"};
    bool again = true;
    while (again && !s.empty()) {
        again = false;
        while (!s.empty() &&
               (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n')) {
            s.remove_prefix(1);
            again = true;
        }
        while (!s.empty() &&
               (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) {
            s.remove_suffix(1);
            again = true;
        }
        for (std::string_view w : wide) {
            if (s.starts_with(w)) {
                s.remove_prefix(w.size());
                again = true;
            }
            if (s.ends_with(w)) {
                s.remove_suffix(w.size());
                again = true;
            }
        }
    }
    return s;
}

// "流量Q (m³/s)" → "流量Q", "水深h（m）" → "水深h", "i [-]" → "i".
std::string_view withoutUnit(std::string_view s) {
    for (std::string_view open : {"(", "（", "["}) {
        const std::size_t at = s.find(open);
        if (at != s.npos && at > 0) return trimmed(s.substr(0, at));
    }
    return s;
}

char symbolOfField(std::string_view field) {
    const Quantity* q = quantityOfField(field);
    return q != nullptr ? q->symbol : 0;
}

bool namesNameColumn(std::string_view cell) {
    const std::string_view s = withoutUnit(trimmed(cell));
    for (std::string_view n :
         {nameColumn, std::string_view("渠段"), std::string_view("桩号"), std::string_view("name"),
          std::string_view("Name"), std::string_view("NAME")}) {
        if (s == n) return true;
    }
    return false;
}

bool namesNoteColumn(std::string_view cell) {
    return withoutUnit(trimmed(cell)) == noteColumn;
}

std::string joined(const std::vector<std::string_view>& parts) {
    std::string out;
    for (std::string_view p : parts) {
        if (!out.empty()) out += "、";
        out += p;
    }
    return out;
}

}  // namespace

const CalculatorTable* calculationNamed(std::string_view name) {
    name = trimmed(name);
    for (const CalculatorTable& table : calculations()) {
        if (table.window.title == name || table.window.name == name) return &table;
        if (calculationAlias(table) == name) return &table;
    }
    return nullptr;
}

StaticText calculationAlias(const CalculatorTable& table) {
    return table.alias;
}

std::vector<std::string> batchColumns(const CalculatorTable& table) {
    std::vector<std::string> columns{std::string(nameColumn)};
    for (Role::Kind kind : {Role::Input, Role::Output}) {
        for (const ControlRow* row : rowsWith(table.window, kind))
            columns.emplace_back(quantityCaption(row->name));
    }
    columns.emplace_back(noteColumn);
    return columns;
}

char quantityOfHeader(std::string_view cell) {
    const std::string_view s = withoutUnit(trimmed(cell));
    if (s.size() == 1) {
        for (const Quantity& q : quantities) {
            if ((s[0] | 0x20) == (q.symbol | 0x20)) return q.symbol;
        }
        return 0;
    }
    for (const Quantity& q : quantities) {
        const std::string_view bare = q.caption.substr(0, q.caption.size() - 1);
        if (s == q.caption || s == bare || s == q.prefix) return q.symbol;
    }
    // 边坡m, 边坡: the side slope is often called without 系数.
    if (s == "边坡" || s == "边坡m") return 'm';
    // The U's angle by its own letter, or by its caption without it.
    if (s == "α" || s == "外倾角") return 'a';
    return 0;
}

bool isHeaderRow(std::span<const std::string> cells) {
    return std::any_of(cells.begin(), cells.end(), [](const std::string& c) {
        // The lined sections' letters r, a (for α) and D head their columns in a header, but
        // alone each is as likely a reach's name: they do not make a row a header by
        // themselves, as every header of theirs names h, i or n too.
        const char quantity = quantityOfHeader(c);
        if (withoutUnit(trimmed(c)).size() == 1 &&
            (quantity == 'r' || quantity == 'a' || quantity == 'D'))
            return false;
        return quantity != 0 || namesNameColumn(c);
    });
}

std::variant<ColumnMap, std::string> mapHeader(const CalculatorTable& table,
                                               std::span<const std::string> header) {
    const auto inputRows = rowsWith(table.window, Role::Input);
    const auto outputRows = rowsWith(table.window, Role::Output);
    ColumnMap map;
    std::vector<std::optional<std::size_t>> inputs(inputRows.size());
    std::vector<std::string_view> twice;
    for (std::size_t c = 0; c < header.size(); ++c) {
        const char symbol = quantityOfHeader(header[c]);
        bool used = false;
        for (std::size_t k = 0; k < inputRows.size() && symbol != 0; ++k) {
            if (symbolOfField(inputRows[k]->name) != symbol) continue;
            if (inputs[k]) twice.push_back(quantityCaption(inputRows[k]->name));
            inputs[k] = c;
            used = true;
        }
        if (used) continue;
        const bool result =
            symbol != 0 &&
            std::any_of(outputRows.begin(), outputRows.end(), [symbol](const ControlRow* row) {
                return symbolOfField(row->name) == symbol;
            });
        if (result || namesNoteColumn(header[c])) continue;
        if (!map.name && namesNameColumn(header[c])) {
            map.name = c;
            continue;
        }
        map.extras.push_back(c);
        map.extraHeaders.push_back(header[c]);
    }
    map.results = outputRows.size();
    std::vector<std::string_view> missing;
    for (std::size_t k = 0; k < inputRows.size(); ++k) {
        if (inputs[k]) {
            map.inputs.push_back(*inputs[k]);
        } else {
            missing.push_back(quantityCaption(inputRows[k]->name));
        }
    }
    if (!twice.empty()) return "表头中这些列出现了不止一次：" + joined(twice);
    if (!missing.empty()) return "表头中缺少这些列：" + joined(missing);
    return map;
}

ColumnMap headerlessMap(const CalculatorTable& table, std::size_t width) {
    ColumnMap map;
    const std::size_t count = rowsWith(table.window, Role::Input).size();
    map.results = rowsWith(table.window, Role::Output).size();
    for (std::size_t k = 0; k < count; ++k)
        map.inputs.push_back(k);
    for (std::size_t c = count; c < width; ++c) {
        map.extras.push_back(c);
        map.extraHeaders.emplace_back();
    }
    return map;
}

std::variant<TableStart, std::string> startTable(const CalculatorTable& table,
                                                 std::span<const std::string> first,
                                                 std::size_t width) {
    if (!isHeaderRow(first)) return TableStart{headerlessMap(table, width), true};
    auto mapped = mapHeader(table, first);
    if (auto* error = std::get_if<std::string>(&mapped)) return std::move(*error);
    return TableStart{std::get<ColumnMap>(std::move(mapped)), false};
}

RowOutcome pressRow(const CalculatorTable& table, std::span<const std::string> inputs) {
    RowOutcome outcome;
    try {
        // The record is only needed to explain a failure, or for the remark of a calculation
        // that makes one, so the usual path keeps none.
        if (table.remarks) {
            Record record;
            outcome.results = table.press(inputs, &record);
            outcome.note = record.remark;
        } else {
            outcome.results = table.press(inputs, nullptr);
        }
    } catch (const CalculationFailure&) {
        Record record;
        runPress(table.press, inputs, record);
        outcome.note = explainFailure(table, record).sentence;
        outcome.failed = true;
    }
    return outcome;
}

bool computeBatchRow(const CalculatorTable& table, BatchRow& row) {
    const std::size_t inputs = rowsWith(table.window, Role::Input).size();
    const std::size_t results = rowsWith(table.window, Role::Output).size();
    if (row.cells.size() < 2 + inputs + results) row.cells.resize(2 + inputs + results);
    RowOutcome outcome = pressRow(table, std::span(row.cells).subspan(1, inputs));
    for (std::size_t k = 0; k < results; ++k)
        row.cells[1 + inputs + k] = outcome.failed ? std::string() : std::move(outcome.results[k]);
    row.cells[1 + inputs + results] = std::move(outcome.note);
    row.failed = outcome.failed;
    return !outcome.failed;
}

bool computeRow(const CalculatorTable& table, const ColumnMap& map,
                std::span<const std::string> cells, std::vector<std::string>& out) {
    const auto cell = [cells](std::size_t c) -> const std::string& {
        static const std::string none;
        return c < cells.size() ? cells[c] : none;
    };
    const std::size_t inputs = map.inputs.size();
    // Resized, not cleared, so that the strings keep their storage from row to row.
    out.resize(1 + inputs);
    out[0] = map.name ? cell(*map.name) : std::string();
    for (std::size_t k = 0; k < inputs; ++k)
        out[1 + k] = cell(map.inputs[k]);
    RowOutcome outcome = pressRow(table, std::span(out).subspan(1, inputs));
    for (std::size_t k = 0; k < map.results; ++k)
        out.push_back(outcome.failed ? std::string() : std::move(outcome.results[k]));
    out.push_back(std::move(outcome.note));
    for (std::size_t c : map.extras)
        out.push_back(cell(c));
    return !outcome.failed;
}

}  // namespace lintavo
