// Saving the address list as an HTML file of links in the program's directory.
#pragma once

namespace exporting {

// The handler of the menu item "保存所有地址".
void save_all_addresses();

}  // namespace exporting
