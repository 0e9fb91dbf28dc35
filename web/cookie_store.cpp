#include "web/cookie_store.h"

#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "common/text_ops.h"
#include "web/curl_share.h"
#include "web/held_cookies.h"
#include "web/set_cookie_parsing.h"
#include "web/url_split.h"

namespace web {
namespace {

// Keeps the read-drop-add sequence of one store whole.
std::mutex store_guard;

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
        curl_easy_setopt(jar.handle, CURLOPT_COOKIELIST, record.file_line().c_str());
        held.set(cookie);
        held.mark(cookie.domain);
    }
    held.keep_marked_bounds(jar.handle);
    return records.size();
}

// The first max_cookies_per_response cookies the store accepts, each read
// for the host `host_of` gives it.
template <class HostOf>
std::vector<cookie_record> records_of(const std::vector<cookie_triple>& cookies, HostOf host_of) {
    std::vector<cookie_record> records;
    for (std::size_t i = 0; i < cookies.size() && i < max_cookies_per_response; ++i) {
        if (std::optional<cookie_record> record = read_cookie(cookies[i], host_of(cookies[i])))
            records.push_back(std::move(*record));
    }
    return records;
}

bool starts_without_case(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && common::same_ignoring_case(text.substr(0, prefix.size()), prefix);
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
    return store_records(records_of(cookies, [](const cookie_triple& c) { return url_host(c.address); }));
}

std::size_t store_response_cookies(const std::vector<cookie_triple>& cookies, const std::string& answering_host) {
    return store_records(records_of(cookies, [&](const cookie_triple&) { return answering_host; }));
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
