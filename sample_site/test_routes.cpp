#include "sample_site/test_routes.h"

#include <httplib.h>

#include <cstddef>
#include <string>

namespace sample_site {
namespace {

// A page of exactly 20 KiB for the fetch benchmarks.
constexpr std::size_t bench_page_size = 20 * 1024;

void set_cookies_from_query(const httplib::Request& req, httplib::Response& res) {
    for (const auto& [name, value] : req.params) res.headers.emplace("Set-Cookie", name + "=" + value);
    res.set_content("set", "text/plain");
}

}  // namespace

void install_test_routes(httplib::Server& routes) {
    // The request as the inner server saw it: method, then body.
    auto echo = [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(req.method + " " + req.body, "text/plain");
    };
    routes.Get("/t/echo", echo);
    routes.Post("/t/echo", echo);
    // Sets the cookies named in the query as "Set-Cookie: <value>" lines,
    // without attributes: /t/set?a=1 sets "a=1".
    routes.Get("/t/set", set_cookies_from_query);
    // The same, from deeper down: the engine's default path is /t/dir.
    routes.Get("/t/dir/set", set_cookies_from_query);
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
    routes.Get("/bench/page.html", [](const httplib::Request&, httplib::Response& res) {
        static const std::string page = [] {
            std::string p = "<html><body>\n";
            while (p.size() < bench_page_size - 16) p += "<p>line of a twenty kilobyte page</p>\n";
            p.resize(bench_page_size - 15);
            return p + "</body></html>\n";
        }();
        res.set_content(page, "text/html; charset=utf-8");
    });
}

}  // namespace sample_site
