// What every system's code pages do alike.
#include "common/code_page.h"

namespace common {

std::string convert_gbk_to_utf8(std::string_view gbk_text) {
    auto units = decode_code_page(gbk_text, code_page_gbk);
    if (!units) return {};
    return encode_code_page(*units, code_page_utf8).value_or(std::string());
}

}  // namespace common
