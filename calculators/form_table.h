#pragma once

// The tables a window is built from. A window is a fixed form: every control at a stored
// place, in a stored font, in a stored order of the Tab key. The tables give those as the
// forms were designed, in twips (1/1440 inch) from the top-left corner of the client area;
// `twipsToPixels` is the one place where they become pixels.

#include <optional>
#include <span>
#include <string_view>

#include "hydraulics/static_text.h"

namespace lintavo {

// 15 twips make one pixel at 96 pixels per inch. No stored coordinate lies halfway between
// two pixels (t/15 never ends in .5 for a whole t), so rounding to nearest is unambiguous.
constexpr int twipsToPixels(int twips) {
    return (2 * twips + 15) / 30;
}

struct TwipPoint {
    int left;
    int top;
};

struct TwipSize {
    int width;
    int height;
};

struct TwipRect {
    int left;
    int top;
    int width;
    int height;
};

// A face the forms name ("宋体", "隶书", "黑体", "华文细黑"), its size in points and style.
// fonts.h maps the faces to the free ones the program ships with.
struct FaceStyle {
    StaticText face;
    double points;
    bool bold = false;
    bool italic = false;
};

enum class ControlKind { Label, Field, Button, Picture };

// What a control does in its calculator window. Inputs are numbered in the order the press
// reads them, outputs in the order it writes them; the three buttons are the frame's row.
// The window's code finds its fields and buttons by these roles, so no name is written twice.
struct Role {
    enum Kind : unsigned char { None, Input, Output, Compute, Return, End };
    Kind kind = None;
    int order = 0;  // an input's or output's place, from 0

    friend constexpr bool operator==(Role, Role) = default;
};

constexpr Role input(int order) {
    return {Role::Input, order};
}
constexpr Role output(int order) {
    return {Role::Output, order};
}
inline constexpr Role computeButton{Role::Compute};
inline constexpr Role returnButton{Role::Return};
inline constexpr Role endButton{Role::End};

enum class Ink { Default, Red, Blue };
enum class Align { Left, Centre };

inline constexpr int NoTab = -1;

struct ControlRow {
    ControlKind kind;
    StaticText name;  // the Qt objectName
    StaticText text;  // caption, or a field's initial text
    TwipRect box;
    std::optional<FaceStyle> font;  // none: the window's font
    Ink ink = Ink::Default;
    int tab = NoTab;  // place in the window's Tab order, from 0; NoTab takes no focus
    Role role{};      // in a calculator window: input, output or one of the button row
    Align align = Align::Left;
    bool wrap = false;  // caption wraps onto further lines inside the box
};

struct FormTable {
    StaticText name;                    // objectName
    StaticText title;                   // title bar
    std::optional<TwipPoint> position;  // client area on the screen; none: where the system puts it
    TwipSize client;
    FaceStyle font;
    std::span<const ControlRow> controls;  // in stacking order, the last on top
};

}  // namespace lintavo
