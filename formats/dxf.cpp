#include "formats/dxf.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

namespace lintavo::dxf {

namespace {

// The drawing's text style, in gbenor.shx and its big font gbcbig.shx (dxf.h): the shapes
// GB/T 14691 draws, at width 1, which is already their 长仿宋 proportion.
constexpr const char* textStyle = "Lintavo";
constexpr const char* dimensionStyle = "Lintavo";
// Paper millimetres, multiplied by the scale like the text and the arrows.
constexpr double extensionOffset = 1.0;
constexpr double extensionBeyond = 1.5;
constexpr double textGap = 1.0;
// The dash and the gap of the DASHED line type, in paper millimetres; $LTSCALE scales them.
constexpr double dash = 6.0;
constexpr double dashGap = 2.0;

std::string number(double x) {
    if (!std::isfinite(x)) x = 0;
    if (x == 0) x = 0;  // no "-0"
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, x);
    std::string text(buffer, error == std::errc() ? end : buffer);
    // A reader takes "2" as a real too, but AutoCAD writes reals with a point; so do we.
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

std::string hex(unsigned handle) {
    char buffer[16];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, handle, 16);
    std::string text(buffer, error == std::errc() ? end : buffer);
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'a' && c <= 'f' ? static_cast<char>(c - 32) : c; });
    return text;
}

Point operator+(Point a, Point b) {
    return {a.x + b.x, a.y + b.y};
}
Point operator-(Point a, Point b) {
    return {a.x - b.x, a.y - b.y};
}
Point operator*(Point a, double k) {
    return {a.x * k, a.y * k};
}
double dot(Point a, Point b) {
    return a.x * b.x + a.y * b.y;
}

Point direction(double degrees) {
    if (degrees == 0) return {1, 0};
    if (degrees == 90) return {0, 1};
    const double r = degrees * std::numbers::pi / 180.0;
    return {std::cos(r), std::sin(r)};
}

// Group codes and values, one a line, as the file is made of.
class Out {
  public:
    void tag(int code, const std::string& value) {
        text_ += std::to_string(code);
        text_ += "\r\n";
        text_ += value;
        text_ += "\r\n";
    }
    void tag(int code, const char* value) { tag(code, std::string(value)); }
    void integer(int code, long value) { tag(code, std::to_string(value)); }
    void real(int code, double value) { tag(code, number(value)); }
    void handle(int code, unsigned h) { tag(code, hex(h)); }
    // A point's x, y and z at codes code, code + 10 and code + 20.
    void point(int code, Point p) {
        real(code, p.x);
        real(code + 10, p.y);
        real(code + 20, 0);
    }
    std::string take() { return std::move(text_); }

  private:
    std::string text_;
};

// The geometry a DIMENSION's block draws, worked out once for the entity and its block.
struct DimensionGeometry {
    Point along;  // unit vector of the measured direction
    Point side;   // unit normal, the side the text stands on
    Point foot1;  // where the extension lines meet the dimension line
    Point foot2;
    Point text;  // middle of the text
    double value;
    double textAngle;  // degrees, so that the text reads from below or from the right
};

DimensionGeometry geometryOf(const Dimension& d, double scale) {
    DimensionGeometry g{};
    g.along = direction(d.angle);
    g.side = {-g.along.y, g.along.x};
    // The feet: each origin moved across to the dimension line through `line`.
    g.foot1 = d.from + g.side * dot(d.line - d.from, g.side);
    g.foot2 = d.to + g.side * dot(d.line - d.to, g.side);
    g.value = std::abs(dot(d.to - d.from, g.along));
    g.text = (g.foot1 + g.foot2) * 0.5 + g.side * ((textGap + dimensionTextHeight / 2) * scale);
    g.textAngle = d.angle;
    return g;
}

// The dimension's number as the style writes it: whole millimetres (DIMDEC 0).
std::string measuredText(double value) {
    // A length no drawing has (the sections are bounded long before) still gets a text, not
    // a long's overflow.
    if (!(std::abs(value) < 1e15)) return "?";
    return std::to_string(std::lround(value));
}

// The dimension's text with "<>" put in for the number; the number alone when it has none.
std::string shownText(const std::string& text, double value) {
    const std::string number = measuredText(value);
    const std::size_t at = text.find("<>");
    if (at == std::string::npos) return text.empty() ? number : text;
    return text.substr(0, at) + number + text.substr(at + 2);
}

class Writer {
  public:
    explicit Writer(const Drawing& drawing) : d_(drawing) {
        // Handles of the tables and of the records everything else points to, in order.
        for (unsigned* h :
             {&vportTable_, &ltypeTable_, &layerTable_, &styleTable_, &viewTable_, &ucsTable_,
              &appidTable_, &dimstyleTable_, &blockTable_, &modelRecord_, &paperRecord_, &style_,
              &dimstyle_, &rootDictionary_, &groupDictionary_})
            *h = next_++;
        for (const Entity& e : d_.entities)
            if (std::holds_alternative<Dimension>(e)) dimensionRecords_.push_back(next_++);
    }

    std::string file() {
        // The header last, when $HANDSEED, the first handle not used, is known.
        tablesSection();
        blocksSection();
        entitiesSection();
        objectsSection();
        const std::string body = out_.take();
        header();
        out_.tag(0, "SECTION");
        out_.tag(2, "CLASSES");
        out_.tag(0, "ENDSEC");
        return out_.take() + body + "0\r\nEOF\r\n";
    }

  private:
    void header() {
        out_.tag(0, "SECTION");
        out_.tag(2, "HEADER");
        out_.tag(9, "$ACADVER");
        out_.tag(1, "AC1024");
        // Strings of AC1024 are UTF-8 whatever this says; it names the code page of the
        // drawings a Chinese system writes, for the programs that read it.
        out_.tag(9, "$DWGCODEPAGE");
        out_.tag(3, "ANSI_936");
        out_.tag(9, "$HANDSEED");
        out_.handle(5, next_);
        const auto [low, high] = extents();
        out_.tag(9, "$EXTMIN");
        out_.point(10, low);
        out_.tag(9, "$EXTMAX");
        out_.point(10, high);
        if (hasSheet()) {
            // The paper: its size in millimetres, the scale and where the sheet's corner lies,
            // by which a program that prints model space puts the sheet on the page.
            out_.tag(9, "$PLIMMIN");
            out_.real(10, 0), out_.real(20, 0);
            out_.tag(9, "$PLIMMAX");
            out_.real(10, (d_.sheetHigh.x - d_.sheetLow.x) / d_.scale);
            out_.real(20, (d_.sheetHigh.y - d_.sheetLow.y) / d_.scale);
            out_.tag(9, "$PSVPSCALE");
            out_.real(40, 1.0 / d_.scale);
            out_.tag(9, "$PINSBASE");
            out_.point(10, d_.sheetLow * (-1.0 / d_.scale));
            out_.tag(9, "$LIMMIN");
            out_.real(10, d_.sheetLow.x), out_.real(20, d_.sheetLow.y);
            out_.tag(9, "$LIMMAX");
            out_.real(10, d_.sheetHigh.x), out_.real(20, d_.sheetHigh.y);
        }
        out_.tag(9, "$INSUNITS");
        out_.integer(70, 4);  // millimetres
        out_.tag(9, "$MEASUREMENT");
        out_.integer(70, 1);  // metric
        out_.tag(9, "$LUNITS");
        out_.integer(70, 2);  // decimal
        out_.tag(9, "$LTSCALE");
        out_.real(40, d_.scale);
        out_.tag(9, "$DIMSCALE");
        out_.real(40, d_.scale);
        out_.tag(9, "$TEXTSTYLE");
        out_.tag(7, textStyle);
        out_.tag(9, "$DIMSTYLE");
        out_.tag(2, dimensionStyle);
        out_.tag(9, "$TEXTSIZE");
        out_.real(40, dimensionTextHeight * d_.scale);
        // The dimension style again as the drawing's current settings, which is what a program
        // that keeps no dimension styles draws its dimensions by.
        for (const auto& [name, value] : {std::pair{"$DIMASZ", arrowSize},
                                          {"$DIMEXO", extensionOffset},
                                          {"$DIMEXE", extensionBeyond},
                                          {"$DIMTXT", dimensionTextHeight},
                                          {"$DIMGAP", textGap}}) {
            out_.tag(9, name);
            out_.real(40, value);
        }
        // DIMTIH, DIMTOH: texts along their lines; DIMTAD: above them; DIMZIN: no trailing
        // zeros; DIMDEC: whole millimetres; DIMLUNIT: decimal.
        for (const auto& [name, value] : {std::pair{"$DIMTIH", 0},
                                          {"$DIMTOH", 0},
                                          {"$DIMTAD", 1},
                                          {"$DIMZIN", 8},
                                          {"$DIMDEC", 0},
                                          {"$DIMLUNIT", 2}}) {
            out_.tag(9, name);
            out_.integer(70, value);
        }
        out_.tag(9, "$DIMTXSTY");
        out_.tag(7, textStyle);
        out_.tag(9, "$CLAYER");
        out_.tag(8, "0");
        out_.tag(0, "ENDSEC");
    }

    std::pair<Point, Point> extents() const {
        double x0 = std::numeric_limits<double>::max(), y0 = x0;
        double x1 = std::numeric_limits<double>::lowest(), y1 = x1;
        const auto add = [&](Point p) {
            x0 = std::min(x0, p.x), y0 = std::min(y0, p.y);
            x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
        };
        if (hasSheet()) add(d_.sheetLow), add(d_.sheetHigh);
        for (const Entity& e : d_.entities) {
            if (const auto* l = std::get_if<Line>(&e)) add(l->a), add(l->b);
            if (const auto* t = std::get_if<Text>(&e)) add(t->at);
            if (const auto* m = std::get_if<Dimension>(&e)) add(m->from), add(m->to), add(m->line);
            if (const auto* a = std::get_if<Arc>(&e))
                add(a->centre - Point{a->radius, a->radius}),
                    add(a->centre + Point{a->radius, a->radius});
            if (const auto* c = std::get_if<Circle>(&e))
                add(c->centre - Point{c->radius, c->radius}),
                    add(c->centre + Point{c->radius, c->radius});
        }
        if (x0 > x1) return {{0, 0}, {0, 0}};
        return {{x0, y0}, {x1, y1}};
    }

    bool hasSheet() const {
        return d_.sheetLow.x != d_.sheetHigh.x || d_.sheetLow.y != d_.sheetHigh.y;
    }

    void tableHead(const char* name, unsigned handle, std::size_t count) {
        out_.tag(0, "TABLE");
        out_.tag(2, name);
        out_.handle(5, handle);
        out_.handle(330, 0);
        out_.tag(100, "AcDbSymbolTable");
        out_.integer(70, static_cast<long>(count));
    }

    void record(const char* type, unsigned table, const char* subclass, const std::string& name,
                int flags = 0) {
        out_.tag(0, type);
        out_.handle(5, next_++);
        out_.handle(330, table);
        out_.tag(100, "AcDbSymbolTableRecord");
        out_.tag(100, subclass);
        out_.tag(2, name);
        out_.integer(70, flags);
    }

    void tablesSection() {
        out_.tag(0, "SECTION");
        out_.tag(2, "TABLES");

        // The view the drawing opens in: all of it.
        const auto [low, high] = extents();
        tableHead("VPORT", vportTable_, 1);
        record("VPORT", vportTable_, "AcDbViewportTableRecord", "*Active");
        out_.real(10, 0), out_.real(20, 0), out_.real(11, 1), out_.real(21, 1);
        out_.real(12, (low.x + high.x) / 2), out_.real(22, (low.y + high.y) / 2);
        out_.real(13, 0), out_.real(23, 0), out_.real(14, 10), out_.real(24, 10);
        out_.real(15, 10), out_.real(25, 10);
        out_.real(16, 0), out_.real(26, 0), out_.real(36, 1);
        out_.real(17, 0), out_.real(27, 0), out_.real(37, 0);
        out_.real(40, std::max({(high.y - low.y) * 1.2, (high.x - low.x) * 0.8, 1.0}));
        out_.real(41, 1.5), out_.real(42, 50);
        out_.real(43, 0), out_.real(44, 0), out_.real(50, 0), out_.real(51, 0);
        out_.integer(71, 0), out_.integer(72, 1000), out_.integer(73, 1), out_.integer(74, 3);
        out_.integer(75, 0), out_.integer(76, 0), out_.integer(77, 0), out_.integer(78, 0);
        out_.tag(0, "ENDTAB");

        tableHead("LTYPE", ltypeTable_, 4);
        for (const char* name : {"ByBlock", "ByLayer", "Continuous"}) {
            record("LTYPE", ltypeTable_, "AcDbLinetypeTableRecord", name);
            out_.tag(3, std::string(name) == "Continuous" ? "Solid line" : "");
            out_.integer(72, 65), out_.integer(73, 0), out_.real(40, 0);
        }
        record("LTYPE", ltypeTable_, "AcDbLinetypeTableRecord", "DASHED");
        out_.tag(3, "Dashed __ __ __");
        out_.integer(72, 65), out_.integer(73, 2), out_.real(40, dash + dashGap);
        out_.real(49, dash), out_.integer(74, 0);
        out_.real(49, -dashGap), out_.integer(74, 0);
        out_.tag(0, "ENDTAB");

        std::vector<Layer> layers{{"0", 7, false, -3, true}, {"Defpoints", 7, false, -3, false}};
        layers.insert(layers.end(), d_.layers.begin(), d_.layers.end());
        tableHead("LAYER", layerTable_, layers.size());
        for (const Layer& l : layers) {
            record("LAYER", layerTable_, "AcDbLayerTableRecord", l.name);
            out_.integer(62, l.colour);
            out_.tag(6, l.dashed ? "DASHED" : "Continuous");
            if (!l.plotted) out_.integer(290, 0);
            out_.integer(370, l.lineweight);
        }
        out_.tag(0, "ENDTAB");

        tableHead("STYLE", styleTable_, 2);
        record("STYLE", styleTable_, "AcDbTextStyleTableRecord", "Standard");
        out_.real(40, 0), out_.real(41, 1), out_.real(50, 0), out_.integer(71, 0);
        out_.real(42, dimensionTextHeight), out_.tag(3, textFont), out_.tag(4, bigFont);
        // The drawing's own style, whose handle the dimension style points to.
        out_.tag(0, "STYLE");
        out_.handle(5, style_);
        out_.handle(330, styleTable_);
        out_.tag(100, "AcDbSymbolTableRecord");
        out_.tag(100, "AcDbTextStyleTableRecord");
        out_.tag(2, textStyle);
        out_.integer(70, 0);
        out_.real(40, 0), out_.real(41, 1), out_.real(50, 0), out_.integer(71, 0);
        out_.real(42, dimensionTextHeight * d_.scale), out_.tag(3, textFont), out_.tag(4, bigFont);
        out_.tag(0, "ENDTAB");

        tableHead("VIEW", viewTable_, 0);
        out_.tag(0, "ENDTAB");
        tableHead("UCS", ucsTable_, 0);
        out_.tag(0, "ENDTAB");

        tableHead("APPID", appidTable_, 1);
        record("APPID", appidTable_, "AcDbRegAppTableRecord", "ACAD");
        out_.tag(0, "ENDTAB");

        // The dimension style's record carries its handle in group 105, not 5.
        tableHead("DIMSTYLE", dimstyleTable_, 1);
        out_.tag(100, "AcDbDimStyleTable");
        out_.integer(71, 1);
        out_.tag(0, "DIMSTYLE");
        out_.handle(105, dimstyle_);
        out_.handle(330, dimstyleTable_);
        out_.tag(100, "AcDbSymbolTableRecord");
        out_.tag(100, "AcDbDimStyleTableRecord");
        out_.tag(2, dimensionStyle);
        out_.integer(70, 0);
        out_.real(40, d_.scale);              // DIMSCALE
        out_.real(41, arrowSize);             // DIMASZ
        out_.real(42, extensionOffset);       // DIMEXO
        out_.real(44, extensionBeyond);       // DIMEXE
        out_.integer(73, 0);                  // DIMTIH: text along the line inside
        out_.integer(74, 0);                  // DIMTOH: and outside
        out_.integer(77, 1);                  // DIMTAD: above the line
        out_.integer(78, 8);                  // DIMZIN: no trailing zeros
        out_.real(45, 0);                     // DIMRND: none beyond DIMDEC
        out_.real(140, dimensionTextHeight);  // DIMTXT
        out_.real(147, textGap);              // DIMGAP
        out_.integer(271, 0);                 // DIMDEC: whole millimetres
        out_.integer(277, 2);                 // DIMLUNIT: decimal
        out_.handle(340, style_);             // DIMTXSTY
        out_.tag(0, "ENDTAB");

        tableHead("BLOCK_RECORD", blockTable_, 2 + dimensionRecords_.size());
        const auto blockRecord = [this](unsigned handle, const std::string& name) {
            out_.tag(0, "BLOCK_RECORD");
            out_.handle(5, handle);
            out_.handle(330, blockTable_);
            out_.tag(100, "AcDbSymbolTableRecord");
            out_.tag(100, "AcDbBlockTableRecord");
            out_.tag(2, name);
            out_.handle(340, 0);
            out_.integer(70, 0);
            out_.integer(280, 1);
            out_.integer(281, 0);
        };
        blockRecord(modelRecord_, "*Model_Space");
        blockRecord(paperRecord_, "*Paper_Space");
        for (std::size_t k = 0; k < dimensionRecords_.size(); ++k)
            blockRecord(dimensionRecords_[k], "*D" + std::to_string(k + 1));
        out_.tag(0, "ENDTAB");

        out_.tag(0, "ENDSEC");
    }

    void entityHead(const char* type, unsigned owner, const std::string& layer) {
        out_.tag(0, type);
        out_.handle(5, next_++);
        out_.handle(330, owner);
        out_.tag(100, "AcDbEntity");
        out_.tag(8, layer);
    }

    void line(unsigned owner, const std::string& layer, Point a, Point b, bool byBlock,
              int lineweight = -1) {
        entityHead("LINE", owner, layer);
        if (byBlock) out_.integer(62, 0);
        if (lineweight >= 0) out_.integer(370, lineweight);
        out_.tag(100, "AcDbLine");
        out_.point(10, a);
        out_.point(11, b);
    }

    void block(unsigned record, const std::string& name, bool anonymous,
               const Dimension* dimension) {
        entityHead("BLOCK", record, "0");
        out_.tag(100, "AcDbBlockBegin");
        out_.tag(2, name);
        out_.integer(70, anonymous ? 1 : 0);
        out_.point(10, {0, 0});
        out_.tag(3, name);
        out_.tag(1, "");
        if (dimension != nullptr) dimensionBlock(record, *dimension);
        entityHead("ENDBLK", record, "0");
        out_.tag(100, "AcDbBlockEnd");
    }

    // What the dimension shows: extension lines, the dimension line, two filled arrowheads,
    // the measured text and the definition points, on layer 0 and coloured by the block so
    // that they take the DIMENSION's layer and colour.
    void dimensionBlock(unsigned record, const Dimension& d) {
        const double s = d_.scale;
        const DimensionGeometry g = geometryOf(d, s);
        const auto extension = [&](Point origin, Point foot) {
            const Point v = foot - origin;
            const double length = std::sqrt(dot(v, v));
            if (length <= extensionOffset * s) return;
            const Point u = v * (1.0 / length);
            line(record, "0", origin + u * (extensionOffset * s), foot + u * (extensionBeyond * s),
                 true);
        };
        extension(d.from, g.foot1);
        extension(d.to, g.foot2);
        line(record, "0", g.foot1, g.foot2, true);
        const Point inward = dot(g.foot2 - g.foot1, g.along) >= 0 ? g.along : g.along * -1.0;
        const auto arrow = [&](Point tip, Point towards) {
            const Point base = tip + towards * (arrowSize * s);
            const Point half = g.side * (arrowSize * s / 6.0);
            entityHead("SOLID", record, "0");
            out_.integer(62, 0);
            out_.tag(100, "AcDbTrace");
            out_.point(10, tip);
            out_.point(11, base + half);
            out_.point(12, base - half);
            out_.point(13, base - half);
        };
        arrow(g.foot1, inward);
        arrow(g.foot2, inward * -1.0);
        entityHead("MTEXT", record, "0");
        out_.integer(62, 0);
        out_.tag(100, "AcDbMText");
        out_.point(10, g.text);
        out_.real(40, dimensionTextHeight * s);
        out_.real(41, 0);
        out_.integer(71, 5);  // middle centre
        out_.integer(72, 1);  // left to right
        out_.tag(1, shownText(d.text, g.value));
        out_.tag(7, textStyle);
        out_.point(11, direction(g.textAngle));
        for (Point p : {d.from, d.to, g.foot2}) {
            entityHead("POINT", record, "Defpoints");
            out_.tag(100, "AcDbPoint");
            out_.point(10, p);
        }
    }

    void blocksSection() {
        out_.tag(0, "SECTION");
        out_.tag(2, "BLOCKS");
        block(modelRecord_, "*Model_Space", false, nullptr);
        block(paperRecord_, "*Paper_Space", false, nullptr);
        std::size_t k = 0;
        for (const Entity& e : d_.entities) {
            if (const auto* dim = std::get_if<Dimension>(&e)) {
                block(dimensionRecords_[k], "*D" + std::to_string(k + 1), true, dim);
                ++k;
            }
        }
        out_.tag(0, "ENDSEC");
    }

    void entitiesSection() {
        out_.tag(0, "SECTION");
        out_.tag(2, "ENTITIES");
        std::size_t k = 0;
        for (const Entity& e : d_.entities) {
            if (const auto* l = std::get_if<Line>(&e)) {
                line(modelRecord_, l->layer, l->a, l->b, false, l->lineweight);
            } else if (const auto* t = std::get_if<Text>(&e)) {
                text(*t);
            } else if (const auto* dim = std::get_if<Dimension>(&e)) {
                dimension(*dim, "*D" + std::to_string(++k));
            } else if (const auto* a = std::get_if<Arc>(&e)) {
                circle("ARC", a->layer, a->centre, a->radius);
                out_.tag(100, "AcDbArc");
                out_.real(50, a->startDegrees);
                out_.real(51, a->endDegrees);
            } else if (const auto* c = std::get_if<Circle>(&e)) {
                circle("CIRCLE", c->layer, c->centre, c->radius);
            }
        }
        out_.tag(0, "ENDSEC");
    }

    // The part an ARC shares with a CIRCLE: its centre and radius.
    void circle(const char* type, const std::string& layer, Point centre, double radius) {
        entityHead(type, modelRecord_, layer);
        out_.tag(100, "AcDbCircle");
        out_.point(10, centre);
        out_.real(40, radius);
    }

    void text(const Text& t) {
        entityHead("TEXT", modelRecord_, t.layer);
        out_.tag(100, "AcDbText");
        out_.point(10, t.at);
        out_.real(40, t.height);
        out_.tag(1, t.text);
        if (t.angle != 0) out_.real(50, t.angle);
        out_.tag(7, textStyle);
        const int horizontal = t.align == Text::Align::Left    ? 0
                               : t.align == Text::Align::Right ? 2
                                                               : 1;
        out_.integer(72, horizontal);
        out_.point(11, t.at);
        out_.tag(100, "AcDbText");
        out_.integer(73, 2);  // middle
    }

    void dimension(const Dimension& d, const std::string& blockName) {
        const DimensionGeometry g = geometryOf(d, d_.scale);
        entityHead("DIMENSION", modelRecord_, d.layer);
        out_.tag(100, "AcDbDimension");
        out_.integer(280, 0);
        out_.tag(2, blockName);
        out_.point(10, g.foot2);
        out_.point(11, g.text);
        out_.integer(70, 32);  // rotated linear, its block referenced by it alone
        out_.integer(71, 5);
        out_.real(42, g.value);
        if (!d.text.empty()) out_.tag(1, d.text);
        out_.tag(3, dimensionStyle);
        out_.tag(100, "AcDbAlignedDimension");
        out_.point(13, d.from);
        out_.point(14, d.to);
        out_.real(50, d.angle);
        out_.tag(100, "AcDbRotatedDimension");
    }

    void objectsSection() {
        out_.tag(0, "SECTION");
        out_.tag(2, "OBJECTS");
        dictionary(rootDictionary_, 0);
        out_.tag(3, "ACAD_GROUP");
        out_.handle(350, groupDictionary_);
        dictionary(groupDictionary_, rootDictionary_);
        out_.tag(0, "ENDSEC");
    }

    // A DICTIONARY's head: its handle and its owner (0 for the root), which a dictionary
    // owned by another also names as its reactor.
    void dictionary(unsigned handle, unsigned owner) {
        out_.tag(0, "DICTIONARY");
        out_.handle(5, handle);
        if (owner != 0) {
            out_.tag(102, "{ACAD_REACTORS");
            out_.handle(330, owner);
            out_.tag(102, "}");
        }
        out_.handle(330, owner);
        out_.tag(100, "AcDbDictionary");
        out_.integer(281, 1);
    }

    const Drawing& d_;
    Out out_;
    unsigned next_ = 1;
    unsigned vportTable_ = 0, ltypeTable_ = 0, layerTable_ = 0, styleTable_ = 0, viewTable_ = 0,
             ucsTable_ = 0, appidTable_ = 0, dimstyleTable_ = 0, blockTable_ = 0, modelRecord_ = 0,
             paperRecord_ = 0, style_ = 0, dimstyle_ = 0, rootDictionary_ = 0, groupDictionary_ = 0;
    std::vector<unsigned> dimensionRecords_;
};

}  // namespace

double measurement(const Dimension& dimension) {
    return std::abs(dot(dimension.to - dimension.from, direction(dimension.angle)));
}

std::string dimensionText(const Dimension& dimension) {
    return shownText(dimension.text, measurement(dimension));
}

std::string write(const Drawing& drawing) {
    return Writer(drawing).file();
}

}  // namespace lintavo::dxf
