// The window 水深h计算: Q, b, m, i, n in; the normal depth h out.

#include <cmath>

#include "calculators/catalogue.h"
#include "calculators/normal_depth.h"
#include "hydraulics/geometry.h"
#include "hydraulics/portable_pow.h"

namespace lintavo {

namespace {

using enum ControlKind;
using namespace frame;

// clang-format off
constexpr ControlRow controls[] = {
    // kind name      text        left  top   width height  font          ink           tab  role
    {Label,  "Label1", title,      {2400, 288, 2652, 336},  titleFont,    Ink::Default, NoTab, {}, Align::Centre},
    {Label,  "Label2", "流量Q",     {288, 1176, 732, 336},   labelFont},
    {Label,  "Label3", "底宽b",     {2592, 1152, 780, 300},  labelFont},
    {Label,  "Label4", "边坡系数m", {5280, 1152, 1260, 300}, labelFont},
    {Label,  "Label5", "底坡i",     {192, 2112, 780, 300},   labelFont},
    {Label,  "Label6", "糙率n",     {2688, 2112, 780, 300},  labelFont},
    {Label,  "Label7", "水深h",     {576, 3264, 876, 300},   resultFont,   Ink::Blue},
    {Field,  "llQ1",   "",          {1248, 1152, 1068, 396}, std::nullopt, Ink::Default, 3, input(0)},
    {Field,  "dkb1",   "",          {3744, 1152, 1068, 396}, std::nullopt, Ink::Default, 4, input(1)},
    {Field,  "bpm1",   "",          {6912, 1152, 1068, 396}, std::nullopt, Ink::Default, 5, input(2)},
    {Field,  "dpi1",   "",          {1248, 2112, 1068, 396}, std::nullopt, Ink::Default, 6, input(3)},
    {Field,  "cln1",   "",          {3744, 2112, 1068, 396}, std::nullopt, Ink::Default, 7, input(4)},
    {Field,  "ssh1",   "",          {1920, 3168, 1548, 492}, std::nullopt, Ink::Red,     8, output(0)},
    {Button, "计算1",  "计算",      {1632, 4224, 972, 348},  std::nullopt, Ink::Default, 0, computeButton},
    {Button, "返回1",  "返回",      {3552, 4224, 972, 348},  std::nullopt, Ink::Default, 1, returnButton},
    {Button, "结束1",  "结束",      {5376, 4224, 972, 348},  std::nullopt, Ink::Default, 2, endButton},
};
// clang-format on

// The floor of the benchmarks: the same formulas in plain double.
double plainDepth(std::span<const double> x) {
    const auto Q = [x](double h) {
        return PlainSection{x[1], x[2]}.manningDischarge(h, x[3], x[4]);
    };
    double lo = 0, hi = 10;
    while (hi - lo > 1e-7) {
        const double mid = (lo + hi) / 2;
        if ((x[0] - Q(lo)) * (x[0] - Q(mid)) > 0) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return std::floor((lo + hi) / 2 * 1000) / 1000;
}

}  // namespace

// clang-format off
constinit const CalculatorTable normalDepthWindow{
    .window    = {"水深h计算", "明渠均匀流水深计算", TwipPoint{1965, 1980}, {8400, 5220}, {"宋体", 12, false, true}, controls},
    .opener    = "水深h的计算",
    .press     = pressNormalDepth,
    .explain   = explainNormalDepthFailure,
    .steps     = {},
    .sought    = 'h',
    .describe  = describeOwnChannel,
    .example   = {"2.763", "2", "1", "0.001", "0.025"},
    .alias     = "normal-depth",
    .plain     = plainDepth,
};
// clang-format on

}  // namespace lintavo
