// Failed fetches, told to whoever wants to know. The window stays silent on
// a failed fetch, as the site logic expects; the command line reports each
// one on standard error. Nothing observes them until an observer is set.
#pragma once

#include <functional>
#include <string>

namespace web {

struct fetch_failure {
    enum class kind {
        refused,       // no connection could be made
        timed_out,     // the connection or the answer did not come in time
        http_status,   // the server answered with status 400 or above
        cut_off,       // the connection failed under the transfer, or the answer was no HTTP answer
        bad_address,   // the address names no host a request can reach
    };
    std::string url;     // as the caller asked for it
    kind reason = kind::cut_off;
    long status = 0;     // the HTTP status, for http_status
    std::string detail;  // the engine's own words, ASCII; empty for http_status
};

// `observer` is called on the fetching thread for every GET that ends in a
// failure; an empty function stops the calls.
void set_fetch_failure_observer(std::function<void(const fetch_failure&)> observer);

// Called by the HTTP client once per request, when its transfer has ended.
// `easy` is its engine handle, `result` the engine's code; `stopped` is true
// when the program's stop ended it and `head_whole` when a whole head came.
void note_transfer_end(void* easy, int result, const std::string& url, bool stopped, bool head_whole);

}  // namespace web
