// The system's fixed texts: written in UTF-8 here, used as GBK at run time.
//
//     status_set_text(1, gbk<"下载地址复制成功！">());
//
// Each text is converted once, on first use, and kept for the whole run.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "common/code_page.h"

namespace common {

template <std::size_t N>
struct utf8_literal {
    char bytes[N];
    constexpr utf8_literal(const char (&text)[N]) { std::copy_n(text, N, bytes); }
    constexpr std::string_view view() const { return {bytes, N - 1}; }
};

template <utf8_literal Text>
const std::string& gbk() {
    static const std::string converted = convert_utf8_to_gbk(Text.view());
    return converted;
}

}  // namespace common
