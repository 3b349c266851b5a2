#include "formats/section_drawing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "calculators/numbers.h"

namespace lintavo {

namespace {

// Paper millimetres, multiplied by the scale.
constexpr double labelHeight = 3.5;
constexpr double titleHeight = 5.0;
constexpr double bermLength = 10.0;    // the ground drawn beyond each bank top
constexpr double dimensionStep = 8.0;  // between the outline and a dimension line, and between two
constexpr double markerSize = 3.0;     // the side of ▽
constexpr double sectionGap = 40.0;    // between two sections side by side

const std::string outline = "轮廓线";
const std::string design = "设计水位";
const std::string enlarged = "加大水位";
const std::string dimensions = "尺寸标注";
const std::string texts = "文字";

// 1.5 → "1.5", 2 → "2": the slope as typed, shortest.
std::string shortest(double x) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, x);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

struct Sheet {
    dxf::Drawing drawing;
    double s = 1;  // drawing units per paper millimetre

    void line(const std::string& layer, dxf::Point a, dxf::Point b) {
        drawing.entities.emplace_back(dxf::Line{layer, a, b});
    }
    void text(const std::string& layer, dxf::Point at, double height, std::string t,
              double angle = 0, dxf::Text::Align align = dxf::Text::Align::Centre) {
        drawing.entities.emplace_back(dxf::Text{layer, at, height * s, std::move(t), angle, align});
    }
    void dimension(dxf::Point from, dxf::Point to, dxf::Point at, double angle) {
        drawing.entities.emplace_back(dxf::Dimension{dimensions, from, to, at, angle});
    }

    // A water line from wall to wall at depth y, ▽ standing on it a fifth of the way across
    // and the depth written beside it.
    // A water line with ▽ on it at `across` of its length and its label beside the mark:
    // above the line, or below it (inside the water) so that a second line just above
    // cannot run through it.
    void water(const std::string& layer, double left, double right, double y,
               const std::string& label, double across, bool labelBelow) {
        line(layer, {left, y}, {right, y});
        const double a = markerSize * s;
        const double x = left + (right - left) * across;
        const dxf::Point tip{x, y};
        const dxf::Point l{x - a / 2, y + a * std::numbers::sqrt3 / 2};
        const dxf::Point r{x + a / 2, l.y};
        line(layer, tip, l);
        line(layer, l, r);
        line(layer, r, tip);
        const double baseline = labelBelow
                                    ? y - (labelHeight + 1.0) * s
                                    : y + (a * std::numbers::sqrt3 / 2 + labelHeight * s) / 2;
        text(layer, {r.x + 1.0 * s, baseline}, labelHeight, label, 0, dxf::Text::Align::Left);
    }
};

// The drawing's width left of the left bank top (the dimensions) and right of it.
double leftMargin(double s) {
    return (bermLength + 2 * dimensionStep + labelHeight) * s;
}

// Draws one section with its left bank top at x = x0, returns the x its drawing ends at.
double drawOne(Sheet& sheet, const SectionOutline& section, double x0, int scale) {
    const double s = sheet.s;
    const double H = bankHeightOf(section) * 1000.0;
    const double b = section.b * 1000.0;
    const double h = section.h * 1000.0;
    const double m = section.m;
    const dxf::Point topLeft{x0, H};
    const dxf::Point toeLeft{x0 + m * H, 0};
    const dxf::Point toeRight{toeLeft.x + b, 0};
    const dxf::Point topRight{toeRight.x + m * H, H};
    const double berm = bermLength * s;

    sheet.line(outline, {topLeft.x - berm, H}, topLeft);
    sheet.line(outline, topLeft, toeLeft);
    sheet.line(outline, toeLeft, toeRight);
    sheet.line(outline, toeRight, topRight);
    sheet.line(outline, topRight, {topRight.x + berm, H});

    // The depth as the window shows it; the enlarged one, which no field shows, as the book
    // writes it.
    const std::string depth =
        section.depthText.empty() ? readableNumber(section.h) : section.depthText;
    sheet.water(design, toeLeft.x - m * h, toeRight.x + m * h, h, "设计水位 h = " + depth + " m",
                0.2, section.enlargedDepth.has_value());
    if (section.enlargedDepth) {
        const double hb = *section.enlargedDepth * 1000.0;
        sheet.water(enlarged, toeLeft.x - m * hb, toeRight.x + m * hb, hb,
                    "加大水位 hb = " + readableNumber(*section.enlargedDepth) + " m", 0.6, false);
    }

    // b under the bottom; h and then H left of the left bank's ground line.
    const double dimensionX = topLeft.x - berm - dimensionStep * s;
    sheet.dimension(toeLeft, toeRight, {toeLeft.x, -dimensionStep * s}, 0);
    sheet.dimension(toeLeft, {toeLeft.x - m * h, h}, {dimensionX, 0}, 90);
    sheet.dimension(toeLeft, topLeft, {dimensionX - dimensionStep * s, 0}, 90);

    if (m > 0) {
        // Along each wall, on the ground's side, reading upwards from the left.
        const double length = std::sqrt(1 + m * m);
        const double angle = std::atan2(1.0, m) * 180.0 / std::numbers::pi;
        const double off = (labelHeight * 0.5 + 1.0) * s;
        const dxf::Point midLeft{(topLeft.x + toeLeft.x) / 2, H / 2};
        const dxf::Point midRight{(topRight.x + toeRight.x) / 2, H / 2};
        sheet.text(texts, {midLeft.x - off / length, midLeft.y - off * m / length}, labelHeight,
                   "1:" + shortest(m), -angle);
        sheet.text(texts, {midRight.x + off / length, midRight.y - off * m / length}, labelHeight,
                   "1:" + shortest(m), angle);
    }

    const std::string title = (section.title.empty() ? std::string("渠道断面图") : section.title) +
                              "  1:" + std::to_string(scale);
    sheet.text(texts, {(topLeft.x + topRight.x) / 2, -(2 * dimensionStep + titleHeight) * s},
               titleHeight, title);
    return topRight.x + berm;
}

}  // namespace

bool drawableToScale(double b, double h, double m) {
    for (const double x : {b, h, m}) {
        if (!std::isfinite(x)) return false;
    }
    if (b < 0 || m < 0 || !(h > 0) || !(b + m * h > 0)) return false;
    constexpr double least = 1e-3, most = 1e5, lopsided = 1e4;  // m, m, a ratio
    const double across = b + 2 * m * h;
    const double larger = std::max(across, h);
    return larger >= least && larger <= most && std::min(across, h) * lopsided >= larger;
}

double bankHeightOf(const SectionOutline& section) {
    if (section.bankHeight) return *section.bankHeight;
    return 1.2 * std::max(section.h, section.enlargedDepth.value_or(0.0));
}

dxf::Drawing sectionDrawing(const std::vector<SectionOutline>& sections, int scale) {
    Sheet sheet{dxf::Drawing{}, static_cast<double>(scale)};
    sheet.drawing.scale = scale;
    const bool anyEnlarged = std::any_of(sections.begin(), sections.end(),
                                         [](const SectionOutline& s) { return s.enlargedDepth; });
    sheet.drawing.layers = {{outline, 7, false, 50}, {design, 5, false, 25}};
    if (anyEnlarged) sheet.drawing.layers.push_back({enlarged, 4, true, 25});
    sheet.drawing.layers.push_back({dimensions, 3, false, 18});
    sheet.drawing.layers.push_back({texts, 7, false, 25});
    double x = 0;
    for (const SectionOutline& section : sections)
        x = drawOne(sheet, section, x, scale) + sectionGap * sheet.s + leftMargin(sheet.s);
    return sheet.drawing;
}

}  // namespace lintavo
