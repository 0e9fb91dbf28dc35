// The window and system operations through which the site logic reaches the
// main window, files, threads, the clipboard and the script engine.
//
// Controls are named by their form names. Texts are GBK. A call made on a
// worker thread is carried out on the user-interface thread, one call at a
// time, and returns its result to the worker; a call made on the
// user-interface thread runs directly. Before a window is bound (and after
// the window has begun to close) the control operations do nothing and
// return empty values.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_ops.h"

namespace common {

// The controls of the main window, by form name.
enum class control {
    分组框1,
    标签2,
    编辑框1,
    标签1,
    编辑框2,
    组合框1,
    按钮搜索,
    超级列表框2,
    分组框2,
    超级列表框1,
    状态条1,
};

inline constexpr std::size_t control_count = static_cast<std::size_t>(control::状态条1) + 1;

// The two hidden top-level menus shown as pop-up menus.
enum class popup { 保存地址, 搜索获取 };

// The form name of a control, as UTF-8 (it is also its Qt object name).
const char* control_name(control which);

// --- list views (超级列表框1, 超级列表框2)

void list_clear(control list);
// Index of the new row, -1 on failure. A missing or negative position appends.
int list_insert_row(control list, int position = -1, std::string_view main_text = {});
void list_set_cell(control list, int row, int column = 0, std::string_view text = {});
// Empty for an empty cell and for a row outside the list (-1 included).
std::string list_get_cell(control list, int row, int column = 0);
int list_row_count(control list);
// The first selected row, -1 when none.
int list_selected_row(control list);

// --- status bar: an index outside the parts does nothing

void status_set_text(control status_bar, int part, std::string_view text = {});

// --- control state

std::string edit_text(control edit);
void set_edit_text(control edit, std::string_view text);
// A COLORREF: 0x00BBGGRR.
void set_text_colour(control edit, std::uint32_t colorref);
void set_visible(control which, bool visible);
// 0-based index of the selector's item, -1 when none is chosen.
int selected_index(control selector);

// --- window

// Shows the menu at the pointer moved 3 px right and 3 px down, or at (x, y)
// in screen coordinates; returns when the menu closes. A chosen item runs its
// handler before this returns.
void popup_menu(popup menu, std::optional<int> x = std::nullopt, std::optional<int> y = std::nullopt);
// Lets the user-interface thread handle its waiting events; on a worker
// thread it returns at once.
void process_events();
// Shows (true) or ends (false) the busy pointer over the application; calls
// nest, so each true needs its false. Not a status text.
void show_busy(bool busy);
// The button pressed: OK 0, Cancel 1, Abort 2, Retry 3, Ignore 4, Yes 5, No 6.
// `style` takes the MessageBoxA flags (16: stop icon and OK). The default
// caption is "信息：".
int message_box(std::string_view message, int style, std::optional<std::string> caption = std::nullopt);
// Runs `work` on the user-interface thread as one call: every operation it
// makes runs directly there, so no other thread's call can come in between.
void window_call(const std::function<void()>& work);

// --- clipboard: the GBK text goes on the clipboard as Unicode text

bool set_clipboard_text(std::string_view text);

// --- threads

// Starts `subroutine` on a new thread that nobody joins. False when no
// thread could be made.
bool start_thread(std::function<void()> subroutine);
// Threads started by start_thread that have not yet returned.
int running_threads();
// Asks every run to stop: transfers in progress are aborted and the control
// operations stop touching the window. Set when the window closes.
void request_stop();
bool stop_requested();

// --- files
//
// Paths the file system gives (the program's directory, the download folder)
// are native bytes, UTF-8 here, and may hold characters GBK lacks; only
// names made from page text start as GBK.

// The value of an environment variable as native bytes (UTF-8; read as
// UTF-16 on Windows), nullopt when it is not set.
std::optional<std::string> environment_variable(const char* name);

// Makes the directory that holds the executable the current directory;
// false when the system does not tell it or it cannot be entered.
bool enter_program_directory();
// The directory of the executable as GBK text, without a trailing separator.
std::string program_directory();
// The same directory as native bytes.
std::string program_directory_path();
// For tests: the program's directory is `native_directory` from now on; an
// empty text returns to the executable's directory.
void replace_program_directory_for_testing(std::string native_directory);
// Creates or truncates the file at the GBK `path` and writes the arrays one
// after another. False when the path is empty or opening or writing fails.
bool write_file(std::string_view path, std::initializer_list<byte_array> parts);

// The file, relative to the program's directory, that the install puts beside
// an installed copy (by the package, `cmake --install` or the installer); a
// copy run from its build folder or unpacked from the portable archive has none.
inline constexpr const char* installed_marker = "../share/quorla-hd/installed";
bool installed_copy();

// The folder saved files go to (native bytes): the program's directory when
// it is not an installed copy and a file can be created there, else the
// user's download folder.
struct save_folder {
    std::string path;
    bool beside_program = false;
};
save_folder choose_save_folder();
// XDG_DOWNLOAD_DIR of $XDG_CONFIG_HOME/user-dirs.dirs (else
// ~/.config/user-dirs.dirs) when it names a folder, else ~/Downloads when it
// exists, else the home folder; empty when no home is known.
std::string download_folder();

// The longest file name, in bytes, that a folder entry may have.
inline constexpr std::size_t longest_file_name = 255;
// A name that is one entry of a folder, from a UTF-8 `stem` and an ASCII
// `extension` such as ".html": '/', backslash, NUL and other control bytes
// become '_', an empty stem is "_" and a leading '.' becomes '_' (so no name
// is hidden, "." or ".."), and a stem too long for the whole to fit
// longest_file_name bytes is cut at a character boundary.
std::string disk_file_name(std::string_view stem, std::string_view extension);
// Replaces `name` in the native `folder` atomically: the bytes go to a
// temporary file with a short name of its own in that folder, which is then
// renamed. False, leaving any old file as it was, when `name` is not a
// single folder entry or anything fails.
bool write_file_in(std::string_view folder, std::string_view name, std::initializer_list<byte_array> parts);

// In-memory files, named by small numbers until closed.
int open_memory_file();
bool write_text(int file, std::string_view text);
bool seek_file_start(int file);
// Up to the end of the line, without it. A line ends at LF (consumed) or at a
// zero byte or byte 26 (not consumed); a CR just before the end is dropped.
std::string read_line(int file);
bool at_end_of_file(int file, bool treat_end_byte = false);
void close_file(int file);

// --- Automation objects

// One script-engine object, or none. "ScriptControl" is the only class.
class automation_object {
public:
    automation_object();
    ~automation_object();
    automation_object(const automation_object&) = delete;
    automation_object& operator=(const automation_object&) = delete;

    struct engine;
    engine* get() const { return engine_.get(); }
    void reset(std::unique_ptr<engine> replacement);

private:
    std::unique_ptr<engine> engine_;
};

// False when no class of that name exists or the object cannot be made.
bool object_create(automation_object& variable, std::string_view class_name);
bool object_set_property(automation_object& object, std::string_view property, std::string_view value);
double object_call_number(automation_object& object, std::string_view method,
                          const std::vector<std::string>& arguments = {});
// `succeeded`, when given, tells whether the method ran without an error.
std::string object_call_text(automation_object& object, std::string_view method,
                             const std::vector<std::string>& arguments = {}, bool* succeeded = nullptr);
void object_release(automation_object& variable);

}  // namespace common
