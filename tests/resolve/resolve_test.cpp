#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTest>

#include "app/handlers.h"
#include "app/main_window.h"
#include "common/gbk.h"
#include "common/program_state.h"
#include "common/system_services.h"
#include "common/window_binding.h"
#include "resolve/stream_select.h"
#include "resolve/title_unescape.h"
#include "sample_site/sample_site.h"
#include "web/site_hosts.h"

using common::control;
using common::gbk;

namespace {

std::string g(const char* utf8) { return common::convert_utf8_to_gbk(utf8); }

class resolve_run : public ::testing::Test {
protected:
    void SetUp() override {
        common::clear_stop_for_testing();
        site = std::make_unique<sample_site::server>(sample_site::server::default_data_folder(), 0, "10.0.0.7");
        web::replace_hosts_for_testing({site->host(), site->host(), "10.0.0.7"});
        main = app::load_main_window();
        app::show_main_window(*main);
    }
    void TearDown() override {
        wait_for_runs();
        main.reset();
        site.reset();
    }
    static void wait_for_runs() {
        QElapsedTimer timer;
        timer.start();
        while (common::running_threads() > 0 && timer.elapsed() < 20000) QTest::qWait(10);
    }
    std::string cell(int row, int column) { return common::list_get_cell(control::超级列表框1, row, column); }
    std::unique_ptr<sample_site::server> site;
    std::unique_ptr<app::main_window> main;
};

}  // namespace

TEST_F(resolve_run, id_mode_lists_every_episode_in_request_order) {
    common::set_edit_text(control::编辑框1, "1001");
    common::set_edit_text(control::编辑框2, "3");
    main->findChild<QComboBox*>(QString::fromUtf8("组合框1"))->setCurrentIndex(1);
    app::start_resolve_run();
    wait_for_runs();
    ASSERT_EQ(common::list_row_count(control::超级列表框1), 3);
    for (int row = 0; row < 3; ++row) EXPECT_EQ(cell(row, 0), std::to_string(row + 1));
    EXPECT_EQ(cell(0, 3), "1080P");
    EXPECT_EQ(cell(1, 3), "720P");
    EXPECT_EQ(cell(2, 3), gbk<"超清">());
    EXPECT_EQ(cell(0, 2).rfind("http://10.0.0.7/stream/v5001/", 0), 0u) << cell(0, 2);
    EXPECT_EQ(cell(0, 2).substr(cell(0, 2).size() - 7), "&tss=no");
    std::vector<std::string> targets;
    for (const auto& r : site->requests()) targets.push_back(r.request_line);
    std::vector<std::string> expected = {
        "GET /ptv/pplay/1001/1.html HTTP/1.1", "GET /v_xml/5001.xml HTTP/1.1",
        "GET /ptv/pplay/1001/2.html HTTP/1.1", "GET /v_xml/5002.xml HTTP/1.1",
        "GET /ptv/pplay/1001/3.html HTTP/1.1", "GET /v_xml/5003.xml HTTP/1.1",
    };
    EXPECT_EQ(targets, expected);
}

TEST_F(resolve_run, mode_none_changes_nothing) {
    common::list_insert_row(control::超级列表框1, -1, "kept");
    app::start_resolve_run();
    wait_for_runs();
    EXPECT_EQ(common::list_row_count(control::超级列表框1), 1);
    EXPECT_TRUE(site->requests().empty());
}

TEST(quality_ladder, the_first_probe_found_decides) {
    web::replace_hosts_for_testing({"s", "s", "H"});
    struct ladder_case {
        std::string descriptor;
        bool found;
        std::string address;
        std::string label;
    };
    std::vector<ladder_case> cases = {
        {R"("a_720p":["http:\/\/H\/b.mp4?x=1&tss=no"],"a_1080p":["http:\/\/H\/a\/b.mp4?x=1&tss=no"])", true,
         "http://H/a/b.mp4?x=1&tss=no", "1080P"},
        {R"("q1000":["http:\/\/H\/c&tss=no"])", true, "http://H/c&tss=no", g("高清")},
        {R"("x1080P":["http:\/\/H\/no&tss=no"],"y720p":["HTTP:\/\/H\/y\\z&tss=no"])", true, "http://H/yz&tss=no", "720P"},
        {R"("d":"13000","k350":["http:\/\/H\/s&tss=no"])", true, "http://H&tss=no", g("超清")},
        {"", false, "", ""},
    };
    for (const ladder_case& c : cases) {
        resolve::stream_choice got = resolve::select_stream(c.descriptor);
        EXPECT_EQ(got.found, c.found) << c.descriptor;
        EXPECT_EQ(got.address, c.address) << c.descriptor;
        EXPECT_EQ(got.label, c.label) << c.descriptor;
    }
}

TEST(title_unescape, escapes_are_decoded_as_the_script_engine_does) {
    struct title_case {
        std::string in, out;
    };
    std::vector<title_case> cases = {
        {g("中\\u6587's"), g("中文's")},
        {"\\U4E2D", "U4E2D"},
        {"%41", "A"},
        {"a\\\"b\\/c", "a\"b/c"},
        {g("’{$}"), "'\r\n"},
        {"\rx\r\ny", "x\r\ny"},
        {"", ""},
        {"ends\\", "ends\\"},  // not evaluable: kept as cut
    };
    for (const title_case& c : cases) EXPECT_EQ(resolve::unescape_title(c.in), c.out) << c.in;
}
