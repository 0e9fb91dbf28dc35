#include <gtest/gtest.h>

#include "web/response_head.h"

namespace {

struct head_case {
    const char* what;
    std::vector<std::string> lines;  // as the engine passes them on
    std::string expected;
};

TEST(ResponseHead, KeepsTheFinalResponsesLinesEndedByCrLf) {
    const head_case cases[] = {
        {"one response", {"HTTP/1.1 200 OK\r\n", "A: 1\r\n", "\r\n"}, "HTTP/1.1 200 OK\r\nA: 1\r\n\r\n"},
        {"an interim answer is dropped",
         {"HTTP/1.1 100 Continue\r\n", "\r\n", "HTTP/1.1 200 OK\r\n", "B: 2\r\n", "\r\n"},
         "HTTP/1.1 200 OK\r\nB: 2\r\n\r\n"},
        {"a redirection hop is dropped",
         {"HTTP/1.1 302 Found\r\n", "Location: /x\r\n", "\r\n", "http/1.0 404 Not Found\r\n", "\r\n"},
         "http/1.0 404 Not Found\r\n\r\n"},
        {"bare line feeds become CR LF", {"HTTP/1.0 200 OK\n", "A: 1\n", "\n"}, "HTTP/1.0 200 OK\r\nA: 1\r\n\r\n"},
        {"trailers after the block are not kept", {"HTTP/1.1 200 OK\r\n", "\r\n", "T: x\r\n", "\r\n"},
         "HTTP/1.1 200 OK\r\n\r\n"},
        {"a block cut short is ended", {"HTTP/1.1 200 OK\r\n", "A: 1\r\n"}, "HTTP/1.1 200 OK\r\nA: 1\r\n\r\n"},
        {"a line ends at a zero byte", {"HTTP/1.1 200 OK\r\n", std::string("A: 1\0zz\r\n", 9), "\r\n"},
         "HTTP/1.1 200 OK\r\nA: 1\r\n\r\n"},
        {"lines before any status line are not kept", {"A: 1\r\n", "HTTP/1.1 204 No\r\n", "\r\n"},
         "HTTP/1.1 204 No\r\n\r\n"},
    };
    for (const head_case& c : cases) {
        SCOPED_TRACE(c.what);
        web::response_head head;
        for (const std::string& line : c.lines) head.add_line(line);
        EXPECT_TRUE(head.received());
        EXPECT_EQ(head.text(), c.expected);
    }
    web::response_head nothing;
    nothing.add_line("A: 1\r\n");
    EXPECT_FALSE(nothing.received());
}

}  // namespace
