#pragma once

// The book's formulas as equations a word processor can edit: a formula string such as
// "(b + m·h)·h", "A·C·√(R·i)", "(1 / n)·R^(1/6)" or "Q² / (C²·A²·R)" read into a tree of
// Office Math (OMML) elements — runs, fractions (m:f), radicals (m:rad), superscripts
// (m:sSup), subscripts (m:sSub) and brackets (m:d) — that formats/docx.cpp writes out.
//
//   parseFormula("Q² / (C²·A²·R)")
//     → Row[ Fraction[ Row[Sup[Row[Q], Row[2]]], Row[Sup[C]…, "·", Sup[A]…, "·", R] ] ]
//
// A fraction's brackets go, as in print: "(D − P) / (2·(m − 2·s))" is a stacked fraction of
// "D − P" over "2·(m − 2·s)"; "(1 / n)·R" a stacked 1 over n times R. A fraction in an
// exponent stays on one line ("R^(1/6)"). A name's first letter carries the rest as a
// subscript where the rest is digits or lower-case letters: "h1" → h₁, "hb" → h_b, "Qd" → Q_d,
// "hmin" → h_min, "χ0" → χ₀; Chinese written right after a letter or after "_" is its
// subscript too: "v不冲", "h_加大". "nQ" (n times Q) stays as it is. Relations (=, <, >, ≤,
// ≥) join terms; terms written side by side multiply ("2g·r", "2(√(1 + m²) − m)"); a unit
// after a number ("0.5 m", "1.2 m³/s", "25%") is set upright, as are function names
// ("max(a, b)") and Chinese. A character the reader does not know stays in a run as it is,
// so no formula is lost.

#include <string>
#include <string_view>
#include <vector>

namespace lintavo {

struct MathNode {
    enum class Kind {
        Row,          // children side by side
        Run,          // text
        Fraction,     // children: numerator, denominator (rows)
        Radical,      // children: the row under the root
        Superscript,  // children: base, exponent (rows)
        Subscript,    // children: base, subscript (rows)
        Brackets,     // children: the row inside round brackets
        Unit,         // text: a unit after a number, set upright: "m³/s", "%"
    };
    Kind kind = Kind::Row;
    std::string text;     // of a Run or a Unit
    bool linear = false;  // a Fraction written on one line, a/b
    std::vector<MathNode> children;
    bool upright = false;  // a Run that is a function's name or a word, not a variable
};

// The formula as a Row. Never fails: what cannot be read becomes runs.
MathNode parseFormula(std::string_view formula);

// The tree back as linear text, brackets where they were dropped: "(D − P)/(2·(m − 2·s))".
// For checks and for a document's alternative text.
std::string linearText(const MathNode& node);

}  // namespace lintavo
