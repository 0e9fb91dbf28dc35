// The command line as a shell runs it: the ID-mode run of a 100-episode
// programme on a slow link against its physical limit, and the start-to-exit
// time of --version. Plain figures, one line each.
//
// The limit: the run asks for 200 answers one after another (a play page and
// a descriptor per episode) over one kept connection, so it cannot take less
// than one connection's set-up plus 200 answer delays. The site's pauses come
// out a little short (it waits whole milliseconds, rounded down), so the
// floor is also measured: the same 200 requests made back to back by a bare
// client on one kept connection.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <httplib.h>

#include "sample_site/sample_site.h"

extern char** environ;

namespace {

constexpr int episodes = 100;
constexpr int requests = 2 * episodes;
constexpr int set_up_ms = 20;     // per new connection
constexpr int answer_ms = 5;      // per answer
constexpr int run_rounds = 5;
constexpr int version_rounds = 40;
const std::string programme_id = "9001";

std::string vid_of(int episode) { return std::to_string(90000 + episode); }

// A programme of `episodes` play pages, one video each, and a descriptor per
// video, shaped like the sample site's 1001 and 5001.
void write_data(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "programmes");
    std::filesystem::create_directories(folder / "v_xml");
    std::ofstream programme(folder / "programmes" / (programme_id + ".txt"), std::ios::binary);
    programme << "name: 毒战\ntype: tv\npush flag: 1\n";
    for (int n = 1; n <= episodes; ++n) programme << "episode: 毒战 第" << n << "集 | " << vid_of(n) << "\n";
    for (int n = 1; n <= episodes; ++n) {
        const std::string v = vid_of(n);
        std::ofstream d(folder / "v_xml" / (v + ".xml"), std::ios::binary);
        d << R"({"code":"A00000","data":{"vid":")" << v << R"(","title":"\u6bd2\u6218","duration":"2710",)"
          << R"("mp4_720p":["http:\/\/{STREAM_HOST}\/stream\/v)" << v << R"(\/720.mp4?key=hdv)" << v
          << R"(&tss=no"]}})";
    }
}

// Seconds from the start of `arguments` to its exit, its output thrown away.
double timed_run(const std::vector<std::string>& arguments, int& status) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        status = -1;
        return 0;
    }
    int raw = 0;
    waitpid(child, &raw, 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return seconds;
}

// The run's 200 requests, back to back on one kept connection.
double bare_requests(const sample_site::server& site) {
    httplib::Client client("127.0.0.1", site.port());
    client.set_keep_alive(true);
    const auto start = std::chrono::steady_clock::now();
    for (int n = 1; n <= episodes; ++n) {
        client.Get("/ptv/pplay/" + programme_id + "/" + std::to_string(n) + ".html");
        client.Get("/v_xml/" + vid_of(n) + ".xml");
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const std::string program = argc > 1 ? argv[1] : QUORLA_CLI_PROGRAM;
    const auto folder = std::filesystem::temp_directory_path() / ("cli_bench_" + std::to_string(::getpid()));
    write_data(folder);
    int code = 0;
    {
        sample_site::server site(folder.string());
        sample_site::connection_options options;
        options.end = sample_site::connection_options::after_answer::keep;
        options.new_connection_delay_ms = set_up_ms;
        options.answer_delay_ms = answer_ms;
        site.set_connection_options(options);

        const double limit = (set_up_ms + requests * answer_ms) / 1000.0;
        std::vector<double> runs, floors;
        for (int round = 0; round < run_rounds; ++round) {
            floors.push_back(bare_requests(site));
            int status = 0;
            runs.push_back(timed_run({program, "episodes", programme_id, std::to_string(episodes), "-q", "--site-host",
                                      site.host(), "--search-host", site.host(), "--stream-host", site.host()},
                                     status));
            if (status != 0) code = 1;
        }
        std::printf("cli slow link (%d ms per new connection, %d ms per answer): %d episodes, %d requests on one "
                    "kept connection, limit %.3f s, bare client median %.3f s; cli best %.3f s median %.3f s = "
                    "%.3fx the limit, %.3fx the bare client (aim: within 1.05x)\n",
                    set_up_ms, answer_ms, episodes, requests, limit, median(floors),
                    *std::min_element(runs.begin(), runs.end()), median(runs), median(runs) / limit,
                    median(runs) / median(floors));
    }
    std::vector<double> starts;
    for (int round = 0; round < version_rounds; ++round) {
        int status = 0;
        starts.push_back(timed_run({program, "--version"}, status) * 1000);
        if (status != 0) code = 1;
    }
    std::printf("cli --version start to exit: best %.1f ms median %.1f ms (aim: under 20 ms)\n",
                *std::min_element(starts.begin(), starts.end()), median(starts));
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return code;
}
