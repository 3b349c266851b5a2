#pragma once

// ZIP containers, as .xlsx and .docx files are: a writer that deflates each entry and
// writes the central directory, and a reader that finds an entry by name through the
// central directory and inflates it. Everything is held in memory; entries and the whole
// container stay below 4 GiB (no ZIP64), which office documents never reach. The reader
// takes the file for hostile: formats/limits.h bounds what it inflates.
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

// The entry's bytes, inflated and checked against its CRC-32. None when the entry is missing,
// and then `refusal` is left empty; none, with a sentence in `refusal` saying why, when the
// bytes are not a ZIP container a reader can trust: a directory that points outside the file,
// ZIP64, a password, a method other than stored or deflated, an entry larger than
// limits::maxEntryBytes or packed past limits::maxInflateRatio, damaged data. Never allocates
// more than the entry's actual bytes need.
std::optional<std::string> readZipEntry(std::string_view zipBytes, std::string_view name,
                                        std::string* refusal = nullptr);

// The names of the entries, in the order of the central directory; empty when the bytes are
// not a ZIP container a reader can trust (see readZipEntry).
std::vector<std::string> zipEntryNames(std::string_view zipBytes);

}  // namespace lintavo
