// The program's start and end around one worker, for the shutdown tests:
// `shutdown_probe close|lost [stuck]`. "close" closes the window as the user
// does; "lost" has another client of the X server destroy the window. With
// "stuck" a worker sleeps a minute without heeding the stop. A global reports
// whether destructors ran.
#include <QApplication>
#include <QTimer>
#include <QWindow>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "qt/main_window_qt.h"
#include "app/program.h"
#include "qt/start_up_qt.h"
#include "services/program_state.h"
#include "services/system_services.h"

namespace {

struct destructor_witness {
    ~destructor_witness() { std::fputs("global destructors ran\n", stdout); }
} witness;

// What any other client of the X server can do: destroy the window from a
// connection of its own.
void destroy_from_outside(WId window) {
    xcb_connection_t* other = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(other) == 0) {
        // Checked, so the server has carried it out before the connection closes.
        std::free(xcb_request_check(other, xcb_destroy_window_checked(other, static_cast<xcb_window_t>(window))));
    }
    xcb_disconnect(other);
}

}  // namespace

int main(int argc, char** argv) {
    common::init_program_state();
    QApplication application(argc, argv);
    std::unique_ptr<app::main_window> window = app::load_main_window();
    app::show_main_window(*window);
    app::end_with_window(*window);
    const std::string how = argc > 1 ? argv[1] : "";
    if (argc > 2 && std::string(argv[2]) == "stuck") {
        common::start_thread([] { std::this_thread::sleep_for(std::chrono::seconds(60)); });
    }
    // Once the window is on the screen, close it or have it destroyed.
    QTimer act;
    QObject::connect(&act, &QTimer::timeout, [&] {
        if (!window->windowHandle() || !window->windowHandle()->isExposed()) return;
        act.stop();
        if (how == "close") window->close();
        if (how == "lost") destroy_from_outside(window->winId());
    });
    act.start(50);
    int code = application.exec();
    window.reset();
    std::fputs("left the event loop\n", stdout);
    return app::leave_program(code);
}
