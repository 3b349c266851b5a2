// The CSV reader with its encoding detection on any bytes, with small bounds so that the
// fuzzer reaches them: every field it hands out is UTF-8, no record is wider or longer than
// the bounds, a stop before the end says why; the table reader agrees with it.

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "formats/csv.h"
#include "formats/text_encoding.h"
#include "tests/fuzz/written_text.h"

using namespace lintavo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    constexpr CsvLimits small{.bytes = 4096, .recordBytes = 512, .fields = 64, .records = 64};
    std::istringstream in(input);
    CsvReader reader(in, 0, small);
    std::vector<std::string> fields;
    std::size_t records = 0;
    while (reader.next(fields)) {
        ++records;
        if (fields.empty() || fields.size() > small.fields) fuzz::broken("a record's width", input);
        std::size_t bytes = 0;
        for (const std::string& field : fields) {
            if (!isUtf8(field)) fuzz::broken("a field that is not UTF-8", input);
            bytes += field.size();
        }
        // A GB18030 field grows as it becomes UTF-8, three times at most.
        if (bytes > small.recordBytes * 3) fuzz::broken("a record past its bound", input);
    }
    if (records > small.records) fuzz::broken("records past the bound", input);
    if (reader.error().empty() && in.good())
        fuzz::broken("a stop before the end with no reason", input);

    // The whole table, with the full bounds: the same verdict on a file within both.
    std::string refusal;
    const auto table = readCsvTable(input, &refusal);
    if (table.has_value() == !refusal.empty()) fuzz::broken("a table and a refusal", input);
    if (table && reader.error().empty() && table->size() != records)
        fuzz::broken("the table reader and the reader differ", input);
    return 0;
}
