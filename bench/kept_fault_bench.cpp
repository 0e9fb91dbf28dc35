// Address rows on kept connections that a site breaks one answer in four:
// cut in the head, cut in the body, or garbage in place of the answer on a
// reused connection. Each episode of a 100-episode programme is one row, made
// of the fetches an ID-mode run makes for it (the play page, then the
// video's descriptor); a row is whole when it ends with the address the same
// run without faults gives. Five seeds per fault, each row counted as whole,
// without an address, or with a cut or wrong one, against what one retry on
// a new connection would give if every cut answer were retried. No window.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_programme.h"
#include "resolve/stream_select.h"
#include "sample_site/sample_site.h"
#include "web/page_text.h"
#include "web/site_hosts.h"
#include "web/web_access.h"

namespace {

constexpr int episodes = 100;
constexpr int seeds = 5;
constexpr unsigned one_in = 4;
using sample_site::fault;

// The row an ID-mode run makes for one episode: its address, empty when
// the run finds none.
std::string row_address(int episode) {
    const std::string page = web::fetch_page_text(web::play_page_url(bench_programme::programme_id, episode));
    const std::string vid = web::text_between(page, "vid:", ",//", 1, true);
    if (vid.empty()) return {};
    const resolve::stream_choice choice = resolve::select_stream(resolve::fetch_descriptor(vid));
    return choice.found ? choice.address : std::string();
}

struct tally {
    int whole = 0;
    int without_address = 0;
    int cut_or_wrong = 0;
    std::size_t requests = 0;
};

tally run(sample_site::server& site, const std::vector<std::string>& expected) {
    tally t;
    site.clear_log();
    for (int n = 1; n <= episodes; ++n) {
        const std::string address = row_address(n);
        if (address.empty()) ++t.without_address;
        else if (address == expected[n - 1]) ++t.whole;
        else ++t.cut_or_wrong;
    }
    t.requests = site.requests().size();
    return t;
}

struct fault_run {
    const char* what;
    fault mode;
    double model;  // rows whole expected, of `episodes`
};

}  // namespace

int main() {
    const auto folder = std::filesystem::temp_directory_path() / "kept_fault_bench_data";
    bench_programme::write(folder, episodes);
    {
        sample_site::server site(folder.string(), 0, "10.0.0.7");
        web::replace_hosts_for_testing({site.host(), site.host(), "10.0.0.7"});
        sample_site::connection_options kept;
        kept.end = sample_site::connection_options::after_answer::keep;
        site.set_connection_options(kept);

        std::vector<std::string> expected;
        for (int n = 1; n <= episodes; ++n) expected.push_back(row_address(n));

        // A fetch fails only when its answer and the retry's are both cut;
        // garbage never meets the retry, which goes on a new connection.
        const double p = 1.0 / one_in;
        const double both_whole = (1 - p * p) * (1 - p * p);
        const fault_run runs[] = {
            {"cut inside the response head", fault::head_cut_at_random, episodes * both_whole},
            {"cut inside the body", fault::body_cut_at_random, episodes * both_whole},
            {"garbage on a reused connection", fault::garbage_on_reuse_at_random, episodes * 1.0},
        };
        std::printf("-- kept connections, one answer in %u broken, %d episodes a run, %d seeds\n", one_in, episodes,
                    seeds);
        for (const fault_run& r : runs) {
            tally all;
            std::string per_seed;
            for (unsigned seed = 1; seed <= seeds; ++seed) {
                site.set_fault(r.mode);
                site.set_random_cuts(one_in, seed);
                const tally t = run(site, expected);
                site.clear_faults();
                all.whole += t.whole;
                all.without_address += t.without_address;
                all.cut_or_wrong += t.cut_or_wrong;
                all.requests += t.requests;
                per_seed += (per_seed.empty() ? "" : " ") + std::to_string(t.whole);
            }
            std::printf("%-32s rows whole %3d / %d (model %.0f); without an address %3d; cut or wrong address %d; "
                        "requests %zu; whole per seed: %s\n",
                        r.what, all.whole, seeds * episodes, seeds * r.model, all.without_address, all.cut_or_wrong,
                        all.requests, per_seed.c_str());
            std::fflush(stdout);
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
