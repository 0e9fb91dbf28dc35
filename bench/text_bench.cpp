// Throughput of the text core against the C library on the same data, in
// one run. Prints one line per figure after Google Benchmark has measured.
#include <benchmark/benchmark.h>
#include <iconv.h>
#include <string.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>

#include "common/gbk.h"
#include "common/text_ops.h"
#include "web/page_text.h"

namespace {

constexpr std::size_t page_size = 16u << 20;

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Page-like UTF-8: ASCII markup and script with runs of Chinese between.
const std::string& utf8_page() {
    static const std::string page = [] {
        std::mt19937 rng(1);
        std::uniform_int_distribution<int> run(1, 24), han(0x4E00, 0x9FA5);
        std::string p;
        p.reserve(page_size + 256);
        while (p.size() < page_size) {
            p += "<li class=\"item\"><a href=\"/tv/123.html\" title=\"";
            for (int n = run(rng); n > 0; --n) append_utf8(p, static_cast<char32_t>(han(rng)));
            p += "\">";
            for (int n = run(rng); n > 0; --n) append_utf8(p, static_cast<char32_t>(han(rng)));
            p += "</a></li>\n";
        }
        return p;
    }();
    return page;
}

// The same kind of page in GBK, holding trail bytes in the ASCII range too;
// it ends in the only occurrence of `tail_needle`.
const std::string tail_needle = "vid:END,//";

const std::string& gbk_page() {
    static const std::string page = [] {
        std::string p = web::utf8_to_gbk(utf8_page());
        p.resize(page_size - tail_needle.size());
        for (std::size_t i = 4096; i + 2 < p.size(); i += 4096) {
            if (static_cast<unsigned char>(p[i]) < 0x80) p.replace(i, 2, "\x81\x41");  // 丄
        }
        return p + tail_needle;
    }();
    return page;
}

// A GBK play page of 16 MiB with 10,000 video IDs spread through it.
const std::string& play_page() {
    static const std::string page = [] {
        const std::string& filler = gbk_page();
        const std::size_t block = page_size / 10000;
        std::string p;
        p.reserve(page_size + 64);
        for (int i = 0; i < 10000; ++i) {
            const std::string entry = "vid:" + std::to_string(1000000 + i) + common::gbk<",//视频ID\n">();
            // The last block takes up the rest, so the page is 16 MiB exactly.
            const std::size_t size = i == 9999 ? page_size - p.size() : block;
            p.append(filler, static_cast<std::size_t>(i) * block, size - entry.size());
            p += entry;
        }
        return p;
    }();
    return page;
}

// The bytes one iteration reads, kept as a plain counter for the figures.
void count_bytes(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["page_bytes"] = static_cast<double>(bytes);
}

void bm_find_text(benchmark::State& state) {
    const std::string& t = gbk_page();
    for (auto _ : state) benchmark::DoNotOptimize(common::find_text(t, tail_needle));
    count_bytes(state, t.size());
}

void bm_memmem_find(benchmark::State& state) {
    const std::string& t = gbk_page();
    for (auto _ : state) benchmark::DoNotOptimize(memmem(t.data(), t.size(), tail_needle.data(), tail_needle.size()));
    count_bytes(state, t.size());
}

const std::string& replaced_word() {
    static const std::string word = "class=";
    return word;
}

void bm_replace_subtext(benchmark::State& state) {
    const std::string& t = gbk_page();
    for (auto _ : state) benchmark::DoNotOptimize(common::replace_subtext(t, replaced_word(), "CLASS=", 1, -1, true));
    count_bytes(state, t.size());
}

// The same replacement with plain memmem and no character stepping.
void bm_memmem_replace(benchmark::State& state) {
    const std::string& t = gbk_page();
    const std::string& word = replaced_word();
    for (auto _ : state) {
        std::string out;
        out.reserve(t.size());
        std::size_t pos = 0;
        while (const void* hit = memmem(t.data() + pos, t.size() - pos, word.data(), word.size())) {
            const std::size_t at = static_cast<const char*>(hit) - t.data();
            out.append(t, pos, at - pos);
            out += "CLASS=";
            pos = at + word.size();
        }
        out.append(t, pos);
        benchmark::DoNotOptimize(out);
    }
    count_bytes(state, t.size());
}

void bm_utf8_to_gbk(benchmark::State& state) {
    const std::string& page = utf8_page();
    for (auto _ : state) benchmark::DoNotOptimize(web::utf8_to_gbk(page));
    count_bytes(state, page.size());
}

void bm_iconv_cp936(benchmark::State& state) {
    const std::string& page = utf8_page();
    iconv_t cd = iconv_open("CP936", "UTF-8");
    for (auto _ : state) {
        std::string out(page.size(), '\0');
        char* in = const_cast<char*>(page.data());
        size_t in_left = page.size();
        char* to = out.data();
        size_t out_left = out.size();
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        iconv(cd, &in, &in_left, &to, &out_left);
        out.resize(out.size() - out_left);
        benchmark::DoNotOptimize(out);
    }
    iconv_close(cd);
    count_bytes(state, page.size());
}

void bm_regex_find_all(benchmark::State& state) {
    const std::string& page = play_page();
    common::regex_object re;
    common::regex_compile(re, common::gbk<"vid:(.*?),//视频ID">());
    std::size_t found = 0;
    for (auto _ : state) {
        const common::match_list matches = common::regex_find_all(re, page);
        found = matches.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["matches"] = static_cast<double>(found);
    count_bytes(state, page.size());
}

BENCHMARK(bm_find_text)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_memmem_find)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_replace_subtext)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_memmem_replace)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_utf8_to_gbk)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_iconv_cp936)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_regex_find_all)->Unit(benchmark::kMillisecond);

// Keeps the measured MB/s of each benchmark instead of printing a table.
class figure_collector : public benchmark::BenchmarkReporter {
public:
    std::map<std::string, double> mb_per_second;
    std::map<std::string, double> matches;

    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            const std::string name = run.benchmark_name();
            const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
            const auto bytes = run.counters.find("page_bytes");
            if (bytes == run.counters.end()) continue;
            mb_per_second[name] = bytes->second / seconds / 1e6;
            if (auto m = run.counters.find("matches"); m != run.counters.end()) matches[name] = m->second;
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    // Build the pages before timing starts.
    utf8_page();
    gbk_page();
    play_page();
    figure_collector figures;
    benchmark::RunSpecifiedBenchmarks(&figures);
    auto& mb = figures.mb_per_second;
    auto ratio_line = [&](const char* label, const std::string& ours, const std::string& theirs,
                          const char* their_label) {
        if (!mb.count(ours) || !mb.count(theirs)) return;
        std::printf("%-18s %9.1f MB/s   %-16s %9.1f MB/s   %s/ours %.2f\n", label, mb[ours], their_label, mb[theirs],
                    their_label, mb[theirs] / mb[ours]);
    };
    ratio_line("find_text", "bm_find_text", "bm_memmem_find", "memmem");
    ratio_line("replace_subtext", "bm_replace_subtext", "bm_memmem_replace", "memmem replace");
    ratio_line("utf8_to_gbk", "bm_utf8_to_gbk", "bm_iconv_cp936", "iconv CP936");
    if (mb.count("bm_regex_find_all")) {
        std::printf("%-18s %9.1f MB/s   %.0f matches in %zu bytes\n", "regex_find_all", mb["bm_regex_find_all"],
                    figures.matches["bm_regex_find_all"], play_page().size());
    }
    benchmark::Shutdown();
    return 0;
}
