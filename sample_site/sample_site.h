// A small local stand-in for the video site: search pages, series pages, play
// pages and stream descriptors served from data files, plus fault modes for
// the reliability tests. Used as a program (sample_site_main.cpp) and inside
// tests, where it binds port 0 and is ready before the constructor returns.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace httplib {
class Server;
}

namespace sample_site {

// How the site misbehaves. A fault applies to every request whose target
// starts with the fault's prefix (empty prefix: every request).
enum class fault {
    none,
    refuse,             // the connection is closed before anything is read
    reset_mid_body,     // part of the body, then a connection reset
    never_answer,       // the request is read and never answered
    drip,               // the body a few bytes at a time, slowly
    huge_body,          // a body far larger than any real page
    invalid_utf8,       // pages with malformed UTF-8 sequences
    nul_bytes,          // zero bytes inside the body
    redirect_loop,      // every answer redirects to itself
    oversized_headers,  // a response header block of many kilobytes
    hostile_patterns,   // pages made to defeat the page patterns
};

struct logged_request {
    std::string request_line;                                   // "GET /x HTTP/1.1"
    std::vector<std::pair<std::string, std::string>> headers;  // in the order received
    std::string body;
    std::string raw_head;  // request line and header lines as received, up to the empty line
};

class server {
public:
    // Serves the data folder on 127.0.0.1:`port` (0 picks a free port).
    // `stream_host` is written into descriptors where the stream server is
    // named; empty means this server's own "127.0.0.1:port".
    explicit server(std::string data_folder = default_data_folder(), int port = 0,
                    std::string stream_host = {});
    ~server();
    server(const server&) = delete;
    server& operator=(const server&) = delete;

    int port() const;
    std::string host() const;         // "127.0.0.1:port"
    std::string stream_host() const;  // what descriptors name

    void set_fault(fault mode, std::string target_prefix = {});
    void clear_faults();

    // Every request received so far, oldest first.
    std::vector<logged_request> requests() const;
    void clear_log();

    // The underlying server, for tests that add routes of their own.
    httplib::Server& routes();

    // The data folder in the source tree.
    static std::string default_data_folder();

    struct impl;

private:
    std::unique_ptr<impl> impl_;
};

}  // namespace sample_site
