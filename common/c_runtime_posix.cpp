#include "common/c_runtime.h"

#include <locale.h>
#include <stdlib.h>  // strtod_l
#include <string.h>  // memmem

namespace common {

const char* find_bytes(const char* text, std::size_t length, const char* sub, std::size_t sub_length) {
    return static_cast<const char*>(memmem(text, length, sub, sub_length));
}

double c_locale_strtod(const char* number) {
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
    return strtod_l(number, nullptr, c_locale);
}

}  // namespace common
