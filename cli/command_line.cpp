#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <map>

#include "cli/program.h"

#ifndef QUORLA_VERSION
#error "QUORLA_VERSION comes from cli/CMakeLists.txt"
#endif

namespace cli {
namespace {

// CLI11's error kinds in the window's language; its own detail follows.
std::string usage_message(const CLI::ParseError& error) {
    static const std::map<std::string, std::string> meaning = {
        {"ExtrasError", "多余的参数或不认识的选项"},  {"RequiredError", "缺少必需的参数"},
        {"ArgumentMismatch", "参数的个数不对"},        {"ConversionError", "参数的值不是所要的类型"},
        {"ValidationError", "参数的值无效"},          {"ExcludesError", "这些选项不能同时使用"},
        {"RequiresError", "缺少同时需要的选项"},
    };
    auto found = meaning.find(error.get_name());
    std::string text = "命令行有误：" + (found != meaning.end() ? found->second : std::string("无法理解"));
    return text + "（" + error.what() + "）\n用 --help 查看用法。\n";
}

bool is_count(const std::string& text) {
    return !text.empty() && text.size() <= 9 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

finished usage(std::string text) { return {std::move(text) + "用 --help 查看用法。\n", true, usage_error}; }

}  // namespace

std::variant<options, finished> read_command_line(const std::vector<std::string>& arguments) {
    options chosen;
    CLI::App app("Quorla高清地址获取器的命令行：搜索节目，列出各集视频的直接地址。", "quorla-hd-cli");
    app.get_formatter()->label("Usage", "用法");
    app.get_formatter()->label("OPTIONS", "选项");
    app.get_formatter()->label("SUBCOMMAND", "命令");
    app.get_formatter()->label("SUBCOMMANDS", "命令");
    app.get_formatter()->label("Positionals", "参数");
    app.get_formatter()->label("REQUIRED", "必需");
    app.get_formatter()->column_width(34);
    app.option_defaults()->group("选项");
    app.set_help_flag("-h,--help", "显示本帮助并退出");
    app.set_version_flag("--version", std::string("quorla-hd-cli ") + QUORLA_VERSION, "显示版本并退出");
    app.footer(
        "退出状态：0 找到了行，1 什么也没找到，2 命令行有误，3 网络出错，有行或结果没能获取。\n"
        "主机依次取自选项、环境变量 QUORLA_SITE_HOST、QUORLA_SEARCH_HOST、QUORLA_STREAM_HOST、设置文件和内置值。");
    app.fallthrough();
    app.require_subcommand(1);

    std::string kind;
    std::string encoding = "utf8";
    std::string site, search_host, stream;
    bool want_urls = false;
    bool want_json = false;
    auto* urls = app.add_flag("--urls", want_urls, std::string("只输出地址，一行一个（搜索结果：节目ID）"));
    auto* json = app.add_flag("--json", want_json, std::string("JSON Lines：每行一个对象"));
    urls->excludes(json);
    auto* save = app.add_option("--save", kind, "把地址保存为窗口所存的文件：html、m3u8 或 aria2")
                     ->check(CLI::IsMember({"html", "m3u8", "aria2"}))
                     ->type_name("KIND");
    save->excludes(urls)->excludes(json);
    app.add_option("-o,--output", chosen.output, "--save 的文件名；- 为标准输出（默认：窗口所取的文件名，存在当前目录）")
        ->type_name("FILE")
        ->needs(save);
    app.add_option("-a,--batch", chosen.batch, "从文件逐行读取多个输入（- 为标准输入）；一个失败不影响其余")
        ->type_name("FILE");
    app.add_flag("-q,--quiet", chosen.quiet, "不显示进度和保存提示");
    app.add_option("--encoding", encoding, "输出文字的编码：utf8（默认）或 gbk")
        ->check(CLI::IsMember({"utf8", "gbk"}))
        ->type_name("ENC");
    app.add_option("--site-host", site, "播放页与视频描述的主机（主机 或 主机:端口）")->type_name("HOST");
    app.add_option("--search-host", search_host, "搜索页与节目页的主机")->type_name("HOST");
    app.add_option("--stream-host", stream, "视频地址所在的主机")->type_name("HOST");

    auto* search = app.add_subcommand("search", "搜索节目：列出搜索结果（ID、名称、总视频数、更新集数、节目ID）");
    search->add_option("KEYWORD", chosen.inputs, "搜索的关键词")->expected(0, 1);
    search->add_option("--resolve", chosen.resolve, "像右键菜单的“获取地址”一样列出第 N 个结果的各集地址")
        ->check(CLI::PositiveNumber)
        ->type_name("N");
    auto* episodes = app.add_subcommand("episodes", "ID 模式：列出节目前 COUNT 集的地址（序号、名称、地址、格式）");
    episodes->add_option("PROGRAMME_ID COUNT", chosen.inputs, "节目ID 与集数（用 -a 时只给集数，或都不给）")
        ->expected(0, 2);
    auto* video = app.add_subcommand("video", "无集数模式：列出一个视频的地址");
    video->add_option("VIDEO_ID", chosen.inputs, "视频ID")->expected(0, 1);
    for (CLI::App* sub : {search, episodes, video}) {
        sub->group("命令");
        sub->set_help_flag("-h,--help", "显示本帮助并退出");
    }

    std::vector<std::string> reversed(arguments.size() > 1 ? arguments.begin() + 1 : arguments.end(),
                                      arguments.end());
    std::reverse(reversed.begin(), reversed.end());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        // The help of the command given, else of the whole program.
        return finished{app.help(), false, found_rows};
    } catch (const CLI::CallForVersion& version) {
        return finished{std::string(version.what()) + "\n", false, found_rows};
    } catch (const CLI::ParseError& error) {
        return finished{usage_message(error), true, usage_error};
    }

    chosen.what = search->parsed() ? command::search : episodes->parsed() ? command::episodes : command::video;
    chosen.chosen_format = *urls || *json;
    if (*urls) chosen.how = format::urls;
    if (*json) chosen.how = format::json;
    if (*save) chosen.save = kind == "html" ? save_kind::html : kind == "m3u8" ? save_kind::m3u8 : save_kind::aria2;
    chosen.gbk = encoding == "gbk";
    if (app.count("--site-host") > 0) chosen.hosts.site = site;
    if (app.count("--search-host") > 0) chosen.hosts.search = search_host;
    if (app.count("--stream-host") > 0) chosen.hosts.stream = stream;

    const std::size_t given = chosen.inputs.size();
    const bool batch = chosen.batch.has_value();
    switch (chosen.what) {
    case command::search:
        if (!batch && given != 1) return usage("请给出搜索的关键词。\n");
        if (batch && given != 0) return usage("用 -a 时关键词来自文件，不再另给。\n");
        if (chosen.save && !chosen.resolve) return usage("搜索结果没有地址可存：用 --resolve N 列出一个结果的各集再保存。\n");
        break;
    case command::episodes:
        if (!batch && given != 2) return usage("请给出节目ID 和集数。\n");
        if (batch && given > 1) return usage("用 -a 时节目ID来自文件，只可另给集数。\n");
        if (given > 0 && !is_count(chosen.inputs.back())) return usage("集数应是一个不小于 0 的整数。\n");
        break;
    case command::video:
        if (!batch && given != 1) return usage("请给出视频ID。\n");
        if (batch && given != 0) return usage("用 -a 时视频ID来自文件，不再另给。\n");
        break;
    }
    return chosen;
}

}  // namespace cli
