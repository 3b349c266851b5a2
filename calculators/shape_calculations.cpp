// The windows of the section shapes' calculations and their presses: the U-shaped channel,
// the arc-toe trapezoid and the circular conduit, each by discharge and by normal depth.

#include "calculators/shape_calculations.h"

#include <algorithm>
#include <array>

#include "calculators/catalogue.h"
#include "hydraulics/shape.h"
#include "hydraulics/shape_flow.h"

namespace lintavo {

namespace {

// Refuses the press with the reason the shape's hydraulics gave.
[[noreturn]] void refuse(Record* record, std::string reason, FailureKind kind) {
    if (record != nullptr) record->remark = std::move(reason);
    throw CalculationFailure(kind);
}

std::string cutText(double x) {
    return formatResult(floorTruncate(Value::dbl(x), 3));
}

// Keeps the section at depth h in the record step by step, each figure as the shape computes
// it; uSectionSteps and the others say how the book writes them.
void notedSection(const SectionShape& shape, double h, Record* record) {
    if (record == nullptr) return;
    const SectionWorking w = sectionWorking(shape, h);
    if (std::holds_alternative<Circle>(shape)) {
        noted(record, "θ", Value::dbl(2.0 * w.theta));  // the whole central angle
    } else {
        noted(record, "h1", Value::dbl(w.h1));
        if (w.withinArcs) {
            noted(record, "θ", Value::dbl(w.theta));
        } else {
            noted(record, "θ0", Value::dbl(w.theta));
            if (std::holds_alternative<ArcBottom>(shape)) noted(record, "m", Value::dbl(w.m));
            noted(record, "b1", Value::dbl(w.b1));
            noted(record, "A1", Value::dbl(w.A1));
        }
    }
    noted(record, "A", Value::dbl(w.at.A));
    noted(record, "P", Value::dbl(w.at.P));
    noted(record, "B", Value::dbl(w.at.T));
    noted(record, "R", Value::dbl(w.at.A / w.at.P));
}

Texts discharge(const SectionShape& shape, double h, double i, double n, Record* record) {
    const Computed<ShapeFlow> flow = manningFlow(shape, h, i, n);
    if (!flow.exists()) refuse(record, flow.reason().str(), FailureKind::InvalidArgument);
    notedSection(shape, h, record);
    const Value Q = noted(record, "Q", Value::dbl(flow.value().Q));
    const Value v = noted(record, "v", Value::dbl(flow.value().v));
    return writeResults(record, {{'Q', Q, toThreeDecimals}, {'v', v, toThreeDecimals}});
}

Texts depth(const SectionShape& shape, double Q, double i, double n, Record* record) {
    const Computed<NormalDepth> found = normalDepth(shape, Q, i, n);
    if (!found.exists()) {
        std::string reason = found.reason().str();
        if (const auto* circle = std::get_if<Circle>(&shape); circle != nullptr && Q > 0.0) {
            const PeakFlow peak = peakFlow(*circle, i, n);
            if (Q > peak.Q) {
                reason = "流量 Q 大于该圆管无压流的最大流量 " + cutText(peak.Q) + " m³/s（水深约 " +
                         cutText(peak.h) + " m 时），管内为压力流，没有自由水面的正常水深。";
            }
        }
        refuse(record, std::move(reason), FailureKind::NoSolution);
    }
    const Value h = noted(record, "h", Value::dbl(found.value().h));
    if (const auto other = found.value().other) {
        noted(record, "h2", Value::dbl(*other));
        if (record != nullptr) {
            record->remark =
                "另一水深 " + cutText(*other) +
                " m 也通过此流量（流量介于满管流量与最大无压流量之间），此处取较浅者。";
        }
    }
    notedSection(shape, h.number(), record);
    if (record != nullptr) noted(record, "v", Value::dbl(Q / record->valueOf("A")->number()));
    return writeResults(record, {{'h', h, toThreeDecimals}});
}

}  // namespace

Texts pressUDischarge(std::span<const std::string> inputs, Record* record) {
    const auto [r, a, h, i, n] = readInputs(inputs, "rahin", record, readDoubles);
    return discharge(ArcBottom{r, a}, h, i, n, record);
}

Texts pressUNormalDepth(std::span<const std::string> inputs, Record* record) {
    const auto [Q, r, a, i, n] = readInputs(inputs, "Qrain", record, readDoubles);
    return depth(ArcBottom{r, a}, Q, i, n, record);
}

Texts pressArcToeDischarge(std::span<const std::string> inputs, Record* record) {
    const auto [b, r, m, h, i, n] = readInputs(inputs, "brmhin", record, readDoubles);
    return discharge(ArcToeTrapezoid{b, r, m}, h, i, n, record);
}

Texts pressArcToeNormalDepth(std::span<const std::string> inputs, Record* record) {
    const auto [Q, b, r, m, i, n] = readInputs(inputs, "Qbrmin", record, readDoubles);
    return depth(ArcToeTrapezoid{b, r, m}, Q, i, n, record);
}

Texts pressCircleDischarge(std::span<const std::string> inputs, Record* record) {
    const auto [D, h, i, n] = readInputs(inputs, "Dhin", record, readDoubles);
    return discharge(Circle{D}, h, i, n, record);
}

Texts pressCircleNormalDepth(std::span<const std::string> inputs, Record* record) {
    const auto [Q, D, i, n] = readInputs(inputs, "QDin", record, readDoubles);
    return depth(Circle{D}, Q, i, n, record);
}

FailureCause explainShapeFailure(const Record& record) {
    const StaticText step = record.nextStep({"A", "h", "P", "R", "Q", "v"});
    const bool depthSought = !record.inputs.empty() && record.inputs.front().symbol == 'Q';
    return {step, record.remark, depthSought ? "Q" : "h"};
}

Description describeShapeChannel(const Record& record) {
    Description own = describeOwnChannel(record);
    Channel& channel = own.channels.front().channel;
    const auto has = [&record](char symbol) {
        return std::any_of(record.inputs.begin(), record.inputs.end(),
                           [symbol](const RecordedInput& input) { return input.symbol == symbol; });
    };
    if (has('D')) {
        channel.shape = Circle{record.input('D')};
    } else if (has('a')) {
        channel.shape = ArcBottom{record.input('r'), record.input('a')};
    } else {
        channel.shape = ArcToeTrapezoid{channel.b, record.input('r'), channel.m};
    }
    channel.m = sideSlopeOf(*channel.shape);
    own.channels.front().ownSection = false;
    return own;
}

namespace {

using enum ControlKind;
using namespace frame;

// clang-format off
constexpr ControlRow uDischargeControls[] = {
    {Label,  "Label1", title, {2616, 720, 2652, 336}, std::nullopt, Ink::Default, NoTab, {}, Align::Centre},
    {Label,  "Label2", "圆弧半径r", {240, 1488, 1200, 300}, std::nullopt},
    {Label,  "Label3", "外倾角α", {2736, 1488, 1212, 300}, std::nullopt},
    {Label,  "Label4", "水深h", {5520, 1488, 1260, 300}, std::nullopt},
    {Label,  "Label5", "底坡i", {240, 2448, 1200, 300}, std::nullopt},
    {Label,  "Label6", "糙率n", {2736, 2448, 1212, 300}, std::nullopt},
    {Label,  "Label7", "流量Q", {600, 3600, 1260, 300}, resultFont, Ink::Blue},
    {Label,  "Label8", "流速v", {4632, 3600, 1260, 300}, resultFont, Ink::Blue},
    {Field,  "yhr7", " ", {1464, 1488, 1068, 396}, inputFont, Ink::Default, 0, input(0)},
    {Field,  "wqa7", " ", {3960, 1488, 1068, 396}, inputFont, Ink::Default, 1, input(1)},
    {Field,  "ssh7", " ", {7032, 1488, 1068, 396}, inputFont, Ink::Default, 2, input(2)},
    {Field,  "dpi7", " ", {1464, 2448, 1068, 396}, inputFont, Ink::Default, 3, input(3)},
    {Field,  "cln7", " ", {3960, 2448, 1068, 396}, inputFont, Ink::Default, 4, input(4)},
    {Field,  "llQ7", " ", {2328, 3504, 1452, 492}, resultFont, Ink::Red, 5, output(0)},
    {Field,  "lsv7", " ", {5880, 3504, 1452, 492}, resultFont, Ink::Red, 6, output(1)},
    {Button, "计算7", "计算", {2040, 4680, 972, 348}, std::nullopt, Ink::Default, 7, computeButton},
    {Button, "返回7", "返回", {3840, 4680, 972, 348}, std::nullopt, Ink::Default, 8, returnButton},
    {Button, "结束7", "结束", {5640, 4680, 972, 348}, std::nullopt, Ink::Default, 9, endButton},
};

constexpr ControlRow uNormalDepthControls[] = {
    {Label,  "Label1", title, {2616, 720, 2652, 336}, std::nullopt, Ink::Default, NoTab, {}, Align::Centre},
    {Label,  "Label2", "流量Q", {240, 1488, 1200, 300}, std::nullopt},
    {Label,  "Label3", "圆弧半径r", {2736, 1488, 1212, 300}, std::nullopt},
    {Label,  "Label4", "外倾角α", {5520, 1488, 1260, 300}, std::nullopt},
    {Label,  "Label5", "底坡i", {240, 2448, 1200, 300}, std::nullopt},
    {Label,  "Label6", "糙率n", {2736, 2448, 1212, 300}, std::nullopt},
    {Label,  "Label7", "水深h", {600, 3600, 1260, 300}, resultFont, Ink::Blue},
    {Field,  "llQ8", " ", {1464, 1488, 1068, 396}, inputFont, Ink::Default, 0, input(0)},
    {Field,  "yhr8", " ", {3960, 1488, 1068, 396}, inputFont, Ink::Default, 1, input(1)},
    {Field,  "wqa8", " ", {7032, 1488, 1068, 396}, inputFont, Ink::Default, 2, input(2)},
    {Field,  "dpi8", " ", {1464, 2448, 1068, 396}, inputFont, Ink::Default, 3, input(3)},
    {Field,  "cln8", " ", {3960, 2448, 1068, 396}, inputFont, Ink::Default, 4, input(4)},
    {Field,  "ssh8", " ", {2328, 3504, 1452, 492}, resultFont, Ink::Red, 5, output(0)},
    {Button, "计算8", "计算", {2040, 4680, 972, 348}, std::nullopt, Ink::Default, 6, computeButton},
    {Button, "返回8", "返回", {3840, 4680, 972, 348}, std::nullopt, Ink::Default, 7, returnButton},
    {Button, "结束8", "结束", {5640, 4680, 972, 348}, std::nullopt, Ink::Default, 8, endButton},
};

constexpr ControlRow arcToeDischargeControls[] = {
    {Label,  "Label1", title, {2616, 720, 2652, 336}, std::nullopt, Ink::Default, NoTab, {}, Align::Centre},
    {Label,  "Label2", "底宽b", {240, 1488, 1200, 300}, std::nullopt},
    {Label,  "Label3", "圆弧半径r", {2736, 1488, 1212, 300}, std::nullopt},
    {Label,  "Label4", "边坡系数m", {5520, 1488, 1260, 300}, std::nullopt},
    {Label,  "Label5", "水深h", {240, 2448, 1200, 300}, std::nullopt},
    {Label,  "Label6", "底坡i", {2736, 2448, 1212, 300}, std::nullopt},
    {Label,  "Label7", "糙率n", {5520, 2448, 1260, 300}, std::nullopt},
    {Label,  "Label8", "流量Q", {600, 3600, 1260, 300}, resultFont, Ink::Blue},
    {Label,  "Label9", "流速v", {4632, 3600, 1260, 300}, resultFont, Ink::Blue},
    {Field,  "dkb9", " ", {1464, 1488, 1068, 396}, inputFont, Ink::Default, 0, input(0)},
    {Field,  "yhr9", " ", {3960, 1488, 1068, 396}, inputFont, Ink::Default, 1, input(1)},
    {Field,  "bpm9", " ", {7032, 1488, 1068, 396}, inputFont, Ink::Default, 2, input(2)},
    {Field,  "ssh9", " ", {1464, 2448, 1068, 396}, inputFont, Ink::Default, 3, input(3)},
    {Field,  "dpi9", " ", {3960, 2448, 1068, 396}, inputFont, Ink::Default, 4, input(4)},
    {Field,  "cln9", " ", {7032, 2448, 1068, 396}, inputFont, Ink::Default, 5, input(5)},
    {Field,  "llQ9", " ", {2328, 3504, 1452, 492}, resultFont, Ink::Red, 6, output(0)},
    {Field,  "lsv9", " ", {5880, 3504, 1452, 492}, resultFont, Ink::Red, 7, output(1)},
    {Button, "计算9", "计算", {2040, 4680, 972, 348}, std::nullopt, Ink::Default, 8, computeButton},
    {Button, "返回9", "返回", {3840, 4680, 972, 348}, std::nullopt, Ink::Default, 9, returnButton},
    {Button, "结束9", "结束", {5640, 4680, 972, 348}, std::nullopt, Ink::Default, 10, endButton},
};

constexpr ControlRow arcToeNormalDepthControls[] = {
    {Label,  "Label1", title, {2616, 720, 2652, 336}, std::nullopt, Ink::Default, NoTab, {}, Align::Centre},
    {Label,  "Label2", "流量Q", {240, 1488, 1200, 300}, std::nullopt},
    {Label,  "Label3", "底宽b", {2736, 1488, 1212, 300}, std::nullopt},
    {Label,  "Label4", "圆弧半径r", {5520, 1488, 1260, 300}, std::nullopt},
    {Label,  "Label5", "边坡系数m", {240, 2448, 1200, 300}, std::nullopt},
    {Label,  "Label6", "底坡i", {2736, 2448, 1212, 300}, std::nullopt},
    {Label,  "Label7", "糙率n", {5520, 2448, 1260, 300}, std::nullopt},
    {Label,  "Label8", "水深h", {600, 3600, 1260, 300}, resultFont, Ink::Blue},
    {Field,  "llQ10", " ", {1464, 1488, 1068, 396}, inputFont, Ink::Default, 0, input(0)},
    {Field,  "dkb10", " ", {3960, 1488, 1068, 396}, inputFont, Ink::Default, 1, input(1)},
    {Field,  "yhr10", " ", {7032, 1488, 1068, 396}, inputFont, Ink::Default, 2, input(2)},
    {Field,  "bpm10", " ", {1464, 2448, 1068, 396}, inputFont, Ink::Default, 3, input(3)},
    {Field,  "dpi10", " ", {3960, 2448, 1068, 396}, inputFont, Ink::Default, 4, input(4)},
    {Field,  "cln10", " ", {7032, 2448, 1068, 396}, inputFont, Ink::Default, 5, input(5)},
    {Field,  "ssh10", " ", {2328, 3504, 1452, 492}, resultFont, Ink::Red, 6, output(0)},
    {Button, "计算10", "计算", {2040, 4680, 972, 348}, std::nullopt, Ink::Default, 7, computeButton},
    {Button, "返回10", "返回", {3840, 4680, 972, 348}, std::nullopt, Ink::Default, 8, returnButton},
    {Button, "结束10", "结束", {5640, 4680, 972, 348}, std::nullopt, Ink::Default, 9, endButton},
};

constexpr ControlRow circleDischargeControls[] = {
    {Label,  "Label1", title, {2616, 720, 2652, 336}, std::nullopt, Ink::Default, NoTab, {}, Align::Centre},
    {Label,  "Label2", "管径D", {240, 1488, 1200, 300}, std::nullopt},
    {Label,  "Label3", "水深h", {2736, 1488, 1212, 300}, std::nullopt},
    {Label,  "Label4", "底坡i", {5520, 1488, 1260, 300}, std::nullopt},
    {Label,  "Label5", "糙率n", {240, 2448, 1200, 300}, std::nullopt},
    {Label,  "Label6", "流量Q", {600, 3600, 1260, 300}, resultFont, Ink::Blue},
    {Label,  "Label7", "流速v", {4632, 3600, 1260, 300}, resultFont, Ink::Blue},
    {Field,  "gjD11", " ", {1464, 1488, 1068, 396}, inputFont, Ink::Default, 0, input(0)},
    {Field,  "ssh11", " ", {3960, 1488, 1068, 396}, inputFont, Ink::Default, 1, input(1)},
    {Field,  "dpi11", " ", {7032, 1488, 1068, 396}, inputFont, Ink::Default, 2, input(2)},
    {Field,  "cln11", " ", {1464, 2448, 1068, 396}, inputFont, Ink::Default, 3, input(3)},
    {Field,  "llQ11", " ", {2328, 3504, 1452, 492}, resultFont, Ink::Red, 4, output(0)},
    {Field,  "lsv11", " ", {5880, 3504, 1452, 492}, resultFont, Ink::Red, 5, output(1)},
    {Button, "计算11", "计算", {2040, 4680, 972, 348}, std::nullopt, Ink::Default, 6, computeButton},
    {Button, "返回11", "返回", {3840, 4680, 972, 348}, std::nullopt, Ink::Default, 7, returnButton},
    {Button, "结束11", "结束", {5640, 4680, 972, 348}, std::nullopt, Ink::Default, 8, endButton},
};

constexpr ControlRow circleNormalDepthControls[] = {
    {Label,  "Label1", title, {2616, 720, 2652, 336}, std::nullopt, Ink::Default, NoTab, {}, Align::Centre},
    {Label,  "Label2", "流量Q", {240, 1488, 1200, 300}, std::nullopt},
    {Label,  "Label3", "管径D", {2736, 1488, 1212, 300}, std::nullopt},
    {Label,  "Label4", "底坡i", {5520, 1488, 1260, 300}, std::nullopt},
    {Label,  "Label5", "糙率n", {240, 2448, 1200, 300}, std::nullopt},
    {Label,  "Label6", "水深h", {600, 3600, 1260, 300}, resultFont, Ink::Blue},
    {Field,  "llQ12", " ", {1464, 1488, 1068, 396}, inputFont, Ink::Default, 0, input(0)},
    {Field,  "gjD12", " ", {3960, 1488, 1068, 396}, inputFont, Ink::Default, 1, input(1)},
    {Field,  "dpi12", " ", {7032, 1488, 1068, 396}, inputFont, Ink::Default, 2, input(2)},
    {Field,  "cln12", " ", {1464, 2448, 1068, 396}, inputFont, Ink::Default, 3, input(3)},
    {Field,  "ssh12", " ", {2328, 3504, 1452, 492}, resultFont, Ink::Red, 4, output(0)},
    {Button, "计算12", "计算", {2040, 4680, 972, 348}, std::nullopt, Ink::Default, 5, computeButton},
    {Button, "返回12", "返回", {3840, 4680, 972, 348}, std::nullopt, Ink::Default, 6, returnButton},
    {Button, "结束12", "结束", {5640, 4680, 972, 348}, std::nullopt, Ink::Default, 7, endButton},
};
// clang-format on

constexpr TwipSize client{8475, 5820};

}  // namespace

namespace {

// A shape's window: its form, titled as it is named, and the book's steps of its section.
constexpr CalculatorTable shapeWindow(StaticText name, std::span<const ControlRow> controls,
                                      Press press, std::span<const StepForm> steps,
                                      std::array<StaticText, 6> example, StaticText alias,
                                      bool depthSought) {
    return {.window = {name, name, std::nullopt, client, labelFont, controls},
            .opener = "",
            .press = press,
            .explain = explainShapeFailure,
            .steps = steps,
            .describe = describeShapeChannel,
            .example = example,
            .alias = alias,
            .remarks = depthSought};
}

constexpr auto uDischargeSteps = uSectionSteps + shapeFlowSteps;
constexpr auto uNormalDepthSteps = shapeDepthSteps + uSectionSteps + shapeDepthFlowSteps;
constexpr auto arcToeDischargeSteps = arcToeSectionSteps + shapeFlowSteps;
constexpr auto arcToeNormalDepthSteps = shapeDepthSteps + arcToeSectionSteps + shapeDepthFlowSteps;
constexpr auto circleDischargeSteps = circleSectionSteps + shapeFlowSteps;
constexpr auto circleNormalDepthSteps = shapeDepthSteps + circleSectionSteps + shapeDepthFlowSteps;

}  // namespace

// Reached from the main window's 衬砌渠道 menu and by their aliases.
// clang-format off
constinit const CalculatorTable uDischargeWindow = shapeWindow(
    "U形渠道流量计算", uDischargeControls, pressUDischarge, uDischargeSteps,
    {"0.5", "10", "0.8", "1/2000", "0.014"}, "u-discharge", false);
constinit const CalculatorTable uNormalDepthWindow = shapeWindow(
    "U形渠道水深计算", uNormalDepthControls, pressUNormalDepth, uNormalDepthSteps,
    {"0.741", "0.5", "10", "1/2000", "0.014"}, "u-normal-depth", true);
constinit const CalculatorTable arcToeDischargeWindow = shapeWindow(
    "弧形坡脚梯形渠道流量计算", arcToeDischargeControls, pressArcToeDischarge, arcToeDischargeSteps,
    {"1", "0.5", "1.5", "1", "1/3000", "0.02"}, "arc-toe-discharge", false);
constinit const CalculatorTable arcToeNormalDepthWindow = shapeWindow(
    "弧形坡脚梯形渠道水深计算", arcToeNormalDepthControls, pressArcToeNormalDepth, arcToeNormalDepthSteps,
    {"1.5", "1", "0.5", "1.5", "1/3000", "0.02"}, "arc-toe-normal-depth", true);
constinit const CalculatorTable circleDischargeWindow = shapeWindow(
    "无压圆管流量计算", circleDischargeControls, pressCircleDischarge, circleDischargeSteps,
    {"1", "0.75", "0.001", "0.013"}, "circle-discharge", false);
constinit const CalculatorTable circleNormalDepthWindow = shapeWindow(
    "无压圆管水深计算", circleNormalDepthControls, pressCircleNormalDepth, circleNormalDepthSteps,
    {"0.8", "1", "0.001", "0.013"}, "circle-normal-depth", true);
// clang-format on

}  // namespace lintavo
