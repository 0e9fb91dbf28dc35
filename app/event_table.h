// The window's event table: the handler that runs for each event of each
// control. A window reports its controls' events in these words; events
// nothing is bound to (a header click, a double click, a label's) do nothing.
#pragma once

#include "services/system_services.h"

namespace app {

enum class event {
    got_focus,    // an edit box
    lost_focus,   // an edit box
    choice_made,  // the mode selector: a completed choice (the same item again too), through the queue
    clicked,      // the button
    left_click,   // a list's click notification, on a row or on the empty area
    right_press,  // a list: the right button pressed, before it is released
    right_click,  // a list's right-click notification
};

// True when a handler is bound to `what` of `source`.
bool bound(common::control source, event what);
// Runs the handler bound to `what` of `source`; false when none is.
bool raise(common::control source, event what);

}  // namespace app
