#pragma once

// The faces the forms ask for are Windows faces. This table is the one place where each
// meets the family that stands for it: on Windows the face itself, or the nearest one the
// system has; elsewhere the free face from Debian's packages that comes closest in style
// (the set-up scripts and the package's dependencies install exactly these packages).

#include <QFont>
#include <QtGlobal>
#include <span>
#include <string_view>

#include "calculators/form_table.h"

namespace lintavo {

#ifdef Q_OS_WIN

struct FaceSubstitute {
    std::string_view face;        // as the forms name it
    std::string_view substitute;  // the same face under its English name
    // Where the system lacks it: the nearest Windows face that covers Chinese, then the
    // free face that Wine finds on a Linux machine.
    std::string_view nearest[2];
};

// SimSun and SimHei come with Chinese Windows and its Chinese supplemental fonts, LiSu and
// STXihei with Office. Microsoft YaHei is on every Windows since Vista, KaiTi on every one
// with the Chinese supplemental fonts.
inline constexpr FaceSubstitute faceSubstitutes[] = {
    {"宋体", "SimSun", {"Microsoft YaHei", "AR PL UMing CN"}},
    {"黑体", "SimHei", {"Microsoft YaHei", "WenQuanYi Zen Hei"}},
    {"华文细黑", "STXihei", {"Microsoft YaHei", "WenQuanYi Micro Hei"}},
    {"隶书", "LiSu", {"KaiTi", "AR PL UKai CN"}},  // a Kai face is nearest to the clerical one
};

#else

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

#endif

// Registers the table with Qt's font matching, so that QFont("宋体") uses its substitute.
// Call once, after the application object exists.
void installFontSubstitutes();

// The QFont of a table row: family as the form names it, size in points (13.5 stays 13.5).
QFont fontFor(const FaceStyle& table);

}  // namespace lintavo
