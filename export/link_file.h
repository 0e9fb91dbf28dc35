// The HTML file of links: its content and its file name, as GBK text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace exporting {

struct link_row {
    std::string name;
    std::string address;
};

// For each row: CR LF, "<pre>", CR LF, the link, "</pre>"; no final line break.
std::string link_file_content(const std::vector<link_row>& rows);

// A name as link text: & < > " ' become entities, all else stays as it is.
std::string escape_link_name(std::string_view name);
// An address as an unquoted href: bytes that would end the attribute or the
// tag (space, control bytes, quotes, < > and `) become %XX.
std::string escape_link_address(std::string_view address);
// A base name that stays inside the directory: separators and control bytes
// become "_".
std::string safe_file_name(std::string_view base_name);

}  // namespace exporting
