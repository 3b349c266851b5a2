#pragma once

// The channel's cross-section as a CAD drawing: model space at true size, one unit a
// millimetre, labelled for printing at 1:scale on an A3 sheet with its frame and title block.
// The same section the calculation book draws, as entities for formats/dxf.h, drawn from the
// lengths as the window and the book show them, in whole millimetres, so that every
// dimension reads the number shown.
//
//   dxf::Drawing d = sectionDrawing({{.b = 2, .h = 1, .m = 1}}, 50);
//   // bottom 2000 long at y = 0, water line 4000 long at y = 1000, bank top at y = 1200

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "book/book_info.h"
#include "formats/dxf.h"
#include "hydraulics/shape.h"

namespace lintavo {

struct SectionOutline {
    double b = 0;                         // bottom width, m
    double h = 0;                         // design depth, m
    double m = 0;                         // side slope 1:m
    std::optional<double> enlargedDepth;  // hb at the enlarged flow, m
    std::optional<double> bankHeight;     // H, bottom to bank top, m
    std::string title;        // "方案一：…" for a candidate; empty for the press's
    std::string depthText{};  // h as the window shows it ("1.786"); empty: written from h
    std::string widthText{};  // b as the window shows it ("2"); empty: written from b
    // A lined section's shape (U, arc-toe trapezoid, circle), drawn with its arcs; none: the
    // trapezoid of b and m.
    std::optional<SectionShape> shape{};
    std::optional<double> bankTopWidth{};  // the least bank-top width of the canal's rank, m
};

// What the title block says besides the scale: the project and the three who sign (a blank
// cell where no name is given) and the date.
struct DrawingSheet {
    BookInfo book{};
    std::string date{};  // "2026-12-09"
};

// The sheet: A3 landscape, 420 × 297 paper millimetres, its frame 25 mm from the binding edge
// and 5 mm from the others, the title block 140 × 40 in the frame's lower right corner.
inline constexpr double sheetWidth = 420;
inline constexpr double sheetHeight = 297;

// A length as the drawing draws it: the number the text shows, in whole millimetres; the
// value itself where the text holds no number (or one that rounds to nothing).
//   shownMillimetres("2.109", 2.1099) → 2109      shownMillimetres("", 2.1099) → 2110
//   shownMillimetres("1.5（计算值）", 1.5) → 1500
double shownMillimetres(const std::string& text, double metres);

// What a drawing says instead of a section it cannot draw to scale.
inline constexpr std::string_view notToScale = "断面尺寸过大或过小，无法按比例绘出";

// Whether the section of bottom width b, depth h and side slope 1:m is one a page can show to
// scale: its outline exists (b ≥ 0, m ≥ 0, h > 0, b + m·h > 0, all finite), and its width at
// the water line and its depth lie between 1 mm and 100 km, neither more than ten thousand
// times the other (beyond that one of them draws as less than a hairline, and its numbers
// are beyond what a drawing file or a page description holds).
//   drawableToScale(2, 1, 1) → true      drawableToScale(1e30, 1e30, 1e30) → false
bool drawableToScale(double b, double h, double m);

// The same for a lined section filled to depth h (at most its diameter for a circle): its
// shape describes a section, and its width and depth lie within the bounds above.
//   drawableToScale(Circle{1}, 0.5) → true      drawableToScale(Circle{1}, 1.5) → false
bool drawableToScale(const SectionShape& shape, double h);

// The outline of a shape up to `top` above its lowest point (a circle: the whole of it), in
// its own units, x = 0 on its axis and y = 0 at its lowest point, left bank top to right:
// straight walls as Lines tangent to the Arcs, angles counter-clockwise in degrees; a
// circle as one Circle. Layers are left empty.
//   shapeOutline(ArcBottom{500, 0}, 800) → Line (−500, 800)–(−500, 500),
//       Arc about (0, 500) of 500 from 180° to 360°, Line (500, 500)–(500, 800)
std::vector<dxf::Entity> shapeOutline(const SectionShape& shape, double top);

// The scales a user picks from: 1:20 … 1:500.
inline constexpr int drawingScales[] = {20, 50, 100, 200, 500};

// The scale at which the sections and their labels fit the A3 sheet above its title block:
// 1:least where they fit at it, else the first of 1:50, 1:100, 1:200 … (1, 2 and 5 times a
// power of ten) beyond it at which they do.
//   fittingScale({{.b = 2, .h = 1, .m = 1}}) → 20     a canal 30 m wide → 200
int fittingScale(const std::vector<SectionOutline>& sections, int least = 20);

// H when the design check has not given it: a fifth of the highest water depth above it,
// as the book's drawing shows the banks. 1 m of water → 1.2 m.
double bankHeightOf(const SectionOutline& section);

// The layers 轮廓线, 设计水位, 加大水位 (when a section has an enlarged depth), 尺寸标注,
// 文字 and 图框, and each section beside the one before it, left to right: its outline up to
// the bank top, the water lines with ▽, 设计水位 h and 加大水位 hb, b, h and 渠深 H as
// dimensions, "1:m" along each wall (none for a vertical one), and its title with the scale
// under it; a lined section with its arcs as ARCs, R = r along a radius (α = … along a U's
// walls), a circle as a CIRCLE with D = … across it and no bank; where the canal's rank
// gives a bank-top width, the bank tops of that width at H with their dimensions; around them the
// A3 frame at 1:scale and its title block (工程名称, 图名, 比例, 设计, 校核, 审核, 日期, 尺寸单位).
dxf::Drawing sectionDrawing(const std::vector<SectionOutline>& sections, int scale,
                            const DrawingSheet& sheet = {});

// A sheet's frame and title block: the sheet `width` × `height` paper millimetres (A3 or an
// A3 made longer), its frame 25 mm from the binding edge and 5 mm from the others, the title
// block 140 × 40 in the frame's lower right corner saying `title` as 图名, `scale` as 比例 and
// `units` as 尺寸单位.
struct SheetFrame {
    double width = sheetWidth;
    double height = sheetHeight;
    std::string title;  // "渠道断面图"
    std::string scale;  // "1:50"
    std::string units;  // "mm"
};

// Draws the frame and its title block on the layer 图框 with the sheet's lower left corner at
// `corner`, one paper millimetre drawing.scale drawing units.
void drawSheetFrame(dxf::Drawing& drawing, dxf::Point corner, const SheetFrame& frame,
                    const DrawingSheet& sheet);

}  // namespace lintavo
