// GBK text where it meets Qt. Included only by the window side.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "common/code_page.h"

namespace common {

inline QString from_gbk(std::string_view text) {
    const std::u16string units = utf16_from_gbk(text);
    return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

inline std::string to_gbk(const QString& text) {
    return gbk_from_utf16({reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())});
}

}  // namespace common
