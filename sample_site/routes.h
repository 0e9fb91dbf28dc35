// The routes of the inner httplib server: the site's four resources and a
// few plain routes that web client tests lean on.
#pragma once

#include <string>

#include "sample_site/site_data.h"

namespace httplib {
class Server;
}

namespace sample_site {

// `data` must outlive the server. Routes:
//   GET /s?wd=KEYWORD              search page; sets "session=sN; path=/"
//   GET /tv/ID.html                series page
//   GET /ptv/pplay/ID/N.html       play page (N without leading zeros)
//   GET /v_xml/VID.xml             stream descriptor naming `stream_host`
//   GET /stream/...                a few stand-in bytes of a stream
//   GET /r/PATH                    302 to /PATH, setting "hop=1; path=/"
//   GET /cookies/set?a=1&b=2       one Set-Cookie line per pair ("a=1; path=/")
//   GET /cookies                   the request's Cookie header as the body
//   GET /status/NNN                status NNN with an HTML body
//   GET /zero                      "before\0after\0\0end"
//   GET /empty                     200 with an empty body
// Anything else: 404 with an HTML body.
void install_routes(httplib::Server& server, const site_data& data, std::string stream_host);

// The body of /zero.
inline constexpr char zero_route_body[] = "before\0after\0\0end";
inline constexpr std::size_t zero_route_size = sizeof zero_route_body - 1;

}  // namespace sample_site
