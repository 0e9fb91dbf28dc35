#include "web/url_split.h"

#include "common/text_ops.h"

namespace web {

using namespace common;

std::string url_host(std::string_view url) {
    std::string host = replace_subtext(url, "https://", {}, 1, -1, true);
    host = replace_subtext(host, "http://", {}, 1, -1, true);
    const int slash = find_text(host, "/");
    if (slash != -1) host = text_left(host, slash - 1);
    const int colon = find_text(host, ":");
    if (colon != -1) host = text_left(host, colon - 1);
    return to_lower(host);
}

std::string url_path(std::string_view url) {
    // The host is looked for past the scheme that url_host takes away, so a
    // host such as "t" or "http" is not found inside the scheme itself.
    const int after_scheme = url.starts_with("http://") ? 8 : url.starts_with("https://") ? 9 : 1;
    const int host_at = find_text(url, url_host(url), after_scheme, true);
    const int slash = find_text(url, "/", host_at);
    if (slash == -1) return "/";
    return text_mid(url, slash, text_length(url));
}

namespace {

int port_of_authority(std::string_view authority) {
    const int colon = find_text(authority, ":");
    const std::string port = colon == -1 ? std::string("80") : text_mid(authority, colon + 1, text_length(authority));
    return to_integer(to_number(port));
}

}  // namespace

int url_port(std::string_view url) {
    if (compare_text(text_left(url, 7), "http://", false) == 0) {
        const int slash = find_text(url, "/", 8);
        const std::string authority =
            slash != -1 ? text_mid(url, 8, slash - 8) : text_right(url, text_length(url) - 7);
        return port_of_authority(authority);
    }
    const int slash = find_text(url, "/");
    return port_of_authority(slash != -1 ? text_left(url, slash - 1) : std::string(url));
}

}  // namespace web
