#include "cli/program.h"

#include <optional>
#include <string_view>

#include "cli/command_line.h"
#include "cli/display_width.h"
#include "cli/memory_port.h"
#include "cli/output_formats.h"
#include "cli/runs.h"
#include "common/code_page.h"
#include "common/text_ops.h"
#include "export/save_addresses.h"
#include "services/program_state.h"
#include "web/fetch_failures.h"
#include "web/host_settings.h"

namespace cli {
namespace {

using common::control;
using rows_of = std::vector<std::vector<std::string>>;

std::string reason_text(const web::fetch_failure& failure) {
    using kind = web::fetch_failure::kind;
    switch (failure.reason) {
    case kind::refused: return "连接被拒绝";
    case kind::timed_out: return "超时";
    case kind::http_status: return "HTTP 状态 " + std::to_string(failure.status);
    case kind::bad_address: return "地址无效";
    case kind::cut_off: break;
    }
    return "连接中断";
}

// Standard error: progress that one line keeps overwriting, and messages.
class error_stream {
public:
    error_stream(console& io, bool progress) : io_(io), progress_(progress && io.is_terminal(stream::err)) {}

    void progress(const std::string& text) {
        if (!progress_) return;
        const std::size_t columns = display_width(text);
        std::string line = "\r" + text;
        if (columns < shown_) line.append(shown_ - columns, ' ');
        io_.write_text(stream::err, line);
        shown_ = columns;
    }
    void end_progress() {
        if (shown_ == 0) return;
        io_.write_text(stream::err, "\r" + std::string(shown_, ' ') + "\r");
        shown_ = 0;
    }
    // UTF-8 text, ended by a line break.
    void message(const std::string& text) {
        end_progress();
        io_.write_text(stream::err, text + "\n");
    }

private:
    console& io_;
    bool progress_;
    std::size_t shown_ = 0;
};

// One input of a batch file: the fields of one line, the line's text.
struct job {
    std::string input;  // GBK
    std::string count;  // episodes: the line's count, else the command's
};

class session {
public:
    session(const options& chosen, console& io)
        : chosen_(chosen), io_(io), errors_(io, !chosen.quiet),
          how_(chosen.chosen_format ? chosen.how : io.is_terminal(stream::out) ? format::table : format::tabs) {}

    int run();

private:
    std::string from_utf8(std::string_view text) const { return common::convert_utf8_to_gbk(text); }
    // Output text: GBK as the stream wants it.
    void print(const std::string& utf8) {
        if (utf8.empty()) return;
        if (chosen_.gbk)
            io_.write_bytes(stream::out, common::convert_utf8_to_gbk(utf8));
        else
            io_.write_text(stream::out, utf8);
    }
    static rows_of as_utf8(const std::vector<memory_port::row>& rows);

    std::optional<std::vector<job>> jobs();
    void run_one(const job& next, bool batch);
    void show(const row_layout& layout, const std::vector<memory_port::row>& rows);
    void keep_for_save(bool batch);
    int save();
    exporting::list_file_kind kind() const;

    const options& chosen_;
    console& io_;
    error_stream errors_;
    format how_;
    memory_port port_;
    int failures_ = 0;
    bool found_ = false;
    rows_of table_rows_;  // a table is printed once, with every row aligned
    const row_layout* table_layout_ = nullptr;
    std::vector<exporting::link_row> saved_rows_;
    std::optional<exporting::list_file> first_file_;
};

rows_of session::as_utf8(const std::vector<memory_port::row>& rows) {
    rows_of converted;
    for (const auto& row : rows) {
        std::vector<std::string> cells;
        for (const auto& text : row) cells.push_back(common::convert_gbk_to_utf8(text));
        converted.push_back(std::move(cells));
    }
    return converted;
}

std::optional<std::vector<job>> session::jobs() {
    const std::string command_count = chosen_.what == command::episodes && !chosen_.inputs.empty()
                                          ? chosen_.inputs.back()
                                          : std::string();
    if (!chosen_.batch) {
        return std::vector<job>{{from_utf8(chosen_.inputs.front()),
                                 chosen_.what == command::episodes ? chosen_.inputs.back() : std::string()}};
    }
    std::optional<std::string> text = io_.read_input(*chosen_.batch);
    if (!text) {
        errors_.message("无法读取文件 " + *chosen_.batch);
        return std::nullopt;
    }
    if (text->starts_with("\xEF\xBB\xBF")) text->erase(0, 3);
    std::vector<job> found;
    std::size_t at = 0;
    while (at < text->size()) {
        std::size_t end = text->find('\n', at);
        if (end == std::string::npos) end = text->size();
        std::string line = common::trim_spaces(std::string_view(*text).substr(at, end - at));
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line = common::trim_spaces(line.substr(0, line.size() - 1));
        if (line.empty() || line.front() == '#') continue;
        if (!chosen_.gbk) line = from_utf8(line);
        job next{line, command_count};
        if (chosen_.what == command::episodes) {
            // "ID COUNT", or "ID" with the command's count.
            const std::size_t space = line.find_first_of(" \t");
            if (space != std::string::npos) {
                next.input = line.substr(0, space);
                next.count = common::trim_spaces(line.substr(space + 1));
            }
        }
        found.push_back(std::move(next));
    }
    return found;
}

void session::show(const row_layout& layout, const std::vector<memory_port::row>& rows) {
    if (how_ == format::table) {
        table_layout_ = &layout;
        for (auto& row : as_utf8(rows)) table_rows_.push_back(std::move(row));
        return;
    }
    print(format_rows(how_, layout, as_utf8(rows)));
}

exporting::list_file_kind session::kind() const {
    switch (*chosen_.save) {
    case save_kind::html: return exporting::link_file_kind();
    case save_kind::m3u8: return exporting::playlist_kind();
    case save_kind::aria2: break;
    }
    return exporting::download_list_kind();
}

// The rows a save takes, and for the first run that has any, the file the
// window would save: its name, and for a single run its very bytes.
void session::keep_for_save(bool batch) {
    if (!chosen_.save) return;
    const exporting::list_file_kind file_kind = kind();
    if (!first_file_ && (!batch || !chosen_.output)) first_file_ = exporting::make_list_file(file_kind);
    for (auto& row : exporting::listed_rows(file_kind.addresses_only)) saved_rows_.push_back(std::move(row));
}

void session::run_one(const job& next, bool batch) {
    const std::string label = batch ? common::convert_gbk_to_utf8(next.input) + "：" : std::string();
    int episodes = 0;
    auto episode = [&](int k) {
        errors_.progress(label + "第 " + std::to_string(k) + "/" + std::to_string(episodes) + " 集");
    };
    const int failures_before = failures_;
    switch (chosen_.what) {
    case command::search:
        run_search(port_, next.input);
        if (!chosen_.resolve) {
            show(hit_layout(), port_.rows(control::超级列表框2));
            found_ = found_ || !port_.rows(control::超级列表框2).empty();
            if (port_.rows(control::超级列表框2).empty() && failures_ == failures_before)
                errors_.message(label + "没有找到搜索结果");
            return;
        }
        if (*chosen_.resolve > static_cast<int>(port_.rows(control::超级列表框2).size())) {
            if (failures_ == failures_before)
                errors_.message(label + "没有第 " + std::to_string(*chosen_.resolve) + " 个搜索结果");
            return;
        }
        episodes = common::to_integer(port_.list_get_cell(control::超级列表框2, *chosen_.resolve - 1, 3));
        run_hit(port_, *chosen_.resolve - 1, episode);
        break;
    case command::episodes:
        episodes = common::to_integer(next.count);
        run_episodes(port_, next.input, next.count, episode);
        break;
    case command::video:
        run_video(port_, next.input);
        break;
    }
    errors_.end_progress();
    const auto& rows = port_.rows(control::超级列表框1);
    if (rows.empty()) {
        if (failures_ == failures_before) errors_.message(label + "没有获取到地址");
        return;
    }
    found_ = true;
    keep_for_save(batch);
    if (!chosen_.save) show(address_layout(), rows);
}

int session::save() {
    const exporting::list_file_kind file_kind = kind();
    std::string bytes;
    std::string name;
    if (!chosen_.batch && first_file_) {
        bytes = first_file_->content;
        name = first_file_->name;
    } else if (!saved_rows_.empty()) {
        bytes = file_kind.content(saved_rows_);
        if (first_file_) name = first_file_->name;
    }
    if (bytes.empty()) {
        errors_.message(common::convert_gbk_to_utf8(port_.status_text(1)).empty()
                            ? "没有地址可保存"
                            : common::convert_gbk_to_utf8(port_.status_text(1)));
        return found_nothing;
    }
    const std::string target = chosen_.output.value_or(name);
    if (target == "-") {
        io_.write_bytes(stream::out, bytes);
        return found_rows;
    }
    const std::string shown = common::convert_gbk_to_utf8(target.empty() ? std::string() : from_utf8(target));
    if (target.empty() || !io_.write_file(target, bytes)) {
        errors_.message(common::convert_gbk_to_utf8(file_kind.failed) + shown);
        return found_nothing;
    }
    if (!chosen_.quiet) errors_.message(common::convert_gbk_to_utf8(file_kind.saved) + shown);
    return found_rows;
}

int session::run() {
    for (const web::refused_host& refused : web::take_hosts(chosen_.hosts)) {
        errors_.message(common::convert_gbk_to_utf8(web::refused_hosts_message({refused})));
    }
    installed_port installed(port_);
    web::set_fetch_failure_observer([this](const web::fetch_failure& failure) {
        ++failures_;
        errors_.message("无法获取 " + common::convert_gbk_to_utf8(failure.url) + "：" + reason_text(failure) +
                        (failure.detail.empty() ? std::string() : "（" + failure.detail + "）"));
    });
    std::optional<std::vector<job>> all = jobs();
    if (!all) {
        web::set_fetch_failure_observer({});
        return usage_error;
    }
    for (const job& next : *all) run_one(next, chosen_.batch.has_value());
    web::set_fetch_failure_observer({});
    if (table_layout_ != nullptr) print(format_rows(format::table, *table_layout_, table_rows_));

    int status = found_ ? found_rows : found_nothing;
    if (chosen_.save && found_) status = save();
    return failures_ > 0 ? network_failure : status;
}

}  // namespace

int run_program(const std::vector<std::string>& arguments, console& io) {
    std::variant<options, finished> read = read_command_line(arguments);
    if (auto* done = std::get_if<finished>(&read)) {
        io.write_text(done->on_error_stream ? stream::err : stream::out, done->text);
        return done->status;
    }
    common::init_program_state();
    session run(std::get<options>(read), io);
    return run.run();
}

}  // namespace cli
