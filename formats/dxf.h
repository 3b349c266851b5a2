#pragma once

// A drawing as data — lines, arcs, circles, texts and linear dimensions on named layers — and its
// writer as ASCII DXF in the AutoCAD 2010 format (AC1024), whose strings are UTF-8, so Chinese
// layer names and texts need no escapes. The writer only serialises: what is drawn where is
// decided by the caller (formats/section_drawing.h).
//
// The format: Autodesk's "DXF Reference" for AutoCAD 2010 (HEADER, TABLES, BLOCKS, ENTITIES,
// OBJECTS sections; group codes of LINE, ARC, CIRCLE, TEXT, DIMENSION, SOLID, MTEXT, POINT and of
// the VPORT, LTYPE, LAYER, STYLE, APPID, DIMSTYLE and BLOCK_RECORD tables). A DIMENSION is drawn by
// an anonymous block *Dn that the writer builds from the dimension's points and the dimension
// style, as a CAD program would, so that a reader that does not regenerate dimensions still shows
// them; the program regenerates it when the user edits one.
//
//   dxf::Drawing d;
//   d.scale = 50;
//   d.layers = {{"轮廓线", 7, false, 50}};
//   d.entities.push_back(dxf::Line{"轮廓线", {0, 0}, {2000, 0}});
//   std::string file = dxf::write(d);

#include <string>
#include <variant>
#include <vector>

namespace lintavo::dxf {

struct Point {
    double x = 0;
    double y = 0;
};

struct Layer {
    std::string name;
    int colour = 7;       // AutoCAD colour index: 1 red … 5 blue, 7 black/white
    bool dashed = false;  // the layer's line type is DASHED instead of Continuous
    int lineweight = -3;  // hundredths of a millimetre on paper; -3 the default
    bool plotted = true;
};

struct Line {
    std::string layer;
    Point a;
    Point b;
    int lineweight = -1;  // hundredths of a millimetre on paper; -1 the layer's
};

// A single line of text in the drawing's text style. `height` is in drawing units; the
// text is centred on `at` horizontally and vertically, turned by `angle` degrees.
struct Text {
    std::string layer;
    Point at;
    double height = 0;
    std::string text;
    double angle = 0;
    enum class Align { Centre, Left, Right } align = Align::Centre;
};

// A linear dimension measuring the distance between `from` and `to` along the direction
// `angle` (0 horizontal, 90 vertical); its dimension line passes through `line`. Its text is
// the measurement in whole millimetres, or `text` with "<>" standing for the measurement
// ("渠深 H=<>" → "渠深 H=3255"), as a CAD program keeps it when the dimension is edited.
struct Dimension {
    std::string layer;
    Point from;
    Point to;
    Point line;
    double angle = 0;
    std::string text{};
};

// An arc of a circle about `centre`, from `startDegrees` counter-clockwise to `endDegrees`
// (angles from the positive x axis), as the DXF ARC entity draws it.
struct Arc {
    std::string layer;
    Point centre;
    double radius = 0;
    double startDegrees = 0;
    double endDegrees = 0;
};

// A whole circle, the DXF CIRCLE entity.
struct Circle {
    std::string layer;
    Point centre;
    double radius = 0;
};

using Entity = std::variant<Line, Text, Dimension, Arc, Circle>;

struct Drawing {
    // 1:scale on paper: text heights and arrows are given in paper millimetres in the
    // dimension style and multiplied by it, so 3.5 mm text is 3.5·scale drawing units high.
    double scale = 1;
    // The sheet in model space (the frame's outer corners), for the limits and the view;
    // none when both are equal.
    Point sheetLow{};
    Point sheetHigh{};
    std::vector<Layer> layers;
    std::vector<Entity> entities;
};

// The text style, by the Chinese drafting convention (长仿宋): the national standard's stroke
// font for letters and digits and its big font for Chinese, at their own width.
inline constexpr const char* textFont = "gbenor.shx";
inline constexpr const char* bigFont = "gbcbig.shx";

// The height in paper millimetres of dimension texts, and the size of their arrows.
inline constexpr double dimensionTextHeight = 3.5;
inline constexpr double arrowSize = 2.5;

// The file: ASCII DXF, lines ended by "\r\n", UTF-8, one unit a millimetre.
std::string write(const Drawing& drawing);

// The length a dimension measures: |to − from| projected on its direction.
double measurement(const Dimension& dimension);

// What a dimension shows: its measurement rounded to whole millimetres, put in its text.
//   dimensionText({.from = {0, 0}, .to = {2109, 0}}) → "2109"
//   dimensionText({.from = {0, 0}, .to = {0, 3254.8}, .angle = 90, .text = "渠深 H=<>"})
//       → "渠深 H=3255"
std::string dimensionText(const Dimension& dimension);

}  // namespace lintavo::dxf
