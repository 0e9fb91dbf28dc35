// Start-up (hosts from the environment, the icon) and the look of the group
// boxes and the mode selector.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTimer>

#include <cstdlib>

#include "qt/main_window_qt.h"
#include "app/program.h"
#include "qt/start_up_qt.h"
#include "common/code_page.h"
#include "services/system_services.h"
#include "services/testing_hooks.h"
#include "web/site_hosts.h"

namespace {

class start_up : public ::testing::Test {
protected:
    void SetUp() override {
        main = app::load_main_window();
        ASSERT_NE(main, nullptr);
        app::show_main_window(*main);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    }
    void TearDown() override {
        common::set_message_box_hook(nullptr);
        main.reset();
    }
    std::unique_ptr<app::main_window> main;
};

TEST_F(start_up, refused_hosts_get_one_warning_and_the_built_in_stays) {
    const web::site_hosts built_in = web::current_hosts();
    std::vector<std::string> boxes;
    common::set_message_box_hook([&](const std::string& message, int style, const std::string&) {
        boxes.push_back(std::to_string(style) + " " + common::convert_gbk_to_utf8(message));
        return 0;
    });
    setenv("QUORLA_SITE_HOST", "http://x", 1);
    setenv("QUORLA_STREAM_HOST", "host:99999", 1);
    app::take_hosts();
    unsetenv("QUORLA_SITE_HOST");
    unsetenv("QUORLA_STREAM_HOST");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("48 ", 0), 0u);
    EXPECT_NE(boxes[0].find("QUORLA_SITE_HOST 的值 “http://x”"), std::string::npos);
    EXPECT_NE(boxes[0].find("QUORLA_STREAM_HOST 的值 “host:99999”"), std::string::npos);
    EXPECT_EQ(web::current_hosts().site, built_in.site);
    EXPECT_EQ(web::current_hosts().stream, built_in.stream);

    app::take_hosts();
    EXPECT_EQ(boxes.size(), 1u) << "nothing set, nothing to say";
}

TEST_F(start_up, message_boxes_show_markup_as_its_characters) {
    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(100, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            format = box->textFormat();
            box->accept();
        }
    });
    common::message_box("<b>x</b>", 48);
    EXPECT_EQ(shown, "<b>x</b>");
    EXPECT_EQ(format, Qt::PlainText);
}

TEST_F(start_up, standard_buttons_read_chinese_with_qt_translations) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFile::exists(folder + "/qtbase_zh_CN.qm")) GTEST_SKIP() << "no Qt translations in " << folder.toStdString();
    ASSERT_TRUE(app::load_qt_translations());
    QString ok, cancel;
    QTimer::singleShot(100, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ok = box->button(QMessageBox::Ok)->text();
            cancel = box->button(QMessageBox::Cancel)->text();
            box->reject();
        }
    });
    EXPECT_EQ(common::message_box("x", 1), 1);
    EXPECT_EQ(ok, QString::fromUtf8("确定"));
    EXPECT_EQ(cancel, QString::fromUtf8("取消"));
}

TEST_F(start_up, the_icon_comes_from_the_resources_and_the_desktop_entry_is_named) {
    app::set_program_identity();
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    EXPECT_EQ(QGuiApplication::desktopFileName(), "io.github.quorla.AddressFinder");
    EXPECT_EQ(main->windowIcon().actualSize(QSize(256, 256)), QSize(256, 256));
}

TEST_F(start_up, captions_stand_on_the_frame_line_a_little_in) {
    auto* box = main->findChild<QGroupBox*>(QString::fromUtf8("分组框2"));
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.lineWidth = 1;
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    QRect label = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    QRect frame = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, box);
    EXPECT_GE(label.left(), frame.left() + 4);
    EXPECT_LE(label.left(), frame.left() + 12);
    EXPECT_LT(label.top(), frame.top());
    EXPECT_GT(label.bottom(), frame.top());
    EXPECT_EQ(box->geometry(), QRect(0, 178, 430, 184));
}

TEST_F(start_up, the_mode_list_drops_to_160_pixels_in_all) {
    auto* modes = main->findChild<QComboBox*>(QString::fromUtf8("组合框1"));
    ASSERT_EQ(modes->count(), 3);
    modes->showPopup();
    QWidget* popup = modes->view()->window();
    ASSERT_TRUE(popup->isVisible());
    const QPoint top = modes->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(popup->geometry().top(), top.y() + modes->height());
    EXPECT_EQ(popup->geometry().bottom() + 1 - top.y(), 160);
    EXPECT_GE(popup->width(), modes->width());
    modes->hidePopup();
}

}  // namespace
