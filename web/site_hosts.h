// The video site's three hosts and the four resource addresses built on them.
// The hosts are compiled in (cache variables SITE_HOST, SEARCH_HOST and
// STREAM_HOST); at start-up the environment variables QUORLA_SITE_HOST,
// QUORLA_SEARCH_HOST and QUORLA_STREAM_HOST may override them, and tests may
// replace them while the program runs.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// True for "name" or "name:port": a non-empty name of ASCII letters, digits,
// dots and hyphens, and a port of 1 to 65535 written in digits only.
bool is_host_value(std::string_view value);

// Where a refused value came from.
enum class host_source {
    variable,       // an environment variable
    option,         // a command-line option
    settings_file,  // a [hosts] key of the settings file
    unreadable_settings_file,  // the settings file could not be read at all
};

// A value that is not a host, or a settings file that cannot be read; the
// built-in host stays.
struct refused_host {
    std::string variable;  // "QUORLA_SITE_HOST", the option "--site-host" or the file's key "site"
    std::string value;     // as given (native bytes); for an unreadable file, why (UTF-8)
    std::string kept;      // the built-in host used instead; empty for an unreadable file
    host_source source = host_source::variable;
    std::string file;      // the settings file (native bytes), for the two file sources
};

struct chosen_hosts {
    site_hosts hosts;
    std::vector<refused_host> refused;
};

// The value of an environment variable, nullopt when it is not set.
using environment_lookup = std::function<std::optional<std::string>(const char* variable)>;

// `built_in` with each role whose variable is set to a host value replaced by
// that value; a set variable with any other value (empty included) is refused.
chosen_hosts choose_hosts(const site_hosts& built_in, const environment_lookup& lookup);

// At start-up, before any request: the compiled-in hosts overridden from the
// process environment become the hosts in use. Returns the refused variables.
std::vector<refused_host> take_hosts_from_environment();

// The hosts compiled in.
site_hosts built_in_hosts();

// One plain-text message (GBK), a line per refused value: where it came from
// (the variable, the option, or the settings file and its key), the value and
// the host used instead; or the settings file and why it cannot be read.
std::string refused_hosts_message(const std::vector<refused_host>& refused);

// "http://" + SEARCH_HOST + "/s?wd=" + encoded keyword
std::string search_page_url(std::string_view encoded_keyword);
// "http://" + SEARCH_HOST + "/tv/" + programme ID + ".html"
std::string series_page_url(std::string_view programme_id);
// "http://" + SITE_HOST + "/ptv/pplay/" + programme ID + "/" + episode + ".html"
std::string play_page_url(std::string_view programme_id, int episode);
// "http://" + SITE_HOST + "/v_xml/" + video ID + ".xml"
std::string descriptor_url(std::string_view vid);

}  // namespace web
