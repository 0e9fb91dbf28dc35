#include "qt/main_window_qt.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableWidget>

#include <algorithm>

#include "app/event_table.h"
#include "app/form.h"
#include "app/handlers.h"
#include "app/input_modes.h"
#include "app/list_keys.h"
#include "app/program.h"
#include "qt/window_binding_qt.h"

namespace app {
namespace {

using common::control;

QString text(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }
QString name_of(control which) { return QString::fromUtf8(common::control_name(which)); }
QRect place_of(const form::control_form& c) { return {c.place.left, c.place.top, c.place.width, c.place.height}; }
QColor colour(std::uint32_t colorref) {
    return QColor(static_cast<int>(colorref & 0xFF), static_cast<int>((colorref >> 8) & 0xFF),
                  static_cast<int>((colorref >> 16) & 0xFF));
}

// The edit boxes take what is pasted whole (a line edit otherwise stops at
// 32,767 characters). The bound only keeps one paste from tying the window
// up laying out a line of millions of characters.
constexpr int edit_length_limit = 1'000'000;
constexpr int list_row_height = 18;

// A group box's caption stands on the frame's top line, a few pixels in from
// its left edge, with the line broken behind it.
const char* const group_box_look =
    "QGroupBox { border: 1px solid #a0a0a0; margin-top: 6px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 8px; padding: 0 2px; }";

// The button's focus mark, plainly visible (the style's own is a faint
// outline); without the focus the button keeps the style's look.
const char* const focused_button_look =
    "QPushButton:focus { border: 2px solid palette(highlight); border-radius: 3px; background: palette(button); }";

// The opened list of the mode selector drops below the control to the
// form's dropped height, however few its items; where the screen has no room
// below, the list opens above.
class mode_selector : public QComboBox {
public:
    using QComboBox::QComboBox;
    void showPopup() override {
        QComboBox::showPopup();
        QWidget* popup = view()->window();
        if (popup == window()) return;
        const QPoint top_left = mapToGlobal(QPoint(0, 0));
        QRect area(top_left.x(), top_left.y() + height(), std::max(popup->width(), width()),
                   form::dropped_height - height());
        if (QScreen* screen = this->screen(); screen && area.bottom() > screen->availableGeometry().bottom()) {
            area.moveBottom(top_left.y() - 1);
        }
        popup->setGeometry(area);
    }
};

void paint_input(QWidget* widget) {
    QPalette palette = widget->palette();
    for (QPalette::ColorRole role : {QPalette::Base, QPalette::Window, QPalette::Button}) {
        palette.setColor(role, colour(form::input_background));
    }
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) {
        palette.setColor(role, colour(form::input_text));
    }
    palette.setColor(QPalette::PlaceholderText, QColor(0x80, 0x80, 0x80));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// An edit box raises its focus events; Enter in it presses the button.
class form_edit : public QLineEdit {
public:
    form_edit(control name, QWidget* parent) : QLineEdit(parent), name_(name) {
        connect(this, &QLineEdit::returnPressed, this, [this] { press_enter(name_); });
    }

protected:
    void focusInEvent(QFocusEvent* event) override {
        app::raise(name_, event::got_focus);
        QLineEdit::focusInEvent(event);
    }
    void focusOutEvent(QFocusEvent* event) override {
        app::raise(name_, event::lost_focus);
        QLineEdit::focusOutEvent(event);
    }

private:
    control name_;
};

QWidget* make_edit(const form::control_form& c, QWidget* parent) {
    auto* edit = new form_edit(c.name, parent);
    edit->setAlignment(c.has(form::centred) ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
    edit->setMaxLength(edit_length_limit);
    return edit;
}

QWidget* make_label(const form::control_form& c, QWidget* parent) {
    auto* label = new QLabel(text(c.caption), parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setWordWrap(!c.has(form::no_word_wrap));
    return label;
}

QWidget* make_selector(const form::control_form& c, QWidget* parent) {
    auto* modes = new mode_selector(parent);
    modes->setEditable(false);
    for (std::string_view item : c.items) modes->addItem(text(item));
    modes->setCurrentIndex(-1);
    return modes;
}

// The key of a list's key press in the program's words.
list_key list_key_of(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    if ((key.key() == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
        (key.key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier)) {
        return list_key::menu;
    }
    if ((key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && modifiers == Qt::NoModifier) {
        return list_key::enter;
    }
    if (key.matches(QKeySequence::Copy)) return list_key::copy;
    return list_key::other;
}

// A list raises its mouse events and hands its keys to the program's list
// keys; it shows that it has the keyboard focus also while it has no rows.
class form_list : public QTableWidget, public keyboard_list {
public:
    form_list(control name, int columns, QWidget* parent) : QTableWidget(0, columns, parent), name_(name) {}

    int current_row() override { return currentIndex().isValid() ? currentIndex().row() : -1; }
    void select_row(int row) override {
        setCurrentIndex(model()->index(row, 0));
        selectRow(row);
        scrollTo(model()->index(row, 0));
    }
    void clear_selection() override { clearSelection(); }
    void menu_point(int row, int& x, int& y) override {
        QPoint local(0, 0);
        if (row >= 0) local = visualRect(model()->index(row, 0)).bottomLeft() + QPoint(3, 1);
        const QPoint at = viewport()->mapToGlobal(local);
        x = at.x();
        y = at.y();
    }

protected:
    void keyPressEvent(QKeyEvent* key) override {
        if (!press_list_key(name_, list_key_of(*key), key->isAutoRepeat(), *this)) QTableWidget::keyPressEvent(key);
    }
    void mousePressEvent(QMouseEvent* mouse) override {
        // A press selects the row under the pointer, none below the rows.
        const QModelIndex under = indexAt(mouse->position().toPoint());
        if (mouse->button() == Qt::RightButton && press_list_right(name_, under.isValid() ? under.row() : -1, *this)) {
            return;
        }
        if (!under.isValid()) clearSelection();
        QTableWidget::mousePressEvent(mouse);
    }
    void mouseReleaseEvent(QMouseEvent* mouse) override {
        // The list handles the release first, so the handler reads the
        // selection the click leaves.
        QTableWidget::mouseReleaseEvent(mouse);
        if (mouse->button() == Qt::LeftButton) app::raise(name_, event::left_click);
        if (mouse->button() == Qt::RightButton) app::raise(name_, event::right_click);
    }
    void paintEvent(QPaintEvent* event) override {
        QTableWidget::paintEvent(event);
        if (!hasFocus() || rowCount() > 0) return;
        QPainter painter(viewport());
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(viewport()->rect().adjusted(1, 1, -1, -1));
    }
    void focusInEvent(QFocusEvent* event) override {
        QTableWidget::focusInEvent(event);
        if (event->reason() != Qt::MouseFocusReason) list_focused(name_, *this);
        viewport()->update();
    }
    void focusOutEvent(QFocusEvent* event) override {
        QTableWidget::focusOutEvent(event);
        viewport()->update();
    }

private:
    control name_;
};

QWidget* make_list(const form::control_form& c, QWidget* parent) {
    auto* list = new form_list(c.name, static_cast<int>(c.columns.size()), parent);
    int index = 0;
    for (const form::column& column : c.columns) {
        auto* item = new QTableWidgetItem(text(column.header));
        item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        list->setHorizontalHeaderItem(index, item);
        list->setColumnWidth(index++, column.width);
    }
    list->setShowGrid(c.has(form::grid_lines));
    list->setSelectionBehavior(c.has(form::full_row_selection) ? QAbstractItemView::SelectRows
                                                               : QAbstractItemView::SelectItems);
    list->setSelectionMode(c.has(form::single_selection) ? QAbstractItemView::SingleSelection
                                                         : QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSortingEnabled(false);
    list->setWordWrap(false);
    list->setTextElideMode(Qt::ElideRight);
    // Tab leaves the list for the next control instead of walking its
    // cells (the rows are chosen whole, with the arrow keys).
    list->setTabKeyNavigation(false);
    list->setContextMenuPolicy(Qt::NoContextMenu);
    list->verticalHeader()->setVisible(false);
    list->verticalHeader()->setDefaultSectionSize(list_row_height);
    list->verticalHeader()->setMinimumSectionSize(16);
    QHeaderView* header = list->horizontalHeader();
    header->setSectionsClickable(c.has(form::clickable_header));
    header->setSortIndicatorShown(false);
    header->setHighlightSections(false);
    header->setMinimumSectionSize(0);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setFixedHeight(20);
    return list;
}

QWidget* make_group(const form::control_form& c, QWidget* parent) {
    auto* group = new QGroupBox(text(c.caption), parent);
    group->setStyleSheet(QString::fromUtf8(group_box_look));
    return group;
}

QWidget* make_status_bar(const form::control_form& c, QWidget* parent) {
    auto* status = new QStatusBar(parent);
    status->setSizeGripEnabled(!c.has(form::no_size_grip));
    status->setContentsMargins(0, 0, 0, 0);
    int index = 0;
    for (int width : form::status_part_widths) {
        auto* part = new QLabel(index == 0 ? text(form::status_part0) : QString(), status);
        part->setObjectName(QStringLiteral("part%1").arg(index++));
        part->setFixedWidth(width);
        part->setTextFormat(Qt::PlainText);  // status texts can carry page text
        part->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        part->setFixedHeight(form::status_height - 2);
        status->addWidget(part);
    }
    return status;
}

QWidget* make_control(const form::control_form& c, QWidget* parent) {
    switch (c.type) {
        case form::kind::group_box: return make_group(c, parent);
        case form::kind::label: return make_label(c, parent);
        case form::kind::edit_box: return make_edit(c, parent);
        case form::kind::drop_down_list: return make_selector(c, parent);
        case form::kind::push_button: {
            auto* button = new QPushButton(text(c.caption), parent);
            button->setStyleSheet(QString::fromUtf8(focused_button_look));
            return button;
        }
        case form::kind::list_view: return make_list(c, parent);
        case form::kind::status_bar: return make_status_bar(c, parent);
    }
    return nullptr;
}

}  // namespace

main_window::main_window() {
    setWindowTitle(text(form::title));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(form::client_width, form::client_height);
    build_controls();
    build_menus();
    bind_events();
}

main_window::~main_window() { common::unbind_main_window(); }

void main_window::build_controls() {
    // The controls in the window first, so that each group box stands before
    // the controls it holds.
    for (bool in_window : {true, false}) {
        for (const form::control_form& c : form::controls) {
            if (c.in_window() != in_window) continue;
            QWidget* parent = in_window ? this : findChild<QWidget*>(name_of(c.parent));
            QWidget* widget = make_control(c, parent);
            widget->setObjectName(name_of(c.name));
            widget->setFocusPolicy(c.has(form::tab_stop) ? Qt::StrongFocus : Qt::NoFocus);
            if (c.has(form::input_colours)) paint_input(widget);
            if (!c.accessible_name.empty()) widget->setAccessibleName(text(c.accessible_name));
            widget->setGeometry(c.has(form::docked_bottom)
                                    ? QRect(0, form::client_height - form::status_height, form::client_width,
                                            form::status_height)
                                    : place_of(c));
        }
    }
    // The selection of a list stays as visible as with the focus.
    for (control which : {control::超级列表框1, control::超级列表框2}) {
        auto* list = findChild<QTableWidget*>(name_of(which));
        QPalette palette = list->palette();
        for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
            palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
        }
        list->setPalette(palette);
    }
    QWidget* previous = nullptr;
    for (control which : form::stacking_order) {
        if (!form::of(which).has(form::tab_stop)) continue;
        QWidget* widget = findChild<QWidget*>(name_of(which));
        if (previous != nullptr) setTabOrder(previous, widget);
        previous = widget;
    }
}

void main_window::build_menus() {
    for (const form::menu_form& menu : form::menus) {
        auto* popup = new QMenu(text(menu.caption), this);
        popup->setObjectName(text(menu.caption));
        for (const form::menu_item& item : menu.items) {
            QAction* action = popup->addAction(text(item.caption));
            action->setObjectName(text(item.caption));
            connect(action, &QAction::triggered, this, [chosen = item.chosen] { run_command(chosen); });
        }
    }
}

void main_window::bind_events() {
    // A choice in the drop-down list, the same item again included, reaches
    // the handler through the event queue, after the choice is processed.
    connect(findChild<QComboBox*>(name_of(control::组合框1)), &QComboBox::activated, this,
            [] { app::raise(control::组合框1, event::choice_made); }, Qt::QueuedConnection);
    connect(findChild<QPushButton*>(name_of(control::按钮搜索)), &QPushButton::clicked, this,
            [] { app::raise(control::按钮搜索, event::clicked); });
}

void main_window::closeEvent(QCloseEvent* event) {
    stop_runs_before_close([](int ms) { QCoreApplication::processEvents(QEventLoop::AllEvents, ms); });
    common::unbind_main_window();
    event->accept();
}

std::unique_ptr<main_window> load_main_window() {
    std::unique_ptr<main_window> window;
    try {
        window = std::make_unique<main_window>();
    } catch (...) {
        return nullptr;
    }
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->geometry();
        window->move(area.x() + (area.width() - form::outer_width) / 2,
                     area.y() + (area.height() - form::outer_height) / 2);
    }
    common::bind_main_window(window.get());
    show_search_prompt();
    return window;
}

void show_main_window(main_window& window) {
    window.show();
    window.activateWindow();
    if (auto* search_box = window.findChild<QLineEdit*>(name_of(control::编辑框1))) {
        search_box->setFocus(Qt::ActiveWindowFocusReason);
    }
}

}  // namespace app
