#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/main_window.h"
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
    }
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
    std::string file_text(const std::string& gbk_base) {
        std::ifstream in(folder / common::convert_gbk_to_utf8(gbk_base + ".html"), std::ios::binary);
        if (!in) return "<none>";
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::size_t files() { return std::distance(fs::directory_iterator(folder), fs::directory_iterator()); }
    std::string status() { return common::convert_utf8_to_gbk(main->findChild<QLabel*>("part1")->text().toStdString()); }
    std::string saved(const std::string& base) { return g("下载地址保存成功. ") + base + g(".html 地址保存在软件目录下"); }

    fs::path folder;
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

    // No-episode mode before any run: a file named ".html".
    choose_mode(2);
    exporting::save_all_addresses();
    EXPECT_NE(file_text(""), "<none>");
    EXPECT_EQ(status(), saved(""));
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
    // A name that fits the directory but whose temporary neighbour does not.
    std::string long_name(250, 'n');
    common::set_video_title(long_name);
    { std::ofstream(folder / (long_name + ".html"), std::ios::binary) << "old"; }
    exporting::save_all_addresses();
    EXPECT_EQ(file_text(long_name), "old");
    std::string failed = g("下载地址保存失败. ") + long_name + g(".html 无法写入软件目录");
    EXPECT_EQ(status(), failed);

    // A directory that cannot hold files: a regular file stands in its place.
    { std::ofstream(folder / "plain", std::ios::binary) << "x"; }
    common::replace_program_directory_for_testing((folder / "plain").string());
    common::set_video_title("t");
    exporting::save_all_addresses();
    EXPECT_EQ(status(), g("下载地址保存失败. ") + "t" + g(".html 无法写入软件目录"));
    EXPECT_EQ(message_boxes, 0);
}
