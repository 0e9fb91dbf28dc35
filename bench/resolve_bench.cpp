// The ID-mode address run of a 100-episode programme through the real window
// against the same 200 fetches made back to back, with the longest stall of
// the user-interface thread during the run, on loopback with a site that
// ends every connection (as before connections were kept) and with one that
// keeps them; then the same run on a link made slow by the site's latency
// mode, with kept connections against a new connection per request. Plain
// figures, one line each.
#include <QApplication>
#include <QComboBox>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_programme.h"
#include "qt/main_window_qt.h"
#include "bench/window_bench.h"
#include "services/system_services.h"
#include "resolve/play_pages.h"
#include "sample_site/sample_site.h"
#include "web/site_hosts.h"
#include "web/web_access.h"

namespace {

constexpr int episodes = 100;
constexpr int rounds = 5;
constexpr int latency_rounds = 4;
constexpr int set_up_ms = 20;    // per new connection
constexpr int round_trip_ms = 5;  // per answer
using after_answer = sample_site::connection_options::after_answer;
using bench_programme::programme_id;
using bench_programme::vid_of;

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct run_figures {
    double seconds = 0;
    int rows = 0;
    qint64 longest_gap_ms = 0;
    long ticks = 0;
    bool finished = false;
};

// One address run on a worker thread while the UI thread keeps handling
// events; a 1 ms timer measures how long the UI thread goes unserved.
run_figures address_run(app::main_window& window) {
    common::list_clear(common::control::超级列表框1);
    common::set_edit_text(common::control::编辑框1, programme_id);
    common::set_edit_text(common::control::编辑框2, std::to_string(episodes));
    window.findChild<QComboBox*>(QString::fromUtf8("组合框1"))->setCurrentIndex(1);

    run_figures f;
    window_bench::stall_meter meter;
    meter.start();
    const auto start = std::chrono::steady_clock::now();
    if (!common::start_thread(resolve::resolve_play_pages)) return f;
    // Sleeps until an event comes; the meter wakes the loop at least every
    // millisecond, so the worker's end is seen promptly.
    while (common::running_threads() > 0 && seconds_since(start) < 120)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    f.seconds = seconds_since(start);
    meter.stop();
    f.longest_gap_ms = meter.longest_gap_ms();
    f.ticks = meter.ticks();
    f.finished = common::running_threads() == 0;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    f.rows = common::list_row_count(common::control::超级列表框1);
    return f;
}

// The same requests in the same order, no parsing and no window.
double raw_fetches(std::size_t& bytes) {
    bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int n = 1; n <= episodes; ++n) {
        bytes += web::fetch_page_text(web::play_page_url(programme_id, n)).size();
        bytes += web::fetch_page_text(web::descriptor_url(vid_of(n))).size();
    }
    return seconds_since(start);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Alternating which goes first, the run and the bare fetches, on loopback.
void loopback_rounds(app::main_window& window, sample_site::server& site, after_answer end, const char* label) {
    sample_site::connection_options options;
    options.end = end;
    site.set_connection_options(options);
    std::printf("-- loopback, %s\n", label);
    std::vector<double> runs, raws, ratios, gaps;
    for (int round = 1; round <= rounds; ++round) {
        std::size_t bytes = 0;
        run_figures f;
        double raw = 0;
        if (round % 2) {
            f = address_run(window);
            raw = raw_fetches(bytes);
        } else {
            raw = raw_fetches(bytes);
            f = address_run(window);
        }
        runs.push_back(f.seconds);
        raws.push_back(raw);
        ratios.push_back(f.seconds / raw);
        gaps.push_back(static_cast<double>(f.longest_gap_ms));
        std::printf("round %d (%s first): run %.3f s, %d rows%s; raw %d fetches %.3f s (%zu bytes); "
                    "run/raw %.2fx; longest UI stall %lld ms over %ld ticks\n",
                    round, round % 2 ? "run" : "raw", f.seconds, f.rows, f.finished ? "" : " (NOT FINISHED)",
                    2 * episodes, raw, bytes, f.seconds / raw, static_cast<long long>(f.longest_gap_ms),
                    f.ticks);
        if (f.rows != episodes) std::printf("warning: expected %d rows, got %d\n", episodes, f.rows);
    }
    std::printf("row %d: %s %s\n", episodes,
                common::list_get_cell(common::control::超级列表框1, episodes - 1, 2).c_str(),
                common::list_get_cell(common::control::超级列表框1, episodes - 1, 3).c_str());
    std::printf("run     best %.3f s  median %.3f s\n", *std::min_element(runs.begin(), runs.end()),
                median(runs));
    std::printf("raw     best %.3f s  median %.3f s\n", *std::min_element(raws.begin(), raws.end()),
                median(raws));
    std::printf("run/raw best %.2fx   median %.2fx (aim: within 1.10x)\n",
                *std::min_element(ratios.begin(), ratios.end()), median(ratios));
    std::printf("UI stall best %.0f ms median %.0f ms (aim: under 30 ms)\n",
                *std::min_element(gaps.begin(), gaps.end()), median(gaps));
}

// Kept connections against a new connection per request, on a slow link,
// alternating which goes first.
void latency_comparison(app::main_window& window, sample_site::server& site) {
    std::printf("-- latency mode: %d ms per new connection, %d ms per answer\n", set_up_ms, round_trip_ms);
    std::vector<double> kept_runs, new_runs, ratios;
    for (int round = 1; round <= latency_rounds; ++round) {
        double seconds[2] = {0, 0};
        int rows[2] = {0, 0};
        for (int turn = 0; turn < 2; ++turn) {
            const bool kept = (turn == 0) == (round % 2 == 1);
            sample_site::connection_options options;
            options.end = kept ? after_answer::keep : after_answer::close;
            options.new_connection_delay_ms = set_up_ms;
            options.answer_delay_ms = round_trip_ms;
            site.set_connection_options(options);
            const run_figures f = address_run(window);
            seconds[kept ? 0 : 1] = f.seconds;
            rows[kept ? 0 : 1] = f.rows;
        }
        kept_runs.push_back(seconds[0]);
        new_runs.push_back(seconds[1]);
        ratios.push_back(seconds[0] / seconds[1]);
        std::printf("round %d (%s first): kept %.3f s (%d rows), new %.3f s (%d rows), kept/new %.2f\n", round,
                    round % 2 ? "kept" : "new", seconds[0], rows[0], seconds[1], rows[1], seconds[0] / seconds[1]);
    }
    std::printf("kept     median %.3f s\nnew      median %.3f s\nkept/new median %.2f (aim: at most 0.5)\n",
                median(kept_runs), median(new_runs), median(ratios));
}

}  // namespace

int main(int argc, char** argv) {
    window_bench::start_program();
    QApplication application(argc, argv);

    const auto folder = std::filesystem::temp_directory_path() /
                        ("resolve_bench_" + std::to_string(QCoreApplication::applicationPid()));
    bench_programme::write(folder, episodes);
    int code = 0;
    {
        sample_site::server site(folder.string(), 0, "10.0.0.7");
        web::replace_hosts_for_testing({site.host(), site.host(), "10.0.0.7"});
        std::unique_ptr<app::main_window> window = window_bench::open_window(1);
        if (!window) {
            code = 1;
        } else {
            loopback_rounds(*window, site, after_answer::close, "a new connection per request");
            loopback_rounds(*window, site, after_answer::keep, "kept connections");
            latency_comparison(*window, site);
            window.reset();
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    window_bench::end_program();
    return code;
}
