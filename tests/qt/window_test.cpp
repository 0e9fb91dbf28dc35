#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/form.h"
#include "app/fatal_error.h"
#include "qt/main_window_qt.h"
#include "common/gbk.h"
#include "services/system_services.h"
#include "services/testing_hooks.h"
#include "sample_site/sample_site.h"
#include "web/site_hosts.h"

using common::control;
using common::gbk;
namespace form = app::form;

namespace {

QString utf(const char* text) { return QString::fromUtf8(text); }

class window : public ::testing::Test {
protected:
    void SetUp() override {
        common::clear_stop_for_testing();
        main = app::load_main_window();
        ASSERT_NE(main, nullptr);
        app::show_main_window(*main);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
        QTest::qWait(20);
    }
    void TearDown() override {
        main.reset();
        common::clear_stop_for_testing();
    }
    template <class W>
    W* child(const char* name) {
        return main->findChild<W*>(utf(name));
    }
    QTableWidget* addresses() { return child<QTableWidget>("超级列表框1"); }
    QString status() { return main->findChild<QLabel*>("part1")->accessibleDescription(); }
    void add_address_row(const char* name, const char* address) {
        int row = common::list_insert_row(control::超级列表框1);
        common::list_set_cell(control::超级列表框1, row, 1, gbk_of(name));
        common::list_set_cell(control::超级列表框1, row, 2, gbk_of(address));
    }
    static std::string gbk_of(const char* utf8) { return common::convert_utf8_to_gbk(utf8); }
    void click_row(QTableWidget* list, int row, Qt::MouseButton button = Qt::LeftButton) {
        QRect cell = list->visualItemRect(list->item(row, 0));
        QTest::mouseClick(list->viewport(), button, {}, cell.center());
    }
    std::unique_ptr<app::main_window> main;
};

// Opens a menu with `open`, notes where and which menu appeared, closes it.
struct popup_seen {
    QString title;
    QPoint at;
    bool first_active = false;  // its first item highlighted as it opened
};
popup_seen watch_popup(const std::function<void()>& open) {
    popup_seen seen;
    QTimer::singleShot(50, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            seen.title = menu->title();
            seen.at = menu->pos();
            menu->close();
        }
    });
    open();
    QTest::qWait(100);
    return seen;
}

}  // namespace

QString u(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

TEST_F(window, controls_stand_where_the_form_puts_them) {
    EXPECT_EQ(main->windowTitle(), u(form::title));
    EXPECT_EQ(main->size(), QSize(form::client_width, form::client_height));
    EXPECT_EQ(main->minimumSize(), main->maximumSize());
    EXPECT_FALSE(main->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(main->windowFlags() & Qt::WindowMinimizeButtonHint);
    for (const form::control_form& f : form::controls) {
        const char* name = common::control_name(f.name);
        auto* widget = child<QWidget>(name);
        ASSERT_NE(widget, nullptr) << name;
        const QRect expected = f.has(form::docked_bottom)
                                   ? QRect(0, form::client_height - form::status_height, form::client_width,
                                           form::status_height)
                                   : QRect(f.place.left, f.place.top, f.place.width, f.place.height);
        EXPECT_EQ(widget->geometry(), expected) << name;
        QWidget* parent = widget->parentWidget();
        EXPECT_EQ(parent, f.in_window() ? main.get() : child<QWidget>(common::control_name(f.parent))) << name;
        EXPECT_TRUE(widget->isVisible()) << name;
        EXPECT_EQ(widget->focusPolicy() == Qt::StrongFocus, f.has(form::tab_stop)) << name;
        QString caption;
        if (auto* label = qobject_cast<QLabel*>(widget)) caption = label->text();
        if (auto* button = qobject_cast<QPushButton*>(widget)) caption = button->text();
        if (auto* group = qobject_cast<QGroupBox*>(widget)) caption = group->title();
        EXPECT_EQ(caption, u(f.caption)) << name;
        if (f.has(form::input_colours)) {
            EXPECT_EQ(widget->palette().color(QPalette::Base).rgb() & 0xFFFFFF,
                      QColor(0xC0, 0xDC, 0xC0).rgb() & 0xFFFFFF) << name;
        }
    }
    auto* modes = child<QComboBox>("组合框1");
    ASSERT_EQ(modes->count(), static_cast<int>(std::size(form::mode_items)));
    for (int i = 0; i < modes->count(); ++i) EXPECT_EQ(modes->itemText(i), u(form::mode_items[i]));
    EXPECT_EQ(modes->currentIndex(), -1);
    EXPECT_EQ(common::selected_index(control::组合框1), -1);
    EXPECT_EQ(main->findChild<QLabel*>("part0")->width(), form::status_part_widths[0]);
    EXPECT_EQ(main->findChild<QLabel*>("part0")->text(), u(form::status_part0));
    EXPECT_EQ(main->findChild<QLabel*>("part1")->width(), form::status_part_widths[1]);
    EXPECT_FALSE(child<QStatusBar>("状态条1")->isSizeGripEnabled());
    for (const form::menu_form& m : form::menus) {
        auto* menu = main->findChild<QMenu*>(u(m.caption));
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->actions().size(), static_cast<qsizetype>(m.items.size()));
        for (std::size_t i = 0; i < m.items.size(); ++i) {
            EXPECT_EQ(menu->actions()[static_cast<qsizetype>(i)]->text(), u(m.items[i].caption));
        }
    }
}

TEST_F(window, list_views_have_their_columns_and_look) {
    for (control which : {control::超级列表框1, control::超级列表框2}) {
        const char* name = common::control_name(which);
        auto* list = child<QTableWidget>(name);
        const auto& columns = form::of(which).columns;
        ASSERT_EQ(list->columnCount(), static_cast<int>(columns.size())) << name;
        for (int c = 0; c < list->columnCount(); ++c) {
            EXPECT_EQ(list->horizontalHeaderItem(c)->text(), u(columns[c].header)) << name << c;
            EXPECT_EQ(list->columnWidth(c), columns[c].width) << name << c;
        }
        EXPECT_TRUE(list->showGrid());
        EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
        EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
        EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
        EXPECT_FALSE(list->isSortingEnabled());
        EXPECT_FALSE(list->verticalHeader()->isVisible());
        EXPECT_EQ(list->palette().color(QPalette::Text), QColor(Qt::black));
        EXPECT_GE(list->height() / list->verticalHeader()->defaultSectionSize(), 6) << "rows too tall";
    }
    for (const char* edit : {"编辑框1", "编辑框2"}) {
        EXPECT_EQ(child<QLineEdit>(edit)->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    }
}

TEST_F(window, first_focus_is_the_search_box_with_the_hint) {
    auto* search_box = child<QLineEdit>("编辑框1");
    EXPECT_TRUE(search_box->hasFocus());
    EXPECT_EQ(search_box->text(), QString());
    EXPECT_EQ(status(), utf("输入搜索名字,如毒战,速度与激情等等,或者输入ID"));
    child<QLineEdit>("编辑框2")->setFocus();
    QTest::qWait(10);
    EXPECT_EQ(search_box->text(), utf("输入搜索名字"));
    EXPECT_EQ(search_box->palette().color(QPalette::Text), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(status(), QString());
}

TEST_F(window, menus_open_beside_the_pointer_on_empty_list_areas) {
    auto* list = addresses();
    QPoint inside(200, 120);
    QCursor::setPos(list->viewport()->mapToGlobal(inside));
    popup_seen seen = watch_popup([&] { QTest::mousePress(list->viewport(), Qt::RightButton, {}, inside); });
    EXPECT_EQ(seen.title, utf("保存地址"));
    EXPECT_EQ(seen.at, QCursor::pos() + QPoint(3, 3));
    QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, inside);

    auto* hits = child<QTableWidget>("超级列表框2");
    QCursor::setPos(hits->viewport()->mapToGlobal(inside));
    seen = watch_popup([&] { QTest::mouseClick(hits->viewport(), Qt::RightButton, {}, QPoint(200, 60)); });
    EXPECT_EQ(seen.title, utf("搜索获取"));
    EXPECT_EQ(seen.at, QCursor::pos() + QPoint(3, 3));

    auto* save_menu = main->findChild<QMenu*>(utf("保存地址"));
    ASSERT_EQ(save_menu->actions().size(), 3);
    EXPECT_EQ(save_menu->actions()[0]->text(), utf("保存所有地址"));
    EXPECT_EQ(save_menu->actions()[1]->text(), utf("保存为播放列表"));
    EXPECT_EQ(save_menu->actions()[2]->text(), utf("保存为下载列表"));
    auto* hit_menu = main->findChild<QMenu*>(utf("搜索获取"));
    ASSERT_EQ(hit_menu->actions().size(), 1);
    EXPECT_EQ(hit_menu->actions()[0]->text(), utf("获取地址"));
}

TEST_F(window, choosing_the_same_mode_twice_raises_the_event_twice) {
    auto* modes = child<QComboBox>("组合框1");
    for (int round = 0; round < 2; ++round) {
        common::status_set_text(control::状态条1, 1, "");
        modes->setCurrentIndex(1);
        emit modes->activated(1);
        EXPECT_EQ(status(), QString()) << "the event goes through the queue";
        QTest::qWait(10);
        EXPECT_EQ(status(), utf("启用ID模式，集数框恢复，输入ID与集数!")) << round;
    }
    modes->setCurrentIndex(0);  // set by the program: no event
    QTest::qWait(10);
    EXPECT_TRUE(child<QLineEdit>("编辑框2")->isVisible());
}

TEST_F(window, header_clicks_do_nothing) {
    add_address_row("B", "u2");
    add_address_row("A", "u1");
    auto* header = addresses()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionPosition(1) + 10, 8));
    EXPECT_EQ(common::list_get_cell(control::超级列表框1, 0, 1), "B");
    EXPECT_EQ(common::list_selected_row(control::超级列表框1), -1);
}

TEST_F(window, a_left_click_copies_the_selected_address) {
    QApplication::clipboard()->setText("before");
    auto* list = addresses();
    // An empty list: nothing to copy.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_EQ(status(), utf("当前无内容，无法复制!!"));
    EXPECT_EQ(QApplication::clipboard()->text(), "before");

    add_address_row("第1集", "http://h/a.mp4?x=1&tss=no");
    add_address_row("", "http://h/nameless&tss=no");
    add_address_row("无地址", "");
    click_row(list, 0);
    EXPECT_EQ(QApplication::clipboard()->text(), "http://h/a.mp4?x=1&tss=no");
    EXPECT_EQ(status(), utf("第1集下载地址复制成功！"));
    common::status_set_text(control::状态条1, 1, "");
    click_row(list, 0);  // twice: copied again
    EXPECT_EQ(status(), utf("第1集下载地址复制成功！"));

    QApplication::clipboard()->setText("kept");
    click_row(list, 1);  // a row without a name
    EXPECT_EQ(status(), utf("当前无内容，无法复制!!"));
    click_row(list, 2);  // a row without an address is not reported as copied
    EXPECT_EQ(status(), utf("当前无内容，无法复制!!"));
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");

    click_row(list, 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(100, 140));  // below the rows
    EXPECT_EQ(common::list_selected_row(control::超级列表框1), -1);
    EXPECT_EQ(status(), utf("当前无内容，无法复制!!"));
}

TEST(fatal_error, message_names_the_error) {
    EXPECT_EQ(app::fatal_error_message(gbk<"载入启动窗口失败">()),
              gbk<"运行时出错!">() + "\n\n" + gbk<"错误信息：">() + gbk<"载入启动窗口失败">() + "\n");
}

TEST_F(window, the_prompt_is_the_box_text_itself) {
    auto* search_box = child<QLineEdit>("编辑框1");
    auto* episodes = child<QLineEdit>("编辑框2");
    // Typed by the user, the prompt's words count as the prompt.
    search_box->insert(utf("输入搜索名字"));  // as an input method would type it
    episodes->setFocus();
    QTest::qWait(10);
    EXPECT_EQ(search_box->text(), utf("输入搜索名字"));
    EXPECT_EQ(search_box->palette().color(QPalette::Text), QColor(Qt::black)) << "a non-empty box keeps its colour";
    search_box->setFocus();
    QTest::qWait(10);
    EXPECT_EQ(search_box->text(), QString());
    EXPECT_EQ(status(), utf("输入搜索名字,如毒战,速度与激情等等,或者输入ID"));

    // The user's own text, even spaces, survives leaving and entering.
    QTest::keyClicks(search_box, "  ");
    common::status_set_text(control::状态条1, 1, "x");
    episodes->setFocus();
    QTest::qWait(10);
    search_box->setFocus();
    QTest::qWait(10);
    EXPECT_EQ(search_box->text(), "  ");
    EXPECT_EQ(status(), "x");
}

TEST_F(window, the_button_reports_a_box_still_showing_the_prompt) {
    std::vector<std::string> seen;
    common::set_message_box_hook([&](const std::string& message, int style, const std::string& caption) {
        seen.push_back(message + "|" + std::to_string(style) + "|" + caption);
        return 0;
    });
    child<QComboBox>("组合框1")->setCurrentIndex(1);
    // Clicking the button takes the focus from the empty box first.
    QTest::mouseClick(child<QPushButton>("按钮搜索"), Qt::LeftButton);
    QTest::qWait(10);
    common::set_message_box_hook(nullptr);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], gbk<"出现错误了，请输入搜索内容">() + "|16|" + gbk<"出错了">());
    EXPECT_EQ(common::running_threads(), 0);
}

TEST_F(window, each_mode_shows_its_text_and_the_episode_box_only_in_id_mode) {
    auto* modes = child<QComboBox>("组合框1");
    auto* episodes = child<QLineEdit>("编辑框2");
    auto* label = child<QLabel>("标签1");
    episodes->setText("12");
    common::set_edit_text(control::编辑框1, "1001");
    struct mode_case {
        int index;
        const char* status;
        bool episode_box;
    };
    std::vector<mode_case> cases = {
        {1, "启用ID模式，集数框恢复，输入ID与集数!", true},
        {0, "启用搜索模式，集数框禁用，请输入搜索内容!", false},
        {2, "启用无集数模式，集数框禁用，", false},
        {1, "启用ID模式，集数框恢复，输入ID与集数!", true},
    };
    for (const mode_case& c : cases) {
        modes->setCurrentIndex(c.index);
        emit modes->activated(c.index);
        QTest::qWait(10);
        EXPECT_EQ(status(), utf(c.status)) << c.index;
        EXPECT_EQ(episodes->isVisible(), c.episode_box) << c.index;
        EXPECT_EQ(label->isVisible(), c.episode_box) << c.index;
        EXPECT_TRUE(episodes->isEnabled()) << "hidden, never disabled";
        EXPECT_EQ(episodes->text(), "12") << "kept while hidden";
        EXPECT_EQ(common::edit_text(control::编辑框1), "1001");
    }
}

TEST_F(window, with_no_mode_chosen_the_button_does_nothing) {
    int boxes = 0;
    common::set_message_box_hook([&](const std::string&, int, const std::string&) { return ++boxes, 0; });
    common::set_edit_text(control::编辑框1, "1001");
    common::status_set_text(control::状态条1, 1, "x");
    QTest::mouseClick(child<QPushButton>("按钮搜索"), Qt::LeftButton);
    QTest::qWait(10);
    common::set_message_box_hook(nullptr);
    EXPECT_EQ(boxes, 0);
    EXPECT_EQ(common::running_threads(), 0);
    EXPECT_EQ(status(), "x");
}

TEST_F(window, edit_boxes_keep_a_long_paste_whole) {
    const QString pasted(100'000, QLatin1Char('7'));
    for (control box_name : {control::编辑框1, control::编辑框2}) {
        auto* box = main->findChild<QLineEdit*>(utf(common::control_name(box_name)));
        ASSERT_NE(box, nullptr);
        box->clear();
        box->insert(pasted);  // what a paste does
        EXPECT_EQ(common::edit_text(box_name).size(), 100'000u) << common::control_name(box_name);
    }
}

namespace {

namespace fs = std::filesystem;

// The window with the sample site behind it and the program's directory in a
// folder of its own, driven by keys sent to the widget that has the focus.
class keyboard : public window {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("window_keyboard_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        common::replace_program_directory_for_testing(folder.string());
        site = std::make_unique<sample_site::server>(sample_site::server::default_data_folder(), 0, "10.0.0.7");
        web::replace_hosts_for_testing({site->host(), site->host(), "10.0.0.7"});
        window::SetUp();
    }
    void TearDown() override {
        wait_for_runs();
        common::set_message_box_hook(nullptr);
        window::TearDown();
        site.reset();
        common::replace_program_directory_for_testing("");
        fs::remove_all(folder);
    }
    static void wait_for_runs() {
        for (int waited = 0; common::running_threads() > 0 && waited < 20000; waited += 10) QTest::qWait(10);
    }
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, key, modifiers);
    }
    // Opens the focused list's menu with `key` and chooses item `item` with
    // the arrow keys and Enter; what opened, and where.
    popup_seen choose_by_key(QKeyCombination key, int item) {
        popup_seen seen;
        QTimer::singleShot(50, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr) return;
            seen.title = menu->title();
            seen.at = menu->pos();
            seen.first_active = !menu->actions().isEmpty() && menu->activeAction() == menu->actions().first();
            for (int down = 0; down < item; ++down) QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        press(key.key(), key.keyboardModifiers());
        QTest::qWait(100);
        return seen;
    }
    static QPoint below_row(QTableWidget* list, int row) {
        return list->viewport()->mapToGlobal(list->visualItemRect(list->item(row, 0)).bottomLeft() + QPoint(3, 1));
    }
    std::string file(const char* name) {
        std::ifstream in(folder / name, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    fs::path folder;
    std::unique_ptr<sample_site::server> site;
};

}  // namespace

TEST_F(keyboard, search_resolve_copy_and_save_without_a_mouse) {
    auto* hits = child<QTableWidget>("超级列表框2");
    auto* button = child<QPushButton>("按钮搜索");
    std::vector<std::string> boxes;
    common::set_message_box_hook([&](const std::string& message, int, const std::string&) {
        boxes.push_back(message);
        return 0;
    });

    // Enter in the empty search box presses the button as a click does: the
    // prompt comes back and the button asks for a keyword; then the caret is
    // in the box, emptied for typing.
    auto* search_box = child<QLineEdit>("编辑框1");
    child<QComboBox>("组合框1")->setFocus();
    press(Qt::Key_Down);  // the first mode: search
    QTest::qWait(10);
    EXPECT_EQ(status(), utf("启用搜索模式，集数框禁用，请输入搜索内容!"));
    search_box->setFocus();
    std::vector<QString> shown;
    QObject::connect(search_box, &QLineEdit::textChanged, search_box, [&](const QString& text) { shown.push_back(text); });
    press(Qt::Key_Return);
    EXPECT_EQ(shown, (std::vector<QString>{utf("输入搜索名字"), QString()})) << "the prompt came back, then went";
    ASSERT_EQ(boxes, std::vector<std::string>{gbk<"出现错误了，请输入搜索内容">()});
    EXPECT_TRUE(search_box->hasFocus());
    EXPECT_EQ(search_box->text(), QString());

    QInputMethodEvent typed;  // what an input method sends when a word is chosen
    typed.setCommitString(utf("毒"));
    QApplication::sendEvent(QApplication::focusWidget(), &typed);
    EXPECT_EQ(search_box->text(), utf("毒")) << "what is typed after Enter lands in the box";
    press(Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_EQ(hits->rowCount(), 2) << "the search is done when Enter returns";
    EXPECT_TRUE(search_box->hasFocus());
    EXPECT_FALSE(button->hasFocus());

    // Tab reaches the hits with the first one selected; it is resolved by
    // Enter and by its menu, opened with Shift+F10 on its first item.
    for (int tab = 0; tab < 4 && !hits->hasFocus(); ++tab) press(Qt::Key_Tab);
    ASSERT_TRUE(hits->hasFocus());
    EXPECT_EQ(common::list_selected_row(control::超级列表框2), 0);
    press(Qt::Key_Return);
    wait_for_runs();
    ASSERT_EQ(addresses()->rowCount(), 12);
    EXPECT_EQ(common::list_selected_row(control::超级列表框2), 0);
    common::list_clear(control::超级列表框1);
    popup_seen seen = choose_by_key(Qt::ShiftModifier | Qt::Key_F10, 0);
    EXPECT_EQ(seen.title, utf("搜索获取"));
    EXPECT_TRUE(seen.first_active);
    EXPECT_EQ(seen.at, below_row(hits, 0));
    wait_for_runs();
    ASSERT_EQ(addresses()->rowCount(), 12);

    // Ctrl+C and Enter copy the current address through the copy handler;
    // the list took the focus with its first row selected, so the first Down
    // goes to the second.
    press(Qt::Key_Tab);
    ASSERT_TRUE(addresses()->hasFocus());
    EXPECT_EQ(common::list_selected_row(control::超级列表框1), 0);
    press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), addresses()->item(0, 2)->text());
    EXPECT_EQ(status(), utf("毒战 第1集下载地址复制成功！"));
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_EQ(QApplication::clipboard()->text(), addresses()->item(1, 2)->text());
    EXPECT_EQ(status(), utf("毒战 第2集下载地址复制成功！"));

    // Each save from the menu, opened with the menu key or Shift+F10; one of
    // the twelve episodes has no address for the lists.
    struct save_case {
        QKeyCombination key;
        const char* file;
        const char* status;
    };
    std::vector<save_case> saves = {
        {Qt::Key_Menu, "毒战.html", "下载地址保存成功. 毒战.html 地址保存在软件目录下"},
        {Qt::ShiftModifier | Qt::Key_F10, "毒战.m3u8", "播放列表保存成功. 毒战.m3u8 共11个地址保存在软件目录下"},
        {Qt::Key_Menu, "毒战.txt", "下载列表保存成功. 毒战.txt 共11个地址保存在软件目录下"},
    };
    for (std::size_t item = 0; item < saves.size(); ++item) {
        seen = choose_by_key(saves[item].key, static_cast<int>(item));
        EXPECT_EQ(seen.title, utf("保存地址")) << item;
        EXPECT_TRUE(seen.first_active) << item;
        EXPECT_EQ(seen.at, below_row(addresses(), 1)) << item;
        EXPECT_EQ(status(), utf(saves[item].status)) << item;
        EXPECT_NE(file(saves[item].file).find(addresses()->item(11, 2)->text().toStdString()), std::string::npos)
            << saves[item].file;
    }
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(window, controls_have_names_and_the_status_part_its_whole_text) {
    // Each control by the form's accessible name, or its caption.
    for (const form::control_form& f : form::controls) {
        if (f.type == form::kind::status_bar || (f.accessible_name.empty() && f.type != form::kind::push_button)) continue;
        const char* name = common::control_name(f.name);
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(child<QWidget>(name));
        ASSERT_NE(face, nullptr) << name;
        EXPECT_EQ(face->text(QAccessible::Name), u(f.accessible_name.empty() ? f.caption : f.accessible_name)) << name;
    }
    // The bar is named; its message part reads as the message it shows.
    auto* part = main->findChild<QLabel*>("part1");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(child<QStatusBar>("状态条1"))->text(QAccessible::Name),
              u(form::of(control::状态条1).accessible_name));
    common::status_set_text(control::状态条1, 1, gbk<"毒战 第1集下载地址复制成功！">());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(part)->text(QAccessible::Name), utf("毒战 第1集下载地址复制成功！"));

    // A text too long for the part shows both ends; page text in it stays
    // text in the tooltip, which holds it whole, as the description does.
    const QString whole = utf("下载列表保存成功. <b>夜</b> & 1.txt 共3个地址保存在 /home/alice/Downloads/很长的文件夹/名字.txt");
    common::status_set_text(control::状态条1, 1, common::convert_utf8_to_gbk(whole.toStdString()));
    EXPECT_TRUE(part->text().contains(QChar(0x2026))) << part->text().toStdString();
    EXPECT_TRUE(whole.startsWith(part->text().section(QChar(0x2026), 0, 0)));
    EXPECT_TRUE(whole.endsWith(part->text().section(QChar(0x2026), 1)));
    EXPECT_TRUE(part->text().endsWith(utf("名字.txt")));
    EXPECT_LE(part->fontMetrics().horizontalAdvance(part->text()), part->contentsRect().width());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(part)->text(QAccessible::Name), part->text());
    EXPECT_EQ(QTextDocumentFragment::fromHtml(part->toolTip()).toPlainText(), whole);
    EXPECT_EQ(part->accessibleDescription(), whole);
    common::status_set_text(control::状态条1, 1, "");
    EXPECT_EQ(part->toolTip(), QString());
}
