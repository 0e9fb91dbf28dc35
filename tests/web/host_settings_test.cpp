#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "common/code_page.h"
#include "services/system_services.h"
#include "tests/system_support.h"
#include "web/host_settings.h"

namespace fs = std::filesystem;

namespace {

// A folder of the test's own, removed at the end.
struct scratch_folder {
    fs::path path = fs::temp_directory_path() / ("host_settings_" + std::to_string(test_support::process_id()));
    scratch_folder() {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~scratch_folder() { fs::remove_all(path); }
    std::string write(const std::string& name, const std::string& bytes) const {
        const fs::path file = path / test_support::utf8_path(name);
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return test_support::utf8_of(file);
    }
};

std::string message_of(const std::vector<web::refused_host>& refused) {
    return common::convert_gbk_to_utf8(web::refused_hosts_message(refused));
}

const web::site_hosts built_in{"site.in", "search.in", "stream.in"};

TEST(HostSettings, OptionsAreTakenFromTheArguments) {
    struct arguments_case {
        std::vector<std::string> arguments;
        std::optional<std::string> site, search, stream;
    };
    const arguments_case cases[] = {
        {{}, {}, {}, {}},
        {{"--site-host", "a.test", "--search-host=b.test:81", "--stream-host", "c"}, "a.test", "b.test:81", "c"},
        {{"-platform", "offscreen", "--site-host=x", "keyword", "--site-host", "y"}, "y", {}, {}},
        {{"--site-host=", "--search-host"}, "", "", {}},
        {{"--site-host", "--search-host", "b"}, "--search-host", {}, {}},
        {{"--site-hosts=x", "--site-hostx", "-site-host=x", "--", "--stream-host=z"}, {}, {}, {}},
    };
    for (const arguments_case& c : cases) {
        const web::host_options options = web::host_options_from_arguments(c.arguments);
        std::string line;
        for (const auto& a : c.arguments) line += a + " ";
        EXPECT_EQ(options.site, c.site) << line;
        EXPECT_EQ(options.search, c.search) << line;
        EXPECT_EQ(options.stream, c.stream) << line;
    }
}

// Option over variable over file over built-in, role by role; a refused
// value at any level leaves the built-in host.
TEST(HostSettings, EachRoleTakesTheFirstSourceThatSetsIt) {
    struct precedence_case {
        std::optional<std::string> option, variable, file;
        const char* host;
        std::optional<web::host_source> refused;
    };
    const precedence_case cases[] = {
        {{}, {}, {}, "site.in", {}},
        {{}, {}, "file.test", "file.test", {}},
        {{}, "variable.test:8", "file.test", "variable.test:8", {}},
        {"option.test", "variable.test", "file.test", "option.test", {}},
        {"option.test", {}, "file.test", "option.test", {}},
        {{}, {}, "bad value", "site.in", web::host_source::settings_file},
        {{}, "", "file.test", "site.in", web::host_source::variable},
        {"http://x", "variable.test", "file.test", "site.in", web::host_source::option},
        {"option.test", {}, "bad value", "option.test", {}},
    };
    scratch_folder folder;
    for (const precedence_case& c : cases) {
        const std::string file = folder.write("quorla-hd.ini", c.file ? "[hosts]\nsite = " + *c.file + "\n" : "");
        auto lookup = [&](const char* name) -> std::optional<std::string> {
            return std::string_view(name) == "QUORLA_SITE_HOST" ? c.variable : std::nullopt;
        };
        const web::chosen_hosts chosen = web::choose_hosts(built_in, {c.option, {}, {}}, lookup, file);
        const std::string label = c.option.value_or("-") + " " + c.variable.value_or("-") + " " + c.file.value_or("-");
        EXPECT_EQ(chosen.hosts.site, c.host) << label;
        EXPECT_EQ(chosen.hosts.search + " " + chosen.hosts.stream, "search.in stream.in") << label;
        ASSERT_EQ(chosen.refused.size(), c.refused ? 1u : 0u) << label;
        if (c.refused) {
            EXPECT_EQ(chosen.refused[0].source, *c.refused) << label;
        }
    }
}

TEST(HostSettings, TheWarningNamesWhereEachValueCameFrom) {
    scratch_folder folder;
    const std::string file = folder.write("设置/quorla-hd.ini", "[hosts]\nsite = a b\nsearch=\nstream = ok.test:99\n");
    auto none = [](const char*) -> std::optional<std::string> { return std::nullopt; };
    web::chosen_hosts chosen = web::choose_hosts(built_in, {}, none, file);
    EXPECT_EQ(chosen.hosts.site + " " + chosen.hosts.search + " " + chosen.hosts.stream, "site.in search.in ok.test:99");
    EXPECT_EQ(message_of(chosen.refused),
              "设置文件 “" + file + "” 中 [hosts] 的 site 的值 “a b” 不是有效的主机名（主机 或 主机:端口），已使用内置值 site.in\n"
              "设置文件 “" + file + "” 中 [hosts] 的 search 的值 “” 不是有效的主机名（主机 或 主机:端口），已使用内置值 search.in");

    chosen = web::choose_hosts(built_in, {{}, {}, "x:0"}, none, "");
    EXPECT_EQ(message_of(chosen.refused),
              "选项 --stream-host 的值 “x:0” 不是有效的主机名（主机 或 主机:端口），已使用内置值 stream.in");
}

// A file that cannot be read is named once with the reason and leaves every
// role it would set at its built-in host; a missing one is silent.
TEST(HostSettings, AFileThatCannotBeReadIsNamedAndSkipped) {
    struct file_case {
        const char* label;
        std::optional<std::string> bytes;  // none: no file at all
        const char* reason;                // empty: read without a fault
        const char* site;
    };
    const std::string big = "[hosts]\nsite = big.test\n" + std::string(web::largest_settings_file, ';');
    const file_case cases[] = {
        {"missing", std::nullopt, "", "site.in"},
        {"empty", "", "", "site.in"},
        {"no [hosts]", "[other]\nsite = other.test\n", "", "site.in"},
        {"Notepad's", "\xEF\xBB\xBF# hosts\r\n[hosts]\r\n; the site\r\nsite = crlf.test\r\n", "", "crlf.test"},
        {"no equals sign", "[hosts]\nsite = a.test\nsearch b.test\n", "第 3 行不是 INI 格式", "site.in"},
        {"unclosed section", "[hosts\nsite = a.test\n", "第 1 行不是 INI 格式", "site.in"},
        {"twice the key", "[hosts]\nsite = a.test\nsite = b.test\n", "第 3 行重复了前面的名称", "site.in"},
        {"oversized", big, "文件大于 64 KiB", "site.in"},
    };
    scratch_folder folder;
    const std::string path = test_support::utf8_of(folder.path / "quorla-hd.ini");
    auto none = [](const char*) -> std::optional<std::string> { return std::nullopt; };
    for (const file_case& c : cases) {
        fs::remove(folder.path / "quorla-hd.ini");
        if (c.bytes) folder.write("quorla-hd.ini", *c.bytes);
        const web::chosen_hosts chosen = web::choose_hosts(built_in, {}, none, path);
        EXPECT_EQ(chosen.hosts.site, c.site) << c.label;
        if (*c.reason == '\0') {
            EXPECT_TRUE(chosen.refused.empty()) << c.label;
            continue;
        }
        EXPECT_EQ(message_of(chosen.refused), "设置文件 “" + path + "” 无法读取（" + c.reason + "），已使用内置值") << c.label;
    }

    // A folder where the file should be; a broken file that no role needs is
    // not read.
    fs::create_directories(folder.path / "folder.ini");
    const std::string folder_file = test_support::utf8_of(folder.path / "folder.ini");
    EXPECT_EQ(message_of(web::choose_hosts(built_in, {}, none, folder_file).refused),
              "设置文件 “" + folder_file + "” 无法读取（这是一个文件夹），已使用内置值");
    auto all = [](const char*) -> std::optional<std::string> { return "v.test"; };
    EXPECT_TRUE(web::choose_hosts(built_in, {}, all, folder_file).refused.empty());
}

// take_hosts looks in the system's place: the XDG configuration folder, or
// on Windows beside a portable copy and in %APPDATA% for an installed one.
TEST(HostSettings, TakeHostsReadsTheFileWhereTheSystemKeepsIt) {
    scratch_folder folder;
    const web::site_hosts saved = web::current_hosts();
    for (const char* variable : {"QUORLA_SITE_HOST", "QUORLA_SEARCH_HOST", "QUORLA_STREAM_HOST"})
        test_support::set_environment(variable, std::nullopt);
    struct place_case {
        bool installed;
        const char* file;  // under the scratch folder
    };
    const std::vector<place_case> cases = test_support::on_windows
        ? std::vector<place_case>{{false, "程序/bin/quorla-hd.ini"}, {true, "appdata/Quorla HD/quorla-hd.ini"}}
        : std::vector<place_case>{{false, "config/quorla-hd/quorla-hd.ini"}};
    for (const place_case& c : cases) {
        const fs::path program = folder.path / test_support::utf8_path("程序/bin");
        common::replace_program_directory_for_testing(test_support::utf8_of(program));
        fs::create_directories(program);
        if (c.installed) folder.write("程序/share/quorla-hd/installed", "");
        test_support::set_environment("XDG_CONFIG_HOME", test_support::utf8_of(folder.path / "config"));
        test_support::set_environment("APPDATA", test_support::utf8_of(folder.path / "appdata"));

        const std::string file = folder.write(c.file, "[hosts]\nsite = file.test\nsearch = file.test\nstream = a b\n");
        EXPECT_EQ(fs::path(test_support::utf8_path(web::settings_file_path())), fs::path(test_support::utf8_path(file)));
        test_support::set_environment("QUORLA_SEARCH_HOST", "variable.test");
        const auto refused = web::take_hosts({{}, {}, "option.test"});
        const web::site_hosts now = web::current_hosts();
        EXPECT_EQ(now.site + " " + now.search + " " + now.stream, "file.test variable.test option.test") << c.file;
        EXPECT_TRUE(refused.empty()) << c.file;
        EXPECT_EQ(web::take_hosts().size(), 1u) << c.file;  // stream = a b
        EXPECT_EQ(web::current_hosts().stream, web::built_in_hosts().stream);
        fs::remove_all(program.parent_path());
    }
    if (!test_support::on_windows) {
        // A relative XDG_CONFIG_HOME is ignored for ~/.config.
        test_support::set_environment("XDG_CONFIG_HOME", "config");
        test_support::set_environment("HOME", test_support::utf8_of(folder.path));
        EXPECT_EQ(web::settings_file_path(), test_support::utf8_of(folder.path) + "/.config/quorla-hd/quorla-hd.ini");
    }
    common::replace_program_directory_for_testing("");
    test_support::set_environment("QUORLA_SEARCH_HOST", std::nullopt);
    web::replace_hosts_for_testing(saved);
}

}  // namespace
