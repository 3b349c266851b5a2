#include "formats/canal_book.h"

#include <cstdio>

#include "book/design_report.h"
#include "calculators/batch.h"
#include "calculators/numbers.h"

namespace lintavo {

namespace {

// Levels and lengths to the millimetre, as the profile's table and drawing write them.
std::string mm(double x) {
    return levelText(x);
}

std::string mmOr(const std::optional<double>& x) {
    return x ? mm(*x) : std::string("—");
}

std::string station(const std::optional<double>& metres) {
    return metres ? formatStation(*metres) : std::string("—");
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& p : parts)
        text += p;
    return text;
}

// What the inlet needs for one control, written out term by term: the falls of the reaches
// up to it and the losses of the structures passed on the way.
ReportText controlSum(const ControlResult& c, const ControlPoint& typed,
                      const std::vector<ReachResult>& reaches) {
    std::string text = "控制点 " + station(c.station) + "（地面高程 A0 = " + typed.ground +
                       " m，h0 = " + typed.h0 + " m）：";
    if (!c.problem.empty() || !c.inletNeeds || !c.required || !c.station)
        return ReportText(text + (c.problem.empty() ? std::string("无法推算。") : c.problem));
    std::vector<std::string> falls;
    std::vector<std::string> losses;
    for (std::size_t k = 0; k <= c.reach && k < reaches.size(); ++k) {
        const ReachResult& r = reaches[k];
        if (!r.i || !r.from) continue;
        const double length = k < c.reach ? r.L.value_or(0) : *c.station - *r.from;
        falls.push_back(mm(*r.i * length));
        if (k < c.reach && r.loss != 0) losses.push_back(mm(r.loss));
    }
    const auto sum = [](const std::vector<std::string>& terms) {
        if (terms.empty()) return std::string("0");
        std::string s = terms.size() > 1 ? "(" : "";
        for (std::size_t k = 0; k < terms.size(); ++k)
            s += (k > 0 ? " + " : "") + terms[k];
        return s + (terms.size() > 1 ? ")" : "");
    };
    text += "H = A0 + h0 + Σ(i·L) + ΣΔh = " + typed.ground + " + " + typed.h0 + " + " + sum(falls) +
            " + " + sum(losses) + " = " + mm(*c.inletNeeds) + " m";
    if (c.wl && c.margin) text += "；推算水位 " + mm(*c.wl) + " m，富余 " + mm(*c.margin) + " m";
    return ReportText(text + "。");
}

ReportSection profileSection(const Project& project, const CanalProfile& profile) {
    ReportSection section{"一、水面线推算", {}, ReportFigure::None};
    auto& blocks = section.blocks;
    blocks.emplace_back(ReportText(
        "按 GB 50288-2018 第 6.3.8 条，渠首设计水位自控制点推算：H进 = A0 + h0 + Σ(i·L) + ΣΔh，"
        "A0 为控制点地面高程，h0 为控制点要求的水深，Σ(i·L) 为渠首至控制点各渠段的沿程水头损失，"
        "ΣΔh 为其间建筑物的局部水头损失。"));
    for (const std::string& p : profile.problems)
        blocks.emplace_back(ReportText(p));
    for (std::size_t k = 0; k < profile.controls.size(); ++k) {
        const ControlPoint typed =
            k < project.levels.controls.size() ? project.levels.controls[k] : ControlPoint{};
        blocks.emplace_back(controlSum(profile.controls[k], typed, profile.reaches));
    }
    if (profile.inletLevel) {
        std::string inlet = "渠首（" + station(profile.inletStation) +
                            "）设计水位 H进 = " + mm(*profile.inletLevel) + " m";
        if (profile.fromHead)
            inlet += "，按给定的渠首水位。";
        else if (profile.governing)
            inlet += "，取各控制点所需水位的最高值（控制点 " +
                     station(profile.controls[*profile.governing].station) + "）。";
        else
            inlet += "。";
        blocks.emplace_back(ReportText(inlet));
    }
    if (!profile.controls.empty()) {
        ReportTable t;
        t.header = {"控制点桩号", "A0 + h0 (m)", "渠首所需水位 (m)", "推算水位 (m)", "富余 (m)"};
        for (const ControlResult& c : profile.controls) {
            const bool short_ = c.margin && *c.margin < 0;
            t.rows.push_back({ReportCell(station(c.station)), ReportCell(mmOr(c.required)),
                              ReportCell(mmOr(c.inletNeeds)), ReportCell(mmOr(c.wl)),
                              ReportCell(mmOr(c.margin), short_)});
        }
        blocks.emplace_back(std::move(t));
    }
    blocks.emplace_back(
        ReportText("自渠首向下游：各渠段设计水位沿程降落 i·L，在下游端建筑物处再降落 Δh；渠底高程 "
                   "= 设计水位 − h，"
                   "加大水位 = 渠底高程 + hb，堤顶高程 = 渠底高程 + H。"));
    ReportTable levels;
    levels.header = {"渠段",   "起点桩号",     "终点桩号",     "L (m)",        "i",
                     "h (m)",  "设计水位 (m)", "渠底高程 (m)", "加大水位 (m)", "堤顶高程 (m)",
                     "Δh (m)", "说明"};
    const auto ends = [](const std::optional<EndLevels>& e) {
        return e ? mm(e->up) + "～" + mm(e->down) : std::string("—");
    };
    for (std::size_t k = 0; k < profile.reaches.size(); ++k) {
        const ReachResult& r = profile.reaches[k];
        const std::string slope = k < project.reaches.size() ? project.reaches[k].i : "";
        std::string note = joined(r.problems);
        if (r.bedStep && *r.bedStep > 0) note += "下游端渠底跌落 " + mm(*r.bedStep) + " m。";
        if (r.bedStep && *r.bedStep < 0) note += "下游端渠底抬高 " + mm(-*r.bedStep) + " m。";
        const bool failing = !r.problems.empty();
        levels.rows.push_back(
            {ReportCell(r.name), ReportCell(station(r.from)), ReportCell(station(r.to)),
             ReportCell(mmOr(r.L)), ReportCell(slope), ReportCell(mmOr(r.h)),
             ReportCell(ends(r.wl)), ReportCell(ends(r.bed)), ReportCell(ends(r.wlb)),
             ReportCell(ends(r.bank)), ReportCell(mm(r.loss)), ReportCell(note, failing)});
    }
    blocks.emplace_back(std::move(levels));
    return section;
}

// The reach's own book: the normal-depth press on its inputs as typed, with the design check.
CalculationReport reachReport(const Reach& reach, const DesignContext& context,
                              const std::string& when, const std::string& program) {
    const CalculatorTable* table = calculationNamed("normal-depth");
    std::vector<std::string> inputs;
    for (const std::string& caption : batchColumns(*table)) {
        switch (quantityOfHeader(caption)) {
            case 'Q':
                inputs.push_back(reach.Q);
                break;
            case 'b':
                inputs.push_back(reach.b);
                break;
            case 'm':
                inputs.push_back(reach.m);
                break;
            case 'i':
                inputs.push_back(reach.i);
                break;
            case 'n':
                inputs.push_back(reach.n);
                break;
            default:
                break;
        }
    }
    Record record;
    runPress(table->press, inputs, record);
    return buildReport(*table, record, when, program, &context);
}

}  // namespace

CanalBook canalBook(const Project& project, const CanalProfile& profile, const BedTables& beds,
                    std::string when, std::string program) {
    CanalBook book;
    book.filed.project = project.info.name;
    book.filed.title =
        (project.info.canal.empty() ? std::string("渠道") : project.info.canal) + " 计算书";
    book.filed.designer = project.info.designer;
    book.filed.checker = project.info.checker;
    book.filed.reviewer = project.info.reviewer;
    book.program = std::move(program);
    book.when = std::move(when);
    book.profile = profileSection(project, profile);
    const DesignContext context{project.settings, beds};
    for (std::size_t k = 0; k < project.reaches.size(); ++k) {
        const Reach& reach = project.reaches[k];
        std::string heading = "第 " + std::to_string(k + 1) + " 段　" + reach.name;
        if (!reach.from.empty() || !reach.to.empty())
            heading += "（" + reach.from + "～" + reach.to + "）";
        CalculationReport report = reachReport(reach, context, book.when, book.program);
        report.filed = book.filed;
        book.chapters.push_back({std::move(heading), std::move(report)});
    }
    return book;
}

std::vector<ProfileReach> profileReaches(const CanalProfile& profile, const Project& project) {
    std::vector<ProfileReach> drawn;
    const auto ends = [](const std::optional<EndLevels>& e) {
        return e ? std::optional<ProfileEnds>(ProfileEnds{e->up, e->down}) : std::nullopt;
    };
    for (std::size_t k = 0; k < profile.reaches.size(); ++k) {
        const ReachResult& r = profile.reaches[k];
        if (!r.from || !r.to || !(*r.to > *r.from)) continue;
        ProfileReach p;
        p.name = r.name;
        p.from = *r.from;
        p.to = *r.to;
        p.slope = k < project.reaches.size() ? project.reaches[k].i : std::string();
        p.bed = ends(r.bed);
        p.wl = ends(r.wl);
        p.wlb = ends(r.wlb);
        p.bank = ends(r.bank);
        drawn.push_back(std::move(p));
    }
    return drawn;
}

std::vector<SectionOutline> reachSections(const CanalProfile& profile) {
    std::vector<SectionOutline> sections;
    for (std::size_t k = 0; k < profile.reaches.size(); ++k) {
        const ReachResult& r = profile.reaches[k];
        if (!r.b || !r.m || !r.h || !drawableToScale(*r.b, *r.h, *r.m)) continue;
        SectionOutline s;
        s.b = *r.b;
        s.m = *r.m;
        s.h = *r.h;
        s.enlargedDepth = r.hb;
        s.bankHeight = r.H;
        s.title = r.name.empty() ? "第 " + std::to_string(k + 1) + " 段" : r.name;
        s.depthText = mm(*r.h);
        sections.push_back(std::move(s));
    }
    return sections;
}

std::optional<std::string> reachSectionsDxf(const CanalProfile& profile,
                                            const DrawingSheet& sheet) {
    const std::vector<SectionOutline> sections = reachSections(profile);
    if (sections.empty()) return std::nullopt;
    return dxf::write(sectionDrawing(sections, fittingScale(sections), sheet));
}

}  // namespace lintavo
