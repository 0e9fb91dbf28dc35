// Peak memory of one fetch of a body larger than the body cap: `memory_bench
// client` fetches it with fetch_page_text alone, `memory_bench window` has the
// window search for it (the search page is the huge body). Each case runs in
// its own process so that its peak is its own; the figures are the resident
// set before the fetch and its highest value after, from the kernel.
#include <QApplication>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "qt/main_window_qt.h"
#include "bench/window_bench.h"
#include "sample_site/sample_site.h"
#include "search/keyword_search.h"
#include "services/system_services.h"
#include "web/site_hosts.h"
#include "web/web_access.h"

namespace {

constexpr double mib = 1024.0 * 1024.0;

// The resident set now, in bytes (VmRSS of /proc/self/status).
double resident_now() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) * 1024.0;
    }
    return 0;
}

double resident_peak() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0;
}

void print_figures(const char* what, double before, const std::string& outcome) {
    const double peak = resident_peak();
    const double cap = static_cast<double>(web::current_transfer_limits().max_body);
    std::printf("%-6s peak RSS %.0f MiB (%.0f MiB before the fetch): the fetch cost %.0f MiB = %.2fx the %.0f MiB cap"
                " (aim: at most 1.3x); %s\n",
                what, peak / mib, before / mib, (peak - before) / mib, (peak - before) / cap, cap / mib,
                outcome.c_str());
}

int client_case(sample_site::server& site) {
    site.set_fault(sample_site::fault::huge_body, "/huge");
    const double before = resident_now();
    const std::string page = web::fetch_page_text("http://" + site.host() + "/huge");
    print_figures("client", before, std::to_string(page.size()) + " bytes read");
    return 0;
}

int window_case(sample_site::server& site, int argc, char** argv) {
    QApplication application(argc, argv);
    site.set_fault(sample_site::fault::huge_body, "/s");
    web::replace_hosts_for_testing({site.host(), site.host(), site.host()});
    std::unique_ptr<app::main_window> window = window_bench::open_window(0);
    if (!window) return 1;
    common::set_edit_text(common::control::编辑框1, "x");
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    const double before = resident_now();
    search::keyword_search();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    print_figures("window", before,
                  std::to_string(common::list_row_count(common::control::超级列表框2)) + " hits listed");
    window.reset();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool window = argc > 1 && std::strcmp(argv[1], "window") == 0;
    if (argc < 2 || (!window && std::strcmp(argv[1], "client") != 0)) {
        std::fprintf(stderr, "usage: memory_bench client|window\n");
        return 2;
    }
    window_bench::start_program();
    int code = 0;
    {
        sample_site::server site;
        site.set_huge_body_size(300ull << 20);
        code = window ? window_case(site, argc, argv) : client_case(site);
    }
    window_bench::end_program();
    return code;
}
