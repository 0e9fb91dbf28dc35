// The built program as a shell runs it: a Chinese keyword in, the hits out
// as UTF-8 (or GBK) when standard output is a file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/cli/child_process.h"
#include "tests/cli/cli_fixture.h"

namespace fs = std::filesystem;

namespace {

std::string read_all(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

TEST(built_program, takes_a_chinese_keyword_and_writes_the_hits_to_a_file) {
    const fs::path folder = fs::temp_directory_path() / ("cli_program_" + std::to_string(cli_test::site().port()));
    fs::create_directories(folder);
    const std::string host = cli_test::site().host();
    const std::vector<std::string> hosts = {"--site-host", host, "--search-host", host, "--stream-host", host};
    struct case_row {
        std::vector<std::string> arguments;
        int status;
        std::string out;
    };
    const case_row table[] = {
        {{"search", "毒"}, 0, "1\t毒战\t12\t12\t1001\n2\t毒蛇\t1\t0\t1004\n"},
        {{"search", "毒", "--encoding", "gbk"}, 0, "1\t\xB6\xBE\xD5\xBD\t12\t12\t1001\n2\t\xB6\xBE\xC9\xDF\t1\t0\t1004\n"},
        {{"episodes", "1001", "1", "--urls"}, 0, "http://" + host + "/stream/v5001/1080.mp4?key=fhdv5001&tss=no\n"},
        {{"search", "毒", "--nothing"}, 2, ""},
    };
    int n = 0;
    for (const case_row& row : table) {
        SCOPED_TRACE(row.arguments.front() + " " + row.arguments.back());
        std::vector<std::string> arguments = row.arguments;
        arguments.insert(arguments.end(), hosts.begin(), hosts.end());
        // Files of their own: Wine may close a child's handles a moment after it ends.
        const fs::path out = folder / ("out" + std::to_string(++n));
        const fs::path err = folder / ("err" + std::to_string(n));
        const int status = cli_test::run_child(QUORLA_CLI_PROGRAM, arguments, out.string(), err.string());
        EXPECT_EQ(status, row.status) << read_all(err);
        EXPECT_EQ(read_all(out), row.out);
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

}  // namespace
