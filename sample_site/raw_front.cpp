#include "sample_site/raw_front.h"

#include "sample_site/kept_connections.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <stdexcept>

namespace sample_site {
namespace {

constexpr int idle_ms = 30000;                             // no byte for this long ends a connection
constexpr std::size_t head_limit = 1024 * 1024;            // request heads beyond: 431
constexpr std::size_t body_limit = 64 * 1024 * 1024;       // request bodies beyond: 413
constexpr std::size_t inner_answer_limit = 64 * 1024 * 1024;  // answers that faults rework
constexpr std::size_t drip_bytes = 16;
constexpr int drip_interval_ms = 100;

// Position just past the empty line that ends a head, or npos.
std::size_t head_end(std::string_view received) {
    const auto crlf = received.find("\r\n\r\n");
    const auto lf = received.find("\n\n");
    if (crlf == std::string_view::npos && lf == std::string_view::npos) return std::string_view::npos;
    if (lf == std::string_view::npos || (crlf != std::string_view::npos && crlf < lf)) return crlf + 4;
    return lf + 2;
}

std::string html_response(int status, std::string_view body) {
    return make_response(status, "text/html; charset=utf-8", body);
}

}  // namespace

raw_front::raw_front(int port, const fault_table& faults, request_log& log)
    : faults_(faults), log_(log), listener_(listen_loopback(port)), port_(bound_port(listener_)) {
    try {
        second_listener_ = listen_loopback(port_, second_loopback);
    } catch (const std::runtime_error&) {
        second_listener_ = -1;  // only redirect_elsewhere needs it
    }
}

raw_front::~raw_front() {
    stop();
    ::close(listener_);
    if (second_listener_ >= 0) ::close(second_listener_);
}

void raw_front::start(int inner_port, std::string hostile_page) {
    inner_port_ = inner_port;
    hostile_page_ = std::move(hostile_page);
    acceptor_ = std::thread([this] { accept_loop(listener_); });
    if (second_listener_ >= 0) second_acceptor_ = std::thread([this] { accept_loop(second_listener_); });
}

void raw_front::stop() {
    stop_.raise();
    if (acceptor_.joinable()) acceptor_.join();
    if (second_acceptor_.joinable()) second_acceptor_.join();
    std::list<std::unique_ptr<worker>> workers;
    {
        std::lock_guard lock(workers_mutex_);
        workers.swap(workers_);
    }
    for (auto& w : workers) w->thread.join();
}

void raw_front::accept_loop(int listener) {
    while (wait_for(listener, POLLIN, -1, stop_) == io_result::ok) {
        const int client = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0) continue;
        ++connections_;
        // An answer goes out in several writes; on a kept connection, Nagle's
        // wait for the client's delayed acknowledgement would hold back all
        // but the first.
        const int on = 1;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        if (faults_.refuses_everything()) {
            ::close(client);
            continue;
        }
        std::lock_guard lock(workers_mutex_);
        workers_.remove_if([](const std::unique_ptr<worker>& w) {
            if (!w->finished) return false;
            w->thread.join();
            return true;
        });
        auto w = std::make_unique<worker>();
        w->thread = std::thread([this, client, raw = w.get()] {
            serve(client);
            raw->finished = true;
        });
        workers_.push_back(std::move(w));
    }
}

void raw_front::set_connection_options(const connection_options& options) {
    std::lock_guard lock(options_mutex_);
    options_ = options;
}

connection_options raw_front::current_options() const {
    std::lock_guard lock(options_mutex_);
    return options_;
}

void raw_front::serve(int client) {
    std::string received;
    for (bool first = true; serve_request(client, received, first); first = false) {
    }
}

bool raw_front::serve_request(int client, std::string& received, bool first_on_connection) {
    std::size_t end;
    while ((end = head_end(received)) == std::string::npos) {
        if (received.size() > head_limit) {
            write_all(client, html_response(431, "<h1>431</h1>\n"), idle_ms, stop_);
            close_gracefully(client, 500, stop_);
            return false;
        }
        if (read_some(client, received, idle_ms, stop_) != io_result::ok) {
            ::close(client);
            return false;
        }
    }

    logged_request entry = parse_request_head(std::string_view(received).substr(0, end));
    std::size_t body_length = 0;
    const auto length_text = header_value(entry, "Content-Length");
    if (!length_text.empty()) {
        const auto [ptr, error] =
            std::from_chars(length_text.data(), length_text.data() + length_text.size(), body_length);
        if (error != std::errc() || ptr != length_text.data() + length_text.size() || body_length > body_limit) {
            log_.add(std::move(entry));
            write_all(client, html_response(413, "<h1>413</h1>\n"), idle_ms, stop_);
            close_gracefully(client, 500, stop_);
            return false;
        }
    }
    while (received.size() < end + body_length) {
        if (read_some(client, received, idle_ms, stop_) != io_result::ok) {
            ::close(client);
            return false;
        }
    }
    // What follows the body is the next request of a kept connection.
    std::string request = received.substr(0, end + body_length);
    received.erase(0, end + body_length);
    entry.body = request.substr(end);
    const std::string target = request_target(entry.request_line);
    const connection_options options = current_options();
    const bool keep = options.end != connection_options::after_answer::close && asks_to_keep(entry);
    log_.add(std::move(entry));

    const int delay = options.answer_delay_ms + (first_on_connection ? options.new_connection_delay_ms : 0);
    if (delay > 0 && !pause_for(delay, stop_)) {
        ::close(client);
        return false;
    }
    fault mode = faults_.find(target);
    // A cutting fault leaves the answers it does not cut ordinary.
    if (cuts_answers(mode) && !faults_.take_cut(mode, !first_on_connection)) mode = fault::none;
    switch (mode) {
    case fault::refuse:
        ::close(client);
        return false;
    case fault::never_answer:
        hold(client);
        return false;
    case fault::none:
        if (relay(client, request, keep) && options.end == connection_options::after_answer::keep) return true;
        break;
    default:
        answer_with_fault(client, mode, request, target);
        if (mode == fault::reset_mid_body) return false;  // already closed
    }
    close_gracefully(client, 500, stop_);
    return false;
}

bool raw_front::relay(int client, const std::string& request, bool keep) {
    const int inner = connect_loopback(inner_port_, stop_);
    if (inner < 0) {
        write_all(client, html_response(502, "<h1>502</h1>\n"), idle_ms, stop_);
        return false;
    }
    // The inner server ends every answer with the connection; for a kept
    // one the head is held back until it is whole and made keepable.
    bool kept = false;
    bool head_passed = !keep;
    io_result read = io_result::failed;
    if (write_all(inner, request, idle_ms, stop_) == io_result::ok) {
        std::string chunk;
        while ((read = read_some(inner, chunk, idle_ms, stop_)) == io_result::ok) {
            if (!head_passed) {
                const auto end = chunk.find("\r\n\r\n");
                if (end == std::string::npos && chunk.size() <= head_limit) continue;
                kept = end != std::string::npos && make_answer_keepable(chunk, end + 4);
                head_passed = true;
            }
            if (write_all(client, chunk, idle_ms, stop_) != io_result::ok) {
                read = io_result::failed;
                break;
            }
            chunk.clear();
        }
        if (!head_passed) write_all(client, chunk, idle_ms, stop_);
    }
    ::close(inner);
    return kept && read == io_result::closed;
}

std::string raw_front::fetch_inner(const std::string& request) {
    std::string answer;
    const int inner = connect_loopback(inner_port_, stop_);
    if (inner < 0) return answer;
    if (write_all(inner, request, idle_ms, stop_) == io_result::ok) {
        while (answer.size() < inner_answer_limit && read_some(inner, answer, idle_ms, stop_) == io_result::ok) {
        }
    }
    ::close(inner);
    return answer;
}

void raw_front::answer_with_fault(int client, fault mode, const std::string& request, const std::string& target) {
    switch (mode) {
    case fault::redirect_loop:
        write_all(client,
                  make_response(302, "text/html; charset=utf-8", "<a href=\"" + target + "\">again</a>\n",
                                "Location: " + target + "\r\n"),
                  idle_ms, stop_);
        return;
    case fault::hostile_patterns:
        write_all(client, html_response(200, hostile_page_), idle_ms, stop_);
        return;
    case fault::huge_body:
        huge_body(client);
        return;
    case fault::garbage_on_reuse_once:
    case fault::garbage_on_reuse_at_random:
        write_all(client, garbage_answer, idle_ms, stop_);
        return;
    case fault::slow_head:
        slow_head(client);
        return;
    case fault::redirect_elsewhere:
        if (local_address(client) != second_loopback) {
            const std::string elsewhere = "http://127.0.0.2:" + std::to_string(port_) + target;
            write_all(client,
                      make_response(302, "text/html; charset=utf-8", "<a href=\"" + elsewhere + "\">moved</a>\n",
                                    "Location: " + elsewhere + "\r\n"),
                      idle_ms, stop_);
            return;
        }
        break;  // the second address answers with a cookie added, below
    case fault::redirect_with_user:
        if (local_address(client) != second_loopback) {
            const std::string port = std::to_string(port_);
            const std::string elsewhere = "http://127.0.0.1:" + port + "@127.0.0.2:" + port + target;
            write_all(client,
                      make_response(302, "text/html; charset=utf-8", "<a href=\"" + elsewhere + "\">moved</a>\n",
                                    "Location: " + elsewhere + "\r\n"),
                      idle_ms, stop_);
            return;
        }
        break;  // as redirect_elsewhere
    default:
        break;
    }

    // The remaining faults rework the ordinary answer.
    const std::string answer = fetch_inner(request);
    auto parts = split_response(answer);
    if (!parts) {
        write_all(client, html_response(502, "<h1>502</h1>\n"), idle_ms, stop_);
        if (mode == fault::reset_mid_body) ::close(client);
        return;
    }
    switch (mode) {
    case fault::invalid_utf8:
        parts->body = insert_invalid_utf8(std::move(parts->body));
        break;
    case fault::nul_bytes:
        parts->body = insert_nul_bytes(std::move(parts->body));
        break;
    case fault::oversized_headers:
        parts->head += oversized_header_lines();
        break;
    case fault::head_over_cap:
        parts->head += oversized_header_lines(over_cap_padding_lines);
        break;
    case fault::cookie_flood:
        parts->head += cookie_flood_lines(cookie_flood_size_);
        break;
    case fault::crlf_in_ids:
        parts->body = insert_crlf_in_ids(parts->body);
        break;
    case fault::redirect_elsewhere:
        parts->head += elsewhere_cookie_line;
        break;
    case fault::redirect_with_user:
        parts->head += elsewhere_cookie_line;
        break;
    case fault::fresh_cookie_names:
        parts->head += fresh_cookie_lines(fresh_cookies_per_answer);
        break;
    default:
        break;
    }
    const std::string reworked = cuts_length_last(mode) ? join_response_length_last(*parts) : join_response(*parts);
    if (mode == fault::drip) drip(client, reworked);
    else if (mode == fault::reset_mid_body) reset_mid_body(client, reworked);
    else if (cuts_answers(mode)) {
        // The connection is closed after the part sent, without a reset.
        const auto cut = cut_point(mode, reworked, faults_.draw());
        write_all(client, std::string_view(reworked).substr(0, cut), idle_ms, stop_);
    }
    else write_all(client, reworked, idle_ms, stop_);
}

void raw_front::drip(int client, std::string_view bytes) {
    while (!bytes.empty()) {
        const auto piece = bytes.substr(0, drip_bytes);
        if (write_all(client, piece, idle_ms, stop_) != io_result::ok) return;
        bytes.remove_prefix(piece.size());
        if (!bytes.empty() && !pause_for(drip_interval_ms, stop_)) return;
    }
}

void raw_front::slow_head(int client) {
    std::string_view head = slow_head_answer.substr(0, slow_head_size);
    while (!head.empty()) {
        if (write_all(client, head.substr(0, 1), idle_ms, stop_) != io_result::ok) return;
        head.remove_prefix(1);
        if (!pause_for(slow_head_interval_ms_, stop_)) return;
    }
    write_all(client, slow_head_answer.substr(slow_head_size), idle_ms, stop_);
}

void raw_front::reset_mid_body(int client, const std::string& response) {
    const auto head_size = response.find("\r\n\r\n") + 4;
    const auto body_size = response.size() - head_size;
    const auto sent = head_size + body_size / 2;
    if (write_all(client, std::string_view(response).substr(0, sent), idle_ms, stop_) == io_result::ok) {
        // A reset discards what the peer has not yet taken, so wait until it
        // has everything that was sent, and give it a moment to read it.
        for (int i = 0; i < 200 && unacknowledged_bytes(client) > 0; ++i)
            if (!pause_for(5, stop_)) break;
        pause_for(50, stop_);
    }
    close_with_reset(client);
}

void raw_front::huge_body(int client) {
    std::uint64_t left = huge_body_size_;
    if (write_all(client, huge_body_head(left), idle_ms, stop_) != io_result::ok) return;
    const auto filler = huge_body_filler();
    while (left > 0) {
        const auto piece = filler.substr(0, static_cast<std::size_t>(std::min<std::uint64_t>(left, filler.size())));
        if (write_all(client, piece, idle_ms, stop_) != io_result::ok) return;
        left -= piece.size();
    }
}

void raw_front::hold(int client) {
    // Nothing is ever sent; the connection ends when the peer gives up or
    // the site stops.
    std::string discarded;
    while (read_some(client, discarded, -1, stop_) == io_result::ok) discarded.clear();
    ::close(client);
}

}  // namespace sample_site
