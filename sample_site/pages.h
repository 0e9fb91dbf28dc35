// The bodies the sample site serves, built from its data. Pages are UTF-8
// HTML; descriptors are the ASCII templates with the stream host filled in.
#pragma once

#include <string>
#include <string_view>

#include "sample_site/site_data.h"

namespace sample_site {

// One record per programme whose name contains `keyword` (bytes of UTF-8;
// empty lists every programme), then, when there is any, one record of
// another site, which leaves the site field filled and stands after every
// playable record so that no record pattern can run on into a later one.
std::string search_page(const site_data& data, std::string_view keyword);

std::string series_page(const programme& p);

// `episode` counts from 1 and must be one of the programme's episodes.
std::string play_page(const programme& p, std::size_t episode);

std::string descriptor(std::string_view template_text, std::string_view stream_host);

// An HTML error page for `status` (404, 500, ...).
std::string error_page(int status);

// A page that holds one ordinary search record and one ordinary video line,
// then hundreds of search records that never reach their site field and
// 20,000 "vid:" openings that never reach their end: enough backtracking
// to make a backtracking matcher give up after the first match of each.
std::string hostile_page(const site_data& data);

}  // namespace sample_site
