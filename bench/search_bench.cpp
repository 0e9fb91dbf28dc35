// The longest stall of the user-interface thread while the window runs a
// keyword search whose page is about 2 MB with 5,000 hits (the search runs on
// that thread), with the time of each step of the search measured apart.
#include <QApplication>
#include <QTimer>
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "qt/main_window_qt.h"
#include "bench/window_bench.h"
#include "common/text_ops.h"
#include "sample_site/pages.h"
#include "search/keyword_search.h"
#include "services/system_services.h"
#include "web/page_text.h"
#include "web/site_hosts.h"
#include "web/web_access.h"

namespace {

constexpr int hits = 5000;
constexpr std::size_t page_goal = 2'000'000;
constexpr int rounds = 5;

std::string make_page() {
    sample_site::site_data data;
    for (int n = 1; n <= hits; ++n) {
        sample_site::programme p;
        p.id = std::to_string(100000 + n);
        p.name = "节目" + std::to_string(n);
        p.type = "tv";
        p.push_flag = "1";
        p.total = "20";
        p.newplay = "20";
        data.programmes.push_back(std::move(p));
    }
    // Longer names until the page reaches its size.
    const std::size_t bare = sample_site::search_page(data, "").size();
    const std::size_t padding = page_goal > bare ? (page_goal - bare) / hits / 3 : 0;
    std::string filler;
    for (std::size_t i = 0; i < padding; ++i) filler += "长";
    for (auto& p : data.programmes) p.name += filler;
    return sample_site::search_page(data, "");
}

double ms_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

struct search_figures {
    qint64 longest_gap_ms = 0;
    double total_ms = 0;
    int rows = 0;
};

search_figures timed_search() {
    common::list_clear(common::control::超级列表框2);
    search_figures f;
    window_bench::stall_meter meter;
    bool done = false;
    meter.start();
    const auto start = std::chrono::steady_clock::now();
    QTimer::singleShot(0, [&] {
        search::keyword_search();
        done = true;
    });
    while (!done && ms_since(start) < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    f.total_ms = ms_since(start);
    // One more tick closes the gap that the end of the search left open.
    const auto tail = std::chrono::steady_clock::now();
    while (ms_since(tail) < 5) QCoreApplication::processEvents(QEventLoop::AllEvents);
    meter.stop();
    f.longest_gap_ms = meter.longest_gap_ms();
    f.rows = common::list_row_count(common::control::超级列表框2);
    return f;
}

// The steps of the search one by one, without the window: where the time goes.
void step_times(const std::string& url) {
    auto t = std::chrono::steady_clock::now();
    const std::string utf8 = web::fetch_page_text(url);
    const double fetch = ms_since(t);
    t = std::chrono::steady_clock::now();
    const std::string page = web::utf8_to_gbk(utf8);
    const double convert = ms_since(t);
    t = std::chrono::steady_clock::now();
    common::regex_object pattern;
    common::regex_compile(
        pattern, "pid:'(.*?)',keyWord:'(.*?)',pushFlag:'(.*?)',site:'',type:'(.*?)',total:'(.*?)',newplay:'(.*?)',",
        false);
    const common::match_list found = common::regex_find_all(pattern, page);
    const double match = ms_since(t);
    std::printf("steps: fetch %.1f ms, UTF-8 to GBK %.1f ms, %zu matches %.1f ms\n", fetch, convert, found.size(),
                match);
}

}  // namespace

int main(int argc, char** argv) {
    window_bench::start_program();
    QApplication application(argc, argv);

    const std::string page = make_page();
    httplib::Server server;
    server.Get("/s", [&page](const httplib::Request&, httplib::Response& res) {
        res.set_content(page, "text/html; charset=utf-8");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { server.listen_after_bind(); });
    while (!server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const std::string host = "127.0.0.1:" + std::to_string(port);
    web::replace_hosts_for_testing({host, host, host});

    int code = 0;
    std::unique_ptr<app::main_window> window = window_bench::open_window(0);
    if (!window) {
        code = 1;
    } else {
        common::set_edit_text(common::control::编辑框1, "");
        std::vector<double> gaps;
        for (int round = 1; round <= rounds; ++round) {
            const search_figures f = timed_search();
            gaps.push_back(static_cast<double>(f.longest_gap_ms));
            std::printf("round %d: search %.0f ms, %d rows, longest UI stall %lld ms\n", round, f.total_ms, f.rows,
                        static_cast<long long>(f.longest_gap_ms));
            if (f.rows != hits) std::printf("warning: expected %d rows, got %d\n", hits, f.rows);
        }
        std::sort(gaps.begin(), gaps.end());
        std::printf("search page %zu bytes, %d hits: longest UI stall best %.0f ms median %.0f ms (aim: under 100 ms)\n",
                    page.size(), hits, gaps.front(), gaps[gaps.size() / 2]);
        step_times(web::search_page_url(""));
        window.reset();
    }
    server.stop();
    serving.join();
    window_bench::end_program();
    return code;
}
