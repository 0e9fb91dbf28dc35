// The system services that need no window: memory files, whole-file writes
// and the script engine. This program links no toolkit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "common/code_page.h"
#include "common/gbk.h"
#include "services/system_services.h"
#include "tests/system_support.h"

namespace {

using test_support::utf8_of;
using test_support::utf8_path;

std::string file_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(memory_files, read_line_splits_lines_as_written) {
    struct line_case {
        std::string bytes;
        std::vector<std::string> lines;
    };
    std::string lead_across(511, 'a');
    lead_across += "\xD6\xD0" "b";  // a two-byte character across the 512-byte boundary
    std::vector<line_case> cases = {
        {"a\r\nb", {"a", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"only", {"only"}},
        {"x\r", {"x"}},
        {lead_across + "\nnext", {lead_across, "next"}},
        {"\xB0\x0A" "c\n", {"\xB0\x0A" "c"}},  // a trail byte equal to LF does not end the line
    };
    for (const line_case& c : cases) {
        int file = common::open_memory_file();
        ASSERT_TRUE(common::write_text(file, c.bytes));
        ASSERT_TRUE(common::seek_file_start(file));
        std::vector<std::string> got;
        while (!common::at_end_of_file(file, false)) got.push_back(common::read_line(file));
        EXPECT_EQ(got, c.lines) << c.bytes.substr(0, 20);
        EXPECT_EQ(common::read_line(file), "");
        common::close_file(file);
    }
}

TEST(memory_files, end_bytes_stop_a_line_without_being_consumed) {
    int file = common::open_memory_file();
    common::write_text(file, std::string("ab\x1A" "cd", 5));
    common::seek_file_start(file);
    EXPECT_EQ(common::read_line(file), "ab");
    EXPECT_FALSE(common::at_end_of_file(file, false));
    EXPECT_TRUE(common::at_end_of_file(file, true));
    EXPECT_EQ(common::read_line(file), "");  // still at the byte 26
    common::close_file(file);
    EXPECT_TRUE(common::at_end_of_file(file, false));  // a closed number reads as ended
}

TEST(files, write_file_replaces_and_fails_cleanly) {
    auto dir = std::filesystem::temp_directory_path() / ("services_test_" + std::to_string(test_support::process_id()));
    std::filesystem::create_directories(dir);
    std::string path = common::convert_utf8_to_gbk(utf8_of(dir / utf8_path("名字.html")));
    ASSERT_TRUE(common::write_file(path, {common::to_bytes("old content, longer")}));
    ASSERT_TRUE(common::write_file(path, {common::to_bytes("new"), {}, common::to_bytes("!")}));
    EXPECT_EQ(file_bytes(dir / utf8_path("名字.html")), "new!");
    EXPECT_FALSE(common::write_file("", {common::to_bytes("x")}));
    EXPECT_FALSE(common::write_file(common::convert_utf8_to_gbk(utf8_of(dir / "missing" / "a")), {}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);  // no temporary left
    std::filesystem::remove_all(dir);
    EXPECT_FALSE(common::program_directory().empty());
    EXPECT_NE(common::program_directory().back(), '/');
    EXPECT_NE(common::program_directory().back(), '\\');
}

TEST(automation, script_control_runs_a_defined_function) {
    common::automation_object engine;
    ASSERT_FALSE(common::object_create(engine, "No.Such.Class"));
    ASSERT_TRUE(common::object_create(engine, "ScriptControl"));
    ASSERT_TRUE(common::object_set_property(engine, "Language", "JScript"));
    common::object_call_number(engine, "ExecuteStatement",
                               {common::gbk<"function xx(){var x='中%u6587\\x41';return unescape(x);}">()});
    bool ok = false;
    EXPECT_EQ(common::object_call_text(engine, "Run", {"xx"}, &ok), common::gbk<"中文A">());
    EXPECT_TRUE(ok);
    common::object_call_number(engine, "ExecuteStatement", {"function yy(){var x='broken;}"});
    EXPECT_EQ(common::object_call_text(engine, "Run", {"yy"}, &ok), "");
    EXPECT_FALSE(ok);
    common::object_release(engine);
    EXPECT_EQ(engine.get(), nullptr);
}

TEST(automation, engine_errors_anywhere_in_a_call_fail_the_call_and_nothing_more) {
    // Each script raises its error in a different step: reading the function,
    // calling it, or turning its result into a number or a text.
    struct error_case {
        const char* statement;
        const char* function;
    };
    std::vector<error_case> cases = {
        {"Object.defineProperty(this,'f',{get:function(){throw new Error('read');}})", "f"},
        {"function f(){throw new Error('call');}", "f"},
        {"function f(){return {valueOf:function(){throw 1;},toString:function(){throw 2;}};}", "f"},
        {"function f(){return Symbol('s');}", "f"},
        {"var f=1", "f"},
    };
    for (const error_case& c : cases) {
        common::automation_object engine;
        ASSERT_TRUE(common::object_create(engine, "ScriptControl"));
        common::object_set_property(engine, "Language", "JScript");
        common::object_call_number(engine, "ExecuteStatement", {c.statement});
        EXPECT_EQ(common::object_call_number(engine, "Run", {c.function}), 0) << c.statement;
        bool ok = true;
        EXPECT_EQ(common::object_call_text(engine, "Run", {c.function}, &ok), "") << c.statement;
        EXPECT_FALSE(ok) << c.statement;
        // A statement whose own value cannot be converted fails the same way.
        EXPECT_EQ(common::object_call_number(engine, "ExecuteStatement", {"Symbol('t')"}), 0);
        EXPECT_EQ(common::object_call_text(engine, "ExecuteStatement", {"6*7"}, &ok), "42") << "still usable";
        EXPECT_TRUE(ok);
    }
}

namespace {

namespace fs = std::filesystem;

fs::path fresh_folder(const std::string& name) {
    fs::path folder = fs::temp_directory_path() / (name + "_" + std::to_string(test_support::process_id()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

// Sets an environment variable for the life of the object (unset for
// nullopt) and puts the old value back.
class scoped_env {
public:
    scoped_env(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        set(value);
    }
    ~scoped_env() { set(old_); }
    void set(const std::optional<std::string>& value) { test_support::set_environment(name_, value); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace

TEST(files, disk_file_names_are_one_visible_entry_that_fits) {
    struct name_case {
        std::string stem, extension, name;
    };
    std::string long_chinese;
    for (int i = 0; i < 100; ++i) long_chinese += "中";  // 300 bytes
    std::vector<name_case> cases = {
        {"毒战 第1集", ".html", "毒战 第1集.html"},
        {"a/b\\c", ".txt", "a_b_c.txt"},
        {std::string("x\0y\n\r\t\x7F", 7), "", "x_y____"},
        {"", ".html", "_.html"},
        {".", "", "_"},
        {"..", "", test_support::on_windows ? "__" : "_."},  // Windows drops a name's trailing dot
        {".hidden", ".m3u8", "_hidden.m3u8"},
        {std::string(250, 'n'), ".html", std::string(250, 'n') + ".html"},  // exactly 255 bytes
        {std::string(300, 'n'), ".html", std::string(250, 'n') + ".html"},
        {long_chinese, ".html", long_chinese.substr(0, 249) + ".html"},  // 83 whole characters
        {"한국어 🎬", ".txt", "한국어 🎬.txt"},
    };
    // What Windows refuses besides: < > : " | ? *, a trailing dot or space,
    // and the device names with any extension.
    struct system_case {
        std::string stem, extension, posix, windows;
    };
    std::vector<system_case> system_cases = {
        {"a<b>c:d\"e|f?g*h", ".html", "a<b>c:d\"e|f?g*h.html", "a_b_c_d_e_f_g_h.html"},
        {"trailing. ", "", "trailing. ", "trailing__"},
        {"CON", ".html", "CON.html", "_ON.html"},
        {"com7.tar", ".txt", "com7.tar.txt", "_om7.tar.txt"},
        {"lpt1 ", ".m3u8", "lpt1 .m3u8", "_pt1 .m3u8"},
        {"CONSOLE", ".html", "CONSOLE.html", "CONSOLE.html"},
        {"COM0", ".html", "COM0.html", "COM0.html"},
    };
    for (const system_case& c : system_cases) {
        cases.push_back({c.stem, c.extension, test_support::on_windows ? c.windows : c.posix});
    }
    for (const name_case& c : cases) {
        std::string name = common::disk_file_name(c.stem, c.extension);
        EXPECT_EQ(name, c.name) << c.stem;
        EXPECT_LE(name.size(), common::longest_file_name);
    }
}

TEST(files, write_file_in_lands_in_the_folder_under_any_valid_name) {
    fs::path folder = fresh_folder("write_in") / utf8_path("한국어 🎬");
    fs::create_directories(folder / "sub.html");
    std::string long_name = std::string(250, 'n') + ".html";
    for (const std::string& name : {long_name, std::string("名字.html")}) {
        ASSERT_TRUE(common::write_file_in(utf8_of(folder), name, {common::to_bytes("old")})) << name;
        ASSERT_TRUE(common::write_file_in(utf8_of(folder), name, {common::to_bytes("new")})) << name;
        EXPECT_EQ(file_bytes(folder / utf8_path(name)), "new");
    }
    // Names that are not one entry, a folder in the way, a missing folder.
    for (const std::string& name : {std::string(), std::string("."), std::string(".."), std::string("../x"),
                                    std::string("a/b"), std::string(256, 'n'), std::string("sub.html")}) {
        EXPECT_FALSE(common::write_file_in(utf8_of(folder), name, {common::to_bytes("x")})) << name;
    }
    if (test_support::on_windows) {
        for (const char* name : {"..\\x", "a\\b", "c:x"}) {
            EXPECT_FALSE(common::write_file_in(utf8_of(folder), name, {common::to_bytes("x")})) << name;
        }
    }
    EXPECT_FALSE(common::write_file_in(utf8_of(folder / "missing"), "a.html", {}));
    EXPECT_TRUE(fs::is_directory(folder / "sub.html"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 3) << "no temporary file left";
    EXPECT_FALSE(fs::exists(folder.parent_path() / "x"));
    fs::remove_all(folder.parent_path());
}

TEST(save_folder, the_download_folder_is_the_one_the_user_has) {
    if (test_support::on_windows) {
        // The Downloads known folder, which exists.
        const std::string folder = common::download_folder();
        EXPECT_TRUE(fs::is_directory(utf8_path(folder))) << folder;
        EXPECT_TRUE(folder.ends_with("Downloads")) << folder;
        return;
    }
    // Elsewhere the XDG user directories file says.
    fs::path home = fresh_folder("download_home");
    fs::path config = home / "elsewhere";
    fs::create_directories(config);
    fs::create_directories(home / ".config");
    fs::create_directories(home / "下载");
    fs::create_directories(home / "quote\"d");
    fs::path absolute = fresh_folder("download_absolute");
    scoped_env home_env("HOME", home.string());
    scoped_env config_env("XDG_CONFIG_HOME", std::nullopt);

    struct folder_case {
        std::optional<std::string> config_home;  // XDG_CONFIG_HOME
        std::string dirs_file;                   // written where that points
        bool make_downloads;                     // ~/Downloads exists
        fs::path expected;
    };
    std::vector<folder_case> cases = {
        {std::nullopt, "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOWNLOAD_DIR=\"$HOME/下载\"\n", true, home / "下载"},
        {config.string(), "XDG_DOWNLOAD_DIR=\"" + absolute.string() + "/\"\n", true, absolute},
        {config.string(), "  XDG_DOWNLOAD_DIR=\"$HOME/quote\\\"d\"\n", false, home / "quote\"d"},
        {std::nullopt, "XDG_DOWNLOAD_DIR=\"$HOME/missing\"\n", true, home / "Downloads"},
        {std::nullopt, "XDG_DOWNLOAD_DIR=\"relative/path\"\n", false, home},
        {std::string("relative"), "", false, home},  // a relative XDG_CONFIG_HOME is ignored
        {std::nullopt, "", false, home},
    };
    for (const folder_case& c : cases) {
        fs::remove(home / "Downloads");
        if (c.make_downloads) fs::create_directories(home / "Downloads");
        config_env.set(c.config_home);
        fs::path dirs = (c.config_home && c.config_home->starts_with('/') ? fs::path(*c.config_home) : home / ".config");
        std::ofstream(dirs / "user-dirs.dirs", std::ios::binary) << c.dirs_file;
        EXPECT_EQ(common::download_folder(), c.expected.string()) << c.dirs_file;
        fs::remove(dirs / "user-dirs.dirs");
    }
    fs::remove_all(home);
    fs::remove_all(absolute);
}

TEST(save_folder, a_program_directory_that_takes_no_files_sends_them_to_the_download_folder) {
    fs::path home = fresh_folder("save_home");
    fs::create_directories(home / "Downloads");
    scoped_env home_env("HOME", home.string());
    scoped_env config_env("XDG_CONFIG_HOME", std::nullopt);

    const std::string downloads = test_support::on_windows ? common::download_folder() : utf8_of(home / "Downloads");
    fs::path beside = fresh_folder("save_beside") / utf8_path("프로그램 🎬");
    fs::create_directories(beside);
    common::replace_program_directory_for_testing(utf8_of(beside));
    common::save_folder writable = common::choose_save_folder();
    EXPECT_EQ(writable.path, utf8_of(beside));
    EXPECT_TRUE(writable.beside_program);
    EXPECT_EQ(std::distance(fs::directory_iterator(beside), {}), 0) << "the probe leaves nothing";

    // An installed copy never writes into its program folder, even one that
    // takes files (root running the installed program).
    fs::create_directories(beside.parent_path() / "share" / "quorla-hd");
    std::ofstream(beside.parent_path() / "share" / "quorla-hd" / "installed").put('\n');
    common::save_folder installed = common::choose_save_folder();
    EXPECT_EQ(installed.path, downloads);
    EXPECT_FALSE(installed.beside_program);
    fs::remove_all(beside.parent_path() / "share");

    // /proc takes no new files, for root too; nor does a missing folder.
    common::replace_program_directory_for_testing(test_support::on_windows ? utf8_of(beside / "missing") : "/proc");
    common::save_folder fallback = common::choose_save_folder();
    EXPECT_EQ(fallback.path, downloads);
    EXPECT_FALSE(fallback.beside_program);
    common::replace_program_directory_for_testing("");
    fs::remove_all(home);
    fs::remove_all(beside.parent_path());
}
