#include "resolve/stream_select.h"

#include <array>

#include "common/gbk.h"
#include "services/program_state.h"
#include "services/system_services.h"
#include "common/text_ops.h"
#include "web/page_text.h"
#include "web/site_hosts.h"
#include "web/web_access.h"

namespace resolve {
namespace {

struct quality {
    const char* probe;
    const std::string& (*label)();
};

const std::array<quality, 5> ladder = {{
    {"1080p", [] () -> const std::string& { static const std::string l = "1080P"; return l; }},
    {"720p", [] () -> const std::string& { static const std::string l = "720P"; return l; }},
    {"1300", [] () -> const std::string& { return common::gbk<"超清">(); }},
    {"1000", [] () -> const std::string& { return common::gbk<"高清">(); }},
    {"350", [] () -> const std::string& { return common::gbk<"流畅">(); }},
}};

// The rest of a stream address after the host, as cut with its backslashes
// removed, is usable only while the address stays on the stream host: it
// starts a path and holds no '@', space or control byte that could make a
// client read another host out of it.
bool stays_on_stream_host(std::string_view rest) {
    if (rest.empty() || rest.front() != '/') return false;
    for (unsigned char c : rest) {
        if (c == '@' || c <= 0x20 || c == 0x7F) return false;
    }
    return true;
}

}  // namespace

const std::string& no_quality_label() { return common::gbk<"无可用清晰度">(); }

std::string fetch_descriptor(std::string_view vid) { return web::fetch_page_text(web::descriptor_url(vid)); }

stream_choice select_stream(std::string_view descriptor) {
    const std::string stream_host = web::current_hosts().stream;
    for (const quality& q : ladder) {
        if (common::find_text(descriptor, q.probe) == -1) continue;
        std::string marker = std::string(q.probe) + "\":[\"http:\\/\\/" + stream_host;
        std::string cut = web::text_between(descriptor, marker, "&tss=no");
        cut = common::replace_subtext(cut, "\\", "");
        // A probe met elsewhere (inside a longer number), a missing marker or
        // terminator, or a cut leading off the host: this rung has no address.
        if (!stays_on_stream_host(cut)) continue;
        stream_choice choice;
        choice.found = true;
        choice.address = "http://" + stream_host + cut + "&tss=no";
        choice.label = q.label();
        common::set_last_format_label(choice.label);
        return choice;
    }
    return {};
}

void append_result_row(std::string_view title, std::string_view address, std::string_view label) {
    using common::control;
    common::window_call([&] {
        int row = common::list_insert_row(control::超级列表框1);
        if (row < 0) return;
        common::list_set_cell(control::超级列表框1, row, 0, common::to_text(row + 1));
        common::list_set_cell(control::超级列表框1, row, 1, title);
        common::list_set_cell(control::超级列表框1, row, 2, address);
        common::list_set_cell(control::超级列表框1, row, 3, label);
    });
}

}  // namespace resolve
