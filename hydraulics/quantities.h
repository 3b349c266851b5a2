#pragma once

// The channel quantities as the windows name them: a field's name begins with the
// three-letter abbreviation of its quantity (dkb1, llQ, ssh4), and its label carries
// the caption.

#include <array>
#include <string_view>

#include "hydraulics/static_text.h"

namespace lintavo {

struct Quantity {
    char symbol;
    StaticText prefix;
    StaticText caption;
};

inline constexpr std::array<Quantity, 7> quantities{{
    {'Q', "llQ", "流量Q"},      // discharge, m³/s
    {'v', "lsv", "流速v"},      // mean velocity, m/s
    {'b', "dkb", "底宽b"},      // bottom width, m
    {'h', "ssh", "水深h"},      // depth of uniform flow, m
    {'m', "bpm", "边坡系数m"},  // side-slope coefficient
    {'i', "dpi", "底坡i"},      // bottom slope
    {'n', "cln", "糙率n"},      // Manning roughness
}};

// The label caption of a field: "dkb2" → "底宽b"; the name itself when it names no quantity.
constexpr std::string_view quantityCaption(std::string_view fieldName) {
    for (const Quantity& q : quantities) {
        if (fieldName.substr(0, q.prefix.size()) == q.prefix) return q.caption;
    }
    return fieldName;
}

}  // namespace lintavo
