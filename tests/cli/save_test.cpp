// --save writes the very bytes, under the very name, of the window's save
// of the same run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "cli/memory_port.h"
#include "cli/runs.h"
#include "common/code_page.h"
#include "export/save_addresses.h"
#include "services/program_state.h"
#include "services/system_services.h"
#include "tests/cli/cli_fixture.h"
#include "web/site_hosts.h"

namespace fs = std::filesystem;

namespace {

std::string g(const char* utf8) { return common::convert_utf8_to_gbk(utf8); }

std::string read_all(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

// The only file in `folder`.
fs::path only_file(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
    EXPECT_EQ(files.size(), 1u);
    return files.empty() ? fs::path() : files.front();
}

class save_files : public cli_test::site_test {
protected:
    void SetUp() override {
        cli_test::site_test::SetUp();
        root = fs::temp_directory_path() / ("cli_save_" + std::to_string(std::hash<std::string>()(
                                                              cli_test::site().host())));
        fs::remove_all(root);
        fs::create_directories(root / "window");
        fs::create_directories(root / "cli");
    }
    void TearDown() override {
        common::replace_program_directory_for_testing("");
        fs::current_path(fs::temp_directory_path());
        fs::remove_all(root);
        cli_test::site_test::TearDown();
    }

    // The window's save: the run through the port, then the menu's handler.
    fs::path window_save(const std::function<void(cli::memory_port&)>& run, void (*save)(), const std::string& under) {
        const fs::path folder = root / "window" / under;
        fs::create_directories(folder);
        cli::memory_port port;
        cli::installed_port installed(port);
        web::replace_hosts_for_testing({cli_test::site().host(), cli_test::site().host(), cli_test::site().host()});
        common::set_video_title("");
        run(port);
        common::replace_program_directory_for_testing(folder.string());
        save();
        common::replace_program_directory_for_testing("");
        return only_file(folder);
    }

    fs::path root;
};

TEST_F(save_files, equal_the_window_saves_byte_for_byte_and_name_for_name) {
    struct mode_case {
        std::vector<std::string> arguments;
        std::function<void(cli::memory_port&)> run;
    };
    const mode_case modes[] = {
        // A series title that neither a file name nor markup takes as it is.
        {{"episodes", "1005", "1"}, [](cli::memory_port& p) { cli::run_episodes(p, "1005", "1"); }},
        {{"episodes", "1002", "2"}, [](cli::memory_port& p) { cli::run_episodes(p, "1002", "2"); }},
        {{"search", "夜", "--resolve", "1"},
         [](cli::memory_port& p) {
             cli::run_search(p, g("夜"));
             cli::run_hit(p, 0);
         }},
        {{"video", "5201"}, [](cli::memory_port& p) { cli::run_video(p, "5201"); }},
    };
    const std::pair<std::string, void (*)()> kinds[] = {
        {"html", exporting::save_all_addresses},
        {"m3u8", exporting::save_playlist},
        {"aria2", exporting::save_download_list},
    };
    int n = 0;
    for (const mode_case& mode : modes) {
        for (const auto& [kind, save] : kinds) {
            SCOPED_TRACE(mode.arguments.front() + " " + mode.arguments[1] + " --save " + kind);
            const std::string under = std::to_string(++n);
            const fs::path window_file = window_save(mode.run, save, under);

            // -o FILE
            std::vector<std::string> arguments = mode.arguments;
            const fs::path named = root / "cli" / (under + ".out");
            arguments.insert(arguments.end(), {"--save", kind, "-o", named.string()});
            auto result = cli_test::run(arguments);
            EXPECT_EQ(result.status, 0) << result.err;
            EXPECT_EQ(read_all(named), read_all(window_file));

            // -o -: the bytes on standard output.
            arguments.back() = "-";
            EXPECT_EQ(cli_test::run(arguments).out, read_all(window_file));

            // No -o: the window's name, in the current folder.
            const fs::path folder = root / "cli" / under;
            fs::create_directories(folder);
            fs::current_path(folder);
            arguments = mode.arguments;
            arguments.insert(arguments.end(), {"--save", kind, "-q"});
            result = cli_test::run(arguments);
            EXPECT_EQ(result.err, "");
            EXPECT_EQ(only_file(folder).filename(), window_file.filename());
            EXPECT_EQ(read_all(only_file(folder)), read_all(window_file));
            fs::current_path(root);
        }
    }
}

TEST_F(save_files, a_batch_saves_every_row_of_every_input_in_one_file) {
    cli_test::captured_console io;
    io.inputs["-"] = "5201\n9\n5401\n";
    auto result = cli_test::run({"video", "-a", "-", "--save", "m3u8", "-o", "-"}, io);
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.out, cli_test::with_host("#EXTM3U\n"
                                              "#EXTINF:-1,长夜 (It's the \"导演剪辑\" cut)\n"
                                              "http://{HOST}/stream/v5201/1080.mp4?key=fhdv5201&tss=no\n"
                                              "#EXTINF:-1,毒蛇 第1集\n"
                                              "http://{HOST}/stream/v5401/1000.flv?key=hcv5401&tss=no\n"));
}

TEST_F(save_files, nothing_to_save_says_so_and_writes_nothing) {
    fs::current_path(root / "cli");
    auto result = cli_test::run({"video", "5005", "--save", "aria2"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("未获取地址"), std::string::npos) << result.err;
    EXPECT_TRUE(fs::is_empty(root / "cli"));
}

}  // namespace
