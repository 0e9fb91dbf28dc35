#include "web/transfer.h"

#include <cstdint>
#include <memory>
#include <string_view>

#include "services/system_services.h"
#include "web/curl_share.h"
#include "web/socket_activity.h"

namespace web {
namespace {

constexpr int poll_wait_ms = 50;

// libcurl 7.88 gives up on a head past 300 KiB with the code of a failed
// read; that is the server's doing, not the connection's.
constexpr std::size_t engine_head_cap = 300 * 1024;

std::size_t on_header(char* data, std::size_t, std::size_t count, void* user) {
    auto& state = *static_cast<transfer_progress*>(user);
    state.last_activity = transfer_clock::now();
    state.head_bytes += count;
    if (state.head_bytes > state.max_head) {
        state.head_over_cap = true;
        return 0;  // ends the transfer as failed
    }
    state.head.add_line(std::string_view(data, count));
    return count;
}

int on_progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t sent) {
    if (common::stop_requested()) return 1;  // aborts the transfer
    auto& state = *static_cast<transfer_progress*>(user);
    if (sent != state.sent) {
        state.sent = sent;
        state.last_activity = transfer_clock::now();
    }
    return 0;
}

// The connection is up (new or kept): waiting for the answer starts now.
int on_connected(void* user, char*, char*, int, int) {
    auto& state = *static_cast<transfer_progress*>(user);
    state.connected = true;
    state.last_activity = transfer_clock::now();
    return CURL_PREREQFUNC_OK;
}

struct multi_deleter {
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};

// A cap, ours or the engine's, or the idle limit ended the transfer.
bool ended_by_a_limit(const transfer_progress& state) {
    return state.head_over_cap || state.head_bytes >= engine_head_cap || state.timed_out;
}

// Reset, or closed before the head or the announced body was whole.
bool connection_failed(const transfer_progress& state) {
    switch (state.result) {
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return true;
    default:
        return false;
    }
}

// Lines of a head came but not the empty line after them. libcurl 7.88
// reports success for a head cut after whole lines.
bool head_cut(const transfer_progress& state) { return state.head.received() && !state.head.complete(); }

// A kept connection answered with bytes that are no HTTP head: the sign of
// a connection gone stale. On a new one the same bytes are the server's
// answer.
bool stale_connection(const transfer_progress& state) {
    return state.reused && !state.head.received() && state.result != CURLE_OK;
}

}  // namespace

void attach_progress(CURL* easy, transfer_progress& state) {
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, on_header);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &state);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, on_progress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &state);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, on_connected);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, &state);
}

bool run_transfer(CURL* easy, transfer_progress& state, std::chrono::milliseconds idle) {
    std::unique_ptr<CURLM, multi_deleter> multi(curl_multi_init());
    if (!multi || curl_multi_add_handle(multi.get(), easy) != CURLM_OK) return true;
    bool finished = false;
    bool stopped = false;
    std::uint64_t received = 0;
    while (!finished) {
        int running = 0;
        CURLMcode performed;
        std::uint64_t now_received = 0;
        {
            auto pool = lock_connection_pool();
            performed = curl_multi_perform(multi.get(), &running);
            now_received = bytes_received(multi.get());
        }
        if (performed != CURLM_OK) break;
        // Bytes of a header line not yet complete count as activity too.
        if (now_received != received) {
            received = now_received;
            state.last_activity = transfer_clock::now();
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
            if (message->msg == CURLMSG_DONE) {
                finished = true;
                state.result = message->data.result;
            }
        }
        if (finished || running == 0) break;
        if (common::stop_requested()) {
            stopped = true;
            break;
        }
        if (transfer_clock::now() - state.last_activity > idle) {
            state.timed_out = true;
            break;
        }
        common::process_events();
        curl_multi_poll(multi.get(), nullptr, 0, poll_wait_ms, nullptr);
    }
    // No new connection made for a request that went out: a kept one.
    long connects = 0;
    curl_easy_getinfo(easy, CURLINFO_NUM_CONNECTS, &connects);
    state.reused = state.connected && connects == 0;
    // Gives the connection back to the pool, or closes it when the transfer
    // was cut short.
    auto pool = lock_connection_pool();
    curl_multi_remove_handle(multi.get(), easy);
    multi.reset();
    return !stopped;
}

bool answer_whole(const transfer_progress& state) {
    if (!state.head.complete() || state.head_over_cap || state.timed_out) return false;
    return state.result == CURLE_OK || (state.result == CURLE_WRITE_ERROR && state.body_full);
}

bool worth_a_new_connection(const transfer_progress& state) {
    if (ended_by_a_limit(state)) return false;
    return connection_failed(state) || head_cut(state) || stale_connection(state);
}

}  // namespace web
