#include "qt/start_up_qt.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "qt/main_window_qt.h"
#include "services/system_services.h"
#include "qt/window_binding_qt.h"

namespace app {
namespace {

// An X server reports a window destroyed from outside (by another client)
// with DestroyNotify, which the toolkit does not act on for its own windows:
// the window would stay "shown" with nothing on the screen and the program
// would run on. The lost window is closed as a close request closes it (runs
// told to stop, their calls served while they wind up) and the event loop ends.
class lost_window_watch final : public QObject, public QAbstractNativeEventFilter {
public:
    explicit lost_window_watch(QWidget* window) : QObject(window), window_(window) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~lost_window_watch() override {
        if (QCoreApplication* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
    }
    lost_window_watch(const lost_window_watch&) = delete;
    lost_window_watch& operator=(const lost_window_watch&) = delete;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        // xcb_destroy_notify_event_t: response type (1 byte), padding (1),
        // sequence (2), event window (4), destroyed window (4).
        constexpr unsigned destroy_notify = 17;
        if (type != "xcb_generic_event_t" || message == nullptr || !still_bound(window_)) return false;
        const auto* bytes = static_cast<const unsigned char*>(message);
        if ((bytes[0] & 0x7Fu) != destroy_notify) return false;
        std::uint32_t destroyed = 0;
        std::memcpy(&destroyed, bytes + 8, sizeof destroyed);
        QWindow* handle = window_->windowHandle();
        if (handle == nullptr || handle->handle() == nullptr || destroyed != handle->winId()) return false;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [window = window_] {
                if (still_bound(window)) window->close();
                QCoreApplication::quit();
            },
            Qt::QueuedConnection);
        return false;
    }

private:
    // Neither closed nor being destroyed: both unbind the window first.
    static bool still_bound(const QPointer<QWidget>& window) {
        return window && common::bound_main_window() == window;
    }

    QPointer<QWidget> window_;
};

}  // namespace

void end_with_window(main_window& window) { new lost_window_watch(&window); }

}  // namespace app
