#include "web/site_hosts.h"

#include <mutex>
#include <utility>

#ifndef QUORLA_SITE_HOST
#error "QUORLA_SITE_HOST, QUORLA_SEARCH_HOST and QUORLA_STREAM_HOST come from web/CMakeLists.txt"
#endif

namespace web {
namespace {

std::mutex hosts_guard;

site_hosts& hosts_in_use() {
    static site_hosts hosts{QUORLA_SITE_HOST, QUORLA_SEARCH_HOST, QUORLA_STREAM_HOST};
    return hosts;
}

}  // namespace

site_hosts current_hosts() {
    std::lock_guard lock(hosts_guard);
    return hosts_in_use();
}

void replace_hosts_for_testing(site_hosts hosts) {
    std::lock_guard lock(hosts_guard);
    hosts_in_use() = std::move(hosts);
}

std::string search_page_url(std::string_view encoded_keyword) {
    std::string url = "http://" + current_hosts().search + "/s?wd=";
    url += encoded_keyword;
    return url;
}

std::string series_page_url(std::string_view programme_id) {
    std::string url = "http://" + current_hosts().search + "/tv/";
    url += programme_id;
    return url + ".html";
}

std::string play_page_url(std::string_view programme_id, int episode) {
    std::string url = "http://" + current_hosts().site + "/ptv/pplay/";
    url += programme_id;
    return url + "/" + std::to_string(episode) + ".html";
}

std::string descriptor_url(std::string_view vid) {
    std::string url = "http://" + current_hosts().site + "/v_xml/";
    url += vid;
    return url + ".xml";
}

}  // namespace web
