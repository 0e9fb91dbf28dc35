// One transfer of the HTTP engine driven to its end: what it read, how it
// ended, and whether its answer is whole or worth asking again on a new
// connection. Internal to web/.
#pragma once

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <new>

#include "web/response_head.h"

namespace web {

using transfer_clock = std::chrono::steady_clock;

// What every transfer keeps, whatever its body is read into.
struct transfer_progress {
    CURL* easy = nullptr;
    std::size_t max_body = 0;
    std::size_t max_head = 0;
    response_head head;
    std::size_t head_bytes = 0;  // of this transfer's response, interim answers included
    bool head_over_cap = false;
    bool body_started = false;
    bool body_full = false;  // the body reached max_body and reading ended there
    bool connected = false;  // a connection, new or kept, carried the request
    bool reused = false;     // that connection was a kept one
    bool timed_out = false;  // ended by the idle limit
    transfer_clock::time_point last_activity = transfer_clock::now();
    curl_off_t sent = 0;
    CURLcode result = CURLE_OK;  // of the finished transfer
};

// Body: common::byte_array or std::string, the form the caller gets, so the
// bytes are never copied on their way out.
template <class Body>
struct transfer_state : transfer_progress {
    Body body;

    // Forgets what an earlier transfer on the same handle read.
    void start_again() {
        transfer_progress fresh;
        fresh.easy = easy;
        fresh.max_body = max_body;
        fresh.max_head = max_head;
        static_cast<transfer_progress&>(*this) = fresh;
        body.clear();
    }
};

// Bodies of unknown length grow by doubling up to this size; past it the
// buffer is given room for the whole cap at once, pages the body never
// reaches costing address space only, so a capped body is never copied
// into a bigger buffer.
inline constexpr std::size_t doubling_limit = std::size_t{8} << 20;

// Room for the body before its first byte: its announced length up to the cap.
template <class Body>
void reserve_for_body(transfer_state<Body>& state) {
    state.body_started = true;
    curl_off_t length = -1;
    curl_easy_getinfo(state.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (length > 0) state.body.reserve(std::min(state.max_body, static_cast<std::size_t>(length)));
}

template <class Body>
void make_room(transfer_state<Body>& state, std::size_t more) {
    const std::size_t needed = state.body.size() + more;
    if (needed <= state.body.capacity() || needed <= doubling_limit) return;
    try {
        state.body.reserve(state.max_body);
    } catch (const std::bad_alloc&) {
        // No address space for the cap: ordinary growth then.
    }
}

template <class Body>
std::size_t on_body(char* data, std::size_t, std::size_t count, void* user) {
    auto& state = *static_cast<transfer_state<Body>*>(user);
    state.last_activity = transfer_clock::now();
    if (!state.body_started) reserve_for_body(state);
    const std::size_t room = state.max_body - std::min(state.max_body, state.body.size());
    const std::size_t taken = std::min(room, count);
    make_room(state, taken);
    state.body.insert(state.body.end(), data, data + taken);
    state.body_full = taken < count;
    return taken;  // less than count ends the transfer: the body is full
}

// Points the handle's callbacks at `state`, which outlives the handle's use.
void attach_progress(CURL* easy, transfer_progress& state);

template <class Body>
void attach(CURL* easy, transfer_state<Body>& state) {
    state.easy = easy;
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, on_body<Body>);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &state);
    attach_progress(easy, state);
}

// Drives one transfer to its end, letting the calling thread handle its
// window events between rounds (never from inside a curl callback, so a
// handler that fetches a page of its own does not re-enter curl), and
// notes whether a kept connection carried it. False when the program is
// closing and the transfer was abandoned.
bool run_transfer(CURL* easy, transfer_progress& state, std::chrono::milliseconds idle);

// The answer came whole: its head ended, within the caps, and its body
// either whole or cut at max_body.
bool answer_whole(const transfer_progress& state);

// The answer is worth asking for once more on a new connection: the
// connection failed under it (reset, closed before the head or the
// announced body was whole), its head never ended whatever code the engine
// gave, or a kept connection answered with something that is no HTTP head.
// Never when a cap, ours or the engine's, or the idle limit ended it.
bool worth_a_new_connection(const transfer_progress& state);

}  // namespace web
