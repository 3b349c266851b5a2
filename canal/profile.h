#pragma once

// The canal's water-level profile (GB 50288-2018 §6.3.8) and each reach's section, from a
// project: every reach's normal depth h in plain double (designNormalDepth, no ceiling), its
// velocity, the design check with the project's settings (hb, H and every verdict), and the
// levels at both ends of every reach. Plain double arithmetic; a window, a drawing or a book
// reads the result as it is and computes nothing again.
//
// The inlet's design water level, with control points, is the highest over the controls of
//   required + Σ(i·L) + ΣΔh,   required = ground + h0,
// summed from the head to the control: the falls of the reaches (of the part of a reach up to
// a control inside it) and the losses of the structures passed. A control at a junction is met
// by the upstream reach's end level, before the structure there, where an offtake draws; so a
// reach's loss is passed only by the controls beyond its end. With a head level, that level
// is the inlet's and the controls' margins are reported.
//
// Down the canal: wl_down = wl_up − i·L, and the next reach's wl_up = wl_down − Δh; the bed
// lies h below the water, the 加大 level hb above the bed and the bank top H above it.
//
// A reach that cannot be computed (n = 0, a slope that is not a number, a gap before it) carries
// its reason and leaves the others computing. The levels need each reach's fall and loss: from
// a reach whose slope, stations or loss cannot be read, and beyond it, there are no levels.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "canal/project.h"
#include "standard/design_check.h"
#include "standard/standard_tables.h"

namespace lintavo {

// A level at both ends of a reach, m.
struct EndLevels {
    double up = 0;
    double down = 0;
};

struct ReachResult {
    std::string name;
    // The reach's inputs as read; each absent (NaN never stored) where its text is not read,
    // with the reason in `problems`.
    std::optional<double> from, to;  // stations, m
    std::optional<double> L;         // to − from, m
    std::optional<double> Q, b, m, i, n;
    double loss = 0;  // Δh at the downstream end, m
    bool lossRead = true;

    // The section at the design flow: absent where the reach's inputs are incomplete or no
    // finite depth carries Q.
    std::optional<double> h;           // normal depth, m
    std::optional<double> v;           // Q/A, m/s
    std::optional<DesignCheck> check;  // with the project's settings, at hd = h
    std::optional<double> hb;          // depth at the 加大 flow, m (absent for rotational supply)
    std::optional<double> H;           // bank height above the bed, m

    // The levels, where the profile reaches this reach.
    std::optional<EndLevels> wl;    // design water level
    std::optional<EndLevels> bed;   // wl − h
    std::optional<EndLevels> wlb;   // 加大 water level, bed + hb
    std::optional<EndLevels> bank;  // bank top, bed + H
    // The bed's step down at the reach's downstream end: its bed_down − the next reach's bed_up
    // (positive where the bed drops); absent at the tail or where either bed is absent.
    std::optional<double> bedStep;

    // Why the reach, or a part of it, is not computed, in Chinese sentences, in the order
    // found: "糙率 n 应大于 0。", "桩号 K1+250 与 K1+300 之间有空缺。"
    std::vector<std::string> problems;

    bool computed() const { return problems.empty(); }
    // Whether some rule of the check says 不满足.
    bool anyNotMet() const;
};

struct ControlResult {
    std::optional<double> station;     // m
    std::optional<double> required;    // ground + h0, m
    std::optional<double> inletNeeds;  // required + Σ(i·L) + ΣΔh up to it, m
    std::optional<double> wl;          // the profile's design level there, m
    std::optional<double> margin;      // wl − required, m
    std::size_t reach = 0;             // the reach (0-based) whose water meets it
    std::string problem;               // why it is not computed; empty where it is
};

struct CanalProfile {
    // The inlet's design water level at the first reach's upstream station.
    std::optional<double> inletStation;
    std::optional<double> inletLevel;
    std::optional<std::size_t> governing;  // the control that sets the inlet level, if any
    bool fromHead = false;                 // the level is the project's head level

    std::vector<ReachResult> reaches;
    std::vector<ControlResult> controls;
    // What keeps the profile as a whole from being computed (no reaches, no levels given, a
    // head level that is not a number), in Chinese; empty when nothing does.
    std::vector<std::string> problems;

    // Every reach and control computed, the inlet level found and no rule 不满足.
    bool allMet() const;
    // Some reach, control or the profile itself could not be computed.
    bool anyFailed() const;
};

// The profile of a project, its design check against `beds`.
CanalProfile computeProfile(const Project& project, const BedTables& beds);

// The profile's results as `lintavo-calc project --json` prints them: numbers at full double
// precision, stations in metres, a key left out where its quantity does not exist and
// "problems" listing the reasons where there are any.
//   {"inlet": {"station": 0, "wl": 1262.5},
//    "reaches": [{"name": "干1", "from": 0, "to": 1250, "L": 1250, "Q": 12, "h": …, …,
//                 "checks": {"minimum-depth": "满足", …}}, …],
//    "controls": [{"station": 3200, "required": 1250.45, "wl": …, "margin": …}, …]}
std::string profileJson(const CanalProfile& profile);

// The 水力计算成果表: a header row, then one row per reach (名称, 起点桩号, 终点桩号, 长度L,
// 流量Q, 底宽b, 边坡系数m, 底坡i, 糙率n, 水深h, 流速v, 加大水深hb, 渠高H, the four levels at both
// ends, 局部水头损失Δh, 校核, 说明). Numbers as numbers at full precision, a slope typed "1/5000"
// kept as its ratio text beside its number; an absent quantity an empty text.
struct ResultCell {
    std::string text;
    bool number = false;
};
std::vector<std::vector<ResultCell>> resultTable(const CanalProfile& profile,
                                                 const Project& project);

}  // namespace lintavo
