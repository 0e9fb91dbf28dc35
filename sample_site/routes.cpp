#include "sample_site/routes.h"

#include <httplib.h>

#include <atomic>
#include <memory>

#include "sample_site/pages.h"

namespace sample_site {
namespace {

constexpr const char* html = "text/html; charset=utf-8";

void not_found(httplib::Response& res) {
    res.status = 404;
    res.set_content(error_page(404), html);
}

// "12" -> 12; 0 for "", "0", "012" or anything not all digits.
std::size_t episode_number(const std::string& text) {
    if (text.empty() || text.size() > 6 || text.front() == '0') return 0;
    std::size_t n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + static_cast<std::size_t>(c - '0');
    }
    return n;
}

}  // namespace

void install_routes(httplib::Server& server, const site_data& data, std::string stream_host) {
    auto sessions = std::make_shared<std::atomic<unsigned>>(0);

    server.Get("/s", [&data, sessions](const httplib::Request& req, httplib::Response& res) {
        res.set_header("Set-Cookie", "session=s" + std::to_string(++*sessions) + "; path=/");
        res.set_content(search_page(data, req.get_param_value("wd")), html);
    });

    server.Get(R"(/tv/([^/]+)\.html)", [&data](const httplib::Request& req, httplib::Response& res) {
        const auto* p = data.find_programme(req.matches[1].str());
        if (!p) return not_found(res);
        res.set_content(series_page(*p), html);
    });

    server.Get(R"(/ptv/pplay/([^/]+)/([^/]+)\.html)", [&data](const httplib::Request& req, httplib::Response& res) {
        const auto* p = data.find_programme(req.matches[1].str());
        const auto n = episode_number(req.matches[2].str());
        if (!p || n == 0 || n > p->episodes.size()) return not_found(res);
        res.set_content(play_page(*p, n), html);
    });

    server.Get(R"(/v_xml/([^/]+)\.xml)",
               [&data, stream_host](const httplib::Request& req, httplib::Response& res) {
                   const auto* text = data.find_descriptor(req.matches[1].str());
                   if (!text) return not_found(res);
                   res.set_content(descriptor(*text, stream_host), "text/xml");
               });

    server.Get("/stream/.*", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content("stand-in stream bytes for " + req.path + "\n", "application/octet-stream");
    });

    server.Get("/r/.*", [](const httplib::Request& req, httplib::Response& res) {
        res.set_header("Set-Cookie", "hop=1; path=/");
        res.set_redirect(req.target.substr(2));  // "/r/x?y" -> "/x?y"
        res.set_content("<a href=\"" + req.target.substr(2) + "\">moved</a>\n", html);
    });

    server.Get("/cookies/set", [](const httplib::Request& req, httplib::Response& res) {
        for (const auto& [name, value] : req.params) res.headers.emplace("Set-Cookie", name + "=" + value + "; path=/");
        res.set_content("set\n", "text/plain");
    });

    server.Get("/cookies", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(req.get_header_value("Cookie"), "text/plain");
    });

    server.Get(R"(/status/(\d{3}))", [](const httplib::Request& req, httplib::Response& res) {
        const int status = std::stoi(req.matches[1].str());
        if (status < 200 || status > 599) return not_found(res);
        res.status = status;
        res.set_content(error_page(res.status), html);
    });

    server.Get("/zero", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(zero_route_body, zero_route_size, "application/octet-stream");
    });

    server.Get("/empty", [](const httplib::Request&, httplib::Response& res) {
        res.status = 200;
        res.set_content("", html);
    });

    server.set_error_handler(httplib::Server::HandlerWithResponse(
        [](const httplib::Request&, httplib::Response& res) {
        if (!res.body.empty() || res.content_provider_) return httplib::Server::HandlerResponse::Unhandled;
        res.set_content(error_page(res.status), html);
        return httplib::Server::HandlerResponse::Handled;
    }));
}

}  // namespace sample_site
