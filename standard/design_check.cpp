#include "standard/design_check.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <variant>

#include "calculators/numbers.h"
#include "hydraulics/geometry.h"
#include "hydraulics/portable_pow.h"
#include "hydraulics/shape_flow.h"

namespace lintavo {

namespace {

using Amount = Computed<double>;

// Numbers in the check's sentences as the book writes numbers, to six significant digits;
// the settings and the driver's object keep every digit.
std::string num(double x) {
    return readableNumber(x);
}
std::string exact(double x) {
    return recordNumber(x);
}

// Two numbers a comparison sets side by side: at six digits, unless those would make two
// different numbers read alike ("hmin = 0.66 m < 0.6·hd = 0.66 m").
std::pair<std::string, std::string> compared(double a, double b) {
    if (a != b && num(a) == num(b)) return {exact(a), exact(b)};
    return {num(a), num(b)};
}

std::optional<double> readNumber(std::string_view s) {
    double x = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), x);
    if (s.empty() || error != std::errc() || end != s.data() + s.size() || !std::isfinite(x))
        return std::nullopt;
    return x;
}

// The lined section a channel carries, or null for the trapezoid of its b and m (which a
// Trapezoid shape only repeats).
const SectionShape* liningShape(const Channel& c) {
    if (!c.shape || std::holds_alternative<Trapezoid>(*c.shape)) return nullptr;
    return &*c.shape;
}

const Circle* circleOf(const Channel& c) {
    const SectionShape* shape = liningShape(c);
    return shape == nullptr ? nullptr : std::get_if<Circle>(shape);
}

FlowState stateAt(const Channel& c, double Q, double h) {
    if (const SectionShape* shape = liningShape(c)) {
        const SectionAtDepth at = sectionAt(*shape, h);
        return {Q, h, at.A, at.P, at.A / at.P, at.T, Q / at.A};
    }
    const PlainSection section{c.b, c.m};
    const double A = section.area(h);
    const double P = section.wettedPerimeter(h);
    return {Q, h, A, P, A / P, section.topWidth(h), Q / A};
}

Computed<FlowState> flowAt(const Channel& c, double Q) {
    const Amount h = designNormalDepth(Q, c);
    if (!h.exists()) return Computed<FlowState>::absent(h.reason());
    return Computed<FlowState>::of(stateAt(c, Q, h.value()));
}

// The value of a cell the check takes: the low end, or the high end over a thin silt bed.
double cellValue(const StandardValue& cell, bool siltLaden) {
    return siltLaden && cell.shape == StandardValue::Shape::Range ? cell.high : cell.low;
}

DesignRule rule(StaticText key, StaticText name, StaticText clause, std::string text) {
    return {key, name, clause, std::move(text), Verdict::Unchecked, {}};
}

DesignRule judged(DesignRule r, bool met, std::string reason) {
    r.verdict = met ? Verdict::Met : Verdict::NotMet;
    r.reason = std::move(reason);
    return r;
}

DesignRule unchecked(DesignRule r, std::string reason) {
    r.verdict = Verdict::Unchecked;
    r.reason = std::move(reason);
    return r;
}

std::string_view useName(CanalUse use) {
    return use == CanalUse::Irrigation ? "灌溉渠道" : "排水沟道";
}

// The ranks as the driver names them, in CanalRank's order.
constexpr std::pair<CanalRank, std::string_view> rankKeys[] = {
    {CanalRank::None, "none"},       {CanalRank::Main, "main"},
    {CanalRank::Lateral, "lateral"}, {CanalRank::SubLateral, "sub-lateral"},
    {CanalRank::Field, "field"},
};

std::string_view rankName(CanalRank rank) {
    switch (rank) {
        case CanalRank::Main:
            return "干渠";
        case CanalRank::Lateral:
            return "支渠";
        case CanalRank::SubLateral:
            return "斗渠";
        case CanalRank::Field:
            return "农渠";
        case CanalRank::None:
            break;
    }
    return "未给定";
}

// A side-slope table's row for a soil, by its whole name ("黏土、重壤土").
const StandardRow* slopeRow(const StandardTable* table, std::string_view soil) {
    if (table == nullptr || soil.empty()) return nullptr;
    for (const StandardRow& row : table->rows) {
        if (row.name == soil) return &row;
    }
    return nullptr;
}

// A least slope as a cell gives it: m ≥ the value (a range's low end), or m > a bound.
struct SlopeBound {
    double m = 0;
    bool strict = false;
    const StandardValue* cell = nullptr;
    std::size_t column = 0;
};

bool steeper(const SlopeBound& a, const SlopeBound& b) {
    return a.m < b.m || (a.m == b.m && !a.strict && b.strict);
}

// A bed the table's slopes may be steeper for: a rigid lining, not a membrane under earth.
bool rigidLining(const Bed* bed) {
    return bed != nullptr && bed->kind == StandardKind::Lining &&
           !bed->row->group.starts_with("膜料");
}

}  // namespace

std::string slopeSoilOf(std::string_view bed, const BedTables& beds) {
    if (beds.cutSlopes == nullptr || bed.empty()) return {};
    for (const StandardRow& row : beds.cutSlopes->rows) {
        std::string_view soils = row.name;
        while (!soils.empty()) {
            const std::size_t end = soils.find("、");
            const std::string_view soil = soils.substr(0, end);
            if (!soil.empty() && bed.find(soil) != std::string_view::npos) return row.name;
            soils = end == std::string_view::npos
                        ? std::string_view()
                        : soils.substr(end + std::string_view("、").size());
        }
    }
    return {};
}

SlopeFinding sideSlopeRule(double m, double waterDepth, const Computed<double>& ditchDepth,
                           const Bed* bed, const DesignSettings& s, const BedTables& beds) {
    const bool drainage = s.use == CanalUse::Drainage;
    const StandardTable* table = drainage                        ? beds.drainageSlopes
                                 : s.earthwork == Earthwork::Cut ? beds.cutSlopes
                                                                 : beds.fillSlopes;
    const StaticText clause = drainage                        ? StaticText("7.2.10")
                              : s.earthwork == Earthwork::Cut ? StaticText("6.4.4")
                                                              : StaticText("6.4.7");
    SlopeFinding out{rule("side-slope", "边坡系数", clause, "m ≥ m表"), Amount::absent("未查表"),
                     0};
    const auto notChecked = [&](std::string why) {
        out.rule = unchecked(std::move(out.rule), std::move(why));
        return out;
    };
    if (table == nullptr) return notChecked("数据文件中没有边坡系数表");
    const std::string soil =
        s.slopeSoil.empty() && bed != nullptr ? slopeSoilOf(bed->name, beds) : s.slopeSoil;
    if (soil.empty()) {
        return notChecked(bed == nullptr ? "未选择边坡土质或渠床材料"
                                         : "渠床材料" + bed->name +
                                               "不是表 6.4.4 的土质，请在校核设置中选择边坡土质");
    }
    const StandardRow* row = slopeRow(table, soil);
    if (row == nullptr) return notChecked("表 " + table->number + " 没有" + soil + "一栏");

    // The depth and its bands: water depth below 1, 1~2 and 2~3 m, beyond which the slope
    // takes a stability analysis; a drainage ditch's depth below 1.5, 1.5~3, 3~4 and above
    // 4 m. On an edge between two bands the larger m.
    const std::string depthName = drainage ? "沟深 H" : "水深";
    double depth = waterDepth;
    if (drainage) {
        if (!ditchDepth.exists())
            return notChecked("沟深 H 未确定（" + std::string(ditchDepth.reason()) + "）");
        depth = ditchDepth.value();
    }
    out.depth = depth;
    if (!drainage && depth > 3) {
        return notChecked(depthName + " " + num(depth) + " m 大于 3 m，超出表 " + table->number +
                          "，需进行边坡稳定分析");
    }
    const std::vector<double> edges =
        drainage ? std::vector<double>{1.5, 3, 4} : std::vector<double>{1, 2};
    std::size_t first = 0;
    std::size_t last = 0;
    for (double edge : edges) {
        first += edge < depth ? 1 : 0;
        last += edge <= depth ? 1 : 0;
    }
    // Table 6.4.7 gives an inner and an outer slope for each band; the canal's is the inner.
    const std::size_t stride = !drainage && s.earthwork == Earthwork::Fill ? 2 : 1;
    std::optional<SlopeBound> least;
    for (std::size_t band = first; band <= last; ++band) {
        const std::size_t column = band * stride;
        if (column >= row->cells.size()) return notChecked("表 " + table->number + " 栏数不符");
        const StandardValue& cell = row->cells[column];
        if (cell.shape == StandardValue::Shape::None || cell.shape == StandardValue::Shape::Below)
            return notChecked("表 " + table->number + " 此栏无下限值");
        const SlopeBound bound{cell.low, cell.shape == StandardValue::Shape::Above, &cell, column};
        if (!least || steeper(*least, bound)) least = bound;
    }
    out.least = Amount::of(least->m);
    const std::string where =
        "表 " + table->number + " " + soil + "，" + depthName + " " + num(depth) + " m" +
        (first != last ? "（两栏交界，取较大值）" : "") + "，" + table->columns[least->column] +
        "栏 " + least->cell->text +
        (least->cell->shape == StandardValue::Shape::Range ? "（取小值）" : "");
    const std::string relation = least->strict ? " > " : " ≥ ";
    out.rule.rule = "m" + relation + "m表";
    const bool met = least->strict ? m > least->m : m >= least->m;
    if (!met && rigidLining(bed)) {
        return notChecked(where + "；m = " + num(m) + " 陡于表值，刚性衬砌渠道边坡可较陡，" +
                          "需进行边坡稳定分析");
    }
    const auto [given, tabled] = compared(m, least->m);
    out.rule = judged(std::move(out.rule), met,
                      where + "：m = " + given +
                          (met             ? relation
                           : least->strict ? " ≤ "
                                           : " < ") +
                          tabled);
    return out;
}

HeightFinding liningFreeboardRule(double hd, const Computed<double>& hb, bool rotational,
                                  const DesignSettings& s) {
    HeightFinding out{
        rule("lining-freeboard", "衬砌超高", "6.4.8-6", "hd + Fl ≥ hb，Fl = 0.3~0.8 m"),
        Amount::absent("未计算")};
    const double f = s.liningFreeboard;
    const double top = hd + f;
    out.height = Amount::of(top);
    const std::string lining = "衬砌顶高 hd + Fl = " + num(hd) + " + " + num(f) + " = ";
    if (rotational) {
        out.rule.rule = "hd + Fl，Fl = 0.3~0.8 m";
        out.rule =
            judged(std::move(out.rule), true, lining + num(top) + " m（轮灌渠道无加大流量）");
        return out;
    }
    if (!hb.exists()) {
        out.rule = unchecked(std::move(out.rule), "加大水深未求得：" + std::string(hb.reason()));
        return out;
    }
    const bool met = top >= hb.value();
    const auto [lined, enlarged] = compared(top, hb.value());
    std::string reason = lining + lined + " m" + (met ? " ≥ " : " < ") + "hb = " + enlarged + " m";
    if (!met) {
        const double needed = hb.value() - hd;
        reason += needed <= maxLiningFreeboard
                      ? "，衬砌超高应不小于 " + num(needed) + " m"
                      : "，超高取 0.8 m 仍低于加大水位，应加高衬砌或改变断面";
    }
    out.rule = judged(std::move(out.rule), met, reason);
    return out;
}

HeightFinding bankTopWidthRule(const DesignSettings& s) {
    HeightFinding out{rule("bank-top-width", "堤顶宽度", "6.4.9", "干、支渠 ≥ 2 m；斗、农渠 ≥ 1 m"),
                      Amount::absent("未给定渠道类别")};
    if (s.rank == CanalRank::None) {
        out.rule = unchecked(std::move(out.rule), "未给定渠道类别（干、支、斗、农渠）");
        return out;
    }
    const bool upper = s.rank == CanalRank::Main || s.rank == CanalRank::Lateral;
    const double width = upper ? 2 : 1;
    out.height = Amount::of(width);
    const std::string least = std::string(rankName(s.rank)) + "堤顶宽度不小于 " + num(width) + " m";
    if (s.largeDistrict) {
        out.rule.rule = upper ? "干、支渠 ≥ 2 m" : "斗、农渠 ≥ 1 m";
        out.rule = judged(std::move(out.rule), true,
                          "灌区面积不小于 667 hm²，" + least + "，取 " + num(width) + " m");
    } else {
        out.rule = unchecked(std::move(out.rule), "灌区面积小于 667 hm²，" + least +
                                                      "的要求可适当减小，按 " + num(width) +
                                                      " m 绘制，由设计确定");
    }
    return out;
}

std::string applyDesignSetting(DesignSettings& s, std::string_view key, std::string_view value,
                               const BedTables& beds) {
    // Each refusal says what the setting takes, in the words of 校核设置.
    const auto inRange = [&](double low, bool lowIncluded, double high) -> std::optional<double> {
        const auto x = readNumber(value);
        if (!x || *x > high || *x < low || (!lowIncluded && *x == low)) return std::nullopt;
        return x;
    };
    const auto optional = [&](std::optional<double>& into, double high) {
        if (value == "none") {
            into.reset();
            return true;
        }
        const auto x = inRange(0, false, high);
        if (x) into = *x;
        return x.has_value();
    };
    if (key == "use") {
        if (value == "irrigation")
            s.use = CanalUse::Irrigation;
        else if (value == "drainage")
            s.use = CanalUse::Drainage;
        else
            return "用途应为灌溉渠道（irrigation）或排水沟道（drainage）。";
    } else if (key == "class") {
        if (value == "auto") {
            s.canalClass = 0;
        } else if (value.size() == 1 && value[0] >= '1' && value[0] <= '5') {
            s.canalClass = value[0] - '0';
        } else {
            return "渠道级别应为 1~5 级，或按设计流量自动确定（auto）。";
        }
    } else if (key == "supply") {
        if (value == "continuous")
            s.supply = Supply::Continuous;
        else if (value == "rotational")
            s.supply = Supply::Rotational;
        else
            return "供水方式应为续灌（continuous）或轮灌（rotational）。";
    } else if (key == "enlarge") {
        if (value == "large") {
            s.enlargement = Enlargement::Large;
        } else if (value == "small") {
            s.enlargement = Enlargement::Small;
        } else if (const auto p = inRange(0, true, maxEnlargement)) {
            s.enlargement = Enlargement::Percentage;
            s.percentage = *p;
        } else {
            return "加大百分数应为 0~100 之间的数（表 6.3.4 各档在 35%~5% 之间）。";
        }
    } else if (key == "minimum") {
        const auto q = inRange(0, false, 100);
        if (!q) return "最小流量百分数应为大于 0、不大于 100 的数。";
        s.minimumPercentage = *q;
    } else if (key == "bed") {
        if (value == "none") {
            s.bed.clear();
        } else if (beds.find(value) != nullptr) {
            s.bed = std::string(value);
        } else {
            return "渠床材料应为附录 C 各表中的一种。";
        }
    } else if (key == "density") {
        if (value == "loose")
            s.density = Density::Loose;
        else if (value == "dense")
            s.density = Density::Dense;
        else
            return "黏性土密实程度应为疏松（loose）或中等密实和密实（dense）。";
    } else if (key == "silt") {
        if (!optional(s.nonSilting, maxNonSilting))
            return "不淤流速应为大于 0、不大于 10 m/s 的数，或不给定。";
    } else if (key == "silted") {
        if (value == "yes")
            s.siltLaden = true;
        else if (value == "no")
            s.siltLaden = false;
        else
            return "挟沙水流、渠床有薄淤层应为是（yes）或否（no）。";
    } else if (key == "bend") {
        if (!optional(s.bendRadius, std::numeric_limits<double>::max()))
            return "弯道中心线半径应为正数，或不给定。";
    } else if (key == "earthwork") {
        if (value == "cut")
            s.earthwork = Earthwork::Cut;
        else if (value == "fill")
            s.earthwork = Earthwork::Fill;
        else
            return "挖填方应为挖方（cut）或填方（fill）。";
    } else if (key == "slope-soil") {
        if (value == "bed") {
            s.slopeSoil.clear();
        } else if (slopeRow(beds.cutSlopes, value) != nullptr) {
            s.slopeSoil = std::string(value);
        } else {
            return "边坡土质应为表 6.4.4 中的一种，或按渠床材料（bed）。";
        }
    } else if (key == "lining-freeboard") {
        const auto f = inRange(minLiningFreeboard, true, maxLiningFreeboard);
        if (!f) return "衬砌超高应为 0.3~0.8 m 之间的数（6.4.8 条第 6 款）。";
        s.liningFreeboard = *f;
    } else if (key == "rank") {
        bool known = false;
        for (const auto& [rank, name] : rankKeys) {
            if (value == name) {
                s.rank = rank;
                known = true;
            }
        }
        if (!known)
            return "渠道类别应为干渠（main）、支渠（lateral）、斗渠（sub-lateral）、"
                   "农渠（field）或不给定（none）。";
    } else if (key == "district") {
        if (value == "large")
            s.largeDistrict = true;
        else if (value == "small")
            s.largeDistrict = false;
        else
            return "灌区面积应为不小于 667 hm²（large）或小于 667 hm²（small）。";
    } else {
        return "没有名为 " + std::string(key) + " 的校核设置。";
    }
    return {};
}

std::vector<std::pair<std::string, std::string>> designSettingKeys(const DesignSettings& s) {
    const auto optional = [](const std::optional<double>& x) {
        return x ? exact(*x) : std::string("none");
    };
    return {
        {"use", s.use == CanalUse::Irrigation ? "irrigation" : "drainage"},
        {"class", s.canalClass == 0 ? std::string("auto") : std::to_string(s.canalClass)},
        {"supply", s.supply == Supply::Continuous ? "continuous" : "rotational"},
        {"enlarge", s.enlargement == Enlargement::Large   ? std::string("large")
                    : s.enlargement == Enlargement::Small ? std::string("small")
                                                          : exact(s.percentage)},
        {"minimum", exact(s.minimumPercentage)},
        {"bed", s.bed.empty() ? std::string("none") : s.bed},
        {"density", s.density == Density::Loose ? "loose" : "dense"},
        {"silt", optional(s.nonSilting)},
        {"silted", s.siltLaden ? "yes" : "no"},
        {"bend", optional(s.bendRadius)},
        {"earthwork", s.earthwork == Earthwork::Cut ? "cut" : "fill"},
        {"slope-soil", s.slopeSoil.empty() ? std::string("bed") : s.slopeSoil},
        {"lining-freeboard", exact(s.liningFreeboard)},
        {"rank", std::string(rankKeys[static_cast<std::size_t>(s.rank)].second)},
        {"district", s.largeDistrict ? "large" : "small"},
    };
}

std::vector<std::pair<std::string, std::string>> describeDesignSettings(const DesignSettings& s) {
    return {
        {"用途", std::string(useName(s.use))},
        {"渠道级别", s.canalClass == 0 ? std::string("自动（按设计流量，表 3.1.5）")
                                       : std::to_string(s.canalClass) + " 级（给定）"},
        {"供水方式", s.supply == Supply::Continuous ? "续灌" : "轮灌（只校核设计流量）"},
        {"加大百分数", s.enlargement == Enlargement::Large   ? std::string("干旱地区取大值")
                       : s.enlargement == Enlargement::Small ? std::string("湿润地区取小值")
                                                             : exact(s.percentage) + "%（给定）"},
        {"最小流量百分数", exact(s.minimumPercentage) + "%"},
        {"渠床材料", s.bed.empty() ? std::string("未选择") : s.bed},
        {"黏性土密实程度", s.density == Density::Loose ? "疏松" : "中等密实和密实"},
        {"挟沙水流、渠床有薄淤层", s.siltLaden ? "是（取附录 C 的大值）" : "否（取附录 C 的小值）"},
        {"不淤流速", s.nonSilting ? exact(*s.nonSilting) + " m/s" : std::string("未给定")},
        {"弯道半径", s.bendRadius ? exact(*s.bendRadius) + " m" : std::string("未给定")},
        {"挖填方", s.earthwork == Earthwork::Cut ? "挖方" : "填方"},
        {"边坡土质", s.slopeSoil.empty() ? std::string("按渠床材料") : s.slopeSoil},
        {"衬砌超高", exact(s.liningFreeboard) + " m"},
        {"渠道类别", std::string(rankName(s.rank))},
        {"灌区面积", s.largeDistrict ? "不小于 667 hm²" : "小于 667 hm²"},
    };
}

StaticText unphysical(const Channel& c) {
    for (double x : {c.Q, c.b, c.h, c.m, c.i, c.n}) {
        if (!std::isfinite(x)) return "输入不是有限数";
    }
    if (const SectionShape* shape = liningShape(c)) {
        if (!(c.Q > 0)) return "流量 Q ≤ 0";
        if (const StaticText problem = shapeProblem(*shape); !problem.empty()) return problem;
        if (!(c.h > 0)) return "水深 h ≤ 0";
        if (c.h > fullDepth(*shape)) return "水深 h 大于管径 D";
        if (!(c.i > 0)) return "底坡 i ≤ 0";
        if (!(c.n > 0)) return "糙率 n ≤ 0";
        return {};
    }
    if (!(c.Q > 0)) return "流量 Q ≤ 0";
    if (c.b < 0) return "底宽 b < 0";
    if (c.m < 0) return "边坡系数 m < 0";
    if (!(c.h > 0)) return "水深 h ≤ 0";
    if (!(c.i > 0)) return "底坡 i ≤ 0";
    if (!(c.n > 0)) return "糙率 n ≤ 0";
    if (!(c.b + c.m > 0)) return "底宽 b 与边坡系数 m 均为 0";
    return {};
}

double manningDischarge(const Channel& c, double h) {
    if (const SectionShape* shape = liningShape(c)) {
        const Computed<ShapeFlow> flow = manningFlow(*shape, h, c.i, c.n);
        if (flow.exists()) return flow.value().Q;
        return h == 0 ? 0 : std::numeric_limits<double>::quiet_NaN();
    }
    return PlainSection{c.b, c.m}.manningDischarge(h, c.i, c.n);
}

Computed<double> designNormalDepth(double Q, const Channel& c) {
    if (!std::isfinite(Q) || !(Q > 0)) return Amount::absent("流量 Q ≤ 0");
    if (const SectionShape* shape = liningShape(c)) {
        const Computed<NormalDepth> depth = normalDepth(*shape, Q, c.i, c.n);
        return depth.exists() ? Amount::of(depth.value().h) : Amount::absent(depth.reason());
    }
    double lo = 0;
    double hi = 1;
    // The discharge grows with the depth; a NaN (an overflowing section) ends the doubling
    // and is caught below.
    while (manningDischarge(c, hi) < Q) {
        hi *= 2;
        if (!std::isfinite(hi)) return Amount::absent("数值溢出");
    }
    if (!std::isfinite(manningDischarge(c, hi))) return Amount::absent("数值溢出");
    for (;;) {
        // Halving each end first: exact, and no overflow in lo + hi.
        const double mid = 0.5 * lo + 0.5 * hi;
        if (!(mid > lo && mid < hi)) break;
        (manningDischarge(c, mid) < Q ? lo : hi) = mid;
    }
    if (lo == 0) return Amount::of(hi);
    const double below = std::fabs(manningDischarge(c, lo) - Q);
    const double above = std::fabs(manningDischarge(c, hi) - Q);
    return Amount::of(above < below ? hi : lo);
}

int canalClassOf(double Qd, CanalUse use) {
    const bool irrigation = use == CanalUse::Irrigation;
    const double limits[4] = {irrigation ? 300.0 : 500.0, irrigation ? 100.0 : 200.0,
                              irrigation ? 20.0 : 50.0, irrigation ? 5.0 : 10.0};
    for (int k = 0; k < 4; ++k) {
        if (Qd >= limits[k]) return k + 1;
    }
    return 5;
}

std::pair<double, double> enlargementBand(double Qd) {
    if (Qd < 1) return {35, 30};
    if (Qd < 5) return {30, 25};
    if (Qd < 20) return {25, 20};
    if (Qd < 50) return {20, 15};
    if (Qd < 100) return {15, 10};
    if (Qd < 300) return {10, 5};
    return {5, 5};
}

ScourLimit scouringVelocity(const Bed& bed, double h, double R, Density density, bool siltLaden) {
    const StandardTable& table = *bed.table;
    const std::vector<StandardValue>& cells = bed.row->cells;
    const std::string end = siltLaden ? "大值" : "小值";
    switch (bed.kind) {
        case StandardKind::Cohesive: {
            const double base = cellValue(cells.front(), siltLaden);
            // The end of the density's range of α that gives the smaller velocity: the larger
            // α where R < 1, the smaller where R > 1.
            const double a1 = density == Density::Loose ? 0.25 : 0.2;
            const double a2 = density == Density::Loose ? 1.0 / 3.0 : 0.25;
            const double v1 = base * portablePow(R, a1);
            const double v2 = base * portablePow(R, a2);
            const bool first = v1 <= v2;
            const double alpha = first ? a1 : a2;
            const std::string alphaText = alpha == 1.0 / 3.0 ? "1/3"
                                          : alpha == 0.25    ? "1/4"
                                                             : "1/5";
            return {
                first ? v1 : v2, base, alpha,
                "表 " + table.number + " " + bed.name + "（R = 1 m）取" + end + " " + num(base) +
                    " m/s，×R^α，α 取" +
                    (density == Density::Loose ? "疏松土 1/4~1/3" : "中等密实和密实土 1/5~1/4") +
                    "中使流速较小的 " + alphaText + "：" + num(base) + " × " + num(R) + "^(" +
                    alphaText + ")"};
        }
        case StandardKind::NonCohesive:
        case StandardKind::Rock: {
            const std::vector<double>& d = table.depths;
            const std::size_t last = d.size() - 1;
            double v = 0;
            std::string how;
            if (h <= d.front()) {
                v = cellValue(cells.front(), siltLaden);
                how = "水深 " + num(h) + " m 不大于 " + num(d.front()) + " m，取该栏";
            } else if (h >= d[last]) {
                v = cellValue(cells[last], siltLaden);
                how = "水深 " + num(h) + " m 不小于 " + num(d[last]) + " m，取该栏";
            } else {
                std::size_t k = 0;
                while (h > d[k + 1])
                    ++k;
                const double v0 = cellValue(cells[k], siltLaden);
                const double v1 = cellValue(cells[k + 1], siltLaden);
                v = v0 + (v1 - v0) * (h - d[k]) / (d[k + 1] - d[k]);
                how = "按水深 " + num(h) + " m 在 " + num(d[k]) + " m（" + num(v0) + "）与 " +
                      num(d[k + 1]) + " m（" + num(v1) + "）两栏间直线插值";
            }
            return {v, v, 0,
                    "表 " + table.number + " " + bed.name + "取" + end + "，" + how +
                        "（表中各栏已按水深给出，不再乘 R^α）"};
        }
        case StandardKind::Lining:
        case StandardKind::Roughness:
        case StandardKind::SideSlope:
        case StandardKind::DitchSlope:
            break;
    }
    const StandardValue& cell = cells.front();
    const double v = cellValue(cell, siltLaden);
    return {v, v, 0,
            "表 " + table.number + " " + bed.name + " " + cell.text +
                (cell.shape == StandardValue::Shape::Range ? "，取" + end
                                                           : std::string("，取其界限值"))};
}

DesignCheck checkDesign(const Channel& c, const DesignSettings& s, const BedTables& beds) {
    DesignCheck out;
    out.why = unphysical(c);
    if (!out.why.empty()) return out;
    out.exists = true;
    if (const SectionShape* lined = liningShape(c)) {
        out.section = std::holds_alternative<Circle>(*lined)      ? StaticText("无压圆管")
                      : std::holds_alternative<ArcBottom>(*lined) ? StaticText("U形渠道")
                                                                  : StaticText("弧形坡脚梯形渠道");
    }
    const double Qd = c.Q;
    out.design = stateAt(c, Qd, c.h);
    const FlowState& d = out.design;

    // The class.
    if (s.canalClass != 0) {
        out.canalClass = s.canalClass;
        out.classRule = "按设置取 " + std::to_string(s.canalClass) + " 级";
    } else {
        out.canalClass = canalClassOf(Qd, s.use);
        out.classRule = std::string(useName(s.use)) + "设计流量 Qd = " + num(Qd) +
                        " m³/s，按表 3.1.5 为 " + std::to_string(out.canalClass) + " 级";
    }

    // The enlarged and the minimum flow.
    const bool continuous = s.supply == Supply::Continuous;
    if (continuous) {
        const auto [large, small] = enlargementBand(Qd);
        double p = s.percentage;
        const std::string band =
            large == small ? num(large) + "%" : num(large) + "%~" + num(small) + "%";
        switch (s.enlargement) {
            case Enlargement::Large:
                p = large;
                out.pRule = "Qd = " + num(Qd) + " m³/s，表 6.3.4 加大百分数 " + band +
                            "，干旱地区取大值 " + num(p) + "%";
                break;
            case Enlargement::Small:
                p = small;
                out.pRule = "Qd = " + num(Qd) + " m³/s，表 6.3.4 加大百分数 " + band +
                            "，湿润地区取小值 " + num(p) + "%";
                break;
            case Enlargement::Percentage:
                out.pRule = "按设置取 " + num(p) + "%（表 6.3.4 此档为 " + band + "）";
                break;
        }
        out.p = Amount::of(p);
        out.enlarged = flowAt(c, Qd * (1 + p / 100));
        out.minimum = flowAt(c, Qd * (s.minimumPercentage / 100));
        if (s.minimumPercentage < 40) {
            out.notes.push_back("最小流量取设计流量的 " + num(s.minimumPercentage) +
                                "%，低于 6.3.5 条的 40%");
        }
    } else {
        constexpr StaticText rotational = "轮灌渠道只按设计流量计算";
        out.p = Amount::absent(rotational);
        out.enlarged = out.minimum = Computed<FlowState>::absent(rotational);
        out.notes.emplace_back("轮灌渠道按设计流量计算（6.3.1），超高按设计水深");
    }

    // A circle closed above carries a flow with a free surface only up to its peak.
    const SectionShape* shape = liningShape(c);
    const Circle* circle = circleOf(c);
    PeakFlow peak{};
    if (circle != nullptr) {
        peak = peakFlow(*circle, c.i, c.n);
        out.greatestFlow = Amount::of(peak.Q);
    } else {
        out.greatestFlow = out.clearance = Amount::absent("只有圆管断面有此项");
    }

    // Freeboard, bank height and the bend.
    // The flow the bank is built for: the enlarged one, or the design flow of a rotational canal.
    const FlowState* top =
        continuous ? (out.enlarged.exists() ? &out.enlarged.value() : nullptr) : &d;
    if (top == nullptr) {
        out.Fb = out.H = out.Fbend = Amount::absent(out.enlarged.reason());
        if (circle != nullptr) out.clearance = Amount::absent(out.enlarged.reason());
    } else {
        out.freeboardDepth = top->h;
        if (circle != nullptr) {
            out.Fb = out.H = Amount::absent("圆管为封闭断面，不设岸顶超高与渠深，校核管顶净空");
            out.clearance = Amount::of(circle->D - top->h);
        } else if (out.canalClass >= 4) {
            out.Fb = Amount::of(top->h / 4 + 0.2);
            out.H = Amount::of(top->h + out.Fb.value());
        } else {
            out.Fb = out.H = Amount::absent("按土石坝设计要求论证确定");
        }
        if (!s.bendRadius) {
            out.Fbend = Amount::absent("未给定弯道半径");
        } else if (*s.bendRadius < 5 * top->B || top->v > 2) {
            out.Fbend = Amount::of(top->B * top->v * top->v / (2 * gravity * *s.bendRadius));
            const std::string at = out.enlarged.exists() ? "b" : "d";
            out.bendFormula = "B" + at + "·v" + at + "²/(2g·r) = " + num(top->B) + " × " +
                              num(top->v) + "² / (2 × 9.81 × " + num(*s.bendRadius) + ")";
            if (out.H.exists()) out.H = Amount::of(out.H.value() + out.Fbend.value());
        } else {
            out.Fbend = Amount::absent("弯道半径不小于 5 倍水面宽且流速不大于 2 m/s，凹岸不加高");
        }
    }

    // The allowed velocities.
    const Bed* bed = s.bed.empty() ? nullptr : beds.find(s.bed);
    constexpr StaticText noBed = "未选择渠床材料";
    if (bed == nullptr) {
        out.scourDesign = out.scourEnlarged = Computed<ScourLimit>::absent(noBed);
    } else {
        out.scourDesign =
            Computed<ScourLimit>::of(scouringVelocity(*bed, d.h, d.R, s.density, s.siltLaden));
        if (out.enlarged.exists()) {
            const FlowState& b = out.enlarged.value();
            out.scourEnlarged =
                Computed<ScourLimit>::of(scouringVelocity(*bed, b.h, b.R, s.density, s.siltLaden));
        } else {
            out.scourEnlarged = Computed<ScourLimit>::absent(out.enlarged.reason());
        }
    }
    out.nonSilting = s.nonSilting ? Amount::of(*s.nonSilting) : Amount::absent("未给定不淤流速");

    // The rules.
    std::vector<DesignRule>& rules = out.rules;
    if (continuous) {
        DesignRule r = rule("minimum-depth", "最小流量水深", "6.3.5", "hmin ≥ 0.6·hd");
        if (out.minimum.exists()) {
            const double hmin = out.minimum.value().h;
            const double floor = 0.6 * d.h;
            const auto [low, least] = compared(hmin, floor);
            rules.push_back(judged(r, hmin >= floor,
                                   "hmin = " + low + " m" + (hmin >= floor ? " ≥ " : " < ") +
                                       "0.6·hd = " + least + " m"));
        } else {
            rules.push_back(unchecked(r, std::string(out.minimum.reason())));
        }
    }
    const auto scourRule = [&](StaticText key, StaticText name, StaticText text,
                               const Computed<ScourLimit>& limit, const FlowState* at,
                               std::string_view v) {
        DesignRule r = rule(key, name, "6.3.1、6.3.11、附录 C", text.str());
        if (!limit.exists() || at == nullptr) {
            rules.push_back(unchecked(r, std::string(limit.reason()) + "，无法确定允许不冲流速"));
            return;
        }
        const bool met = at->v <= limit.value().value;
        const auto [speed, most] = compared(at->v, limit.value().value);
        rules.push_back(judged(r, met,
                               std::string(v) + " = " + speed + " m/s" + (met ? " ≤ " : " > ") +
                                   "v不冲 = " + most + " m/s"));
    };
    scourRule("scour-design", "设计流量不冲", "vd ≤ v不冲", out.scourDesign, &d, "vd");
    if (continuous) {
        scourRule("scour-enlarged", "加大流量不冲", "vb ≤ v不冲", out.scourEnlarged,
                  out.enlarged.exists() ? &out.enlarged.value() : nullptr, "vb");
    }
    const auto siltRule = [&](StaticText key, StaticText name, StaticText text, const FlowState* at,
                              std::string_view v, std::string_view missing) {
        DesignRule r = rule(key, name, "6.3.1、6.3.12", text.str());
        if (!out.nonSilting.exists()) {
            rules.push_back(unchecked(r, "未给定不淤流速（应由渠道的泥沙资料求得）"));
        } else if (at == nullptr) {
            rules.push_back(unchecked(r, std::string(missing)));
        } else {
            const double silt = out.nonSilting.value();
            const bool met = at->v >= silt;
            const auto [speed, least] = compared(at->v, silt);
            rules.push_back(judged(r, met,
                                   std::string(v) + " = " + speed + " m/s" + (met ? " ≥ " : " < ") +
                                       "v不淤 = " + least + " m/s"));
        }
    };
    siltRule("silt-design", "设计流量不淤", "vd ≥ v不淤", &d, "vd", {});
    if (continuous) {
        siltRule("silt-minimum", "最小流量不淤", "vmin ≥ v不淤",
                 out.minimum.exists() ? &out.minimum.value() : nullptr, "vmin",
                 out.minimum.reason());
    }
    {
        DesignRule least =
            rule("earth-minimum-velocity", "土渠最小流速（应）", "6.3.10", "vd ≥ 0.3 m/s");
        DesignRule preferred =
            rule("earth-preferred-velocity", "土渠适宜流速（宜）", "6.3.10", "0.6 ≤ vd ≤ 1.0 m/s");
        if (bed == nullptr) {
            const std::string why = "未选择渠床材料，不知是否为土渠";
            rules.push_back(unchecked(least, why));
            rules.push_back(unchecked(preferred, why));
        } else if (bed->earth()) {
            const bool leastMet = d.v >= 0.3;
            rules.push_back(
                judged(least, leastMet,
                       "vd = " + num(d.v) + " m/s" + (leastMet ? " ≥ " : " < ") + "0.3 m/s"));
            const bool inside = d.v >= 0.6 && d.v <= 1.0;
            rules.push_back(judged(preferred, inside,
                                   "vd = " + num(d.v) + " m/s" +
                                       (inside      ? " 在 0.6~1.0 m/s 之间"
                                        : d.v < 0.6 ? " < 0.6 m/s"
                                                    : " > 1.0 m/s")));
        }
    }
    if (s.bendRadius) {
        const double r = *s.bendRadius;
        DesignRule bend = rule("bend-radius", "弯道半径", "6.2.5", "");
        // The water surface width of the flow the bank is built for: the enlarged one.
        const std::string B = out.enlarged.exists() ? "Bb" : "Bd";
        if (top == nullptr) {
            rules.push_back(unchecked(bend, std::string(out.enlarged.reason())));
        } else if (bed == nullptr) {
            bend.rule = "土渠 r > 5·" + B + "；衬砌、石渠 r ≥ 2.5·" + B;
            rules.push_back(unchecked(bend, "未选择渠床材料，不知是土渠还是衬砌、石渠"));
        } else if (bed->earth()) {
            if (out.canalClass <= 4) {
                bend.rule = "r > 5·" + B;
                const double least = 5 * top->B;
                const bool met = r > least;
                rules.push_back(judged(bend, met,
                                       "r = " + num(r) + " m" + (met ? " > " : " ≤ ") + "5·" + B +
                                           " = " + num(least) + " m"));
            }
        } else {
            bend.rule = "r ≥ 2.5·" + B;
            const double least = 2.5 * top->B;
            const bool met = r >= least;
            rules.push_back(judged(bend, met,
                                   "r = " + num(r) + " m" + (met ? " ≥ " : " < ") + "2.5·" + B +
                                       " = " + num(least) + " m"));
        }
    }

    // A circle: the enlarged flow must pass with a free surface; the clearance above it is
    // shown, but this standard gives no least clearance for a conduit. The rules of §6.4 are
    // an open canal's and are left out.
    if (circle != nullptr) {
        const std::string at = continuous ? "b" : "d";
        DesignRule r = rule("conduit-clearance", "管顶净空", "6.3.1",
                            "Q" + at + " ≤ Qmax（无压流），D − h" + at + " 按建筑物设计规定");
        const double Qtop = continuous ? Qd * (1 + out.p.value() / 100) : Qd;
        if (Qtop > peak.Q) {
            const auto [flow, most] = compared(Qtop, peak.Q);
            rules.push_back(judged(
                r, false,
                "Q" + at + " = " + flow + " m³/s > 圆管最大无压流量 Qmax = " + most +
                    " m³/s（水深 " + num(peak.h) + " m 处），管内将成压力流，不能以自由水面通过" +
                    (continuous ? "加大流量" : "设计流量") + "；应加大管径或底坡"));
        } else if (top == nullptr) {
            rules.push_back(unchecked(r, "加大水深未求得：" + std::string(out.enlarged.reason())));
        } else {
            std::string reason = "h" + at + " = " + num(top->h) + " m，管顶净空 D − h" + at +
                                 " = " + num(circle->D) + " − " + num(top->h) + " = " +
                                 num(out.clearance.value()) + " m（管径的 " +
                                 num(100 * out.clearance.value() / circle->D) + "%）";
            if (out.Fbend.exists())
                reason += "，弯道凹侧水面另升高 Fb′ = " + num(out.Fbend.value()) + " m";
            if (continuous) {
                const Computed<NormalDepth> both = normalDepth(*shape, Qtop, c.i, c.n);
                if (both.exists() && both.value().other) {
                    const double deeper = *both.value().other;
                    reason += "；Qb 在满管流量与最大无压流量之间，另一水深 " + num(deeper) +
                              " m 也通过 Qb，其净空只有 " + num(circle->D - deeper) + " m";
                }
            }
            rules.push_back(unchecked(r, reason + "。本标准未规定无压圆管的净空，应按渠系建筑物"
                                                  "（涵洞、暗渠）的设计规定校核"));
        }
        out.notes.emplace_back(
            "圆管为封闭断面：边坡系数（6.4.4、6.4.7）、岸顶超高与衬砌超高（6.4.8）、堤顶宽度"
            "（6.4.9）是明渠的规定，不适用，改以加大流量能否无压通过及管顶净空校核");
        return out;
    }
    if (shape != nullptr && (bed == nullptr || bed->kind != StandardKind::Lining)) {
        out.notes.push_back(out.section.str() +
                            "一般为衬砌渠道，衬砌超高（6.4.8）与表 C.0.4 的不冲流速按" +
                            "校核设置中的渠床材料确定；" +
                            (bed == nullptr ? std::string("未选择渠床材料，衬砌超高未校核")
                                            : "所选 " + bed->name + " 不是衬砌，不作衬砌校核"));
    }

    // §6.4: the side slope at the deepest water the canal carries, the lining's top, the bank.
    SlopeFinding slope = sideSlopeRule(c.m, top != nullptr ? top->h : d.h, out.H, bed, s, beds);
    out.leastSlope = slope.least;
    out.slopeDepth = slope.depth;
    rules.push_back(std::move(slope.rule));
    if (bed == nullptr) {
        rules.push_back(unchecked(
            rule("lining-freeboard", "衬砌超高", "6.4.8-6", "hd + Fl ≥ hb，Fl = 0.3~0.8 m"),
            "未选择渠床材料，不知是否衬砌"));
    } else if (bed->kind == StandardKind::Lining) {
        const Amount hb = out.enlarged.exists() ? Amount::of(out.enlarged.value().h)
                                                : Amount::absent(out.enlarged.reason());
        HeightFinding lining = liningFreeboardRule(d.h, hb, !continuous, s);
        out.liningTop = lining.height;
        rules.push_back(std::move(lining.rule));
    }
    if (s.use == CanalUse::Irrigation) {
        HeightFinding bank = bankTopWidthRule(s);
        out.bankTopWidth = bank.height;
        rules.push_back(std::move(bank.rule));
    }
    return out;
}

std::string designJson(const DesignCheck& check) {
    std::string json = "{";
    const auto add = [&json](std::string_view key, const std::string& value) {
        if (json.size() > 1) json += ',';
        json += '"';
        json += key;
        json += "\":\"";
        json += value;
        json += '"';
    };
    const auto amount = [&](std::string_view key, const Computed<double>& x) {
        if (x.exists()) add(key, exact(x.value()));
    };
    add("class", exact(check.canalClass));
    amount("p", check.p);
    if (check.enlarged.exists()) {
        const FlowState& b = check.enlarged.value();
        add("Qb", exact(b.Q));
        add("hb", exact(b.h));
        add("vb", exact(b.v));
        add("Bb", exact(b.B));
        add("Rb", exact(b.R));
    }
    amount("Fb", check.Fb);
    amount("Fbend", check.Fbend);
    amount("H", check.H);
    if (check.minimum.exists()) {
        const FlowState& m = check.minimum.value();
        add("Qmin", exact(m.Q));
        add("hmin", exact(m.h));
        add("vmin", exact(m.v));
    }
    if (check.scourDesign.exists()) add("vscour_d", exact(check.scourDesign.value().value));
    if (check.scourEnlarged.exists()) add("vscour_b", exact(check.scourEnlarged.value().value));
    amount("vsilt", check.nonSilting);
    amount("m_min", check.leastSlope);
    amount("lining_top", check.liningTop);
    amount("bank_top", check.bankTopWidth);
    amount("Qmax", check.greatestFlow);
    amount("clearance", check.clearance);
    std::string checks;
    for (const DesignRule& r : check.rules) {
        checks += checks.empty() ? "" : ",";
        checks += "\"" + std::string(r.key) + "\":\"" + std::string(verdictName(r.verdict)) + "\"";
    }
    return json + ",\"checks\":{" + checks + "}}";
}

VelocityLimits velocityLimits(const Channel& channel, const DesignSettings& settings,
                              const BedTables& beds) {
    if (!unphysical(channel).empty()) return {};
    VelocityLimits limits;
    limits.minimum = settings.nonSilting;
    if (const Bed* bed = settings.bed.empty() ? nullptr : beds.find(settings.bed)) {
        const FlowState d = stateAt(channel, channel.Q, channel.h);
        limits.maximum =
            scouringVelocity(*bed, d.h, d.R, settings.density, settings.siltLaden).value;
    }
    return limits;
}

}  // namespace lintavo
