#include "web/socket_activity.h"

#ifdef __linux__
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#endif

namespace web {

std::uint64_t bytes_received(CURLM* multi) {
    std::uint64_t total = 0;
#ifdef __linux__
    fd_set reading;
    fd_set writing;
    fd_set failing;
    FD_ZERO(&reading);
    FD_ZERO(&writing);
    FD_ZERO(&failing);
    int highest = -1;
    // Sockets numbered FD_SETSIZE or above are left out by curl; their
    // bytes count only once curl passes them on.
    if (curl_multi_fdset(multi, &reading, &writing, &failing, &highest) != CURLM_OK) return 0;
    for (int fd = 0; fd <= highest; ++fd) {
        if (!FD_ISSET(fd, &reading) && !FD_ISSET(fd, &writing)) continue;
        tcp_info info{};
        socklen_t length = sizeof info;
        if (getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &length) == 0 &&
            length >= offsetof(tcp_info, tcpi_bytes_received) + sizeof info.tcpi_bytes_received)
            total += info.tcpi_bytes_received;
    }
#else
    (void)multi;
#endif
    return total;
}

}  // namespace web
