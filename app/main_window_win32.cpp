#include "app/main_window_win32.h"

#include <commctrl.h>
// The accessibility GUIDs are defined here (selectany), not taken from
// libuuid, whose IID_IAccessible clashes with liboleacc's.
#include <initguid.h>
#include <oleacc.h>
#include <windowsx.h>

#include <algorithm>

#include <array>
#include <initializer_list>
#include <string>
#include <utility>

#include "app/handlers.h"
#include "app/input_modes.h"
#include "export/save_addresses.h"
#include "window/window_binding_win32.h"

namespace app {
namespace {

using common::control;

// The form's outer size, for the frame the form was made with: a 3-px border
// on each side and a 20-px caption around a 430 x 382 client area.
constexpr int outer_width = 436;
constexpr int outer_height = 408;
constexpr int client_width = 430;
constexpr int client_height = 382;
constexpr int status_height = 20;
constexpr int dropped_height = 160;  // the mode selector with its list open
constexpr COLORREF control_background = RGB(192, 220, 192);
constexpr DWORD window_style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// The mode selector's completed choice, handed on through the queue.
constexpr UINT mode_chosen_message = WM_APP + 1;
// The mode selector's list has just opened.
constexpr UINT list_opened_message = WM_APP + 2;

struct form_control {
    control name;
    const wchar_t* type;
    DWORD style;
    DWORD extended;
    RECT place;  // left, top, width, height, relative to its parent
    const wchar_t* caption;
};

constexpr DWORD child = WS_CHILD | WS_VISIBLE;
constexpr DWORD edit_style = child | WS_TABSTOP | ES_CENTER | ES_AUTOHSCROLL;
constexpr DWORD list_style = child | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
constexpr DWORD label_style = child | SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX;
constexpr DWORD group_style = child | BS_GROUPBOX | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

// The form, in its creation order.
const form_control form[] = {
    {control::标签1, L"STATIC", label_style, 0, {175, 13, 32, 20}, L"集数："},
    {control::组合框1, WC_COMBOBOXW, child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_NOINTEGRALHEIGHT, 0, {277, 13, 84, 20}, L""},
    {control::编辑框2, WC_EDITW, edit_style, WS_EX_CLIENTEDGE, {213, 13, 56, 20}, L""},
    {control::超级列表框2, WC_LISTVIEWW, list_style, WS_EX_CLIENTEDGE, {3, 37, 423, 138}, L""},
    {control::标签2, L"STATIC", label_style, 0, {8, 13, 56, 20}, L"搜索视频："},
    {control::超级列表框1, WC_LISTVIEWW, list_style, WS_EX_CLIENTEDGE, {3, 12, 424, 169}, L""},
    {control::分组框2, WC_BUTTONW, group_style, WS_EX_CONTROLPARENT, {0, 178, 430, 184}, L"视频地址"},
    {control::按钮搜索, WC_BUTTONW, child | WS_TABSTOP | BS_PUSHBUTTON, 0, {368, 13, 56, 20}, L"获取结果"},
    {control::编辑框1, WC_EDITW, edit_style, WS_EX_CLIENTEDGE, {66, 13, 102, 20}, L""},
    {control::状态条1, STATUSCLASSNAMEW, child | CCS_BOTTOM | SBARS_TOOLTIPS, 0, {0, 299, 464, 20}, L""},
    {control::分组框1, WC_BUTTONW, group_style, WS_EX_CONTROLPARENT, {0, 0, 430, 178}, L""},
};

// Tab and Shift+Tab walk the input row, then the two lists.
constexpr control tab_order[] = {
    control::分组框1, control::标签2, control::编辑框1, control::标签1, control::编辑框2, control::组合框1,
    control::按钮搜索, control::超级列表框2, control::分组框2, control::超级列表框1, control::状态条1,
};

struct column {
    const wchar_t* header;
    int width;
};
const std::initializer_list<column> address_columns = {{L"ID", 35}, {L"视频名称", 100}, {L"视频地址", 200}, {L"视频格式", 80}};
const std::initializer_list<column> hit_columns = {
    {L"ID", 35}, {L"搜索结果", 240}, {L"总视频数", 65}, {L"更新集数", 65}, {L"视频ID", 0}};

// The window, its controls and what they need; one window per program.
struct window_state {
    common::bound_window bound;
    HBRUSH background = nullptr;
    HFONT scaled_font = nullptr;  // null: the stock default GUI font
    UINT dpi = 96;
    HWND focus_kept = nullptr;  // the control that had the focus when the window was deactivated
    bool activated_before = false;
    bool closing = false;
    int status_minimum = status_height;  // what SB_SETMINHEIGHT was last given
} state;

HWND handle(control which) { return state.bound.controls[static_cast<std::size_t>(which)]; }

control parent_of(control which) {
    switch (which) {
        case control::标签2:
        case control::编辑框1:
        case control::标签1:
        case control::编辑框2:
        case control::组合框1:
        case control::按钮搜索:
        case control::超级列表框2: return control::分组框1;
        case control::超级列表框1: return control::分组框2;
        default: return which;
    }
}

int control_id(control which) { return first_control_id + static_cast<int>(which); }

// --- the screen's pixel density: the form is laid out for 96 dots an inch

UINT window_dpi(HWND hwnd) {
    using get_dpi = UINT(WINAPI*)(HWND);
    static auto call = reinterpret_cast<get_dpi>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    UINT dpi = call != nullptr && hwnd != nullptr ? call(hwnd) : 0;
    if (dpi == 0) {
        HDC screen = GetDC(nullptr);
        dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
        ReleaseDC(nullptr, screen);
    }
    return dpi != 0 ? dpi : 96;
}

int scaled(int pixels) { return MulDiv(pixels, static_cast<int>(state.dpi), 96); }

// The outer size that gives the form's client area with this system's frame;
// with the frame the form was made for, the form's own 436 x 408.
SIZE outer_size() {
    RECT frame{0, 0, scaled(client_width), scaled(client_height)};
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

// The stock font is made for the system's density (the primary monitor's at
// log-on); on a monitor of another density it is scaled to that one.
UINT system_dpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

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
    for (const form_control& c : form) {
        HWND hwnd = handle(c.name);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(window_font()), FALSE);
        if (c.name == control::状态条1) continue;
        int height = c.name == control::组合框1 ? dropped_height : c.place.bottom;
        MoveWindow(hwnd, scaled(c.place.left), scaled(c.place.top), scaled(c.place.right), scaled(height), TRUE);
    }
    // The selector's closed height follows its field's item height (which
    // some systems read back differently from how they take it).
    HWND modes = handle(control::组合框1);
    int field = static_cast<int>(SendMessageW(modes, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT closed;
        GetWindowRect(modes, &closed);
        int off = scaled(20) - (closed.bottom - closed.top);
        if (off == 0) break;
        field += off;
        SendMessageW(modes, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
    for (control list : {control::超级列表框1, control::超级列表框2}) {
        const auto& columns = list == control::超级列表框1 ? address_columns : hit_columns;
        int index = 0;
        for (const column& c : columns) SendMessageW(handle(list), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index++), scaled(c.width));
    }
    // The status bar is as tall as the form says, where its font allows.
    HWND status = handle(control::状态条1);
    for (int attempt = 0; attempt < 2; ++attempt) {
        SendMessageW(status, WM_SIZE, 0, 0);
        RECT bar;
        GetWindowRect(status, &bar);
        int off = scaled(status_height) - (bar.bottom - bar.top);
        if (off == 0) break;
        state.status_minimum = std::max(1, state.status_minimum + off);
        SendMessageW(status, SB_SETMINHEIGHT, static_cast<WPARAM>(state.status_minimum), 0);
    }
    int parts[] = {scaled(50), scaled(50 + 420)};
    SendMessageW(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    SendMessageW(status, WM_SIZE, 0, 0);
}

// --- the event table

void mode_choice_completed() { PostMessageW(state.bound.main, mode_chosen_message, 0, 0); }

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
    const int total = scaled(dropped_height);
    if (list.top >= field.bottom - 1) {
        list.bottom = field.top + total;
    } else {
        list.top = field.bottom - total;
    }
    SetWindowPos(parts.hwndList, nullptr, list.left, list.top, list.right - list.left, list.bottom - list.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// As a click on the button does: the focus moves to the button first.
void press_search_button() {
    HWND button = handle(control::按钮搜索);
    SetFocus(button);
    SendMessageW(state.bound.main, WM_COMMAND, MAKEWPARAM(control_id(control::按钮搜索), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

void on_command(int id, int code) {
    switch (id) {
        case command_save_all: exporting::save_all_addresses(); return;
        case command_save_playlist: exporting::save_playlist(); return;
        case command_save_download_list: exporting::save_download_list(); return;
        case command_resolve: start_resolve_run(); return;
        case IDOK:
            // Enter on the focused button, which the dialog keys turn into IDOK.
            if (GetFocus() == handle(control::按钮搜索)) run_search_button();
            return;
        default: break;
    }
    if (id == control_id(control::编辑框1)) {
        if (code == EN_SETFOCUS) enter_search_box();
        if (code == EN_KILLFOCUS) leave_search_box();
    } else if (id == control_id(control::组合框1)) {
        if (code == CBN_SELENDOK) mode_choice_completed();
        if (code == CBN_DROPDOWN) PostMessageW(state.bound.main, list_opened_message, 0, 0);
    } else if (id == control_id(control::按钮搜索)) {
        if (code == BN_CLICKED) run_search_button();
    }
}

LRESULT on_notify(const NMHDR& note) {
    if (note.hwndFrom == handle(control::超级列表框1) && note.code == NM_CLICK) copy_address();
    if (note.hwndFrom == handle(control::超级列表框2) && note.code == NM_RCLICK) popup_hit_menu();
    return 0;
}

// The row the keyboard is on: the focused row, selected so that the handlers,
// which read the selection, act on it. -1 when the list has none.
int keyboard_row(HWND list) {
    int row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (row < 0) row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row >= 0) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
    return row;
}

// The menu key and Shift+F10: the list's own menu below the left end of the
// current row, or at the top left of the rows without one.
void open_menu_from_keyboard(HWND list) {
    int row = keyboard_row(list);
    POINT at{0, 0};
    RECT header{};
    if (GetWindowRect(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)), &header)) {
        at.y = header.bottom - header.top;
    }
    if (row >= 0) {
        RECT cell{};
        cell.left = LVIR_BOUNDS;
        if (SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell))) {
            at = {cell.left + 3, cell.bottom + 1};
        }
    }
    ClientToScreen(list, &at);
    if (list == handle(control::超级列表框1)) {
        popup_address_menu(at.x, at.y);
    } else {
        popup_hit_menu(at.x, at.y);
    }
}

bool key_down(int key) { return (GetKeyState(key) & 0x8000) != 0; }

LRESULT CALLBACK list_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    const bool addresses = hwnd == handle(control::超级列表框1);
    switch (message) {
        case WM_GETDLGCODE:
            if (lparam != 0 && reinterpret_cast<const MSG*>(lparam)->message == WM_KEYDOWN &&
                reinterpret_cast<const MSG*>(lparam)->wParam == VK_RETURN) {
                return DLGC_WANTALLKEYS | DefSubclassProc(hwnd, message, wparam, lparam);
            }
            break;
        case WM_KEYDOWN: {
            const bool repeated = (lparam & (1 << 30)) != 0;  // a held key acts once
            if (wparam == VK_RETURN) {
                if (repeated) return 0;
                if (addresses) {
                    keyboard_row(hwnd);
                    copy_address();
                } else if (keyboard_row(hwnd) >= 0) {
                    start_resolve_run();
                }
                return 0;
            }
            if (wparam == VK_APPS || (wparam == VK_F10 && key_down(VK_SHIFT))) {
                if (!repeated) open_menu_from_keyboard(hwnd);
                return 0;
            }
            if (addresses && wparam == 'C' && key_down(VK_CONTROL)) {
                if (repeated) return 0;
                keyboard_row(hwnd);
                copy_address();
                return 0;
            }
            break;
        }
        case WM_SYSKEYDOWN:
            if (wparam == VK_F10 && key_down(VK_SHIFT)) {
                if ((lparam & (1 << 30)) == 0) open_menu_from_keyboard(hwnd);
                return 0;
            }
            break;
        case WM_CHAR:
            // Enter and Ctrl+C were handled as keys; as characters they would
            // only start the list's type-ahead search and beep.
            if (wparam == L'\r' || wparam == L'\n' || wparam == 0x03) return 0;
            break;
        case WM_CONTEXTMENU:
            // From the keyboard: opened on the key itself above.
            if (lparam == -1) return 0;
            break;
        case WM_RBUTTONDOWN:
            if (addresses) {
                // On the press: the row under the pointer is selected (none
                // on the empty area), then the menu opens.
                LVHITTESTINFO hit{};
                hit.pt = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
                int row = static_cast<int>(SendMessageW(hwnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
                LVITEMW item{};
                item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
                if (row >= 0) {
                    item.state = LVIS_SELECTED | LVIS_FOCUSED;
                    SendMessageW(hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
                } else {
                    item.stateMask = LVIS_SELECTED;
                    SendMessageW(hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
                }
                SetFocus(hwnd);
                popup_address_menu();
                return 0;
            }
            break;
        default: break;
    }
    return DefSubclassProc(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK edit_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    switch (message) {
        case WM_GETDLGCODE:
            if (lparam != 0 && reinterpret_cast<const MSG*>(lparam)->message == WM_KEYDOWN &&
                reinterpret_cast<const MSG*>(lparam)->wParam == VK_RETURN) {
                return DLGC_WANTALLKEYS | DefSubclassProc(hwnd, message, wparam, lparam);
            }
            break;
        case WM_KEYDOWN:
            if (wparam == VK_RETURN) {
                press_search_button();
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
    // Runs are told to stop and the window keeps serving their calls until
    // they have returned (at most about 3 s); only then may it go away.
    common::request_stop();
    const ULONGLONG started = GetTickCount64();
    while (common::running_threads() > 0 && GetTickCount64() - started < 3000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        common::process_events();
    }
    common::unbind_main_window();
    DestroyWindow(hwnd);
}

LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND: on_command(LOWORD(wparam), HIWORD(wparam)); return 0;
        case WM_NOTIFY: return on_notify(*reinterpret_cast<const NMHDR*>(lparam));
        case mode_chosen_message: switch_mode(); return 0;
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

void add_columns(HWND list, const std::initializer_list<column>& columns) {
    int index = 0;
    for (const column& c : columns) {
        std::wstring header = c.header;
        LVCOLUMNW entry{};
        entry.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        entry.fmt = LVCFMT_LEFT;
        entry.cx = scaled(c.width);
        entry.pszText = header.data();
        entry.iSubItem = index;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&entry));
    }
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_FLATSB);
    SendMessageW(list, LVM_SETBKCOLOR, 0, control_background);
    SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, control_background);
    SendMessageW(list, LVM_SETTEXTCOLOR, 0, RGB(0, 0, 0));
}

// A screen reader names each control as a sighted user reads it beside the
// control (the labels and the group box's caption); part 1 of the status bar,
// whose text changes, is "状态".
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
    const std::pair<control, const wchar_t*> named[] = {
        {control::编辑框1, L"搜索视频"},   {control::编辑框2, L"集数"},        {control::组合框1, L"模式"},
        {control::超级列表框2, L"搜索结果"}, {control::超级列表框1, L"视频地址"}, {control::状态条1, L"状态"},
    };
    for (const auto& [which, name] : named) {
        names->SetHwndPropStr(handle(which), static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME, name);
    }
    names->Release();
}

HMENU make_menu(std::initializer_list<std::pair<int, const wchar_t*>> items) {
    HMENU menu = CreatePopupMenu();
    for (const auto& [id, caption] : items) AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), caption);
    return menu;
}

// Creates the controls in the form's order as children of the window, then
// moves each group box's children into it.
bool build_controls(HWND main) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const form_control& c : form) {
        HWND hwnd = CreateWindowExW(c.extended, c.type, c.caption, c.style, c.place.left, c.place.top, c.place.right,
                                    c.place.bottom, main, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id(c.name))),
                                    instance, nullptr);
        if (hwnd == nullptr) return false;
        state.bound.controls[static_cast<std::size_t>(c.name)] = hwnd;
    }
    for (const form_control& c : form) {
        if (parent_of(c.name) != c.name) SetParent(handle(c.name), handle(parent_of(c.name)));
    }
    // Tab order follows the stacking order of siblings.
    for (control c : tab_order) SetWindowPos(handle(c), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    for (control group : {control::分组框1, control::分组框2}) SetWindowSubclass(handle(group), group_procedure, 1, 0);
    for (control edit : {control::编辑框1, control::编辑框2}) {
        SendMessageW(handle(edit), EM_SETLIMITTEXT, 0, 0);  // no length limit
        SetWindowSubclass(handle(edit), edit_procedure, 1, 0);
    }
    for (const wchar_t* item : {L"搜索模式", L"I D 模式", L"无集数模式"}) {
        SendMessageW(handle(control::组合框1), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    SendMessageW(handle(control::组合框1), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    add_columns(handle(control::超级列表框2), hit_columns);
    add_columns(handle(control::超级列表框1), address_columns);
    for (control list : {control::超级列表框1, control::超级列表框2}) SetWindowSubclass(handle(list), list_procedure, 1, 0);
    SendMessageW(handle(control::状态条1), SB_SIMPLE, FALSE, 0);
    lay_out();
    SendMessageW(handle(control::状态条1), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L"状态："));
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
    HWND main = CreateWindowExW(0, main_window_class, L"Quorla高清地址获取器[Tarnwick 首发]", window_style, 0, 0,
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
    state.bound.save_menu =
        make_menu({{command_save_all, L"保存所有地址"}, {command_save_playlist, L"保存为播放列表"},
                   {command_save_download_list, L"保存为下载列表"}});
    state.bound.hit_menu = make_menu({{command_resolve, L"获取地址"}});
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
