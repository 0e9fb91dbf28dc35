// The one libcurl share of the process: the cookie jar (and the DNS cache)
// that every transfer and every cookie-store call works on. Internal to web/.
#pragma once

#include <curl/curl.h>

namespace web {

// Initialises libcurl once per process; every other curl call comes after.
void ensure_curl_ready();

// Attaches the shared jar to `handle` and turns its cookie engine on, so it
// sends the cookies the jar holds for its host and keeps the ones it gets.
void use_shared_cookies(CURL* handle);

}  // namespace web
