#include "win32/main_window_win32.h"

#include <commctrl.h>
// The accessibility GUIDs are defined here (selectany), not taken from
// libuuid, whose IID_IAccessible clashes with liboleacc's.
#include <initguid.h>
#include <oleacc.h>
#include <windowsx.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "app/event_table.h"
#include "app/form.h"
#include "app/handlers.h"
#include "app/input_modes.h"
#include "app/list_keys.h"
#include "app/program.h"
#include "common/code_page.h"
#include "win32/window_binding_win32.h"

namespace app {
namespace {

using common::control;

constexpr DWORD window_style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr COLORREF control_background = form::input_background;

// The mode selector's completed choice, handed on through the queue.
constexpr UINT mode_chosen_message = WM_APP + 1;
// The mode selector's list has just opened.
constexpr UINT list_opened_message = WM_APP + 2;

std::wstring wide(std::string_view utf8) { return common::wide_from_gbk(common::convert_utf8_to_gbk(utf8)); }

// A control's window class, style and extended style, from its kind and looks.
struct native_type {
    const wchar_t* type;
    DWORD style;
    DWORD extended;
};

native_type native_type_of(const form::control_form& c) {
    DWORD style = WS_CHILD | WS_VISIBLE | (c.has(form::tab_stop) ? WS_TABSTOP : 0);
    const DWORD edge = c.has(form::sunken_border) ? WS_EX_CLIENTEDGE : 0;
    switch (c.type) {
        case form::kind::label:
            return {L"STATIC", style | (c.has(form::no_word_wrap) ? SS_LEFTNOWORDWRAP : SS_LEFT) | SS_CENTERIMAGE | SS_NOPREFIX,
                    edge};
        case form::kind::edit_box:
            return {WC_EDITW,
                    style | (c.has(form::centred) ? ES_CENTER : ES_LEFT) | (c.has(form::scrolls_sideways) ? ES_AUTOHSCROLL : 0),
                    edge};
        case form::kind::drop_down_list:
            return {WC_COMBOBOXW, style | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_NOINTEGRALHEIGHT, edge};
        case form::kind::push_button: return {WC_BUTTONW, style | BS_PUSHBUTTON, edge};
        case form::kind::list_view:
            return {WC_LISTVIEWW,
                    style | LVS_REPORT | (c.has(form::single_selection) ? LVS_SINGLESEL : 0) |
                        (c.has(form::selection_always_shown) ? LVS_SHOWSELALWAYS : 0) |
                        (c.has(form::clickable_header) ? 0 : LVS_NOSORTHEADER),
                    edge};
        case form::kind::group_box:
            return {WC_BUTTONW, style | BS_GROUPBOX | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, edge | WS_EX_CONTROLPARENT};
        case form::kind::status_bar:
            return {STATUSCLASSNAMEW, style | (c.has(form::docked_bottom) ? CCS_BOTTOM : 0) | SBARS_TOOLTIPS |
                                          (c.has(form::no_size_grip) ? 0 : SBARS_SIZEGRIP),
                    edge};
    }
    return {L"STATIC", style, edge};
}

// The window, its controls and what they need; one window per program.
struct window_state {
    common::bound_window bound;
    HBRUSH background = nullptr;
    HFONT scaled_font = nullptr;  // null: the stock default GUI font
    UINT dpi = 96;
    HWND focus_kept = nullptr;  // the control that had the focus when the window was deactivated
    bool activated_before = false;
    bool closing = false;
    int status_minimum = form::status_height;  // what SB_SETMINHEIGHT was last given
} state;

HWND handle(control which) { return state.bound.controls[static_cast<std::size_t>(which)]; }

int control_id(control which) { return first_control_id + static_cast<int>(which); }

// --- the screen's pixel density: the form is laid out for 96 dots an inch

// The system's density (the primary monitor's at log-on), for which the
// stock font is made.
UINT system_dpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT window_dpi(HWND hwnd) {
    using get_dpi = UINT(WINAPI*)(HWND);
    static auto call = reinterpret_cast<get_dpi>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    UINT dpi = call != nullptr && hwnd != nullptr ? call(hwnd) : 0;
    return dpi != 0 ? dpi : system_dpi();
}

int scaled(int pixels) { return MulDiv(pixels, static_cast<int>(state.dpi), 96); }

// The outer size that gives the form's client area with this system's frame;
// with the frame the form was made for, the form's own 436 x 408.
SIZE outer_size() {
    RECT frame{0, 0, scaled(form::client_width), scaled(form::client_height)};
    using adjust_for_dpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static auto adjust = reinterpret_cast<adjust_for_dpi>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    if (adjust == nullptr || !adjust(&frame, window_style, FALSE, 0, state.dpi)) {
        AdjustWindowRectEx(&frame, window_style, FALSE, 0);
    }
    return {frame.right - frame.left, frame.bottom - frame.top};
}

HFONT window_font() {
    return state.scaled_font != nullptr ? state.scaled_font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// On a monitor of another density than the system's the stock font is
// scaled to that one.
void make_font_for_dpi() {
    if (state.scaled_font != nullptr) DeleteObject(state.scaled_font);
    state.scaled_font = nullptr;
    const UINT stock_dpi = system_dpi();
    if (state.dpi == stock_dpi) return;
    LOGFONTW look{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof look, &look);
    look.lfHeight = MulDiv(look.lfHeight, static_cast<int>(state.dpi), static_cast<int>(stock_dpi));
    state.scaled_font = CreateFontIndirectW(&look);
}

// Places every control at its form rectangle (scaled), the columns at their
// widths, the mode selector at the form's closed height and the status bar
// at the bottom edge with its two parts.
void lay_out() {
    for (const form::control_form& c : form::controls) {
        HWND hwnd = handle(c.name);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(window_font()), FALSE);
        if (c.has(form::docked_bottom)) continue;
        int height = c.type == form::kind::drop_down_list ? form::dropped_height : c.place.height;
        MoveWindow(hwnd, scaled(c.place.left), scaled(c.place.top), scaled(c.place.width), scaled(height), TRUE);
    }
    // The selector's closed height follows its field's item height (which
    // some systems read back differently from how they take it).
    HWND modes = handle(control::组合框1);
    int field = static_cast<int>(SendMessageW(modes, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT closed;
        GetWindowRect(modes, &closed);
        int off = scaled(form::of(control::组合框1).place.height) - (closed.bottom - closed.top);
        if (off == 0) break;
        field += off;
        SendMessageW(modes, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
    for (control list : {control::超级列表框1, control::超级列表框2}) {
        int index = 0;
        for (const form::column& c : form::of(list).columns) {
            SendMessageW(handle(list), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index++), scaled(c.width));
        }
    }
    // The status bar is as tall as the form says, where its font allows.
    HWND status = handle(control::状态条1);
    for (int attempt = 0; attempt < 2; ++attempt) {
        SendMessageW(status, WM_SIZE, 0, 0);
        RECT bar;
        GetWindowRect(status, &bar);
        int off = scaled(form::status_height) - (bar.bottom - bar.top);
        if (off == 0) break;
        state.status_minimum = std::max(1, state.status_minimum + off);
        SendMessageW(status, SB_SETMINHEIGHT, static_cast<WPARAM>(state.status_minimum), 0);
    }
    int parts[] = {scaled(form::status_part_widths[0]), scaled(form::status_part_widths[0] + form::status_part_widths[1])};
    SendMessageW(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    SendMessageW(status, WM_SIZE, 0, 0);
}

// --- the event table

// The opened list makes the selector 160 px tall in all, however few its
// items (the list sizes itself to them as it opens); where it opened above
// the field, it grows upwards.
void stretch_opened_list() {
    HWND modes = handle(control::组合框1);
    COMBOBOXINFO parts{};
    parts.cbSize = sizeof parts;
    if (!GetComboBoxInfo(modes, &parts) || !IsWindowVisible(parts.hwndList)) return;
    RECT list, field;
    GetWindowRect(parts.hwndList, &list);
    GetWindowRect(modes, &field);
    const int total = scaled(form::dropped_height);
    if (list.top >= field.bottom - 1) {
        list.bottom = field.top + total;
    } else {
        list.top = field.bottom - total;
    }
    SetWindowPos(parts.hwndList, nullptr, list.left, list.top, list.right - list.left, list.bottom - list.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void on_command(int id, int code) {
    if (id >= first_command_id && id <= first_command_id + static_cast<int>(form::command::resolve)) {
        run_command(static_cast<form::command>(id - first_command_id));
        return;
    }
    // Enter on the focused button, which the dialog keys turn into IDOK.
    if (id == IDOK && GetFocus() == handle(control::按钮搜索)) raise(control::按钮搜索, event::clicked);
    if (id < control_id(control::分组框1) || id > control_id(control::状态条1)) return;
    const auto source = static_cast<control>(id - control_id(control::分组框1));
    if (code == EN_SETFOCUS) raise(source, event::got_focus);
    if (code == EN_KILLFOCUS) raise(source, event::lost_focus);
    if (source == control::组合框1 && code == CBN_SELENDOK) PostMessageW(state.bound.main, mode_chosen_message, 0, 0);
    if (source == control::组合框1 && code == CBN_DROPDOWN) PostMessageW(state.bound.main, list_opened_message, 0, 0);
    if (source == control::按钮搜索 && code == BN_CLICKED) raise(source, event::clicked);
}

LRESULT on_notify(const NMHDR& note) {
    for (control list : {control::超级列表框1, control::超级列表框2}) {
        if (note.hwndFrom == handle(list) && note.code == NM_CLICK) raise(list, event::left_click);
        if (note.hwndFrom == handle(list) && note.code == NM_RCLICK) raise(list, event::right_click);
    }
    return 0;
}

class keyboard_view final : public keyboard_list {
public:
    explicit keyboard_view(HWND list) : list_(list) {}
    // The focused row, else the selected one.
    int current_row() override {
        int row = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        return row >= 0 ? row : static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
    void select_row(int row) override {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    }
    void clear_selection() override {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED;
        SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    }
    void menu_point(int row, int& x, int& y) override {
        POINT at{0, 0};
        RECT header{};
        if (GetWindowRect(reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0)), &header)) {
            at.y = header.bottom - header.top;
        }
        RECT cell{};
        cell.left = LVIR_BOUNDS;
        if (row >= 0 && SendMessageW(list_, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell))) {
            at = {cell.left + 3, cell.bottom + 1};
        }
        ClientToScreen(list_, &at);
        x = at.x;
        y = at.y;
    }

private:
    HWND list_;
};

bool key_down(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// The dialog keys ask a control whether it takes this key: Enter is taken
// by the lists and the edit boxes themselves.
bool enter_key(LPARAM asked) {
    const auto* message = reinterpret_cast<const MSG*>(asked);
    return message != nullptr && message->message == WM_KEYDOWN && message->wParam == VK_RETURN;
}

// The key of a list's key message in the program's words.
list_key list_key_of(UINT message, WPARAM key) {
    if (key == VK_F10 && key_down(VK_SHIFT)) return list_key::menu;
    if (message != WM_KEYDOWN) return list_key::other;
    if (key == VK_APPS) return list_key::menu;
    if (key == VK_RETURN) return list_key::enter;
    if (key == 'C' && key_down(VK_CONTROL)) return list_key::copy;
    return list_key::other;
}

LRESULT CALLBACK list_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    const control list = hwnd == handle(control::超级列表框1) ? control::超级列表框1 : control::超级列表框2;
    switch (message) {
        case WM_GETDLGCODE:
            if (enter_key(lparam)) return DLGC_WANTALLKEYS | DefSubclassProc(hwnd, message, wparam, lparam);
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            keyboard_view view(hwnd);
            const bool repeated = (lparam & (1 << 30)) != 0;
            if (press_list_key(list, list_key_of(message, wparam), repeated, view)) return 0;
            break;
        }
        case WM_SETFOCUS: {
            const LRESULT done = DefSubclassProc(hwnd, message, wparam, lparam);
            // By the keyboard (a click selects the row it lands on itself).
            if (!key_down(VK_LBUTTON) && !key_down(VK_RBUTTON)) {
                keyboard_view view(hwnd);
                list_focused(list, view);
            }
            InvalidateRect(hwnd, nullptr, TRUE);
            return done;
        }
        case WM_KILLFOCUS: InvalidateRect(hwnd, nullptr, TRUE); break;
        case WM_PAINT: {
            // An empty list shows that it has the focus too.
            const LRESULT done = DefSubclassProc(hwnd, message, wparam, lparam);
            if (GetFocus() == hwnd && SendMessageW(hwnd, LVM_GETITEMCOUNT, 0, 0) == 0) {
                RECT area{};
                GetClientRect(hwnd, &area);
                RECT header{};
                GetWindowRect(reinterpret_cast<HWND>(SendMessageW(hwnd, LVM_GETHEADER, 0, 0)), &header);
                area.top += header.bottom - header.top;
                InflateRect(&area, -1, -1);
                HDC dc = GetDC(hwnd);
                DrawFocusRect(dc, &area);
                ReleaseDC(hwnd, dc);
            }
            return done;
        }
        case WM_CHAR:
            // Enter and Ctrl+C were handled as keys; as characters they would
            // only start the list's type-ahead search and beep.
            if (wparam == L'\r' || wparam == L'\n' || wparam == 0x03) return 0;
            break;
        case WM_CONTEXTMENU:
            // From the keyboard: opened on the key itself above.
            if (lparam == -1) return 0;
            break;
        case WM_RBUTTONDOWN: {
            LVHITTESTINFO hit{};
            hit.pt = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
            const int row = static_cast<int>(SendMessageW(hwnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
            keyboard_view view(hwnd);
            SetFocus(hwnd);
            if (press_list_right(list, row, view)) return 0;
            break;
        }
        default: break;
    }
    return DefSubclassProc(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK edit_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    switch (message) {
        case WM_GETDLGCODE:
            if (enter_key(lparam)) return DLGC_WANTALLKEYS | DefSubclassProc(hwnd, message, wparam, lparam);
            break;
        case WM_KEYDOWN:
            if (wparam == VK_RETURN) {
                press_enter(hwnd == handle(control::编辑框1) ? control::编辑框1 : control::编辑框2);
                return 0;
            }
            break;
        case WM_CHAR:
            if (wparam == L'\r' || wparam == L'\n') return 0;
            break;
        default: break;
    }
    return DefSubclassProc(hwnd, message, wparam, lparam);
}

// A group box is the parent of its controls, but the events of those
// controls belong to the window's table: the box hands them on.
LRESULT CALLBACK group_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return SendMessageW(state.bound.main, message, wparam, lparam);
        case WM_ERASEBKGND: {
            // A group box draws only its frame and caption; the space between
            // its controls is the window's own background.
            RECT area;
            GetClientRect(hwnd, &area);
            FillRect(reinterpret_cast<HDC>(wparam), &area, GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        default: return DefSubclassProc(hwnd, message, wparam, lparam);
    }
}

void close_window(HWND hwnd) {
    if (state.closing) return;
    state.closing = true;
    stop_runs_before_close([](int ms) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms), QS_ALLINPUT);
        common::process_events();
    });
    common::unbind_main_window();
    DestroyWindow(hwnd);
}

LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND: on_command(LOWORD(wparam), HIWORD(wparam)); return 0;
        case WM_NOTIFY: return on_notify(*reinterpret_cast<const NMHDR*>(lparam));
        case mode_chosen_message: raise(control::组合框1, event::choice_made); return 0;
        case list_opened_message: stretch_opened_list(); return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX: {
            auto dc = reinterpret_cast<HDC>(wparam);
            SetTextColor(dc, common::text_colour_of(reinterpret_cast<HWND>(lparam)));
            SetBkColor(dc, control_background);
            return reinterpret_cast<LRESULT>(state.background);
        }
        case WM_SETCURSOR:
            if (common::busy_pointer_shown() && LOWORD(lparam) == HTCLIENT) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_ACTIVATE:
            if (LOWORD(wparam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(hwnd, focus)) state.focus_kept = focus;
                return 0;
            }
            if (HIWORD(wparam) != 0) return 0;  // activated while minimized: no focus yet
            // The first time to the search box; later back to the control that
            // had the focus.
            if (!state.activated_before || state.focus_kept == nullptr || !IsWindowVisible(state.focus_kept)) {
                state.activated_before = true;
                SetFocus(handle(control::编辑框1));
            } else {
                SetFocus(state.focus_kept);
            }
            return 0;
        case WM_DPICHANGED: {
            state.dpi = HIWORD(wparam);
            make_font_for_dpi();
            lay_out();
            const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
            SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_CLOSE: close_window(hwnd); return 0;
        case WM_DESTROY:
            common::unbind_main_window();
            PostQuitMessage(0);
            return 0;
        default: break;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

bool register_window_class() {
    static const bool registered = [] {
        WNDCLASSEXW type{};
        type.cbSize = sizeof type;
        type.lpfnWndProc = window_procedure;
        type.hInstance = GetModuleHandleW(nullptr);
        type.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
        type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        type.lpszClassName = main_window_class;
        return RegisterClassExW(&type) != 0;
    }();
    return registered;
}

void add_columns(const form::control_form& c) {
    HWND list = handle(c.name);
    int index = 0;
    for (const form::column& column : c.columns) {
        std::wstring header = wide(column.header);
        LVCOLUMNW entry{};
        entry.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        entry.fmt = LVCFMT_LEFT;
        entry.cx = scaled(column.width);
        entry.pszText = header.data();
        entry.iSubItem = index;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&entry));
    }
    const DWORD looks = (c.has(form::full_row_selection) ? LVS_EX_FULLROWSELECT : 0) |
                        (c.has(form::grid_lines) ? LVS_EX_GRIDLINES : 0) | (c.has(form::flat_scroll_bars) ? LVS_EX_FLATSB : 0);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, looks);
    SendMessageW(list, LVM_SETBKCOLOR, 0, control_background);
    SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, control_background);
    SendMessageW(list, LVM_SETTEXTCOLOR, 0, form::input_text);
}

// A screen reader names each control by the form's accessible name.
void name_controls() {
    // COM for the window's thread, once its windows exist: under Wine, COM
    // set up before the first window ties the process to the default
    // desktop, whatever desktop it was started on.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccPropServices* names = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                reinterpret_cast<void**>(&names)))) {
        return;
    }
    for (const form::control_form& c : form::controls) {
        if (c.accessible_name.empty()) continue;
        std::wstring name = wide(c.accessible_name);
        names->SetHwndPropStr(handle(c.name), static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME, name.c_str());
    }
    names->Release();
}

HMENU make_menu(const form::menu_form& menu) {
    HMENU popup = CreatePopupMenu();
    for (const form::menu_item& item : menu.items) {
        AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(first_command_id + static_cast<int>(item.chosen)),
                    wide(item.caption).c_str());
    }
    return popup;
}

// Creates the controls in the form's order as children of the window, then
// moves each group box's children into it.
bool build_controls(HWND main) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const form::control_form& c : form::controls) {
        const native_type native = native_type_of(c);
        HWND hwnd = CreateWindowExW(native.extended, native.type, wide(c.caption).c_str(), native.style, c.place.left,
                                    c.place.top, c.place.width, c.place.height, main,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id(c.name))), instance, nullptr);
        if (hwnd == nullptr) return false;
        state.bound.controls[static_cast<std::size_t>(c.name)] = hwnd;
    }
    for (const form::control_form& c : form::controls) {
        if (!c.in_window()) SetParent(handle(c.name), handle(c.parent));
    }
    // Tab order follows the stacking order of siblings.
    for (control c : form::stacking_order) {
        SetWindowPos(handle(c), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    for (const form::control_form& c : form::controls) {
        switch (c.type) {
            case form::kind::group_box: SetWindowSubclass(handle(c.name), group_procedure, 1, 0); break;
            case form::kind::edit_box:
                SendMessageW(handle(c.name), EM_SETLIMITTEXT, 0, 0);  // no length limit
                SetWindowSubclass(handle(c.name), edit_procedure, 1, 0);
                break;
            case form::kind::drop_down_list:
                for (std::string_view item : c.items) {
                    SendMessageW(handle(c.name), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(item).c_str()));
                }
                SendMessageW(handle(c.name), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
                break;
            case form::kind::list_view:
                add_columns(c);
                SetWindowSubclass(handle(c.name), list_procedure, 1, 0);
                break;
            case form::kind::status_bar: SendMessageW(handle(c.name), SB_SIMPLE, FALSE, 0); break;
            default: break;
        }
    }
    lay_out();
    SendMessageW(handle(control::状态条1), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide(form::status_part0).c_str()));
    name_controls();
    return true;
}

}  // namespace

HWND load_main_window() {
    if (!register_window_class()) return nullptr;
    state = window_state{};
    state.background = CreateSolidBrush(control_background);
    state.dpi = window_dpi(nullptr);
    make_font_for_dpi();
    SIZE outer = outer_size();
    HWND main = CreateWindowExW(0, main_window_class, wide(form::title).c_str(), window_style, 0, 0,
                                outer.cx, outer.cy, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (main == nullptr) return nullptr;
    // The density of the monitor the window is on, which may differ from the
    // primary one's.
    if (UINT dpi = window_dpi(main); dpi != state.dpi) {
        state.dpi = dpi;
        make_font_for_dpi();
        outer = outer_size();
    }
    state.bound.main = main;
    SendMessageW(main, WM_SETFONT, reinterpret_cast<WPARAM>(window_font()), FALSE);

    if (!build_controls(main)) {
        DestroyWindow(main);
        return nullptr;
    }
    // The focus mark is shown from the start, not only once a key is pressed.
    SendMessageW(main, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    state.bound.save_menu = make_menu(form::of(common::popup::保存地址));
    state.bound.hit_menu = make_menu(form::of(common::popup::搜索获取));
    // Centred on the screen, the divisions truncating.
    int left = (GetSystemMetrics(SM_CXSCREEN) - outer.cx) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - outer.cy) / 2;
    SetWindowPos(main, nullptr, left, top, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    common::bind_main_window(state.bound);
    show_search_prompt();
    return main;
}

void show_main_window(HWND window) {
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    SetForegroundWindow(window);
}

int run_message_loop() {
    MSG message{};
    int got = 0;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) common::dispatch_window_message(message);
    return got == 0 ? static_cast<int>(message.wParam) : -1;
}

HWND control_handle(control which) { return handle(which); }

HMENU popup_handle(common::popup menu) {
    return menu == common::popup::保存地址 ? state.bound.save_menu : state.bound.hit_menu;
}

}  // namespace app
