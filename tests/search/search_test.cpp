#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <httplib.h>

#include <chrono>
#include <thread>

#include "qt/main_window_qt.h"
#include "common/code_page.h"
#include "services/system_services.h"
#include "services/testing_hooks.h"
#include "sample_site/sample_site.h"
#include "search/keyword_search.h"
#include "web/site_hosts.h"

using common::control;

namespace {

std::string g(const char* utf8) { return common::convert_utf8_to_gbk(utf8); }

// A search host that answers after a pause with one hit whose name is the
// keyword as received, so nested searches can be told apart.
class slow_search_host {
public:
    slow_search_host() {
        server_.Get("/s", [](const httplib::Request& req, httplib::Response& res) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            std::string wd = req.get_param_value("wd");
            res.set_content("pid:'7',keyWord:'" + wd + "',pushFlag:'1',site:'',type:'tv',total:'2',newplay:'2',",
                            "text/html; charset=utf-8");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~slow_search_host() {
        server_.stop();
        thread_.join();
    }
    std::string host() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

class keyword_search_run : public ::testing::Test {
protected:
    void SetUp() override {
        common::clear_stop_for_testing();
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
    }
    void search_for(const std::string& keyword) {
        common::set_edit_text(control::编辑框1, keyword);
        search::keyword_search();
    }
    std::vector<std::vector<std::string>> hits() {
        std::vector<std::vector<std::string>> rows;
        for (int row = 0; row < common::list_row_count(control::超级列表框2); ++row) {
            rows.emplace_back();
            for (int column = 0; column < 5; ++column)
                rows.back().push_back(common::list_get_cell(control::超级列表框2, row, column));
        }
        return rows;
    }
    std::unique_ptr<sample_site::server> site;
    std::unique_ptr<app::main_window> main;
    int message_boxes = 0;
};

}  // namespace

TEST_F(keyword_search_run, hits_fill_five_columns_with_the_substitutions) {
    search_for(g("毒"));
    std::vector<std::vector<std::string>> expected = {
        {"1", g("毒战"), "12", "12", "1001"},
        {"2", g("毒蛇"), "1", "0", "1004"},  // total "0" shows 1, newplay "0" stays
    };
    EXPECT_EQ(hits(), expected);
    ASSERT_EQ(site->requests().size(), 1u);
    EXPECT_EQ(site->requests()[0].request_line, "GET /s?wd=%E6%AF%92 HTTP/1.1");
    EXPECT_EQ(message_boxes, 0);
}

TEST_F(keyword_search_run, capitals_and_an_empty_count_still_make_hits) {
    search_for(g("夜"));
    std::vector<std::vector<std::string>> expected = {
        {"1", g("长夜"), "1", "1", "1003"},
        {"2", g("夜航"), "3", "1", "1005"},  // PID and KEYWORD in capitals, empty newplay
    };
    EXPECT_EQ(hits(), expected);
}

TEST_F(keyword_search_run, a_second_search_replaces_the_rows_and_other_sites_are_skipped) {
    search_for(g("毒"));
    search_for("");  // every programme, then one record of another site
    auto rows = hits();
    ASSERT_EQ(rows.size(), 5u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][0], std::to_string(i + 1));
        EXPECT_NE(rows[i][4].substr(0, 1), "9") << "the other site's record is not a hit";
    }
    EXPECT_EQ(site->requests().back().request_line, "GET /s?wd= HTTP/1.1");
}

TEST_F(keyword_search_run, an_unreachable_host_empties_the_list_silently) {
    search_for(g("毒"));
    ASSERT_EQ(hits().size(), 2u);
    common::status_set_text(control::状态条1, 1, "kept");
    site->set_fault(sample_site::fault::refuse);
    search_for(g("毒"));
    EXPECT_TRUE(hits().empty());
    EXPECT_EQ(message_boxes, 0);
    EXPECT_EQ(common::edit_text(control::编辑框1), g("毒"));
    EXPECT_EQ(main->findChild<QLabel*>("part1")->text(), "kept") << "no status text on a failed search";
}

TEST_F(keyword_search_run, the_list_is_kept_and_the_pointer_busy_while_the_page_downloads) {
    search_for(g("毒"));
    slow_search_host slow;
    web::replace_hosts_for_testing({site->host(), slow.host(), site->host()});
    int rows_seen = -1;
    bool busy_seen = false;
    QTimer::singleShot(100, [&] {
        rows_seen = common::list_row_count(control::超级列表框2);
        busy_seen = QGuiApplication::overrideCursor() != nullptr;
    });
    search_for("x");
    EXPECT_EQ(rows_seen, 2) << "the old hits stay until the page has arrived";
    EXPECT_TRUE(busy_seen);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    std::vector<std::vector<std::string>> expected = {{"1", "x", "2", "2", "7"}};
    EXPECT_EQ(hits(), expected);
}

TEST_F(keyword_search_run, a_search_started_during_the_download_runs_inside_and_is_replaced) {
    slow_search_host slow;
    web::replace_hosts_for_testing({site->host(), slow.host(), site->host()});
    std::vector<std::vector<std::string>> inner_rows;
    QTimer::singleShot(100, [&] {
        common::set_edit_text(control::编辑框1, "inner");
        search::keyword_search();
        inner_rows = hits();
    });
    search_for("outer");
    ASSERT_EQ(inner_rows.size(), 1u) << "the inner search ran to its end during the outer one";
    EXPECT_EQ(inner_rows[0][1], "inner");
    std::vector<std::vector<std::string>> expected = {{"1", "outer", "2", "2", "7"}};
    EXPECT_EQ(hits(), expected) << "the outer search's results come last";
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
