#include "web/web_access.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <type_traits>
#include <vector>

#include "common/gbk.h"
#include "common/text_ops.h"
#include "services/system_services.h"
#include "web/cookie_lines.h"
#include "web/cookie_store.h"
#include "web/curl_headers.h"
#include "web/curl_share.h"
#include "web/fetch_failures.h"
#include "web/page_text.h"
#include "web/request_text.h"
#include "web/transfer.h"
#include "web/url_split.h"

namespace web {
namespace {

constexpr const char* agent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr long read_chunk = 1024;
constexpr int max_redirections = 10;

// When no response came, the header text is this many spaces; a caller
// tells it from a real block by its missing status line.
constexpr int unanswered_header_size = 2048;

std::mutex limits_guard;
transfer_limits limits_in_use;

struct easy_deleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

// A request made ready to send, and what the hops after the first need.
struct prepared_request {
    std::unique_ptr<CURL, easy_deleter> easy;
    bool post = false;
    std::string header_text;         // as the caller gets it back
    std::vector<std::string> lines;  // the header lines the next hop carries
    header_list headers;             // the same, as the engine takes them
    std::string target;              // the address of the next hop
    std::string proxy_text;          // empty: none
    std::string first_authority;     // "host:port" of the first server
    bool addressable = false;        // a host and port the engine can be given
};

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

// Request set-up: the first address, the header lines and the handle. False
// when there is no request to make.
bool prepare_request(prepared_request& request, const std::string& url, bool post,
                     std::string_view extra_headers, std::string_view body, std::string_view cookies,
                     std::string_view proxy) {
    const std::string host = url_host(url);
    const int port = url_port(url);
    ensure_curl_ready();
    request.easy.reset(curl_easy_init());
    if (!request.easy) return false;
    request.post = post;
    request.header_text = build_header_text(extra_headers, url, post, body, cookies);
    request.lines = header_lines(request.header_text);
    request.headers = curl_header_list(request.lines, post);
    if (!request.headers) return false;
    // Port 0 stands for the default port of the HTTP service.
    request.target = "http://" + host + (port != 0 ? ":" + std::to_string(port) : std::string()) +
                     encode_request_path(url_path(url));
    request.first_authority = host + ":" + std::to_string(port == 0 ? 80 : port);
    request.addressable = is_plain_host(host) && port >= 0 && port <= 65535;
    // The proxy serves http requests only. Without one of our own, none
    // from the environment either.
    request.proxy_text = common::remove_all_spaces(proxy).empty() ? std::string() : std::string(proxy);
    return true;
}

void set_request_options(const prepared_request& request, std::string_view body, const transfer_limits& limits) {
    CURL* h = request.easy.get();
    curl_easy_setopt(h, CURLOPT_URL, request.target.c_str());
    curl_easy_setopt(h, CURLOPT_PATH_AS_IS, 1L);
    // The first request is always plain HTTP; a redirection may lead to https.
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(h, CURLOPT_USERAGENT, agent);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, request.headers.get());
    curl_easy_setopt(h, CURLOPT_PROXY, request.proxy_text.c_str());
    curl_easy_setopt(h, CURLOPT_NOPROXY, "");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_BUFFERSIZE, read_chunk);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connect.count()));
    use_shared_cookies(h);
    if (request.post) {
        // Never a null pointer: curl would read the data from stdin then.
        static const char no_data[] = "";
        curl_easy_setopt(h, CURLOPT_POST, 1L);
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.empty() ? no_data : body.data());
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    } else {
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    }
}

// One transfer of the current hop. The engine keeps the cookies of every
// head it reads, so the store counts them whatever becomes of the answer.
template <class Body>
bool transfer_once(CURL* h, transfer_state<Body>& state, std::chrono::milliseconds idle,
                   response_origin& answered_by) {
    state.start_again();
    const bool completed = run_transfer(h, state, idle);
    char* effective = nullptr;
    curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &effective);
    answered_by = origin_of(effective != nullptr ? effective : "");
    if (state.head.received()) note_engine_cookies(answered_by, state.head.text());
    return completed;
}

// One hop, and the retry: a GET whose answer did not come whole in a way
// worth asking again is made once more, on a new connection. A POST, an
// HTTP status, a stop or a cap is never tried again.
template <class Body>
bool transfer_with_retry(const prepared_request& request, transfer_state<Body>& state,
                         std::chrono::milliseconds idle, response_origin& answered_by) {
    CURL* h = request.easy.get();
    bool completed = transfer_once(h, state, idle, answered_by);
    if (completed && !request.post && worth_a_new_connection(state) && !common::stop_requested()) {
        curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L);
        completed = transfer_once(h, state, idle, answered_by);
        curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 0L);
    }
    return completed;
}

// The "host:port" an address leads to, as the engine reads it; empty when
// it cannot be read.
std::string authority_of(const std::string& address) {
    std::unique_ptr<CURLU, void (*)(CURLU*)> parsed(curl_url(), curl_url_cleanup);
    char* host = nullptr;
    char* port = nullptr;
    std::string authority;
    if (parsed && curl_url_set(parsed.get(), CURLUPART_URL, address.c_str(), 0) == CURLUE_OK &&
        curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) == CURLUE_OK &&
        curl_url_get(parsed.get(), CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK)
        authority = common::to_lower(host) + ":" + port;
    curl_free(host);
    curl_free(port);
    return authority;
}

// The redirect decision, followed here rather than by curl so that each
// hop carries a consistent request: a POST answered by 301, 302 or 303 goes
// on as a GET without the lines that described its body, and the caller's
// cookie and credential lines go to the first server only. True when the
// answer leads on and the request is set for the next hop.
bool follow_redirection(prepared_request& request) {
    CURL* h = request.easy.get();
    long status = 0;
    char* location = nullptr;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &location);
    if (status < 300 || status > 399 || location == nullptr) return false;
    request.target = location;

    bool changed = false;
    if (request.post && (status == 301 || status == 302 || status == 303)) {
        request.post = false;
        drop_lines_named(request.lines, {"Content-Type", "Content-Length"});
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
        changed = true;
    }
    const std::string authority = authority_of(request.target);
    if (!authority.empty() && authority != request.first_authority &&
        (has_header_named(request.lines, "Cookie") || has_header_named(request.lines, "Authorization"))) {
        drop_lines_named(request.lines, {"Cookie", "Authorization"});
        changed = true;
    }
    if (changed) {
        header_list rebuilt = curl_header_list(request.lines, request.post);
        if (!rebuilt) return false;
        request.headers = std::move(rebuilt);
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, request.headers.get());
    }
    curl_easy_setopt(h, CURLOPT_URL, request.target.c_str());
    curl_easy_setopt(h, CURLOPT_PROXY, request.target.starts_with("https://") ? "" : request.proxy_text.c_str());
    return true;
}

common::byte_array convert_body(common::byte_array body, int conversion) {
    if (conversion == body_conversion::utf8_to_gbk) return common::to_bytes(utf8_to_gbk(common::to_text(body)));
    if (conversion == body_conversion::big5_to_simplified_gbk)
        return common::to_bytes(big5_to_gbk_simplified(common::to_text(body)));
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
    if (!url.starts_with("http://") && !url.starts_with("https://")) url = "http://" + url;
    prepared_request request;
    if (!prepare_request(request, url, 访问方式 == 1, extra_headers ? *extra_headers : std::string_view(), body,
                         cookies, proxy))
        return {};
    const transfer_limits limits = current_transfer_limits();
    set_request_options(request, body, limits);
    transfer_state<Body> state;
    state.max_body = limits.max_body;
    state.max_head = limits.max_head;
    attach(request.easy.get(), state);

    bool completed = true;
    std::string answered_url = url;  // whose response the head is
    response_origin answered_by;     // the host that answered, as the engine read it
    for (int hop = 0; request.addressable; ++hop) {
        answered_url = request.target;
        completed = transfer_with_retry(request, state, limits.idle, answered_by);
        if (!completed || !answer_whole(state) || hop == max_redirections || !follow_redirection(request)) break;
    }
    // A failure is told to whoever watches (the command line reports it).
    note_transfer_end(request.addressable ? request.easy.get() : nullptr, state.result, url, !completed,
                      state.head.complete() && !state.head_over_cap && !state.timed_out);
    request.easy.reset();

    // A transfer that failed, after its retry or without one, is no
    // response: an empty body, never a part of one. A stopped one keeps
    // the head it read.
    const bool whole = completed && answer_whole(state);
    const bool head_whole = state.head.complete() && !state.head_over_cap;
    const bool shown = completed ? whole : head_whole;
    if (extra_headers) *extra_headers = request.header_text;
    if (response_headers) *response_headers = shown ? state.head.text() : common::space_text(unanswered_header_size);
    // Even with nothing to store, the store counts what the engine kept of
    // the responses read.
    const bool stored = completed && head_whole;
    store_response_cookies(stored ? cookies_set_by(state.head.text(), answered_url) : std::vector<cookie_triple>{},
                           answered_by.host);
    if (!whole) return {};
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
    std::string page = access<std::string>(url, 0, {}, nullptr, {}, {}, body_conversion::none, nullptr);
    page.resize(std::min(page.size(), page.find('\0')));
    return page;
}

int notice_box(std::string_view message, int style, std::string_view caption) {
    // message_box already counts its buttons from 0.
    return common::message_box(message, style,
                               caption.empty() ? common::gbk<"友情提醒">() : std::string(caption));
}

}  // namespace web
