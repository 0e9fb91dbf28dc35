// Worker threads and the stop request that the closing window gives them.
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

#include "services/system_services.h"
#include "services/testing_hooks.h"

namespace common {
namespace {

std::atomic<int> running{0};
std::atomic<bool> stopping{false};

}  // namespace

bool start_thread(std::function<void()> subroutine) {
    running.fetch_add(1);
    try {
        std::thread([work = std::move(subroutine)]() mutable {
            {
                // Whatever the run holds is released before it counts as
                // ended, so nothing of it outlives the count.
                auto run = std::move(work);
                try {
                    if (run) run();
                } catch (...) {
                    // A run that fails ends like one that finished: the
                    // window must not be taken down by it.
                }
            }
            running.fetch_sub(1);
        }).detach();
        return true;
    } catch (const std::system_error&) {
        running.fetch_sub(1);
        return false;
    }
}

int running_threads() { return running.load(); }

void request_stop() { stopping.store(true); }

bool stop_requested() { return stopping.load(std::memory_order_relaxed); }

void clear_stop_for_testing() { stopping.store(false); }

}  // namespace common
