// The system services that need no window: memory files, whole-file writes
// and the script engine. This program links no toolkit.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "common/code_page.h"
#include "common/gbk.h"
#include "services/system_services.h"

namespace {

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
    auto dir = std::filesystem::temp_directory_path() / ("services_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string path = common::convert_utf8_to_gbk((dir / "名字.html").string());
    ASSERT_TRUE(common::write_file(path, {common::to_bytes("old content, longer")}));
    ASSERT_TRUE(common::write_file(path, {common::to_bytes("new"), {}, common::to_bytes("!")}));
    EXPECT_EQ(file_bytes(dir / "名字.html"), "new!");
    EXPECT_FALSE(common::write_file("", {common::to_bytes("x")}));
    EXPECT_FALSE(common::write_file(common::convert_utf8_to_gbk((dir / "missing" / "a").string()), {}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);  // no temporary left
    std::filesystem::remove_all(dir);
    EXPECT_FALSE(common::program_directory().empty());
    EXPECT_NE(common::program_directory().back(), '/');
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
