#pragma once

// The standard's tables built into the program (resources/gb50288.tsv), for the code that runs
// without Qt's resources: lintavo-calc and the tests.

#include "standard/standard_tables.h"

namespace lintavo {

const StandardTables& builtinStandardTables();
const BedTables& builtinBedTables();

}  // namespace lintavo
