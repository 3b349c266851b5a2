#include "formats/section_drawing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>
#include <variant>

#include "calculators/numbers.h"
#include "hydraulics/portable_trig.h"

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
const std::string frame = "图框";

// The sheet in paper millimetres: the frame's margins, the title block and the room the
// drawing keeps from both.
constexpr double bindingMargin = 25;
constexpr double margin = 5;
constexpr double blockWidth = 140;
constexpr double blockRow = 8;
constexpr double blockRows = 5;
constexpr double blockLabel = 20;  // the width of a label's cell; a value's is 50
constexpr double room = 10;

// Lineweights: the frame and the title block's outline thick, the rest thin.
constexpr int thick = 70;
constexpr int thin = 25;

// How wide a text is in the style's fonts, near enough to keep it in its cell: a Chinese
// character is square, a letter or digit of gbenor.shx under three quarters of its height.
double textWidth(const std::string& text, double height) {
    double width = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            width += 0.75 * height;
        else if (byte >= 0xE0)
            width += height;  // the lead byte of a three-byte character
    }
    return width;
}

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
    void dimension(dxf::Point from, dxf::Point to, dxf::Point at, double angle,
                   std::string shown = {}) {
        drawing.entities.emplace_back(
            dxf::Dimension{dimensions, from, to, at, angle, std::move(shown)});
    }

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

// The ground beside a channel's bank tops: a short berm line where the canal's rank gives no
// bank-top width; else the bank top of that width and the start of its outer slope, 1:1.
struct Banks {
    double width = 0;  // the bank top's, drawing units; 0 where none is given
    double reach = 0;  // how far the ground is drawn beyond each bank top's inner edge
    double drop = 0;   // how far the outer slope goes down
};

Banks banksOf(const SectionOutline& section, double H, double berm) {
    const double width =
        section.bankTopWidth && *section.bankTopWidth > 0 && std::isfinite(*section.bankTopWidth)
            ? shownMillimetres({}, *section.bankTopWidth)
            : 0.0;
    if (width <= 0) return {0, berm, 0};
    const double drop = std::min(berm, H);
    return {width, width + drop, drop};
}

void drawBanks(Sheet& sheet, const Banks& banks, dxf::Point topLeft, dxf::Point topRight) {
    const double H = topLeft.y;
    if (banks.width <= 0) {
        sheet.line(outline, {topLeft.x - banks.reach, H}, topLeft);
        sheet.line(outline, topRight, {topRight.x + banks.reach, H});
        return;
    }
    const dxf::Point outerLeft{topLeft.x - banks.width, H};
    const dxf::Point outerRight{topRight.x + banks.width, H};
    sheet.line(outline, outerLeft, topLeft);
    sheet.line(outline, topRight, outerRight);
    sheet.line(outline, outerLeft, {outerLeft.x - banks.drop, H - banks.drop});
    sheet.line(outline, outerRight, {outerRight.x + banks.drop, H - banks.drop});
    // Above each bank top, clear of the water levels' labels below it.
    const double above = H + dimensionStep * sheet.s;
    sheet.dimension(outerLeft, topLeft, {outerLeft.x, above}, 0, "堤顶宽 <>");
    sheet.dimension(topRight, outerRight, {topRight.x, above}, 0, "堤顶宽 <>");
}

// A shape with its lengths in whole millimetres, as a drawing draws them; b as shown.
SectionShape inMillimetres(const SectionShape& shape, double b) {
    const auto mm = [](double metres) { return shownMillimetres({}, metres); };
    if (const auto* t = std::get_if<ArcToeTrapezoid>(&shape))
        return ArcToeTrapezoid{b, mm(t->r), t->m};
    if (const auto* u = std::get_if<ArcBottom>(&shape)) return ArcBottom{mm(u->r), u->alphaDegrees};
    if (const auto* c = std::get_if<Circle>(&shape)) return Circle{mm(c->D)};
    return shape;
}

// A lined section (U, arc-toe trapezoid, circle) with its left bank top, or a circle's left
// side, at x0 + its ground's reach; returns the x its drawing ends at.
double drawShaped(Sheet& sheet, const SectionOutline& section, double x0, int scale) {
    const double s = sheet.s;
    const double b = std::get_if<ArcToeTrapezoid>(&*section.shape) != nullptr
                         ? shownMillimetres(section.widthText, section.b)
                         : 0.0;
    const SectionShape shape = inMillimetres(*section.shape, b);
    const bool closed = isClosed(shape);
    const double D = closed ? fullDepth(shape) : 0.0;
    const double h = shownMillimetres(section.depthText, section.h);
    const double hb = section.enlargedDepth ? shownMillimetres({}, *section.enlargedDepth) : 0.0;
    // A circle ends at its crown; an open section rises to its bank top.
    const double H = closed               ? D
                     : section.bankHeight ? shownMillimetres({}, *section.bankHeight)
                                          : std::round(1.2 * std::max(h, hb));
    const double berm = bermLength * s;
    const Banks banks = closed ? Banks{0, 0, 0} : banksOf(section, H, berm);
    const double half = topWidthAt(shape, H) / 2;
    const double axis = x0 + std::max(banks.reach - berm, 0.0) + (closed ? D / 2 : half);
    const dxf::Point topLeft{axis - half, H};
    const dxf::Point topRight{axis + half, H};

    const std::vector<dxf::Entity> pieces = shapeOutline(shape, H);
    for (dxf::Entity piece : pieces) {
        if (auto* l = std::get_if<dxf::Line>(&piece))
            l->a.x += axis, l->b.x += axis, l->layer = outline;
        if (auto* a = std::get_if<dxf::Arc>(&piece)) a->centre.x += axis, a->layer = outline;
        if (auto* c = std::get_if<dxf::Circle>(&piece)) c->centre.x += axis, c->layer = outline;
        sheet.drawing.entities.push_back(std::move(piece));
    }
    if (!closed) drawBanks(sheet, banks, topLeft, topRight);

    const auto across = [&](double depth) { return topWidthAt(shape, depth) / 2; };
    const std::string depth =
        section.depthText.empty() ? readableNumber(section.h) : section.depthText;
    const bool enlargedShown = section.enlargedDepth.has_value() && (!closed || hb <= D);
    sheet.water(design, axis - across(h), axis + across(h), h, "设计水位 h = " + depth + " m", 0.2,
                enlargedShown);
    if (enlargedShown) {
        sheet.water(enlarged, axis - across(hb), axis + across(hb), hb,
                    "加大水位 hb = " + readableNumber(*section.enlargedDepth) + " m", 0.6, false);
    }

    // b under an arc-toe trapezoid's bed; h and H (a circle: none) left of the section; r along
    // a radius of the right arc; D across a circle.
    const double left = closed ? axis - D / 2 - berm : topLeft.x - banks.reach;
    const double dimensionX = left - dimensionStep * s;
    const dxf::Point lowest{axis, 0};
    if (b > 0)
        sheet.dimension({axis - b / 2, 0}, {axis + b / 2, 0}, {axis - b / 2, -dimensionStep * s},
                        0);
    sheet.dimension(lowest, {axis - across(h), h}, {dimensionX, 0}, 90);
    if (!closed)
        sheet.dimension(lowest, topLeft, {dimensionX - dimensionStep * s, 0}, 90, "渠深 H=<>");
    if (const auto* c = std::get_if<Circle>(&shape)) {
        const dxf::Point centre{axis, c->D / 2};
        const double r = c->D / 2;
        const dxf::Point a{centre.x - r * std::numbers::sqrt2 / 2,
                           centre.y - r * std::numbers::sqrt2 / 2};
        const dxf::Point z{centre.x + r * std::numbers::sqrt2 / 2,
                           centre.y + r * std::numbers::sqrt2 / 2};
        sheet.dimension(a, z, a, 45, "D=<>");
    } else {
        const auto* t = std::get_if<ArcToeTrapezoid>(&shape);
        const auto* u = std::get_if<ArcBottom>(&shape);
        const double r = t != nullptr ? t->r : u->r;
        const double beta = t != nullptr ? portableAtan2(1.0, t->m) * 180.0 / std::numbers::pi
                                         : 90.0 - u->alphaDegrees;
        const double theta = 270.0 + beta / 2;
        const dxf::Point centre{axis + b / 2, r};
        const double radians = radiansOfDegrees(theta);
        const dxf::Point on{centre.x + r * portableCos(radians),
                            centre.y + r * portableSin(radians)};
        sheet.dimension(centre, on, centre, theta, "R=<>");
    }

    // Along each straight wall, as on a trapezoid: 1:m, or a U's α as its tables give it.
    const double m = sideSlopeOf(shape);
    if (!closed && m > 0 && H > arcDepth(shape)) {
        const std::string label =
            std::get_if<ArcBottom>(&shape) != nullptr
                ? "α=" + shortest(std::get<ArcBottom>(shape).alphaDegrees) + "°"
                : "1:" + shortest(m);
        const double length = std::sqrt(1 + m * m);
        const double angle = std::atan2(1.0, m) * 180.0 / std::numbers::pi;
        const double off = (labelHeight * 0.5 + 1.0) * s;
        const double y = (arcDepth(shape) + H) / 2;
        const dxf::Point midLeft{axis - across(y), y};
        const dxf::Point midRight{axis + across(y), y};
        sheet.text(texts, {midLeft.x - off / length, midLeft.y - off * m / length}, labelHeight,
                   label, -angle);
        sheet.text(texts, {midRight.x + off / length, midRight.y - off * m / length}, labelHeight,
                   label, angle);
    }

    const std::string title = (section.title.empty() ? std::string("渠道断面图") : section.title) +
                              "  1:" + std::to_string(scale);
    sheet.text(texts, {axis, -(2 * dimensionStep + titleHeight) * s}, titleHeight, title);
    return closed ? axis + D / 2 + berm : topRight.x + banks.reach;
}

// Draws one section with its left bank top at x = x0, returns the x its drawing ends at.
double drawOne(Sheet& sheet, const SectionOutline& section, double x0, int scale) {
    if (section.shape && !std::holds_alternative<Trapezoid>(*section.shape))
        return drawShaped(sheet, section, x0, scale);
    const double s = sheet.s;
    // The lengths as shown, so that each dimension reads the number the window and the book
    // show: b and h as their fields or the book's heading write them (three decimals at
    // most); hb and H, which the book writes to six digits, rounded once from their values.
    const double b = shownMillimetres(section.widthText, section.b);
    const double h = shownMillimetres(section.depthText, section.h);
    // hb 0 where there is none.
    const double hb = section.enlargedDepth ? shownMillimetres({}, *section.enlargedDepth) : 0.0;
    const double H = section.bankHeight ? shownMillimetres({}, *section.bankHeight)
                                        : std::round(1.2 * std::max(h, hb));
    const double m = section.m;
    const double berm = bermLength * s;
    const Banks banks = banksOf(section, H, berm);
    const dxf::Point topLeft{x0 + banks.reach - berm, H};
    const dxf::Point toeLeft{topLeft.x + m * H, 0};
    const dxf::Point toeRight{toeLeft.x + b, 0};
    const dxf::Point topRight{toeRight.x + m * H, H};

    sheet.line(outline, topLeft, toeLeft);
    sheet.line(outline, toeLeft, toeRight);
    sheet.line(outline, toeRight, topRight);
    drawBanks(sheet, banks, topLeft, topRight);

    // The depth as the window shows it; the enlarged one, which no field shows, as the book
    // writes it.
    const std::string depth =
        section.depthText.empty() ? readableNumber(section.h) : section.depthText;
    sheet.water(design, toeLeft.x - m * h, toeRight.x + m * h, h, "设计水位 h = " + depth + " m",
                0.2, section.enlargedDepth.has_value());
    if (section.enlargedDepth) {
        sheet.water(enlarged, toeLeft.x - m * hb, toeRight.x + m * hb, hb,
                    "加大水位 hb = " + readableNumber(*section.enlargedDepth) + " m", 0.6, false);
    }

    // b under the bottom; h and then H left of the left bank's ground line.
    const double dimensionX = topLeft.x - banks.reach - dimensionStep * s;
    sheet.dimension(toeLeft, toeRight, {toeLeft.x, -dimensionStep * s}, 0);
    sheet.dimension(toeLeft, {toeLeft.x - m * h, h}, {dimensionX, 0}, 90);
    sheet.dimension(toeLeft, topLeft, {dimensionX - dimensionStep * s, 0}, 90, "渠深 H=<>");

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
    return topRight.x + banks.reach;
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

bool drawableToScale(const SectionShape& shape, double h) {
    if (!shapeProblem(shape).empty() || !std::isfinite(h) || !(h > 0) || h > fullDepth(shape))
        return false;
    const double across = isClosed(shape) ? fullDepth(shape) : topWidthAt(shape, h);
    const double depth = isClosed(shape) ? fullDepth(shape) : h;
    constexpr double least = 1e-3, most = 1e5, lopsided = 1e4;  // m, m, a ratio
    if (!std::isfinite(across)) return false;
    const double larger = std::max(across, depth);
    return larger >= least && larger <= most && std::min(across, depth) * lopsided >= larger;
}

std::vector<dxf::Entity> shapeOutline(const SectionShape& shape, double top) {
    std::vector<dxf::Entity> pieces;
    if (const auto* c = std::get_if<Circle>(&shape)) {
        pieces.emplace_back(dxf::Circle{{}, {0, c->D / 2}, c->D / 2});
        return pieces;
    }
    if (const auto* t = std::get_if<Trapezoid>(&shape)) {
        const double half = t->b / 2;
        pieces.emplace_back(dxf::Line{{}, {-half - t->m * top, top}, {-half, 0}});
        pieces.emplace_back(dxf::Line{{}, {-half, 0}, {half, 0}});
        pieces.emplace_back(dxf::Line{{}, {half, 0}, {half + t->m * top, top}});
        return pieces;
    }
    // The arcs turn through β from the lowest point to where the walls of slope m leave them
    // (the toe arcs: atan(1/m); the U: 90° − α), sin β = 1/√(1 + m²) and cos β = m/√(1 + m²).
    double half = 0, r = 0, m = 0, beta = 0, sine = 0, cosine = 0;
    if (const auto* a = std::get_if<ArcToeTrapezoid>(&shape)) {
        half = a->b / 2, r = a->r, m = a->m;
        beta = portableAtan2(1.0, m) * 180.0 / std::numbers::pi;
        sine = 1 / std::sqrt(1 + m * m), cosine = m / std::sqrt(1 + m * m);
    } else if (const auto* u = std::get_if<ArcBottom>(&shape)) {
        r = u->r, m = portableTanDegrees(u->alphaDegrees);
        beta = 90.0 - u->alphaDegrees;
        sine = portableCosDegrees(u->alphaDegrees), cosine = portableSinDegrees(u->alphaDegrees);
    }
    const double rise = r - r * cosine;
    const dxf::Point leaveLeft{-half - r * sine, rise};
    const dxf::Point leaveRight{half + r * sine, rise};
    const double wall = std::max(top - rise, 0.0);
    pieces.emplace_back(dxf::Line{{}, {leaveLeft.x - m * wall, rise + wall}, leaveLeft});
    if (half > 0) {
        pieces.emplace_back(dxf::Arc{{}, {-half, r}, r, 270.0 - beta, 270.0});
        pieces.emplace_back(dxf::Line{{}, {-half, 0}, {half, 0}});
        pieces.emplace_back(dxf::Arc{{}, {half, r}, r, 270.0, 270.0 + beta});
    } else {
        pieces.emplace_back(dxf::Arc{{}, {0, r}, r, 270.0 - beta, 270.0 + beta});
    }
    pieces.emplace_back(dxf::Line{{}, leaveRight, {leaveRight.x + m * wall, rise + wall}});
    return pieces;
}

double bankHeightOf(const SectionOutline& section) {
    if (section.bankHeight) return *section.bankHeight;
    return 1.2 * std::max(section.h, section.enlargedDepth.value_or(0.0));
}

double shownMillimetres(const std::string& text, double metres) {
    double shown = 0;
    const char* begin = text.data();
    const auto [end, error] = std::from_chars(begin, begin + text.size(), shown);
    if (error == std::errc() && end != begin && std::isfinite(shown)) {
        const double whole = std::round(shown * 1000.0);
        if (whole > 0) return whole;
    }
    const double whole = std::round(metres * 1000.0);
    return whole > 0 ? whole : metres * 1000.0;
}

namespace {

struct Box {
    double x0 = std::numeric_limits<double>::max(), y0 = x0;
    double x1 = std::numeric_limits<double>::lowest(), y1 = x1;
    void add(dxf::Point p) {
        x0 = std::min(x0, p.x), y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    }
    void add(dxf::Point p, double rx, double ry) {
        add({p.x - rx, p.y - ry});
        add({p.x + rx, p.y + ry});
    }
};

// What the drawing covers, its texts and the dimensions' texts taken at their estimated size.
Box extentOf(const dxf::Drawing& drawing) {
    Box box;
    const double s = drawing.scale;
    for (const dxf::Entity& e : drawing.entities) {
        if (const auto* l = std::get_if<dxf::Line>(&e)) {
            box.add(l->a), box.add(l->b);
        } else if (const auto* t = std::get_if<dxf::Text>(&e)) {
            const double w = textWidth(t->text, t->height);
            if (t->angle != 0) {
                box.add(t->at, w / 2 + t->height, w / 2 + t->height);
            } else {
                const double left = t->align == dxf::Text::Align::Left    ? 0
                                    : t->align == dxf::Text::Align::Right ? w
                                                                          : w / 2;
                box.add({t->at.x - left, t->at.y - t->height});
                box.add({t->at.x - left + w, t->at.y + t->height});
            }
        } else if (const auto* a = std::get_if<dxf::Arc>(&e)) {
            box.add(a->centre, a->radius, a->radius);
        } else if (const auto* c = std::get_if<dxf::Circle>(&e)) {
            box.add(c->centre, c->radius, c->radius);
        } else if (const auto* d = std::get_if<dxf::Dimension>(&e)) {
            const double reach = (1.0 + 1.5 * dxf::dimensionTextHeight) * s;
            box.add(d->from), box.add(d->to);
            // The text stands above a horizontal dimension line, left of a vertical one.
            if (d->angle == 90)
                box.add({d->line.x - reach, d->from.y});
            else
                box.add({d->from.x, d->line.y + reach}), box.add({d->from.x, d->line.y});
        }
    }
    return box;
}

// The sections alone, left to right from x = 0, the bed at y = 0.
dxf::Drawing sectionsAlone(const std::vector<SectionOutline>& sections, int scale) {
    Sheet sheet{dxf::Drawing{}, static_cast<double>(scale)};
    sheet.drawing.scale = scale;
    const bool anyEnlarged = std::any_of(sections.begin(), sections.end(),
                                         [](const SectionOutline& s) { return s.enlargedDepth; });
    sheet.drawing.layers = {{outline, 7, false, 50}, {design, 5, false, 25}};
    if (anyEnlarged) sheet.drawing.layers.push_back({enlarged, 4, true, 25});
    sheet.drawing.layers.push_back({dimensions, 3, false, 18});
    sheet.drawing.layers.push_back({texts, 7, false, 25});
    sheet.drawing.layers.push_back({frame, 7, false, thin});
    double x = 0;
    for (const SectionOutline& section : sections)
        x = drawOne(sheet, section, x, scale) + sectionGap * sheet.s + leftMargin(sheet.s);
    return sheet.drawing;
}

}  // namespace

void drawSheetFrame(dxf::Drawing& drawing, dxf::Point corner, const SheetFrame& frameOf,
                    const DrawingSheet& sheet) {
    const double s = drawing.scale;
    const auto at = [corner, s](double x, double y) {
        return dxf::Point{corner.x + x * s, corner.y + y * s};
    };
    const auto line = [&](double x0, double y0, double x1, double y1, int weight) {
        drawing.entities.emplace_back(dxf::Line{frame, at(x0, y0), at(x1, y1), weight});
    };
    const auto rectangle = [&](double x0, double y0, double x1, double y1, int weight) {
        line(x0, y0, x1, y0, weight);
        line(x1, y0, x1, y1, weight);
        line(x1, y1, x0, y1, weight);
        line(x0, y1, x0, y0, weight);
    };
    // A text centred in its cell, made smaller where it would not fit.
    const auto cell = [&](double x0, double x1, double row, const std::string& text) {
        if (text.empty()) return;
        const double width = x1 - x0 - 2;
        const double em = textWidth(text, 1.0);
        const double height = std::min(labelHeight, em > 0 ? width / em : labelHeight);
        const double y = margin + (blockRows - row - 0.5) * blockRow;
        drawing.entities.emplace_back(
            dxf::Text{frame, at((x0 + x1) / 2, y), height * s, text, 0, dxf::Text::Align::Centre});
    };

    rectangle(0, 0, frameOf.width, frameOf.height, thin);
    const double right = frameOf.width - margin;
    rectangle(bindingMargin, margin, right, frameOf.height - margin, thick);

    const double left = right - blockWidth;
    const double top = margin + blockRows * blockRow;
    line(left, top, right, top, thick);
    line(left, margin, left, top, thick);
    for (int row = 1; row < static_cast<int>(blockRows); ++row)
        line(left, top - row * blockRow, right, top - row * blockRow, thin);
    // Labels at 0 and 70, values from 20 and 90; the first two rows' values span the block.
    const double value = blockWidth / 2 - blockLabel;
    const double columns[] = {left, left + blockLabel, left + blockLabel + value,
                              left + 2 * blockLabel + value, right};
    line(columns[1], margin, columns[1], top, thin);
    line(columns[2], margin, columns[2], top - 2 * blockRow, thin);
    line(columns[3], margin, columns[3], top - 2 * blockRow, thin);

    cell(columns[0], columns[1], 0, "工程名称");
    cell(columns[1], right, 0, sheet.book.project);
    cell(columns[0], columns[1], 1, "图名");
    cell(columns[1], right, 1, frameOf.title);
    const std::string rows[3][4] = {
        {"设计", sheet.book.designer, "比例", frameOf.scale},
        {"校核", sheet.book.checker, "日期", sheet.date},
        {"审核", sheet.book.reviewer, "尺寸单位", frameOf.units},
    };
    for (int k = 0; k < 3; ++k) {
        for (int c = 0; c < 4; ++c)
            cell(columns[c], columns[c + 1], k + 2, rows[k][c]);
    }
}

namespace {

// The room the sections have on the sheet, in paper millimetres: inside the frame, above the
// title block, clear of both.
constexpr double roomLeft = bindingMargin + room;
constexpr double roomRight = sheetWidth - margin - room;
constexpr double roomBottom = margin + blockRows * blockRow + room;
constexpr double roomTop = sheetHeight - margin - room;

bool fits(const Box& box, double s) {
    return box.x1 - box.x0 <= (roomRight - roomLeft) * s &&
           box.y1 - box.y0 <= (roomTop - roomBottom) * s;
}

}  // namespace

int fittingScale(const std::vector<SectionOutline>& sections, int least) {
    if (least > 0 && fits(extentOf(sectionsAlone(sections, least)), least)) return least;
    // 1, 2, 5 times a power of ten, from the first above `least`; a section a page holds
    // (drawableToScale) fits long before the end.
    for (long long power = 1; power <= 100'000'000; power *= 10) {
        for (const int step : {1, 2, 5}) {
            const long long scale = step * power;
            if (scale <= least) continue;
            const int k = static_cast<int>(scale);
            if (fits(extentOf(sectionsAlone(sections, k)), k)) return k;
        }
    }
    return std::max(least, 1);
}

dxf::Drawing sectionDrawing(const std::vector<SectionOutline>& sections, int scale,
                            const DrawingSheet& sheet) {
    dxf::Drawing drawing = sectionsAlone(sections, scale);
    const double s = drawing.scale;
    // The sections centred in their room on the sheet.
    const Box box = extentOf(drawing);
    const bool any = box.x0 <= box.x1;
    const double cx = any ? (box.x0 + box.x1) / 2 : 0;
    const double cy = any ? (box.y0 + box.y1) / 2 : 0;
    const double ox = cx - (roomLeft + roomRight) / 2 * s;
    const double oy = cy - (roomBottom + roomTop) / 2 * s;
    drawSheetFrame(drawing, {ox, oy},
                   {sheetWidth, sheetHeight, "渠道断面图", "1:" + std::to_string(scale), "mm"},
                   sheet);
    drawing.sheetLow = {ox, oy};
    drawing.sheetHigh = {ox + sheetWidth * s, oy + sheetHeight * s};
    return drawing;
}

}  // namespace lintavo
