// The public port of the sample site. It reads each request's head as the
// bytes arrive (so the log keeps header order and spelling), logs it, and
// then either plays the fault that applies to its target or relays the
// request to the inner httplib server and streams the answer back. Whether
// a connection carries more than one request is set by connection_options.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "sample_site/faults.h"
#include "sample_site/request_log.h"
#include "sample_site/socket_io.h"

namespace sample_site {

class raw_front {
public:
    // Binds 127.0.0.1:port (0: a free port) at once, and 127.0.0.2 at the
    // same port when it can be had; serves after start().
    raw_front(int port, const fault_table& faults, request_log& log);
    ~raw_front();  // stops
    raw_front(const raw_front&) = delete;
    raw_front& operator=(const raw_front&) = delete;

    int port() const { return port_; }
    bool has_second_address() const { return second_listener_ >= 0; }
    void start(int inner_port, std::string hostile_page);
    // Ends every connection in progress and joins every thread.
    void stop();

    void set_huge_body_size(std::uint64_t bytes) { huge_body_size_ = bytes; }
    void set_connection_options(const connection_options& options);
    void set_cookie_flood_size(std::size_t cookies) { cookie_flood_size_ = cookies; }
    void set_slow_head_interval(int ms) { slow_head_interval_ms_ = ms; }
    std::size_t connection_count() const { return connections_; }

private:
    struct worker {
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    void accept_loop(int listener);
    void serve(int client);
    // Reads and answers one request from `received` and the connection;
    // true when the connection stays open for the next one.
    bool serve_request(int client, std::string& received, bool first_on_connection);
    connection_options current_options() const;
    // True when the answer was relayed whole and the connection may stay open.
    bool relay(int client, const std::string& request, bool keep);
    std::string fetch_inner(const std::string& request);
    void answer_with_fault(int client, fault mode, const std::string& request, const std::string& target);
    void drip(int client, std::string_view bytes);
    void slow_head(int client);
    void reset_mid_body(int client, const std::string& response);
    void huge_body(int client);
    void hold(int client);

    const fault_table& faults_;
    request_log& log_;
    stop_signal stop_;
    int listener_;
    int port_;
    int second_listener_ = -1;
    int inner_port_ = 0;
    std::string hostile_page_;
    std::atomic<std::uint64_t> huge_body_size_{default_huge_body_size};
    std::atomic<std::size_t> cookie_flood_size_{default_cookie_flood_size};
    std::atomic<int> slow_head_interval_ms_{1000};
    std::atomic<std::size_t> connections_{0};
    mutable std::mutex options_mutex_;
    connection_options options_;

    std::thread acceptor_;
    std::thread second_acceptor_;
    std::mutex workers_mutex_;
    std::list<std::unique_ptr<worker>> workers_;
};

}  // namespace sample_site
