// GBK text where it meets Qt. Included only by the window side.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "common/code_page.h"

namespace common {

inline QString from_gbk(std::string_view text) {
    auto units = decode_code_page(text, code_page_gbk);
    if (!units) return {};
    return QString::fromUtf16(units->data(), static_cast<qsizetype>(units->size()));
}

inline std::string to_gbk(const QString& text) {
    std::u16string_view units(reinterpret_cast<const char16_t*>(text.utf16()),
                              static_cast<std::size_t>(text.size()));
    return encode_code_page(units, code_page_gbk).value_or(std::string());
}

}  // namespace common
