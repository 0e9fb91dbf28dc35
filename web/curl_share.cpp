#include "web/curl_share.h"

#include <array>
#include <cstdlib>
#include <mutex>

namespace web {
namespace {

std::array<std::mutex, CURL_LOCK_DATA_LAST> share_locks;

void lock_share(CURL*, curl_lock_data data, curl_lock_access, void*) {
    share_locks[static_cast<std::size_t>(data)].lock();
}

void unlock_share(CURL*, curl_lock_data data, void*) { share_locks[static_cast<std::size_t>(data)].unlock(); }

// Never cleaned up: worker threads may still be in a transfer while the
// process ends, and the jar must outlive them.
CURLSH* the_share() {
    static CURLSH* share = [] {
        ensure_curl_ready();
        CURLSH* s = curl_share_init();
        if (s == nullptr) std::abort();  // out of memory at start-up
        curl_share_setopt(s, CURLSHOPT_LOCKFUNC, lock_share);
        curl_share_setopt(s, CURLSHOPT_UNLOCKFUNC, unlock_share);
        curl_share_setopt(s, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        curl_share_setopt(s, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
        curl_share_setopt(s, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
        return s;
    }();
    return share;
}

}  // namespace

void ensure_curl_ready() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void use_shared_cookies(CURL* handle) {
    curl_easy_setopt(handle, CURLOPT_SHARE, the_share());
    // An empty file name reads nothing but switches the engine on.
    curl_easy_setopt(handle, CURLOPT_COOKIEFILE, "");
}

std::unique_lock<std::mutex> lock_connection_pool() {
    static std::mutex pool_guard;
    return std::unique_lock(pool_guard);
}

}  // namespace web
