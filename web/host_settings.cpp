#include "web/host_settings.h"

#include <boost/property_tree/ini_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <system_error>

#include "services/settings_file.h"

namespace web {
namespace {

struct role {
    const char* option;
    const char* variable;
    const char* key;
    std::optional<std::string> host_options::*given;
    std::string site_hosts::*host;
};

constexpr role roles[] = {
    {"--site-host", "QUORLA_SITE_HOST", "site", &host_options::site, &site_hosts::site},
    {"--search-host", "QUORLA_SEARCH_HOST", "search", &host_options::search, &site_hosts::search},
    {"--stream-host", "QUORLA_STREAM_HOST", "stream", &host_options::stream, &site_hosts::stream},
};

// The settings file as read: absent, its [hosts] section, or why it cannot
// be read (UTF-8).
struct settings {
    bool present = false;
    std::string problem;
    boost::property_tree::ptree hosts;
};

std::filesystem::path native(const std::string& path) { return std::filesystem::path(std::u8string(path.begin(), path.end())); }

settings read_settings(const std::string& path) {
    const std::filesystem::path file = native(path);
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(file, error);
    if (status.type() == std::filesystem::file_type::not_found) return {};
    if (error) return {true, "无法访问", {}};
    if (std::filesystem::is_directory(status)) return {true, "这是一个文件夹", {}};
    std::ifstream in(file, std::ios::binary);
    if (!in) return {true, "无法打开", {}};
    std::string bytes(largest_settings_file + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return {true, "读取出错", {}};
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > largest_settings_file) return {true, "文件大于 " + std::to_string(largest_settings_file / 1024) + " KiB", {}};

    // Notepad may start the text with a byte-order mark, and '#' is taken as
    // a comment as well as ';'.
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
    std::istringstream lines(bytes);
    std::string text;
    for (std::string line; std::getline(lines, line);) {
        const std::size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos && line[first] == '#') line[first] = ';';
        text += line + "\n";
    }
    std::istringstream ini(text);
    boost::property_tree::ptree tree;
    try {
        boost::property_tree::ini_parser::read_ini(ini, tree);
    } catch (const boost::property_tree::ini_parser_error& e) {
        const bool repeated = e.message().find("duplicate") != std::string::npos;
        return {true, "第 " + std::to_string(e.line()) + (repeated ? " 行重复了前面的名称" : " 行不是 INI 格式"), {}};
    }
    settings read{true, {}, {}};
    if (auto hosts = tree.get_child_optional("hosts")) read.hosts = *hosts;
    return read;
}

}  // namespace

host_options host_options_from_arguments(const std::vector<std::string>& arguments) {
    host_options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--") break;
        for (const role& r : roles) {
            const std::string_view name = r.option;
            if (argument == name) {
                options.*r.given = i + 1 < arguments.size() ? arguments[++i] : std::string();
            } else if (argument.starts_with(name) && argument.size() > name.size() && argument[name.size()] == '=') {
                options.*r.given = std::string(argument.substr(name.size() + 1));
            }
        }
    }
    return options;
}

chosen_hosts choose_hosts(const site_hosts& built_in, const host_options& given, const environment_lookup& lookup,
                          const std::string& settings_file) {
    chosen_hosts chosen{built_in, {}};
    std::optional<settings> file;
    auto take = [&](const role& r, const std::string& value, host_source source, const char* name) {
        if (is_host_value(value))
            chosen.hosts.*r.host = value;
        else
            chosen.refused.push_back({name, value, built_in.*r.host, source, source == host_source::settings_file ? settings_file : ""});
    };
    for (const role& r : roles) {
        if (const auto& option = given.*r.given) {
            take(r, *option, host_source::option, r.option);
            continue;
        }
        if (const auto variable = lookup(r.variable)) {
            take(r, *variable, host_source::variable, r.variable);
            continue;
        }
        if (settings_file.empty()) continue;
        if (!file) {
            file = read_settings(settings_file);
            if (!file->problem.empty())
                chosen.refused.push_back({"", file->problem, "", host_source::unreadable_settings_file, settings_file});
        }
        if (!file->problem.empty()) continue;
        if (const auto value = file->hosts.get_optional<std::string>(r.key)) take(r, *value, host_source::settings_file, r.key);
    }
    return chosen;
}

std::string settings_file_path() { return common::settings_file_path(); }

}  // namespace web
