// The ZIP entry reader on any bytes: an entry it gives is within the caps and reads the same
// when written again by our writer; an entry it lists and does not give comes with a
// sentence saying why; nothing is thrown and nothing near a claimed size is allocated (the
// run's -malloc_limit_mb stops one that is).

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "formats/limits.h"
#include "formats/zip.h"
#include "tests/fuzz/written_text.h"

using namespace lintavo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto names = zipEntryNames(bytes);
    ZipWriter again;
    std::vector<std::pair<std::string, std::string>> read;
    for (const std::string& name : names) {
        std::string refusal;
        const auto entry = readZipEntry(bytes, name, &refusal);
        if (entry) {
            if (!refusal.empty()) fuzz::broken("an entry read with a refusal", bytes);
            if (entry->size() > limits::maxEntryBytes) fuzz::broken("an entry past the cap", bytes);
            again.add(name, *entry);
            read.emplace_back(name, *entry);
        } else if (refusal.empty()) {
            // A listed name is found, unless an earlier entry has the same name.
            fuzz::broken("a listed entry refused without a sentence", bytes);
        }
    }
    const std::string written = again.finish();
    for (const auto& [name, entry] : read) {
        if (readZipEntry(written, name) != entry)
            fuzz::broken("an entry written again differs", bytes);
    }
    return 0;
}
