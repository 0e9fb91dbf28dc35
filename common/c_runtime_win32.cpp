#include "common/c_runtime.h"

#include <locale.h>
#include <stdlib.h>  // _strtod_l

#include <string_view>

namespace common {

const char* find_bytes(const char* text, std::size_t length, const char* sub, std::size_t sub_length) {
    // The C library here has no memmem.
    const std::string_view haystack(text, length);
    const std::size_t at = haystack.find(std::string_view(sub, sub_length));
    return at == std::string_view::npos ? nullptr : text + at;
}

double c_locale_strtod(const char* number) {
    static const _locale_t c_locale = _create_locale(LC_ALL, "C");
    return _strtod_l(number, nullptr, c_locale);
}

}  // namespace common
