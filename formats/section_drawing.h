#pragma once

// The channel's cross-section as a CAD drawing: model space at true size, one unit a
// millimetre, labelled for printing at 1:scale. The same section the calculation book
// draws, as entities for formats/dxf.h.
//
//   dxf::Drawing d = sectionDrawing({{.b = 2, .h = 1, .m = 1}}, 50);
//   // bottom 2000 long at y = 0, water line 4000 long at y = 1000, bank top at y = 1200

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/dxf.h"

namespace lintavo {

struct SectionOutline {
    double b = 0;                         // bottom width, m
    double h = 0;                         // design depth, m
    double m = 0;                         // side slope 1:m
    std::optional<double> enlargedDepth;  // hb at the enlarged flow, m
    std::optional<double> bankHeight;     // H, bottom to bank top, m
    std::string title;        // "方案一：…" for a candidate; empty for the press's
    std::string depthText{};  // h as the window shows it ("1.786"); empty: written from h
};

// What a drawing says instead of a section it cannot draw to scale.
inline constexpr std::string_view notToScale = "断面尺寸过大或过小，无法按比例绘出";

// Whether the section of bottom width b, depth h and side slope 1:m is one a page can show to
// scale: its outline exists (b ≥ 0, m ≥ 0, h > 0, b + m·h > 0, all finite), and its width at
// the water line and its depth lie between 1 mm and 100 km, neither more than ten thousand
// times the other (beyond that one of them draws as less than a hairline, and its numbers
// are beyond what a drawing file or a page description holds).
//   drawableToScale(2, 1, 1) → true      drawableToScale(1e30, 1e30, 1e30) → false
bool drawableToScale(double b, double h, double m);

// The scales a user picks from: 1:20 … 1:500.
inline constexpr int drawingScales[] = {20, 50, 100, 200, 500};

// H when the design check has not given it: a fifth of the highest water depth above it,
// as the book's drawing shows the banks. 1 m of water → 1.2 m.
double bankHeightOf(const SectionOutline& section);

// The layers 轮廓线, 设计水位, 加大水位 (when a section has an enlarged depth), 尺寸标注 and
// 文字, and each section beside the one before it, left to right: its outline up to the bank
// top, the water lines with ▽ and their depths, b, h and H as dimensions, "1:m" along
// each wall (none for a vertical one), and its title with the scale under it.
dxf::Drawing sectionDrawing(const std::vector<SectionOutline>& sections, int scale);

}  // namespace lintavo
