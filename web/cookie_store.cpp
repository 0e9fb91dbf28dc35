#include "web/cookie_store.h"

#include <cstdlib>
#include <ctime>
#include <iterator>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
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

// The cookie `cookie` describes for `host`, or nullopt when it is refused.
std::optional<cookie_record> read_cookie(const cookie_triple& cookie, const std::string& host) {
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

// The path the engine compares cookies by, without regard to case: quotes
// around it dropped, then "/" for one that does not start with "/", else one
// trailing "/" dropped (so "/" itself compares as "").
std::string compared_path(std::string_view path) {
    if (!path.empty() && path.front() == '"') path.remove_prefix(1);
    if (!path.empty() && path.back() == '"') path.remove_suffix(1);
    if (path.empty() || path.front() != '/') return "/";
    if (path.back() == '/') path.remove_suffix(1);
    return common::to_lower(path);
}

// One cookie the jar holds, as this store knows it.
struct held_cookie {
    std::string domain;  // lower case, without a leading dot
    bool subdomains = false;
    std::string path;
    std::string name;

    // What the engine tells cookies apart by: a cookie of the same identity
    // replaces this one.
    std::string identity() const {
        return domain + (subdomains ? "\t1\t" : "\t0\t") + compared_path(path) + '\t' + common::to_lower(name);
    }
    // What a cookie stored here replaces: the same name for the same domain.
    std::string group() const { return domain + '\t' + name; }
    // A line that makes the engine drop it: the same identity, long expired.
    std::string expiry_line() const {
        return (subdomains ? "." : "") + domain + '\t' + (subdomains ? "TRUE" : "FALSE") + '\t' + path +
               "\tFALSE\t1\t" + name + "\t0";
    }
};

// Every cookie of the jar in the order it was last set, the oldest first:
// those this store put there and those the engine kept of the responses it
// read. Kept beside the jar so that no store has to read the whole jar, and
// so that the jar stays within its bounds, the least recently set cookies
// going first.
class held_index {
public:
    // Records `cookie` as set now, replacing one of the same identity.
    void set(const held_cookie& cookie) {
        const std::string identity = cookie.identity();
        if (const auto found = by_identity_.find(identity); found != by_identity_.end()) unlink(found->second);
        auto& in_domain = by_domain_[cookie.domain];
        const auto at = order_.insert(order_.end(), entry{cookie, identity, {}});
        in_domain.push_back(at);
        at->in_domain = std::prev(in_domain.end());
        by_identity_[identity] = at;
        by_group_[cookie.group()].push_back(at);
    }

    // Drops from the jar every cookie held for the domain under the name.
    void drop_group(CURL* jar, const std::string& group) {
        const auto found = by_group_.find(group);
        if (found == by_group_.end()) return;
        const std::vector<position> held = found->second;
        for (const position at : held) drop(jar, at);
    }

    // Drops the least recently set cookies of `domain`, then of the jar,
    // until both are within their bounds.
    void keep_bounds(CURL* jar, const std::string& domain) {
        if (const auto found = by_domain_.find(domain); found != by_domain_.end()) {
            while (found->second.size() > max_cookies_per_host) drop(jar, found->second.front());
        }
        while (order_.size() > max_cookies_held) drop(jar, order_.begin());
    }

    // Domains whose bounds are to be kept at the next store: the engine's
    // cookies are counted as they come, and the store that follows replaces
    // those it stores itself before anything is dropped for room.
    void mark(const std::string& domain) { unsettled_.insert(domain); }
    void keep_marked_bounds(CURL* jar) {
        for (const std::string& domain : unsettled_) keep_bounds(jar, domain);
        unsettled_.clear();
    }

    void clear() {
        order_.clear();
        by_identity_.clear();
        by_group_.clear();
        by_domain_.clear();
        unsettled_.clear();
    }

private:
    struct entry;
    using position = std::list<entry>::iterator;
    struct entry {
        held_cookie cookie;
        std::string identity;
        std::list<position>::iterator in_domain;
    };

    void drop(CURL* jar, position at) {
        curl_easy_setopt(jar, CURLOPT_COOKIELIST, at->cookie.expiry_line().c_str());
        unlink(at);
    }

    void unlink(position at) {
        by_identity_.erase(at->identity);
        const auto group = by_group_.find(at->cookie.group());
        if (group != by_group_.end()) {
            std::erase(group->second, at);
            if (group->second.empty()) by_group_.erase(group);
        }
        const auto domain = by_domain_.find(at->cookie.domain);
        if (domain != by_domain_.end()) {
            domain->second.erase(at->in_domain);
            if (domain->second.empty()) by_domain_.erase(domain);
        }
        order_.erase(at);
    }

    std::list<entry> order_;
    std::unordered_map<std::string, position> by_identity_;
    std::unordered_map<std::string, std::vector<position>> by_group_;
    std::unordered_map<std::string, std::list<position>> by_domain_;
    std::unordered_set<std::string> unsettled_;
};

held_index held;  // guarded by store_guard

// Stores the records in order, as the jar's own cookies replace them, then
// keeps the jar within its bounds.
std::size_t store_records(const std::vector<cookie_record>& records) {
    std::lock_guard lock(store_guard);
    jar_handle jar;
    if (jar.handle == nullptr) return 0;
    for (const cookie_record& record : records) {
        const held_cookie cookie{record.domain, record.subdomains, record.path, record.name};
        held.drop_group(jar.handle, cookie.group());
        if (record.expired) continue;
        curl_easy_setopt(jar.handle, CURLOPT_COOKIELIST, record.netscape_line().c_str());
        held.set(cookie);
        held.mark(cookie.domain);
    }
    held.keep_marked_bounds(jar.handle);
    return records.size();
}

bool starts_without_case(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && common::same_ignoring_case(text.substr(0, prefix.size()), prefix);
}

// The cookie the engine keeps of one "Set-Cookie:" line (the text after
// the colon) of a response from `host` to a request for `path`; nullopt
// when the line names no cookie.
std::optional<held_cookie> engine_copy(std::string_view line, const std::string& host, std::string_view path) {
    std::string_view pair = line.substr(0, line.find(';'));
    const auto equals = pair.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    held_cookie cookie;
    cookie.name = std::string(trim_blanks(pair.substr(0, equals)));
    if (cookie.name.empty() || cookie.name.find_first_of("\t\r\n") != std::string::npos) return std::nullopt;
    cookie.domain = host;
    std::optional<std::string_view> path_attribute;
    std::string_view attributes = line.find(';') == std::string_view::npos ? "" : line.substr(line.find(';') + 1);
    while (!attributes.empty()) {
        const auto end = attributes.find(';');
        const std::string_view attribute = attributes.substr(0, end);
        attributes = end == std::string_view::npos ? "" : attributes.substr(end + 1);
        const auto eq = attribute.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = trim_blanks(attribute.substr(0, eq));
        const std::string_view value = trim_blanks(attribute.substr(eq + 1));
        if (value.empty()) continue;
        if (common::same_ignoring_case(key, "path")) {
            path_attribute = value;
        } else if (common::same_ignoring_case(key, "domain")) {
            std::string domain = common::to_lower(value.front() == '.' ? value.substr(1) : value);
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

}  // namespace

response_origin origin_of(std::string_view effective_url) {
    response_origin origin;
    std::unique_ptr<CURLU, void (*)(CURLU*)> parsed(curl_url(), curl_url_cleanup);
    if (!parsed) return origin;
    const std::string url(effective_url);
    char* host = nullptr;
    char* path = nullptr;
    if (curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), CURLU_PATH_AS_IS) == CURLUE_OK &&
        curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) == CURLUE_OK) {
        std::string_view name(host);
        // The engine files and looks up the cookies of an IPv6 address
        // without its brackets.
        if (name.size() >= 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
        origin.host = common::to_lower(name);
        if (curl_url_get(parsed.get(), CURLUPART_PATH, &path, 0) == CURLUE_OK) origin.path = path;
    }
    curl_free(host);
    curl_free(path);
    if (origin.path.empty()) origin.path = "/";
    return origin;
}

void note_engine_cookies(const response_origin& origin, std::string_view head_text) {
    if (origin.host.empty()) return;
    std::vector<held_cookie> copies;
    while (!head_text.empty() && copies.size() < max_cookies_per_response) {
        const auto end = head_text.find('\n');
        std::string_view line = head_text.substr(0, end);
        head_text = end == std::string_view::npos ? "" : head_text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!starts_without_case(line, "Set-Cookie:")) continue;
        if (auto copy = engine_copy(line.substr(11), origin.host, origin.path)) copies.push_back(std::move(*copy));
    }
    std::lock_guard lock(store_guard);
    for (const held_cookie& copy : copies) {
        held.set(copy);
        held.mark(copy.domain);
    }
}

bool store_cookie(const cookie_triple& cookie) { return store_response_cookies({cookie}) == 1; }

std::size_t store_response_cookies(const std::vector<cookie_triple>& cookies) {
    std::vector<cookie_record> records;
    for (std::size_t i = 0; i < cookies.size() && i < max_cookies_per_response; ++i) {
        if (std::optional<cookie_record> record = read_cookie(cookies[i], url_host(cookies[i].address)))
            records.push_back(std::move(*record));
    }
    return store_records(records);
}

std::size_t store_response_cookies(const std::vector<cookie_triple>& cookies, const std::string& answering_host) {
    std::vector<cookie_record> records;
    for (std::size_t i = 0; i < cookies.size() && i < max_cookies_per_response; ++i) {
        if (std::optional<cookie_record> record = read_cookie(cookies[i], answering_host))
            records.push_back(std::move(*record));
    }
    return store_records(records);
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
    held.clear();
}

}  // namespace web
