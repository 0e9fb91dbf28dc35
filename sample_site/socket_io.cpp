#include "sample_site/socket_io.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

namespace sample_site {
namespace {

sockaddr_in loopback(int port, std::uint32_t host = first_loopback) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(host);
    return address;
}

int milliseconds_left(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

stop_signal::stop_signal() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (fd_ < 0) throw std::runtime_error(std::string("eventfd: ") + std::strerror(errno));
}

stop_signal::~stop_signal() { ::close(fd_); }

void stop_signal::raise() {
    const uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(fd_, &one, sizeof one);
}

bool stop_signal::raised() const {
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
}

int listen_loopback(int port, std::uint32_t host) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const auto address = loopback(port, host);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 128) != 0) {
        const std::string why = std::strerror(errno);
        ::close(fd);
        char name[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &address.sin_addr, name, sizeof name);
        throw std::runtime_error("cannot listen on " + std::string(name) + ":" + std::to_string(port) + ": " + why);
    }
    return fd;
}

int bound_port(int fd) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return -1;
    return ntohs(address.sin_port);
}

std::uint32_t local_address(int fd) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return ntohl(address.sin_addr.s_addr);
}

int connect_loopback(int port, const stop_signal& stop) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const auto address = loopback(port);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
    if (errno == EINPROGRESS && wait_for(fd, POLLOUT, 10000, stop) == io_result::ok) {
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) return fd;
    }
    ::close(fd);
    return -1;
}

io_result wait_for(int fd, short events, int timeout_ms, const stop_signal& stop) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        pollfd p[2] = {{fd, events, 0}, {stop.fd(), POLLIN, 0}};
        const int n = ::poll(p, 2, timeout_ms < 0 ? -1 : milliseconds_left(deadline));
        if (n < 0) {
            if (errno == EINTR) continue;
            return io_result::failed;
        }
        if (p[1].revents) return io_result::stopped;
        if (n == 0) return io_result::timed_out;
        return io_result::ok;  // readiness or an error: the next call tells
    }
}

io_result read_some(int fd, std::string& out, int timeout_ms, const stop_signal& stop) {
    for (;;) {
        char buffer[16384];
        const auto n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            out.append(buffer, static_cast<std::size_t>(n));
            return io_result::ok;
        }
        if (n == 0) return io_result::closed;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return io_result::failed;
        if (const auto waited = wait_for(fd, POLLIN, timeout_ms, stop); waited != io_result::ok) return waited;
    }
}

io_result write_all(int fd, std::string_view data, int timeout_ms, const stop_signal& stop) {
    while (!data.empty()) {
        if (stop.raised()) return io_result::stopped;
        const auto n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n >= 0) {
            data.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return io_result::failed;
        if (const auto waited = wait_for(fd, POLLOUT, timeout_ms, stop); waited != io_result::ok) return waited;
    }
    return io_result::ok;
}

bool pause_for(int ms, const stop_signal& stop) {
    pollfd p{stop.fd(), POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const int n = ::poll(&p, 1, milliseconds_left(deadline));
        if (n > 0) return false;
        if (n == 0) return true;
        if (errno != EINTR) return !stop.raised();
    }
}

int unacknowledged_bytes(int fd) {
    int pending = 0;
    return ::ioctl(fd, SIOCOUTQ, &pending) == 0 ? pending : 0;
}

void close_with_reset(int fd) {
    const linger no_linger{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &no_linger, sizeof no_linger);
    ::close(fd);
}

void close_gracefully(int fd, int linger_ms, const stop_signal& stop) {
    ::shutdown(fd, SHUT_WR);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(linger_ms);
    std::string discarded;
    while (read_some(fd, discarded, milliseconds_left(deadline), stop) == io_result::ok) discarded.clear();
    ::close(fd);
}

}  // namespace sample_site
