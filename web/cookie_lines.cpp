#include "web/cookie_lines.h"

#include "services/system_services.h"
#include "common/text_ops.h"
#include "web/url_split.h"

namespace web {
namespace {

constexpr std::string_view marker = "Set-Cookie: ";

}  // namespace

std::vector<cookie_triple> cookies_set_by(std::string_view header_text, std::string_view request_url) {
    std::vector<cookie_triple> cookies;
    if (common::find_text(header_text, marker, 1, true) == -1) return cookies;

    const std::string address = "http://" + url_host(request_url);
    const int file = common::open_memory_file();
    common::write_text(file, header_text);
    common::seek_file_start(file);
    // read_line stops in front of a byte 26 without consuming it; treating
    // that byte as the end keeps the loop from standing still there.
    while (!common::at_end_of_file(file, true)) {
        std::string line = common::read_line(file);
        if (common::find_text(line, marker, 1, true) == -1) continue;
        line.erase(0, marker.size());
        const int equals = common::find_text(line, "=");
        if (equals == -1) {
            cookies.push_back({address, {}, line});
        } else {
            cookies.push_back({address, line.substr(0, equals - 1), line.substr(equals)});
        }
    }
    common::close_file(file);
    return cookies;
}

}  // namespace web
