#pragma once

// The main window `Lintavo` as a table, with no Qt in it, so that the tests that walk the
// calculators' tables can check the menu against them. Each calculator's table names the
// menu button that opens it (calculators/table.h); "结  束", the end button, closes the menu.

#include "calculators/form_table.h"

namespace lintavo::menu {

inline constexpr FaceStyle lishu15bi{"隶书", 15, true, true};
inline constexpr FaceStyle song15bi{"宋体", 15, true, true};
inline constexpr FaceStyle song165i{"宋体", 16.5, false, true};

using enum ControlKind;

// The button under the menu that lists the lined sections' calculations, which have no button
// of their own: a menu of their titles drops from it. It takes no place in the Tab order, which
// walks the menu's buttons as it always has; Alt+L reaches it from the keyboard.
inline constexpr StaticText linedSections = "衬砌渠道";
// The button beside it that opens 渠道纵断面计算, a whole canal of reaches as a project; like
// 衬砌渠道 it takes no place in the Tab order, and Alt+P reaches it.
inline constexpr StaticText canalProfile = "渠道纵断面";

// Stacking order: the picture at the bottom, the note above it, the buttons on top.
// clang-format off
inline constexpr ControlRow menuControls[] = {
    // kind   name                  text                   left  top   width height font  ink  tab  role
    {Picture, "Picture1",           ":/lintavo/picture.png", {0, 0, 8685, 5652}, std::nullopt, Ink::Default, 6},
    {Label,   "Label1",             "本计算程序适用于计算梯形或矩形断面渠道的Lintavo",
                                                           {1800, 480, 4092, 732},  song165i,  Ink::Red, NoTab, {}, Align::Left, true},
    {Button,  "流量Q的计算",        "流量Q计算",           {960, 2040, 1932, 732},  lishu15bi, Ink::Default, 5},
    {Button,  "水深h的计算",        "水深h计算",           {3480, 2040, 1932, 732}, lishu15bi, Ink::Default, 4},
    {Button,  "底宽b的计算",        "底宽b计算",           {6120, 2040, 1932, 732}, lishu15bi, Ink::Default, 3},
    {Button,  "底坡i的计算",        "底坡i计算",           {960, 3600, 1932, 732},  lishu15bi, Ink::Default, 2},
    {Button,  "渠道断面尺寸的计算", "渠道断面  尺寸计算",  {3480, 3600, 1932, 732}, lishu15bi, Ink::Default, 1, {}, Align::Left, true},
    {Button,  "结束",               "结  束",              {6120, 3600, 1932, 732}, song15bi,  Ink::Default, 0, endButton},
    {Button,  linedSections,        "衬砌渠道(&L)",        {3180, 4740, 2532, 600}, lishu15bi, Ink::Default, NoTab},
    {Button,  canalProfile,         "渠道纵断面(&P)",      {5880, 4740, 2412, 600}, lishu15bi, Ink::Default, NoTab},
    {Label,   "Label2",             "编制：Orvesk",        {960, 5880, 7755, 555},  FaceStyle{"华文细黑", 21.75, true, false}, Ink::Default, NoTab, {}, Align::Centre},
    {Label,   "Label3",             "2005年4月",           {1980, 6720, 5475, 495}, FaceStyle{"黑体", 21.75, false, false},    Ink::Default, NoTab, {}, Align::Centre},
};
// clang-format on

inline constexpr FormTable menuWindow{
    "Lintavo",    "Lintavo", TwipPoint{840, 975}, {10020, 7725}, {"宋体", 14.25, true, true},
    menuControls,
};

}  // namespace lintavo::menu
