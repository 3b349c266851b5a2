#pragma once

// ZIP containers, as .xlsx and .docx files are: a writer that deflates each entry and
// writes the central directory, and a reader that finds an entry by name through the
// central directory and inflates it. Everything is held in memory; entries and the whole
// container stay below 4 GiB (no ZIP64), which office documents never reach.
//
// The format: PKWARE's APPNOTE.TXT (local file header, central directory file header, end
// of central directory record). Names are written as UTF-8 with general-purpose bit 11 set.
//
//   ZipWriter zip;
//   zip.add("[Content_Types].xml", xml);
//   std::string bytes = zip.finish();
//   readZipEntry(bytes, "[Content_Types].xml") → xml

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lintavo {

class ZipWriter {
  public:
    // Appends an entry, deflated (stored when deflating does not make it smaller).
    void add(std::string_view name, std::string_view bytes);
    // The container: the entries in the order added, then the central directory. The writer
    // is empty again afterwards.
    std::string finish();

  private:
    struct Entry {
        std::string name;
        unsigned long crc;
        std::size_t size;
        std::size_t packed;
        unsigned method;
        std::size_t offset;
    };
    static void putEntryFields(std::string& out, const Entry& entry);
    std::string body_;
    std::vector<Entry> entries_;
};

// The entry's bytes, inflated and checked against its CRC-32; none when the bytes are not a
// ZIP container, the entry is missing, or it is damaged or packed by a method other than
// stored or deflated.
std::optional<std::string> readZipEntry(std::string_view zipBytes, std::string_view name);

// The names of the entries, in the order of the central directory; empty when the bytes are
// not a ZIP container.
std::vector<std::string> zipEntryNames(std::string_view zipBytes);

}  // namespace lintavo
