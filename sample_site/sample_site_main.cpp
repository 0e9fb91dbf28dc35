// quorla-sample-site [port] [data folder] [stream host]
// Serves the sample site on 127.0.0.1 until SIGINT or SIGTERM.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

#include "sample_site/sample_site.h"

int main(int argc, char** argv) {
    if (argc > 4 || (argc > 1 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help"))) {
        std::cerr << "usage: quorla-sample-site [port] [data folder] [stream host]\n"
                     "  port         default 8642 (0: any free port)\n"
                     "  data folder  default " << sample_site::server::default_data_folder() << "\n"
                     "  stream host  host:port that descriptors name, default the site itself\n";
        return 2;
    }
    int port = 8642;
    if (argc > 1) {
        char* end = nullptr;
        const long value = std::strtol(argv[1], &end, 10);
        if (*argv[1] == '\0' || *end != '\0' || value < 0 || value > 65535) {
            std::cerr << "quorla-sample-site: not a port: " << argv[1] << "\n";
            return 2;
        }
        port = static_cast<int>(value);
    }
    const std::string folder = argc > 2 ? argv[2] : sample_site::server::default_data_folder();
    const std::string stream_host = argc > 3 ? argv[3] : "";

    // Every thread the server starts inherits this mask, so the signals
    // reach only sigwait below.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    try {
        sample_site::server site(folder, port, stream_host);
        std::cout << "sample site listening on http://" << site.host() << std::endl;
        int received = 0;
        sigwait(&signals, &received);
    } catch (const std::exception& e) {
        std::cerr << "quorla-sample-site: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
