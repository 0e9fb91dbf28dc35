#include "search/keyword_search.h"

namespace search {
std::string encode_keyword(std::string_view) { return {}; }
void keyword_search() {}
}  // namespace search
