#pragma once

// What a completed press says about its channel, computed once and read by every view of it:
// the book, the driver's `report`, the design check, the section schemes and the drawings.

#include <vector>

#include "calculators/story.h"
#include "hydraulics/channel.h"

namespace lintavo {

struct CalculatorTable;

struct SummaryChannel {
    DescribedChannel described;
    // The section at its depth, the critical section and the regime; computed only where
    // `described.absent` is empty.
    ChannelHydraulics hydraulics;

    bool exists() const { return described.absent.empty(); }
    const Channel& channel() const { return described.channel; }
};

struct PressSummary {
    bool candidates = false;  // the channels are 断面尺寸's alternatives
    std::vector<SummaryChannel> channels;
};

// The press's channels with their hydraulics; none when the press failed.
PressSummary summarize(const CalculatorTable& table, const Record& record);

}  // namespace lintavo
