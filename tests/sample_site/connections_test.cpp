// Kept connections and the link delays of the sample site.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "sample_site/faults.h"
#include "sample_site/kept_connections.h"
#include "sample_site/sample_site.h"
#include "site_client.h"

namespace {

using namespace site_test;
using after_answer = sample_site::connection_options::after_answer;

sample_site::connection_options options(after_answer end, int new_connection_delay_ms = 0, int answer_delay_ms = 0) {
    sample_site::connection_options o;
    o.end = end;
    o.new_connection_delay_ms = new_connection_delay_ms;
    o.answer_delay_ms = answer_delay_ms;
    return o;
}

// A GET that leaves the choice of keeping the connection to the server.
std::string plain_get(std::string_view target) {
    return "GET " + std::string(target) + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}

// Sends `request` on `fd` and reads exactly one answer (its head and
// Content-Length bytes of body); `ended` tells whether the server then
// closed the connection.
struct one_answer {
    response parsed;
    bool whole = false;
    bool ended = false;
};
one_answer ask(int fd, std::string_view request) {
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string bytes;
    one_answer result;
    for (;;) {
        const auto end = bytes.find("\r\n\r\n");
        if (end != std::string::npos) {
            result.parsed = parse(bytes);
            const std::string length = result.parsed.header("Content-Length");
            if (!length.empty() && bytes.size() >= end + 4 + std::stoul(length)) {
                result.whole = true;
                break;
            }
        }
        const raw_answer more = read_answer(fd, 2s, 1);  // whatever arrives next
        bytes += more.bytes;
        if (more.bytes.empty()) return result;
    }
    result.ended = read_answer(fd, 300ms, 1).closed;
    return result;
}

TEST(Connections, KeptOnlyWhenTheOptionsAndTheRequestAllowIt) {
    struct connection_case {
        const char* what;
        after_answer end;
        std::string request;
        bool ends;
        bool says_close;
    };
    const std::string plain = plain_get("/tv/1001.html");
    const connection_case cases[] = {
        {"closing site", after_answer::close, plain, true, true},
        {"keeping site", after_answer::keep, plain, false, false},
        {"keeping site, the client asks for a close", after_answer::keep,
         "GET /tv/1001.html HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", true, true},
        {"keeping site, HTTP/1.0", after_answer::keep, "GET /tv/1001.html HTTP/1.0\r\n\r\n", true, true},
        {"keeping site, a fault answer", after_answer::keep, plain_get("/v_xml/redirected"), true, true},
        {"closing without saying so", after_answer::close_unannounced, plain, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sample_site::server site;
        site.set_fault(sample_site::fault::redirect_loop, "/v_xml/redirected");
        site.set_connection_options(options(c.end));
        const int fd = connect_to(site.port());
        ASSERT_GE(fd, 0);
        const one_answer first = ask(fd, c.request);
        EXPECT_TRUE(first.whole);
        EXPECT_EQ(first.ended, c.ends);
        EXPECT_EQ(first.parsed.header("Connection") == "close", c.says_close);
        if (!c.ends) {
            const one_answer second = ask(fd, plain_get("/v_xml/5001.xml"));
            EXPECT_EQ(second.parsed.status, 200);
            EXPECT_TRUE(second.whole);
            EXPECT_EQ(site.connection_count(), 1u);
            EXPECT_EQ(site.requests().size(), 2u);
        }
        ::close(fd);
    }
}

// Garbage comes only on a connection's second or later request, and only
// as often as the fault says.
TEST(Connections, GarbageComesOnlyOnAReusedConnection) {
    sample_site::server site;
    site.set_connection_options(options(after_answer::keep));
    site.set_fault(sample_site::fault::garbage_on_reuse_once);
    for (int connection = 0; connection < 2; ++connection) {
        SCOPED_TRACE(connection);
        const int fd = connect_to(site.port());
        ASSERT_GE(fd, 0);
        EXPECT_TRUE(ask(fd, plain_get("/v_xml/5001.xml")).whole);
        if (connection == 0) {
            const std::string request = plain_get("/v_xml/5002.xml");
            ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
            const raw_answer garbage = read_answer(fd, 2s, 1 << 20);
            EXPECT_EQ(garbage.bytes, sample_site::garbage_answer);
            EXPECT_TRUE(garbage.closed);
        } else {
            EXPECT_TRUE(ask(fd, plain_get("/v_xml/5002.xml")).whole);  // once only
        }
        ::close(fd);
    }
}

TEST(Connections, DelaysStandForTheSetUpAndTheRoundTrip) {
    sample_site::server site;
    site.set_connection_options(options(after_answer::keep, 150, 40));
    const int fd = connect_to(site.port());
    ASSERT_GE(fd, 0);
    // Until the answer's first bytes; the rest is then read untimed.
    auto timed = [&] {
        const std::string request = plain_get("/tv/1001.html");
        const auto start = std::chrono::steady_clock::now();
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        const raw_answer first = read_answer(fd, 2s, 1);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(parse(first.bytes + read_answer(fd, 200ms, SIZE_MAX).bytes).status, 200);
        return took;
    };
    EXPECT_GE(timed(), 170ms) << "the first answer waits for both";
    const auto second = timed();
    EXPECT_GE(second, 30ms);
    EXPECT_LT(second, 150ms) << "later answers skip the set-up";
    ::close(fd);
}

TEST(Connections, AnswersAreKeepableOnlyWhenTheirEndIsKnown) {
    struct keep_case {
        const char* what;
        std::string answer;
        bool keepable;
        std::string after;
    };
    const keep_case cases[] = {
        {"length and close", "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 2\r\n\r\nok", true,
         "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"},
        {"other Connection values stay", "HTTP/1.1 200 OK\r\nconnection: Upgrade\r\ncontent-length: 0\r\n\r\n", true,
         "HTTP/1.1 200 OK\r\nconnection: Upgrade\r\ncontent-length: 0\r\n\r\n"},
        {"no length", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nok", false, ""},
        {"chunked", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nTransfer-Encoding: chunked\r\n\r\n", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string answer = c.answer;
        EXPECT_EQ(sample_site::make_answer_keepable(answer, answer.find("\r\n\r\n") + 4), c.keepable);
        EXPECT_EQ(answer, c.keepable ? c.after : c.answer);
    }
}

}  // namespace
