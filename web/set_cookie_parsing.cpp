#include "web/set_cookie_parsing.h"

#include <curl/curl.h>

#include <ctime>

#include "common/text_ops.h"

namespace web {
namespace {

std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// An HTTP token: printable ASCII without separators.
bool is_token(std::string_view name) {
    if (name.empty()) return false;
    for (unsigned char c : name) {
        if (c <= 0x20 || c >= 0x7F) return false;
        if (std::string_view("()<>@,;:\\\"/[]?={}").find(static_cast<char>(c)) != std::string_view::npos)
            return false;
    }
    return true;
}

bool has_control_bytes(std::string_view text) {
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) return true;
    }
    return false;
}

bool is_ip_address(std::string_view host) {
    return !host.empty() && host.find_first_not_of("0123456789.") == std::string_view::npos;
}

std::optional<long long> parse_max_age(std::string_view text) {
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    long long seconds = 0;
    for (char c : text) {
        seconds = seconds * 10 + (c - '0');
        if (seconds > 400LL * 24 * 3600) break;  // far enough: no overflow
    }
    return negative ? -seconds : seconds;
}

// The domain attribute's value as both readers compare it: lower case,
// without a leading dot.
std::string domain_of(std::string_view value) {
    std::string domain = common::to_lower(value);
    if (!domain.empty() && domain.front() == '.') domain.erase(0, 1);
    return domain;
}

// The expiry a record gets from its max-age (first) or expires attribute.
void settle_expiry(cookie_record& record, std::optional<long long> max_age, std::optional<long long> expires) {
    const long long now = static_cast<long long>(std::time(nullptr));
    if (max_age) {
        record.expired = *max_age <= 0;
        record.expires = now + *max_age;
    } else if (expires) {
        record.expired = *expires <= now;
        record.expires = *expires;
    }
    if (record.expired) record.expires = 1;
}

}  // namespace

std::vector<cookie_attribute> attributes_of(std::string_view text) {
    std::vector<cookie_attribute> attributes;
    const auto first = text.find(';');
    std::string_view rest = first == std::string_view::npos ? "" : text.substr(first + 1);
    while (!rest.empty()) {
        const auto end = rest.find(';');
        const std::string_view attribute = rest.substr(0, end);
        rest = end == std::string_view::npos ? "" : rest.substr(end + 1);
        const auto equals = attribute.find('=');
        attributes.push_back({trim_blanks(attribute.substr(0, equals)),
                              equals == std::string_view::npos ? std::string_view{}
                                                               : trim_blanks(attribute.substr(equals + 1)),
                              equals != std::string_view::npos});
    }
    return attributes;
}

std::optional<cookie_record> read_cookie(const cookie_triple& cookie, const std::string& host) {
    if (host.empty() || has_control_bytes(host)) return std::nullopt;
    cookie_record record;
    record.name = std::string(trim_blanks(cookie.name));
    if (!is_token(record.name)) return std::nullopt;
    const std::string_view data = cookie.data;
    record.value = std::string(trim_blanks(data.substr(0, data.find(';'))));
    if (has_control_bytes(record.value)) return std::nullopt;
    record.domain = host;

    std::optional<long long> max_age;
    std::optional<long long> expires;
    for (const cookie_attribute& a : attributes_of(data)) {
        if (common::same_ignoring_case(a.key, "path")) {
            if (!a.value.empty() && a.value.front() == '/' && !has_control_bytes(a.value)) record.path = a.value;
        } else if (common::same_ignoring_case(a.key, "domain")) {
            const std::string domain = domain_of(a.value);
            if (domain.empty()) continue;
            const bool own = domain == host;
            const bool parent = !is_ip_address(host) && domain.find('.') != std::string::npos &&
                                host.size() > domain.size() && host.ends_with("." + domain);
            if (!own && !parent) return std::nullopt;
            record.domain = domain;
            record.subdomains = true;
        } else if (common::same_ignoring_case(a.key, "max-age")) {
            if (auto seconds = parse_max_age(a.value)) max_age = seconds;
        } else if (common::same_ignoring_case(a.key, "expires")) {
            const std::string date(a.value);
            const time_t when = curl_getdate(date.c_str(), nullptr);
            if (when != -1) expires = static_cast<long long>(when);
        } else if (common::same_ignoring_case(a.key, "secure")) {
            record.secure = true;
        }
    }
    settle_expiry(record, max_age, expires);
    return record;
}

std::optional<held_cookie> engine_copy(std::string_view line, const std::string& host, std::string_view path) {
    const std::string_view pair = line.substr(0, line.find(';'));
    const auto equals = pair.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    held_cookie cookie;
    cookie.name = std::string(trim_blanks(pair.substr(0, equals)));
    if (cookie.name.empty() || cookie.name.find_first_of("\t\r\n") != std::string::npos) return std::nullopt;
    cookie.domain = host;
    std::optional<std::string_view> path_attribute;
    for (const cookie_attribute& a : attributes_of(line)) {
        // The engine passes over attributes without a value.
        if (!a.has_value || a.value.empty()) continue;
        if (common::same_ignoring_case(a.key, "path")) {
            path_attribute = a.value;
        } else if (common::same_ignoring_case(a.key, "domain")) {
            const std::string domain = domain_of(a.value);
            if (domain.empty()) continue;
            // The engine refuses a domain that is not the host's or, for a
            // name, one of its parents.
            const bool ip = is_ip_address(host) || host.find(':') != std::string::npos;
            if (domain != host && (ip || !host.ends_with("." + domain))) return std::nullopt;
            cookie.domain = domain;
            cookie.subdomains = !ip;
        }
    }
    if (path_attribute) {
        cookie.path = std::string(*path_attribute);
    } else {
        // The request path up to its last "/".
        const auto slash = path.rfind('/');
        cookie.path = slash == std::string_view::npos ? "/" : std::string(path.substr(0, slash + 1));
    }
    return cookie;
}

}  // namespace web
