// The window 断面尺寸: Q, v, m, i, n in; the candidate depths and bottom widths out.

#include <cmath>

#include "calculators/catalogue.h"
#include "calculators/section_dimensions.h"
#include "hydraulics/geometry.h"
#include "hydraulics/portable_pow.h"

namespace lintavo {

namespace {

using enum ControlKind;
using namespace frame;

// clang-format off
constexpr ControlRow controls[] = {
    // kind name      text        left  top   width height  font          ink           tab  role
    {Label,  "Label1", title,      {2448, 480, 2652, 336},  titleFont,    Ink::Default, NoTab, {}, Align::Centre},
    {Label,  "Label2", "流量Q",     {336, 1368, 732, 336},   std::nullopt},
    {Label,  "Label3", "流速v",     {2640, 1344, 780, 300},  std::nullopt},
    {Label,  "Label4", "边坡系数m", {5328, 1344, 1260, 300}, std::nullopt},
    {Label,  "Label5", "底坡i",     {240, 2304, 780, 300},   std::nullopt},
    {Label,  "Label6", "糙率n",     {2736, 2304, 780, 300},  std::nullopt},
    {Label,  "Label7", "水深h",     {120, 3480, 876, 300},   resultFont,   Ink::Blue},
    {Label,  "Label9", "底宽b",     {4200, 3360, 972, 372},  resultFont,   Ink::Blue},
    {Field,  "llQ4",   "",          {1296, 1344, 1068, 396}, std::nullopt, Ink::Default, 5, input(0)},
    {Field,  "lsv4",   "",          {3792, 1344, 1068, 396}, std::nullopt, Ink::Default, 4, input(1)},
    {Field,  "bpm4",   "",          {6960, 1344, 1068, 396}, std::nullopt, Ink::Default, 3, input(2)},
    {Field,  "dpi4",   "",          {1296, 2304, 1068, 396}, std::nullopt, Ink::Default, 2, input(3)},
    {Field,  "cln4",   "",          {3792, 2304, 1068, 396}, std::nullopt, Ink::Default, 1, input(4)},
    {Field,  "ssh4",   "",          {960, 3360, 2988, 492},  std::nullopt, Ink::Red,     0, output(0)},
    {Field,  "dkb4",   "",          {5160, 3360, 2892, 492}, std::nullopt, Ink::Red,     17, output(1)},
    {Button, "计算4",  "计算",      {1680, 4416, 972, 396},  std::nullopt, Ink::Default, 8, computeButton},
    {Button, "返回4",  "返回",      {3600, 4416, 972, 396},  std::nullopt, Ink::Default, 7, returnButton},
    {Button, "结束4",  "结束",      {5424, 4416, 972, 396},  std::nullopt, Ink::Default, 6, endButton},
};
// clang-format on

// The floor of the benchmarks: the same formulas in plain double.
double plainSection(std::span<const double> x) {
    const double Q = x[0], v = x[1], m = x[2], i = x[3], n = x[4];
    const double A = Q / v, R = portablePow(n * v / std::sqrt(i), 1.5), P = A / R,
                 s = rootOfOnePlusSquare(m);
    const double D = std::sqrt(P * P + 4 * A * (m - 2 * s));
    const double h1 = (D - P) / (2 * (m - 2 * s)), h2 = (-P - D) / (2 * (m - 2 * s));
    return std::floor(h1 * 1000) / 1000 + std::floor(h2 * 1000) / 1000 +
           std::floor((P - 2 * s * h1) * 1000) / 1000;
}

}  // namespace

// clang-format off
constinit const CalculatorTable sectionWindow{
    .window    = {"断面尺寸", "渠道断面尺寸计算", TwipPoint{1875, 1710}, {8430, 5430}, labelFont, controls},
    .opener    = "渠道断面尺寸的计算",
    .press     = pressSectionDimensions,
    .explain   = explainSectionFailure,
    .steps     = sectionDimensionSteps,
    .describe  = describeSectionCandidates,
    .example   = {"10", "0.5", "1.5", "0.0004", "0.025"},
    .alias     = "section",
    .plain     = plainSection,
};
// clang-format on

}  // namespace lintavo
