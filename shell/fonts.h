#pragma once

// The faces the forms ask for do not exist on a free desktop. This table is the one place
// where each meets the free face from Debian's packages that comes closest in style; the
// set-up scripts and the package's dependencies install exactly these packages.

#include <QFont>
#include <span>
#include <string_view>

#include "calculators/form_table.h"

namespace lintavo {

struct FaceSubstitute {
    std::string_view face;        // as the forms name it
    std::string_view substitute;  // the family used instead
    std::string_view package;     // the Debian package that ships it
};

inline constexpr FaceSubstitute faceSubstitutes[] = {
    // A Ming face for Song; its line height, 1.1 em, is close enough to Song's to keep
    // 15 pt text inside the forms' 26-pixel fields.
    {"宋体", "AR PL UMing CN", "fonts-arphic-uming"},
    {"黑体", "WenQuanYi Zen Hei", "fonts-wqy-zenhei"},          // a classic, dark Hei for Hei
    {"华文细黑", "WenQuanYi Micro Hei", "fonts-wqy-microhei"},  // a light Hei for the thin Hei
    {"隶书", "AR PL UKai CN", "fonts-arphic-ukai"},  // no free clerical face: Kai is nearest
};

// Registers the table with Qt's font matching, so that QFont("宋体") uses its substitute.
// Call once, after the application object exists.
void installFontSubstitutes();

// The QFont of a table row: family as the form names it, size in points (13.5 stays 13.5).
QFont fontFor(const FaceStyle& table);

}  // namespace lintavo
