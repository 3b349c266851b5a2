#pragma once

// The canal's longitudinal profile (纵断面图) as a CAD drawing: the bed, the design and the
// 加大 water levels and the bank top along the stations, each on its own layer, and beneath
// them the elevation table as Chinese profiles are drawn — rows 桩号, 渠底高程, 设计水位,
// 加大水位, 堤顶高程 and 比降, each value written upright at its station, a junction's two
// values side by side where the levels step — on a sheet with the frame and title block of
// the cross-section (formats/section_drawing.h).
//
// Model space keeps both scales readable: x is the station in true millimetres, y the
// elevation in millimetres stretched by horizontal/vertical, so that one paper millimetre is
// `horizontal` drawing units either way (drawing.scale), and a station or a level can be read
// back from a point: station = x/1000 m, level = y·vertical/(1000·horizontal) m.
//
//   dxf::Drawing d = profileDrawing({{.name = "干1", .from = 0, .to = 1250, .slope = "1/5000",
//                                     .bed = {{1259.2, 1258.95}}, …}}, {2000, 100});

#include <optional>
#include <string>
#include <vector>

#include "formats/dxf.h"
#include "formats/section_drawing.h"

namespace lintavo {

// A level at a reach's upstream and downstream ends, m.
struct ProfileEnds {
    double up = 0;
    double down = 0;
};

// One reach as the profile draws it; a level that is absent is not drawn, its cells blank.
struct ProfileReach {
    std::string name;
    double from = 0;  // station, m
    double to = 0;
    std::string slope;  // 比降 as written: "1/5000"
    std::optional<ProfileEnds> bed;
    std::optional<ProfileEnds> wl;    // design water level
    std::optional<ProfileEnds> wlb;   // 加大 water level
    std::optional<ProfileEnds> bank;  // bank top
};

// 1:horizontal along the canal, 1:vertical for the levels.
struct ProfileScales {
    int horizontal = 2000;
    int vertical = 100;
};

// The layers, as a program or a check finds them by name.
inline constexpr const char* bedLayer = "渠底线";
inline constexpr const char* designLayer = "设计水位线";
inline constexpr const char* enlargedLayer = "加大水位线";
inline constexpr const char* bankLayer = "堤顶线";
inline constexpr const char* tableLayer = "高程表";

// The rows of the elevation table, top to bottom.
inline constexpr const char* profileRows[] = {"桩号",     "渠底高程", "设计水位",
                                              "加大水位", "堤顶高程", "比降"};

// A level as the table writes it, to the millimetre: 1250.3 → "1250.300".
std::string levelText(double metres);

// Why the profile cannot be drawn at these scales, in Chinese; empty when it can. No reach,
// a station or level that is not a finite number, a reach that ends before it starts, a scale
// outside 1:1 … 1:1000000, or a sheet longer than 50 m or higher than 10 m at the scales.
std::string profileRefusal(const std::vector<ProfileReach>& reaches, ProfileScales scales);

// The drawing, for reaches that profileRefusal accepts: on a sheet 297 mm high (higher where
// the levels need it), A3 long or lengthened by steps of 210 mm as the drawing sizes' long
// A3 sheets are (630, 841, 1051 …), the title block saying 纵断面图 and both scales, the
// canal's name over the profile.
dxf::Drawing profileDrawing(const std::vector<ProfileReach>& reaches, ProfileScales scales,
                            const DrawingSheet& sheet = {}, const std::string& canal = {});

}  // namespace lintavo
