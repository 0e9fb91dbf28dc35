#include "export/link_file.h"

#include <functional>

#include "common/text_ops.h"
#include "common/text_walk.h"

namespace exporting {
namespace {

// Walks GBK text character by character: a two-byte character is copied as
// it is, every single byte goes through `single`.
std::string map_single_bytes(std::string_view text, const common::walk::char_rule& rule,
                             const std::function<void(char, std::string&)>& single) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t width = common::walk::char_width(text, i, rule);
        if (width == 2)
            out.append(text.substr(i, 2));
        else
            single(text[i], out);
        i += width;
    }
    return out;
}

}  // namespace

std::string link_file_content(const std::vector<link_row>& rows) {
    std::string content;
    for (const link_row& row : rows) {
        content += "\r\n<pre>\r\n<a href=";
        content += escape_link_address(row.address);
        content += " target='_blank'>";
        content += escape_link_name(row.name);
        content += "</a>\r\n</pre>";
    }
    return content;
}

std::string escape_link_name(std::string_view name) {
    return map_single_bytes(name, common::walk::gbk_pairs, [](char c, std::string& out) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    });
}

std::string escape_link_address(std::string_view address) {
    return map_single_bytes(address, common::walk::gbk_pairs, [](char c, std::string& out) {
        auto byte = static_cast<unsigned char>(c);
        bool ends_value = byte <= 0x20 || byte == 0x7F || c == '"' || c == '\'' || c == '<' || c == '>' || c == '`';
        if (!ends_value) {
            out += c;
            return;
        }
        common::append_percent_escape(out, byte);
    });
}

std::string safe_file_name(std::string_view base_name) {
    return map_single_bytes(base_name, common::walk::gbk_pairs, [](char c, std::string& out) {
        auto byte = static_cast<unsigned char>(c);
        bool unsafe = byte < 0x20 || byte == 0x7F || c == '/' || c == '\\';
        out += unsafe ? '_' : c;
    });
}

}  // namespace exporting
