#pragma once

// The design check as the calculation book and the driver's `report` give it: a 设计校核
// section stating every setting in force, each rule with its clause and its verdict (red
// where it fails), and the `"design"` object of each channel.

#include <string>

#include "book/report.h"
#include "standard/design_check.h"

namespace lintavo {

struct PressSummary;

// What the check needs besides the press: the settings in force and the beds of Appendix C.
struct DesignContext {
    const DesignSettings& settings;
    const BedTables& beds;
};

// The section for the press's physical channels, titled "<ordinal>、设计校核"; none when no
// channel of the press is physical. `ordinal` is the section's number in the book (5: 五).
std::optional<ReportSection> designSection(const PressSummary& summary,
                                           const DesignContext& context, int ordinal);

// The enlarged depth and the bank height the section drawing shows, where they exist.
void markDesignLevels(ReportChannel& channel, const DesignContext& context);

// The channel's `"design"` object, or "" where the channel is not physical.
std::string designObject(const Channel& channel, const DesignContext& context);

}  // namespace lintavo
