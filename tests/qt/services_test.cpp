#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTest>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QTableWidget>

#include <set>

#include "qt/main_window_qt.h"
#include "common/gbk.h"
#include "services/system_services.h"
#include "services/testing_hooks.h"

using common::control;
using common::gbk;

namespace {

void pump_until(const std::function<bool()>& done, int limit_ms = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < limit_ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

class services : public ::testing::Test {
protected:
    void SetUp() override {
        common::clear_stop_for_testing();
        window = app::load_main_window();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        pump_until([] { return common::running_threads() == 0; });
        window.reset();
        common::clear_stop_for_testing();
    }
    std::unique_ptr<app::main_window> window;
};

}  // namespace

TEST_F(services, list_rows_are_appended_read_and_cleared) {
    EXPECT_EQ(common::list_insert_row(control::超级列表框1), 0);
    EXPECT_EQ(common::list_insert_row(control::超级列表框1), 1);
    EXPECT_EQ(common::list_insert_row(control::超级列表框1, 99, "x"), 2);
    EXPECT_EQ(common::list_insert_row(control::超级列表框1, 0, "first"), 0);
    EXPECT_EQ(common::list_row_count(control::超级列表框1), 4);
    common::list_set_cell(control::超级列表框1, 1, 2, gbk<"视频地址">());
    EXPECT_EQ(common::list_get_cell(control::超级列表框1, 1, 2), gbk<"视频地址">());
    EXPECT_EQ(common::list_get_cell(control::超级列表框1, 0), "first");
    EXPECT_EQ(common::list_get_cell(control::超级列表框1, -1, 0), "");
    EXPECT_EQ(common::list_get_cell(control::超级列表框1, 4, 0), "");
    std::string long_text(5000, 'a');
    common::list_set_cell(control::超级列表框1, 3, 1, long_text);
    EXPECT_EQ(common::list_get_cell(control::超级列表框1, 3, 1), long_text);
    common::list_set_cell(control::超级列表框1, 9, 1, "ignored");  // outside the list
    EXPECT_EQ(common::list_selected_row(control::超级列表框1), -1);
    common::list_clear(control::超级列表框1);
    EXPECT_EQ(common::list_row_count(control::超级列表框1), 0);
}

TEST_F(services, the_hidden_column_holds_its_text) {
    int row = common::list_insert_row(control::超级列表框2);
    common::list_set_cell(control::超级列表框2, row, 4, "1001");
    EXPECT_EQ(common::list_get_cell(control::超级列表框2, row, 4), "1001");
}

TEST_F(services, status_parts_outside_the_bar_change_nothing) {
    auto* part1 = window->findChild<QLabel*>("part1");
    auto* part0 = window->findChild<QLabel*>("part0");
    common::status_set_text(control::状态条1, 1, gbk<"下载地址复制成功！">());
    EXPECT_EQ(part1->text(), QString::fromUtf8("下载地址复制成功！"));
    common::status_set_text(control::状态条1, 5, "x");
    common::status_set_text(control::状态条1, -1, "x");
    EXPECT_EQ(part1->text(), QString::fromUtf8("下载地址复制成功！"));
    EXPECT_EQ(part0->text(), QString::fromUtf8("状态："));
}

TEST_F(services, message_box_codes_and_hook) {
    std::string seen_caption;
    int seen_style = 0;
    common::set_message_box_hook([&](const std::string&, int style, const std::string& caption) {
        seen_style = style;
        seen_caption = caption;
        return 0;
    });
    EXPECT_EQ(common::message_box("m", 16), 0);
    EXPECT_EQ(seen_caption, gbk<"信息：">());
    EXPECT_EQ(seen_style, 16);
    common::set_message_box_hook(nullptr);
}

TEST_F(services, page_text_shows_as_its_own_characters) {
    auto* part1 = window->findChild<QLabel*>("part1");
    for (const char* text : {"<b>x</b>", "<img src=\"file:///etc/hostname\">", "a &lt; b", "<a href='h'>y</a>", "a\tb"}) {
        const QString whole = QString::fromUtf8(text);
        const QString shown = QString(whole).replace(u'\t', u' ');  // in a status part a tab would jump to a column
        common::status_set_text(control::状态条1, 1, text);
        EXPECT_EQ(part1->textFormat(), Qt::PlainText) << text;
        EXPECT_EQ(part1->text(), shown);

        Qt::TextFormat box_format = Qt::AutoText;
        QString box_text;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            box_format = box->textFormat();
            box_text = box->text();
            box->done(QMessageBox::Ok);
        });
        common::message_box(text, 0);
        EXPECT_EQ(box_format, Qt::PlainText) << text;
        EXPECT_EQ(box_text, whole);
    }
}

TEST_F(services, worker_calls_run_on_the_window_thread_without_losing_rows) {
    constexpr int workers = 8;
    constexpr int rows_each = 1000;
    for (int w = 0; w < workers; ++w) {
        common::start_thread([w] {
            for (int r = 0; r < rows_each; ++r) {
                std::string text = std::to_string(w) + ":" + std::to_string(r);
                common::window_call([&] {
                    int row = common::list_insert_row(control::超级列表框1);
                    common::list_set_cell(control::超级列表框1, row, 1, text);
                });
            }
        });
    }
    pump_until([] { return common::running_threads() == 0; }, 60000);
    ASSERT_EQ(common::running_threads(), 0);
    ASSERT_EQ(common::list_row_count(control::超级列表框1), workers * rows_each);
    std::set<std::string> seen;
    for (int r = 0; r < workers * rows_each; ++r) seen.insert(common::list_get_cell(control::超级列表框1, r, 1));
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(workers * rows_each));
}

TEST_F(services, rows_from_workers_are_painted_in_batches_and_then_shown) {
    app::show_main_window(*window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    auto* list = window->findChild<QTableWidget*>(QString::fromUtf8("超级列表框1"));
    int paints = 0;
    struct paint_counter : QObject {
        int* count;
        explicit paint_counter(int* c) : count(c) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++*count;
            return false;
        }
    } counter(&paints);
    list->viewport()->installEventFilter(&counter);
    common::start_thread([] {
        for (int r = 0; r < 200; ++r) {
            common::window_call([&] {
                int row = common::list_insert_row(control::超级列表框1);
                common::list_set_cell(control::超级列表框1, row, 1, std::to_string(r));
            });
        }
    });
    pump_until([] { return common::running_threads() == 0; }, 20000);
    QTest::qWait(100);
    EXPECT_TRUE(list->updatesEnabled()) << "the list is shown again once rows stop coming";
    EXPECT_GT(paints, 0);
    EXPECT_LT(paints, 50) << "not one paint per row";
    list->viewport()->removeEventFilter(&counter);

    // Rows added on the user-interface thread are painted as usual.
    common::list_insert_row(control::超级列表框1);
    EXPECT_TRUE(list->updatesEnabled());
}

TEST_F(services, closing_the_window_lets_busy_workers_go_at_once) {
    for (int w = 0; w < 8; ++w) {
        common::start_thread([] {
            while (!common::stop_requested()) {
                common::list_insert_row(control::超级列表框1);
                common::list_row_count(control::超级列表框1);
            }
        });
    }
    pump_until([] { return common::list_row_count(control::超级列表框1) > 100; });
    QElapsedTimer timer;
    timer.start();
    window->close();
    EXPECT_EQ(common::running_threads(), 0);
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_EQ(common::list_row_count(control::超级列表框1), 0);  // no longer bound
}
