#pragma once

// Text that lives as long as the program: a string literal, or a constant made from one.
// Structures that carry a text to a view (a book, a report, a file) and do not own it hold
// one of these. Its constructor is consteval, so only a literal known when compiling can make
// it: `rule = "r > 5·" + B` no longer compiles where it once stored a view of a temporary.
//   constexpr StaticText overflow = "超出双精度范围";
//   std::string_view text = overflow;  // "超出双精度范围", for as long as the program runs

#include <cstddef>
#include <string>
#include <string_view>

namespace lintavo {

class StaticText {
  public:
    constexpr StaticText() = default;
    template <std::size_t N>
    consteval StaticText(const char (&literal)[N])  // NOLINT(google-explicit-constructor)
        : text_(literal, N - 1) {}

    constexpr std::string_view view() const { return text_; }
    constexpr operator std::string_view() const { return text_; }  // NOLINT
    constexpr bool empty() const { return text_.empty(); }
    constexpr std::size_t size() const { return text_.size(); }
    constexpr const char* data() const { return text_.data(); }
    constexpr std::string_view substr(std::size_t pos,
                                      std::size_t count = std::string_view::npos) const {
        return text_.substr(pos, count);
    }
    std::string str() const { return std::string(text_); }

    friend constexpr bool operator==(StaticText a, StaticText b) { return a.text_ == b.text_; }
    friend constexpr bool operator==(StaticText a, std::string_view b) { return a.text_ == b; }
    template <std::size_t N>
    friend constexpr bool operator==(StaticText a, const char (&b)[N]) {
        return a.text_ == std::string_view(b, N - 1);
    }

  private:
    std::string_view text_;
};

}  // namespace lintavo
