#include "web/cookie_store.h"

#include <cstdlib>
#include <ctime>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/text_ops.h"
#include "web/curl_share.h"
#include "web/url_split.h"

namespace web {
namespace {

// Keeps the read-drop-add sequence of one store whole.
std::mutex store_guard;

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

struct cookie_record {
    std::string domain;  // without a leading dot
    bool subdomains = false;
    std::string path = "/";
    bool secure = false;
    long long expires = 0;  // 0: ends with the session
    bool expired = false;
    std::string name;
    std::string value;

    std::string netscape_line() const {
        return (subdomains ? "." : "") + domain + '\t' + (subdomains ? "TRUE" : "FALSE") + '\t' + path + '\t' +
               (secure ? "TRUE" : "FALSE") + '\t' + std::to_string(expires) + '\t' + name + '\t' + value;
    }
};

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

// The cookie `cookie` describes, or nullopt when it is refused.
std::optional<cookie_record> read_cookie(const cookie_triple& cookie) {
    const std::string host = url_host(cookie.address);
    if (host.empty() || has_control_bytes(host)) return std::nullopt;

    cookie_record record;
    record.name = std::string(trim_blanks(cookie.name));
    if (!is_token(record.name)) return std::nullopt;

    std::string_view data = cookie.data;
    const auto first_semicolon = data.find(';');
    record.value = std::string(trim_blanks(data.substr(0, first_semicolon)));
    if (has_control_bytes(record.value)) return std::nullopt;
    record.domain = host;

    std::optional<long long> max_age;
    std::optional<long long> expires;
    std::string_view attributes = first_semicolon == std::string_view::npos ? "" : data.substr(first_semicolon + 1);
    while (!attributes.empty()) {
        const auto end = attributes.find(';');
        const std::string_view attribute = attributes.substr(0, end);
        attributes = end == std::string_view::npos ? "" : attributes.substr(end + 1);
        const auto equals = attribute.find('=');
        const std::string_view key = trim_blanks(attribute.substr(0, equals));
        const std::string_view value =
            equals == std::string_view::npos ? std::string_view{} : trim_blanks(attribute.substr(equals + 1));
        if (common::same_ignoring_case(key, "path")) {
            if (!value.empty() && value.front() == '/' && !has_control_bytes(value)) record.path = value;
        } else if (common::same_ignoring_case(key, "domain")) {
            std::string domain = common::to_lower(value);
            if (!domain.empty() && domain.front() == '.') domain.erase(0, 1);
            if (domain.empty()) continue;
            const bool own = domain == host;
            const bool parent = !is_ip_address(host) && domain.find('.') != std::string::npos &&
                                host.size() > domain.size() && host.ends_with("." + domain);
            if (!own && !parent) return std::nullopt;
            record.domain = domain;
            record.subdomains = true;
        } else if (common::same_ignoring_case(key, "max-age")) {
            if (auto seconds = parse_max_age(value)) max_age = seconds;
        } else if (common::same_ignoring_case(key, "expires")) {
            const std::string date(value);
            const time_t when = curl_getdate(date.c_str(), nullptr);
            if (when != -1) expires = static_cast<long long>(when);
        } else if (common::same_ignoring_case(key, "secure")) {
            record.secure = true;
        }
    }

    const long long now = static_cast<long long>(std::time(nullptr));
    if (max_age) {
        record.expired = *max_age <= 0;
        record.expires = now + *max_age;
    } else if (expires) {
        record.expired = *expires <= now;
        record.expires = *expires;
    }
    if (record.expired) record.expires = 1;
    return record;
}

std::vector<std::string> split_tabs(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const auto tab = line.find('\t', start);
        fields.emplace_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    return fields;
}

std::vector<std::string> list_jar(CURL* handle) {
    std::vector<std::string> lines;
    curl_slist* list = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_COOKIELIST, &list) == CURLE_OK) {
        for (curl_slist* item = list; item != nullptr; item = item->next) lines.emplace_back(item->data);
    }
    curl_slist_free_all(list);
    return lines;
}

// A handle on the shared jar that makes no transfer.
struct jar_handle {
    CURL* handle;
    jar_handle() {
        ensure_curl_ready();
        handle = curl_easy_init();
        if (handle != nullptr) use_shared_cookies(handle);
    }
    ~jar_handle() {
        if (handle != nullptr) curl_easy_cleanup(handle);
    }
    jar_handle(const jar_handle&) = delete;
    jar_handle& operator=(const jar_handle&) = delete;
};

std::string joined_by_tabs(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) line += (i ? "\t" : "") + fields[i];
    return line;
}

// The jar's lines grouped by cookie domain and name: what storing a cookie
// of that name for that domain replaces.
class held_cookies {
public:
    explicit held_cookies(CURL* jar) {
        for (const std::string& line : list_jar(jar)) {
            std::vector<std::string> fields = split_tabs(line);
            if (fields.size() != 7) continue;
            std::string_view domain = fields[0];
            if (domain.starts_with("#HttpOnly_")) domain.remove_prefix(10);
            if (domain.starts_with(".")) domain.remove_prefix(1);
            const std::string key = key_of(domain, fields[5]);
            by_key_[key].push_back(std::move(fields));
        }
    }

    // Expires each cookie held under the record's domain and name (re-adding
    // it with the same domain, path and name and a past expiry replaces it),
    // then adds the record unless it is itself an expiry.
    void replace(CURL* jar, const cookie_record& record) {
        std::vector<std::vector<std::string>>& held = by_key_[key_of(record.domain, record.name)];
        for (std::vector<std::string>& fields : held) {
            fields[4] = "1";
            curl_easy_setopt(jar, CURLOPT_COOKIELIST, joined_by_tabs(fields).c_str());
        }
        held.clear();
        if (record.expired) return;
        const std::string line = record.netscape_line();
        curl_easy_setopt(jar, CURLOPT_COOKIELIST, line.c_str());
        held.push_back(split_tabs(line));
    }

private:
    static std::string key_of(std::string_view domain, std::string_view name) {
        return common::to_lower(domain) + '\t' + std::string(name);
    }

    std::unordered_map<std::string, std::vector<std::vector<std::string>>> by_key_;
};

}  // namespace

bool store_cookie(const cookie_triple& cookie) { return store_response_cookies({cookie}) == 1; }

std::size_t store_response_cookies(const std::vector<cookie_triple>& cookies) {
    std::vector<cookie_record> records;
    for (std::size_t i = 0; i < cookies.size() && i < max_cookies_per_response; ++i) {
        if (std::optional<cookie_record> record = read_cookie(cookies[i])) records.push_back(std::move(*record));
    }
    if (records.empty()) return 0;

    std::lock_guard lock(store_guard);
    jar_handle jar;
    if (jar.handle == nullptr) return 0;
    held_cookies held(jar.handle);
    for (const cookie_record& record : records) held.replace(jar.handle, record);
    return records.size();
}

std::vector<std::string> stored_cookies_for_testing() {
    std::lock_guard lock(store_guard);
    jar_handle jar;
    if (jar.handle == nullptr) return {};
    // Expired cookies may linger in the jar until its next change; they are
    // never sent, so they are not listed.
    const long long now = static_cast<long long>(std::time(nullptr));
    std::vector<std::string> live;
    for (std::string& line : list_jar(jar.handle)) {
        const std::vector<std::string> fields = split_tabs(line);
        const long long expires = fields.size() == 7 ? std::atoll(fields[4].c_str()) : 0;
        if (expires == 0 || expires > now) live.push_back(std::move(line));
    }
    return live;
}

void clear_cookies_for_testing() {
    std::lock_guard lock(store_guard);
    jar_handle jar;
    if (jar.handle != nullptr) curl_easy_setopt(jar.handle, CURLOPT_COOKIELIST, "ALL");
}

}  // namespace web
