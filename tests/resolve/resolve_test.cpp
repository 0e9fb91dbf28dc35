#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QTest>

#include <unistd.h>

#include <filesystem>

#include "app/handlers.h"
#include "qt/main_window_qt.h"
#include "common/gbk.h"
#include "services/program_state.h"
#include "services/system_services.h"
#include "services/testing_hooks.h"
#include "resolve/play_pages.h"
#include "resolve/stream_select.h"
#include "resolve/title_unescape.h"
#include "export/save_addresses.h"
#include "sample_site/sample_site.h"
#include "web/cookie_store.h"
#include "web/site_hosts.h"

using common::control;
using common::gbk;

namespace {

using after_answer = sample_site::connection_options::after_answer;

std::string g(const char* utf8) { return common::convert_utf8_to_gbk(utf8); }

sample_site::connection_options ending(after_answer end) {
    sample_site::connection_options options;
    options.end = end;
    return options;
}

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
    int rows() { return common::list_row_count(control::超级列表框1); }
    void choose_mode(int index) { main->findChild<QComboBox*>(QString::fromUtf8("组合框1"))->setCurrentIndex(index); }
    void run_id_mode(const std::string& programme, const std::string& count) {
        common::set_edit_text(control::编辑框1, programme);
        common::set_edit_text(control::编辑框2, count);
        choose_mode(1);
        app::start_resolve_run();
        wait_for_runs();
    }
    void run_id_mode_async(const std::string& programme, const std::string& count) {
        common::set_edit_text(control::编辑框1, programme);
        common::set_edit_text(control::编辑框2, count);
        choose_mode(1);
        app::start_resolve_run();
    }
    void run_video_id(const std::string& vid) {
        common::set_edit_text(control::编辑框1, vid);
        choose_mode(2);
        main->findChild<QPushButton*>(QString::fromUtf8("按钮搜索"))->click();
        wait_for_runs();
    }
    // Puts one search hit in the list and selects it.
    void select_hit(const std::string& programme, const std::string& count) {
        common::list_clear(control::超级列表框2);
        int row = common::list_insert_row(control::超级列表框2);
        common::list_set_cell(control::超级列表框2, row, 1, "hit");
        common::list_set_cell(control::超级列表框2, row, 3, count);
        common::list_set_cell(control::超级列表框2, row, 4, programme);
        main->findChild<QTableWidget*>(QString::fromUtf8("超级列表框2"))->selectRow(row);
    }
    void choose_get_addresses() { main->findChild<QMenu*>(QString::fromUtf8("搜索获取"))->actions()[0]->trigger(); }
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

TEST_F(resolve_run, play_pages_do_nothing_outside_the_first_two_modes) {
    common::list_insert_row(control::超级列表框1, -1, "kept");
    common::set_edit_text(control::编辑框1, "1001");
    common::set_edit_text(control::编辑框2, "2");
    for (int mode : {-1, 2}) {
        choose_mode(mode);
        common::start_thread(resolve::resolve_play_pages);
        wait_for_runs();
        EXPECT_EQ(rows(), 1) << "mode " << mode << ": the list is not even cleared";
    }
    EXPECT_TRUE(site->requests().empty());
}

TEST_F(resolve_run, closing_the_window_during_downloads_ends_the_runs) {
    site->set_fault(sample_site::fault::drip, "/ptv/");
    run_id_mode_async("1001", "12");
    run_id_mode_async("1002", "2");
    QTest::qWait(300);
    ASSERT_EQ(common::running_threads(), 2) << "both runs are still downloading";
    main->close();
    EXPECT_EQ(common::running_threads(), 0) << "the window waited for the runs to stop";
    EXPECT_TRUE(common::stop_requested());
}

TEST_F(resolve_run, every_episode_gets_its_best_quality_or_a_clear_label) {
    run_id_mode("1001", "10");
    ASSERT_EQ(rows(), 10);
    EXPECT_EQ(cell(9, 0), "10");
    EXPECT_EQ(cell(9, 1), g("毒战 第10集"));
    EXPECT_EQ(site->requests()[18].request_line, "GET /ptv/pplay/1001/10.html HTTP/1.1");
    std::vector<std::string> labels = {"1080P", "720P", g("超清"), g("高清"), g("无可用清晰度"), "720P"};
    for (std::size_t row = 0; row < labels.size(); ++row) EXPECT_EQ(cell(row, 3), labels[row]) << row;
    EXPECT_EQ(cell(4, 1), g("毒战 第5集"));
    EXPECT_EQ(cell(4, 2), "") << "no quality: no address";
    EXPECT_EQ(cell(5, 2).rfind("http://10.0.0.7/stream/v5006/720", 0), 0u) << "1080P in capitals is not 1080p";
}

TEST_F(resolve_run, every_video_of_a_page_takes_the_page_title) {
    run_id_mode("1002", "2");
    ASSERT_EQ(rows(), 4);
    std::vector<std::string> titles = {g("父子 第1集 上"), g("父子 第1集 上"), g("父子 第2集 上"), g("父子 第2集 上")};
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(cell(row, 0), std::to_string(row + 1));
        EXPECT_EQ(cell(row, 1), titles[row]);
        EXPECT_NE(cell(row, 2).find("/v510" + std::to_string(row + 1) + "/"), std::string::npos) << cell(row, 2);
    }
}

TEST_F(resolve_run, capital_vid_lines_and_http_markers_are_found) {
    run_id_mode("1005", "1");
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(cell(0, 1), g("夜航 第1集"));
    EXPECT_EQ(cell(0, 2).rfind("http://10.0.0.7/stream/v5501/", 0), 0u) << cell(0, 2);
}

TEST_F(resolve_run, search_mode_reads_the_selected_hit) {
    select_hit("1002", "1");
    choose_mode(0);
    common::set_edit_text(control::编辑框1, "ignored");
    common::set_edit_text(control::编辑框2, "9");
    choose_get_addresses();
    wait_for_runs();
    ASSERT_EQ(rows(), 2);
    EXPECT_EQ(site->requests()[0].request_line, "GET /ptv/pplay/1002/1.html HTTP/1.1");
}

TEST_F(resolve_run, a_count_that_is_no_number_clears_and_fetches_nothing) {
    for (const char* count : {"", "abc", "0", "-3"}) {
        common::list_insert_row(control::超级列表框1, -1, "old");
        run_id_mode("1001", count);
        EXPECT_EQ(rows(), 0) << count;
    }
    EXPECT_TRUE(site->requests().empty());
}

TEST_F(resolve_run, a_failed_page_adds_no_row_and_the_run_goes_on) {
    site->set_fault(sample_site::fault::refuse, "/ptv/pplay/1001/2.html");
    site->set_fault(sample_site::fault::refuse, "/v_xml/5003.xml");
    run_id_mode("1001", "4");
    ASSERT_EQ(rows(), 3);
    EXPECT_EQ(cell(0, 1), g("毒战 第1集"));
    EXPECT_EQ(cell(1, 1), g("毒战 第3集"));
    EXPECT_EQ(cell(1, 3), g("无可用清晰度")) << "a missing descriptor offers nothing";
    EXPECT_EQ(cell(2, 1), g("毒战 第4集"));
    EXPECT_EQ(cell(2, 0), "3");
}

TEST_F(resolve_run, a_video_id_gives_one_row_with_its_decoded_title) {
    run_video_id("5201");
    ASSERT_EQ(rows(), 1);
    std::string title = g("长夜 (It's the \"导演剪辑\" cut)");
    EXPECT_EQ(cell(0, 0), "1");
    EXPECT_EQ(cell(0, 1), title);
    EXPECT_EQ(cell(0, 3), "1080P");
    EXPECT_EQ(common::video_title(), title);

    run_video_id("5004");  // a second run replaces the row
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(cell(0, 3), g("高清"));
    std::string second = common::video_title();
    EXPECT_NE(second, title);

    run_video_id("5005");  // nothing to offer: the title stays the last found one
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(cell(0, 2), "");
    EXPECT_EQ(cell(0, 3), g("无可用清晰度"));
    EXPECT_EQ(common::video_title(), second);
}

TEST_F(resolve_run, two_runs_at_once_keep_every_row_whole) {
  for (after_answer end : {after_answer::close, after_answer::keep}) {
    SCOPED_TRACE(end == after_answer::keep ? "kept connections" : "a connection per request");
    site->set_connection_options(ending(end));
    select_hit("1001", "12");
    choose_mode(0);
    choose_get_addresses();
    QTest::qWait(30);
    choose_get_addresses();
    wait_for_runs();
    ASSERT_GE(rows(), 12);
    ASSERT_LE(rows(), 24);
    for (int row = 0; row < rows(); ++row) {
        EXPECT_EQ(cell(row, 0), std::to_string(row + 1));
        std::string title = cell(row, 1);
        ASSERT_EQ(title.rfind(g("毒战 第"), 0), 0u) << row;
        int episode = std::stoi(title.substr(g("毒战 第").size()));
        std::string vid = std::to_string(5000 + episode);
        if (vid == "5005") {
            EXPECT_EQ(cell(row, 2), "");
            EXPECT_EQ(cell(row, 3), g("无可用清晰度"));
        } else if (vid == "5007") {  // "1300" only inside the duration: the 350 rung is used
            EXPECT_EQ(cell(row, 2), "http://10.0.0.7/stream/v5007/350.flv?key=smv5007&tss=no");
            EXPECT_EQ(cell(row, 3), g("流畅"));
        } else {
            EXPECT_NE(cell(row, 2).find("/v" + vid + "/"), std::string::npos) << row << " " << cell(row, 2);
        }
    }
  }
}

TEST_F(resolve_run, kept_connections_send_the_same_requests_in_the_same_order) {
    // A search, an ID-mode run and a save, each against a fresh site (so its
    // session cookie counts from 1 again); the heads as received, with the
    // site's own address written as HOST.
    const auto folder = std::filesystem::temp_directory_path() / ("kept_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    common::replace_program_directory_for_testing(folder.string());
    auto session = [&](after_answer end) {
        site = std::make_unique<sample_site::server>(sample_site::server::default_data_folder(), 0, "10.0.0.7");
        site->set_connection_options(ending(end));
        web::replace_hosts_for_testing({site->host(), site->host(), "10.0.0.7"});
        web::clear_cookies_for_testing();
        choose_mode(0);
        common::set_edit_text(control::编辑框1, g("毒"));
        main->findChild<QPushButton*>(QString::fromUtf8("按钮搜索"))->click();
        run_id_mode("1001", "3");
        exporting::save_all_addresses();
        std::vector<std::string> heads;
        for (const auto& request : site->requests()) {
            std::string head = request.raw_head;
            for (std::size_t at; (at = head.find(site->host())) != std::string::npos;)
                head.replace(at, site->host().size(), "HOST");
            heads.push_back(head + request.body);
        }
        return heads;
    };
    const auto one_per_request = session(after_answer::close);
    const std::size_t connections_before = site->connection_count();
    const auto kept = session(after_answer::keep);
    const std::size_t connections_kept = site->connection_count();
    common::replace_program_directory_for_testing("");
    std::filesystem::remove_all(folder);

    ASSERT_EQ(one_per_request.size(), 8u) << "a search, 3 play pages, 3 descriptors, a series page";
    EXPECT_EQ(kept, one_per_request);
    EXPECT_EQ(connections_before, one_per_request.size());
    EXPECT_LT(connections_kept, kept.size()) << "the kept run reused its connections";
}

TEST_F(resolve_run, a_site_that_closes_after_each_answer_still_gives_every_row) {
    for (after_answer end : {after_answer::close, after_answer::close_unannounced}) {
        SCOPED_TRACE(end == after_answer::close ? "announced" : "unannounced");
        site->set_connection_options(ending(end));
        run_id_mode("1001", "12");
        ASSERT_EQ(rows(), 12);
        for (int row = 0; row < rows(); ++row) EXPECT_EQ(cell(row, 1), g("毒战 第") + std::to_string(row + 1) + g("集"));
        EXPECT_EQ(cell(0, 3), "1080P");
    }
}

TEST_F(resolve_run, search_mode_end_to_end_from_the_button_and_the_menu) {
    auto* modes = main->findChild<QComboBox*>(QString::fromUtf8("组合框1"));
    modes->setCurrentIndex(0);
    emit modes->activated(0);
    common::set_edit_text(control::编辑框1, g("毒"));
    main->findChild<QPushButton*>(QString::fromUtf8("按钮搜索"))->click();
    ASSERT_EQ(common::list_row_count(control::超级列表框2), 2) << "the search is done when the button returns";

    auto* hits = main->findChild<QTableWidget*>(QString::fromUtf8("超级列表框2"));
    QPoint first = hits->visualItemRect(hits->item(0, 0)).center();
    QTest::mouseClick(hits->viewport(), Qt::LeftButton, {}, first);
    QTimer::singleShot(50, [] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions()[0]).center());
    });
    QTest::mouseClick(hits->viewport(), Qt::RightButton, {}, first);
    QTest::qWait(100);
    wait_for_runs();
    ASSERT_EQ(rows(), 12);
    EXPECT_EQ(cell(11, 1), g("毒战 第12集"));
}

TEST_F(resolve_run, id_mode_from_the_button_runs_on_a_worker) {
    common::set_edit_text(control::编辑框1, "1001");
    common::set_edit_text(control::编辑框2, "2");
    choose_mode(1);
    main->findChild<QPushButton*>(QString::fromUtf8("按钮搜索"))->click();
    wait_for_runs();
    EXPECT_EQ(rows(), 2);
}
