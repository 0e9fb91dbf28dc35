#include "tests/cli/cli_fixture.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "cli/program.h"
#include "common/text_ops.h"
#include "services/system_services.h"
#include "web/web_access.h"

namespace cli_test {

sample_site::server& site() {
    static sample_site::server* s = new sample_site::server();
    return *s;
}

std::optional<std::string> captured_console::read_input(const std::string& path) {
    if (auto found = inputs.find(path); found != inputs.end()) return found->second;
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream all;
    all << file.rdbuf();
    return all.str();
}

bool captured_console::write_file(const std::string& path, std::string_view bytes) {
    return cli::system_console().write_file(path, bytes);
}

outcome run(std::vector<std::string> arguments, captured_console io) {
    auto names = [&](const char* option) { return std::find(arguments.begin(), arguments.end(), option) != arguments.end(); };
    for (const char* option : {"--site-host", "--search-host", "--stream-host"}) {
        if (!names(option)) arguments.insert(arguments.end(), {option, site().host()});
    }
    arguments.insert(arguments.begin(), "quorla-hd-cli");
    const int status = cli::run_program(arguments, io);
    return {status, io.out, io.err};
}

std::string with_host(std::string text) {
    const std::string host = site().host();
    for (std::size_t at = text.find("{HOST}"); at != std::string::npos; at = text.find("{HOST}", at + host.size()))
        text.replace(at, 6, host);
    return text;
}

void site_test::SetUp() {
    site().clear_faults();
    web::set_transfer_limits_for_testing({});
}

void site_test::TearDown() {
    site().clear_faults();
    web::set_transfer_limits_for_testing({});
}

}  // namespace cli_test
