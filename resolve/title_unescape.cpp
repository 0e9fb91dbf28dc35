#include "resolve/title_unescape.h"

#include "common/code_page.h"
#include "common/gbk.h"
#include "services/system_services.h"
#include "common/text_ops.h"

namespace resolve {
namespace {

// True when `literal`, the engine's UTF-8 form of what goes between the
// statement's quotes, stays inside them and on one line: no apostrophe (one
// can survive the replacement behind a stray lead byte), no line terminator
// (LF, CR, U+2028, U+2029) and no odd run of backslashes at the end, which
// would escape the closing quote.
bool stays_inside_literal(std::string_view literal) {
    if (literal.find_first_of("'\r\n") != std::string_view::npos) return false;
    if (literal.find("\xE2\x80\xA8") != std::string_view::npos) return false;
    if (literal.find("\xE2\x80\xA9") != std::string_view::npos) return false;
    std::size_t backslashes = 0;
    for (auto c = literal.rbegin(); c != literal.rend() && *c == '\\'; ++c) ++backslashes;
    return backslashes % 2 == 0;
}

}  // namespace

std::string unescape_title(std::string_view title) {
    using common::gbk;
    std::string t = common::replace_subtext(title, "\r\n", "{$}", 1, -1, true);
    if (!t.empty() && t[0] == '\r') t.erase(0, 1);
    if (common::find_text(t, "\\u") != -1) t = common::replace_subtext(t, "\\u", "%u", 1, -1, true);
    t = common::replace_subtext(t, "'", gbk<"’">(), 1, -1, true);
    if (!stays_inside_literal(common::convert_gbk_to_utf8(t))) return std::string(title);

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
