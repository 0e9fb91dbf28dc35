// The header lines of a request as the HTTP engine takes them: a list it
// sends after its own request line, Host, User-Agent and jar cookies.
// Internal to web/.
#pragma once

#include <curl/curl.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace web {

struct slist_deleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using header_list = std::unique_ptr<curl_slist, slist_deleter>;

// Whether `line` is a header line called `name` (ASCII case ignored).
bool is_named(std::string_view line, std::string_view name);
bool has_header_named(const std::vector<std::string>& lines, std::string_view name);
void drop_lines_named(std::vector<std::string>& lines, std::initializer_list<std::string_view> names);

// The request's header lines, then the cache bypass unless the lines carry
// their own. Blank entries stop the engine from adding headers of its own
// that the request does not carry. Empty when the list cannot be made.
header_list curl_header_list(const std::vector<std::string>& lines, bool post);

}  // namespace web
