// The window 底坡i计算: Q, b, m, h, n in (m is read before h); the bottom slope i out.

#include <cmath>
#include "calculators/bottom_slope.h"

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
    {Label,  "Label1", title,      {2448, 360, 2652, 336},  titleFont,    Ink::Default, NoTab, {}, Align::Centre},
    {Label,  "Label2", "流量Q",     {936, 1008, 732, 336},   std::nullopt},
    {Label,  "Label3", "底宽b",     {3240, 984, 780, 300},   std::nullopt},
    {Label,  "Label5", "水深h",     {5880, 984, 780, 300},   std::nullopt},
    {Label,  "Label4", "边坡系数m", {480, 1920, 1260, 300},  std::nullopt},
    {Label,  "Label6", "糙率n",     {3336, 1944, 780, 300},  std::nullopt},
    {Label,  "Label7", "底坡i",     {1224, 2856, 876, 300},  resultFont,   Ink::Blue},
    {Field,  "llQ3",   "0",         {1896, 984, 1068, 396},  std::nullopt, Ink::Default, 11, input(0)},
    {Field,  "dkb3",   "0",         {4392, 984, 1068, 396},  std::nullopt, Ink::Default, 12, input(1)},
    {Field,  "ssh3",   "0",         {6960, 960, 1068, 396},  std::nullopt, Ink::Default, 14, input(3)},
    {Field,  "bpm3",   "0",         {1920, 1920, 1068, 396}, std::nullopt, Ink::Default, 13, input(2)},
    {Field,  "cln3",   "0.025",     {4392, 1944, 1068, 396}, std::nullopt, Ink::Default, 15, input(4)},
    {Field,  "dpi3",   "",          {2568, 2760, 1548, 492}, std::nullopt, Ink::Red,     0, output(0)},
    {Button, "计算3",  "计算",      {1680, 3840, 972, 396},  std::nullopt, Ink::Default, 3, computeButton},
    {Button, "返回3",  "返回",      {3600, 3840, 972, 396},  std::nullopt, Ink::Default, 2, returnButton},
    {Button, "结束3",  "结束",      {5424, 3840, 972, 396},  std::nullopt, Ink::Default, 1, endButton},
};
// clang-format on

// The floor of the benchmarks: the same formulas in plain double.
double plainSlope(std::span<const double> x) {
    const double Q = x[0], b = x[1], m = x[2], h = x[3], n = x[4];
    const PlainSection section{b, m};
    const double A = section.area(h);
    const double R = section.hydraulicRadius(h);
    const double C = 1 / n * portablePow(R, 1.0 / 6);
    return std::floor(Q * Q / (C * C * A * A * R) * 100000) / 100000;
}

}  // namespace

// clang-format off
constinit const CalculatorTable bottomSlopeWindow{
    .window    = {"底坡i计算", "底坡i计算", TwipPoint{2010, 2160}, {8160, 4785}, labelFont, controls},
    .opener    = "底坡i的计算",
    .press     = pressBottomSlope,
    .explain   = explainBottomSlopeFailure,
    .steps     = bottomSlopeSteps,
    .describe  = describeOwnChannel,
    .example   = {"2.763", "2", "1", "1", "0.025"},
    .alias     = "bottom-slope",
    .plain     = plainSlope,
};
// clang-format on

}  // namespace lintavo
