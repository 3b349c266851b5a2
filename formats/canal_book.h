#pragma once

// The canal's calculation book (计算书) as content: a first page with the project's name and
// the 计算 / 校核 / 审核 names of the project file, the water-level profile with the numbers of
// its computation (each control's inlet level written out as its sum), and then every reach's
// own book — the normal-depth calculation's book for the reach's inputs, with the design check
// under the project's settings — as the batch's book has a chapter for every row. The Word
// writer (formats/docx.h) and the PDF printer (shell/canal_book_files.h) lay it out; neither
// computes anything.
//
//   CanalBook book = canalBook(project, computeProfile(project, beds), "2026-12-09 10:30",
//                              "Lintavo 0.4.0");
//   std::string docx = canalBookDocx(book);

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "book/report.h"
#include "canal/profile.h"
#include "canal/project.h"
#include "formats/profile_dxf.h"

namespace lintavo {

struct CanalChapter {
    std::string heading;  // "第 1 段　干1（K0+000～K1+250）"
    CalculationReport report;
};

struct CanalBook {
    // The first page and the running header: filed.project the project's name, filed.title
    // the book's title ("南干渠 计算书"), the three names who sign.
    BookInfo filed;
    std::string program;
    std::string when;
    ReportSection profile;  // "一、水面线推算"
    std::vector<CanalChapter> chapters;
};

// The book of a project and its computed profile. `beds` are the tables its design check ran
// against (for each reach's 设计校核 section).
CanalBook canalBook(const Project& project, const CanalProfile& profile, const BedTables& beds,
                    std::string when, std::string program);

// The reaches as the profile drawing draws them: every reach whose stations were read, its
// levels where the profile reached it, its 比降 as typed.
std::vector<ProfileReach> profileReaches(const CanalProfile& profile, const Project& project);

// Each reach's cross-section as the section drawing draws it, titled with the reach's name
// ("第 2 段" where it has none): every reach whose b, m and h were computed and can be drawn
// to scale, h to the millimetre as the table shows it, hb and H as its design check gave them.
std::vector<SectionOutline> reachSections(const CanalProfile& profile);

// What the canal's drawing of cross-sections says when no reach has one to draw.
inline constexpr std::string_view noReachSection =
    "没有可以绘出横断面的渠段：没有一个渠段算出了底宽 b、边坡系数 m 和水深 h。";

// The DXF of every reach's cross-section side by side, left to right down the canal, at the
// scale at which they fit the sheet; none when reachSections finds none.
std::optional<std::string> reachSectionsDxf(const CanalProfile& profile, const DrawingSheet& sheet);

}  // namespace lintavo
