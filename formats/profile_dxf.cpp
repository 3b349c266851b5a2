#include "formats/profile_dxf.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "canal/project.h"

namespace lintavo {

namespace {

// Paper millimetres, multiplied by the horizontal scale.
constexpr double bindingMargin = 25;
constexpr double margin = 5;
constexpr double labelLeft = bindingMargin + 5;  // the table's label column
constexpr double labelWidth = 30;
constexpr double profileLeft = labelLeft + labelWidth + 10;  // the first station
constexpr double profileRight = 15;                          // past the last station
constexpr double tableBottom = margin + 40 + 8;              // above the title block
constexpr double rowHeights[] = {22, 18, 18, 18, 18, 10};    // as profileRows
constexpr double tableGap = 15;  // between the table's top and the lowest bed
constexpr double topRoom = 20;   // above the highest bank top
constexpr double valueHeight = 2.5;
constexpr double labelHeight = 3.5;
constexpr double titleHeight = 5.0;
constexpr double rulerStep = 1;  // m between the ruler's ticks, at least
constexpr double longest = 50'000;
constexpr double highest = 10'000;

const std::string texts = "文字";
const std::string ruler = "标尺";
const std::string frameLayer = "图框";

double tableHeight() {
    double sum = 0;
    for (const double h : rowHeights)
        sum += h;
    return sum;
}

// The middle of a table row, paper millimetres from the sheet's foot.
double rowMiddle(std::size_t row) {
    double top = tableBottom + tableHeight();
    for (std::size_t k = 0; k < row; ++k)
        top -= rowHeights[k];
    return top - rowHeights[row] / 2;
}

// The levels a reach has, in the table's order after 桩号.
std::array<const std::optional<ProfileEnds>*, 4> levelsOf(const ProfileReach& r) {
    return {&r.bed, &r.wl, &r.wlb, &r.bank};
}

struct Extent {
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    bool any() const { return low <= high; }
};

Extent levelExtent(const std::vector<ProfileReach>& reaches) {
    Extent e;
    for (const ProfileReach& r : reaches) {
        for (const auto* level : levelsOf(r)) {
            if (!*level) continue;
            e.low = std::min({e.low, (*level)->up, (*level)->down});
            e.high = std::max({e.high, (*level)->up, (*level)->down});
        }
    }
    return e;
}

// The sheet's paper size for the drawing: its height where the levels reach, and its length
// the next long A3 sheet's.
struct Paper {
    double width = sheetWidth;
    double height = sheetHeight;
    double datum = 0;  // the level drawn tableGap above the table, m
};

Paper paperFor(const std::vector<ProfileReach>& reaches, ProfileScales scales) {
    Paper p;
    const double length = (reaches.back().to - reaches.front().from) * 1000.0 / scales.horizontal;
    const double needed = profileLeft + length + profileRight + margin;
    if (needed > sheetWidth) p.width = std::round(std::ceil(needed / 210.25) * 210.25);
    const Extent e = levelExtent(reaches);
    if (e.any()) {
        p.datum = std::floor(e.low);
        const double top = tableBottom + tableHeight() + tableGap +
                           (e.high - p.datum) * 1000.0 / scales.vertical + topRoom + margin;
        p.height = std::max(sheetHeight, std::ceil(top));
    }
    return p;
}

bool finite(const ProfileReach& r) {
    if (!std::isfinite(r.from) || !std::isfinite(r.to)) return false;
    for (const auto* level : levelsOf(r)) {
        if (*level && (!std::isfinite((*level)->up) || !std::isfinite((*level)->down)))
            return false;
    }
    return true;
}

class Profile {
  public:
    Profile(const std::vector<ProfileReach>& reaches, ProfileScales scales)
        : reaches_(reaches),
          scales_(scales),
          paper_(paperFor(reaches, scales)),
          s_(scales.horizontal) {
        // x: the station in millimetres; y: the level in millimetres times the stretch.
        corner_ = {reaches.front().from * 1000.0 - profileLeft * s_,
                   paper_.datum * 1000.0 * s_ / scales.vertical -
                       (tableBottom + tableHeight() + tableGap) * s_};
        d_.scale = s_;
        d_.layers = {{bedLayer, 7, false, 50},     {designLayer, 5, false, 35},
                     {enlargedLayer, 4, true, 25}, {bankLayer, 1, false, 35},
                     {tableLayer, 7, false, 25},   {ruler, 7, false, 18},
                     {texts, 7, false, 25},        {frameLayer, 7, false, 25}};
    }

    dxf::Drawing draw(const DrawingSheet& sheet, const std::string& canal) {
        lines();
        table();
        rulerAndTitle(canal);
        const std::string scale = "水平1:" + std::to_string(scales_.horizontal) +
                                  " 垂直1:" + std::to_string(scales_.vertical);
        drawSheetFrame(d_, corner_, {paper_.width, paper_.height, "纵断面图", scale, "m"}, sheet);
        d_.sheetLow = corner_;
        d_.sheetHigh = paper(paper_.width, paper_.height);
        return std::move(d_);
    }

  private:
    // A point given in paper millimetres from the sheet's corner.
    dxf::Point paper(double x, double y) const { return {corner_.x + x * s_, corner_.y + y * s_}; }
    double x(double station) const { return station * 1000.0; }
    double y(double level) const { return level * 1000.0 * s_ / scales_.vertical; }
    double paperY(double level) const { return (y(level) - corner_.y) / s_; }

    void line(const std::string& layer, dxf::Point a, dxf::Point b) {
        d_.entities.emplace_back(dxf::Line{layer, a, b});
    }
    void text(const std::string& layer, dxf::Point at, double height, std::string t,
              double angle = 0, dxf::Text::Align align = dxf::Text::Align::Centre) {
        d_.entities.emplace_back(dxf::Text{layer, at, height * s_, std::move(t), angle, align});
    }

    // Each level along its reaches, and its step where two reaches meet at different levels.
    void lines() {
        const std::string layers[] = {bedLayer, designLayer, enlargedLayer, bankLayer};
        for (std::size_t k = 0; k < reaches_.size(); ++k) {
            const ProfileReach& r = reaches_[k];
            const auto levels = levelsOf(r);
            for (std::size_t l = 0; l < levels.size(); ++l) {
                const auto& level = *levels[l];
                if (!level) continue;
                line(layers[l], {x(r.from), y(level->up)}, {x(r.to), y(level->down)});
                if (k + 1 == reaches_.size()) continue;
                const ProfileReach& next = reaches_[k + 1];
                const auto& after = *levelsOf(next)[l];
                if (after && next.from == r.to && after->up != level->down)
                    line(layers[l], {x(r.to), y(level->down)}, {x(r.to), y(after->up)});
            }
            if (r.bank || r.wlb || r.wl) {
                const double top = r.bank  ? std::max(r.bank->up, r.bank->down)
                                   : r.wlb ? std::max(r.wlb->up, r.wlb->down)
                                           : std::max(r.wl->up, r.wl->down);
                text(texts, {(x(r.from) + x(r.to)) / 2, y(top) + 4 * s_}, labelHeight, r.name);
            }
        }
    }

    // The elevation table: the label column, the rows' rules, each station's line from the
    // table up to the profile, and the values at their stations.
    void table() {
        const double right = (x(reaches_.back().to) - corner_.x) / s_ + profileRight;
        double top = tableBottom + tableHeight();
        line(tableLayer, paper(labelLeft, top), paper(right, top));
        for (std::size_t row = 0; row < std::size(profileRows); ++row) {
            text(tableLayer, paper(labelLeft + labelWidth / 2, rowMiddle(row)), labelHeight,
                 profileRows[row]);
            top -= rowHeights[row];
            line(tableLayer, paper(labelLeft, top), paper(right, top));
        }
        line(tableLayer, paper(labelLeft, tableBottom),
             paper(labelLeft, tableBottom + tableHeight()));
        line(tableLayer, paper(labelLeft + labelWidth, tableBottom),
             paper(labelLeft + labelWidth, tableBottom + tableHeight()));
        line(tableLayer, paper(right, tableBottom), paper(right, tableBottom + tableHeight()));

        const double slopeTop = tableBottom + rowHeights[std::size(rowHeights) - 1];
        for (std::size_t k = 0; k <= reaches_.size(); ++k) {
            const ProfileReach* before = k > 0 ? &reaches_[k - 1] : nullptr;
            const ProfileReach* after = k < reaches_.size() ? &reaches_[k] : nullptr;
            // Where a reach ends and the next starts elsewhere (a gap), each end is a station.
            if (before != nullptr && after != nullptr && before->to != after->from) {
                station(before, nullptr, slopeTop);
                station(nullptr, after, slopeTop);
            } else {
                station(before, after, slopeTop);
            }
        }
        for (const ProfileReach& r : reaches_) {
            if (r.slope.empty()) continue;
            text(tableLayer, {(x(r.from) + x(r.to)) / 2, corner_.y + rowMiddle(5) * s_},
                 valueHeight, r.slope);
        }
    }

    // One station: the end of `before` and the start of `after`, either of them absent.
    void station(const ProfileReach* before, const ProfileReach* after, double slopeTop) {
        const double at = before != nullptr ? before->to : after->from;
        const double px = x(at);
        line(tableLayer, {px, corner_.y + tableBottom * s_}, {px, corner_.y + slopeTop * s_});
        // The station's line from the table up to the highest level drawn there.
        double top = std::numeric_limits<double>::lowest();
        for (const ProfileReach* r : {before, after}) {
            if (r == nullptr) continue;
            for (const auto* level : levelsOf(*r)) {
                if (*level) top = std::max(top, r == before ? (*level)->down : (*level)->up);
            }
        }
        const double tableTop = corner_.y + (tableBottom + tableHeight()) * s_;
        if (top > std::numeric_limits<double>::lowest())
            line(tableLayer, {px, tableTop}, {px, y(top)});
        text(tableLayer, {px, corner_.y + rowMiddle(0) * s_}, valueHeight, formatStation(at), 90);
        // A level's two values side by side where it steps, one where it does not.
        const double beside = (valueHeight * 0.6 + 0.3) * s_;
        for (std::size_t l = 0; l < 4; ++l) {
            const auto* up = before != nullptr ? levelsOf(*before)[l] : nullptr;
            const auto* down = after != nullptr ? levelsOf(*after)[l] : nullptr;
            const bool hasLeft = up != nullptr && up->has_value();
            const bool hasRight = down != nullptr && down->has_value();
            const double left = hasLeft ? (*up)->down : 0.0;
            const double right = hasRight ? (*down)->up : 0.0;
            const double row = corner_.y + rowMiddle(l + 1) * s_;
            if (hasLeft && hasRight && levelText(left) != levelText(right)) {
                text(tableLayer, {px - beside, row}, valueHeight, levelText(left), 90);
                text(tableLayer, {px + beside, row}, valueHeight, levelText(right), 90);
            } else if (hasLeft || hasRight) {
                text(tableLayer, {px, row}, valueHeight, levelText(hasLeft ? left : right), 90);
            }
        }
    }

    // The levels' ruler left of the first station, a tick and a number every metre or more,
    // and the drawing's title over the profile.
    void rulerAndTitle(const std::string& canal) {
        const Extent e = levelExtent(reaches_);
        const double left = profileLeft - 8;
        if (e.any()) {
            const double low = paper_.datum;
            const double high = std::ceil(e.high);
            double step = rulerStep;
            while ((high - low) / step > 25)
                step *= (step == 1 || step == 10 || step == 100) ? 2 : 2.5;
            const dxf::Point foot = paper(left, paperY(low));
            line(ruler, foot, {foot.x, y(high)});
            for (double level = low; level <= high + 1e-9; level += step) {
                const double py = y(level);
                line(ruler, {foot.x - 2 * s_, py}, {foot.x, py});
                char buffer[32];
                std::snprintf(buffer, sizeof buffer, "%.0f", level);
                text(ruler, {foot.x - 3 * s_, py}, valueHeight, buffer, 0, dxf::Text::Align::Right);
            }
            text(ruler, {foot.x, y(high) + 5 * s_}, valueHeight, "高程(m)");
        }
        const std::string title = (canal.empty() ? std::string() : canal + " ") + "纵断面图";
        const double middle = (x(reaches_.front().from) + x(reaches_.back().to)) / 2;
        text(texts, {middle, corner_.y + (paper_.height - margin - 10) * s_}, titleHeight, title);
    }

    const std::vector<ProfileReach>& reaches_;
    ProfileScales scales_;
    Paper paper_;
    double s_;
    dxf::Point corner_{};
    dxf::Drawing d_;
};

}  // namespace

std::string levelText(double metres) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", metres);
    return buffer;
}

std::string profileRefusal(const std::vector<ProfileReach>& reaches, ProfileScales scales) {
    if (reaches.empty()) return "没有可以绘出的渠段：纵断面图需要至少一个桩号已知的渠段。";
    for (const int scale : {scales.horizontal, scales.vertical}) {
        if (scale < 1 || scale > 1'000'000)
            return "比例 1:" + std::to_string(scale) +
                   " 无法使用：比例应在 1:1 与 1:1000000 之间。";
    }
    for (const ProfileReach& r : reaches) {
        if (!finite(r)) return "渠段“" + r.name + "”的桩号或高程不是有限的数，无法绘出纵断面图。";
        if (r.to <= r.from)
            return "渠段“" + r.name + "”的终点桩号不在起点桩号之后，无法绘出纵断面图。";
    }
    for (std::size_t k = 1; k < reaches.size(); ++k) {
        if (reaches[k].from < reaches[k - 1].to)
            return "渠段“" + reaches[k].name + "”与上一渠段重叠，无法绘出纵断面图。";
    }
    const Paper p = paperFor(reaches, scales);
    if (p.width > longest)
        return "按水平比例 1:" + std::to_string(scales.horizontal) + "，纵断面图长达 " +
               std::to_string(std::lround(p.width / 1000)) + " 米，请选择较小的水平比例。";
    if (p.height > highest)
        return "按垂直比例 1:" + std::to_string(scales.vertical) + "，纵断面图高达 " +
               std::to_string(std::lround(p.height / 1000)) + " 米，请选择较小的垂直比例。";
    return {};
}

dxf::Drawing profileDrawing(const std::vector<ProfileReach>& reaches, ProfileScales scales,
                            const DrawingSheet& sheet, const std::string& canal) {
    return Profile(reaches, scales).draw(sheet, canal);
}

}  // namespace lintavo
