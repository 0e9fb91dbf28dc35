#include "app/status_text.h"

namespace app {
namespace {

bool is_low_surrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// `keep` units of `text`, half from its beginning and half from its end,
// around the ellipsis; a pair of surrogates stays whole or goes whole.
std::u16string kept(std::u16string_view text, std::size_t keep) {
    std::size_t head = keep / 2;
    std::size_t tail = keep - head;
    if (head > 0 && head < text.size() && is_low_surrogate(text[head])) --head;
    std::size_t tail_start = text.size() - tail;
    if (tail_start < text.size() && is_low_surrogate(text[tail_start])) ++tail_start;
    std::u16string out(text.substr(0, head));
    out += u'\u2026';
    out += text.substr(tail_start);
    return out;
}

}  // namespace

std::u16string shorten_in_middle(std::u16string_view text, int room,
                                 const std::function<int(std::u16string_view)>& width) {
    if (width(text) <= room) return std::u16string(text);
    // The most units that still fit, found by halving.
    std::size_t fits = 0;
    std::size_t too_many = text.size();
    while (too_many - fits > 1) {
        const std::size_t middle = fits + (too_many - fits) / 2;
        (width(kept(text, middle)) <= room ? fits : too_many) = middle;
    }
    return kept(text, fits);
}

}  // namespace app
