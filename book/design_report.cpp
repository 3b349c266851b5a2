#include "book/design_report.h"

#include "calculators/numbers.h"
#include "calculators/summary.h"

namespace lintavo {

namespace {

std::string chineseNumber(int n) {
    static const char* const digits[] = {"零", "一", "二", "三", "四", "五",
                                         "六", "七", "八", "九", "十"};
    if (n >= 0 && n <= 10) return digits[n];
    if (n < 20) return std::string("十") + digits[n - 10];
    return std::to_string(n);
}

std::string num(double x) {
    return readableNumber(x);
}

ReportCell cell(std::string text, bool alert = false) {
    return {std::move(text), alert};
}

std::vector<ReportCell> stateRow(std::string name, const FlowState& s) {
    return {cell(std::move(name)), cell(num(s.Q)), cell(num(s.h)), cell(num(s.A)),
            cell(num(s.R)),        cell(num(s.B)), cell(num(s.v))};
}

void addChannel(ReportSection& section, const DesignCheck& check, const std::string& heading) {
    auto& blocks = section.blocks;
    if (!heading.empty()) blocks.emplace_back(heading);
    blocks.emplace_back("渠道级别（3.1.5）：" + check.classRule + "。");

    ReportTable flows{{"工况", "流量 Q（m³/s）", "水深 h（m）", "面积 A（m²）", "水力半径 R（m）",
                       "水面宽 B（m）", "流速 v（m/s）"},
                      {}};
    flows.rows.push_back(stateRow("设计流量 Qd", check.design));
    if (check.enlarged.exists()) {
        flows.rows.push_back(
            stateRow("加大流量 Qb（p = " + num(check.p.value()) + "%）", check.enlarged.value()));
    }
    if (check.minimum.exists())
        flows.rows.push_back(stateRow("最小流量 Qmin", check.minimum.value()));
    blocks.emplace_back(std::move(flows));

    if (check.p.exists() && !check.section.empty()) {
        blocks.emplace_back(
            "加大流量（6.3.4）：" + check.pRule + "，Qb = Qd·(1 + p/100)；hb、hmin 为同一" +
            check.section.str() + "断面与 i、n 下的正常水深，按曼宁公式以双精度对分至相邻的两个数" +
            (check.greatestFlow.exists()
                 ? "（圆管取较浅的水深，流量大于最大无压流量 Qmax = " +
                       num(check.greatestFlow.value()) + " m³/s 时无压水深不存在）。"
                 : "，不设 10 m 上限。"));
    } else if (check.p.exists()) {
        blocks.emplace_back("加大流量（6.3.4）：" + check.pRule +
                            "，Qb = Qd·(1 + p/100)；hb、hmin 为同一 b、m、i、n "
                            "下的正常水深，按曼宁公式以双精度对分至相邻的两个数，不设 10 m 上限。");
    } else {
        blocks.emplace_back("加大流量与最小流量：" + std::string(check.p.reason()) + "（6.3.1）。");
    }
    const bool continuous = check.enlarged.exists() || check.p.exists();
    const std::string hName = continuous ? "hb" : "hd";
    if (check.Fb.exists()) {
        std::string text = "岸顶超高与渠深（6.4.8）：Fb = " + hName +
                           "/4 + 0.2 = " + num(check.freeboardDepth) +
                           "/4 + 0.2 = " + num(check.Fb.value()) + " m，H = " + hName + " + Fb";
        if (check.Fbend.exists()) text += " + Fb′";
        text += " = " + num(check.H.value()) + " m。";
        blocks.emplace_back(std::move(text));
    } else if (check.greatestFlow.exists()) {
        blocks.emplace_back(
            "管顶净空：" +
            (check.clearance.exists()
                 ? "D − " + hName + " = " + num(check.clearance.value()) + " m（" +
                       std::string(check.Fb.reason()) + "）。"
                 : "加大流量无自由水面的水深（" + std::string(check.clearance.reason()) + "）。"));
    } else {
        blocks.emplace_back("岸顶超高与渠深（6.4.8）：" + std::to_string(check.canalClass) +
                            " 级渠道" + std::string(check.Fb.reason()) + "。");
    }
    if (check.Fbend.exists()) {
        blocks.emplace_back(
            "弯道凹岸加高（6.4.8）：Fb′ = " + check.bendFormula + " = " + num(check.Fbend.value()) +
            " m（g = 9.81 m/s²），" +
            (check.greatestFlow.exists() ? "凹侧水面升高，占去管顶净空。" : "已计入 H。"));
    } else if (check.Fbend.reason() != "未给定弯道半径") {
        blocks.emplace_back("弯道凹岸加高（6.4.8）：" + std::string(check.Fbend.reason()) + "。");
    }
    if (check.liningTop.exists()) {
        blocks.emplace_back("衬砌顶高（6.4.8）：设计水深以上加衬砌超高，hd + Fl = " +
                            num(check.liningTop.value()) + " m，且不得低于加大水位。");
    }
    if (check.bankTopWidth.exists()) {
        blocks.emplace_back("堤顶宽度（6.4.9）：按渠道类别不小于 " +
                            num(check.bankTopWidth.value()) + " m。");
    }
    if (check.scourDesign.exists()) {
        blocks.emplace_back("设计水深的允许不冲流速（6.3.11、附录 C）：" +
                            check.scourDesign.value().how + "，得 " +
                            num(check.scourDesign.value().value) + " m/s。");
    }
    if (check.scourEnlarged.exists()) {
        blocks.emplace_back("加大水深的允许不冲流速：" + check.scourEnlarged.value().how + "，得 " +
                            num(check.scourEnlarged.value().value) + " m/s。");
    }
    for (const std::string& note : check.notes)
        blocks.emplace_back("注：" + note + "。");

    ReportTable rules{{"校核项目", "条文", "要求", "计算", "结论"}, {}};
    for (const DesignRule& r : check.rules) {
        const bool fails = r.verdict == Verdict::NotMet;
        rules.rows.push_back({cell(std::string(r.name)), cell(std::string(r.clause)),
                              cell(std::string(r.rule)), cell(r.reason, fails),
                              cell(std::string(verdictName(r.verdict)), fails)});
    }
    blocks.emplace_back(std::move(rules));
}

}  // namespace

std::optional<ReportSection> designSection(const PressSummary& summary,
                                           const DesignContext& context, int ordinal) {
    ReportSection section{chineseNumber(ordinal) + "、设计校核", {}};
    section.blocks.emplace_back(
        "按《灌溉与排水工程设计标准》GB 50288-2018 "
        "校核，所用渠道即上文水力要素的渠道（输入值按读入的"
        "数，计算值取截取前的数），设计流量 Qd 即其流量 Q。计算用双精度。");
    ReportTable settings{{"校核设置", "取值"}, {}};
    for (const auto& [name, value] : describeDesignSettings(context.settings))
        settings.rows.push_back({cell(name), cell(value)});
    section.blocks.emplace_back(std::move(settings));
    bool any = false;
    for (const SummaryChannel& s : summary.channels) {
        if (!s.exists()) continue;
        const DesignCheck check = checkDesign(s.channel(), context.settings, context.beds);
        if (!check.exists) {
            if (summary.candidates)
                section.blocks.emplace_back(s.described.heading + "：" + std::string(check.why) +
                                            "，不作设计校核。");
            continue;
        }
        any = true;
        addChannel(section, check, summary.candidates ? s.described.heading : std::string());
    }
    if (!any) return std::nullopt;
    return section;
}

void markDesignLevels(ReportChannel& channel, const DesignContext& context) {
    if (!channel.exists) return;
    const DesignCheck check = checkDesign(channel.channel, context.settings, context.beds);
    if (!check.exists) return;
    if (check.enlarged.exists()) channel.enlargedDepth = check.enlarged.value().h;
    if (check.H.exists()) channel.bankHeight = check.H.value();
    if (check.bankTopWidth.exists()) channel.bankTopWidth = check.bankTopWidth.value();
}

std::string designObject(const Channel& channel, const DesignContext& context) {
    const DesignCheck check = checkDesign(channel, context.settings, context.beds);
    return check.exists ? designJson(check) : std::string();
}

}  // namespace lintavo
