#pragma once

// The failure report: what a failed press tells the user, in one place. The kind stays a
// value (`FailureKind`) up to the moment it becomes a sentence here.

#include <QString>
#include <string_view>

#include "hydraulics/failure.h"

class QWidget;

namespace lintavo {

// The sentence for a failure; `field` is the label caption of the input that failed to
// convert (empty for a failure of the arithmetic), `sought` what the calculation looks for.
//   failureMessage(TypeMismatch, "底宽b", …) → "“底宽b”不是有效的数字，请重新输入。"
QString failureMessage(FailureKind kind, std::string_view field, std::string_view sought);

// The modal message box titled "Lintavo". It carries the kind's name as the property
// "failureKind", for tools that read the box.
void showFailureReport(QWidget* parent, FailureKind kind, const QString& message);

}  // namespace lintavo
