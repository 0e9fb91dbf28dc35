// The input row: the search-box prompt, the mode selector and the button.
#pragma once

namespace app {

void show_search_prompt();
void enter_search_box();
void leave_search_box();
void switch_mode();
void run_search_button();

}  // namespace app
