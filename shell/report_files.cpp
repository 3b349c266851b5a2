#include "shell/report_files.h"

#include <QFile>
#include <cmath>

#include "formats/dxf.h"

namespace lintavo {

namespace {

bool writeFile(const QString& file, const std::string& bytes) {
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const auto size = static_cast<qint64>(bytes.size());
    return out.write(bytes.data(), size) == size && out.flush();
}

bool isSection(const Channel& c) {
    return std::isfinite(c.b) && std::isfinite(c.h) && std::isfinite(c.m) && c.b >= 0 && c.h > 0 &&
           c.m >= 0 && c.b + c.m * c.h > 0;
}

}  // namespace

std::vector<SectionOutline> sectionOutlines(const CalculationReport& report) {
    std::vector<SectionOutline> sections;
    if (report.failed) return sections;
    for (const ReportChannel& channel : report.channels) {
        const Channel& c = channel.channel;
        if (!isSection(c)) continue;
        SectionOutline s;
        s.b = c.b;
        s.h = c.h;
        s.m = c.m;
        s.title = channel.heading;
        sections.push_back(std::move(s));
    }
    return sections;
}

bool exportReportDrawing(const CalculationReport& report, const QString& file, int scale) {
    const std::vector<SectionOutline> sections = sectionOutlines(report);
    if (sections.empty() || scale <= 0) return false;
    return writeFile(file, dxf::write(sectionDrawing(sections, scale)));
}

}  // namespace lintavo
