// The window 计算渠道底宽b: Q, h, m, i, n in; the bottom width b out.

#include <cmath>
#include "calculators/bottom_width.h"

#include "calculators/catalogue.h"
#include "hydraulics/geometry.h"
#include "hydraulics/portable_pow.h"

namespace lintavo {

namespace {

using enum ControlKind;
using namespace frame;

// clang-format off
constexpr ControlRow controls[] = {
    // kind name      text        left  top   width height  font          ink           tab  role
    {Label,  "Label1", title,      {2448, 600, 2652, 336},  titleFont,    Ink::Default, NoTab, {}, Align::Centre},
    {Label,  "Label2", "流量Q",     {336, 1488, 732, 336},   std::nullopt},
    {Label,  "Label3", "水深h",     {2640, 1464, 780, 300},  std::nullopt},
    {Label,  "Label4", "边坡系数m", {5328, 1464, 1260, 300}, std::nullopt},
    {Label,  "Label5", "底坡i",     {240, 2424, 780, 300},   std::nullopt},
    {Label,  "Label6", "糙率n",     {2736, 2424, 780, 300},  std::nullopt},
    {Label,  "Label7", "底宽b",     {624, 3576, 876, 300},   resultFont,   Ink::Blue},
    {Field,  "llQ2",   "",          {1296, 1464, 1068, 396}, std::nullopt, Ink::Default, 5, input(0)},
    {Field,  "ssh2",   "",          {3792, 1464, 1068, 396}, std::nullopt, Ink::Default, 4, input(1)},
    {Field,  "bpm2",   "",          {6960, 1464, 1068, 396}, std::nullopt, Ink::Default, 3, input(2)},
    {Field,  "dpi2",   "",          {1320, 2424, 1068, 396}, std::nullopt, Ink::Default, 2, input(3)},
    {Field,  "cln2",   "",          {3792, 2424, 1068, 396}, std::nullopt, Ink::Default, 1, input(4)},
    {Field,  "dkb2",   "",          {1968, 3480, 1548, 492}, std::nullopt, Ink::Red,     0, output(0)},
    {Button, "计算2",  "计算",      {1680, 4536, 972, 396},  std::nullopt, Ink::Default, 8, computeButton},
    {Button, "返回2",  "返回",      {3600, 4536, 972, 396},  std::nullopt, Ink::Default, 7, returnButton},
    {Button, "结束2",  "结束",      {5424, 4536, 972, 396},  std::nullopt, Ink::Default, 6, endButton},
};
// clang-format on

// The floor of the benchmarks: the same formulas in plain double.
double plainWidth(std::span<const double> x) {
    const auto Q = [x](double b) {
        return PlainSection{b, x[2]}.manningDischarge(x[1], x[3], x[4]);
    };
    double lo = 0, hi = 10;
    do {
        const double mid = (lo + hi) / 2;
        if ((x[0] - Q(lo)) * (x[0] - Q(mid)) > 0) {
            lo = mid;
        } else {
            hi = mid;
        }
    } while (!(hi - lo < 1e-6));
    return std::floor((lo + hi) / 2 * 1000) / 1000;
}

}  // namespace

// clang-format off
constinit const CalculatorTable bottomWidthWindow{
    .window    = {"计算渠道底宽b", "渠道底宽b计算", TwipPoint{1410, 1410}, {8580, 5550}, labelFont, controls},
    .opener    = "底宽b的计算",
    .press     = pressBottomWidth,
    .explain   = explainBottomWidthFailure,
    .steps     = {},
    .sought    = 'b',
    .describe  = describeOwnChannel,
    .example   = {"2.763", "1", "1", "0.001", "0.025"},
    .alias     = "bottom-width",
    .plain     = plainWidth,
};
// clang-format on

}  // namespace lintavo
