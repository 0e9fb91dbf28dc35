#include "resolve/video_id.h"

#include "services/program_state.h"
#include "services/system_services.h"
#include "resolve/stream_select.h"
#include "resolve/title_unescape.h"
#include "web/page_text.h"

namespace resolve {

void resolve_by_video_id() {
    using common::control;
    common::list_clear(control::超级列表框1);
    std::string vid = common::edit_text(control::编辑框1);
    std::string descriptor = fetch_descriptor(vid);
    stream_choice choice = select_stream(descriptor);
    std::string title = unescape_title(web::text_between(descriptor, "title\":\"", "\",\"duration"));
    if (choice.found) {
        common::set_video_title(title);
        append_result_row(title, choice.address, choice.label);
    } else {
        // Nothing to offer: the row names this video and says so, rather
        // than showing another video's label; video_title stays as it was.
        append_result_row(title, "", no_quality_label());
    }
}

}  // namespace resolve
