#include "web/host_settings.h"

#include <tuple>
#include <utility>

#include "services/system_services.h"

namespace web {

host_options host_options_from_arguments(const std::vector<std::string>& arguments) {
    host_options options;
    const std::pair<std::string, std::optional<std::string> host_options::*> names[] = {
        {"--site-host", &host_options::site},
        {"--search-host", &host_options::search},
        {"--stream-host", &host_options::stream},
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        for (const auto& [name, role] : names) {
            if (arguments[i] == name && i + 1 < arguments.size())
                options.*role = arguments[i + 1];
            else if (arguments[i].starts_with(name + "="))
                options.*role = arguments[i].substr(name.size() + 1);
        }
    }
    return options;
}

std::vector<refused_host> take_hosts(const host_options& given) {
    std::vector<refused_host> refused = take_hosts_from_environment();
    site_hosts hosts = current_hosts();
    const std::tuple<const char*, std::optional<std::string> host_options::*, std::string site_hosts::*> roles[] = {
        {"--site-host", &host_options::site, &site_hosts::site},
        {"--search-host", &host_options::search, &site_hosts::search},
        {"--stream-host", &host_options::stream, &site_hosts::stream},
    };
    for (const auto& [option, given_role, role] : roles) {
        const std::optional<std::string>& value = given.*given_role;
        if (!value) continue;
        if (is_host_value(*value))
            hosts.*role = *value;
        else
            refused.push_back({option, *value, hosts.*role});
    }
    replace_hosts_for_testing(std::move(hosts));
    return refused;
}

std::string settings_file_path() {
    if (auto config = common::environment_variable("XDG_CONFIG_HOME"); config && !config->empty())
        return *config + "/quorla-hd/quorla-hd.ini";
    return common::environment_variable("HOME").value_or("") + "/.config/quorla-hd/quorla-hd.ini";
}

}  // namespace web
