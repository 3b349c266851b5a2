#include "formats/zip.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <exception>

#include "formats/limits.h"

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

// Why an entry cannot be read, as a sentence: "文件中的“xl/styles.xml”" and what is wrong.
std::string refusalFor(std::string_view name, std::string_view what) {
    return "文件中的“" + std::string(name) + "”" + std::string(what);
}

std::string mib(std::size_t bytes) {
    return std::to_string(bytes >> 20) + " MiB";
}

// Raw deflate inflated in pieces into a string that grows with what actually comes out, so
// that a size the file claims is never allocated on its word. Stops, with a refusal, past the
// declared size or past the inflate ratio a bomb has.
std::optional<std::string> inflateBounded(std::string_view packed, std::size_t size,
                                          std::string_view name, std::string& refusal) {
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) {
        refusal = "无法初始化解压缩。";
        return std::nullopt;
    }
    std::string out;
    out.reserve(std::min(size, limits::ratioGraceBytes));
    std::string piece(std::size_t{1} << 16, '\0');
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        if (z.avail_in == 0 && !packed.empty()) {
            const std::size_t feed = std::min<std::size_t>(packed.size(), 1U << 30);
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
            z.avail_in = static_cast<uInt>(feed);
            packed.remove_prefix(feed);
        }
        z.next_out = reinterpret_cast<Bytef*>(piece.data());
        z.avail_out = static_cast<uInt>(piece.size());
        status = inflate(&z, Z_NO_FLUSH);
        const std::size_t produced = piece.size() - z.avail_out;
        // Z_BUF_ERROR: the data ended before the stream did.
        if (status != Z_OK && status != Z_STREAM_END) break;
        if (out.size() + produced > size) {
            refusal = refusalFor(name, "解压后比记录的大小更大，文件已损坏。");
            break;
        }
        out.append(piece, 0, produced);
        if (out.size() > limits::ratioGraceBytes &&
            out.size() / limits::maxInflateRatio > z.total_in) {
            refusal = refusalFor(name, "的压缩比超过 " + std::to_string(limits::maxInflateRatio) +
                                           " 比 1，像是为耗尽内存而构造的压缩炸弹，不予读取。");
            break;
        }
        if (produced == 0 && z.avail_in == 0 && packed.empty() && status != Z_STREAM_END) break;
    }
    inflateEnd(&z);
    if (!refusal.empty()) return std::nullopt;
    if (status != Z_STREAM_END || out.size() != size) {
        refusal = refusalFor(name, "的压缩数据已损坏。");
        return std::nullopt;
    }
    return out;
}

struct CentralEntry {
    std::string name;
    unsigned flags;
    unsigned method;
    unsigned long crc;
    std::size_t packed;
    std::size_t size;
    std::size_t offset;
};

constexpr std::string_view damaged = "文件不是完好的 ZIP 容器（.xlsx 工作簿即是 ZIP 容器）：";

// The central directory, checked against itself and against the file before anything is
// allocated for it; none, with the refusal, when it is not one a reader can trust.
std::optional<std::vector<CentralEntry>> centralDirectory(std::string_view zip,
                                                          std::string& refusal) {
    constexpr std::size_t endSize = 22;
    constexpr std::size_t headerSize = 46;
    refusal = std::string(damaged) + "找不到它的目录。";
    if (zip.size() < endSize) return std::nullopt;
    // The record sits at the end, followed by a comment of at most 65535 bytes.
    std::size_t at = zip.size() - endSize;
    const std::size_t lowest = at > 0xFFFF ? at - 0xFFFF : 0;
    while (get32(zip, at) != endSignature) {
        if (at == lowest) return std::nullopt;
        --at;
    }
    const std::size_t disk = get16(zip, at + 4);
    const std::size_t directoryDisk = get16(zip, at + 6);
    const std::size_t countHere = get16(zip, at + 8);
    const std::size_t count = get16(zip, at + 10);
    const std::size_t dirSize = get32(zip, at + 12);
    std::size_t pos = get32(zip, at + 16);
    constexpr std::uint32_t zip64Locator = 0x07064b50;
    if (count == 0xFFFF || dirSize == 0xFFFFFFFF || pos == 0xFFFFFFFF ||
        (at >= 20 && get32(zip, at - 20) == zip64Locator)) {
        refusal = "文件是 ZIP64 容器，只能读取 4 GiB 以下的普通 ZIP 容器。";
        return std::nullopt;
    }
    if (disk != 0 || directoryDisk != 0 || countHere != count) {
        refusal = "文件是分卷 ZIP 容器的一部分，无法单独读取。";
        return std::nullopt;
    }
    if (pos > at || dirSize > at - pos || count * headerSize > dirSize) {
        refusal = std::string(damaged) + "它的目录指向文件以外的位置。";
        return std::nullopt;
    }
    if (count > limits::maxZipEntries) {
        refusal = "文件的目录列出 " + std::to_string(count) + " 个条目，超过了 " +
                  std::to_string(limits::maxZipEntries) + " 个的上限。";
        return std::nullopt;
    }
    const std::size_t end = pos + dirSize;
    std::vector<CentralEntry> entries;
    entries.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        refusal = std::string(damaged) + "它的目录第 " + std::to_string(k + 1) + " 项不完整。";
        if (end - pos < headerSize || get32(zip, pos) != centralSignature) return std::nullopt;
        const std::size_t nameLength = get16(zip, pos + 28);
        const std::size_t extra = get16(zip, pos + 30);
        const std::size_t comment = get16(zip, pos + 32);
        if (end - pos - headerSize < nameLength + extra + comment) return std::nullopt;
        CentralEntry entry{std::string(zip.substr(pos + headerSize, nameLength)),
                           get16(zip, pos + 8),
                           get16(zip, pos + 10),
                           get32(zip, pos + 16),
                           get32(zip, pos + 20),
                           get32(zip, pos + 24),
                           get32(zip, pos + 42)};
        if (entry.packed == 0xFFFFFFFF || entry.size == 0xFFFFFFFF || entry.offset == 0xFFFFFFFF) {
            refusal = "文件是 ZIP64 容器，只能读取 4 GiB 以下的普通 ZIP 容器。";
            return std::nullopt;
        }
        // Each entry's data lies before the directory.
        if (entry.offset >= get32(zip, at + 16) ||
            entry.packed > get32(zip, at + 16) - entry.offset) {
            refusal = refusalFor(entry.name, "记录的位置或压缩大小超出了文件本身，文件已损坏。");
            return std::nullopt;
        }
        entries.push_back(std::move(entry));
        pos += headerSize + nameLength + extra + comment;
    }
    refusal.clear();
    return entries;
}

// One entry, the caps checked on what the directory declares before anything is inflated;
// none and no refusal when the container has no entry of that name.
std::optional<std::string> readEntry(std::string_view zip, std::string_view name,
                                     std::string& refusal) {
    const auto entries = centralDirectory(zip, refusal);
    if (!entries) return std::nullopt;
    const auto entry = std::find_if(entries->begin(), entries->end(),
                                    [&](const CentralEntry& e) { return e.name == name; });
    if (entry == entries->end()) return std::nullopt;
    const auto refuse = [&](std::string_view what) {
        refusal = refusalFor(name, what);
        return std::nullopt;
    };
    constexpr unsigned encrypted = 1;
    if ((entry->flags & encrypted) != 0)
        return refuse("设有密码；请在电子表格程序中取消密码后再导入。");
    if (entry->method != stored && entry->method != deflated)
        return refuse("使用了不支持的压缩方法（编号 " + std::to_string(entry->method) +
                      "），只能读取存储或 deflate 压缩的条目。");
    if (entry->size > limits::maxEntryBytes)
        return refuse("解压后有 " + mib(entry->size) + "，超过了 " + mib(limits::maxEntryBytes) +
                      " 的上限，不予读取。");
    if (entry->size > limits::ratioGraceBytes &&
        entry->size / limits::maxInflateRatio > entry->packed)
        return refuse("的压缩比超过 " + std::to_string(limits::maxInflateRatio) +
                      " 比 1，像是为耗尽内存而构造的压缩炸弹，不予读取。");
    const std::size_t at = entry->offset;
    constexpr std::size_t localSize = 30;
    if (zip.size() - at < localSize || get32(zip, at) != localSignature)
        return refuse("的本地文件头已损坏。");
    if ((get16(zip, at + 6) & encrypted) != 0)
        return refuse("设有密码；请在电子表格程序中取消密码后再导入。");
    // The local header's lengths may differ from the central directory's.
    const std::size_t start = at + localSize + get16(zip, at + 26) + get16(zip, at + 28);
    if (start > zip.size() || zip.size() - start < entry->packed)
        return refuse("的数据超出了文件本身，文件已损坏。");
    const std::string_view packed = zip.substr(start, entry->packed);
    std::optional<std::string> bytes;
    if (entry->method == stored) {
        if (entry->packed != entry->size) return refuse("的两个记录的大小不一致，文件已损坏。");
        bytes = std::string(packed);
    } else {
        bytes = inflateBounded(packed, entry->size, name, refusal);
        if (!bytes) return std::nullopt;
    }
    if (crcOf(*bytes) != entry->crc) return refuse("的校验和不符，文件已损坏。");
    return bytes;
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

std::optional<std::string> readZipEntry(std::string_view zip, std::string_view name,
                                        std::string* refusal) {
    std::string why;
    std::optional<std::string> bytes;
    try {
        bytes = readEntry(zip, name, why);
    } catch (const std::exception&) {
        // The caps keep every allocation far below what a machine has; should one still
        // fail, the reading fails, not the program.
        bytes.reset();
        why = "内存不足，无法读取文件中的“" + std::string(name) + "”。";
    }
    if (refusal != nullptr) *refusal = std::move(why);
    return bytes;
}

std::vector<std::string> zipEntryNames(std::string_view zip) {
    std::vector<std::string> names;
    std::string refusal;
    try {
        if (const auto entries = centralDirectory(zip, refusal)) {
            for (const CentralEntry& entry : *entries)
                names.push_back(entry.name);
        }
    } catch (const std::exception&) {
        names.clear();
    }
    return names;
}

}  // namespace lintavo
