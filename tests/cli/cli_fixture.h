// The command line run in-process against one sample site, with its
// streams captured.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "cli/console.h"
#include "sample_site/sample_site.h"

namespace cli_test {

// The site, started on first use and kept for the whole program.
sample_site::server& site();

// Streams that keep what is written; text and bytes alike. Files given in
// `inputs` are read from there, others from the disk.
class captured_console final : public cli::console {
public:
    bool out_terminal = false;
    bool err_terminal = false;
    std::string out;
    std::string err;
    std::map<std::string, std::string> inputs;

    bool is_terminal(cli::stream which) override { return which == cli::stream::out ? out_terminal : err_terminal; }
    void write_text(cli::stream which, std::string_view utf8) override { write_bytes(which, utf8); }
    void write_bytes(cli::stream which, std::string_view bytes) override {
        (which == cli::stream::out ? out : err).append(bytes);
    }
    std::optional<std::string> read_input(const std::string& path) override;
    bool write_file(const std::string& path, std::string_view bytes) override;
};

struct outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs quorla-hd-cli with `arguments` (after the program's name), the three
// hosts pointing at the site unless the arguments name them.
outcome run(std::vector<std::string> arguments, captured_console io = {});

// `text` with "{HOST}" replaced by the site's host.
std::string with_host(std::string text);

// Each test starts with no faults and the normal transfer limits.
class site_test : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace cli_test
