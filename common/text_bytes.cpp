#include <algorithm>

#include "common/text_ops.h"

namespace common {

int bytes_length(const byte_array& bytes) { return static_cast<int>(bytes.size()); }

byte_array bytes_left(const byte_array& bytes, int n) {
    if (n <= 0) return {};
    const std::size_t keep = std::min(bytes.size(), static_cast<std::size_t>(n));
    return byte_array(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(keep));
}

byte_array zero_bytes(int n) { return n < 1 ? byte_array() : byte_array(static_cast<std::size_t>(n), 0); }

byte_array replace_subbytes(const byte_array& bytes, const byte_array& find,
                            const byte_array& replacement, int start, std::optional<int> max_count) {
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    const int limit = max_count.value_or(-1);
    if (bytes.empty() || find.empty() || from >= bytes.size() || (max_count && limit <= 0)) {
        return bytes;
    }
    byte_array out(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(from));
    auto pos = bytes.begin() + static_cast<std::ptrdiff_t>(from);
    int done = 0;
    while (true) {
        const auto at = std::search(pos, bytes.end(), find.begin(), find.end());
        if (at == bytes.end()) break;
        out.insert(out.end(), pos, at);
        out.insert(out.end(), replacement.begin(), replacement.end());
        pos = at + static_cast<std::ptrdiff_t>(find.size());
        if (max_count && ++done == limit) break;
    }
    out.insert(out.end(), pos, bytes.end());
    return out;
}

}  // namespace common
