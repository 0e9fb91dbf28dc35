#include "tests/web/site_fixture.h"

#include <cctype>

#include "web/cookie_store.h"

namespace web_test {

sample_site::server& site() {
    static sample_site::server* s = [] {
        auto* created = new sample_site::server();
        created->add_test_routes();
        return created;
    }();
    return *s;
}

std::string site_url(const std::string& target) { return "http://" + site().host() + target; }

std::string header_of(const sample_site::logged_request& request, const std::string& name) {
    for (const auto& [n, v] : request.headers) {
        if (common::to_lower(n) == common::to_lower(name)) return v;
    }
    return "<none>";
}

int count_of(const sample_site::logged_request& request, const std::string& name) {
    int count = 0;
    for (const auto& header : request.headers) count += common::to_lower(header.first) == common::to_lower(name);
    return count;
}

std::string as_string(const common::byte_array& bytes) { return std::string(bytes.begin(), bytes.end()); }

void site_test::SetUp() {
    site().clear_faults();
    site().set_connection_options({});
    site().clear_log();
    web::set_transfer_limits_for_testing({});
    web::clear_cookies_for_testing();
}

void site_test::TearDown() {
    site().clear_faults();
    site().set_connection_options({});
    web::set_transfer_limits_for_testing({});
}

}  // namespace web_test
