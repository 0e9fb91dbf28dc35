// The hub program's server: sites made and driven over loopback HTTP.
#include <httplib.h>
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "sample_site/site_hub.h"

namespace sample_site {
namespace {

struct hub_site {
    std::shared_ptr<server> site;
    std::uint64_t last_use = 0;
};

// The live sites by id; a site in use stays alive through its shared_ptr
// even while it is being removed.
class site_table {
public:
    // Makes a site; ends the one untouched longest when the table is full.
    std::pair<int, std::shared_ptr<server>> make(const std::string& folder, int port, const std::string& stream_host) {
        auto site = std::make_shared<server>(folder, port, stream_host);
        std::shared_ptr<server> evicted;
        std::lock_guard lock(mutex_);
        if (sites_.size() >= max_hub_sites) {
            auto oldest = sites_.begin();
            for (auto it = sites_.begin(); it != sites_.end(); ++it)
                if (it->second.last_use < oldest->second.last_use) oldest = it;
            evicted = std::move(oldest->second.site);
            sites_.erase(oldest);
        }
        const int id = ++last_id_;
        sites_[id] = {site, ++clock_};
        return {id, site};
    }
    std::shared_ptr<server> find(int id) {
        std::lock_guard lock(mutex_);
        const auto it = sites_.find(id);
        if (it == sites_.end()) return nullptr;
        it->second.last_use = ++clock_;
        return it->second.site;
    }
    std::shared_ptr<server> remove(int id) {
        std::lock_guard lock(mutex_);
        const auto it = sites_.find(id);
        if (it == sites_.end()) return nullptr;
        auto site = std::move(it->second.site);
        sites_.erase(it);
        return site;
    }
    void clear() {
        std::map<int, hub_site> ending;
        {
            std::lock_guard lock(mutex_);
            ending.swap(sites_);
        }
    }

private:
    std::mutex mutex_;
    std::map<int, hub_site> sites_;
    int last_id_ = 0;
    std::uint64_t clock_ = 0;
};

// A query value as a whole number from 0 to `most`.
std::optional<std::uint64_t> number(const httplib::Request& req, const char* name, std::uint64_t most) {
    if (!req.has_param(name)) return std::nullopt;
    const std::string text = req.get_param_value(name);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > most) return std::nullopt;
    return value;
}

// A Wine path on drive Z: names the Linux path below it.
std::string linux_folder(std::string folder) {
    if (folder.size() >= 2 && (folder[0] == 'Z' || folder[0] == 'z') && folder[1] == ':') {
        folder.erase(0, 2);
        for (char& c : folder)
            if (c == '\\') c = '/';
        if (folder.empty()) folder = "/";
    }
    return folder;
}

// Runs one operation on `site`; false when a value is missing or out of range.
bool operate(server& site, const std::string& op, const httplib::Request& req, httplib::Response& res) {
    constexpr std::uint64_t most_ms = 600000;
    if (op == "fault") {
        const auto mode = number(req, "mode", static_cast<std::uint64_t>(fault::garbage_on_reuse_at_random));
        if (!mode) return false;
        site.set_fault(static_cast<fault>(*mode), req.get_param_value("prefix"));
    } else if (op == "clear_faults") {
        site.clear_faults();
    } else if (op == "huge_body_size") {
        const auto bytes = number(req, "bytes", std::uint64_t{1} << 40);
        if (!bytes) return false;
        site.set_huge_body_size(*bytes);
    } else if (op == "connection_options") {
        const auto end = number(req, "end", static_cast<std::uint64_t>(connection_options::after_answer::close_unannounced));
        const auto first = number(req, "new_connection_delay_ms", most_ms);
        const auto each = number(req, "answer_delay_ms", most_ms);
        if (!end || !first || !each) return false;
        connection_options options;
        options.end = static_cast<connection_options::after_answer>(*end);
        options.new_connection_delay_ms = static_cast<int>(*first);
        options.answer_delay_ms = static_cast<int>(*each);
        site.set_connection_options(options);
    } else if (op == "cookie_flood_size") {
        const auto cookies = number(req, "cookies", 10'000'000);
        if (!cookies) return false;
        site.set_cookie_flood_size(*cookies);
    } else if (op == "slow_head_interval") {
        const auto ms = number(req, "ms", most_ms);
        if (!ms) return false;
        site.set_slow_head_interval(std::chrono::milliseconds(*ms));
    } else if (op == "random_cuts") {
        const auto one_in = number(req, "one_in", 1'000'000);
        const auto seed = number(req, "seed", 0xFFFFFFFF);
        if (!one_in || !seed || *one_in == 0) return false;
        site.set_random_cuts(static_cast<unsigned>(*one_in), static_cast<std::uint32_t>(*seed));
    } else if (op == "test_routes") {
        site.add_test_routes();
    } else if (op == "clear_log") {
        site.clear_log();
    } else if (op == "requests") {
        res.set_content(encode_requests(site.requests()), "application/octet-stream");
    } else if (op == "connection_count") {
        res.set_content(std::to_string(site.connection_count()), "text/plain");
    } else {
        res.status = 404;
        res.set_content("no such operation: " + op, "text/plain");
    }
    return true;
}

}  // namespace

int run_site_hub(int port, const std::string& port_file) {
    site_table sites;
    httplib::Server hub;
    hub.set_keep_alive_max_count(1000);

    hub.Post("/sites", [&](const httplib::Request& req, httplib::Response& res) {
        const auto site_port = req.has_param("port") ? number(req, "port", 65535) : std::optional<std::uint64_t>(0);
        if (!site_port) {
            res.status = 400;
            return;
        }
        std::string folder = linux_folder(req.get_param_value("data"));
        if (folder.empty()) folder = server::default_data_folder();
        try {
            const auto [id, site] = sites.make(folder, static_cast<int>(*site_port), req.get_param_value("stream_host"));
            std::string answer;
            append_field(answer, std::to_string(id));
            append_field(answer, std::to_string(site->port()));
            append_field(answer, site->second_host());
            append_field(answer, site->stream_host());
            res.set_content(answer, "application/octet-stream");
        } catch (const std::exception& e) {
            res.status = 500;
            res.set_content(e.what(), "text/plain");
        }
    });
    const auto site_of = [&](const httplib::Request& req, httplib::Response& res) -> std::shared_ptr<server> {
        int id = 0;
        const std::string text = req.matches[1];
        std::from_chars(text.data(), text.data() + text.size(), id);
        auto site = sites.find(id);
        if (!site) {
            res.status = 404;
            res.set_content("no such site: " + text, "text/plain");
        }
        return site;
    };
    const auto operation = [&](const httplib::Request& req, httplib::Response& res) {
        const auto site = site_of(req, res);
        if (!site) return;
        const std::string op = req.matches[2];
        // A read is a GET, a change a POST.
        if ((req.method == "GET") != (op == "requests" || op == "connection_count")) {
            res.status = 404;
            return;
        }
        if (!operate(*site, op, req, res)) res.status = 400;
    };
    hub.Get(R"(/sites/(\d{1,9})/(\w+))", operation);
    hub.Post(R"(/sites/(\d{1,9})/(\w+))", operation);
    hub.Delete(R"(/sites/(\d{1,9}))", [&](const httplib::Request& req, httplib::Response& res) {
        int id = 0;
        const std::string text = req.matches[1];
        std::from_chars(text.data(), text.data() + text.size(), id);
        // The site ends here, outside the table's lock.
        if (!sites.remove(id)) res.status = 404;
    });

    const int bound = port == 0 ? hub.bind_to_any_port("127.0.0.1") : (hub.bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound <= 0) {
        std::cerr << "quorla-sample-site: the hub cannot listen on 127.0.0.1:" << port << "\n";
        return 1;
    }
    std::atomic<bool> done{false};
    std::thread listener([&] {
        hub.listen_after_bind();
        done = true;
    });
    while (!hub.is_running() && !done) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    int status = 0;
    if (done) {
        std::cerr << "quorla-sample-site: the hub did not start\n";
        status = 1;
    } else {
        const std::string address = "127.0.0.1:" + std::to_string(bound);
        // Written whole under another name first, so a reader never sees half.
        const std::string partial = port_file + ".partial";
        if (!port_file.empty()) std::ofstream(partial) << address << "\n";
        if (!port_file.empty() && std::rename(partial.c_str(), port_file.c_str()) != 0) {
            std::cerr << "quorla-sample-site: cannot write " << port_file << "\n";
            status = 1;
        } else {
            std::cout << "site hub listening on http://" << address << std::endl;
            sigset_t signals;
            sigemptyset(&signals);
            sigaddset(&signals, SIGINT);
            sigaddset(&signals, SIGTERM);
            int received = 0;
            sigwait(&signals, &received);
        }
    }
    hub.stop();
    listener.join();
    sites.clear();
    return status;
}

}  // namespace sample_site
