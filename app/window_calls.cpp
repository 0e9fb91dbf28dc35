#include "app/window_calls.h"

#include <chrono>
#include <condition_variable>

#include "services/system_services.h"

namespace app {
namespace {

thread_local bool serving = false;

}  // namespace

struct window_calls::pending {
    std::mutex guard;
    std::condition_variable finished;
    const std::function<void()>* work = nullptr;
    bool needs_window = true;
    bool done = false;
    bool abandoned = false;  // the worker stopped waiting; `work` is gone
};

void window_calls::bind() { bound_.store(true); }

void window_calls::unbind() {
    bound_.store(false);
    // Calls that need the window are let go now, without being carried out;
    // the others wait for the thread's next turn at the queue.
    std::deque<std::shared_ptr<pending>> let_go;
    {
        std::lock_guard lock(queue_guard_);
        std::erase_if(queue_, [&](const std::shared_ptr<pending>& call) {
            if (!call->needs_window) return false;
            let_go.push_back(call);
            return true;
        });
    }
    for (const auto& call : let_go) {
        std::lock_guard lock(call->guard);
        call->done = true;
        call->finished.notify_all();
    }
}

bool window_calls::bound() const { return bound_.load(); }

bool window_calls::serving_worker() { return serving; }

bool window_calls::usable(bool needs_window) const {
    return !needs_window || (bound_.load() && !common::stop_requested());
}

void window_calls::run(const std::function<void()>& work, bool needs_window) {
    if (!usable(needs_window)) return;
    if (thread_.is_current()) {
        work();
        return;
    }
    auto call = std::make_shared<pending>();
    call->work = &work;
    call->needs_window = needs_window;
    {
        std::lock_guard lock(queue_guard_);
        queue_.push_back(call);
    }
    std::unique_lock lock(call->guard);
    if (!thread_.wake()) {
        call->abandoned = true;
        return;
    }
    while (!call->done) {
        call->finished.wait_for(lock, std::chrono::milliseconds(wait_step_ms));
        if (!call->done && !bound_.load() && (needs_window || common::stop_requested())) {
            call->abandoned = true;
            return;
        }
    }
}

void window_calls::serve() {
    for (;;) {
        std::shared_ptr<pending> call;
        {
            std::lock_guard lock(queue_guard_);
            if (queue_.empty()) return;
            call = std::move(queue_.front());
            queue_.pop_front();
        }
        // The guard is held while the work runs, so its worker cannot give
        // up on a call that is being carried out.
        std::lock_guard lock(call->guard);
        if (!call->abandoned && usable(call->needs_window)) {
            const bool outer = serving;
            serving = true;
            (*call->work)();
            serving = outer;
        }
        call->done = true;
        call->finished.notify_all();
    }
}

}  // namespace app
