#include "web/site_hosts.h"

#include <mutex>
#include <utility>

#include "common/code_page.h"
#include "services/system_services.h"
#include "web/host_settings.h"

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

bool is_ascii_alnum(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// A value as the message shows it: control bytes become '?' and a long value
// is cut (on a UTF-8 character boundary) with "...".
std::string shown_value(std::string_view value, std::size_t longest = 80) {
    std::string shown;
    for (char c : value) {
        auto byte = static_cast<unsigned char>(c);
        shown += (byte < 0x20 || byte == 0x7F) ? '?' : c;
    }
    if (shown.size() > longest) {
        std::size_t cut = longest;
        while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) --cut;
        shown.resize(cut);
        shown += "...";
    }
    return shown;
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

bool is_host_value(std::string_view value) {
    std::size_t colon = value.find(':');
    std::string_view name = value.substr(0, colon);
    if (name.empty()) return false;
    for (char c : name) {
        if (!is_ascii_alnum(c) && c != '.' && c != '-') return false;
    }
    if (colon == std::string_view::npos) return true;
    std::string_view port = value.substr(colon + 1);
    if (port.empty() || port.size() > 5) return false;
    long number = 0;
    for (char c : port) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + (c - '0');
    }
    return number >= 1 && number <= 65535;
}

chosen_hosts choose_hosts(const site_hosts& built_in, const environment_lookup& lookup) {
    return choose_hosts(built_in, host_options{}, lookup, "");
}

site_hosts built_in_hosts() { return {QUORLA_SITE_HOST, QUORLA_SEARCH_HOST, QUORLA_STREAM_HOST}; }

std::vector<refused_host> take_hosts_from_environment() {
    chosen_hosts chosen = choose_hosts(built_in_hosts(), common::environment_variable);
    std::lock_guard lock(hosts_guard);
    hosts_in_use() = std::move(chosen.hosts);
    return chosen.refused;
}

std::vector<refused_host> take_hosts(const host_options& given) {
    chosen_hosts chosen = choose_hosts(built_in_hosts(), given, common::environment_variable, settings_file_path());
    std::lock_guard lock(hosts_guard);
    hosts_in_use() = std::move(chosen.hosts);
    return chosen.refused;
}

std::string refused_hosts_message(const std::vector<refused_host>& refused) {
    std::string text;
    for (const refused_host& r : refused) {
        if (!text.empty()) text += "\n";
        const std::string file = "设置文件 “" + shown_value(r.file, 300) + "”";
        switch (r.source) {
        case host_source::variable: text += "环境变量 " + r.variable; break;
        case host_source::option: text += "选项 " + r.variable; break;
        case host_source::settings_file: text += file + " 中 [hosts] 的 " + shown_value(r.variable); break;
        case host_source::unreadable_settings_file:
            text += file + " 无法读取（" + r.value + "），已使用内置值";
            continue;
        }
        text += " 的值 “" + shown_value(r.value) + "” 不是有效的主机名（主机 或 主机:端口），已使用内置值 " + r.kept;
    }
    return common::convert_utf8_to_gbk(text);
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
