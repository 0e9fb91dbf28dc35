// Closing the program aborts the transfers in progress at once.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "services/system_services.h"
#include "services/testing_hooks.h"
#include "tests/web/site_fixture.h"
#include "web/web_access.h"

using namespace web_test;
using namespace std::chrono_literals;

namespace {

class stop_request : public site_test {
protected:
    void TearDown() override {
        common::clear_stop_for_testing();
        site_test::TearDown();
    }
};

TEST_F(stop_request, AbortsTransfersInProgressAndPreventsNewOnes) {
    // Normal limits: only the stop can end these transfers soon.
    site().set_fault(sample_site::fault::never_answer, "/t/small");
    site().set_fault(sample_site::fault::drip, "/t/half");
    auto fetch = [](std::string target) {
        return std::async(std::launch::async, [target] {
            std::string url = site_url(target);
            return web::网页_访问(url);
        });
    };
    auto waiting = fetch("/t/small");
    auto dripping = fetch("/t/half");
    while (requests().size() < 2) std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(200ms);

    const auto stopped_at = std::chrono::steady_clock::now();
    common::request_stop();
    ASSERT_EQ(waiting.wait_for(1s), std::future_status::ready);
    ASSERT_EQ(dripping.wait_for(1s), std::future_status::ready);
    EXPECT_LT(std::chrono::steady_clock::now() - stopped_at, 500ms);
    EXPECT_TRUE(waiting.get().empty());
    EXPECT_TRUE(dripping.get().empty());

    // While the program closes, nothing new goes out.
    site().clear_log();
    EXPECT_EQ(web::fetch_page_text(site_url("/empty")), "");
    EXPECT_TRUE(requests().empty());

    common::clear_stop_for_testing();
    site().clear_faults();
    EXPECT_EQ(web::fetch_page_text(site_url("/t/small")), "0123456789abcdefghij");
}

TEST_F(stop_request, AbortsATransferOnAKeptConnection) {
    sample_site::connection_options kept;
    kept.end = sample_site::connection_options::after_answer::keep;
    site().set_connection_options(kept);
    ASSERT_EQ(web::fetch_page_text(site_url("/t/small")), "0123456789abcdefghij");
    const std::size_t connections = site().connection_count();
    site().set_fault(sample_site::fault::drip, "/t/half");
    auto dripping = std::async(std::launch::async, [] { return web::fetch_page_text(site_url("/t/half")); });
    while (requests().size() < 2) std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(200ms);

    const auto stopped_at = std::chrono::steady_clock::now();
    common::request_stop();
    ASSERT_EQ(dripping.wait_for(1s), std::future_status::ready);
    EXPECT_LT(std::chrono::steady_clock::now() - stopped_at, 500ms);
    EXPECT_EQ(dripping.get(), "");
    EXPECT_EQ(site().connection_count(), connections) << "the dripping answer came on the kept connection";

    // The aborted connection is not offered again.
    common::clear_stop_for_testing();
    site().clear_faults();
    EXPECT_EQ(web::fetch_page_text(site_url("/t/small")), "0123456789abcdefghij");
}

}  // namespace
