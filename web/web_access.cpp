#include "web/web_access.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <new>
#include <type_traits>

#include "common/gbk.h"
#include "services/system_services.h"
#include "common/text_ops.h"
#include "web/cookie_lines.h"
#include "web/cookie_store.h"
#include "web/curl_share.h"
#include "web/fetch_failures.h"
#include "web/page_text.h"
#include "web/request_text.h"
#include "web/response_head.h"
#include "web/socket_activity.h"
#include "web/url_split.h"

namespace web {
namespace {

using clock = std::chrono::steady_clock;

constexpr const char* agent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr long read_chunk = 1024;
constexpr int max_redirections = 10;
constexpr int poll_wait_ms = 50;

// When no response came, the header text is this many spaces; a caller
// tells it from a real block by its missing status line.
constexpr int unanswered_header_size = 2048;

std::mutex limits_guard;
transfer_limits limits_in_use;

// What every transfer keeps, whatever its body is read into.
struct transfer_progress {
    CURL* easy = nullptr;
    std::size_t max_body = 0;
    response_head head;
    std::size_t head_bytes = 0;  // of this hop's response, interim answers included
    std::size_t max_head = 0;
    bool head_over_cap = false;
    clock::time_point last_activity = clock::now();
    curl_off_t sent = 0;
    bool body_started = false;
    CURLcode result = CURLE_OK;  // of the finished transfer
};

// Body: common::byte_array or std::string, the form the caller gets, so the
// bytes are never copied on their way out.
template <class Body>
struct transfer_state : transfer_progress {
    Body body;
};

// Bodies of unknown length grow by doubling up to this size; past it the
// buffer is given room for the whole cap at once, pages the body never
// reaches costing address space only, so a capped body is never copied
// into a bigger buffer.
constexpr std::size_t doubling_limit = std::size_t{8} << 20;

// Room for the body before its first byte: its announced length up to the cap.
template <class Body>
void reserve_for_body(transfer_state<Body>& state) {
    state.body_started = true;
    curl_off_t length = -1;
    curl_easy_getinfo(state.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (length > 0) state.body.reserve(std::min(state.max_body, static_cast<std::size_t>(length)));
}

template <class Body>
void make_room(transfer_state<Body>& state, std::size_t more) {
    const std::size_t needed = state.body.size() + more;
    if (needed <= state.body.capacity() || needed <= doubling_limit) return;
    try {
        state.body.reserve(state.max_body);
    } catch (const std::bad_alloc&) {
        // No address space for the cap: ordinary growth then.
    }
}

template <class Body>
std::size_t on_body(char* data, std::size_t, std::size_t count, void* user) {
    auto& state = *static_cast<transfer_state<Body>*>(user);
    state.last_activity = clock::now();
    if (!state.body_started) reserve_for_body(state);
    const std::size_t room = state.max_body - std::min(state.max_body, state.body.size());
    const std::size_t taken = std::min(room, count);
    make_room(state, taken);
    state.body.insert(state.body.end(), data, data + taken);
    return taken;  // less than count ends the transfer: the body is full
}

std::size_t on_header(char* data, std::size_t, std::size_t count, void* user) {
    auto& state = *static_cast<transfer_progress*>(user);
    state.last_activity = clock::now();
    state.head_bytes += count;
    if (state.head_bytes > state.max_head) {
        state.head_over_cap = true;
        return 0;  // ends the transfer as failed
    }
    state.head.add_line(std::string_view(data, count));
    return count;
}

int on_progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t sent) {
    if (common::stop_requested()) return 1;  // aborts the transfer
    auto& state = *static_cast<transfer_progress*>(user);
    if (sent != state.sent) {
        state.sent = sent;
        state.last_activity = clock::now();
    }
    return 0;
}

// The connection is up (new or kept): waiting for the answer starts now.
int on_connected(void* user, char*, char*, int, int) {
    static_cast<transfer_progress*>(user)->last_activity = clock::now();
    return CURL_PREREQFUNC_OK;
}

// A host the request URL can carry as it is: no byte that would end or
// change the authority.
bool is_plain_host(std::string_view host) {
    if (host.empty()) return false;
    for (unsigned char c : host) {
        if (c <= 0x20 || c >= 0x7F) return false;
        if (std::string_view("/?#@[]\\%").find(static_cast<char>(c)) != std::string_view::npos) return false;
    }
    return true;
}

// A header line whose value is blank, which curl would take as "do not
// send this header", written so that curl sends it with its empty value.
std::string as_curl_header(std::string line) {
    const auto colon = line.find(':');
    if (colon != std::string::npos && line.find_first_not_of(" \t", colon + 1) == std::string::npos) {
        line.resize(colon);
        line += ';';
    }
    return line;
}

bool is_named(std::string_view line, std::string_view name) {
    if (line.size() <= name.size() || (line[name.size()] != ':' && line[name.size()] != ';')) return false;
    return common::same_ignoring_case(line.substr(0, name.size()), name);
}

bool has_header_named(const std::vector<std::string>& lines, std::string_view name) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return is_named(line, name); });
}

struct slist_deleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using header_list = std::unique_ptr<curl_slist, slist_deleter>;

bool append(header_list& list, const std::string& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (grown == nullptr) return false;
    list.release();
    list.reset(grown);
    return true;
}

// The lines curl sends after its own request line, Host, User-Agent and
// jar cookies: the header lines, then the cache bypass. Blank entries stop
// curl from adding headers of its own that the request does not carry.
bool build_curl_headers(header_list& list, const std::vector<std::string>& lines, bool post) {
    for (const std::string& line : lines) {
        if (!append(list, as_curl_header(line))) return false;
    }
    if (!has_header_named(lines, "Cache-Control") && !append(list, "Cache-Control: no-cache")) return false;
    if (!has_header_named(lines, "Pragma") && !append(list, "Pragma: no-cache")) return false;
    if (!append(list, "Accept:")) return false;
    if (post) {
        for (const char* own : {"Content-Type:", "Content-Length:", "Expect:"}) {
            if (!append(list, own)) return false;
        }
    }
    return true;
}

void drop_lines_named(std::vector<std::string>& lines, std::initializer_list<std::string_view> names) {
    std::erase_if(lines, [&](const std::string& line) {
        return std::any_of(names.begin(), names.end(), [&](std::string_view name) { return is_named(line, name); });
    });
}

struct easy_deleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct multi_deleter {
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};

// Drives one transfer to its end, letting the calling thread handle its
// window events between rounds (never from inside a curl callback, so a
// handler that fetches a page of its own does not re-enter curl). False
// when the program is closing and the transfer was abandoned.
bool run_transfer(CURL* easy, transfer_progress& state, std::chrono::milliseconds idle) {
    std::unique_ptr<CURLM, multi_deleter> multi(curl_multi_init());
    if (!multi || curl_multi_add_handle(multi.get(), easy) != CURLM_OK) return true;
    bool finished = false;
    bool stopped = false;
    std::uint64_t received = 0;
    while (!finished) {
        int running = 0;
        CURLMcode performed;
        std::uint64_t now_received = 0;
        {
            auto pool = lock_connection_pool();
            performed = curl_multi_perform(multi.get(), &running);
            now_received = bytes_received(multi.get());
        }
        if (performed != CURLM_OK) break;
        // Bytes of a header line not yet complete count as activity too.
        if (now_received != received) {
            received = now_received;
            state.last_activity = clock::now();
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
            if (message->msg == CURLMSG_DONE) {
                finished = true;
                state.result = message->data.result;
            }
        }
        if (finished || running == 0) break;
        if (common::stop_requested()) {
            stopped = true;
            break;
        }
        if (clock::now() - state.last_activity > idle) break;
        common::process_events();
        curl_multi_poll(multi.get(), nullptr, 0, poll_wait_ms, nullptr);
    }
    // Gives the connection back to the pool, or closes it when the transfer
    // was cut short.
    auto pool = lock_connection_pool();
    curl_multi_remove_handle(multi.get(), easy);
    multi.reset();
    return !stopped;
}

// libcurl 7.88 gives up on a head past 300 KiB with the code of a failed
// read; that is the server's doing, not the connection's.
constexpr std::size_t engine_head_cap = 300 * 1024;

// The connection failed under a transfer that ran to its end: reset, closed
// before the head or the announced body was whole, or a kept connection
// found dead. Our own caps and the engine's end a transfer otherwise.
bool failed_in_transport(const transfer_progress& state) {
    switch (state.result) {
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return !state.head_over_cap && state.head_bytes < engine_head_cap;
    default:
        return false;
    }
}

common::byte_array convert_body(common::byte_array body, int conversion) {
    if (conversion == 1) return common::to_bytes(utf8_to_gbk(common::to_text(body)));
    if (conversion == 2) return common::to_bytes(big5_to_gbk_simplified(common::to_text(body)));
    return body;
}

// The routine itself, reading the body into a Body (see transfer_state).
template <class Body>
Body access(std::string& url, int 访问方式, std::string_view proxy, std::string* extra_headers, std::string_view body,
            std::string_view cookies, int conversion, std::string* response_headers) {
    url = common::trim_spaces(url);
    // A closing program makes no request and shows no box.
    if (common::stop_requested()) return {};
    if (访问方式 != 0 && 访问方式 != 1) {
        notice_box(common::gbk<"【网页_访问】命令的第二个【访问方式】参数有误,请返回修改">());
        return {};
    }
    bool post = 访问方式 == 1;
    if (!url.starts_with("http://") && !url.starts_with("https://")) url = "http://" + url;

    const std::string host = url_host(url);
    const std::string path = url_path(url);
    const int port = url_port(url);

    ensure_curl_ready();
    std::unique_ptr<CURL, easy_deleter> easy(curl_easy_init());
    if (!easy) return {};
    CURL* h = easy.get();

    const std::string header_text =
        build_header_text(extra_headers ? *extra_headers : std::string(), url, post, body, cookies);
    std::vector<std::string> lines = header_lines(header_text);
    header_list headers;
    if (!build_curl_headers(headers, lines, post)) return {};

    const transfer_limits limits = current_transfer_limits();
    transfer_state<Body> state;
    state.easy = h;
    state.max_body = limits.max_body;
    state.max_head = limits.max_head;

    // Port 0 stands for the default port of the HTTP service.
    std::string target = "http://" + host;
    if (port != 0) target += ":" + std::to_string(port);
    target += encode_request_path(path);
    const bool addressable = is_plain_host(host) && port >= 0 && port <= 65535;

    curl_easy_setopt(h, CURLOPT_URL, target.c_str());
    curl_easy_setopt(h, CURLOPT_PATH_AS_IS, 1L);
    // The first request is always plain HTTP; a redirection may lead to https.
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(h, CURLOPT_USERAGENT, agent);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    // The proxy serves http requests only. Without one of our own, none
    // from the environment either.
    const std::string proxy_text = common::remove_all_spaces(proxy).empty() ? std::string() : std::string(proxy);
    curl_easy_setopt(h, CURLOPT_PROXY, proxy_text.c_str());
    curl_easy_setopt(h, CURLOPT_NOPROXY, "");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_BUFFERSIZE, read_chunk);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connect.count()));
    use_shared_cookies(h);
    if (post) {
        // Never a null pointer: curl would read the data from stdin then.
        static const char no_data[] = "";
        curl_easy_setopt(h, CURLOPT_POST, 1L);
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.empty() ? no_data : body.data());
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    } else {
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    }
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, on_body<Body>);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &state);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, on_header);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, static_cast<transfer_progress*>(&state));
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, on_progress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, static_cast<transfer_progress*>(&state));
    curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, on_connected);
    curl_easy_setopt(h, CURLOPT_PREREQDATA, static_cast<transfer_progress*>(&state));

    // Redirections are followed here rather than by curl, so that each hop
    // carries a consistent request: a POST answered by 301, 302 or 303 goes
    // on as a GET without the lines that described its body, and the
    // caller's cookie and credential lines go to the first server only.
    bool completed = true;
    std::string answered_url = url;  // whose response the head is
    const std::string first_authority = host + ":" + std::to_string(port == 0 ? 80 : port);
    bool retrying = false;
    response_origin answered_by;  // the host that answered, as the engine read it
    for (int hop = 0; addressable; ++hop) {
        state.body.clear();
        state.body_started = false;
        state.head = response_head();
        state.head_bytes = 0;
        state.result = CURLE_OK;
        state.last_activity = clock::now();
        answered_url = target;
        completed = run_transfer(h, state, limits.idle);
        char* effective = nullptr;
        curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &effective);
        answered_by = origin_of(effective != nullptr ? effective : "");
        if (state.head.received()) note_engine_cookies(answered_by, state.head.text());
        // A GET that the connection failed is made once more, on a new one.
        if (completed && !post && !retrying && failed_in_transport(state) && !common::stop_requested()) {
            retrying = true;
            curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L);
            --hop;
            continue;
        }
        if (retrying) {
            retrying = false;
            curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 0L);
        }
        if (!completed || state.head_over_cap || hop == max_redirections) break;

        long status = 0;
        char* location = nullptr;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &location);
        if (status < 300 || status > 399 || location == nullptr) break;
        target = location;

        bool changed = false;
        if (post && (status == 301 || status == 302 || status == 303)) {
            post = false;
            drop_lines_named(lines, {"Content-Type", "Content-Length"});
            curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
            changed = true;
        }
        std::unique_ptr<CURLU, void (*)(CURLU*)> next(curl_url(), curl_url_cleanup);
        char* next_host = nullptr;
        char* next_port = nullptr;
        if (next && curl_url_set(next.get(), CURLUPART_URL, target.c_str(), 0) == CURLUE_OK &&
            curl_url_get(next.get(), CURLUPART_HOST, &next_host, 0) == CURLUE_OK &&
            curl_url_get(next.get(), CURLUPART_PORT, &next_port, CURLU_DEFAULT_PORT) == CURLUE_OK) {
            const std::string authority = common::to_lower(next_host) + ":" + next_port;
            if (authority != first_authority &&
                (has_header_named(lines, "Cookie") || has_header_named(lines, "Authorization"))) {
                drop_lines_named(lines, {"Cookie", "Authorization"});
                changed = true;
            }
        }
        curl_free(next_host);
        curl_free(next_port);
        if (changed) {
            header_list rebuilt;
            if (!build_curl_headers(rebuilt, lines, post)) break;
            headers = std::move(rebuilt);
            curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
        }
        curl_easy_setopt(h, CURLOPT_URL, target.c_str());
        curl_easy_setopt(h, CURLOPT_PROXY, target.starts_with("https://") ? "" : proxy_text.c_str());
    }
    note_transfer_end(addressable ? h : nullptr, state.result, url, !completed,
                      state.head.complete() && !state.head_over_cap);
    easy.reset();

    // A head that never came whole (cut off, or past the cap, ours or the
    // engine's own) is no response.
    const bool answered = state.head.complete() && !state.head_over_cap;
    const std::string head_text = answered ? state.head.text() : common::space_text(unanswered_header_size);
    if (extra_headers) *extra_headers = header_text;
    if (response_headers) *response_headers = head_text;
    // Even with nothing to store, the store counts what the engine kept of
    // the responses read.
    const bool stored = completed && answered;
    store_response_cookies(stored ? cookies_set_by(head_text, answered_url) : std::vector<cookie_triple>{},
                           answered_by.host);
    if (!stored) return {};

    if constexpr (std::is_same_v<Body, common::byte_array>) {
        return convert_body(std::move(state.body), conversion);
    } else {
        return std::move(state.body);
    }
}

}  // namespace

transfer_limits current_transfer_limits() {
    std::lock_guard lock(limits_guard);
    return limits_in_use;
}

void set_transfer_limits_for_testing(const transfer_limits& limits) {
    std::lock_guard lock(limits_guard);
    limits_in_use = limits;
}

common::byte_array 网页_访问(std::string& url, int 访问方式, std::string_view proxy, std::string* extra_headers,
                            std::string_view body, std::string_view cookies, int conversion,
                            std::string* response_headers) {
    return access<common::byte_array>(url, 访问方式, proxy, extra_headers, body, cookies, conversion,
                                      response_headers);
}

std::string fetch_page_text(std::string url) {
    std::string page = access<std::string>(url, 0, {}, nullptr, {}, {}, 0, nullptr);
    page.resize(std::min(page.size(), page.find('\0')));
    return page;
}

int notice_box(std::string_view message, int style, std::string_view caption) {
    // message_box already counts its buttons from 0.
    return common::message_box(message, style,
                               caption.empty() ? common::gbk<"友情提醒">() : std::string(caption));
}

}  // namespace web
