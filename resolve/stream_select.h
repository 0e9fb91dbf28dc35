// One video: its stream descriptor, the best quality it offers, and its row.
#pragma once

#include <string>
#include <string_view>

namespace resolve {

// The descriptor of `vid` as fetched, without any conversion.
std::string fetch_descriptor(std::string_view vid);

struct stream_choice {
    bool found = false;
    std::string address;
    std::string label;
};

// The first of 1080p, 720p, 1300, 1000, 350 (exact case) that the descriptor
// names with a usable address decides; its address is rebuilt on the stream
// host. A rung whose cut is empty, or would lead off the stream host, is
// passed over; not found when no rung is left.
stream_choice select_stream(std::string_view descriptor);

// Appends a numbered row to 超级列表框1 in one window call.
void append_result_row(std::string_view title, std::string_view address, std::string_view label);

// The label a row shows when the descriptor offers none of the qualities.
const std::string& no_quality_label();

}  // namespace resolve
