// The hand-off of workers' calls, with a window thread of the test's own: it
// serves the queue whenever it is woken, unless the test holds it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "app/window_calls.h"
#include "services/system_services.h"
#include "services/testing_hooks.h"

namespace {

using namespace std::chrono_literals;

class test_thread final : public app::window_thread {
public:
    test_thread() : loop_([this] { serve_loop(); }) {}
    ~test_thread() override {
        {
            std::lock_guard lock(guard_);
            ending_ = true;
        }
        woken_.notify_all();
        loop_.join();
    }

    bool is_current() const override { return std::this_thread::get_id() == loop_.get_id(); }
    bool wake() override {
        std::lock_guard lock(guard_);
        ++wakes_;
        woken_.notify_all();
        return true;
    }
    void hold(bool held) {
        {
            std::lock_guard lock(guard_);
            held_ = held;
        }
        woken_.notify_all();
    }
    void attach(app::window_calls& calls) { calls_ = &calls; }

private:
    void serve_loop() {
        std::unique_lock lock(guard_);
        for (;;) {
            woken_.wait(lock, [this] { return ending_ || (wakes_ > 0 && !held_ && calls_ != nullptr); });
            if (ending_) return;
            wakes_ = 0;
            lock.unlock();
            calls_->serve();
            lock.lock();
        }
    }

    std::mutex guard_;
    std::condition_variable woken_;
    int wakes_ = 0;
    bool held_ = false;
    bool ending_ = false;
    app::window_calls* calls_ = nullptr;
    std::thread loop_;
};

class window_calls : public ::testing::Test {
protected:
    window_calls() {
        common::clear_stop_for_testing();
        thread.attach(calls);
        calls.bind();
    }
    ~window_calls() override { common::clear_stop_for_testing(); }

    test_thread thread;
    app::window_calls calls{thread};
};

TEST_F(window_calls, every_call_runs_once_on_the_window_thread_one_at_a_time) {
    constexpr int workers = 4;
    constexpr int each = 250;
    int done = 0;  // unguarded: the calls must not overlap
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    std::atomic<bool> elsewhere{false};
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) {
        threads.emplace_back([&] {
            for (int i = 0; i < each; ++i) {
                calls.run([&] {
                    if (inside.fetch_add(1) != 0) overlapped = true;
                    if (!thread.is_current() || !app::window_calls::serving_worker()) elsewhere = true;
                    ++done;
                    inside.fetch_sub(1);
                });
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(done, workers * each) << "a call was lost";
    EXPECT_FALSE(overlapped);
    EXPECT_FALSE(elsewhere);
    EXPECT_FALSE(app::window_calls::serving_worker());
}

TEST_F(window_calls, unbinding_lets_a_waiting_worker_go_and_its_call_never_runs) {
    thread.hold(true);
    std::atomic<bool> ran{false};
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        calls.run([&] { ran = true; });
        returned = true;
    });
    std::this_thread::sleep_for(60ms);
    EXPECT_FALSE(returned) << "the worker waits while its call is queued";
    calls.unbind();
    worker.join();
    thread.hold(false);
    thread.wake();
    std::this_thread::sleep_for(60ms);
    EXPECT_FALSE(ran);
    // Unbound, a call that needs the window does nothing at all.
    calls.run([&] { ran = true; });
    EXPECT_FALSE(ran);
}

TEST_F(window_calls, a_call_given_up_mid_wait_never_runs_and_others_still_do) {
    thread.hold(true);
    std::atomic<int> ran{0};
    // A call that needs no window (a message box, the clipboard) stays
    // queued after the unbind; its worker gives up once a stop is asked.
    std::thread worker([&] { calls.run([&] { ran += 1; }, false); });
    std::this_thread::sleep_for(40ms);
    calls.unbind();
    std::this_thread::sleep_for(3 * app::window_calls::wait_step_ms * 1ms);
    common::request_stop();
    worker.join();
    common::clear_stop_for_testing();
    // The worker is gone; the thread now serves the queue.
    std::thread late([&] { calls.run([&] { ran += 10; }, false); });
    thread.hold(false);
    late.join();
    EXPECT_EQ(ran, 10) << "only the call whose worker still waits runs";
}

}  // namespace
