#include "calculators/table.h"

#include <algorithm>

#include "hydraulics/quantities.h"

namespace lintavo {

std::vector<const ControlRow*> rowsWith(const FormTable& form, Role::Kind kind) {
    std::vector<const ControlRow*> rows;
    for (const ControlRow& row : form.controls) {
        if (row.role.kind == kind) rows.push_back(&row);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const ControlRow* a, const ControlRow* b) {
        return a->role.order < b->role.order;
    });
    return rows;
}

const ControlRow* rowWith(const FormTable& form, Role role) {
    const auto found = std::find_if(form.controls.begin(), form.controls.end(),
                                    [role](const ControlRow& row) { return row.role == role; });
    return found == form.controls.end() ? nullptr : &*found;
}

std::string quantitiesWith(const FormTable& form, Role::Kind kind) {
    std::string symbols;
    for (const ControlRow* row : rowsWith(form, kind)) {
        const Quantity* q = quantityOfField(row->name);
        symbols += q != nullptr ? q->symbol : '?';
    }
    return symbols;
}

const CalculatorTable* calculationReading(std::span<const CalculatorTable> tables,
                                          std::string_view reads, char writes) {
    std::string wanted(reads);
    std::sort(wanted.begin(), wanted.end());
    for (const CalculatorTable& table : tables) {
        std::string inputs = quantitiesWith(table.window, Role::Input);
        std::sort(inputs.begin(), inputs.end());
        if (inputs == wanted &&
            quantitiesWith(table.window, Role::Output).find(writes) != std::string::npos)
            return &table;
    }
    return nullptr;
}

}  // namespace lintavo
