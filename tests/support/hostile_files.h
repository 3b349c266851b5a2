#pragma once

// Workbooks made to exhaust a reader, for the reader tests and the readers' benchmark: each is
// a few bytes to a megabyte and claims, or inflates to, gigabytes, or asks for a table of
// billions of cells. Plain C++ over zlib and our own ZIP writer.

#include <zlib.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "formats/zip.h"

namespace lintavo::hostile {

inline void put16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

inline void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// A container of one deflated entry whose directory says what it is told to: the packed bytes
// as they are, the size and CRC as given.
inline std::string containerOf(std::string_view name, std::string_view packed, std::uint32_t crc,
                               std::uint32_t size) {
    const auto fields = [&](std::string& out) {
        put16(out, 20);
        put16(out, 0);
        put16(out, 8);  // deflated
        put32(out, 0);
        put32(out, crc);
        put32(out, static_cast<std::uint32_t>(packed.size()));
        put32(out, size);
        put16(out, static_cast<std::uint32_t>(name.size()));
    };
    std::string out;
    put32(out, 0x04034b50);
    fields(out);
    put16(out, 0);
    out += name;
    out += packed;
    const auto directory = static_cast<std::uint32_t>(out.size());
    put32(out, 0x02014b50);
    put16(out, 20);
    fields(out);
    for (int k = 0; k < 4; ++k)
        put16(out, 0);
    put32(out, 0);
    put32(out, 0);  // the entry's local header at the start
    out += name;
    const auto directorySize = static_cast<std::uint32_t>(out.size()) - directory;
    put32(out, 0x06054b50);
    put32(out, 0);
    put16(out, 1);
    put16(out, 1);
    put32(out, directorySize);
    put32(out, directory);
    put16(out, 0);
    return out;
}

// A workbook of nothing but its first sheet, which a reader finds where a workbook without
// relationships keeps it.
inline std::string sheetOnly(std::string_view sheetXml) {
    ZipWriter zip;
    zip.add("xl/worksheets/sheet1.xml", sheetXml);
    return zip.finish();
}

// A sheet whose directory claims `size` bytes for it (0xFFFFFFF0: four gigabytes in a file of
// 291 bytes).
inline std::string claimedSize(std::uint32_t size) {
    std::string zip = sheetOnly(
        "<worksheet><sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row></sheetData>"
        "</worksheet>");
    const std::size_t directory = zip.rfind(std::string_view("PK\x01\x02", 4));
    std::string bytes;
    put32(bytes, size);
    zip.replace(directory + 24, 4, bytes);
    return zip;
}

// A deflate stream of `mebibytes` MiB of one repeated byte: the same flushed block of one MiB
// over and over (about 1 KiB each, a ratio of 1000 to 1), then an empty last block. Its
// directory records `declared` bytes, or the true size when `declared` is 0.
inline std::string deflateBomb(std::uint32_t mebibytes, std::uint32_t declared = 0) {
    const std::string mib(std::size_t{1} << 20, '<');
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    std::string block(deflateBound(&z, static_cast<uLong>(mib.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(mib.data()));
    z.avail_in = static_cast<uInt>(mib.size());
    z.next_out = reinterpret_cast<Bytef*>(block.data());
    z.avail_out = static_cast<uInt>(block.size());
    deflate(&z, Z_FULL_FLUSH);
    block.resize(z.total_out);
    deflateEnd(&z);
    std::string packed;
    packed.reserve(block.size() * mebibytes + 2);
    uLong crc = crc32(0L, nullptr, 0);
    const uLong blockCrc =
        crc32(0L, reinterpret_cast<const Bytef*>(mib.data()), static_cast<uInt>(mib.size()));
    for (std::uint32_t k = 0; k < mebibytes; ++k) {
        packed += block;
        crc = crc32_combine(crc, blockCrc, static_cast<z_off_t>(mib.size()));
    }
    packed += std::string_view("\x03\x00", 2);  // the last block, empty, fixed codes
    const std::uint32_t size = declared != 0 ? declared : mebibytes << 20;
    return containerOf("xl/worksheets/sheet1.xml", packed, static_cast<std::uint32_t>(crc), size);
}

// `count` rows of one cell each at the last column, XFD.
inline std::string cellsAtXfd(int count) {
    std::string xml = "<worksheet><sheetData>";
    for (int r = 1; r <= count; ++r) {
        const std::string row = std::to_string(r);
        xml += "<row r=\"" + row + "\"><c r=\"XFD" + row + "\"><v>1</v></c></row>";
    }
    return sheetOnly(xml + "</sheetData></worksheet>");
}

// `count` rows of one cell, each row's number `step` past the last.
inline std::string rowJumps(int count, long step) {
    std::string xml = "<worksheet><sheetData>";
    for (long k = 0, r = 1; k < count; ++k, r += step)
        xml += "<row r=\"" + std::to_string(r) + "\"><c><v>1</v></c></row>";
    return sheetOnly(xml + "</sheetData></worksheet>");
}

// One cell at a reference of the given letters, in row 1.
inline std::string cellAt(std::string_view letters) {
    return sheetOnly("<worksheet><sheetData><row r=\"1\"><c r=\"" + std::string(letters) +
                     "1\"><v>1</v></c></row></sheetData></worksheet>");
}

}  // namespace lintavo::hostile
