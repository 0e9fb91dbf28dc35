// The keyword search of the search mode: fills 超级列表框2 with the site's hits.
#pragma once

#include <string>
#include <string_view>

namespace search {

// GBK text as its UTF-8 bytes, every byte written as "%XX" (uppercase).
std::string encode_keyword(std::string_view text);

// Runs on the user-interface thread and returns when the list is filled.
void keyword_search();

}  // namespace search
