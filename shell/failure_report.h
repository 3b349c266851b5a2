#pragma once

// The failure report: the modal message box a failed press shows. Its sentence comes from
// the press's record (calculators/explain.h); the kind stays a value up to here.

#include <QString>

#include "hydraulics/failure.h"

class QWidget;

namespace lintavo {

// The modal message box titled "Lintavo". It carries the kind's name as the property
// "failureKind", for tools that read the box.
void showFailureReport(QWidget* parent, FailureKind kind, const QString& message);

}  // namespace lintavo
