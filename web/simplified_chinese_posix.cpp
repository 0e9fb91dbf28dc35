// The mapping on ICU's transliterators.
#include "web/simplified_chinese.h"

#include <unicode/utf16.h>
#include <unicode/utrans.h>

#include <cstring>
#include <map>
#include <memory>

namespace web {
namespace {

struct transliterator_closer {
    void operator()(UTransliterator* t) const { utrans_close(t); }
};

// Opened once per thread and mapping name; null when ICU does not know it.
UTransliterator* transliterator_for(std::u16string_view mapping) {
    thread_local std::map<std::u16string, std::unique_ptr<UTransliterator, transliterator_closer>> open;
    const std::u16string key(mapping);
    auto found = open.find(key);
    if (found == open.end()) {
        UErrorCode err = U_ZERO_ERROR;
        UTransliterator* t = utrans_openU(key.data(), static_cast<int32_t>(key.size()), UTRANS_FORWARD,
                                          nullptr, 0, nullptr, &err);
        if (U_FAILURE(err) && t != nullptr) {
            utrans_close(t);
            t = nullptr;
        }
        found = open.emplace(key, std::unique_ptr<UTransliterator, transliterator_closer>(t)).first;
    }
    return found->second.get();
}

// One character at a time, as the platform's mapping goes: no phrase rules.
std::u16string map_each_character(UTransliterator* mapping, std::u16string_view units) {
    std::u16string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size();) {
        UChar32 c;
        const std::size_t begin = i;
        U16_NEXT(units.data(), i, units.size(), c);
        const std::u16string_view one = units.substr(begin, i - begin);
        if (c < 0x2E80) {  // below the CJK blocks nothing changes
            out.append(one);
            continue;
        }
        UChar buffer[16];
        std::memcpy(buffer, one.data(), one.size() * sizeof(UChar));
        int32_t length = static_cast<int32_t>(one.size());
        int32_t limit = length;
        UErrorCode err = U_ZERO_ERROR;
        utrans_transUChars(mapping, buffer, &length, 16, 0, &limit, &err);
        if (U_FAILURE(err)) {
            out.append(one);
        } else {
            out.append(reinterpret_cast<const char16_t*>(buffer), static_cast<std::size_t>(length));
        }
    }
    return out;
}

}  // namespace

std::optional<std::u16string> map_to_simplified_units(std::u16string_view units, std::u16string_view mapping) {
    UTransliterator* transliterator = transliterator_for(mapping);
    if (transliterator == nullptr) return std::nullopt;
    return map_each_character(transliterator, units);
}

}  // namespace web
