#include "canal/profile.h"

#include <algorithm>
#include <cmath>

#include "hydraulics/failure.h"
#include "hydraulics/number_text.h"

namespace lintavo {

namespace {

// A number field of a reach or a control, or the sentence saying why it is not one.
std::optional<double> readNumber(const std::string& text, std::string_view what, bool slope,
                                 std::vector<std::string>& problems) {
    if (isBlankText(text)) {
        problems.push_back(std::string(what) + "未填写。");
        return std::nullopt;
    }
    try {
        const double x = slope ? parseSlopeInputDouble(text) : parseInputDouble(text);
        if (std::isfinite(x)) return x;
    } catch (const CalculationFailure&) {
    }
    problems.push_back(std::string(what) + "“" + text + "”不是数。");
    return std::nullopt;
}

std::optional<double> readStation(const std::string& text, std::string_view what,
                                  std::vector<std::string>& problems) {
    if (const std::optional<double> station = parseStation(text)) return station;
    problems.push_back(std::string(what) + "“" + text + "”无法识别，应写作 K1+250 或以米计的数。");
    return std::nullopt;
}

// Stations read from texts are the same double when they name the same place; a hair's
// difference from a computation is no gap.
bool sameStation(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(a));
}

void computeSection(ReachResult& r, const Reach& reach, const DesignSettings& settings,
                    const BedTables& beds) {
    r.Q = readNumber(reach.Q, "流量 Q", false, r.problems);
    r.b = readNumber(reach.b, "底宽 b", false, r.problems);
    r.m = readNumber(reach.m, "边坡系数 m", false, r.problems);
    r.i = readNumber(reach.i, "底坡 i", true, r.problems);
    r.n = readNumber(reach.n, "糙率 n", false, r.problems);
    if (!r.Q || !r.b || !r.m || !r.i || !r.n) return;
    Channel channel{.Q = *r.Q, .b = *r.b, .h = 1, .m = *r.m, .i = *r.i, .n = *r.n};
    if (const StaticText why = unphysical(channel); !why.empty()) {
        r.problems.push_back("无法计算正常水深：" + std::string(why) + "。");
        return;
    }
    const Computed<double> h = designNormalDepth(*r.Q, channel);
    if (!h.exists()) {
        r.problems.push_back("无法计算正常水深：" + std::string(h.reason()) + "。");
        return;
    }
    channel.h = h.value();
    r.h = h.value();
    DesignCheck check = checkDesign(channel, settings, beds);
    if (!check.exists) {
        r.problems.push_back("无法进行设计校核：" + std::string(check.why) + "。");
        return;
    }
    r.v = check.design.v;
    if (check.enlarged.exists()) r.hb = check.enlarged.value().h;
    if (check.H.exists()) r.H = check.H.value();
    r.check = std::move(check);
}

}  // namespace

bool ReachResult::anyNotMet() const {
    if (!check) return false;
    return std::any_of(check->rules.begin(), check->rules.end(),
                       [](const DesignRule& rule) { return rule.verdict == Verdict::NotMet; });
}

bool CanalProfile::anyFailed() const {
    return !problems.empty() ||
           std::any_of(reaches.begin(), reaches.end(),
                       [](const ReachResult& r) { return !r.computed(); }) ||
           std::any_of(controls.begin(), controls.end(),
                       [](const ControlResult& c) { return !c.problem.empty(); });
}

bool CanalProfile::allMet() const {
    return !anyFailed() && inletLevel &&
           std::none_of(reaches.begin(), reaches.end(),
                        [](const ReachResult& r) { return r.anyNotMet(); });
}

CanalProfile computeProfile(const Project& project, const BedTables& beds) {
    CanalProfile profile;
    if (project.reaches.empty()) profile.problems.emplace_back("工程中没有渠段。");

    // Each reach on its own: stations, inputs, section and check.
    for (std::size_t k = 0; k < project.reaches.size(); ++k) {
        const Reach& reach = project.reaches[k];
        ReachResult& r = profile.reaches.emplace_back();
        r.name = reach.name;
        r.from = readStation(reach.from, "起点桩号", r.problems);
        r.to = readStation(reach.to, "终点桩号", r.problems);
        if (r.from && r.to) {
            if (*r.to > *r.from) {
                r.L = *r.to - *r.from;
            } else {
                r.problems.push_back("终点桩号 " + formatStation(*r.to) + " 应在起点桩号 " +
                                     formatStation(*r.from) + " 之后。");
            }
        }
        if (k > 0 && r.from && profile.reaches[k - 1].to) {
            const double before = *profile.reaches[k - 1].to;
            if (*r.from > before && !sameStation(*r.from, before)) {
                r.problems.push_back("桩号 " + formatStation(before) + " 与 " +
                                     formatStation(*r.from) + " 之间有空缺，渠段应首尾相接。");
                r.from.reset();  // the levels cannot cross the gap
            } else if (*r.from < before && !sameStation(*r.from, before)) {
                r.problems.push_back("桩号 " + formatStation(*r.from) + " 至 " +
                                     formatStation(before) + " 与上一渠段重叠，渠段应首尾相接。");
                r.from.reset();
            }
        }
        if (isBlankText(reach.loss)) {
            r.loss = 0;
        } else if (const std::optional<double> loss =
                       readNumber(reach.loss, "局部水头损失 Δh", false, r.problems)) {
            if (*loss >= 0) {
                r.loss = *loss;
            } else {
                r.lossRead = false;
                r.problems.emplace_back("局部水头损失 Δh 不能为负。");
            }
        } else {
            r.lossRead = false;
        }
        computeSection(r, reach, project.settings, beds);
    }

    // The drop from the inlet to each reach's upstream end, Σ(i·L) + ΣΔh over the reaches
    // before it, as far as every fall and loss on the way is known.
    std::vector<double> drop;
    for (std::size_t k = 0; k < profile.reaches.size(); ++k) {
        const ReachResult& r = profile.reaches[k];
        if (!r.from || !r.L || !r.i) break;
        if (k == 0) {
            drop.push_back(0);
            continue;
        }
        const ReachResult& up = profile.reaches[k - 1];
        if (!up.lossRead) break;
        drop.push_back(drop.back() + *up.i * *up.L + up.loss);
    }
    const std::size_t chained = drop.size();

    // The controls.
    for (const ControlPoint& point : project.levels.controls) {
        ControlResult& c = profile.controls.emplace_back();
        std::vector<std::string> why;
        c.station = readStation(point.station, "控制点桩号", why);
        const std::optional<double> ground = readNumber(point.ground, "地面高程", false, why);
        const std::optional<double> h0 = readNumber(point.h0, "水面超出地面的高度 h0", false, why);
        if (ground && h0) c.required = *ground + *h0;
        if (c.station) {
            bool found = false;
            for (std::size_t k = 0; k < profile.reaches.size() && !found; ++k) {
                const ReachResult& r = profile.reaches[k];
                const std::optional<double> from = r.from  ? r.from
                                                   : k > 0 ? profile.reaches[k - 1].to
                                                           : std::nullopt;
                const double s = *c.station;
                if (!from || !r.to || (s < *from && !sameStation(s, *from)) ||
                    (s > *r.to && !sameStation(s, *r.to)))
                    continue;
                found = true;
                c.reach = k;
                if (k >= chained) {
                    why.push_back("控制点 " + formatStation(*c.station) + " 以上的渠段“" +
                                  profile.reaches[chained].name + "”无法推算水位。");
                } else if (c.required) {
                    c.inletNeeds = *c.required + drop[k] + *r.i * (*c.station - *r.from);
                }
            }
            if (!found) {
                const std::string span = !profile.reaches.empty() && profile.reaches.front().from &&
                                                 profile.reaches.back().to
                                             ? "（" + formatStation(*profile.reaches.front().from) +
                                                   "～" +
                                                   formatStation(*profile.reaches.back().to) + "）"
                                             : "";
                why.push_back("控制点桩号 " + formatStation(*c.station) + " 不在渠道范围" + span +
                              "内。");
            }
        }
        for (const std::string& sentence : why)
            c.problem += sentence;
    }

    // The inlet level.
    if (!profile.reaches.empty() && profile.reaches.front().from)
        profile.inletStation = profile.reaches.front().from;
    if (project.levels.headLevel) {
        std::vector<std::string> why;
        profile.inletLevel = readNumber(*project.levels.headLevel, "渠首水位", false, why);
        profile.fromHead = profile.inletLevel.has_value();
        for (const std::string& sentence : why)
            profile.problems.push_back(sentence);
    } else if (!project.levels.controls.empty()) {
        for (std::size_t k = 0; k < profile.controls.size(); ++k) {
            const ControlResult& c = profile.controls[k];
            if (c.inletNeeds && (!profile.inletLevel || *c.inletNeeds > *profile.inletLevel)) {
                profile.inletLevel = c.inletNeeds;
                profile.governing = k;
            }
        }
        if (!profile.inletLevel)
            profile.problems.emplace_back("没有一个控制点能推算出渠首设计水位。");
    } else {
        profile.problems.emplace_back("工程没有给出控制点或渠首水位，无法推算设计水位。");
    }
    if (!profile.inletLevel) return profile;

    // Down the canal.
    double level = *profile.inletLevel;
    for (std::size_t k = 0; k < chained; ++k) {
        ReachResult& r = profile.reaches[k];
        const EndLevels wl{level, level - *r.i * *r.L};
        r.wl = wl;
        if (r.h) {
            const EndLevels bed{wl.up - *r.h, wl.down - *r.h};
            r.bed = bed;
            if (r.hb) r.wlb = EndLevels{bed.up + *r.hb, bed.down + *r.hb};
            if (r.H) r.bank = EndLevels{bed.up + *r.H, bed.down + *r.H};
        }
        level = wl.down - r.loss;
    }
    for (std::size_t k = 0; k + 1 < profile.reaches.size(); ++k) {
        const ReachResult& here = profile.reaches[k];
        const ReachResult& next = profile.reaches[k + 1];
        if (here.bed && next.bed) profile.reaches[k].bedStep = here.bed->down - next.bed->up;
    }
    for (ControlResult& c : profile.controls) {
        if (!c.station || !c.required || c.reach >= chained || !c.problem.empty()) continue;
        const ReachResult& r = profile.reaches[c.reach];
        c.wl = r.wl->up - *r.i * (*c.station - *r.from);
        c.margin = *c.wl - *c.required;
    }
    return profile;
}

namespace {

void addNumber(JsonObject& members, std::string_view key, const std::optional<double>& x) {
    if (x && std::isfinite(*x)) members.emplace_back(std::string(key), JsonValue::number(*x));
}

void addEnds(JsonObject& members, std::string_view key, const std::optional<EndLevels>& ends) {
    if (!ends) return;
    addNumber(members, std::string(key) + "_up", ends->up);
    addNumber(members, std::string(key) + "_down", ends->down);
}

JsonValue problemList(const std::vector<std::string>& problems) {
    JsonValue list;
    list.kind = JsonValue::Kind::Array;
    for (const std::string& problem : problems)
        list.items.push_back(JsonValue::string(problem));
    return list;
}

}  // namespace

std::string profileJson(const CanalProfile& profile) {
    JsonObject root;
    JsonObject inlet;
    addNumber(inlet, "station", profile.inletStation);
    addNumber(inlet, "wl", profile.inletLevel);
    root.emplace_back("inlet", JsonValue::object(std::move(inlet)));

    JsonValue reaches;
    reaches.kind = JsonValue::Kind::Array;
    for (const ReachResult& r : profile.reaches) {
        JsonObject members{{"name", JsonValue::string(r.name)}};
        addNumber(members, "from", r.from);
        addNumber(members, "to", r.to);
        addNumber(members, "L", r.L);
        addNumber(members, "Q", r.Q);
        addNumber(members, "h", r.h);
        addNumber(members, "v", r.v);
        addNumber(members, "hb", r.hb);
        addNumber(members, "H", r.H);
        addEnds(members, "wl", r.wl);
        addEnds(members, "bed", r.bed);
        addEnds(members, "wlb", r.wlb);
        addEnds(members, "bank", r.bank);
        JsonObject checks;
        if (r.check) {
            for (const DesignRule& rule : r.check->rules)
                checks.emplace_back(std::string(rule.key),
                                    JsonValue::string(std::string(verdictName(rule.verdict))));
        }
        members.emplace_back("checks", JsonValue::object(std::move(checks)));
        if (r.lossRead) addNumber(members, "loss", r.loss);
        addNumber(members, "bed_step", r.bedStep);
        if (!r.problems.empty()) members.emplace_back("problems", problemList(r.problems));
        reaches.items.push_back(JsonValue::object(std::move(members)));
    }
    root.emplace_back("reaches", std::move(reaches));

    JsonValue controls;
    controls.kind = JsonValue::Kind::Array;
    for (std::size_t k = 0; k < profile.controls.size(); ++k) {
        const ControlResult& c = profile.controls[k];
        JsonObject members;
        addNumber(members, "station", c.station);
        addNumber(members, "required", c.required);
        addNumber(members, "wl", c.wl);
        addNumber(members, "margin", c.margin);
        addNumber(members, "inlet_needs", c.inletNeeds);
        if (profile.governing == k) {
            JsonValue yes;
            yes.kind = JsonValue::Kind::Bool;
            yes.boolean = true;
            members.emplace_back("governing", yes);
        }
        if (!c.problem.empty()) members.emplace_back("problems", problemList({c.problem}));
        controls.items.push_back(JsonValue::object(std::move(members)));
    }
    root.emplace_back("controls", std::move(controls));
    if (!profile.problems.empty()) root.emplace_back("problems", problemList(profile.problems));
    return writeJson(JsonValue::object(std::move(root))) + "\n";
}

std::vector<std::vector<ResultCell>> resultTable(const CanalProfile& profile,
                                                 const Project& project) {
    std::vector<std::vector<ResultCell>> table;
    std::vector<ResultCell> header;
    for (const char* title : {"名称",
                              "起点桩号",
                              "终点桩号",
                              "长度L(m)",
                              "流量Q(m³/s)",
                              "底宽b(m)",
                              "边坡系数m",
                              "底坡i",
                              "糙率n",
                              "水深h(m)",
                              "流速v(m/s)",
                              "加大水深hb(m)",
                              "渠高H(m)",
                              "起点设计水位(m)",
                              "终点设计水位(m)",
                              "起点渠底高程(m)",
                              "终点渠底高程(m)",
                              "起点加大水位(m)",
                              "终点加大水位(m)",
                              "起点堤顶高程(m)",
                              "终点堤顶高程(m)",
                              "局部水头损失Δh(m)",
                              "校核",
                              "说明"})
        header.push_back({title, false});
    table.push_back(std::move(header));

    const auto number = [](const std::optional<double>& x) {
        if (!x) return ResultCell{};
        const std::optional<std::string> text = jsonNumber(*x);
        return text ? ResultCell{*text, true} : ResultCell{};
    };
    for (std::size_t k = 0; k < profile.reaches.size(); ++k) {
        const ReachResult& r = profile.reaches[k];
        const Reach* typed = k < project.reaches.size() ? &project.reaches[k] : nullptr;
        std::vector<ResultCell> row;
        row.push_back({r.name, false});
        row.push_back({r.from ? formatStation(*r.from) : typed ? typed->from : "", false});
        row.push_back({r.to ? formatStation(*r.to) : typed ? typed->to : "", false});
        for (const auto& x : {r.L, r.Q, r.b, r.m, r.i, r.n, r.h, r.v, r.hb, r.H})
            row.push_back(number(x));
        for (const auto& ends : {r.wl, r.bed, r.wlb, r.bank}) {
            row.push_back(number(ends ? std::optional(ends->up) : std::nullopt));
            row.push_back(number(ends ? std::optional(ends->down) : std::nullopt));
        }
        row.push_back(r.lossRead ? number(r.loss) : ResultCell{});
        std::string verdicts;
        std::string notes;
        if (r.check) {
            for (const DesignRule& rule : r.check->rules) {
                if (rule.verdict != Verdict::NotMet) continue;
                verdicts += (verdicts.empty() ? "" : "；") + std::string(rule.name) + "不满足";
            }
            if (verdicts.empty()) verdicts = "满足";
        }
        for (const std::string& problem : r.problems)
            notes += problem;
        row.push_back({verdicts, false});
        row.push_back({notes, false});
        table.push_back(std::move(row));
    }
    return table;
}

}  // namespace lintavo
