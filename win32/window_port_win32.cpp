// The control, menu, message-box and clipboard operations on the Win32
// controls. Workers' calls reach the window's thread through the program's
// hand-off (app/window_calls.h); this side wakes that thread with a private
// message to a hidden window of its own, which any message loop there (a
// menu's or a message box's too) delivers.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <vector>

#include "app/form.h"
#include "app/status_text.h"
#include "app/handed_off_port.h"
#include "common/code_page.h"
#include "services/system_services.h"
#include "services/window_port.h"
#include "win32/window_binding_win32.h"

namespace common {

std::wstring wide_from_gbk(std::string_view text) {
    const std::u16string units = utf16_from_gbk(text);
    return {units.begin(), units.end()};
}

std::string gbk_from_wide(std::wstring_view text) {
    return gbk_from_utf16({reinterpret_cast<const char16_t*>(text.data()), text.size()});
}

namespace {

// Touched only on the window's thread.
bound_window window;
std::map<HWND, COLORREF> text_colours;
int busy_depth = 0;

std::atomic<DWORD> window_thread_id{0};
// The hidden window that workers' calls wake; it lives on the window's thread.
std::atomic<HWND> call_sink{nullptr};
constexpr UINT serve_calls_message = WM_APP + 0x51;

class win32_thread final : public app::window_thread {
public:
    // Before a window has ever been bound there is no window's thread: the
    // calls that work without a window (the clipboard) run where they are made.
    bool is_current() const override {
        const DWORD thread = window_thread_id.load();
        return thread == 0 || thread == GetCurrentThreadId();
    }
    bool wake() override {
        HWND sink = call_sink.load();
        return sink != nullptr && PostMessageW(sink, serve_calls_message, 0, 0);
    }
};

win32_thread ui_thread;
app::window_calls calls(ui_thread);

LRESULT CALLBACK call_sink_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == serve_calls_message) {
        calls.serve();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

HWND make_call_sink() {
    static const wchar_t* class_name = L"QuorlaWindowCalls";
    static bool registered = [] {
        WNDCLASSEXW type{};
        type.cbSize = sizeof type;
        type.lpfnWndProc = call_sink_procedure;
        type.hInstance = GetModuleHandleW(nullptr);
        type.lpszClassName = class_name;
        return RegisterClassExW(&type) != 0;
    }();
    if (!registered) return nullptr;
    return CreateWindowExW(0, class_name, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

HWND control_window(control which) { return window.controls[static_cast<std::size_t>(which)]; }

std::wstring window_text(HWND hwnd) {
    int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

// `text` as it fits part `part` of the status bar, in the bar's font.
std::wstring shown_in_part(HWND bar, int part, const std::wstring& text) {
    RECT box{};
    if (!SendMessageW(bar, SB_GETRECT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(&box))) return text;
    HDC dc = GetDC(bar);
    HGDIOBJ was = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(bar, WM_GETFONT, 0, 0)));
    const std::u16string shown = app::shorten_in_middle(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()), box.right - box.left - 8,
        [dc](std::u16string_view piece) {
            SIZE size{};
            GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(piece.data()), static_cast<int>(piece.size()), &size);
            return static_cast<int>(size.cx);
        });
    SelectObject(dc, was);
    ReleaseDC(bar, dc);
    return std::wstring(shown.begin(), shown.end());
}

int show_message_box(const std::string& message, int style, const std::string& caption) {
    HWND owner = IsWindowVisible(window.main) ? window.main : nullptr;
    // Owned by the main window: task-modal, as an unowned box would be.
    int pressed = MessageBoxW(owner, wide_from_gbk(message).c_str(), wide_from_gbk(caption).c_str(),
                              static_cast<UINT>(style) | (owner == nullptr ? MB_TASKMODAL : 0));
    // IDOK 1 ... IDNO 7 are the codes 0 ... 6.
    return pressed >= IDOK && pressed <= IDNO ? pressed - 1 : app::message_box_escape(style);
}

constexpr ULONGLONG clipboard_wait_ms = 1000;

void process_window_messages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // For the loop that owns the thread.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        dispatch_window_message(message);
    }
}

HGLOBAL global_copy(const void* bytes, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr) return nullptr;
    void* at = GlobalLock(memory);
    if (at == nullptr) {
        GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(at, bytes, size);
    GlobalUnlock(memory);
    return memory;
}

// The address as CF_TEXT, GBK with its locale named (CF_LOCALE: Chinese, PRC),
// and as CF_UNICODETEXT, so a program reads the same text on a Windows of any
// display language.
bool store_clipboard_text(std::string_view text) {
    std::string ansi(text);
    std::wstring wide = wide_from_gbk(text);
    const LCID chinese = MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT);
    // Another program may hold the clipboard open for a moment: the copy
    // keeps trying for about a second, the window serving its messages.
    bool opened = false;
    const ULONGLONG until = GetTickCount64() + clipboard_wait_ms;
    while (!(opened = OpenClipboard(window.main)) && GetTickCount64() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        process_window_messages();
    }
    if (!opened) return false;
    EmptyClipboard();
    // The copy counts as made when both texts are on the clipboard.
    const struct {
        UINT format;
        const void* bytes;
        std::size_t size;
    } formats[] = {{CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t)},
                   {CF_TEXT, ansi.c_str(), ansi.size() + 1},
                   {CF_LOCALE, &chinese, sizeof chinese}};
    bool stored = true;
    for (const auto& f : formats) {
        HGLOBAL memory = global_copy(f.bytes, f.size);
        const bool set = memory != nullptr && SetClipboardData(f.format, memory) != nullptr;
        if (!set && memory != nullptr) GlobalFree(memory);
        if (!set && f.format != CF_LOCALE) stored = false;
    }
    CloseClipboard();
    return stored;
}

// A list's cell text, the buffer doubling while the text fills it: cells
// have no length limit.
std::string cell_text(HWND list, int row, int column) {
    std::vector<wchar_t> buffer(512);
    for (;;) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        auto length = static_cast<std::size_t>(
            SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
        if (length + 1 < buffer.size()) return gbk_from_wide(std::wstring_view(buffer.data(), length));
        buffer.resize(buffer.size() * 2);
    }
}

// The control operations on the bound window's controls, on its thread; the
// program's side has checked the controls, rows, columns and parts.
class win32_controls final : public window_port {
public:
    void list_clear(control list) override { SendMessageW(control_window(list), LVM_DELETEALLITEMS, 0, 0); }

    int list_insert_row(control list, int position, std::string_view main_text) override {
        std::wstring text = wide_from_gbk(main_text);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = position;
        item.pszText = text.data();
        return static_cast<int>(SendMessageW(control_window(list), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }

    void list_set_cell(control list, int row, int column, std::string_view text) override {
        std::wstring wide = wide_from_gbk(text);
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = wide.data();
        SendMessageW(control_window(list), LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }

    std::string list_get_cell(control list, int row, int column) override {
        return cell_text(control_window(list), row, column);
    }

    int list_row_count(control list) override {
        return static_cast<int>(SendMessageW(control_window(list), LVM_GETITEMCOUNT, 0, 0));
    }

    int list_selected_row(control list) override {
        return static_cast<int>(
            SendMessageW(control_window(list), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }

    void status_set_text(control status_bar, int part, std::string_view text) override {
        HWND hwnd = control_window(status_bar);
        // The part keeps its border style (the high word of the length).
        auto style = static_cast<WPARAM>(HIWORD(SendMessageW(hwnd, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0)));
        // A text wider than its part is shortened in the middle, keeping the
        // folder and name a save ends with; the tooltip carries all of it.
        std::wstring wide = wide_from_gbk(text);
        std::wstring shown = shown_in_part(hwnd, part, wide);
        SendMessageW(hwnd, SB_SETTEXTW, static_cast<WPARAM>(part) | style, reinterpret_cast<LPARAM>(shown.c_str()));
        SendMessageW(hwnd, SB_SETTIPTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(wide.c_str()));
    }

    std::string edit_text(control edit) override { return gbk_from_wide(window_text(control_window(edit))); }

    void set_edit_text(control edit, std::string_view text) override {
        SetWindowTextW(control_window(edit), wide_from_gbk(text).c_str());
    }

    void set_text_colour(control edit, std::uint32_t colorref) override {
        text_colours[control_window(edit)] = static_cast<COLORREF>(colorref);
        InvalidateRect(control_window(edit), nullptr, TRUE);
    }

    void set_visible(control which, bool visible) override {
        ShowWindow(control_window(which), visible ? SW_SHOW : SW_HIDE);
    }

    int selected_index(control selector) override {
        return std::max(-1, static_cast<int>(SendMessageW(control_window(selector), CB_GETCURSEL, 0, 0)));
    }

    void popup_menu(popup menu, std::optional<int> x, std::optional<int> y) override {
        HMENU found = menu == popup::保存地址 ? window.save_menu : window.hit_menu;
        if (found == nullptr || window.main == nullptr) return;
        POINT at{};
        if (x && y) {
            at = {*x, *y};
        } else {
            GetCursorPos(&at);
            at.x += app::form::menu_offset;
            at.y += app::form::menu_offset;
        }
        // The menu closes when the user clicks elsewhere only while its owner
        // is the foreground window.
        SetForegroundWindow(window.main);
        // Opened by key (at a place given), the menu starts on its first
        // item: its loop takes this Down first.
        if (x && y) PostMessageW(window.main, WM_KEYDOWN, VK_DOWN, 0);
        UINT chosen = static_cast<UINT>(TrackPopupMenuEx(found, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                                         at.x, at.y, window.main, nullptr));
        PostMessageW(window.main, WM_NULL, 0, 0);
        // The chosen item's handler runs before the menu call returns.
        if (chosen != 0) SendMessageW(window.main, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    }

    void process_events() override { process_window_messages(); }

    void show_busy(bool busy) override {
        busy_depth = std::max(0, busy_depth + (busy ? 1 : -1));
        POINT at{};
        GetCursorPos(&at);
        // The pointer changes now where it stands over the window.
        HWND under = WindowFromPoint(at);
        if (under != nullptr && window.main != nullptr && (under == window.main || IsChild(window.main, under))) {
            SetCursor(LoadCursorW(nullptr, busy_depth > 0 ? IDC_WAIT : IDC_ARROW));
            SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        }
    }

    int message_box(const std::string& message, int style, const std::string& caption) override {
        return show_message_box(message, style, caption);
    }

    void window_call(const std::function<void()>& work) override { work(); }

    bool set_clipboard_text(std::string_view text) override { return store_clipboard_text(text); }
};

app::handed_off_port& win32_port() {
    static win32_controls controls;
    static app::handed_off_port port(controls, calls);
    return port;
}

// Linking the window side is enough for the clipboard to work before a
// window is bound.
[[maybe_unused]] const bool port_installed = (install_window_port(&win32_port()), true);

}  // namespace

void bind_main_window(const bound_window& bound) {
    window = bound;
    text_colours.clear();
    install_window_port(&win32_port());
    window_thread_id.store(GetCurrentThreadId());
    if (call_sink.load() == nullptr) call_sink.store(make_call_sink());
    bound.main != nullptr ? calls.bind() : calls.unbind();
}

void unbind_main_window() {
    calls.unbind();
    window = bound_window{};
    text_colours.clear();
}

HWND bound_main_window() { return window.main; }

COLORREF text_colour_of(HWND control) {
    auto found = text_colours.find(control);
    return found != text_colours.end() ? found->second : RGB(0, 0, 0);
}

bool busy_pointer_shown() { return busy_depth > 0; }

void dispatch_window_message(MSG& message) {
    HWND main = window.main;
    if (main != nullptr && IsDialogMessageW(main, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

}  // namespace common
