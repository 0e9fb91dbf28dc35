// The rows of a run as the command line prints them. Cells are UTF-8.
#pragma once

#include <string>
#include <vector>

namespace cli {

enum class format {
    table,  // aligned columns under their captions, for a terminal
    tabs,   // one line a row, cells separated by tabs, no captions
    urls,   // the link column alone, one a line, rows without one left out
    json,   // JSON Lines: one object a row
};

struct column {
    std::string caption;  // the window's column caption
    std::string key;      // the JSON member
    bool number = false;  // written to JSON as a number when it is one
};

struct row_layout {
    std::vector<column> columns;
    std::size_t link = 0;  // the column --urls prints
};

// 超级列表框2's columns: ID, name, total, updated, programme ID.
const row_layout& hit_layout();
// 超级列表框1's columns: number, name, address, format.
const row_layout& address_layout();

// The rows in `how`, each line ended by LF; nothing for no rows. Control
// characters in cells are shown as spaces.
std::string format_rows(format how, const row_layout& layout, const std::vector<std::vector<std::string>>& rows);

}  // namespace cli
