#pragma once

// The design check of a channel against the irrigation and drainage design standard
// (GB 50288-2018): its class, the enlarged (加大) and the minimum flow with their normal depths,
// the freeboard and the bank height, the allowed scouring and non-silting velocities, and each
// rule's verdict with its clause. Plain double arithmetic, powers through portablePow: these
// figures judge a result, they do not make it.
//
// The channel is the one the calculation book's hydraulics uses: its inputs as read and the
// computed quantity before it was cut, with Qd = its Q and hd = its h. A lined section (U,
// arc-toe trapezoid, part-full circle) is checked in its own shape: its depths by
// hydraulics/shape_flow.h, its walls' slope for the side-slope rule, and a circle, closed
// above, by the clearance left under its crown rather than by a bank's freeboard.
//   checkDesign({.Q = 10, .b = 4.5, .h = 1.9992132251740484, .m = 1.5, .i = 1.0 / 5000,
//                .n = 0.025}, {}, beds)
//     → class 4, p 25 %, Qb 12.5, hb 2.2433219859648292, Fb 0.76083, H 3.00415, …

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hydraulics/channel.h"
#include "standard/schemes.h"
#include "standard/standard_tables.h"
#include "standard/verdict.h"

namespace lintavo {

enum class CanalUse { Irrigation, Drainage };  // 灌溉渠道, 排水沟道
enum class Supply { Continuous, Rotational };  // 续灌, 轮灌
enum class Enlargement { Large, Small, Percentage };  // 干旱地区取大值, 湿润地区取小值, 给定
enum class Density { Loose, Dense };                  // 疏松, 中等密实和密实
enum class Earthwork { Cut, Fill };                   // 挖方, 填方（半挖半填）
// The canal's rank in its district (6.4.9): 干渠, 支渠, 斗渠, 农渠; None where not given.
enum class CanalRank { None, Main, Lateral, SubLateral, Field };

struct DesignSettings {
    CanalUse use = CanalUse::Irrigation;
    int canalClass = 0;  // 1–5; 0 from the design flow
    Supply supply = Supply::Continuous;
    Enlargement enlargement = Enlargement::Large;
    double percentage = 25;            // p in %, where enlargement is Percentage
    double minimumPercentage = 40;     // Qmin as a percentage of Qd
    std::string bed;                   // a bed of Appendix C by name; empty: none chosen
    Density density = Density::Dense;  // of a cohesive bed
    bool siltLaden = false;  // silt-laden water over a thin silt bed: the table's high end
    std::optional<double> nonSilting;  // m/s, from the canal's sediment data
    std::optional<double> bendRadius;  // m, of the bend's centre line
    Earthwork earthwork = Earthwork::Cut;
    std::string slopeSoil;         // a soil of Table 6.4.4 by name; empty: the bed's own
    double liningFreeboard = 0.3;  // m above the design level, 6.4.8-6's 0.3–0.8
    CanalRank rank = CanalRank::None;
    bool largeDistrict = true;  // a district of 667 hm² and more

    friend bool operator==(const DesignSettings&, const DesignSettings&) = default;
};

// The ranges a setting is refused beyond: an enlargement is a part of the design flow, at most
// the whole of it (Table 6.3.4's bands lie between 35 % and 5 %); a non-silting velocity
// above the greatest scouring velocity of any lined canal (shotcrete, 10 m/s) leaves no
// velocity that neither silts nor scours.
inline constexpr double maxEnlargement = 100;  // %
inline constexpr double maxNonSilting = 10;    // m/s
// The lining freeboard's range (6.4.8-6), m.
inline constexpr double minLiningFreeboard = 0.3;
inline constexpr double maxLiningFreeboard = 0.8;

// Sets one setting as the driver's `design KEY=VALUE` names it: use=irrigation|drainage,
// class=auto|1…5, supply=continuous|rotational, enlarge=large|small|P (0 ≤ P ≤ 100),
// minimum=Q (0 < Q ≤ 100), bed=NAME|none, density=loose|dense, silt=V|none (0 < V ≤ 10),
// silted=yes|no, bend=R|none (R > 0), earthwork=cut|fill, slope-soil=bed|NAME (a soil of
// Table 6.4.4), lining-freeboard=F (0.3 ≤ F ≤ 0.8), rank=none|main|lateral|sub-lateral|field,
// district=large|small (667 hm² and more, or less). Every number finite. The one check of a
// setting, for 校核设置, the driver and the settings read back from the last run alike. Returns
// what was wrong as a sentence for the user, changing nothing, or "" when it was set:
//   applyDesignSetting(s, "enlarge", "1e30", beds) → "加大百分数应为 0~100 之间的数（…）。"
std::string applyDesignSetting(DesignSettings& settings, std::string_view key,
                               std::string_view value, const BedTables& beds);

// The same settings as the driver writes them: {"use","irrigation"}, {"class","auto"}, …;
// applyDesignSetting reads each back.
std::vector<std::pair<std::string, std::string>> designSettingKeys(const DesignSettings& settings);

// The settings as the book states them, in Chinese: {"用途", "灌溉渠道"}, {"渠道级别", "自动"}, …
std::vector<std::pair<std::string, std::string>> describeDesignSettings(
    const DesignSettings& settings);

struct DesignRule {
    StaticText key;     // "minimum-depth", "scour-design", …
    StaticText name;    // 最小流量水深, …
    StaticText clause;  // "6.3.5", …
    std::string rule;   // hmin ≥ 0.6·hd
    Verdict verdict = Verdict::Unchecked;
    std::string reason;  // the comparison in numbers, or why it was not checked
};

// The section at one flow.
struct FlowState {
    double Q, h, A, P, R, B, v;
};

// An allowed scouring velocity and how it was found.
struct ScourLimit {
    double value;       // m/s
    double tableValue;  // the table's value used: at R = 1 m, or interpolated on the depth
    double alpha;       // the exponent of R, 0 where none applies
    std::string how;    // in Chinese, with the numbers
};

struct DesignCheck {
    // No check where the channel is not physical; `why` says what is missing.
    bool exists = false;
    StaticText why;

    // The lined section checked in its own shape: "U形渠道", "弧形坡脚梯形渠道", "无压圆管";
    // empty for the trapezoid of b and m.
    StaticText section;

    int canalClass = 0;
    std::string classRule;  // how the class was found
    FlowState design{};
    Computed<double> p;  // %, absent for rotational supply
    std::string pRule;
    Computed<FlowState> enlarged;  // at Qb = Qd (1 + p/100)
    Computed<FlowState> minimum;   // at Qmin = q % of Qd
    double freeboardDepth = 0;     // hb, or hd for rotational supply
    Computed<double> Fb, H;        // H includes Fbend where it exists
    Computed<double> Fbend;        // the concave bank's rise in a bend
    Computed<ScourLimit> scourDesign, scourEnlarged;
    Computed<double> nonSilting;
    std::string bendFormula;         // Fb′'s formula with its numbers, where it exists
    std::vector<std::string> notes;  // assumptions worth a reader's attention
    // The least side slope of Table 6.4.4, 6.4.7 or 7.2.10 for the soil and depth band, and
    // the depth it was looked up at (the deepest water, or a drainage ditch's depth H).
    Computed<double> leastSlope;
    double slopeDepth = 0;
    Computed<double> liningTop;     // above the bed: hd + the lining freeboard, for a lined bed
    Computed<double> bankTopWidth;  // the least width of 6.4.9 for the canal's rank
    // A circular conduit's greatest free-surface discharge, and the clearance D − h left above
    // the water the conduit is built for (the enlarged flow's, or the design flow's of a
    // rotational canal); absent with the reason for any other section.
    Computed<double> greatestFlow;
    Computed<double> clearance;
    std::vector<DesignRule> rules;  // those that apply, in the driver's order
};

// The soil of Table 6.4.4 a bed stands for: the row one of whose soils the bed's name holds
// ("中壤土" → 中壤土, "膜料（中壤土保护层）" → 中壤土, "黏土" → 黏土、重壤土); "" for none.
std::string slopeSoilOf(std::string_view bed, const BedTables& beds);

// Whether the channel is complete and physical: Q > 0, b ≥ 0, m ≥ 0, h > 0, i > 0, n > 0,
// b + m > 0, all finite; for a lined section, its shape without a problem (shapeProblem) in
// place of b and m, and a circle's h ≤ D. The reason when it is not, else "".
StaticText unphysical(const Channel& channel);

// The normal depth of Q with the channel's b, m, i and n, in plain double: the bracket
// doubled from 1 m until it holds Q, then halved down to adjacent doubles, and the one of
// the two whose discharge lies nearer Q. No ceiling. Absent where no finite depth carries Q.
// A lined section's is normalDepth's: the shallower of a circle's two depths, and absent
// (压力流) where Q exceeds the circle's greatest free-surface discharge.
Computed<double> designNormalDepth(double Q, const Channel& channel);

// The discharge (1/n)·A·R^(2/3)·√i of the channel's section at depth h; for a lined section
// manningFlow's, 0 for no water and NaN above a circle's crown.
double manningDischarge(const Channel& channel, double h);

// The class from the design flow (Table 3.1.5).
int canalClassOf(double Qd, CanalUse use);

// p's band for Qd (Table 6.3.4): its large and small ends, in %.
std::pair<double, double> enlargementBand(double Qd);

// The allowed scouring velocity of a bed at depth h and hydraulic radius R.
ScourLimit scouringVelocity(const Bed& bed, double h, double R, Density density, bool siltLaden);

// The rules of §6.4 that take a section's side slope, depths and bed rather than the
// trapezoid itself, so that any section can be fed to them. Each gives its rule and the
// figure it found.
struct SlopeFinding {
    DesignRule rule;
    Computed<double> least;  // the table's least m
    double depth = 0;        // the depth it was looked up at
};
// Side slope m (6.4.4, 6.4.7 inner slope, 7.2.10): an irrigation canal by its deepest water
// depth, a drainage ditch by its depth H (absent with its reason where not found); the soil is
// the setting's, else the bed's own.
//   sideSlopeRule(1.5, 2.24, H, 中壤土, {}, beds) → 满足, "m = 1.5 ≥ 1.50", least 1.5
SlopeFinding sideSlopeRule(double m, double waterDepth, const Computed<double>& ditchDepth,
                           const Bed* bed, const DesignSettings& settings, const BedTables& beds);

struct HeightFinding {
    DesignRule rule;
    Computed<double> height;  // the lining's top above the bed, or the bank top's width
};
// Lining freeboard (6.4.8-6) of a lined bed: its top hd + F must hold the enlarged level hb,
// absent for rotational supply (then met with hd + F alone).
HeightFinding liningFreeboardRule(double hd, const Computed<double>& hb, bool rotational,
                                  const DesignSettings& settings);
// Bank-top width (6.4.9) from the canal's rank: 2 m for 干、支渠, 1 m for 斗、农渠.
HeightFinding bankTopWidthRule(const DesignSettings& settings);

DesignCheck checkDesign(const Channel& channel, const DesignSettings& settings,
                        const BedTables& beds);

// The check as the driver's `report` gives it, one JSON object with every number as "%.9g"
// text and a key left out where its quantity does not exist:
//   {"class":"4","p":"25","Qb":"12.5","hb":"2.24332199",…,"checks":{"minimum-depth":"满足",…}}
std::string designJson(const DesignCheck& check);

// The velocity limits the channel's design flow must keep, for choosing sections: the least
// velocity that does not silt (the value given) and the greatest that does not scour at the
// design depth (from the bed); each absent with its reason.
// The schemes take them as their minimum and maximum; both absent for a channel the check
// does not apply to.
VelocityLimits velocityLimits(const Channel& channel, const DesignSettings& settings,
                              const BedTables& beds);

}  // namespace lintavo
