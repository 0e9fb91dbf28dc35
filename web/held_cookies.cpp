#include "web/held_cookies.h"

#include <iterator>

#include "common/text_ops.h"
#include "web/cookie_store.h"

namespace web {
namespace {

// The path the engine compares cookies by, without regard to case: quotes
// around it dropped, then "/" for one that does not start with "/", else one
// trailing "/" dropped (so "/" itself compares as "").
std::string compared_path(std::string_view path) {
    if (!path.empty() && path.front() == '"') path.remove_prefix(1);
    if (!path.empty() && path.back() == '"') path.remove_suffix(1);
    if (path.empty() || path.front() != '/') return "/";
    if (path.back() == '/') path.remove_suffix(1);
    return common::to_lower(path);
}

}  // namespace

std::string cookie_file_line(const std::string& domain, bool subdomains, const std::string& path, bool secure,
                             long long expires, const std::string& name, const std::string& value) {
    return (subdomains ? "." : "") + domain + '\t' + (subdomains ? "TRUE" : "FALSE") + '\t' + path + '\t' +
           (secure ? "TRUE" : "FALSE") + '\t' + std::to_string(expires) + '\t' + name + '\t' + value;
}

std::string held_cookie::identity() const {
    return domain + (subdomains ? "\t1\t" : "\t0\t") + compared_path(path) + '\t' + common::to_lower(name);
}

void held_index::set(const held_cookie& cookie) {
    const std::string identity = cookie.identity();
    if (const auto found = by_identity_.find(identity); found != by_identity_.end()) unlink(found->second);
    auto& in_domain = by_domain_[cookie.domain];
    const auto at = order_.insert(order_.end(), entry{cookie, identity, {}});
    in_domain.push_back(at);
    at->in_domain = std::prev(in_domain.end());
    by_identity_[identity] = at;
    by_group_[cookie.group()].push_back(at);
}

void held_index::drop_group(CURL* jar, const std::string& group) {
    const auto found = by_group_.find(group);
    if (found == by_group_.end()) return;
    const std::vector<position> held = found->second;
    for (const position at : held) drop(jar, at);
}

void held_index::keep_marked_bounds(CURL* jar) {
    for (const std::string& domain : unsettled_) {
        if (const auto found = by_domain_.find(domain); found != by_domain_.end()) {
            while (found->second.size() > max_cookies_per_host) drop(jar, found->second.front());
        }
    }
    unsettled_.clear();
    while (order_.size() > max_cookies_held) drop(jar, order_.begin());
}

void held_index::clear() {
    order_.clear();
    by_identity_.clear();
    by_group_.clear();
    by_domain_.clear();
    unsettled_.clear();
}

void held_index::drop(CURL* jar, position at) {
    curl_easy_setopt(jar, CURLOPT_COOKIELIST, at->cookie.expiry_line().c_str());
    unlink(at);
}

void held_index::unlink(position at) {
    by_identity_.erase(at->identity);
    const auto group = by_group_.find(at->cookie.group());
    if (group != by_group_.end()) {
        std::erase(group->second, at);
        if (group->second.empty()) by_group_.erase(group);
    }
    const auto domain = by_domain_.find(at->cookie.domain);
    if (domain != by_domain_.end()) {
        domain->second.erase(at->in_domain);
        if (domain->second.empty()) by_domain_.erase(domain);
    }
    order_.erase(at);
}

}  // namespace web
