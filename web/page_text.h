// Turning fetched pages into GBK text and cutting values out of them.
#pragma once

#include <string>
#include <string_view>

#include "common/code_page.h"
#include "common/text_ops.h"

namespace web {

// A UTF-8 page as GBK, up to its first zero byte. Characters GBK cannot hold
// become "?", and so does each malformed UTF-8 sequence.
std::string utf8_to_gbk(std::string_view utf8);
// The same, converting a page handed over in place: no second copy of it.
std::string utf8_to_gbk(std::string&& utf8);

// Big5 text as GBK with traditional characters made simplified. The result
// ends before the first character that GBK cannot hold.
std::string big5_to_gbk_simplified(std::string_view big5);

// The text up to its first zero byte decoded into a UTF-16LE buffer that ends
// in a zero unit; the empty buffer when the code page is unknown.
common::byte_array decode_to_utf16(std::string_view text, int code_page = common::code_page_utf8);

// A UTF-16LE buffer, up to its first zero unit, encoded with "?" for what the
// code page cannot hold; the empty text when the code page is unknown.
std::string encode_from_utf16(const common::byte_array& buffer, int code_page = common::code_page_ansi);

// What stands between the first `left` at or after `start` and the next
// `right` after it; empty when either is missing. "#引号" in a marker stands
// for a double quote. ASCII case is ignored unless `case_sensitive`.
std::string text_between(std::string_view text, std::string_view left, std::string_view right,
                         int start = 1, bool case_sensitive = false);

// Traditional characters of a GBK text mapped to simplified ones in a buffer
// of the text's length; spaces of that length when the mapping fails.
// `mapping` names the mapping (an ICU transliterator on Linux).
std::string map_to_simplified(std::string_view gbk_text, std::u16string_view mapping = u"Traditional-Simplified");

}  // namespace web
