// The download list of the listed addresses: an input file of the aria2
// download manager, in UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "export/link_file.h"

namespace exporting {

// For each row its address on one line, then " out=FILE" naming the file it
// is saved as, each line ending in LF. FILE is download_file_name(), and a
// name already taken by an earlier row gets " (2)", " (3)", ... before its
// extension.
std::string download_list_content(const std::vector<link_row>& rows);

// The GBK name made one UTF-8 file name with the address's extension:
// unsafe bytes as in disk_file_name, leading spaces and tabs dropped (the
// download manager would drop them from the option), `suffix` before the
// extension.
std::string download_file_name(std::string_view name, std::string_view address, std::string_view suffix = {});

// The extension of the address's path (".flv"): the last segment's text
// from its last '.', when one to eight ASCII letters and digits follow it;
// ".mp4" otherwise.
std::string address_extension(std::string_view address);

}  // namespace exporting
