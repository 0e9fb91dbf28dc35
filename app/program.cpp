#include "app/program.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/window_calls.h"
#include "common/gbk.h"
#include "services/program_state.h"
#include "services/system_services.h"
#include "web/host_settings.h"

namespace app {

void begin_program() {
    common::enter_program_directory();
    common::init_program_state();
    std::atexit(common::release_program_state);
}

void take_hosts(const std::vector<std::string>& arguments) {
    std::vector<web::refused_host> refused = web::take_hosts(web::host_options_from_arguments(arguments));
    if (refused.empty()) return;
    common::message_box(web::refused_hosts_message(refused), 48, common::gbk<"友情提醒">());
}

void stop_runs_before_close(const std::function<void(int ms)>& serve_events) {
    common::request_stop();
    const auto started = std::chrono::steady_clock::now();
    while (common::running_threads() > 0 &&
           std::chrono::steady_clock::now() - started < std::chrono::milliseconds(close_wait_ms)) {
        serve_events(window_calls::wait_step_ms);
    }
}

int leave_program(int code) {
    if (common::running_threads() == 0) return code;
    std::fflush(nullptr);
    std::_Exit(code);
}

}  // namespace app
