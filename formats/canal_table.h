#pragma once

// The canal's 水力计算成果表 as a file's bytes: .xlsx with numbers as numbers (a slope typed
// as 1/5000 stored as its ratio), or CSV in UTF-8 with a byte-order mark for spreadsheets.

#include <optional>
#include <string>
#include <string_view>

#include "canal/profile.h"
#include "canal/project.h"

namespace lintavo {

// The table in the format its file name's extension names (.xlsx or .csv, in any case);
// nothing for another extension.
std::optional<std::string> resultTableBytes(std::string_view fileName, const CanalProfile& profile,
                                            const Project& project);

}  // namespace lintavo
