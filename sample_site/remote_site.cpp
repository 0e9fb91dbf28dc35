// sample_site::server as a client of the site hub (site_hub.h): each member
// call is one request to the hub named by QUORLA_SITE_HUB, over one kept
// loopback connection shared by the whole program.
#include <curl/curl.h>

#include <cstdlib>
#include <mutex>
#include <set>
#include <stdexcept>

#include "sample_site/sample_site.h"
#include "sample_site/site_hub.h"

namespace sample_site {
namespace {

struct hub_answer {
    long status = 0;
    std::string body;
};

std::size_t keep_bytes(char* data, std::size_t size, std::size_t count, void* answer) {
    static_cast<std::string*>(answer)->append(data, size * count);
    return size * count;
}

class hub_connection {
public:
    static hub_connection& get() {
        // Never destroyed: sites still alive at exit are ended from atexit.
        static hub_connection* connection = new hub_connection;
        return *connection;
    }

    // `query` holds name, value pairs.
    hub_answer call(const char* method, const std::string& path,
                    const std::vector<std::pair<std::string, std::string>>& query = {}) {
        std::lock_guard lock(mutex_);
        if (address_.empty()) throw std::runtime_error("sample site: QUORLA_SITE_HUB names no site hub");
        if (!easy_) easy_ = curl_easy_init();
        if (!easy_) throw std::runtime_error("sample site: no curl handle for the site hub");
        std::string url = "http://" + address_ + path;
        char separator = '?';
        for (const auto& [name, value] : query) {
            char* escaped = curl_easy_escape(easy_, value.data(), static_cast<int>(value.size()));
            url += separator + name + "=" + (escaped ? escaped : "");
            curl_free(escaped);
            separator = '&';
        }
        hub_answer answer;
        curl_easy_reset(easy_);
        curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy_, CURLOPT_PROXY, "");
        curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT, 10L);
        curl_easy_setopt(easy_, CURLOPT_TIMEOUT, 120L);
        curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, keep_bytes);
        curl_easy_setopt(easy_, CURLOPT_WRITEDATA, &answer.body);
        if (std::string_view(method) == "POST") {
            curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, "");
            curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE, 0L);
        } else if (std::string_view(method) != "GET") {
            curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, method);
        }
        const CURLcode result = curl_easy_perform(easy_);
        if (result != CURLE_OK)
            throw std::runtime_error("sample site: the site hub at " + address_ + " did not answer " + path + ": " +
                                     curl_easy_strerror(result));
        curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &answer.status);
        return answer;
    }

    // The same, throwing unless the hub answered 200.
    std::string must(const char* method, const std::string& path,
                     const std::vector<std::pair<std::string, std::string>>& query = {}) {
        hub_answer answer = call(method, path, query);
        if (answer.status != 200)
            throw std::runtime_error("sample site: the site hub answered " + path + " with " +
                                     std::to_string(answer.status) + " " + answer.body);
        return std::move(answer.body);
    }

    void opened(const std::string& id) {
        std::lock_guard lock(live_mutex_);
        if (!exit_hook_) exit_hook_ = std::atexit([] { get().end_live_sites(); }) == 0;
        live_.insert(id);
    }
    void closed(const std::string& id) {
        std::lock_guard lock(live_mutex_);
        live_.erase(id);
    }

private:
    hub_connection() {
        if (const char* hub = std::getenv("QUORLA_SITE_HUB")) address_ = hub;
    }

    // Sites a program leaves alive (a site kept for the whole run) end with it.
    void end_live_sites() {
        std::set<std::string> ending;
        {
            std::lock_guard lock(live_mutex_);
            ending.swap(live_);
        }
        for (const std::string& id : ending) {
            try {
                call("DELETE", "/sites/" + id);
            } catch (const std::exception&) {
            }
        }
    }

    std::mutex mutex_;
    CURL* easy_ = nullptr;
    std::string address_;
    std::mutex live_mutex_;
    std::set<std::string> live_;
    bool exit_hook_ = false;
};

}  // namespace

struct server::impl {
    std::string id;
    int port = 0;
    std::string second_host;
    std::string stream_host;

    std::string path(const char* op) const { return "/sites/" + id + "/" + op; }
    void post(const char* op, const std::vector<std::pair<std::string, std::string>>& query = {}) const {
        hub_connection::get().must("POST", path(op), query);
    }
};

server::server(std::string data_folder, int port, std::string stream_host) : impl_(std::make_unique<impl>()) {
    auto& hub = hub_connection::get();
    const std::string answer = hub.must(
        "POST", "/sites", {{"data", data_folder}, {"port", std::to_string(port)}, {"stream_host", stream_host}});
    const auto fields = split_fields(answer);
    if (!fields || fields->size() != 4) throw std::runtime_error("sample site: the site hub's answer is garbled");
    impl_->id = (*fields)[0];
    impl_->port = std::stoi((*fields)[1]);
    impl_->second_host = (*fields)[2];
    impl_->stream_host = (*fields)[3];
    hub.opened(impl_->id);
}

server::~server() {
    auto& hub = hub_connection::get();
    hub.closed(impl_->id);
    try {
        hub.call("DELETE", "/sites/" + impl_->id);
    } catch (const std::exception&) {
        // The hub ends sites left behind once it has too many.
    }
}

int server::port() const { return impl_->port; }

std::string server::host() const { return "127.0.0.1:" + std::to_string(impl_->port); }

std::string server::second_host() const { return impl_->second_host; }

std::string server::stream_host() const { return impl_->stream_host; }

void server::set_fault(fault mode, std::string target_prefix) {
    impl_->post("fault", {{"mode", std::to_string(static_cast<int>(mode))}, {"prefix", target_prefix}});
}

void server::clear_faults() { impl_->post("clear_faults"); }

void server::set_huge_body_size(std::uint64_t bytes) { impl_->post("huge_body_size", {{"bytes", std::to_string(bytes)}}); }

void server::set_connection_options(const connection_options& options) {
    impl_->post("connection_options", {{"end", std::to_string(static_cast<int>(options.end))},
                                       {"new_connection_delay_ms", std::to_string(options.new_connection_delay_ms)},
                                       {"answer_delay_ms", std::to_string(options.answer_delay_ms)}});
}

void server::set_cookie_flood_size(std::size_t cookies) {
    impl_->post("cookie_flood_size", {{"cookies", std::to_string(cookies)}});
}

void server::set_slow_head_interval(std::chrono::milliseconds pause) {
    impl_->post("slow_head_interval", {{"ms", std::to_string(pause.count())}});
}

void server::set_random_cuts(unsigned one_in, std::uint32_t seed) {
    impl_->post("random_cuts", {{"one_in", std::to_string(one_in)}, {"seed", std::to_string(seed)}});
}

void server::add_test_routes() { impl_->post("test_routes"); }

std::vector<logged_request> server::requests() const {
    auto log = decode_requests(hub_connection::get().must("GET", impl_->path("requests")));
    if (!log) throw std::runtime_error("sample site: the site hub's log is garbled");
    return std::move(*log);
}

void server::clear_log() { impl_->post("clear_log"); }

std::size_t server::connection_count() const {
    return std::stoul(hub_connection::get().must("GET", impl_->path("connection_count")));
}

std::string server::default_data_folder() { return SAMPLE_SITE_DATA_FOLDER; }

}  // namespace sample_site
