// Sequential page fetches through fetch_page_text against curl's own
// command-line program fetching the same page the same number of times in
// one process, without keep-alive, from the sample site started in this
// process. Prints one line per figure after Google Benchmark has measured.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "sample_site/sample_site.h"
#include "web/web_access.h"

namespace {

constexpr int fetches = 1000;
constexpr std::size_t page_size = 20 * 1024;  // of /bench/page.html (test_routes.h)

sample_site::server* site = nullptr;
std::string page_url;
std::string fetched_wrong;  // what went wrong, printed with the figures

// Requests one iteration makes, for the figures.
void count_requests(benchmark::State& state, int per_iteration) {
    state.counters["requests"] = static_cast<double>(per_iteration);
}

void bm_fetch_page_text(benchmark::State& state) {
    for (auto _ : state) {
        const std::string page = web::fetch_page_text(page_url);
        if (page.size() != page_size) fetched_wrong = "fetch_page_text read " + std::to_string(page.size()) + " bytes";
        benchmark::DoNotOptimize(page.data());
    }
    count_requests(state, 1);
}

// One curl process fetching the page `fetches` times, one connection each.
void bm_curl_program(benchmark::State& state) {
    char config_path[] = "/tmp/web_bench_curl_XXXXXX";
    const int fd = mkstemp(config_path);
    if (fd < 0) {
        state.SkipWithError("no temporary file for the curl config");
        return;
    }
    close(fd);
    {
        std::ofstream config(config_path);
        for (int i = 0; i < fetches; ++i) config << "url = \"" << page_url << "\"\noutput = \"/dev/null\"\n";
    }
    const std::string command =
        std::string("curl --silent --show-error -H \"Connection: close\" --config ") + config_path;
    for (auto _ : state) {
        site->clear_log();
        if (std::system(command.c_str()) != 0) fetched_wrong = "curl program failed";
        state.PauseTiming();
        const std::size_t made = site->requests().size();
        if (made != static_cast<std::size_t>(fetches))
            fetched_wrong = "curl program made " + std::to_string(made) + " requests";
        state.ResumeTiming();
    }
    std::remove(config_path);
    count_requests(state, fetches);
}

BENCHMARK(bm_fetch_page_text)->Iterations(fetches)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_curl_program)->Iterations(1)->Unit(benchmark::kMillisecond);

// Keeps the measured requests per second of each benchmark instead of
// printing a table.
class figure_collector : public benchmark::BenchmarkReporter {
public:
    std::map<std::string, double> requests_per_second;

    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0 || run.error_occurred) continue;
            const auto requests = run.counters.find("requests");
            if (requests == run.counters.end()) continue;
            const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
            requests_per_second[run.benchmark_name()] = requests->second / seconds;
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    sample_site::server server;
    server.add_test_routes();
    site = &server;
    page_url = "http://" + server.host() + "/bench/page.html";

    figure_collector figures;
    benchmark::RunSpecifiedBenchmarks(&figures);
    auto& rps = figures.requests_per_second;
    const std::string ours = "bm_fetch_page_text/iterations:" + std::to_string(fetches);
    const std::string theirs = "bm_curl_program/iterations:1";
    if (rps.count(ours) && rps.count(theirs)) {
        // Time per request, ours over curl's: above 1 means slower.
        std::printf("%-18s %9.0f req/s   %-14s %9.0f req/s   ours/curl time %.2f\n", "fetch_page_text", rps[ours],
                    "curl program", rps[theirs], rps[theirs] / rps[ours]);
    } else {
        for (const auto& [name, value] : rps) std::printf("%-40s %9.0f req/s\n", name.c_str(), value);
    }
    std::printf("%d sequential GETs of a %zu-byte page each, one connection per request\n", fetches, page_size);
    if (!fetched_wrong.empty()) std::printf("warning: %s\n", fetched_wrong.c_str());
    benchmark::Shutdown();
    return 0;
}
