// The site hub's log format: any bytes come back as they were logged, and
// anything else is refused rather than half read.
#include <gtest/gtest.h>

#include "sample_site/site_hub.h"

namespace {

using sample_site::logged_request;

TEST(hub_wire, logs_come_back_byte_for_byte_and_garbled_ones_are_refused) {
    const std::string odd_bytes("a\0b\r\n12:x\xFF", 11);
    const std::vector<std::vector<logged_request>> logs = {
        {},
        {{"GET / HTTP/1.1", {}, "", ""}},
        {{"POST /t/echo HTTP/1.1", {{"Host", "127.0.0.1:1"}, {"", ""}, {"X", odd_bytes}}, odd_bytes,
          "POST /t/echo HTTP/1.1\r\n" + odd_bytes + "\r\n\r\n"},
         {odd_bytes, {{odd_bytes, "3:abc"}}, std::string(70000, 'b'), ""}},
    };
    for (const auto& log : logs) {
        const std::string wire = sample_site::encode_requests(log);
        const auto back = sample_site::decode_requests(wire);
        ASSERT_TRUE(back.has_value()) << wire;
        ASSERT_EQ(back->size(), log.size());
        for (std::size_t i = 0; i < log.size(); ++i) {
            EXPECT_EQ((*back)[i].request_line, log[i].request_line);
            EXPECT_EQ((*back)[i].headers, log[i].headers);
            EXPECT_EQ((*back)[i].body, log[i].body);
            EXPECT_EQ((*back)[i].raw_head, log[i].raw_head);
        }
        // Cut anywhere, or with bytes after it, the log is not taken.
        for (std::size_t cut : {std::size_t{0}, wire.size() / 2, wire.size() - 1})
            EXPECT_FALSE(sample_site::decode_requests(wire.substr(0, cut)).has_value()) << cut;
        EXPECT_FALSE(sample_site::decode_requests(wire + "0:").has_value());
    }
    for (const char* garbled : {"x", "1:1", "1:14:GET", "99999999999999999999:x", "-1:", "1:a", "2:10"})
        EXPECT_FALSE(sample_site::decode_requests(garbled).has_value()) << garbled;
}

}  // namespace
