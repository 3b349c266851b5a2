#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace lintavo {

// The tables hold UTF-8; Qt holds UTF-16.
inline QString qstr(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

inline std::string utf8(const QString& s) {
    return s.toStdString();
}

}  // namespace lintavo
