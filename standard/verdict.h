#pragma once

// Whether a channel meets a rule of the standard, the one verdict of the design check and of
// the schemes' velocity limits alike.

#include "hydraulics/static_text.h"

namespace lintavo {

enum class Verdict { Met, NotMet, Unchecked };

// verdictName(Verdict::NotMet) → "不满足"; 满足, 不满足, 未校核.
constexpr StaticText verdictName(Verdict verdict) {
    switch (verdict) {
        case Verdict::Met:
            return "满足";
        case Verdict::NotMet:
            return "不满足";
        case Verdict::Unchecked:
            return "未校核";
    }
    return {};
}

}  // namespace lintavo
