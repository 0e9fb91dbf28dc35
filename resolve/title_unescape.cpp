#include "resolve/title_unescape.h"

#include "common/gbk.h"
#include "services/system_services.h"
#include "common/text_ops.h"

namespace resolve {

std::string unescape_title(std::string_view title) {
    using common::gbk;
    std::string t = common::replace_subtext(title, "\r\n", "{$}", 1, -1, true);
    if (!t.empty() && t[0] == '\r') t.erase(0, 1);
    if (common::find_text(t, "\\u") != -1) t = common::replace_subtext(t, "\\u", "%u", 1, -1, true);
    t = common::replace_subtext(t, "'", gbk<"’">(), 1, -1, true);

    common::automation_object engine;
    if (!common::object_create(engine, "ScriptControl")) return std::string(title);
    common::object_set_property(engine, "Language", "JScript");
    common::object_call_number(engine, "ExecuteStatement", {"function xx(){var x='" + t + "';return unescape(x);}"});
    bool evaluated = false;
    std::string r = common::object_call_text(engine, "Run", {"xx"}, &evaluated);
    common::object_release(engine);
    if (!evaluated) return std::string(title);

    r = common::replace_subtext(r, gbk<"’">(), "'", 1, -1, true);
    return common::replace_subtext(r, "{$}", "\r\n", 1, -1, true);
}

}  // namespace resolve
