#include "web/response_head.h"

#include "common/text_ops.h"

namespace web {
namespace {

bool is_status_line(std::string_view line) {
    constexpr std::string_view prefix = "HTTP/";
    return common::same_ignoring_case(line.substr(0, prefix.size()), prefix);
}

}  // namespace

void response_head::add_line(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    const bool blank = line.empty();
    // Texts hold no zero bytes: a header line ends at its first one.
    line = line.substr(0, line.find('\0'));
    if (!blank && line.empty()) return;
    if (is_status_line(line)) {
        block_.clear();
        complete_ = false;
    } else if (block_.empty() || complete_) {
        return;
    }
    block_ += line;
    block_ += "\r\n";
    if (blank) complete_ = true;
}

std::string response_head::text() const { return complete_ || block_.empty() ? block_ : block_ + "\r\n"; }

}  // namespace web
