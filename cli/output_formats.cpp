#include "cli/output_formats.h"

#include <nlohmann/json.hpp>

#include <algorithm>

#include "cli/display_width.h"

namespace cli {
namespace {

std::string cell(const std::vector<std::string>& row, std::size_t column) {
    return column < row.size() ? printable(row[column]) : std::string();
}

std::string table(const row_layout& layout, const std::vector<std::vector<std::string>>& rows) {
    const std::size_t count = layout.columns.size();
    std::vector<std::size_t> widths(count);
    for (std::size_t c = 0; c < count; ++c) {
        widths[c] = display_width(layout.columns[c].caption);
        for (const auto& row : rows) widths[c] = std::max(widths[c], display_width(cell(row, c)));
    }
    std::string out;
    auto line = [&](auto&& text_of) {
        std::string written;
        for (std::size_t c = 0; c < count; ++c) {
            const std::string text = text_of(c);
            written += text;
            if (c + 1 < count) written.append(widths[c] - display_width(text) + 2, ' ');
        }
        while (!written.empty() && written.back() == ' ') written.pop_back();
        out += written + "\n";
    };
    line([&](std::size_t c) { return layout.columns[c].caption; });
    for (const auto& row : rows) line([&](std::size_t c) { return cell(row, c); });
    return out;
}

bool all_digits(const std::string& text) {
    return !text.empty() && text.size() < 10 && std::all_of(text.begin(), text.end(), [](char c) {
        return c >= '0' && c <= '9';
    });
}

std::string json_line(const row_layout& layout, const std::vector<std::string>& row) {
    nlohmann::ordered_json object;
    for (std::size_t c = 0; c < layout.columns.size(); ++c) {
        const std::string text = c < row.size() ? row[c] : std::string();
        if (layout.columns[c].number && all_digits(text))
            object[layout.columns[c].key] = std::stol(text);
        else
            object[layout.columns[c].key] = text;
    }
    return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace

const row_layout& hit_layout() {
    static const row_layout layout{{{"ID", "id", true},
                                    {"搜索结果", "name"},
                                    {"总视频数", "total", true},
                                    {"更新集数", "updated", true},
                                    {"视频ID", "programme"}},
                                   4};
    return layout;
}

const row_layout& address_layout() {
    static const row_layout layout{
        {{"ID", "number", true}, {"视频名称", "name"}, {"视频地址", "address"}, {"视频格式", "format"}}, 2};
    return layout;
}

std::string format_rows(format how, const row_layout& layout, const std::vector<std::vector<std::string>>& rows) {
    if (rows.empty()) return {};
    if (how == format::table) return table(layout, rows);
    std::string out;
    for (const auto& row : rows) {
        if (how == format::json) {
            out += json_line(layout, row);
        } else if (how == format::urls) {
            std::string link = cell(row, layout.link);
            if (!link.empty()) out += link + "\n";
        } else {
            for (std::size_t c = 0; c < layout.columns.size(); ++c) out += (c ? "\t" : "") + cell(row, c);
            out += "\n";
        }
    }
    return out;
}

}  // namespace cli
