// Plain-socket helpers for talking to the sample site in tests.
#pragma once

#include <boost/regex.hpp>

#include <chrono>
#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace site_test {

using namespace std::chrono_literals;

// What came back on one connection, and how it ended.
struct raw_answer {
    std::string bytes;
    bool closed = false;     // orderly end of stream
    bool reset = false;      // ECONNRESET
    bool timed_out = false;  // nothing more within the time allowed
};

// Blocking socket connected to 127.0.0.1:port; -1 on failure.
int connect_to(int port);

// Sends `request`, then reads until the server ends the connection, `limit`
// bytes have arrived or no byte came for `idle`.
raw_answer roundtrip(int port, std::string_view request, std::chrono::milliseconds idle = 5s,
                    std::size_t limit = std::numeric_limits<std::size_t>::max());

// Reads from `fd` as roundtrip() does.
raw_answer read_answer(int fd, std::chrono::milliseconds idle, std::size_t limit);

std::string get_request(std::string_view target);

struct response {
    int status = 0;
    std::string head;  // status line and header lines
    std::string body;
    std::string header(std::string_view name) const;  // first value, ASCII case ignored
    std::vector<std::string> headers(std::string_view name) const;
};
response parse(const std::string& bytes);

response get(int port, std::string_view target);

// Every match from left to right, each search starting where the previous
// match ended: the groups of each. Lets boost's complexity error through.
std::vector<std::vector<std::string>> find_all(const boost::regex& pattern, const std::string& text);

// The patterns the client reads pages with (UTF-8 here, as served).
const boost::regex& hit_pattern();
const boost::regex& vid_pattern();

// The text between the first `left` and the next `right`, empty when either is missing.
std::string between(std::string_view text, std::string_view left, std::string_view right);

// Threads of this process now.
std::size_t thread_count();

}  // namespace site_test
