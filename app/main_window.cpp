#include "app/main_window.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableWidget>

#include <algorithm>

#include "app/handlers.h"
#include "app/input_modes.h"
#include "services/system_services.h"
#include "window/window_binding.h"
#include "export/save_addresses.h"

namespace app {
namespace {

// The outer size of the form and the frame around its client area: a 3-px
// border on each side and a 20-px caption.
constexpr int outer_width = 436;
constexpr int outer_height = 408;
constexpr int client_width = outer_width - 2 * 3;
constexpr int client_height = outer_height - 2 * 3 - 20;
constexpr int status_height = 20;

const QColor control_background(192, 220, 192);

// The edit boxes take what is pasted whole (a line edit otherwise stops at
// 32,767 characters). The bound only keeps one paste from tying the window
// up laying out a line of millions of characters.
constexpr int edit_length_limit = 1'000'000;

// A group box's caption stands on the frame's top line, a few pixels in from
// its left edge, with the line broken behind it.
const char* const group_box_look =
    "QGroupBox { border: 1px solid #a0a0a0; margin-top: 6px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 8px; padding: 0 2px; }";

// The opened list of the mode selector drops below the control and makes it
// 160 px tall in all, however few its items; where the screen has no room
// below, the list opens above.
constexpr int dropped_height = 160;

class mode_selector : public QComboBox {
public:
    using QComboBox::QComboBox;
    void showPopup() override {
        QComboBox::showPopup();
        QWidget* popup = view()->window();
        if (popup == window()) return;
        const QPoint top_left = mapToGlobal(QPoint(0, 0));
        QRect area(top_left.x(), top_left.y() + height(), std::max(popup->width(), width()), dropped_height - height());
        if (QScreen* screen = this->screen(); screen && area.bottom() > screen->availableGeometry().bottom()) {
            area.moveBottom(top_left.y() - 1);
        }
        popup->setGeometry(area);
    }
};

QString name_of(common::control which) { return QString::fromUtf8(common::control_name(which)); }

void paint_input(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, control_background);
    palette.setColor(QPalette::Window, control_background);
    palette.setColor(QPalette::Button, control_background);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::ButtonText, Qt::black);
    palette.setColor(QPalette::PlaceholderText, QColor(0x80, 0x80, 0x80));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLineEdit* make_edit(QWidget* parent, common::control which, QRect geometry) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name_of(which));
    edit->setGeometry(geometry);
    edit->setAlignment(Qt::AlignCenter);
    edit->setMaxLength(edit_length_limit);
    edit->setFocusPolicy(Qt::StrongFocus);
    paint_input(edit);
    return edit;
}

QLabel* make_label(QWidget* parent, common::control which, QRect geometry, const char* caption) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(name_of(which));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

QTableWidget* make_list(QWidget* parent, common::control which, QRect geometry,
                        std::initializer_list<std::pair<const char*, int>> columns) {
    auto* list = new QTableWidget(0, static_cast<int>(columns.size()), parent);
    list->setObjectName(name_of(which));
    list->setGeometry(geometry);
    int column = 0;
    for (const auto& [header, width] : columns) {
        auto* item = new QTableWidgetItem(QString::fromUtf8(header));
        item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        list->setHorizontalHeaderItem(column, item);
        list->setColumnWidth(column, width);
        ++column;
    }
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSortingEnabled(false);
    list->setWordWrap(false);
    list->setTextElideMode(Qt::ElideRight);
    list->setFocusPolicy(Qt::StrongFocus);
    // Tab leaves the list for the next control instead of walking its
    // cells (the rows are chosen whole, with the arrow keys).
    list->setTabKeyNavigation(false);
    list->setContextMenuPolicy(Qt::NoContextMenu);
    list->verticalHeader()->setVisible(false);
    list->verticalHeader()->setDefaultSectionSize(18);
    list->verticalHeader()->setMinimumSectionSize(16);
    QHeaderView* header = list->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setHighlightSections(false);
    header->setMinimumSectionSize(0);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setFixedHeight(20);
    paint_input(list);
    // The selection stays as visible as with the focus.
    QPalette palette = list->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    list->setPalette(palette);
    return list;
}

// The keys a list answers besides moving through its rows.
enum class list_key { other, menu, enter, copy };

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

// Selects the current row, as a click on it does, and brings it into view;
// -1 when the list has no current row.
int select_current_row(QTableWidget* list) {
    const QModelIndex current = list->currentIndex();
    if (!current.isValid()) return -1;
    list->selectRow(current.row());
    list->scrollTo(current);
    return current.row();
}

// Where a menu opened by key stands, in screen coordinates: below the left
// end of the row, or at the list's top left corner without a row.
QPoint menu_point(QTableWidget* list, int row) {
    QPoint local(0, 0);
    if (row >= 0) local = list->visualRect(list->model()->index(row, 0)).bottomLeft() + QPoint(3, 1);
    return list->viewport()->mapToGlobal(local);
}

// The menu key and Shift+F10 open the list's menu at the current row; Enter
// copies an address or resolves a hit; Ctrl+C copies an address. Each runs
// the handler the mouse runs, on the current row selected.
bool press_list_key(QTableWidget* list, const QKeyEvent& key) {
    const list_key pressed = list_key_of(key);
    const bool addresses = list->objectName() == name_of(common::control::超级列表框1);
    if (pressed == list_key::other || (pressed == list_key::copy && !addresses)) return false;
    if (key.isAutoRepeat()) return true;  // a held key acts once
    const int row = select_current_row(list);
    switch (pressed) {
        case list_key::menu: {
            const QPoint at = menu_point(list, row);
            addresses ? popup_address_menu(at.x(), at.y()) : popup_hit_menu(at.x(), at.y());
            break;
        }
        case list_key::enter:
            if (addresses) {
                copy_address();
            } else if (row >= 0) {
                start_resolve_run();
            }
            break;
        case list_key::copy: copy_address(); break;
        case list_key::other: break;
    }
    return true;
}

}  // namespace

main_window::main_window() {
    setWindowTitle(QString::fromUtf8("Quorla高清地址获取器[Tarnwick 首发]"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(client_width, client_height);
    build_controls();
    build_menus();
    bind_events();
}

main_window::~main_window() { common::unbind_main_window(); }

void main_window::build_controls() {
    using common::control;
    auto* upper = new QGroupBox(this);
    upper->setObjectName(name_of(control::分组框1));
    upper->setGeometry(0, 0, 430, 178);
    upper->setFocusPolicy(Qt::NoFocus);
    upper->setStyleSheet(QString::fromUtf8(group_box_look));

    make_label(upper, control::标签2, {8, 13, 56, 20}, "搜索视频：");
    QLineEdit* search_box = make_edit(upper, control::编辑框1, {66, 13, 102, 20});
    search_box->setAccessibleName(QString::fromUtf8("搜索视频"));
    make_label(upper, control::标签1, {175, 13, 32, 20}, "集数：");
    QLineEdit* count_box = make_edit(upper, control::编辑框2, {213, 13, 56, 20});
    count_box->setAccessibleName(QString::fromUtf8("集数"));

    auto* modes = new mode_selector(upper);
    modes->setObjectName(name_of(control::组合框1));
    modes->setGeometry(277, 13, 84, 20);
    modes->setEditable(false);
    modes->addItems({QString::fromUtf8("搜索模式"), QString::fromUtf8("I D 模式"), QString::fromUtf8("无集数模式")});
    modes->setCurrentIndex(-1);
    modes->setFocusPolicy(Qt::StrongFocus);
    modes->setAccessibleName(QString::fromUtf8("模式"));
    paint_input(modes);

    auto* button = new QPushButton(QString::fromUtf8("获取结果"), upper);
    button->setObjectName(name_of(control::按钮搜索));
    button->setGeometry(368, 13, 56, 20);
    button->setFocusPolicy(Qt::StrongFocus);

    QTableWidget* hits = make_list(upper, control::超级列表框2, {3, 37, 423, 138},
                                   {{"ID", 35}, {"搜索结果", 240}, {"总视频数", 65}, {"更新集数", 65}, {"视频ID", 0}});
    hits->setAccessibleName(QString::fromUtf8("搜索结果"));

    auto* lower = new QGroupBox(QString::fromUtf8("视频地址"), this);
    lower->setObjectName(name_of(control::分组框2));
    lower->setGeometry(0, 178, 430, 184);
    lower->setFocusPolicy(Qt::NoFocus);
    lower->setStyleSheet(QString::fromUtf8(group_box_look));
    QTableWidget* addresses = make_list(lower, control::超级列表框1, {3, 12, 424, 169},
                                        {{"ID", 35}, {"视频名称", 100}, {"视频地址", 200}, {"视频格式", 80}});
    addresses->setAccessibleName(QString::fromUtf8("视频地址"));

    auto* status = new QStatusBar(this);
    status->setObjectName(name_of(control::状态条1));
    status->setSizeGripEnabled(false);
    status->setGeometry(0, client_height - status_height, client_width, status_height);
    status->setContentsMargins(0, 0, 0, 0);
    auto* part0 = new QLabel(QString::fromUtf8("状态："), status);
    part0->setObjectName(QStringLiteral("part0"));
    part0->setFixedWidth(50);
    auto* part1 = new QLabel(status);
    part1->setObjectName(QStringLiteral("part1"));
    part1->setFixedWidth(420);
    // Its text changes; the whole of it is also the part's description.
    part1->setAccessibleName(QString::fromUtf8("状态"));
    for (QLabel* part : {part0, part1}) {
        part->setTextFormat(Qt::PlainText);  // status texts can carry page text
        part->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        part->setFixedHeight(status_height - 2);
        status->addWidget(part);
    }

    // Tab walks the input row, then the two lists; the first focus is the
    // search box.
    setTabOrder(search_box, count_box);
    setTabOrder(count_box, modes);
    setTabOrder(modes, button);
    setTabOrder(button, hits);
    setTabOrder(hits, addresses);
}

void main_window::build_menus() {
    save_menu_ = new QMenu(QString::fromUtf8("保存地址"), this);
    save_menu_->setObjectName(QString::fromUtf8("保存地址"));
    QAction* save_all = save_menu_->addAction(QString::fromUtf8("保存所有地址"));
    save_all->setObjectName(QString::fromUtf8("保存所有地址"));
    connect(save_all, &QAction::triggered, this, [] { exporting::save_all_addresses(); });
    QAction* save_playlist = save_menu_->addAction(QString::fromUtf8("保存为播放列表"));
    save_playlist->setObjectName(QString::fromUtf8("保存为播放列表"));
    connect(save_playlist, &QAction::triggered, this, [] { exporting::save_playlist(); });
    QAction* save_download_list = save_menu_->addAction(QString::fromUtf8("保存为下载列表"));
    save_download_list->setObjectName(QString::fromUtf8("保存为下载列表"));
    connect(save_download_list, &QAction::triggered, this, [] { exporting::save_download_list(); });

    hit_menu_ = new QMenu(QString::fromUtf8("搜索获取"), this);
    hit_menu_->setObjectName(QString::fromUtf8("搜索获取"));
    QAction* resolve = hit_menu_->addAction(QString::fromUtf8("获取地址"));
    resolve->setObjectName(QString::fromUtf8("获取地址"));
    connect(resolve, &QAction::triggered, this, [] { start_resolve_run(); });
}

void main_window::bind_events() {
    using common::control;
    auto* search_box = findChild<QLineEdit*>(name_of(control::编辑框1));
    search_box->installEventFilter(this);

    // A choice in the drop-down list, the same item again included, reaches
    // the handler through the event queue, after the choice is processed.
    auto* modes = findChild<QComboBox*>(name_of(control::组合框1));
    connect(modes, &QComboBox::activated, this, [] { switch_mode(); }, Qt::QueuedConnection);

    auto* button = findChild<QPushButton*>(name_of(control::按钮搜索));
    connect(button, &QPushButton::clicked, this, [] { run_search_button(); });

    // Enter in an edit box presses the button as a click does: the focus
    // moves to the button first, so the search box's leaving runs before.
    for (control edit : {control::编辑框1, control::编辑框2}) {
        connect(findChild<QLineEdit*>(name_of(edit)), &QLineEdit::returnPressed, this, [button] {
            button->setFocus(Qt::OtherFocusReason);
            button->click();
        });
    }

    // The mouse reaches the lists through their viewports, the keys
    // through the lists themselves.
    for (control which : {control::超级列表框1, control::超级列表框2}) {
        auto* list = findChild<QTableWidget*>(name_of(which));
        list->viewport()->installEventFilter(this);
        list->installEventFilter(this);
    }
}


bool main_window::eventFilter(QObject* watched, QEvent* event) {
    using common::control;
    auto* addresses = findChild<QTableWidget*>(name_of(control::超级列表框1));
    auto* hits = findChild<QTableWidget*>(name_of(control::超级列表框2));
    if (watched->objectName() == name_of(control::编辑框1)) {
        if (event->type() == QEvent::FocusIn) enter_search_box();
        if (event->type() == QEvent::FocusOut) leave_search_box();
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        for (QTableWidget* list : {addresses, hits}) {
            if (list != nullptr && watched == list) return press_list_key(list, *static_cast<QKeyEvent*>(event));
        }
        return false;
    }
    auto* mouse = dynamic_cast<QMouseEvent*>(event);
    if (mouse == nullptr) return false;
    for (QTableWidget* list : {addresses, hits}) {
        if (list == nullptr || watched != list->viewport()) continue;
        // A press on the empty area leaves no row selected.
        if (event->type() == QEvent::MouseButtonPress && !list->indexAt(mouse->position().toPoint()).isValid()) {
            list->clearSelection();
        }
    }
    if (addresses != nullptr && watched == addresses->viewport()) {
        if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::RightButton) {
            QModelIndex under = addresses->indexAt(mouse->position().toPoint());
            if (under.isValid()) addresses->selectRow(under.row());
            popup_address_menu();
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton) {
            // The list handles the release first, so the copy reads the
            // selection the click leaves.
            addresses->viewport()->removeEventFilter(this);
            QApplication::sendEvent(watched, event);
            addresses->viewport()->installEventFilter(this);
            copy_address();
            return true;
        }
    }
    if (hits != nullptr && watched == hits->viewport()) {
        if (event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::RightButton) {
            popup_hit_menu();
            return true;
        }
    }
    return false;
}

void main_window::closeEvent(QCloseEvent* event) {
    // Runs are told to stop and the window keeps serving their calls until
    // they have returned; only then may it go away.
    common::request_stop();
    QElapsedTimer waited;
    waited.start();
    while (common::running_threads() > 0 && waited.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
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
        window->move(area.x() + (area.width() - outer_width) / 2, area.y() + (area.height() - outer_height) / 2);
    }
    common::bind_main_window(window.get());
    show_search_prompt();
    return window;
}

void show_main_window(main_window& window) {
    window.show();
    window.activateWindow();
    if (auto* search_box = window.findChild<QLineEdit*>(name_of(common::control::编辑框1))) {
        search_box->setFocus(Qt::ActiveWindowFocusReason);
    }
}

}  // namespace app
