#include "export/download_list.h"

#include <map>
#include <set>

#include "common/code_page.h"
#include "export/list_address.h"
#include "services/system_services.h"

namespace exporting {
namespace {

bool ascii_alnum(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

std::string address_extension(std::string_view address) {
    const std::size_t scheme = address.find("://");
    std::string_view path = address.substr(scheme == std::string_view::npos ? 0 : scheme + 3);
    const std::size_t path_start = path.find('/');
    path = path_start == std::string_view::npos ? std::string_view() : path.substr(path_start);
    path = path.substr(0, path.find_first_of("?#"));
    const std::string_view segment = path.substr(path.rfind('/') + 1);
    const std::size_t dot = segment.rfind('.');
    if (dot == std::string_view::npos) return ".mp4";
    const std::string_view letters = segment.substr(dot + 1);
    if (letters.empty() || letters.size() > 8) return ".mp4";
    for (char c : letters) {
        if (!ascii_alnum(c)) return ".mp4";
    }
    return std::string(segment.substr(dot));
}

std::string download_file_name(std::string_view name, std::string_view address, std::string_view suffix) {
    std::string stem = common::convert_gbk_to_utf8(name);
    stem.erase(0, stem.find_first_not_of(" \t"));
    return common::disk_file_name(stem, std::string(suffix) + address_extension(address));
}

std::string download_list_content(const std::vector<link_row>& rows) {
    std::string content;
    std::set<std::string> taken;
    std::map<std::string, int> next_number;  // by the name before numbering
    for (const link_row& row : rows) {
        const std::string plain = download_file_name(row.name, row.address);
        std::string file = plain;
        int& number = next_number.try_emplace(plain, 2).first->second;
        while (!taken.insert(file).second) {
            file = download_file_name(row.name, row.address, " (" + std::to_string(number++) + ")");
        }
        content += list_address(row.address) + "\n out=" + file + "\n";
    }
    return content;
}

}  // namespace exporting
