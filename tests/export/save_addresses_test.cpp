#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "app/handlers.h"
#include "qt/main_window_qt.h"
#include "common/code_page.h"
#include "services/program_state.h"
#include "services/system_services.h"
#include "services/testing_hooks.h"
#include "export/save_addresses.h"
#include "sample_site/sample_site.h"
#include "web/site_hosts.h"

using common::control;
namespace fs = std::filesystem;

namespace {

std::string g(const char* utf8) { return common::convert_utf8_to_gbk(utf8); }

class save_addresses : public ::testing::Test {
protected:
    void SetUp() override {
        common::clear_stop_for_testing();
        folder = fs::temp_directory_path() / ("save_addresses_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        common::replace_program_directory_for_testing(folder.string());
        // Saves that leave the program's directory go to this home's folders.
        home = fs::temp_directory_path() / ("save_addresses_home_" + std::to_string(::getpid()));
        fs::remove_all(home);
        fs::create_directories(home);
        if (const char* old = std::getenv("HOME")) old_home = old;
        ::setenv("HOME", home.c_str(), 1);
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) old_config = old;
        ::unsetenv("XDG_CONFIG_HOME");
        site = std::make_unique<sample_site::server>();
        web::replace_hosts_for_testing({site->host(), site->host(), site->host()});
        main = app::load_main_window();
        app::show_main_window(*main);
        common::set_message_box_hook([this](const std::string&, int, const std::string&) {
            ++message_boxes;
            return 0;
        });
    }
    void TearDown() override {
        common::set_message_box_hook(nullptr);
        main.reset();
        site.reset();
        common::replace_program_directory_for_testing("");
        common::set_video_title("");
        fs::remove_all(folder);
        fs::remove_all(home);
        restore("HOME", old_home);
        restore("XDG_CONFIG_HOME", old_config);
    }
    static void restore(const char* name, const std::optional<std::string>& value) {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    QAction* menu_item(int index) { return main->findChild<QMenu*>(QString::fromUtf8("保存地址"))->actions()[index]; }
    void choose_mode(int index) { main->findChild<QComboBox*>(QString::fromUtf8("组合框1"))->setCurrentIndex(index); }
    void add_address(const std::string& name, const std::string& address) {
        int row = common::list_insert_row(control::超级列表框1);
        common::list_set_cell(control::超级列表框1, row, 0, std::to_string(row + 1));
        common::list_set_cell(control::超级列表框1, row, 1, name);
        common::list_set_cell(control::超级列表框1, row, 2, address);
        common::list_set_cell(control::超级列表框1, row, 3, "720P");
    }
    void add_hit(const std::string& name, const std::string& id) {
        int row = common::list_insert_row(control::超级列表框2);
        common::list_set_cell(control::超级列表框2, row, 1, name);
        common::list_set_cell(control::超级列表框2, row, 4, id);
    }
    // The file named by a GBK base name, or "<none>".
    std::string file_text(const std::string& gbk_base, const std::string& extension = ".html") {
        return bytes_at(folder / common::convert_gbk_to_utf8(gbk_base + extension));
    }
    static std::string bytes_at(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        if (!in) return "<none>";
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::size_t files() { return std::distance(fs::directory_iterator(folder), fs::directory_iterator()); }
    std::string status() { return common::convert_utf8_to_gbk(main->findChild<QLabel*>("part1")->accessibleDescription().toStdString()); }
    std::string saved(const std::string& base) { return g("下载地址保存成功. ") + base + g(".html 地址保存在软件目录下"); }

    fs::path folder;
    fs::path home;
    std::optional<std::string> old_home, old_config;
    std::unique_ptr<sample_site::server> site;
    std::unique_ptr<app::main_window> main;
    int message_boxes = 0;
};

}  // namespace

TEST_F(save_addresses, the_menu_item_writes_every_row_as_a_link) {
    choose_mode(2);
    common::set_video_title(g("长夜"));
    add_address("A", "U");
    add_address(g("第2集"), "http://h/v.mp4?a=1&tss=no");
    main->findChild<QMenu*>(QString::fromUtf8("保存地址"))->actions()[0]->trigger();
    EXPECT_EQ(file_text(g("长夜")), "\r\n<pre>\r\n<a href=U target='_blank'>A</a>\r\n</pre>\r\n<pre>\r\n<a href=" +
                                        std::string("http://h/v.mp4?a=1&tss=no target='_blank'>") + g("第2集") +
                                        "</a>\r\n</pre>");
    EXPECT_EQ(status(), saved(g("长夜")));
    EXPECT_EQ(message_boxes, 0);

    // Saving again replaces the content.
    common::list_clear(control::超级列表框1);
    add_address("B", "V");
    exporting::save_all_addresses();
    EXPECT_EQ(file_text(g("长夜")), "\r\n<pre>\r\n<a href=V target='_blank'>B</a>\r\n</pre>");
    EXPECT_EQ(files(), 1u);
}

TEST_F(save_addresses, nothing_is_written_without_a_mode_or_a_first_name) {
    add_address("A", "U");
    common::status_set_text(control::状态条1, 1, "before");
    exporting::save_all_addresses();
    EXPECT_EQ(files(), 0u);
    EXPECT_EQ(status(), "before");

    choose_mode(2);
    common::list_clear(control::超级列表框1);
    exporting::save_all_addresses();  // empty list
    EXPECT_EQ(status(), g("未获取地址，请获取后再保存地址!!"));
    add_address("", "U");
    add_address("B", "V");
    common::status_set_text(control::状态条1, 1, "");
    exporting::save_all_addresses();  // only the first name counts
    EXPECT_EQ(status(), g("未获取地址，请获取后再保存地址!!"));
    EXPECT_EQ(files(), 0u);
}

TEST_F(save_addresses, each_mode_names_the_file_its_own_way) {
    add_address("A", "U");
    // Search mode: the selected hit, not the videos listed.
    add_hit(g("毒战"), "1001");
    add_hit(g("毒蛇"), "1004");
    main->findChild<QTableWidget*>(QString::fromUtf8("超级列表框2"))->selectRow(1);
    choose_mode(0);
    exporting::save_all_addresses();
    EXPECT_NE(file_text(g("毒蛇")), "<none>");
    EXPECT_EQ(status(), saved(g("毒蛇")));

    // ID mode: the series page's title for the programme in the search box.
    choose_mode(1);
    common::set_edit_text(control::编辑框1, "1003");
    site->clear_log();
    exporting::save_all_addresses();
    EXPECT_NE(file_text(g("长夜")), "<none>");
    ASSERT_EQ(site->requests().size(), 1u);
    EXPECT_EQ(site->requests()[0].request_line, "GET /tv/1003.html HTTP/1.1");

    // No-episode mode before any run: no hidden ".html" but the first
    // listed name.
    choose_mode(2);
    exporting::save_all_addresses();
    EXPECT_EQ(file_text(""), "<none>");
    EXPECT_NE(file_text("A"), "<none>");
    EXPECT_EQ(status(), saved("A"));
    EXPECT_EQ(files(), 3u);
}

TEST_F(save_addresses, a_hostile_series_title_stays_in_the_directory_and_out_of_the_markup) {
    choose_mode(1);
    common::set_edit_text(control::编辑框1, "1005");
    add_address(g("<script>x</script>\"q'"), "http://h/a b\"><i>");
    exporting::save_all_addresses();
    std::string base = g("夜航: 归途_<特别版> & \"导演剪辑\"");
    EXPECT_EQ(status(), saved(base));
    EXPECT_EQ(file_text(base), "\r\n<pre>\r\n<a href=http://h/a%20b%22%3E%3Ci%3E target='_blank'>"
                               "&lt;script&gt;x&lt;/script&gt;&quot;q&#39;</a>\r\n</pre>");
    EXPECT_EQ(files(), 1u);
}

TEST_F(save_addresses, a_failed_write_says_so_and_keeps_the_old_file) {
    choose_mode(2);
    add_address("A", "U");
    // The longest name the directory takes: its temporary file is named
    // apart, so it is saved over the old file.
    std::string long_name(250, 'n');
    common::set_video_title(long_name);
    { std::ofstream(folder / (long_name + ".html"), std::ios::binary) << "old"; }
    exporting::save_all_addresses();
    EXPECT_EQ(file_text(long_name), "\r\n<pre>\r\n<a href=U target='_blank'>A</a>\r\n</pre>");
    EXPECT_EQ(status(), saved(long_name));

    // A write cut short (the file-size limit stops it after 16 bytes) keeps
    // the old file and leaves no temporary file.
    { std::ofstream(folder / (long_name + ".html"), std::ios::binary) << "old"; }
    rlimit before{};
    ::getrlimit(RLIMIT_FSIZE, &before);
    auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    exporting::save_all_addresses();
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_EQ(file_text(long_name), "old");
    EXPECT_EQ(status(), g("下载地址保存失败. ") + long_name + g(".html 无法写入软件目录"));
    EXPECT_EQ(files(), 1u);

    // A folder in the place of the file, for each kind of file.
    common::set_video_title("t");
    struct failure {
        int item;
        std::string extension, text;
    };
    for (const failure& f : {failure{0, ".html", g("下载地址保存失败. ")}, failure{1, ".m3u8", g("播放列表保存失败. ")},
                             failure{2, ".txt", g("下载列表保存失败. ")}}) {
        fs::create_directories(folder / ("t" + f.extension) / "kept");
        menu_item(f.item)->trigger();
        EXPECT_EQ(status(), f.text + "t" + f.extension + g(" 无法写入软件目录"));
        EXPECT_TRUE(fs::exists(folder / ("t" + f.extension) / "kept"));
    }

    // A program directory that cannot hold files (a regular file stands in
    // its place) and a home that is no folder either: the failure names
    // where the file was to go.
    { std::ofstream(folder / "plain", std::ios::binary) << "x"; }
    common::replace_program_directory_for_testing((folder / "plain").string());
    ::setenv("HOME", (folder / "plain").c_str(), 1);
    exporting::save_all_addresses();
    EXPECT_EQ(status(), g("下载地址保存失败. ") + "t" + g(".html 无法写入 ") + (folder / "plain").string());
    EXPECT_EQ(message_boxes, 0);
}

// The program as it starts (the signal at its default action until the
// program's own start-up), saving under a file-size limit in a child
// process: the save fails with its text instead of ending the program.
TEST_F(save_addresses, a_file_size_limit_fails_the_save_without_ending_the_program) {
    choose_mode(2);
    add_address("A", "U");
    common::set_video_title("t");
    { std::ofstream(folder / "t.html", std::ios::binary) << "old"; }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        common::init_program_state();
        common::set_video_title("t");
        rlimit small{};
        ::getrlimit(RLIMIT_FSIZE, &small);
        small.rlim_cur = 16;
        if (::setrlimit(RLIMIT_FSIZE, &small) != 0) ::_exit(2);
        exporting::save_all_addresses();
        ::_exit(status() == g("下载地址保存失败. t.html 无法写入软件目录") ? 0 : 3);
    }
    int outcome = 0;
    ASSERT_EQ(::waitpid(child, &outcome, 0), child);
    ASSERT_FALSE(WIFSIGNALED(outcome)) << "ended by signal " << WTERMSIG(outcome);
    EXPECT_EQ(WEXITSTATUS(outcome), 0) << "3: the status text is not the failure text";
    EXPECT_EQ(file_text("t"), "old");
    EXPECT_EQ(files(), 1u);  // no temporary file left
}

namespace {

// A data folder holding the sample site's data and one more programme whose
// episode titles hold spaces, quotes, slashes and Chinese, an episode whose
// video has no quality, and one page of two videos (two rows, one name).
fs::path data_with_awkward_names() {
    fs::path data = fs::temp_directory_path() / ("save_addresses_data_" + std::to_string(::getpid()));
    fs::remove_all(data);
    fs::copy(sample_site::server::default_data_folder(), data, fs::copy_options::recursive);
    std::ofstream(data / "programmes" / "2001.txt", std::ios::binary)
        << "name: 合集\n"
           "series title: 合集 \"特别\"/版\n"
           "episode: 夜航 \"导演剪辑\" 1/2 | 5002\n"
           "episode: 无地址 | 5005\n"
           "episode: 同名 剧集 | 5101 ; 下 | 5102\n"
           "episode: Tom's <b>x</b> & y | 5003\n";
    return data;
}

// What aria2c prints for a dry run of the list, or nullopt without aria2c.
std::optional<std::string> aria2_dry_run(const fs::path& list, const fs::path& out_dir) {
    if (std::system("command -v aria2c >/dev/null 2>&1") != 0) return std::nullopt;
    std::string command = "cd '" + out_dir.string() +
                          "' && env -u http_proxy -u https_proxy -u all_proxy -u HTTP_PROXY -u HTTPS_PROXY "
                          "-u ALL_PROXY timeout 60 aria2c --no-conf --dry-run "
                          "--console-log-level=error --summary-interval=0 --max-tries=1 -d . -i '" +
                          list.string() + "' 2>&1";
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
        ::pclose(pipe);
    }
    return output;
}

}  // namespace

TEST_F(save_addresses, a_run_against_the_sample_site_saves_a_playlist_and_a_download_list) {
    fs::path data = data_with_awkward_names();
    site = std::make_unique<sample_site::server>(data.string());
    web::replace_hosts_for_testing({site->host(), site->host(), site->host()});

    common::set_edit_text(control::编辑框1, "2001");
    common::set_edit_text(control::编辑框2, "4");
    choose_mode(1);
    app::start_resolve_run();
    QElapsedTimer timer;
    timer.start();
    while (common::running_threads() > 0 && timer.elapsed() < 20000) QTest::qWait(10);
    ASSERT_EQ(common::list_row_count(control::超级列表框1), 5);
    ASSERT_EQ(common::list_get_cell(control::超级列表框1, 1, 2), "") << "the video without a quality";

    menu_item(1)->trigger();
    const std::string base = g("合集 \"特别\"_版");
    EXPECT_EQ(status(), g("播放列表保存成功. ") + base + g(".m3u8 共4个地址保存在软件目录下"));
    const std::string stream = "http://" + site->host() + "/stream/";
    EXPECT_EQ(file_text(base, ".m3u8"),
              "#EXTM3U\n"
              "#EXTINF:-1,夜航 \"导演剪辑\" 1/2\n" + stream + "v5002/720.mp4?key=hdv5002&tss=no\n"
              "#EXTINF:-1,同名 剧集\n" + stream + "v5101/1080.mp4?key=fhdv5101&tss=no\n"
              "#EXTINF:-1,同名 剧集\n" + stream + "v5102/720.mp4?key=hdv5102&tss=no\n"
              "#EXTINF:-1,Tom's <b>x</b> & y\n" + stream + "v5003/1300.flv?key=scv5003&tss=no\n");

    menu_item(2)->trigger();
    EXPECT_EQ(status(), g("下载列表保存成功. ") + base + g(".txt 共4个地址保存在软件目录下"));
    EXPECT_EQ(file_text(base, ".txt"),
              stream + "v5002/720.mp4?key=hdv5002&tss=no\n out=夜航 \"导演剪辑\" 1_2.mp4\n" +
              stream + "v5101/1080.mp4?key=fhdv5101&tss=no\n out=同名 剧集.mp4\n" +
              stream + "v5102/720.mp4?key=hdv5102&tss=no\n out=同名 剧集 (2).mp4\n" +
              stream + "v5003/1300.flv?key=scv5003&tss=no\n out=Tom's <b>x<_b> & y.flv\n");

    // The download manager reads the same four files from the list and
    // finds each address on the site.
    fs::path out_dir = home / "aria2";
    fs::create_directories(out_dir);
    site->clear_log();
    std::optional<std::string> report = aria2_dry_run(folder / common::convert_gbk_to_utf8(base + ".txt"), out_dir);
    fs::remove_all(data);
    if (!report) GTEST_SKIP() << "aria2c is not installed";
    // Result lines: "gid|OK  |   speed|path".
    std::vector<std::string> fetched;
    std::istringstream lines(*report);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("|OK  |") != std::string::npos)
            fetched.push_back(fs::path(line.substr(line.rfind('|') + 1)).filename().string());
    }
    std::vector<std::string> written = {"Tom's <b>x<_b> & y.flv", "同名 剧集 (2).mp4", "同名 剧集.mp4",
                                        "夜航 \"导演剪辑\" 1_2.mp4"};
    std::sort(fetched.begin(), fetched.end());  // aria2 lists them as they finish
    EXPECT_EQ(fetched, written) << *report;
    // A dry run asks for each address's head: the addresses as listed.
    std::vector<std::string> asked;
    for (const auto& request : site->requests()) asked.push_back(request.request_line);
    std::sort(asked.begin(), asked.end());
    std::vector<std::string> listed = {
        "HEAD /stream/v5002/720.mp4?key=hdv5002&tss=no HTTP/1.1", "HEAD /stream/v5003/1300.flv?key=scv5003&tss=no HTTP/1.1",
        "HEAD /stream/v5101/1080.mp4?key=fhdv5101&tss=no HTTP/1.1", "HEAD /stream/v5102/720.mp4?key=hdv5102&tss=no HTTP/1.1"};
    EXPECT_EQ(asked, listed);
    EXPECT_EQ(std::distance(fs::directory_iterator(out_dir), fs::directory_iterator()), 0) << "a dry run saves nothing";
}

TEST_F(save_addresses, closing_the_window_during_the_series_fetch_writes_nothing) {
    site->set_fault(sample_site::fault::never_answer, "/tv/");
    choose_mode(1);
    common::set_edit_text(control::编辑框1, "1003");
    add_address("A", "U");
    QTimer::singleShot(200, main.get(), [this] { main->close(); });
    menu_item(0)->trigger();
    EXPECT_TRUE(common::stop_requested());
    EXPECT_EQ(files(), 0u);
}

TEST_F(save_addresses, rows_without_an_address_are_left_out_and_none_means_no_file) {
    choose_mode(2);
    common::set_video_title(g("长夜"));
    add_address("A", "");
    add_address("B", "");
    for (int item : {1, 2}) {
        common::status_set_text(control::状态条1, 1, "");
        menu_item(item)->trigger();
        EXPECT_EQ(status(), g("未获取地址，请获取后再保存地址!!"));
    }
    EXPECT_EQ(files(), 0u);
}

TEST_F(save_addresses, a_program_directory_that_takes_no_files_saves_into_the_download_folder) {
    fs::create_directories(home / "Downloads");
    const std::string downloads = (home / "Downloads").string();
    choose_mode(2);
    common::set_video_title(g("长夜"));
    add_address("A", "http://h/a.mp4");
    // /proc takes no new files, whoever asks.
    common::replace_program_directory_for_testing("/proc");
    menu_item(0)->trigger();
    EXPECT_EQ(status(), g("下载地址保存成功. 长夜.html 地址保存在 ") + downloads);
    EXPECT_EQ(bytes_at(home / "Downloads" / "长夜.html"), "\r\n<pre>\r\n<a href=http://h/a.mp4 target='_blank'>A</a>\r\n</pre>");
    menu_item(1)->trigger();
    EXPECT_EQ(status(), g("播放列表保存成功. 长夜.m3u8 共1个地址保存在 ") + downloads);
    EXPECT_EQ(bytes_at(home / "Downloads" / "长夜.m3u8"), "#EXTM3U\n#EXTINF:-1,A\nhttp://h/a.mp4\n");
    EXPECT_EQ(files(), 0u);
}

TEST_F(save_addresses, a_program_directory_outside_gbk_is_written_as_it_is_named) {
    const fs::path beside = folder / "한국어 🎬";
    fs::create_directories(beside);
    common::replace_program_directory_for_testing(beside.string());
    choose_mode(2);
    common::set_video_title(g("长夜"));
    add_address("A", "http://h/a.mp4");
    menu_item(2)->trigger();
    EXPECT_EQ(status(), g("下载列表保存成功. 长夜.txt 共1个地址保存在软件目录下"));
    EXPECT_EQ(bytes_at(beside / "长夜.txt"), "http://h/a.mp4\n out=A.mp4\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(beside), fs::directory_iterator()), 1);
}
