// The one libcurl share of the process: the cookie jar, the DNS cache and
// the kept connections that every transfer and every cookie-store call works
// on. Internal to web/.
#pragma once

#include <curl/curl.h>

#include <mutex>

namespace web {

// Initialises libcurl once per process; every other curl call comes after.
void ensure_curl_ready();

// Attaches the share to `handle` and turns its cookie engine on, so it sends
// the cookies the jar holds for its host, keeps the ones it gets, and takes
// an idle connection to its host from the pool when there is one.
void use_shared_cookies(CURL* handle);

// Held around every call that may take a connection from the pool or give
// one back (curl_multi_perform, curl_multi_remove_handle): libcurl 7.88
// does not keep its shared pool consistent when two threads pick, check or
// return connections at once (its known bug "a shared connection cache is
// not thread-safe"), so those steps are made one at a time. Each such call
// only does the work that is ready, so the hold is short; waits for the
// network happen outside it.
std::unique_lock<std::mutex> lock_connection_pool();

}  // namespace web
