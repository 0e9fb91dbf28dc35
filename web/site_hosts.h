// The video site's three hosts and the four resource addresses built on them.
// The hosts are compiled in (cache variables SITE_HOST, SEARCH_HOST and
// STREAM_HOST); tests may replace them while the program runs.
#pragma once

#include <string>
#include <string_view>

namespace web {

struct site_hosts {
    std::string site;    // play pages and stream descriptors
    std::string search;  // search and series pages
    std::string stream;  // the stream server named in descriptors and addresses
};

// The hosts in use, as "name" or "name:port".
site_hosts current_hosts();
// For tests: use these hosts from now on.
void replace_hosts_for_testing(site_hosts hosts);

// "http://" + SEARCH_HOST + "/s?wd=" + encoded keyword
std::string search_page_url(std::string_view encoded_keyword);
// "http://" + SEARCH_HOST + "/tv/" + programme ID + ".html"
std::string series_page_url(std::string_view programme_id);
// "http://" + SITE_HOST + "/ptv/pplay/" + programme ID + "/" + episode + ".html"
std::string play_page_url(std::string_view programme_id, int episode);
// "http://" + SITE_HOST + "/v_xml/" + video ID + ".xml"
std::string descriptor_url(std::string_view vid);

}  // namespace web
