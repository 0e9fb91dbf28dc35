// The program's start and end, run as a child process: closing the window or
// losing it ends the process promptly, without destroying globals under a
// worker that is still running. A window is lost on a private X server.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

extern char** environ;

namespace {

// Waits for `child` until `limit`; its exit code, or nothing when it had to
// be killed or did not exit normally.
std::optional<int> wait_for(pid_t child, std::chrono::seconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!WIFEXITED(status)) return std::nullopt;
    return WEXITSTATUS(status);
}

// An Xvfb server on a display number it picks itself; none when Xvfb cannot
// be started.
class x_server {
public:
    x_server() {
        int ready[2];
        if (::pipe(ready) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ready[1], 3);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        std::vector<std::string> words = {"Xvfb", "-displayfd", "3", "-screen", "0", "640x480x24", "-nolisten", "tcp"};
        std::vector<char*> args;
        for (std::string& w : words) args.push_back(w.data());
        args.push_back(nullptr);
        if (posix_spawnp(&pid_, "Xvfb", &actions, nullptr, args.data(), environ) != 0) pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(ready[1]);
        std::string number;
        pollfd wait_ready{ready[0], POLLIN, 0};
        char c = 0;
        while (pid_ != 0 && ::poll(&wait_ready, 1, 10000) == 1 && ::read(ready[0], &c, 1) == 1 && c != '\n') number += c;
        ::close(ready[0]);
        if (!number.empty()) display_ = ":" + number;
    }
    ~x_server() {
        if (pid_ == 0) return;
        ::kill(pid_, SIGTERM);
        if (!wait_for(pid_, std::chrono::seconds(5))) ::kill(pid_, SIGKILL);
    }
    x_server(const x_server&) = delete;
    x_server& operator=(const x_server&) = delete;
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = 0;
    std::string display_;
};

struct ending {
    std::optional<int> code;
    std::string output;
};

// Runs the probe with `display` as its X server (the offscreen platform when
// empty).
ending run_probe(const std::string& how, bool stuck, const std::string& display) {
    std::string out = (std::filesystem::temp_directory_path() / ("shutdown_probe_" + std::to_string(::getpid()))).string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    std::vector<std::string> words = {SHUTDOWN_PROBE, how};
    if (stuck) words.push_back("stuck");
    std::vector<char*> args;
    for (std::string& w : words) args.push_back(w.data());
    args.push_back(nullptr);
    std::vector<std::string> settings;
    for (char** e = environ; *e != nullptr; ++e) {
        std::string_view setting(*e);
        if (setting.rfind("DISPLAY=", 0) != 0 && setting.rfind("QT_QPA_PLATFORM=", 0) != 0) settings.emplace_back(setting);
    }
    settings.push_back(display.empty() ? "QT_QPA_PLATFORM=offscreen" : "QT_QPA_PLATFORM=xcb");
    if (!display.empty()) settings.push_back("DISPLAY=" + display);
    std::vector<char*> env;
    for (std::string& s : settings) env.push_back(s.data());
    env.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    ending result;
    if (spawned != 0) return result;
    // The window waits up to 3 s for runs to stop; the bound is generous.
    result.code = wait_for(child, std::chrono::seconds(15));
    std::ifstream in(out);
    result.output.assign(std::istreambuf_iterator<char>(in), {});
    std::filesystem::remove(out);
    return result;
}

}  // namespace

TEST(shutdown, the_program_ends_when_its_window_closes_or_is_lost) {
    x_server x;
    struct shutdown_case {
        const char* how;
        bool stuck;
        bool destructors;  // run only when no worker is left under them
    };
    const shutdown_case cases[] = {
        {"close", false, true},
        {"close", true, false},
        {"lost", false, true},
        {"lost", true, false},
    };
    for (const shutdown_case& c : cases) {
        const std::string name = std::string(c.how) + (c.stuck ? " with a stuck worker" : "");
        const bool lost = std::string(c.how) == "lost";
        if (lost && x.display().empty()) {
            ADD_FAILURE() << "no Xvfb to lose a window on";
            continue;
        }
        ending got = run_probe(c.how, c.stuck, lost ? x.display() : std::string());
        ASSERT_TRUE(got.code.has_value()) << name << ": still running after the bound, or killed\n" << got.output;
        EXPECT_EQ(*got.code, 0) << name;
        EXPECT_NE(got.output.find("left the event loop"), std::string::npos) << name << "\n" << got.output;
        EXPECT_EQ(got.output.find("global destructors ran") != std::string::npos, c.destructors) << name;
    }
}
