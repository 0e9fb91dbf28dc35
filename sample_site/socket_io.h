// Loopback sockets whose every wait also ends when the server stops, so no
// thread stays blocked in a read or a write once the site shuts down.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sample_site {

// Raised once, never lowered: an eventfd that every wait also polls.
class stop_signal {
public:
    stop_signal();
    ~stop_signal();
    stop_signal(const stop_signal&) = delete;
    stop_signal& operator=(const stop_signal&) = delete;

    void raise();
    bool raised() const;
    int fd() const { return fd_; }

private:
    int fd_;
};

enum class io_result { ok, closed, timed_out, stopped, failed };

inline constexpr std::uint32_t first_loopback = 0x7F000001;   // 127.0.0.1
inline constexpr std::uint32_t second_loopback = 0x7F000002;  // 127.0.0.2

// Non-blocking listening socket on the loopback address (host byte order)
// and port (0: any free port). Throws std::runtime_error when the port
// cannot be had.
int listen_loopback(int port, std::uint32_t address = first_loopback);

// The local address a connected socket was accepted on (host byte order).
std::uint32_t local_address(int fd);
int bound_port(int fd);

// -1 when the connection cannot be made.
int connect_loopback(int port, const stop_signal& stop);

// Waits up to `timeout_ms` (-1: no limit) for `events` on `fd`.
io_result wait_for(int fd, short events, int timeout_ms, const stop_signal& stop);

// Appends what arrives to `out`; `closed` at the end of the stream.
io_result read_some(int fd, std::string& out, int timeout_ms, const stop_signal& stop);

// `timeout_ms` bounds each wait for room to write, not the whole write.
io_result write_all(int fd, std::string_view data, int timeout_ms, const stop_signal& stop);

// Sleeps; false when the stop came first.
bool pause_for(int ms, const stop_signal& stop);

// Bytes written but not yet acknowledged by the peer.
int unacknowledged_bytes(int fd);

// Closes so that the peer sees a connection reset (SO_LINGER 0).
void close_with_reset(int fd);

// Ends our side, lets the peer read to the end and close (up to
// `linger_ms`), then closes.
void close_gracefully(int fd, int linger_ms, const stop_signal& stop);

}  // namespace sample_site
