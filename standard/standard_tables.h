#pragma once

// The tables of the irrigation and drainage design standard that the design check and the
// reference dialog read: roughness n (Appendix B), allowed scouring velocities (Appendix C)
// and least side slopes m (tables 6.4.4, 6.4.7 and, for drainage ditches, 7.2.10). They live in one
// data file (resources/gb50288.tsv), not in code, so that a misread cell is mended in one place;
// this is its reader, plain C++ so that the tests can feed it the file without a display.
//
//   parseStandardTables("table\tB.0.2\t2018\tn\t石渠糙率\ncolumns\t类别\t渠槽特征\t糙率\n"
//                       "row\t石渠\t未经修整的\t0.0350–0.0450\n")
//     → one table B.0.2 of kind n, one row whose cell is the range 0.035 to 0.045

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lintavo {

// One cell as printed: a value, a range, a bound, or nothing.
struct StandardValue {
    enum class Shape { None, Exact, Range, Below, Above };  // "", 0.025, 0.035–0.045, <2.5, >3.2
    Shape shape = Shape::None;
    double low = 0;    // Exact: the value; Range: its low end; Below, Above: the bound
    double high = 0;   // Range: its high end; Exact: the value; otherwise the bound
    std::string text;  // as printed

    bool exists() const { return shape != Shape::None; }
};

// What a table's values are.
enum class StandardKind {
    Roughness,    // n
    SideSlope,    // m
    DitchSlope,   // m of drainage ditches by the ditch's depth, whose deepest band is a bound
    Cohesive,     // allowed scouring velocity of cohesive soils at R = 1 m, m/s
    NonCohesive,  // of non-cohesive soils, by depth, m/s
    Rock,         // of rock, by depth, m/s
    Lining,       // of linings, m/s
};

struct StandardRow {
    std::string group;  // 砌石, Q > 20, a grain size …
    std::string name;   // 中壤土, 混凝土（现场浇筑）…
    std::vector<StandardValue> cells;
};

struct StandardTable {
    std::string number;  // "C.0.2", "6.4.4"
    int year = 0;        // of the standard, 2018
    StandardKind kind = StandardKind::Roughness;
    std::string title;
    std::string groupLabel;  // the first two columns' headings
    std::string nameLabel;
    std::vector<std::string> columns;  // the value columns' headings
    std::vector<double> depths;        // the depth of each value column, where looked up by depth
    std::vector<StandardRow> rows;
};

struct StandardTables {
    std::vector<StandardTable> tables;
    // Empty when the file was read whole; otherwise what was wrong and on which line.
    std::string error;

    const StandardTable* find(std::string_view number) const;
};

// A cell's text: "0.0250", "0.0350–0.0450" (also with '-' or '~'), "<2.5", ">3.20", "" or "—".
StandardValue parseStandardValue(std::string_view text);

StandardTables parseStandardTables(std::string_view text);

// The bed materials of Appendix C, the names the settings dialog lists and the settings keep.
struct Bed {
    std::string name;
    StandardKind kind;           // Cohesive, NonCohesive, Rock or Lining
    const StandardTable* table;  // in the tables it was taken from, which must outlive it
    const StandardRow* row;

    bool earth() const {
        return kind == StandardKind::Cohesive || kind == StandardKind::NonCohesive;
    }
};

struct BedTables {
    std::vector<Bed> beds;  // in the standard's order: C.0.1, C.0.2, C.0.3, C.0.4
    // The side slopes' tables, in the tables the beds were taken from: 6.4.4 (cut), 6.4.7
    // (fill) and 7.2.10 (drainage ditches); each null where the tables lack it.
    const StandardTable* cutSlopes = nullptr;
    const StandardTable* fillSlopes = nullptr;
    const StandardTable* drainageSlopes = nullptr;

    const Bed* find(std::string_view name) const;
};

BedTables bedsOf(const StandardTables& tables);

}  // namespace lintavo
