// Command lines against the sample site: what each mode and format prints,
// and the exit status.
#include <gtest/gtest.h>

#include "cli/program.h"
#include "tests/cli/child_process.h"
#include "tests/cli/cli_fixture.h"
#include "web/web_access.h"

namespace {

using cli_test::run;
using cli_test::with_host;

struct case_row {
    std::vector<std::string> arguments;
    int status;
    std::string out;  // "{HOST}" stands for the site's host
};

class command_lines : public cli_test::site_test {};

TEST_F(command_lines, print_the_window_rows_in_each_format) {
    const std::string a5101 = "http://{HOST}/stream/v5101/1080.mp4?key=fhdv5101&tss=no";
    const std::string a5102 = "http://{HOST}/stream/v5102/720.mp4?key=hdv5102&tss=no";
    const case_row table[] = {
        // The search mode: hits, piped as tabs.
        {{"search", "夜"}, 0, "1\t长夜\t1\t1\t1003\n2\t夜航\t3\t1\t1005\n"},
        {{"search", "夜", "--urls"}, 0, "1003\n1005\n"},
        {{"search", "毒", "--json"},
         0,
         "{\"id\":1,\"name\":\"毒战\",\"total\":12,\"updated\":12,\"programme\":\"1001\"}\n"
         "{\"id\":2,\"name\":\"毒蛇\",\"total\":1,\"updated\":0,\"programme\":\"1004\"}\n"},
        {{"search", "zzz"}, 1, ""},
        // 获取地址 on a hit: its updated count of episodes.
        {{"search", "夜", "--resolve", "2"},
         0,
         "1\t夜航 第1集\thttp://{HOST}/stream/v5501/720.mp4?key=hdv5501&tss=no\t720P\n"},
        {{"search", "毒", "--resolve", "3"}, 1, ""},
        {{"search", "毒", "--resolve", "2", "--urls"}, 1, ""},  // a hit of no episodes out yet
        // The ID mode: every video of every play page.
        {{"episodes", "1002", "1"}, 0, "1\t父子 第1集 上\t" + a5101 + "\t1080P\n2\t父子 第1集 上\t" + a5102 + "\t720P\n"},
        {{"episodes", "1002", "1", "--urls"}, 0, a5101 + "\n" + a5102 + "\n"},
        {{"episodes", "1005", "1", "--json"},
         0,
         "{\"number\":1,\"name\":\"夜航 第1集\",\"address\":\"http://{HOST}/stream/v5501/720.mp4?key=hdv5501&tss=no\","
         "\"format\":\"720P\"}\n"},
        {{"episodes", "1001", "0"}, 1, ""},
        // The no-episode mode; a video with no quality keeps its row, not its address.
        {{"video", "5201", "--json"},
         0,
         "{\"number\":1,\"name\":\"长夜 (It's the \\\"导演剪辑\\\" cut)\",\"address\":"
         "\"http://{HOST}/stream/v5201/1080.mp4?key=fhdv5201&tss=no\",\"format\":\"1080P\"}\n"},
        {{"video", "5005"}, 0, "1\t毒战 第5集\t\t无可用清晰度\n"},
        {{"video", "5005", "--urls"}, 0, ""},
        // An HTTP error status: the window's empty row, and status 3.
        {{"video", "9"}, 3, "1\t\t\t无可用清晰度\n"},
        // --encoding gbk: the same text as GBK bytes.
        {{"search", "毒", "--urls", "--encoding", "gbk"}, 0, "1001\n1004\n"},
    };
    for (const case_row& row : table) {
        std::string shown;
        for (const auto& argument : row.arguments) shown += argument + " ";
        SCOPED_TRACE(shown);
        cli_test::outcome result = run(row.arguments);
        EXPECT_EQ(result.status, row.status) << result.err;
        EXPECT_EQ(result.out, with_host(row.out));
    }
}

TEST_F(command_lines, gbk_encoding_writes_gbk_bytes) {
    auto result = run({"search", "毒", "--encoding", "gbk"});
    EXPECT_EQ(result.out, "1\t\xB6\xBE\xD5\xBD\t12\t12\t1001\n2\t\xB6\xBE\xC9\xDF\t1\t0\t1004\n");
}

TEST_F(command_lines, a_terminal_gets_a_table_aligned_by_display_columns) {
    cli_test::captured_console io;
    io.out_terminal = true;
    auto result = run({"search", "毒"}, io);
    EXPECT_EQ(result.out,
              "ID  搜索结果  总视频数  更新集数  视频ID\n"
              "1   毒战      12        12        1001\n"
              "2   毒蛇      1         0         1004\n");
}

TEST_F(command_lines, progress_goes_to_a_terminal_only_and_not_when_quiet) {
    cli_test::captured_console terminal;
    terminal.err_terminal = true;
    EXPECT_NE(run({"episodes", "1001", "2"}, terminal).err.find("第 2/2 集"), std::string::npos);
    cli_test::captured_console quiet = terminal;
    EXPECT_EQ(run({"episodes", "1001", "2", "-q"}, quiet).err, "");
    EXPECT_EQ(run({"episodes", "1001", "2"}).err, "");
}

TEST_F(command_lines, a_batch_goes_on_past_an_input_that_fails) {
    cli_test::captured_console io;
    io.inputs["ids.txt"] = "\xEF\xBB\xBF# programme, episodes\r\n1005\r\n9999 1\r\n\r\n1003 1\r\n";
    auto result = run({"episodes", "-a", "ids.txt", "1", "--urls"}, io);
    EXPECT_EQ(result.status, cli::network_failure);
    EXPECT_EQ(result.out, with_host("http://{HOST}/stream/v5501/720.mp4?key=hdv5501&tss=no\n"
                                    "http://{HOST}/stream/v5201/1080.mp4?key=fhdv5201&tss=no\n"));
    EXPECT_NE(result.err.find(with_host("http://{HOST}/ptv/pplay/9999/1.html：HTTP 状态 404")), std::string::npos)
        << result.err;

    cli_test::captured_console videos;
    videos.inputs["-"] = "5201\n5401\n";
    auto found = run({"video", "-a", "-", "--urls"}, videos);
    EXPECT_EQ(found.status, cli::found_rows) << found.err;
    EXPECT_EQ(found.out, with_host("http://{HOST}/stream/v5201/1080.mp4?key=fhdv5201&tss=no\n"
                                   "http://{HOST}/stream/v5401/1000.flv?key=hcv5401&tss=no\n"));
}

TEST_F(command_lines, usage_errors_end_with_status_2_and_a_message) {
    const std::vector<std::string> table[] = {
        {"episodes", "1001"},
        {"episodes", "1001", "x"},
        {"search"},
        {"search", "毒", "--save", "html"},
        {"video", "5201", "--urls", "--json"},
        {"video", "5201", "--save", "pdf"},
        {"video", "5201", "--frobnicate"},
        {},
        {"play", "5201"},
    };
    for (const auto& arguments : table) {
        auto result = run(arguments);
        EXPECT_EQ(result.status, cli::usage_error) << result.err;
        EXPECT_NE(result.err.find("用 --help 查看用法"), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(run({"--version"}).out, "quorla-hd-cli " QUORLA_VERSION "\n");
    auto help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("episodes"), std::string::npos);
}

TEST_F(command_lines, a_site_that_is_down_gives_status_3_naming_address_and_reason) {
    auto refused = run({"episodes", "1001", "2", "--site-host", "127.0.0.1:1"});
    EXPECT_EQ(refused.status, cli::network_failure);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("http://127.0.0.1:1/ptv/pplay/1001/2.html：连接被拒绝"), std::string::npos)
        << refused.err;

    auto no_search = run({"search", "毒", "--search-host", "127.0.0.1:1"});
    EXPECT_EQ(no_search.status, cli::network_failure);
    EXPECT_NE(no_search.err.find("连接被拒绝"), std::string::npos);

    web::transfer_limits short_wait;
    short_wait.idle = std::chrono::milliseconds(300);
    web::set_transfer_limits_for_testing(short_wait);
    cli_test::site().set_fault(sample_site::fault::never_answer, "/v_xml/");
    auto stalled = run({"video", "5201"});
    EXPECT_EQ(stalled.status, cli::network_failure);
    EXPECT_NE(stalled.err.find(with_host("http://{HOST}/v_xml/5201.xml：超时")), std::string::npos) << stalled.err;
}

TEST_F(command_lines, a_host_value_that_is_refused_is_named_and_the_run_goes_on) {
    auto result = run({"video", "5201", "--urls", "--stream-host", "a b"});
    EXPECT_NE(result.err.find("a b"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("--stream-host"), std::string::npos) << result.err;
    EXPECT_EQ(result.status, cli::found_rows);

    // An option wins over a variable, whose value is then not used or judged
    // (a bad variable of a role no option sets is named: tests/web).
    cli_test::set_environment("QUORLA_SEARCH_HOST", "http://x");
    cli_test::set_environment("QUORLA_STREAM_HOST", "127.0.0.9:1");
    result = run({"video", "5201", "--urls"});
    cli_test::set_environment("QUORLA_SEARCH_HOST", std::nullopt);
    cli_test::set_environment("QUORLA_STREAM_HOST", std::nullopt);
    EXPECT_EQ(result.err.find("QUORLA_SEARCH_HOST"), std::string::npos) << result.err;
    EXPECT_EQ(result.out, with_host("http://{HOST}/stream/v5201/1080.mp4?key=fhdv5201&tss=no\n"));
}

}  // namespace
