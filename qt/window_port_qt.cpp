// The control, menu, message-box and clipboard operations on Qt Widgets.
// Workers' calls reach the window's thread through the program's hand-off
// (app/window_calls.h); this side wakes that thread with a queued call.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QToolTip>

#include <array>
#include <memory>

#include "app/form.h"
#include "app/window_calls.h"
#include "common/gbk.h"
#include "qt/qt_text.h"
#include "services/system_services.h"
#include "services/window_port.h"
#include "qt/window_binding_qt.h"

namespace common {
namespace {

// Touched only on the user-interface thread.
QPointer<QWidget> main_window;
std::array<QPointer<QWidget>, control_count> controls;

bool on_ui_thread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

class qt_thread final : public app::window_thread {
public:
    bool is_current() const override { return on_ui_thread(); }
    bool wake() override;
};

qt_thread ui_thread;
app::window_calls calls(ui_thread);

bool qt_thread::wake() {
    QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QMetaObject::invokeMethod(app, [] { calls.serve(); }, Qt::QueuedConnection);
}

void run_on_ui(const std::function<void()>& work, bool needs_window = true) { calls.run(work, needs_window); }

template <class Widget>
Widget* find_control(control which) {
    auto index = static_cast<std::size_t>(which);
    if (index >= controls.size()) return nullptr;
    return qobject_cast<Widget*>(controls[index].data());
}

QLabel* status_part(control which, int part) {
    auto* bar = find_control<QStatusBar>(which);
    if (bar == nullptr || part < 0) return nullptr;
    return bar->findChild<QLabel*>(QStringLiteral("part%1").arg(part));
}

// The whole of a status text as a tooltip: marked up, so that page text in
// it stays text, on one line where the screen has room for it (a marked-up
// tooltip is otherwise broken into short lines), else broken where needed.
QString whole_text_tip(const QLabel& part, const QString& text) {
    if (text.isEmpty()) return {};
    const QScreen* screen = part.screen();
    const int room = screen != nullptr ? screen->availableGeometry().width() * 3 / 4 : 800;
    const bool one_line = QFontMetrics(QToolTip::font()).horizontalAdvance(text) <= room;
    return QStringLiteral("<p style='white-space:%1'>%2</p>")
        .arg(one_line ? QStringLiteral("pre") : QStringLiteral("normal"), text.toHtmlEscaped());
}

QMessageBox::Icon icon_of(int style) {
    switch (style & 0xF0) {
        case 0x10: return QMessageBox::Critical;
        case 0x20: return QMessageBox::Question;
        case 0x30: return QMessageBox::Warning;
        case 0x40: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

int show_message_box(const std::string& message, int style, const std::string& caption) {
    if (auto answer = message_box_hook_answer(message, style, caption)) return *answer;
    if (QApplication::instance() == nullptr || !calls.bound()) return 0;
    struct button {
        QMessageBox::StandardButton qt;
        int code;
    };
    std::vector<button> buttons;
    switch (style & 0x0F) {
        case 1: buttons = {{QMessageBox::Ok, 0}, {QMessageBox::Cancel, 1}}; break;
        case 2: buttons = {{QMessageBox::Abort, 2}, {QMessageBox::Retry, 3}, {QMessageBox::Ignore, 4}}; break;
        case 3: buttons = {{QMessageBox::Yes, 5}, {QMessageBox::No, 6}, {QMessageBox::Cancel, 1}}; break;
        case 4: buttons = {{QMessageBox::Yes, 5}, {QMessageBox::No, 6}}; break;
        case 5: buttons = {{QMessageBox::Retry, 3}, {QMessageBox::Cancel, 1}}; break;
        default: buttons = {{QMessageBox::Ok, 0}}; break;
    }
    QMessageBox::StandardButtons set;
    for (const button& b : buttons) set |= b.qt;
    QWidget* owner = (main_window && main_window->isVisible()) ? main_window.data() : nullptr;
    QMessageBox box(icon_of(style), from_gbk(caption), from_gbk(message), set, owner);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const button& b : buttons) {
        if (b.qt == pressed) return b.code;
    }
    // Closed without a button: the box's escape answer.
    return buttons.size() == 1 ? buttons[0].code : 1;
}

// Rows that workers append arrive one window call at a time. Painting the
// list, its scroll bar and its frame after each of them costs the
// user-interface thread more than the downloads do, so while rows come from
// workers the list is repainted at most once per interval.
constexpr int worker_paint_interval_ms = 40;

void defer_painting(QTableWidget* table) {
    if (!table->updatesEnabled()) return;
    table->setUpdatesEnabled(false);
    QTimer::singleShot(worker_paint_interval_ms, table, [table] { table->setUpdatesEnabled(true); });
}

// The control operations on the bound window's widgets.
class qt_window_port final : public window_port {
public:
    // --- list views

    void list_clear(control list) override {
        run_on_ui([&] {
            if (auto* table = find_control<QTableWidget>(list)) table->setRowCount(0);
        });
    }

    int list_insert_row(control list, int position, std::string_view main_text) override {
        int index = -1;
        const bool from_worker = app::window_calls::serving_worker() || !on_ui_thread();
        run_on_ui([&] {
            auto* table = find_control<QTableWidget>(list);
            if (table == nullptr) return;
            if (from_worker) defer_painting(table);
            int rows = table->rowCount();
            int at = (position < 0 || position > rows) ? rows : position;
            table->insertRow(at);
            for (int column = 0; column < table->columnCount(); ++column) {
                auto* item = new QTableWidgetItem();
                item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
                table->setItem(at, column, item);
            }
            if (table->columnCount() > 0) table->item(at, 0)->setText(from_gbk(main_text));
            index = at;
        });
        return index;
    }

    void list_set_cell(control list, int row, int column, std::string_view text) override {
        run_on_ui([&] {
            auto* table = find_control<QTableWidget>(list);
            if (table == nullptr || row < 0 || row >= table->rowCount() || column < 0 || column >= table->columnCount()) {
                return;
            }
            QTableWidgetItem* item = table->item(row, column);
            if (item == nullptr) {
                item = new QTableWidgetItem();
                item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
                table->setItem(row, column, item);
            }
            item->setText(from_gbk(text));
        });
    }

    std::string list_get_cell(control list, int row, int column) override {
        std::string text;
        run_on_ui([&] {
            auto* table = find_control<QTableWidget>(list);
            if (table == nullptr || row < 0 || row >= table->rowCount()) return;
            if (QTableWidgetItem* item = table->item(row, column)) text = to_gbk(item->text());
        });
        return text;
    }

    int list_row_count(control list) override {
        int rows = 0;
        run_on_ui([&] {
            if (auto* table = find_control<QTableWidget>(list)) rows = table->rowCount();
        });
        return rows;
    }

    int list_selected_row(control list) override {
        int row = -1;
        run_on_ui([&] {
            auto* table = find_control<QTableWidget>(list);
            if (table == nullptr || table->selectionModel() == nullptr) return;
            for (const QModelIndex& index : table->selectionModel()->selectedRows()) {
                if (row < 0 || index.row() < row) row = index.row();
            }
        });
        return row;
    }

    // --- status bar

    void status_set_text(control status_bar, int part, std::string_view text) override {
        run_on_ui([&] {
            QLabel* label = status_part(status_bar, part);
            if (label == nullptr) return;
            const QString whole = from_gbk(text);
            label->setText(whole);
            // A text wider than its part is cut off at the right, where a
            // save names its folder: the tooltip and the description carry
            // all of it.
            label->setToolTip(whole_text_tip(*label, whole));
            label->setAccessibleDescription(whole);
        });
    }

    // --- control state

    std::string edit_text(control edit) override {
        std::string text;
        run_on_ui([&] {
            if (auto* box = find_control<QLineEdit>(edit)) text = to_gbk(box->text());
        });
        return text;
    }

    void set_edit_text(control edit, std::string_view text) override {
        run_on_ui([&] {
            if (auto* box = find_control<QLineEdit>(edit)) box->setText(from_gbk(text));
        });
    }

    void set_text_colour(control edit, std::uint32_t colorref) override {
        run_on_ui([&] {
            auto* box = find_control<QWidget>(edit);
            if (box == nullptr) return;
            QPalette palette = box->palette();
            QColor colour(static_cast<int>(colorref & 0xFF), static_cast<int>((colorref >> 8) & 0xFF),
                          static_cast<int>((colorref >> 16) & 0xFF));
            palette.setColor(QPalette::Text, colour);
            box->setPalette(palette);
        });
    }

    void set_visible(control which, bool visible) override {
        run_on_ui([&] {
            if (auto* widget = find_control<QWidget>(which)) widget->setVisible(visible);
        });
    }

    int selected_index(control selector) override {
        int index = -1;
        run_on_ui([&] {
            if (auto* box = find_control<QComboBox>(selector)) index = box->currentIndex();
        });
        return index;
    }

    // --- window

    void popup_menu(popup menu, std::optional<int> x, std::optional<int> y) override {
        run_on_ui([&] {
            if (!main_window) return;
            const std::string_view name = app::form::of(menu).caption;
            auto* found = main_window->findChild<QMenu*>(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
            if (found == nullptr) return;
            constexpr int offset = app::form::menu_offset;
            QPoint at = (x && y) ? QPoint(*x, *y) : QCursor::pos() + QPoint(offset, offset);
            found->exec(at);
        });
    }

    void process_events() override {
        if (!on_ui_thread()) return;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }

    void show_busy(bool busy) override {
        run_on_ui(
            [busy] {
                if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return;
                if (busy)
                    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
                else
                    QGuiApplication::restoreOverrideCursor();
            },
            false);
    }

    int message_box(const std::string& message, int style, const std::string& caption) override {
        int pressed = 0;
        run_on_ui([&] { pressed = show_message_box(message, style, caption); }, false);
        return pressed;
    }

    void window_call(const std::function<void()>& work) override { run_on_ui(work); }

    bool set_clipboard_text(std::string_view text) override {
        bool stored = false;
        run_on_ui(
            [&] {
                if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return;
                QClipboard* clipboard = QGuiApplication::clipboard();
                if (clipboard == nullptr) return;
                clipboard->setText(from_gbk(text));
                stored = true;
            },
            false);
        return stored;
    }
};

qt_window_port& qt_port() {
    static qt_window_port port;
    return port;
}

// Linking the window side is enough for its clipboard, busy pointer and
// message boxes to work before a window is bound.
[[maybe_unused]] const bool port_installed = (install_window_port(&qt_port()), true);

}  // namespace

void bind_main_window(QWidget* window) {
    main_window = window;
    install_window_port(&qt_port());
    for (std::size_t i = 0; i < control_count; ++i) {
        const char* name = control_name(static_cast<control>(i));
        QWidget* found = window ? window->findChild<QWidget*>(QString::fromUtf8(name)) : nullptr;
        controls[i] = found;
    }
    window != nullptr ? calls.bind() : calls.unbind();
}

void unbind_main_window() {
    calls.unbind();
    main_window = nullptr;
    for (auto& c : controls) c = nullptr;
}

QWidget* bound_main_window() { return main_window.data(); }

}  // namespace common
