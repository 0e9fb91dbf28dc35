// The Win32 window driven as a user drives it: the pointer placed and its
// button and key messages queued for the controls, the controls' own
// notifications, the real menus and message loop, against the sample site
// named by QUORLA_SITE_HOST and QUORLA_SEARCH_HOST (see run-window-tests).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/form.h"
#include "win32/main_window_win32.h"
#include "common/code_page.h"
#include "common/gbk.h"
#include "services/system_services.h"
#include "services/testing_hooks.h"
#include "web/site_hosts.h"
#include "win32/window_binding_win32.h"

using common::control;
namespace form = app::form;
namespace fs = std::filesystem;

namespace {

std::string g(const char* utf8) { return common::convert_utf8_to_gbk(utf8); }
std::wstring w(const char* utf8) { return common::wide_from_gbk(g(utf8)); }
std::wstring u(std::string_view utf8) { return common::wide_from_gbk(common::convert_utf8_to_gbk(utf8)); }

HWND ctl(control which) { return app::control_handle(which); }

// Lets the window work for `ms` milliseconds, or until `done` holds.
bool pump_until(const std::function<bool()>& done, int ms) {
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(ms);
    for (;;) {
        common::process_events();
        if (done && done()) return true;
        if (GetTickCount64() >= until) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}
void pump(int ms) { pump_until(nullptr, ms); }

std::wstring text_of(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring status_text(int part) {
    wchar_t text[1024] = {};
    SendMessageW(ctl(control::状态条1), SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
    return text;
}

// A control's rectangle in its parent's client area: left, top, width, height.
RECT placed(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::wstring header_text(HWND list, int column) {
    wchar_t text[64] = {};
    LVCOLUMNW entry{};
    entry.mask = LVCF_TEXT;
    entry.pszText = text;
    entry.cchTextMax = 64;
    SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&entry));
    return text;
}

int rows_of(control list) { return common::list_row_count(list); }

// --- input as the system delivers it: the pointer placed, then the button
// and key messages in the window's queue, through the window's own message
// loop (synthesized hardware input races with the X server's pointer under
// Wine on a loaded machine).

void move_pointer(HWND hwnd, POINT client) {
    ClientToScreen(hwnd, &client);
    SetCursorPos(client.x, client.y);
    // Under Wine the move goes through the X server: on a busy machine the
    // pointer reads back its old place for a while. Wait until it is there.
    for (int waited = 0; waited < 3000; waited += 30) {
        pump(30);
        POINT now{};
        if (GetCursorPos(&now) && now.x == client.x && now.y == client.y) break;
        SetCursorPos(client.x, client.y);
    }
}

// A click (or only the press) at `client` in `hwnd`.
void click(HWND hwnd, POINT client, bool right = false, bool press_only = false) {
    move_pointer(hwnd, client);
    const LPARAM at = MAKELPARAM(client.x, client.y);
    PostMessageW(hwnd, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
    if (!press_only) PostMessageW(hwnd, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
    pump(150);
}

// Holds the modifier keys (as the thread's key state reads them) while
// `key` is pressed in the focused control.
void press_key(WORD key, std::vector<WORD> held = {}) {
    BYTE keys[256];
    GetKeyboardState(keys);
    BYTE kept[256];
    std::memcpy(kept, keys, sizeof keys);
    for (WORD k : held) keys[k] = 0x80;
    SetKeyboardState(keys);
    const bool system_key = key == VK_F10;  // F10 comes as a system key
    HWND focus = GetFocus();
    PostMessageW(focus, system_key ? WM_SYSKEYDOWN : WM_KEYDOWN, key, 1);
    PostMessageW(focus, system_key ? WM_SYSKEYUP : WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    pump(150);
    SetKeyboardState(kept);
}

POINT row_point(HWND list, int row) {
    RECT cell{};
    cell.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    return {cell.left + 20, (cell.top + cell.bottom) / 2};
}

// The pop-up menu on the screen, if one is open.
struct open_menu {
    bool seen = false;
    RECT place{};
    int items = 0;
    bool first_highlighted = false;
};
open_menu seen_menu;
WORD menu_keys_down = 0;  // Down presses before Enter; 0 closes the menu

// While a menu is open its own loop runs: a timer looks at the menu, then
// chooses an item by keyboard or closes it.
void CALLBACK look_at_menu(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (menu == nullptr || !IsWindowVisible(menu)) return;
    seen_menu.seen = true;
    GetWindowRect(menu, &seen_menu.place);
    HMENU items = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
    seen_menu.items = items != nullptr ? GetMenuItemCount(items) : 0;
    seen_menu.first_highlighted = items != nullptr && (GetMenuState(items, 0, MF_BYPOSITION) & MF_HILITE) != 0;
    if (menu_keys_down == 0) {
        EndMenu();
        return;
    }
    // From the highlighted first item, or from none.
    const WORD downs = menu_keys_down - (seen_menu.first_highlighted ? 1 : 0);
    for (WORD i = 0; i < downs; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 1);
}

// Runs `open`, which opens a menu; the menu is looked at and then closed
// (choose 0) or its item `choose` (1-based) chosen by keyboard.
open_menu watch_menu(const std::function<void()>& open, WORD choose = 0) {
    seen_menu = {};
    menu_keys_down = choose;
    UINT_PTR timer = SetTimer(nullptr, 0, 300, look_at_menu);
    open();
    pump(200);
    KillTimer(nullptr, timer);
    return seen_menu;
}

std::string clipboard(UINT format) {
    std::string bytes;
    if (!OpenClipboard(nullptr)) return "<closed>";
    if (HANDLE data = GetClipboardData(format)) {
        if (const void* at = GlobalLock(data)) {
            if (format == CF_UNICODETEXT) {
                std::wstring wide(static_cast<const wchar_t*>(at));
                bytes = common::gbk_from_wide(wide);
            } else {
                bytes = static_cast<const char*>(at);
            }
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return bytes;
}

void put_on_clipboard(const std::string& text) { common::set_clipboard_text(text); }

// As the user types into a box: the focus first, then the text.
void type_into(control edit, const char* utf8) {
    SetFocus(ctl(edit));
    pump(20);
    SetWindowTextW(ctl(edit), w(utf8).c_str());
}

// As the user picks a mode: the list's choice, then the notification the
// drop-down sends for a completed choice.
void choose_mode(int index) {
    HWND modes = ctl(control::组合框1);
    SendMessageW(modes, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(GetParent(modes), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(modes), CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(modes));
    pump(30);
}

void click_button() { click(ctl(control::按钮搜索), {28, 10}); }

bool runs_ended() { return common::running_threads() == 0; }

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class window : public ::testing::Test {
protected:
    void SetUp() override {
        common::clear_stop_for_testing();
        main = app::load_main_window();
        ASSERT_NE(main, nullptr);
        app::show_main_window(main);
        pump(200);
    }
    void TearDown() override {
        pump_until(runs_ended, 20000);
        common::set_message_box_hook(nullptr);
        SendMessageW(main, WM_CLOSE, 0, 0);
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        common::clear_stop_for_testing();
    }
    HWND main = nullptr;
};

}  // namespace

TEST_F(window, controls_stand_where_the_form_puts_them) {
    EXPECT_EQ(text_of(main), u(form::title));
    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, form::client_width);
    EXPECT_EQ(client.bottom, form::client_height);
    // The outer size keeps the form's client area with this system's frame.
    RECT outer;
    GetWindowRect(main, &outer);
    RECT frame{0, 0, form::client_width, form::client_height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(main, GWL_STYLE)), FALSE, 0);
    EXPECT_EQ(outer.right - outer.left, frame.right - frame.left);
    EXPECT_EQ(outer.bottom - outer.top, frame.bottom - frame.top);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2) << "centred";
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2);
    auto style = static_cast<DWORD>(GetWindowLongPtrW(main, GWL_STYLE));
    EXPECT_FALSE(style & WS_THICKFRAME) << "fixed border";
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);

    for (const form::control_form& f : form::controls) {
        if (f.has(form::docked_bottom)) continue;  // below
        HWND hwnd = ctl(f.name);
        const char* name = common::control_name(f.name);
        ASSERT_NE(hwnd, nullptr) << name;
        EXPECT_EQ(GetParent(hwnd), f.in_window() ? main : ctl(f.parent)) << name;
        RECT r = placed(hwnd);
        EXPECT_EQ(r.left, f.place.left) << name;
        EXPECT_EQ(r.top, f.place.top) << name;
        EXPECT_EQ(r.right, f.place.width) << name;
        EXPECT_EQ(r.bottom, f.place.height) << name;
        EXPECT_TRUE(IsWindowVisible(hwnd)) << name;
        EXPECT_EQ((GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_TABSTOP) != 0, f.has(form::tab_stop)) << name;
        if (f.type != form::kind::edit_box && f.type != form::kind::drop_down_list && f.type != form::kind::list_view) {
            EXPECT_EQ(text_of(hwnd), u(f.caption)) << name;
        }
    }
    // Labels never wrap; edit boxes: one line, centred, scrolling sideways.
    for (control label : {control::标签1, control::标签2}) {
        EXPECT_EQ(GetWindowLongPtrW(ctl(label), GWL_STYLE) & SS_TYPEMASK, SS_LEFTNOWORDWRAP);
    }
    for (control edit : {control::编辑框1, control::编辑框2}) {
        auto edit_style = GetWindowLongPtrW(ctl(edit), GWL_STYLE);
        EXPECT_TRUE(edit_style & ES_CENTER);
        EXPECT_TRUE(edit_style & ES_AUTOHSCROLL);
        EXPECT_FALSE(edit_style & ES_MULTILINE);
    }

    HWND modes = ctl(control::组合框1);
    const auto& items = form::of(control::组合框1).items;
    ASSERT_EQ(SendMessageW(modes, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) {
        wchar_t item[32] = {};
        SendMessageW(modes, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
        EXPECT_EQ(std::wstring(item), u(items[i]));
    }
    EXPECT_EQ(SendMessageW(modes, CB_GETCURSEL, 0, 0), CB_ERR) << "no mode chosen";
    EXPECT_EQ(common::selected_index(control::组合框1), -1);
    EXPECT_EQ(GetWindowLongPtrW(modes, GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    EXPECT_FALSE(GetWindowLongPtrW(modes, GWL_STYLE) & CBS_SORT);
    // Opened, the selector with its list makes 160 px.
    SendMessageW(modes, CB_SHOWDROPDOWN, TRUE, 0);
    pump(50);
    COMBOBOXINFO opened{};
    opened.cbSize = sizeof opened;
    GetComboBoxInfo(modes, &opened);
    RECT list_place, field_place;
    GetWindowRect(opened.hwndList, &list_place);
    GetWindowRect(modes, &field_place);
    EXPECT_EQ(list_place.bottom - field_place.top, form::dropped_height);
    SendMessageW(modes, CB_SHOWDROPDOWN, FALSE, 0);

    for (control list : {control::超级列表框1, control::超级列表框2}) {
        HWND hwnd = ctl(list);
        const auto& columns = form::of(list).columns;
        HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd, LVM_GETHEADER, 0, 0));
        ASSERT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(columns.size()));
        for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
            EXPECT_EQ(header_text(hwnd, c), u(columns[c].header)) << c;
            EXPECT_EQ(SendMessageW(hwnd, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0), columns[c].width) << c;
        }
        auto list_style = GetWindowLongPtrW(hwnd, GWL_STYLE);
        EXPECT_EQ(list_style & LVS_TYPEMASK, LVS_REPORT);
        EXPECT_TRUE(list_style & LVS_SINGLESEL);
        EXPECT_TRUE(list_style & LVS_SHOWSELALWAYS);
        EXPECT_FALSE(list_style & (LVS_SORTASCENDING | LVS_SORTDESCENDING | LVS_EDITLABELS | LVS_NOSORTHEADER));
        auto extended = SendMessageW(hwnd, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
        EXPECT_EQ(extended & (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_FLATSB),
                  LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_FLATSB);
        EXPECT_EQ(SendMessageW(hwnd, LVM_GETBKCOLOR, 0, 0), form::input_background);
        EXPECT_EQ(SendMessageW(hwnd, LVM_GETTEXTBKCOLOR, 0, 0), form::input_background);
        EXPECT_EQ(SendMessageW(hwnd, LVM_GETTEXTCOLOR, 0, 0), form::input_text);
    }

    // The status bar lies along the bottom edge (its height follows its font).
    HWND status = ctl(control::状态条1);
    RECT bar = placed(status);
    EXPECT_EQ(bar.left, 0);
    EXPECT_EQ(bar.right, form::client_width);
    EXPECT_EQ(bar.top + bar.bottom, form::client_height);
    int parts[4] = {};
    ASSERT_EQ(SendMessageW(status, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(parts)), 2);
    EXPECT_EQ(parts[0], form::status_part_widths[0]);
    EXPECT_EQ(parts[1], form::status_part_widths[0] + form::status_part_widths[1]);
    EXPECT_EQ(status_text(0), u(form::status_part0));
    EXPECT_FALSE(GetWindowLongPtrW(status, GWL_STYLE) & SBARS_SIZEGRIP);

    // The default GUI font on the window and every control.
    auto font = reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (std::size_t i = 0; i < common::control_count; ++i) {
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(ctl(static_cast<control>(i)), WM_GETFONT, 0, 0)), font) << i;
    }
    for (const form::menu_form& m : form::menus) {
        HMENU menu = app::popup_handle(m.which);
        ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(m.items.size()));
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t caption[32] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), caption, 32, MF_BYPOSITION);
            EXPECT_EQ(std::wstring(caption), u(m.items[static_cast<std::size_t>(i)].caption));
        }
    }
    EXPECT_EQ(GetMenu(main), nullptr) << "no menu bar";
}

bool under_wine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

TEST_F(window, screen_readers_name_each_control_as_its_label_reads) {
    if (under_wine()) {
        GTEST_SKIP() << "Wine 8's oleacc does not read names set by Dynamic Annotation (SetHwndPropStr)";
    }
    for (const form::control_form& f : form::controls) {
        if (f.accessible_name.empty()) continue;
        const char* name = common::control_name(f.name);
        IAccessible* object = nullptr;
        ASSERT_EQ(AccessibleObjectFromWindow(ctl(f.name), static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                             reinterpret_cast<void**>(&object)),
                  S_OK)
            << name;
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR got = nullptr;
        object->get_accName(self, &got);
        EXPECT_EQ(std::wstring(got != nullptr ? got : L""), u(f.accessible_name)) << name;
        SysFreeString(got);
        object->Release();
    }
}

TEST_F(window, first_focus_is_the_search_box_with_the_hint_and_the_prompt_returns) {
    HWND search_box = ctl(control::编辑框1);
    EXPECT_EQ(GetFocus(), search_box);
    EXPECT_EQ(text_of(search_box), L"");
    EXPECT_EQ(status_text(1), w("输入搜索名字,如毒战,速度与激情等等,或者输入ID"));
    click(ctl(control::编辑框2), {20, 10});
    EXPECT_EQ(text_of(search_box), w("输入搜索名字"));
    EXPECT_EQ(common::text_colour_of(search_box), RGB(128, 128, 128));
    EXPECT_EQ(status_text(1), L"");
    // Back into the box: empty, black, the hint again.
    click(search_box, {50, 10});
    EXPECT_EQ(text_of(search_box), L"");
    EXPECT_EQ(common::text_colour_of(search_box), RGB(0, 0, 0));
    EXPECT_EQ(status_text(1), w("输入搜索名字,如毒战,速度与激情等等,或者输入ID"));
    // Reactivated, the window hands the focus back to the control that had it.
    SetFocus(ctl(control::编辑框2));
    SendMessageW(main, WM_ACTIVATE, WA_INACTIVE, 0);
    SetFocus(nullptr);
    SendMessageW(main, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(GetFocus(), ctl(control::编辑框2));
}

TEST_F(window, the_mode_switch_goes_through_the_queue_and_shows_the_episode_box_only_in_id_mode) {
    SetWindowTextW(ctl(control::编辑框2), L"12");
    struct mode_case {
        int index;
        const char* status;
        bool episode_box;
    };
    const mode_case cases[] = {
        {1, "启用ID模式，集数框恢复，输入ID与集数!", true},
        {1, "启用ID模式，集数框恢复，输入ID与集数!", true},  // the same choice again
        {0, "启用搜索模式，集数框禁用，请输入搜索内容!", false},
        {2, "启用无集数模式，集数框禁用，", false},
    };
    HWND modes = ctl(control::组合框1);
    for (const mode_case& c : cases) {
        common::status_set_text(control::状态条1, 1, "");
        SendMessageW(modes, CB_SETCURSEL, static_cast<WPARAM>(c.index), 0);
        SendMessageW(GetParent(modes), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(modes), CBN_SELENDOK),
                     reinterpret_cast<LPARAM>(modes));
        EXPECT_EQ(status_text(1), L"") << "raised through the queue";
        pump(30);
        EXPECT_EQ(status_text(1), w(c.status)) << c.index;
        EXPECT_EQ(IsWindowVisible(ctl(control::编辑框2)) != 0, c.episode_box) << c.index;
        EXPECT_EQ(IsWindowVisible(ctl(control::标签1)) != 0, c.episode_box) << c.index;
        EXPECT_TRUE(IsWindowEnabled(ctl(control::编辑框2))) << "hidden, never disabled";
        EXPECT_EQ(text_of(ctl(control::编辑框2)), L"12");
    }
    // Set by the program: no event.
    SendMessageW(modes, CB_SETCURSEL, 1, 0);
    pump(30);
    EXPECT_FALSE(IsWindowVisible(ctl(control::编辑框2)));
}

TEST_F(window, the_button_reports_a_prompt_and_does_nothing_without_a_mode) {
    std::vector<std::string> boxes;
    common::set_message_box_hook([&](const std::string& message, int style, const std::string& caption) {
        boxes.push_back(message + "|" + std::to_string(style) + "|" + caption);
        return 0;
    });
    choose_mode(1);
    click_button();  // the focus leaves the empty box first: the prompt is back
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], g("出现错误了，请输入搜索内容") + "|16|" + g("出错了"));
    // Enter in an edit box presses the button the same way, and the caret
    // stays in the box, emptied for typing; what is typed then lands there.
    type_into(control::编辑框1, "");
    press_key(VK_RETURN);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(GetFocus(), ctl(control::编辑框1));
    EXPECT_EQ(text_of(ctl(control::编辑框1)), L"");
    PostMessageW(GetFocus(), WM_CHAR, L'x', 1);
    pump(50);
    EXPECT_EQ(text_of(ctl(control::编辑框1)), L"x");
    EXPECT_EQ(common::running_threads(), 0);

    SendMessageW(ctl(control::组合框1), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    type_into(control::编辑框1, "1001");
    common::status_set_text(control::状态条1, 1, "x");
    click_button();
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(common::running_threads(), 0);
    EXPECT_EQ(status_text(1), L"x");
}

TEST_F(window, an_id_mode_run_lists_the_episodes_and_a_click_copies_an_address) {
    const std::string host = web::current_hosts().stream;
    type_into(control::编辑框1, "1001");
    type_into(control::编辑框2, "3");
    choose_mode(1);
    click_button();
    ASSERT_TRUE(pump_until([] { return runs_ended() && rows_of(control::超级列表框1) > 0; }, 20000));
    const int rows = rows_of(control::超级列表框1);
    ASSERT_GE(rows, 3);
    for (int row = 0; row < rows; ++row) {
        EXPECT_EQ(common::list_get_cell(control::超级列表框1, row, 0), std::to_string(row + 1));
        EXPECT_FALSE(common::list_get_cell(control::超级列表框1, row, 1).empty()) << row;
        EXPECT_EQ(common::list_get_cell(control::超级列表框1, row, 2).rfind("http://" + host + "/", 0), 0u) << row;
        EXPECT_FALSE(common::list_get_cell(control::超级列表框1, row, 3).empty()) << row;
    }
    HWND list = ctl(control::超级列表框1);
    const std::string name = common::list_get_cell(control::超级列表框1, 1, 1);
    const std::string address = common::list_get_cell(control::超级列表框1, 1, 2);
    put_on_clipboard("before");
    click(list, row_point(list, 1));
    EXPECT_EQ(clipboard(CF_TEXT), address);
    EXPECT_EQ(clipboard(CF_UNICODETEXT), address);
    EXPECT_EQ(status_text(1), common::wide_from_gbk(name + g("下载地址复制成功！")));

    // The keyboard: Ctrl+C and Enter copy the current row.
    press_key(VK_UP);
    EXPECT_EQ(common::list_selected_row(control::超级列表框1), 0);
    press_key('C', {VK_CONTROL});
    EXPECT_EQ(clipboard(CF_TEXT), common::list_get_cell(control::超级列表框1, 0, 2));
    put_on_clipboard("before");
    press_key(VK_DOWN);
    press_key(VK_RETURN);
    EXPECT_EQ(clipboard(CF_TEXT), address);

    // A click below the rows selects none: nothing to copy.
    put_on_clipboard("kept");
    click(list, {200, 160});
    EXPECT_EQ(common::list_selected_row(control::超级列表框1), -1);
    EXPECT_EQ(status_text(1), w("当前无内容，无法复制!!"));
    EXPECT_EQ(clipboard(CF_TEXT), "kept");
}

TEST_F(window, the_address_menu_opens_beside_the_pointer_and_saves_three_files) {
    const fs::path folder = fs::temp_directory_path() / ("quorla_window_saves_" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    common::replace_program_directory_for_testing(folder.string());
    type_into(control::编辑框1, "1001");
    type_into(control::编辑框2, "2");
    choose_mode(1);
    click_button();
    ASSERT_TRUE(pump_until([] { return runs_ended() && rows_of(control::超级列表框1) >= 2; }, 20000));

    HWND list = ctl(control::超级列表框1);
    // On the empty area too, on the press, at the pointer + 3, + 3.
    const POINT inside{200, 150};
    open_menu seen = watch_menu([&] { click(list, inside, true, true); });
    ASSERT_TRUE(seen.seen);
    POINT pointer = inside;
    ClientToScreen(list, &pointer);
    EXPECT_EQ(seen.place.left, pointer.x + 3);
    EXPECT_EQ(seen.place.top, pointer.y + 3);
    EXPECT_EQ(seen.items, 3);

    for (WORD item = 1; item <= 3; ++item) {
        common::status_set_text(control::状态条1, 1, "");
        seen = watch_menu([&] { click(list, row_point(list, 0), true, true); }, item);
        EXPECT_TRUE(seen.seen) << item;
        pump_until([] { return !status_text(1).empty(); }, 10000);
        EXPECT_NE(status_text(1).find(w("保存成功")), std::wstring::npos) << item;
    }
    std::vector<fs::path> saved;
    for (const auto& entry : fs::directory_iterator(folder)) saved.push_back(entry.path());
    ASSERT_EQ(saved.size(), 3u);
    const std::string first_name = common::convert_gbk_to_utf8(common::list_get_cell(control::超级列表框1, 0, 1));
    for (const fs::path& file : saved) {
        const std::string bytes = read_file(file);
        const std::string extension = file.extension().string();
        for (int row = 0; row < rows_of(control::超级列表框1); ++row) {
            EXPECT_NE(bytes.find(common::list_get_cell(control::超级列表框1, row, 2)), std::string::npos)
                << extension << " row " << row;
        }
        if (extension == ".html") {
            EXPECT_NE(bytes.find("<pre>"), std::string::npos);
        }
        if (extension == ".m3u8") {
            EXPECT_EQ(bytes.rfind("#EXTM3U\n#EXTINF:-1," + first_name + "\n" +
                                      common::list_get_cell(control::超级列表框1, 0, 2) + "\n",
                                  0),
                      0u);
        }
        if (extension == ".txt") {
            EXPECT_EQ(bytes.rfind(common::list_get_cell(control::超级列表框1, 0, 2) + "\n out=" + first_name, 0), 0u);
        }
    }
    common::replace_program_directory_for_testing("");
    fs::remove_all(folder);
}

TEST_F(window, a_search_lists_its_hits_and_a_hit_resolves_from_its_menu_or_by_enter) {
    type_into(control::编辑框1, "夜");
    choose_mode(0);
    click_button();  // returns once the search has finished
    const int hits = rows_of(control::超级列表框2);
    ASSERT_GT(hits, 0);
    for (int row = 0; row < hits; ++row) {
        EXPECT_EQ(common::list_get_cell(control::超级列表框2, row, 0), std::to_string(row + 1));
        EXPECT_FALSE(common::list_get_cell(control::超级列表框2, row, 4).empty()) << "the hidden ID, row " << row;
    }
    HWND list = ctl(control::超级列表框2);
    // A right click on a hit: its menu, and "获取地址" runs that programme.
    open_menu seen = watch_menu([&] { click(list, row_point(list, 0), true); }, 1);
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.items, 1);
    EXPECT_EQ(common::list_selected_row(control::超级列表框2), 0);
    ASSERT_TRUE(pump_until([] { return runs_ended() && rows_of(control::超级列表框1) > 0; }, 20000));

    // The keyboard: the menu key opens the menu at the current row, Enter
    // on a hit starts its run.
    common::list_clear(control::超级列表框1);
    SetFocus(list);
    seen = watch_menu([&] { press_key(VK_APPS); });
    ASSERT_TRUE(seen.seen);
    EXPECT_TRUE(seen.first_highlighted) << "a menu opened by key starts on its first item";
    RECT row_box{};
    row_box.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row_box));
    MapWindowPoints(list, HWND_DESKTOP, reinterpret_cast<POINT*>(&row_box), 2);
    EXPECT_EQ(seen.place.top, row_box.bottom + 1) << "below the current row";
    EXPECT_EQ(seen.place.left, row_box.left + 3);
    seen = watch_menu([&] { press_key(VK_F10, {VK_SHIFT}); });
    EXPECT_TRUE(seen.seen) << "Shift+F10";
    press_key(VK_RETURN);
    EXPECT_TRUE(pump_until([] { return runs_ended() && rows_of(control::超级列表框1) > 0; }, 20000));
}

// Another program's hold on the clipboard, from a thread of its own.
class clipboard_holder {
public:
    explicit clipboard_holder(int ms)
        : thread_([this, ms] {
              HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
              held_ = OpenClipboard(owner);
              Sleep(static_cast<DWORD>(ms));
              if (held_) CloseClipboard();
              DestroyWindow(owner);
          }) {
        while (!held_) Sleep(5);
    }
    ~clipboard_holder() { thread_.join(); }

private:
    std::atomic<bool> held_{false};
    std::thread thread_;
};

TEST_F(window, keys_focus_and_status_as_a_keyboard_user_meets_them) {
    type_into(control::编辑框1, "1001");
    type_into(control::编辑框2, "3");
    choose_mode(1);
    press_key(VK_RETURN);  // in the episode box
    EXPECT_EQ(GetFocus(), ctl(control::编辑框2)) << "the caret stays where the user typed";
    ASSERT_TRUE(pump_until([] { return runs_ended() && rows_of(control::超级列表框1) >= 3; }, 20000));

    // The list takes the focus with its first row selected; Down goes on to
    // the second.
    HWND list = ctl(control::超级列表框1);
    EXPECT_EQ(common::list_selected_row(control::超级列表框1), -1);
    SetFocus(list);
    pump(50);
    EXPECT_EQ(common::list_selected_row(control::超级列表框1), 0);
    press_key(VK_DOWN);
    EXPECT_EQ(common::list_selected_row(control::超级列表框1), 1);
    open_menu seen = watch_menu([&] { press_key(VK_F10, {VK_SHIFT}); });
    ASSERT_TRUE(seen.seen);
    EXPECT_TRUE(seen.first_highlighted);

    // A status text too long for its part shows both ends; the tooltip
    // holds it whole.
    const std::string whole = g("下载列表保存成功. 毒战.txt 共11个地址保存在 C:\\users\\root\\Downloads\\一个很长很长的文件夹\\毒战.txt");
    common::status_set_text(control::状态条1, 1, whole);
    const std::wstring shown = status_text(1);
    const std::size_t cut = shown.find(L'\x2026');
    ASSERT_NE(cut, std::wstring::npos) << "shortened";
    const std::wstring all = common::wide_from_gbk(whole);
    EXPECT_EQ(all.substr(0, cut), shown.substr(0, cut));
    EXPECT_EQ(all.substr(all.size() - (shown.size() - cut - 1)), shown.substr(cut + 1));
    EXPECT_NE(shown.find(L"毒战.txt", cut), std::wstring::npos) << "the file's name stays";
    wchar_t tip[512] = {};
    SendMessageW(ctl(control::状态条1), SB_GETTIPTEXTW, MAKEWPARAM(1, 512), reinterpret_cast<LPARAM>(tip));
    EXPECT_EQ(std::wstring(tip), all);

    // A clipboard held by another program for a moment: the copy waits for
    // it. Held for longer than the copy waits: the copy is not claimed.
    const std::string address = common::list_get_cell(control::超级列表框1, 1, 2);
    const std::string name = common::list_get_cell(control::超级列表框1, 1, 1);
    put_on_clipboard("before");
    {
        clipboard_holder busy(300);
        click(list, row_point(list, 1));
    }
    EXPECT_EQ(clipboard(CF_TEXT), address);
    EXPECT_EQ(status_text(1), common::wide_from_gbk(name + g("下载地址复制成功！")));
    put_on_clipboard("before");
    {
        clipboard_holder busy(3000);
        click(list, row_point(list, 1));
        EXPECT_EQ(status_text(1), common::wide_from_gbk(name + g("下载地址复制失败，剪贴板正被其他程序占用！")));
    }
    EXPECT_EQ(clipboard(CF_TEXT), "before");
}

TEST_F(window, workers_reach_the_window_one_call_at_a_time_and_never_after_the_close) {
    // A worker's calls are carried out by the window's thread.
    common::start_thread([] {
        for (int i = 0; i < 50; ++i) {
            int row = common::list_insert_row(control::超级列表框1);
            common::list_set_cell(control::超级列表框1, row, 1, std::to_string(i));
        }
    });
    ASSERT_TRUE(pump_until(runs_ended, 10000));
    ASSERT_EQ(rows_of(control::超级列表框1), 50);
    EXPECT_EQ(common::list_get_cell(control::超级列表框1, 49, 1), "49");
    EXPECT_EQ(common::list_get_cell(control::超级列表框1, 50, 1), "") << "outside the list";
    EXPECT_EQ(common::list_get_cell(control::超级列表框1, -1, 1), "");
    // A long cell comes back whole.
    const std::string long_text(5000, 'x');
    common::list_set_cell(control::超级列表框1, 0, 2, long_text);
    EXPECT_EQ(common::list_get_cell(control::超级列表框1, 0, 2), long_text);

    // The busy pointer over the window while a fetch works, in pairs.
    click(ctl(control::超级列表框1), {200, 100});
    common::show_busy(true);
    common::show_busy(true);
    common::show_busy(false);
    SendMessageW(ctl(control::超级列表框1), WM_SETCURSOR, reinterpret_cast<WPARAM>(ctl(control::超级列表框1)),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    common::show_busy(false);
    SendMessageW(ctl(control::超级列表框1), WM_SETCURSOR, reinterpret_cast<WPARAM>(ctl(control::超级列表框1)),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));

    // Closing: a waiting worker is let go with an empty answer and the window
    // is gone within the wait.
    std::atomic<int> after_close{-2};
    common::start_thread([&] {
        Sleep(300);
        after_close = common::list_row_count(control::超级列表框1);
    });
    const ULONGLONG started = GetTickCount64();
    SendMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_LT(GetTickCount64() - started, 3500u);
    EXPECT_FALSE(IsWindow(main));
    pump_until(runs_ended, 2000);
    EXPECT_EQ(after_close.load(), 0);
}

namespace {

// The program's window in another process, found by its class.
HWND find_program_window(DWORD process, int ms) {
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(ms);
    while (GetTickCount64() < until) {
        for (HWND found = FindWindowW(app::main_window_class, nullptr); found != nullptr;
             found = FindWindowExW(nullptr, found, app::main_window_class, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            if (owner == process && IsWindowVisible(found)) return found;
        }
        Sleep(50);
    }
    return nullptr;
}

HWND child_with_id(HWND window, control which) {
    struct search {
        int id;
        HWND found;
    } wanted{app::first_control_id + static_cast<int>(which), nullptr};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<search*>(data);
            if (GetDlgCtrlID(child) != s->id) return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&wanted));
    return wanted.found;
}

// A Unix path of the build as Wine's drive Z: names it.
std::wstring windows_path(const char* unix_path) {
    std::wstring path = L"Z:" + common::wide_from_gbk(unix_path);
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

}  // namespace

// The real program, its window closed while an ID-mode run waits on a slow
// site: it ends promptly with exit code 0.
TEST(program, closing_during_a_run_ends_the_program_promptly) {
    const char* slow = std::getenv("QUORLA_TEST_SLOW_HOST");
    ASSERT_NE(slow, nullptr) << "run by run-window-tests, which starts a slow sample site";
    // This process's environment with the three hosts on the slow site.
    std::wstring environment;
    if (wchar_t* inherited = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = inherited; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
            if (std::wstring_view(entry).rfind(L"QUORLA_", 0) != 0) environment += std::wstring(entry) + L'\0';
        }
        FreeEnvironmentStringsW(inherited);
    }
    for (const char* role : {"QUORLA_SITE_HOST", "QUORLA_SEARCH_HOST", "QUORLA_STREAM_HOST"}) {
        environment += common::wide_from_gbk(std::string(role) + "=" + slow) + L'\0';
    }
    environment += L'\0';
    std::wstring command = L"\"" + windows_path(QUORLA_PROGRAM) + L"\"";
    STARTUPINFOW start{};
    start.cb = sizeof start;
    wchar_t desktop[] = L"quorla";
    start.lpDesktop = desktop;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                               environment.data(), nullptr, &start, &process));
    CloseHandle(process.hThread);
    HWND program = find_program_window(process.dwProcessId, 15000);
    if (program == nullptr) {
        DWORD early = 0;
        GetExitCodeProcess(process.hProcess, &early);
        TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hProcess);
        FAIL() << "no window; the process's exit code: " << early;
    }
    HWND search_box = child_with_id(program, control::编辑框1);
    HWND episodes = child_with_id(program, control::编辑框2);
    HWND modes = child_with_id(program, control::组合框1);
    HWND button = child_with_id(program, control::按钮搜索);
    SendMessageW(search_box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"1001"));
    SendMessageW(episodes, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"10"));
    SendMessageW(modes, CB_SETCURSEL, 1, 0);
    SendMessageW(GetParent(modes), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(modes), CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(modes));
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    Sleep(700);  // the run waits on the site's slow answers
    const ULONGLONG asked = GetTickCount64();
    PostMessageW(program, WM_CLOSE, 0, 0);
    while (IsWindow(program) && GetTickCount64() - asked < 10000) Sleep(5);
    const ULONGLONG window_gone = GetTickCount64() - asked;
    const DWORD waited = WaitForSingleObject(process.hProcess, 10000);
    const ULONGLONG took = GetTickCount64() - asked;
    DWORD code = 1234;
    GetExitCodeProcess(process.hProcess, &code);
    if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hProcess);
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "still running 10 s after the close";
    EXPECT_EQ(code, 0u);
    EXPECT_LT(took, 4000u) << "at most about 3 s of waiting for the run, then the end";
    std::printf("the window was gone %llu ms and the program ended %llu ms after the close\n",
                static_cast<unsigned long long>(window_gone), static_cast<unsigned long long>(took));
}

int main(int argc, char** argv) {
    // Under Wine the window gets a virtual desktop of its own, so that focus
    // and activation work without a window manager.
    if (HDESK desktop = CreateDesktopW(L"quorla", nullptr, nullptr, 0, GENERIC_ALL, nullptr)) SetThreadDesktop(desktop);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    web::take_hosts_from_environment();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
