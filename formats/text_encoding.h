#pragma once

// The two encodings a Chinese spreadsheet saves text in: UTF-8 (with or without a byte-order
// mark) and GB18030, the superset of GBK and GB2312 that Chinese Windows calls "ANSI".
// A text that is valid UTF-8 is taken as UTF-8; anything else as GB18030, which decodes every
// GBK text the same as GBK.

#include <optional>
#include <string>
#include <string_view>

namespace lintavo {

// Whether the bytes are UTF-8: shortest forms, no surrogates, nothing above U+10FFFF. With
// `mayBeCut` a sequence cut off by the end of the bytes still counts, for a text read in
// pieces:  isUtf8("\xE6\xB8") is false, isUtf8("\xE6\xB8", true) true.
bool isUtf8(std::string_view bytes, bool mayBeCut = false);

// GB18030 bytes as UTF-8; none when they are not GB18030 (a lead byte without its trail).
//   gb18030ToUtf8("\xC3\xFB\xB3\xC6") → "名称"
std::optional<std::string> gb18030ToUtf8(std::string_view bytes);

// UTF-8 bytes as GB18030, for tests and for files meant for old spreadsheets; none when the
// text is not UTF-8.
std::optional<std::string> utf8ToGb18030(std::string_view bytes);

}  // namespace lintavo
