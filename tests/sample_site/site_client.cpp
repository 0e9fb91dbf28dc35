#include "site_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace site_test {

int connect_to(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

raw_answer read_answer(int fd, std::chrono::milliseconds idle, std::size_t limit) {
    raw_answer answer;
    while (answer.bytes.size() < limit) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(idle.count())) == 0) {
            answer.timed_out = true;
            break;
        }
        char buffer[65536];
        const auto n = ::recv(fd, buffer, std::min(sizeof buffer, limit - answer.bytes.size()), 0);
        if (n > 0) {
            answer.bytes.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0) {
            answer.closed = true;
            break;
        } else if (errno != EINTR) {
            answer.reset = errno == ECONNRESET;
            break;
        }
    }
    return answer;
}

raw_answer roundtrip(int port, std::string_view request, std::chrono::milliseconds idle, std::size_t limit) {
    const int fd = connect_to(port);
    if (fd < 0) return {};
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    auto answer = read_answer(fd, idle, limit);
    ::close(fd);
    return answer;
}

std::string get_request(std::string_view target) {
    return "GET " + std::string(target) + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
}

namespace {
bool same_name(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}
}  // namespace

std::vector<std::string> response::headers(std::string_view name) const {
    std::vector<std::string> values;
    std::string_view rest = head;
    while (!rest.empty()) {
        auto end = rest.find("\r\n");
        const auto line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 2);
        const auto colon = line.find(':');
        if (colon != std::string_view::npos && same_name(line.substr(0, colon), name)) {
            auto value = line.substr(colon + 1);
            while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
            values.emplace_back(value);
        }
    }
    return values;
}

std::string response::header(std::string_view name) const {
    const auto values = headers(name);
    return values.empty() ? std::string() : values.front();
}

response parse(const std::string& bytes) {
    response r;
    const auto end = bytes.find("\r\n\r\n");
    if (end == std::string::npos || bytes.compare(0, 9, "HTTP/1.1 ") != 0) return r;
    r.status = std::stoi(bytes.substr(9, 3));
    r.head = bytes.substr(0, end + 2);
    r.body = bytes.substr(end + 4);
    return r;
}

response get(int port, std::string_view target) { return parse(roundtrip(port, get_request(target)).bytes); }

std::vector<std::vector<std::string>> find_all(const boost::regex& pattern, const std::string& text) {
    std::vector<std::vector<std::string>> matches;
    auto from = text.begin();
    boost::smatch m;
    while (boost::regex_search(from, text.end(), m, pattern)) {
        std::vector<std::string> groups;
        for (std::size_t i = 1; i < m.size(); ++i) groups.push_back(m[i].str());
        matches.push_back(std::move(groups));
        if (m[0].first == m[0].second) break;
        from = m[0].second;
    }
    return matches;
}

const boost::regex& hit_pattern() {
    static const boost::regex pattern(
        "pid:'(.*?)',keyWord:'(.*?)',pushFlag:'(.*?)',site:'',type:'(.*?)',total:'(.*?)',newplay:'(.*?)',",
        boost::regex::perl | boost::regex::icase);
    return pattern;
}

const boost::regex& vid_pattern() {
    static const boost::regex pattern("vid:(.*?),//视频ID", boost::regex::perl | boost::regex::icase);
    return pattern;
}

std::string between(std::string_view text, std::string_view left, std::string_view right) {
    const auto start = text.find(left);
    if (start == std::string_view::npos) return {};
    text.remove_prefix(start + left.size());
    const auto end = text.find(right);
    return end == std::string_view::npos ? std::string() : std::string(text.substr(0, end));
}

std::size_t thread_count() {
    const std::filesystem::path tasks("/proc/self/task");
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(tasks), {}));
}

}  // namespace site_test
