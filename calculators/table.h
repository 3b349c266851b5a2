#pragma once

// A calculator is one table: its window as a form (every control with its role, see
// calculators/form_table.h), the main-window button that opens it, and its press. The
// shell builds the window from the table and finds the fields a press reads and writes by
// their roles, so adding a calculator means writing one table and one pure function.

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "calculators/explain.h"
#include "calculators/form_table.h"
#include "calculators/press.h"
#include "calculators/story.h"
#include "hydraulics/static_text.h"

namespace lintavo {

// The frame every calculator window shares.
namespace frame {
inline constexpr StaticText title = "  请输入计算参数";  // centred, 2652 × 336
inline constexpr FaceStyle titleFont{"宋体", 15, false, true};
inline constexpr FaceStyle labelFont{"宋体", 13.5, false, true};
inline constexpr FaceStyle resultFont{"宋体", 16.5, false, true};  // result labels, in blue
inline constexpr FaceStyle inputFont{"宋体", 15, false, true};     // the discharge window's fields
}  // namespace frame

// A calculation, everything about it in one place: its window, the menu button that opens it,
// its press, and its story — how its steps are written, what its bisection seeks, the
// channels a press describes, why a press failed — and a worked example to try it with.
struct CalculatorTable {
    FormTable window;
    StaticText opener;  // objectName of the main window's button that opens it
    Press press;
    Explain explain;                    // why a press failed, from its record
    std::span<const StepForm> steps;    // how the book writes each recorded step
    char sought = 0;                    // the unknown a bisection seeks; 0: no bisection
    Describe describe;                  // the channels a completed press describes
    std::array<StaticText, 6> example;  // input texts in reading order
    StaticText alias;                   // its English name on a command line: "discharge"
    // The same formulas in plain double, no kinds, no checks, no texts, on the inputs in
    // reading order: the floor the benchmarks measure the press against. Null: none.
    double (*plain)(std::span<const double> inputs) = nullptr;
    // Whether a completed press may leave a remark in its record (Record::remark) that the
    // batch writes in 说明: a circle's second depth.
    bool remarks = false;
};

// The rows of one kind of role, in their order: the inputs in reading order, the outputs in
// writing order.
std::vector<const ControlRow*> rowsWith(const FormTable& form, Role::Kind kind);

// The one row of a button role; null when the form has none.
const ControlRow* rowWith(const FormTable& form, Role role);

// The quantities of the rows of one kind of role, by their fields' names, in the rows' order:
// quantitiesWith(dischargeWindow.window, Role::Input) → "bhmin"; Role::Output → "Qv".
std::string quantitiesWith(const FormTable& form, Role::Kind kind);

// The first calculation that reads exactly the quantities `reads` (in any order) and writes
// `writes`: the one that checks a given channel. Null when none does.
//   calculationReading(calculations(), "bhmin", 'Q') → &dischargeWindow
const CalculatorTable* calculationReading(std::span<const CalculatorTable> tables,
                                          std::string_view reads, char writes);

}  // namespace lintavo
