// Saving the address list as a file in the save folder: the choice of its
// name, the rows, the write and the status texts, shared by every kind of
// file the address list's pop-up menu saves.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/link_file.h"

namespace exporting {

struct list_file_kind {
    std::string_view extension;  // ".html"
    // Rows without an address are left out, and the status text tells how
    // many rows went in.
    bool addresses_only = false;
    std::string (*content)(const std::vector<link_row>& rows) = nullptr;
    std::string saved;   // GBK, before the name: "下载地址保存成功. "
    std::string failed;  // GBK, before the name: "下载地址保存失败. "
};

// The file's base name (GBK) as the mode chooses it: the selected search
// hit, the series page's title, or the last video's title; when that is
// empty, the first listed video's name, else "视频地址".
std::string list_file_base_name(int mode);

// The listed rows of 超级列表框1 (name and address), in list order.
std::vector<link_row> listed_rows(bool addresses_only);

// A file as save_list_file writes it.
struct list_file {
    std::string name;     // UTF-8, one folder entry: the base name with the kind's extension
    std::string content;  // the file's bytes
    std::size_t rows = 0;
};

// The file save_list_file would write for the listed rows, with the status
// text it shows when there is nothing to save; nullopt then, and when there
// is no mode or the window closes while the base name is fetched.
std::optional<list_file> make_list_file(const list_file_kind& kind);

// Writes the listed rows as `kind` into the save folder and reports the
// outcome in the status bar; nothing without a mode or a first name, and
// nothing when the window closes while the base name is fetched.
void save_list_file(const list_file_kind& kind);

}  // namespace exporting
