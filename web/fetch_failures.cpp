#include "web/fetch_failures.h"

#include <curl/curl.h>

#include <mutex>

namespace web {
namespace {

std::mutex observer_guard;
std::function<void(const fetch_failure&)> observer_in_use;

std::function<void(const fetch_failure&)> current_observer() {
    std::lock_guard lock(observer_guard);
    return observer_in_use;
}

fetch_failure::kind kind_of(CURLcode result) {
    switch (result) {
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return fetch_failure::kind::refused;
    case CURLE_OPERATION_TIMEDOUT:
        return fetch_failure::kind::timed_out;
    case CURLE_URL_MALFORMAT:
        return fetch_failure::kind::bad_address;
    default:
        return fetch_failure::kind::cut_off;
    }
}

}  // namespace

void set_fetch_failure_observer(std::function<void(const fetch_failure&)> observer) {
    std::lock_guard lock(observer_guard);
    observer_in_use = std::move(observer);
}

void note_transfer_end(void* easy, int result, const std::string& url, bool stopped, bool head_whole) {
    if (stopped) return;
    auto observer = current_observer();
    if (!observer) return;
    fetch_failure failure{url, fetch_failure::kind::cut_off, 0, {}};
    const auto code = static_cast<CURLcode>(result);
    long status = 0;
    if (easy != nullptr) curl_easy_getinfo(static_cast<CURL*>(easy), CURLINFO_RESPONSE_CODE, &status);
    if (easy == nullptr) {
        // No transfer was started: the address cannot carry a request.
        failure.reason = fetch_failure::kind::bad_address;
    } else if (code == CURLE_WRITE_ERROR && head_whole) {
        // The body reached its cap: the answer came, cut at the limit.
        return;
    } else if (code != CURLE_OK) {
        failure.reason = kind_of(code);
        failure.detail = curl_easy_strerror(code);
    } else if (!head_whole) {
        // The transfer was given up with no whole answer: nothing came in time.
        failure.reason = fetch_failure::kind::timed_out;
    } else if (status >= 400) {
        failure.reason = fetch_failure::kind::http_status;
        failure.status = status;
    } else {
        return;
    }
    observer(failure);
}

}  // namespace web
