// The mapping through LCMapStringW, which maps each character by itself.
#include "web/simplified_chinese.h"

#include <windows.h>

#include <climits>

namespace web {

std::optional<std::u16string> map_to_simplified_units(std::u16string_view units, std::u16string_view mapping) {
    if (mapping != u"Traditional-Simplified") return std::nullopt;
    if (units.empty()) return std::u16string();
    if (units.size() > INT_MAX / 2) return std::nullopt;
    const LCID simplified_chinese = MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT);
    const auto* source = reinterpret_cast<const wchar_t*>(units.data());
    const int length = static_cast<int>(units.size());
    const int needed = LCMapStringW(simplified_chinese, LCMAP_SIMPLIFIED_CHINESE, source, length, nullptr, 0);
    if (needed <= 0) return std::nullopt;
    std::u16string out(static_cast<std::size_t>(needed), u'\0');
    const int n = LCMapStringW(simplified_chinese, LCMAP_SIMPLIFIED_CHINESE, source, length,
                               reinterpret_cast<wchar_t*>(out.data()), needed);
    if (n <= 0) return std::nullopt;
    out.resize(static_cast<std::size_t>(n));
    return out;
}

}  // namespace web
