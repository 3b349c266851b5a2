#include "calculators/table.h"

#include <algorithm>

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

}  // namespace lintavo
