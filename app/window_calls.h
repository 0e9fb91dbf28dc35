// The hand-off of workers' calls to the window's thread.
//
// Every control operation runs on the window's thread. A worker's call is
// queued, the window's thread is woken, takes the queued calls one at a time
// (from whatever message loop runs there: a menu's or a message box's too)
// and the worker waits until its call has been carried out. A call made on
// the window's thread runs directly. Once the window is unbound or a stop is
// requested, calls that need the window do nothing and waiting workers are
// let go; a call given up by its worker never runs.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace app {

// What a window supplies: its thread, and a way to wake it.
class window_thread {
public:
    virtual ~window_thread() = default;
    // True when called on the window's thread.
    virtual bool is_current() const = 0;
    // Asks the window's thread to call window_calls::serve() soon; false when
    // it cannot be asked (no event loop, no window to post to).
    virtual bool wake() = 0;
};

class window_calls {
public:
    explicit window_calls(window_thread& thread) : thread_(thread) {}
    window_calls(const window_calls&) = delete;
    window_calls& operator=(const window_calls&) = delete;

    // From now on calls that need the window are carried out.
    void bind();
    // Calls that need the window do nothing from now on; those queued are
    // let go at once, and waiting workers return. On the window's thread.
    void unbind();
    bool bound() const;

    // Carries `work` out on the window's thread and returns when it has been
    // (or when it never will be). With `needs_window`, nothing happens unless
    // a window is bound and no stop has been requested.
    void run(const std::function<void()>& work, bool needs_window = true);
    // On the window's thread: carries out the queued calls, one at a time.
    void serve();
    bool on_window_thread() const { return thread_.is_current(); }
    // True on the window's thread while it carries out a worker's call.
    static bool serving_worker();

    // How often a waiting worker looks whether the window went away.
    static constexpr int wait_step_ms = 20;

private:
    struct pending;
    bool usable(bool needs_window) const;

    window_thread& thread_;
    std::atomic<bool> bound_{false};
    std::mutex queue_guard_;
    std::deque<std::shared_ptr<pending>> queue_;
};

}  // namespace app
