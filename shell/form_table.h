#pragma once

// The tables a window is built from. A window is a fixed form: every control at a stored
// place, in a stored font, in a stored order of the Tab key. The tables give those as the
// forms were designed, in twips (1/1440 inch) from the top-left corner of the client area;
// `twipsToPixels` is the one place where they become pixels.

#include <optional>
#include <span>
#include <string_view>

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
    std::string_view face;
    double points;
    bool bold = false;
    bool italic = false;
};

enum class ControlKind { Label, Field, Button, Picture };
enum class Ink { Default, Red, Blue };
enum class Align { Left, Centre };

inline constexpr int NoTab = -1;

struct ControlRow {
    ControlKind kind;
    std::string_view name;  // the Qt objectName
    std::string_view text;  // caption, or a field's initial text
    TwipRect box;
    std::optional<FaceStyle> font;  // none: the window's font
    Ink ink = Ink::Default;
    int tab = NoTab;  // place in the window's Tab order, from 0; NoTab takes no focus
    Align align = Align::Left;
    bool wrap = false;  // caption wraps onto further lines inside the box
};

struct FormTable {
    std::string_view name;              // objectName
    std::string_view title;             // title bar
    std::optional<TwipPoint> position;  // client area on the screen; none: where the system puts it
    TwipSize client;
    FaceStyle font;
    std::span<const ControlRow> controls;  // in stacking order, the last on top
};

}  // namespace lintavo
