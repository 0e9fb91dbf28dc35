// 200 page fetches through 网页_访问 on a slow link, kept connections against
// a new connection per request, alternating which goes first. No window and
// no benchmark library, so it runs wherever the web client does (under Wine
// too, against the sample site's Linux program).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "sample_site/sample_site.h"
#include "web/web_access.h"

namespace {

using after_answer = sample_site::connection_options::after_answer;

constexpr int fetches = 200;
constexpr int rounds = 3;
constexpr int set_up_ms = 20;     // a new connection's set-up on the link
constexpr int round_trip_ms = 5;  // every answer's round trip

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Seconds for the fetches, and how many came back with a body.
std::pair<double, int> fetch_all(sample_site::server& site) {
    int answered = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < fetches; ++i) {
        std::string url = "http://" + site.host() + "/ptv/pplay/1001/" + std::to_string(i % 12 + 1) + ".html";
        answered += !web::网页_访问(url).empty();
    }
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), answered};
}

}  // namespace

int main() {
    sample_site::server site;
    std::printf("-- %d fetches, %d ms per new connection, %d ms per answer\n", fetches, set_up_ms, round_trip_ms);
    std::vector<double> kept_runs, new_runs;
    for (int round = 1; round <= rounds; ++round) {
        double seconds[2] = {0, 0};
        int answered[2] = {0, 0};
        for (int turn = 0; turn < 2; ++turn) {
            const bool kept = (turn == 0) == (round % 2 == 1);
            sample_site::connection_options options;
            options.end = kept ? after_answer::keep : after_answer::close;
            options.new_connection_delay_ms = set_up_ms;
            options.answer_delay_ms = round_trip_ms;
            site.set_connection_options(options);
            const auto [s, n] = fetch_all(site);
            seconds[kept ? 0 : 1] = s;
            answered[kept ? 0 : 1] = n;
        }
        kept_runs.push_back(seconds[0]);
        new_runs.push_back(seconds[1]);
        std::printf("round %d: kept %.3f s (%d answered), new %.3f s (%d answered), kept/new %.2f\n", round,
                    seconds[0], answered[0], seconds[1], answered[1], seconds[0] / seconds[1]);
    }
    std::printf("kept median %.3f s, new median %.3f s, kept/new %.2f\n", median(kept_runs), median(new_runs),
                median(kept_runs) / median(new_runs));
    return 0;
}
