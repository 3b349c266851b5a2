// The window 流量Q计算: b, h, m, i, n in; Q and v out.

#include <cmath>

#include "calculators/catalogue.h"
#include "calculators/discharge.h"
#include "hydraulics/geometry.h"
#include "hydraulics/portable_pow.h"

namespace lintavo {

namespace {

using enum ControlKind;
using namespace frame;

// clang-format off
constexpr ControlRow controls[] = {
    // kind name      text        left  top   width height  font          ink           tab  role
    {Label,  "Label1", title,      {2616, 720, 2652, 336},  std::nullopt, Ink::Default, NoTab, {}, Align::Centre},
    {Label,  "Label2", "底宽b",     {696, 1512, 732, 336},   std::nullopt},
    {Label,  "Label3", "水深h",     {3000, 1488, 780, 300},  std::nullopt},
    {Label,  "Label4", "边坡系数m", {5688, 1488, 1260, 300}, std::nullopt},
    {Label,  "Label5", "底坡i",     {600, 2448, 780, 300},   std::nullopt},
    {Label,  "Label6", "糙率n",     {3096, 2448, 780, 300},  std::nullopt},
    {Label,  "Label7", "流量Q",     {984, 3600, 876, 300},   resultFont,   Ink::Blue},
    {Label,  "Label8", "流速v",     {4632, 3600, 972, 300},  resultFont,   Ink::Blue},
    {Field,  "dkb",    " ",         {1464, 1488, 1068, 396}, inputFont,    Ink::Default, 6, input(0)},
    {Field,  "ssh",    " ",         {3960, 1488, 1068, 396}, inputFont,    Ink::Default, 5, input(1)},
    {Field,  "bpm",    " ",         {7032, 1488, 1068, 396}, inputFont,    Ink::Default, 4, input(2)},
    {Field,  "dpi",    " ",         {1464, 2448, 1068, 396}, inputFont,    Ink::Default, 3, input(3)},
    {Field,  "cln",    " ",         {3960, 2448, 1068, 396}, inputFont,    Ink::Default, 2, input(4)},
    {Field,  "llQ",    " ",         {2328, 3504, 1452, 492}, resultFont,   Ink::Red,     1, output(0)},
    {Field,  "lsv",    " ",         {5880, 3504, 1452, 492}, resultFont,   Ink::Red,     0, output(1)},
    {Button, "计算1",  "计算",      {2040, 4680, 972, 348},  std::nullopt, Ink::Default, 15, computeButton},
    {Button, "返回1",  "返回",      {3840, 4680, 972, 348},  std::nullopt, Ink::Default, 16, returnButton},
    {Button, "结束1",  "结束",      {5640, 4680, 972, 348},  std::nullopt, Ink::Default, 17, endButton},
};
// clang-format on

// The floor of the benchmarks: the same formulas in plain double.
double plainDischarge(std::span<const double> x) {
    const double b = x[0], h = x[1], m = x[2], i = x[3], n = x[4];
    const PlainSection section{b, m};
    const double A = section.area(h);
    const double R = section.hydraulicRadius(h);
    const double Q = A * (1 / n * portablePow(R, 1.0 / 6)) * std::sqrt(R * i);
    return std::floor(Q * 1000) / 1000 + std::floor(Q / A * 1000) / 1000;
}

}  // namespace

// Opens where the window system puts a new window.
// clang-format off
constinit const CalculatorTable dischargeWindow{
    .window    = {"流量Q计算", "流量Q计算", std::nullopt, {8475, 5820}, labelFont, controls},
    .opener    = "流量Q的计算",
    .press     = pressDischarge,
    .explain   = explainDischargeFailure,
    .steps     = dischargeSteps,
    .describe  = describeOwnChannel,
    .example   = {"2", "1", "1", "0.001", "0.025"},
    .alias     = "discharge",
    .plain     = plainDischarge,
};
// clang-format on

}  // namespace lintavo
