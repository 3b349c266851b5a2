#include "formats/text_encoding.h"

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace lintavo {

bool isUtf8(std::string_view bytes, bool mayBeCut) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t k = 0;
    while (k < n) {
        const unsigned char c = p[k];
        if (c < 0x80) {
            ++k;
            continue;
        }
        std::size_t length = 0;
        // The second byte's range excludes overlong forms, surrogates and code points beyond
        // U+10FFFF (RFC 3629's table).
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0) low = 0xA0;
            if (c == 0xED) high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        for (std::size_t j = 1; j < length; ++j) {
            if (k + j >= n) return mayBeCut;
            const unsigned char t = p[k + j];
            if (j == 1 ? (t < low || t > high) : (t < 0x80 || t > 0xBF)) return false;
        }
        k += length;
    }
    return true;
}

#ifdef _WIN32

namespace {

// Windows converts through UTF-16; code page 54936 is GB18030.
std::optional<std::string> convert(std::string_view bytes, UINT from, UINT to) {
    if (bytes.empty()) return std::string();
    const int size = static_cast<int>(bytes.size());
    const int wide =
        MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (wide <= 0) return std::nullopt;
    std::wstring w(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, bytes.data(), size, w.data(), wide);
    // Windows takes WC_ERR_INVALID_CHARS for UTF-8 and GB18030 only.
    const DWORD flags = to == CP_UTF8 || to == 54936 ? WC_ERR_INVALID_CHARS : 0;
    const int narrow = WideCharToMultiByte(to, flags, w.data(), wide, nullptr, 0, nullptr, nullptr);
    if (narrow <= 0) return std::nullopt;
    std::string out(static_cast<std::size_t>(narrow), '\0');
    WideCharToMultiByte(to, flags, w.data(), wide, out.data(), narrow, nullptr, nullptr);
    return out;
}

// Code page 936 (GBK) where 54936 is missing, as under Wine: GBK is GB18030 but for the
// four-byte sequences, which then fail to convert rather than convert wrongly.
UINT gb18030CodePage() {
    static const UINT page = IsValidCodePage(54936) ? 54936 : 936;
    return page;
}

}  // namespace

std::optional<std::string> gb18030ToUtf8(std::string_view bytes) {
    return convert(bytes, gb18030CodePage(), CP_UTF8);
}

std::optional<std::string> utf8ToGb18030(std::string_view bytes) {
    return convert(bytes, CP_UTF8, gb18030CodePage());
}

#else

namespace {

// One converter per direction and thread, opened on first use: a file decodes field by field.
class Converter {
  public:
    Converter(const char* from, const char* to) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (open()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    // iconv_open's failure value is (iconv_t)-1, an integer cast to a pointer by definition.
    bool open() const {
        return cd_ != reinterpret_cast<iconv_t>(-1);
    }  // NOLINT(performance-no-int-to-ptr)
    iconv_t get() {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        return cd_;
    }

  private:
    iconv_t cd_;
};

std::optional<std::string> convert(std::string_view bytes, Converter& converter) {
    if (!converter.open()) return std::nullopt;
    iconv_t cd = converter.get();
    std::string out;
    // A GB18030 character takes at most four bytes and so does its UTF-8, and the other way.
    out.resize(bytes.size() * 2 + 16);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t status = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    if (status == static_cast<std::size_t>(-1) || inLeft != 0) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

std::optional<std::string> gb18030ToUtf8(std::string_view bytes) {
    thread_local Converter converter("GB18030", "UTF-8");
    return convert(bytes, converter);
}

std::optional<std::string> utf8ToGb18030(std::string_view bytes) {
    if (!isUtf8(bytes)) return std::nullopt;
    thread_local Converter converter("UTF-8", "GB18030");
    return convert(bytes, converter);
}

#endif

}  // namespace lintavo
