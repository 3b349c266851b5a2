#include "formats/zip.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace lintavo {

namespace {

constexpr std::uint32_t localSignature = 0x04034b50;
constexpr std::uint32_t centralSignature = 0x02014b50;
constexpr std::uint32_t endSignature = 0x06054b50;
constexpr unsigned utf8Names = 1U << 11;
constexpr unsigned stored = 0;
constexpr unsigned deflated = 8;
// 1980-01-01 00:00, the earliest date the format can hold: the same document written twice
// gives the same bytes.
constexpr unsigned dosTime = 0;
constexpr unsigned dosDate = (0U << 9) | (1U << 5) | 1U;

void put16(std::string& out, std::size_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void put32(std::string& out, std::size_t v) {
    put16(out, v & 0xFFFF);
    put16(out, (v >> 16) & 0xFFFF);
}

std::uint32_t get16(std::string_view in, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(in[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(in[at + 1])) << 8;
}

std::uint32_t get32(std::string_view in, std::size_t at) {
    return get16(in, at) | get16(in, at + 2) << 16;
}

unsigned long crcOf(std::string_view bytes) {
    unsigned long crc = crc32(0L, nullptr, 0);
    // zlib takes lengths as uInt; feed it in pieces that fit.
    while (!bytes.empty()) {
        const std::size_t piece = std::min<std::size_t>(bytes.size(), 1U << 30);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(piece));
        bytes.remove_prefix(piece);
    }
    return crc;
}

// Raw deflate (no zlib header), as ZIP stores it.
std::optional<std::string> deflateRaw(std::string_view bytes) {
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return std::nullopt;
    std::string out(deflateBound(&z, static_cast<uLong>(bytes.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int status = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (status != Z_STREAM_END) return std::nullopt;
    return out;
}

std::optional<std::string> inflateRaw(std::string_view packed, std::size_t size) {
    std::string out(size, '\0');
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return std::nullopt;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    z.avail_in = static_cast<uInt>(packed.size());
    // One spare byte tells a stream longer than its recorded size from one that fits.
    std::string spare(1, '\0');
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    int status = inflate(&z, Z_FINISH);
    if (status == Z_BUF_ERROR && z.avail_out == 0) {
        z.next_out = reinterpret_cast<Bytef*>(spare.data());
        z.avail_out = 1;
        status = inflate(&z, Z_FINISH);
    }
    const bool whole = status == Z_STREAM_END && z.total_out == size;
    inflateEnd(&z);
    if (!whole) return std::nullopt;
    return out;
}

struct CentralEntry {
    std::string name;
    unsigned method;
    unsigned long crc;
    std::size_t packed;
    std::size_t size;
    std::size_t offset;
};

// The central directory, or none when the bytes do not end in an end-of-central-directory
// record that points inside them.
std::optional<std::vector<CentralEntry>> centralDirectory(std::string_view zip) {
    constexpr std::size_t endSize = 22;
    if (zip.size() < endSize) return std::nullopt;
    // The record sits at the end, followed by a comment of at most 65535 bytes.
    std::size_t at = zip.size() - endSize;
    const std::size_t lowest = at > 0xFFFF ? at - 0xFFFF : 0;
    while (get32(zip, at) != endSignature) {
        if (at == lowest) return std::nullopt;
        --at;
    }
    const std::size_t count = get16(zip, at + 10);
    const std::size_t dirSize = get32(zip, at + 12);
    std::size_t pos = get32(zip, at + 16);
    if (pos > at || dirSize > at - pos) return std::nullopt;
    std::vector<CentralEntry> entries;
    for (std::size_t k = 0; k < count; ++k) {
        if (at - pos < 46 || get32(zip, pos) != centralSignature) return std::nullopt;
        const std::size_t nameLength = get16(zip, pos + 28);
        const std::size_t extra = get16(zip, pos + 30);
        const std::size_t comment = get16(zip, pos + 32);
        if (at - pos - 46 < nameLength + extra + comment) return std::nullopt;
        entries.push_back({std::string(zip.substr(pos + 46, nameLength)), get16(zip, pos + 10),
                           get32(zip, pos + 16), get32(zip, pos + 20), get32(zip, pos + 24),
                           get32(zip, pos + 42)});
        pos += 46 + nameLength + extra + comment;
    }
    return entries;
}

}  // namespace

// What the local header and the central directory both say of an entry, in the same order:
// from the version needed to extract to the length of the name.
void ZipWriter::putEntryFields(std::string& out, const Entry& entry) {
    put16(out, 20);  // version needed: 2.0, deflate
    put16(out, utf8Names);
    put16(out, entry.method);
    put16(out, dosTime);
    put16(out, dosDate);
    put32(out, entry.crc);
    put32(out, entry.packed);
    put32(out, entry.size);
    put16(out, entry.name.size());
}

void ZipWriter::add(std::string_view name, std::string_view bytes) {
    Entry entry{std::string(name), crcOf(bytes), bytes.size(), bytes.size(), stored, body_.size()};
    const std::optional<std::string> packed = deflateRaw(bytes);
    const bool smaller = packed && packed->size() < bytes.size();
    if (smaller) {
        entry.method = deflated;
        entry.packed = packed->size();
    }
    put32(body_, localSignature);
    putEntryFields(body_, entry);
    put16(body_, 0);  // no extra field
    body_ += entry.name;
    body_ += smaller ? std::string_view(*packed) : bytes;
    entries_.push_back(std::move(entry));
}

std::string ZipWriter::finish() {
    std::string out = std::move(body_);
    const std::size_t directory = out.size();
    for (const Entry& entry : entries_) {
        put32(out, centralSignature);
        put16(out, 0x0314);  // made by: Unix, 2.0 (so the attributes below mean rw-r--r--)
        putEntryFields(out, entry);
        put16(out, 0);  // extra
        put16(out, 0);  // comment
        put16(out, 0);  // disk
        put16(out, 0);  // internal attributes
        put32(out, 0100644U << 16);
        put32(out, entry.offset);
        out += entry.name;
    }
    const std::size_t directorySize = out.size() - directory;
    put32(out, endSignature);
    put16(out, 0);
    put16(out, 0);
    put16(out, entries_.size());
    put16(out, entries_.size());
    put32(out, directorySize);
    put32(out, directory);
    put16(out, 0);
    body_.clear();
    entries_.clear();
    return out;
}

std::optional<std::string> readZipEntry(std::string_view zip, std::string_view name) {
    const auto entries = centralDirectory(zip);
    if (!entries) return std::nullopt;
    for (const CentralEntry& entry : *entries) {
        if (entry.name != name) continue;
        const std::size_t at = entry.offset;
        if (at > zip.size() || zip.size() - at < 30 || get32(zip, at) != localSignature)
            return std::nullopt;
        // The local header's lengths may differ from the central directory's.
        const std::size_t start = at + 30 + get16(zip, at + 26) + get16(zip, at + 28);
        if (start > zip.size() || zip.size() - start < entry.packed) return std::nullopt;
        if (entry.size > std::numeric_limits<uInt>::max() ||
            entry.packed > std::numeric_limits<uInt>::max())
            return std::nullopt;
        const std::string_view packed = zip.substr(start, entry.packed);
        std::optional<std::string> bytes;
        if (entry.method == stored && entry.packed == entry.size) {
            bytes = std::string(packed);
        } else if (entry.method == deflated) {
            bytes = inflateRaw(packed, entry.size);
        }
        if (!bytes || crcOf(*bytes) != entry.crc) return std::nullopt;
        return bytes;
    }
    return std::nullopt;
}

std::vector<std::string> zipEntryNames(std::string_view zip) {
    std::vector<std::string> names;
    if (const auto entries = centralDirectory(zip)) {
        for (const CentralEntry& entry : *entries)
            names.push_back(entry.name);
    }
    return names;
}

}  // namespace lintavo
