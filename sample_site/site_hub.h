// The site hub: one program that makes and drives sample sites for test
// programs that cannot hold one themselves (the Windows tests, which run
// under Wine and talk to sites of the Linux program on loopback).
//
//   quorla-sample-site --hub PORT --port-file FILE
//
// listens on 127.0.0.1:PORT (0: a free port), writes "127.0.0.1:PORT" to
// FILE once it answers, and runs until SIGINT or SIGTERM. Test programs find
// it through the environment variable QUORLA_SITE_HUB ("127.0.0.1:PORT"); the
// hub-side implementation of sample_site::server (remote_site.cpp) turns each
// member call into one plain HTTP request:
//
//   POST   /sites?data=FOLDER&port=N&stream_host=H  a new site; the answer is
//          the fields id, port, second_host, stream_host (see below)
//   POST   /sites/ID/fault?mode=N&prefix=P          N: the fault's number
//   POST   /sites/ID/clear_faults
//   POST   /sites/ID/huge_body_size?bytes=N
//   POST   /sites/ID/connection_options?end=N&new_connection_delay_ms=N&answer_delay_ms=N
//   POST   /sites/ID/cookie_flood_size?cookies=N
//   POST   /sites/ID/slow_head_interval?ms=N
//   POST   /sites/ID/test_routes                    see test_routes.h
//   POST   /sites/ID/clear_log
//   GET    /sites/ID/requests                       the log, see encode_requests
//   GET    /sites/ID/connection_count               a decimal number
//   DELETE /sites/ID
//
// Query values are percent-encoded. Success is 200; an unknown site or
// operation 404, a bad value 400, a site that could not be made 500 with the
// reason as the body. A data folder written as a Wine path on drive Z:
// ("Z:\work\data") is read as the Linux path it stands for. At most
// max_hub_sites sites live at once; making one more ends the one left
// untouched longest, so sites of test programs that died do not pile up.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sample_site/sample_site.h"

namespace sample_site {

inline constexpr std::size_t max_hub_sites = 24;

// Fields as length-prefixed strings, "5:hello" each, so any bytes survive.
void append_field(std::string& out, std::string_view field);
// The fields of `text` in order; nullopt when it is not a whole sequence.
std::optional<std::vector<std::string>> split_fields(std::string_view text);

// The log as fields: the request count, then for each request its request
// line, raw head, body, header count and the header names and values.
std::string encode_requests(const std::vector<logged_request>& requests);
std::optional<std::vector<logged_request>> decode_requests(std::string_view text);

// Serves the hub on 127.0.0.1:`port`, writes its address to `port_file`
// (unless empty) when ready and returns after SIGINT or SIGTERM (which the caller has
// blocked in every thread). Returns the program's exit status.
int run_site_hub(int port, const std::string& port_file);

}  // namespace sample_site
