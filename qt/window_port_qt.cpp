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
#include "app/status_text.h"
#include "app/handed_off_port.h"
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

template <class Widget>
Widget* find_control(control which) {
    auto index = static_cast<std::size_t>(which);
    if (index >= controls.size()) return nullptr;
    return qobject_cast<Widget*>(controls[index].data());
}

QLabel* status_part(control which, int part) {
    auto* bar = find_control<QStatusBar>(which);
    return bar != nullptr ? bar->findChild<QLabel*>(QStringLiteral("part%1").arg(part)) : nullptr;
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
    // By the button codes of the program, OK 0 to No 6.
    constexpr QMessageBox::StandardButton standard[] = {QMessageBox::Ok,    QMessageBox::Cancel, QMessageBox::Abort,
                                                        QMessageBox::Retry, QMessageBox::Ignore, QMessageBox::Yes,
                                                        QMessageBox::No};
    const std::vector<int> buttons = app::message_box_buttons(style);
    QMessageBox::StandardButtons set;
    for (int code : buttons) set |= standard[code];
    QWidget* owner = (main_window && main_window->isVisible()) ? main_window.data() : nullptr;
    QMessageBox box(icon_of(style), from_gbk(caption), from_gbk(message), set, owner);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    const int pressed = box.exec();
    for (int code : buttons) {
        if (standard[code] == pressed) return code;
    }
    return app::message_box_escape(style);
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

QTableWidgetItem* new_cell() {
    auto* item = new QTableWidgetItem();
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

// The control operations on the bound window's widgets, on its thread; the
// program's side has checked the controls, rows, columns and parts.
class qt_controls final : public window_port {
public:
    void list_clear(control list) override {
        if (auto* table = find_control<QTableWidget>(list)) table->setRowCount(0);
    }

    int list_insert_row(control list, int position, std::string_view main_text) override {
        auto* table = find_control<QTableWidget>(list);
        if (table == nullptr) return -1;
        if (app::window_calls::serving_worker()) defer_painting(table);
        table->insertRow(position);
        for (int column = 0; column < table->columnCount(); ++column) table->setItem(position, column, new_cell());
        table->item(position, 0)->setText(from_gbk(main_text));
        return position;
    }

    void list_set_cell(control list, int row, int column, std::string_view text) override {
        auto* table = find_control<QTableWidget>(list);
        if (table == nullptr) return;
        if (table->item(row, column) == nullptr) table->setItem(row, column, new_cell());
        table->item(row, column)->setText(from_gbk(text));
    }

    std::string list_get_cell(control list, int row, int column) override {
        auto* table = find_control<QTableWidget>(list);
        QTableWidgetItem* item = table != nullptr ? table->item(row, column) : nullptr;
        return item != nullptr ? to_gbk(item->text()) : std::string();
    }

    int list_row_count(control list) override {
        auto* table = find_control<QTableWidget>(list);
        return table != nullptr ? table->rowCount() : 0;
    }

    int list_selected_row(control list) override {
        auto* table = find_control<QTableWidget>(list);
        if (table == nullptr || table->selectionModel() == nullptr) return -1;
        int row = -1;
        for (const QModelIndex& index : table->selectionModel()->selectedRows()) {
            if (row < 0 || index.row() < row) row = index.row();
        }
        return row;
    }

    void status_set_text(control status_bar, int part, std::string_view text) override {
        QLabel* label = status_part(status_bar, part);
        if (label == nullptr) return;
        const QString whole = from_gbk(text);
        // A text wider than its part is shortened in the middle, keeping the
        // folder and name a save ends with; the tooltip and the description
        // carry all of it, and a screen reader reads the part as it is shown.
        const QFontMetrics metrics(label->font());
        const std::u16string shown = app::shorten_in_middle(
            std::u16string_view(reinterpret_cast<const char16_t*>(whole.utf16()), static_cast<std::size_t>(whole.size())),
            label->contentsRect().width() - 2 * label->margin() - 4, [&](std::u16string_view part) {
                return metrics.horizontalAdvance(QString::fromUtf16(part.data(), static_cast<qsizetype>(part.size())));
            });
        label->setText(QString::fromUtf16(shown.data(), static_cast<qsizetype>(shown.size())));
        label->setToolTip(whole_text_tip(*label, whole));
        label->setAccessibleName(label->text());
        label->setAccessibleDescription(whole);
    }

    std::string edit_text(control edit) override {
        auto* box = find_control<QLineEdit>(edit);
        return box != nullptr ? to_gbk(box->text()) : std::string();
    }

    void set_edit_text(control edit, std::string_view text) override {
        if (auto* box = find_control<QLineEdit>(edit)) box->setText(from_gbk(text));
    }

    void set_text_colour(control edit, std::uint32_t colorref) override {
        auto* box = find_control<QWidget>(edit);
        if (box == nullptr) return;
        QPalette palette = box->palette();
        palette.setColor(QPalette::Text, QColor(static_cast<int>(colorref & 0xFF), static_cast<int>((colorref >> 8) & 0xFF),
                                                static_cast<int>((colorref >> 16) & 0xFF)));
        box->setPalette(palette);
    }

    void set_visible(control which, bool visible) override {
        if (auto* widget = find_control<QWidget>(which)) widget->setVisible(visible);
    }

    int selected_index(control selector) override {
        auto* box = find_control<QComboBox>(selector);
        return box != nullptr ? box->currentIndex() : -1;
    }

    void popup_menu(popup menu, std::optional<int> x, std::optional<int> y) override {
        if (!main_window) return;
        const std::string_view name = app::form::of(menu).caption;
        auto* found = main_window->findChild<QMenu*>(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
        if (found == nullptr) return;
        constexpr int offset = app::form::menu_offset;
        // Opened by key (at a place given), the menu starts on its first item.
        if (x && y && !found->actions().isEmpty()) {
            QTimer::singleShot(0, found, [found] { found->setActiveAction(found->actions().first()); });
        }
        found->exec((x && y) ? QPoint(*x, *y) : QCursor::pos() + QPoint(offset, offset));
    }

    void process_events() override { QCoreApplication::processEvents(QEventLoop::AllEvents); }

    void show_busy(bool busy) override {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return;
        busy ? QGuiApplication::setOverrideCursor(Qt::WaitCursor) : QGuiApplication::restoreOverrideCursor();
    }

    int message_box(const std::string& message, int style, const std::string& caption) override {
        return show_message_box(message, style, caption);
    }

    void window_call(const std::function<void()>& work) override { work(); }

    bool set_clipboard_text(std::string_view text) override {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return false;
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (clipboard == nullptr) return false;
        clipboard->setText(from_gbk(text));
        return true;
    }
};

app::handed_off_port& qt_port() {
    static qt_controls controls;
    static app::handed_off_port port(controls, calls);
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
