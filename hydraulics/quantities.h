#pragma once

// The channel quantities, the one list of them: each with its symbol, the prefix of the
// field that holds it (a field's name begins with the three-letter abbreviation of its
// quantity: dkb1, llQ, ssh4), the caption of its label and its unit. Windows, books, the
// batch and the reports all read captions and units from here.

#include <array>
#include <string_view>

#include "hydraulics/static_text.h"

namespace lintavo {

struct Quantity {
    char symbol;
    StaticText prefix;
    StaticText caption;
    StaticText unit;  // SI; "" for a pure number
};

inline constexpr std::array<Quantity, 10> quantities{{
    {'Q', "llQ", "流量Q", "m³/s"},   // discharge
    {'v', "lsv", "流速v", "m/s"},    // mean velocity
    {'b', "dkb", "底宽b", "m"},      // bottom width
    {'h', "ssh", "水深h", "m"},      // depth of uniform flow
    {'m', "bpm", "边坡系数m", ""},   // side-slope coefficient
    {'i', "dpi", "底坡i", ""},       // bottom slope
    {'n', "cln", "糙率n", ""},       // Manning roughness
    {'r', "yhr", "圆弧半径r", "m"},  // radius of a section's arcs
    {'a', "wqa", "外倾角α", "°"},    // a U's walls, outward from the vertical (α, written a)
    {'D', "gjD", "管径D", "m"},      // diameter of a circular conduit
}};

// The quantity of a symbol; null when none is written so.
constexpr const Quantity* quantityOf(char symbol) {
    for (const Quantity& q : quantities) {
        if (q.symbol == symbol) return &q;
    }
    return nullptr;
}

// The quantity a field holds, by its name: "dkb2" → the bottom width; null for any other name.
constexpr const Quantity* quantityOfField(std::string_view fieldName) {
    for (const Quantity& q : quantities) {
        if (fieldName.starts_with(q.prefix)) return &q;
    }
    return nullptr;
}

// A quantity's label caption by its symbol: captionOf('b') → "底宽b"; "" for no quantity.
constexpr StaticText captionOf(char symbol) {
    const Quantity* q = quantityOf(symbol);
    return q != nullptr ? q->caption : StaticText();
}

// A quantity's unit by its symbol: unitOf('Q') → "m³/s"; "" for a pure number or no quantity.
constexpr StaticText unitOf(char symbol) {
    const Quantity* q = quantityOf(symbol);
    return q != nullptr ? q->unit : StaticText();
}

// The label caption of a field: "dkb2" → "底宽b"; the name itself when it names no quantity.
constexpr std::string_view quantityCaption(std::string_view fieldName) {
    const Quantity* q = quantityOfField(fieldName);
    return q != nullptr ? q->caption : fieldName;
}

}  // namespace lintavo
