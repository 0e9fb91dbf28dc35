#include "tests/web/site_fixture.h"

#include <httplib.h>

#include <cctype>

#include "web/cookie_store.h"

namespace web_test {
namespace {

void add_routes(httplib::Server& routes) {
    // The request as the inner server saw it: method, then body.
    auto echo = [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(req.method + " " + req.body, "text/plain");
    };
    routes.Get("/t/echo", echo);
    routes.Post("/t/echo", echo);
    // Sets the cookies named in the query as "Set-Cookie: <value>" lines,
    // without attributes: /t/set?a=1 sets "a=1".
    routes.Get("/t/set", [](const httplib::Request& req, httplib::Response& res) {
        for (const auto& [name, value] : req.params) res.headers.emplace("Set-Cookie", name + "=" + value);
        res.set_content("set", "text/plain");
    });
    // The same, from deeper down: the engine's default path is /t/dir.
    routes.Get("/t/dir/set", [](const httplib::Request& req, httplib::Response& res) {
        for (const auto& [name, value] : req.params) res.headers.emplace("Set-Cookie", name + "=" + value);
        res.set_content("set", "text/plain");
    });
    routes.Get("/t/dir/cookies", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(req.get_header_value("Cookie"), "text/plain");
    });
    routes.Get("/t/utf8", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("\xE4\xB8\xAD\xE6\x96\x87 ok", "text/html; charset=utf-8");  // 中文 ok
    });
    routes.Get("/t/big5", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("\xA4\xA4\xB0\xEA", "text/html; charset=big5");  // 中國
    });
    routes.Get("/t/small", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("0123456789abcdefghij", "text/plain");
    });
    routes.Get("/t/half", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(std::string(20000, 'h') + "\n" + std::string(20000, 'H'), "text/plain");
    });
    routes.Get("/t/redirect", [](const httplib::Request&, httplib::Response& res) {
        res.headers.emplace("Set-Cookie", "hop_cookie=1");
        res.set_redirect("/t/final");
        res.set_content("moved", "text/plain");
    });
    // Redirects with the status `code` to `to`.
    auto moved = [](const httplib::Request& req, httplib::Response& res) {
        res.set_redirect(req.get_param_value("to"), std::stoi(req.get_param_value("code")));
        res.set_content("moved", "text/plain");
    };
    routes.Get("/t/moved", moved);
    routes.Post("/t/moved", moved);
    routes.Get("/t/final", [](const httplib::Request&, httplib::Response& res) {
        res.status = 203;
        res.headers.emplace("X-Final", "yes");
        res.set_content("final body", "text/plain");
    });
}

}  // namespace

sample_site::server& site() {
    static sample_site::server* s = [] {
        auto* created = new sample_site::server();
        add_routes(created->routes());
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
