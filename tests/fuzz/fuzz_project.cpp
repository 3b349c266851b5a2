// The canal project reader on any bytes: it either refuses with a reason or gives a project
// whose file, written again, reads back to the same bytes; its profile computes whatever the
// reaches say, without a crash, in bounded time.

#include <cstdint>
#include <string>

#include "canal/profile.h"
#include "canal/project.h"
#include "canal/standard_data.h"
#include "tests/fuzz/written_text.h"

using namespace lintavo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const BedTables& beds = builtinBedTables();
    const ProjectReading reading = readProject(input, beds);
    if (!reading.project) {
        if (reading.refusal.empty()) fuzz::broken("a refusal with no reason", input);
        return 0;
    }
    if (!reading.refusal.empty()) fuzz::broken("a project with a refusal", input);
    const std::string written = writeProject(*reading.project);
    const ProjectReading again = readProject(written, beds);
    if (!again.project) fuzz::broken("a written project that does not read back", written);
    if (writeProject(*again.project) != written) fuzz::broken("a round trip that drifts", written);
    const CanalProfile profile = computeProfile(*reading.project, beds);
    (void)profileJson(profile);
    return 0;
}
