// quorla-sample-site [options] [port] [data folder] [stream host]
// quorla-sample-site --hub PORT [--port-file FILE]
// Serves the sample site, or the site hub (site_hub.h), on 127.0.0.1 until
// SIGINT or SIGTERM.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "sample_site/sample_site.h"
#include "sample_site/site_hub.h"

namespace {

void usage() {
    std::cerr << "usage: quorla-sample-site [options] [port] [data folder] [stream host]\n"
                 "  port         default 8642 (0: any free port)\n"
                 "  data folder  default " << sample_site::server::default_data_folder() << "\n"
                 "  stream host  host:port that descriptors name, default the site itself\n"
                 "options:\n"
                 "  --close-each               end the connection after every answer (default: keep it)\n"
                 "  --connection-delay=MS      wait MS before the first answer on each new connection\n"
                 "  --answer-delay=MS          wait MS before every answer\n"
                 "       quorla-sample-site --hub PORT [--port-file FILE]\n"
                 "  makes and drives sites for test programs over HTTP on 127.0.0.1:PORT\n"
                 "  (0: any free port); FILE receives \"127.0.0.1:PORT\" once it answers\n";
}

// A whole decimal number from 0 to `most`.
std::optional<long> whole_number(std::string_view text, long most) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const long value = std::stol(std::string(text));
    if (value > most) return std::nullopt;
    return value;
}

// Reads the leading options into `options`; the index of the first other
// argument, or -1 after a bad option.
int read_options(int argc, char** argv, sample_site::connection_options& options) {
    int i = 1;
    for (; i < argc && std::string_view(argv[i]).starts_with("--"); ++i) {
        const std::string_view arg = argv[i];
        std::optional<long> ms;
        if (arg == "--close-each") {
            options.end = sample_site::connection_options::after_answer::close;
        } else if (arg.starts_with("--connection-delay=") &&
                   (ms = whole_number(arg.substr(arg.find('=') + 1), 600000))) {
            options.new_connection_delay_ms = static_cast<int>(*ms);
        } else if (arg.starts_with("--answer-delay=") && (ms = whole_number(arg.substr(arg.find('=') + 1), 600000))) {
            options.answer_delay_ms = static_cast<int>(*ms);
        } else {
            return -1;
        }
    }
    return i;
}

// Blocks SIGINT and SIGTERM in this thread and every thread it starts, so
// that they reach only sigwait.
void block_end_signals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string_view(argv[1]) == "--hub") {
        const auto port = argc > 2 ? whole_number(argv[2], 65535) : std::nullopt;
        const bool port_file = argc == 5 && std::string_view(argv[3]) == "--port-file";
        if (!port || (argc != 3 && !port_file)) {
            usage();
            return 2;
        }
        block_end_signals();
        return sample_site::run_site_hub(static_cast<int>(*port), port_file ? argv[4] : "");
    }
    // Like a real site, the program keeps connections unless told otherwise.
    sample_site::connection_options options;
    options.end = sample_site::connection_options::after_answer::keep;
    const int first = read_options(argc, argv, options);
    if (first < 0 || argc - first > 3 || (argc > 1 && std::string_view(argv[1]) == "-h")) {
        usage();
        return 2;
    }
    char** args = argv + first;
    const int count = argc - first;
    int port = 8642;
    if (count > 0) {
        const auto value = whole_number(args[0], 65535);
        if (!value) {
            std::cerr << "quorla-sample-site: not a port: " << args[0] << "\n";
            return 2;
        }
        port = static_cast<int>(*value);
    }
    const std::string folder = count > 1 ? args[1] : sample_site::server::default_data_folder();
    const std::string stream_host = count > 2 ? args[2] : "";

    block_end_signals();
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);

    try {
        sample_site::server site(folder, port, stream_host);
        site.set_connection_options(options);
        std::cout << "sample site listening on http://" << site.host() << std::endl;
        int received = 0;
        sigwait(&signals, &received);
    } catch (const std::exception& e) {
        std::cerr << "quorla-sample-site: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
