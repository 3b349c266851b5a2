#pragma once

// The project document (工程文件, .lintavo): a canal as a chain of reaches from its head to its
// tail, with the project's names, the design settings, and the levels its water-level profile
// starts from. Its texts are kept as typed ("1/5000", "K1+250"), as the canal window's fields
// hold them; the profile (canal/profile.h) reads them.
//
// The file is UTF-8 JSON:
//   {"format": "lintavo-project", "version": 1,
//    "project": {"name": …, "canal": …, "designer": …, "checker": …, "reviewer": …},
//    "settings": {"use": "irrigation", "class": "auto", …},
//    "levels": {"controls": [{"station": "K3+200", "ground": 1250.30, "h0": 0.15}, …]}
//              or {"head": {"wl": 1262.50}} (controls may stand beside a head level),
//    "reaches": [{"name": "干1", "from": "K0+000", "to": "K1+250", "Q": "12", "b": "5",
//                 "m": "1.5", "i": "1/5000", "n": "0.025", "loss": "0.05"}, …]}
// Keys this version does not know, at any level, are kept and written back after the known
// ones, in the order they came.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "canal/json.h"
#include "standard/design_check.h"
#include "standard/standard_tables.h"

namespace lintavo {

inline constexpr std::string_view projectFormat = "lintavo-project";
inline constexpr int projectVersion = 1;
// What a project file may hold before it is refused as not a project a person wrote.
inline constexpr std::size_t maxProjectBytes = 4U << 20;
inline constexpr std::size_t maxReaches = 2000;
inline constexpr std::size_t maxControls = 2000;

struct ProjectInfo {
    std::string name;      // 工程名称
    std::string canal;     // 渠道名称
    std::string designer;  // 计算
    std::string checker;   // 校核
    std::string reviewer;  // 审核
    JsonObject unknown;

    friend bool operator==(const ProjectInfo&, const ProjectInfo&) = default;
};

// A control point (控制点) the canal must command: its ground level A0 and the depth h0 the
// water must stand above it (0.10–0.20 m).
struct ControlPoint {
    std::string station;  // "K3+200" or metres
    std::string ground;   // m
    std::string h0;       // m
    JsonObject unknown;

    friend bool operator==(const ControlPoint&, const ControlPoint&) = default;
};

struct Levels {
    std::vector<ControlPoint> controls;
    std::optional<std::string> headLevel;  // the design water level at the head, m
    JsonObject unknown;                    // of "levels"
    JsonObject headUnknown;                // of "head"

    friend bool operator==(const Levels&, const Levels&) = default;
};

// One reach (渠段), texts as the fields hold them. `loss` is the head loss Δh of the structure
// at its downstream end, between it and the next reach; empty reads as 0.
struct Reach {
    std::string name;
    std::string from, to;  // stations
    std::string Q, b, m, i, n, loss;
    JsonObject unknown;

    friend bool operator==(const Reach&, const Reach&) = default;
};

struct Project {
    ProjectInfo info;
    DesignSettings settings;
    JsonObject settingsUnknown;  // settings this version does not know, kept as they came
    Levels levels;
    std::vector<Reach> reaches;
    JsonObject unknown;  // top-level keys

    friend bool operator==(const Project&, const Project&) = default;
};

// The keys of a reach as the file and the driver's `project-set` name them, in file order:
// name from to Q b m i n loss. The field of the key, or null for another key.
inline constexpr std::string_view reachKeys[] = {"name", "from", "to", "Q",   "b",
                                                 "m",    "i",    "n",  "loss"};
std::string* reachField(Reach& reach, std::string_view key);
const std::string* reachField(const Reach& reach, std::string_view key);

struct ProjectReading {
    std::optional<Project> project;
    std::string refusal;  // in Chinese, where there is no project
};

// The project of a file's bytes, or a refusal of the whole file in Chinese: not JSON, not a
// "lintavo-project", a newer version, a key of the wrong type, a setting the design dialog
// would refuse, more than maxProjectBytes or maxReaches. The settings are checked against
// `beds` (a bed's name must be one of them).
ProjectReading readProject(std::string_view bytes, const BedTables& beds);

// The file's bytes: UTF-8 JSON, known keys in the order above, then the unknown ones; reach
// values as texts, a control's numbers as numbers where they are typed as plain decimals.
std::string writeProject(const Project& project);

// A station in metres: "K1+250" → 1250, "K1+250.5" → 1250.5, "k0+000" → 0, "1250" → 1250
// (blanks around and full-width characters allowed). Absent for anything else, negative or
// not finite ("K1+1250" too: the metres after + stay below 1000).
std::optional<double> parseStation(std::string_view text);

// A station as K<km>+<m>, rounded to millimetres, the metres with three digits before the point
// and no trailing zeros after it: 1250 → "K1+250", 1250.5 → "K1+250.5", 40 → "K0+040".
std::string formatStation(double metres);

}  // namespace lintavo
