#pragma once

// What a completed press says about its channel, computed once and read by every view of it:
// the book, the driver's `report`, the design check, the section schemes and the drawings.

#include <string>
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

// What the book says, and the window with it, when a completed press has no channel: its own
// section does not exist (b < 0, m < 0, or a depth or an area not positive), with the reason
// its hydraulics give, or none of 断面尺寸's candidates is one. "" where there is a channel,
// or no press:
//   b = −5 → "此断面不存在（底宽 b < 0），水力要素无法计算。"
std::string absentChannelSentence(const PressSummary& summary);

}  // namespace lintavo
