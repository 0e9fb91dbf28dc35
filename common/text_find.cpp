#include <algorithm>

#include "common/c_runtime.h"

#include "common/text_ops.h"
#include "common/text_walk.h"

namespace common {
namespace walk {

std::string fold_all_bytes(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) c = ascii_lower(c);
    return folded;
}

// find_bytes finds candidates; a candidate counts only where the walk from `from`
// would stand on it. A byte below 0x80 always ends a character (it is a
// single-byte character or a trail byte), so the walk stands just after the
// nearest such byte, and from there crosses a run of high bytes in pairs.
std::size_t find_at_boundary(std::string_view text, std::string_view sub, std::size_t from) {
    std::size_t boundary = from;
    std::size_t pos = from;
    while (pos + sub.size() <= text.size()) {
        const char* hit = find_bytes(text.data() + pos, text.size() - pos, sub.data(), sub.size());
        if (hit == nullptr) return std::string_view::npos;
        const std::size_t at = static_cast<std::size_t>(hit - text.data());
        std::size_t run_start = at;
        while (run_start > boundary && is_lead(text[run_start - 1])) --run_start;
        if ((at - run_start) % 2 == 0) return at;
        // `at` is a trail byte, so the next character starts right after it.
        boundary = at + 1;
        pos = at + 1;
    }
    return std::string_view::npos;
}

}  // namespace walk

int find_text(std::string_view text, std::string_view sub, int start, bool ignore_case) {
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (from >= text.size()) return -1;
    if (sub.empty()) return 1;
    std::size_t at;
    if (ignore_case) {
        at = walk::find_at_boundary(walk::fold_all_bytes(text), walk::fold_all_bytes(sub), from);
    } else {
        at = walk::find_at_boundary(text, sub, from);
    }
    return at == std::string_view::npos ? -1 : static_cast<int>(at) + 1;
}

std::string replace_subtext(std::string_view text, std::string_view sub,
                            std::string_view replacement, int start, int max_count,
                            bool case_sensitive) {
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (text.empty() || sub.empty() || from >= text.size() || max_count == 0) {
        return std::string(text);
    }
    std::string folded_text, folded_sub;
    std::string_view haystack = text, needle = sub;
    if (!case_sensitive) {
        folded_text = walk::fold_all_bytes(text);
        folded_sub = walk::fold_all_bytes(sub);
        haystack = folded_text;
        needle = folded_sub;
    }
    std::string out;
    out.reserve(text.size());
    std::size_t pos = from;
    out.append(text.substr(0, from));
    int done = 0;
    while (true) {
        const std::size_t at = walk::find_at_boundary(haystack, needle, pos);
        if (at == std::string_view::npos) break;
        out.append(text.substr(pos, at - pos));
        out.append(replacement);
        pos = at + sub.size();
        if (max_count > 0 && ++done == max_count) break;
    }
    out.append(text.substr(pos));
    return out;
}

std::string replace_range(std::string_view text, int start, int count, std::string_view insertion) {
    // Wide arithmetic, so that no start or count can overflow the clipping.
    const long long length = static_cast<long long>(text.size());
    const auto p = static_cast<std::size_t>(std::clamp(static_cast<long long>(start) - 1, 0LL, length));
    const auto removed = static_cast<std::size_t>(std::clamp(static_cast<long long>(count), 0LL, length - static_cast<long long>(p)));
    std::string out(text.substr(0, p));
    out.append(insertion);
    out.append(text.substr(p + removed));
    return out;
}

bool same_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return walk::ascii_lower(x) == walk::ascii_lower(y);
           });
}

int compare_text(std::string_view a, std::string_view b, bool case_sensitive) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const std::size_t wa = walk::char_width(a, i), wb = walk::char_width(b, j);
        unsigned ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[j]);
        if (wa == 2) ca = ca << 8 | static_cast<unsigned char>(a[i + 1]);
        else if (!case_sensitive) ca = static_cast<unsigned char>(walk::ascii_lower(a[i]));
        if (wb == 2) cb = cb << 8 | static_cast<unsigned char>(b[j + 1]);
        else if (!case_sensitive) cb = static_cast<unsigned char>(walk::ascii_lower(b[j]));
        if (ca != cb) return ca < cb ? -1 : 1;
        i += wa;
        j += wb;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

}  // namespace common
