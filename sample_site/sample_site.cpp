#include "sample_site/sample_site.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "sample_site/faults.h"
#include "sample_site/pages.h"
#include "sample_site/raw_front.h"
#include "sample_site/request_log.h"
#include "sample_site/routes.h"
#include "sample_site/site_data.h"
#include "sample_site/test_routes.h"

namespace sample_site {

struct server::impl {
    site_data data;
    fault_table faults;
    request_log log;
    httplib::Server inner;
    std::thread inner_thread;
    std::atomic<bool> inner_done{false};
    std::unique_ptr<raw_front> front;
    std::string stream_host;
};

server::server(std::string data_folder, int port, std::string stream_host) : impl_(std::make_unique<impl>()) {
    auto& s = *impl_;
    s.data = load_site_data(data_folder);
    s.front = std::make_unique<raw_front>(port, s.faults, s.log);
    s.stream_host = stream_host.empty() ? host() : std::move(stream_host);

    // The inner server answers one request per connection, which makes it
    // write "Connection: close" on every answer.
    s.inner.set_keep_alive_max_count(1);
    install_routes(s.inner, s.data, s.stream_host);
    const int inner_port = s.inner.bind_to_any_port("127.0.0.1");
    if (inner_port <= 0) throw std::runtime_error("sample site: no loopback port for the inner server");
    s.inner_thread = std::thread([&s] {
        s.inner.listen_after_bind();
        s.inner_done = true;
    });
    // stop() is a no-op until the listen loop runs, so wait for it.
    while (!s.inner.is_running() && !s.inner_done) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (s.inner_done) {
        s.inner_thread.join();
        throw std::runtime_error("sample site: the inner server did not start");
    }
    s.front->start(inner_port, hostile_page(s.data));
}

server::~server() {
    impl_->front->stop();
    impl_->inner.stop();
    impl_->inner_thread.join();
}

int server::port() const { return impl_->front->port(); }

std::string server::host() const { return "127.0.0.1:" + std::to_string(port()); }

std::string server::second_host() const {
    return impl_->front->has_second_address() ? "127.0.0.2:" + std::to_string(port()) : std::string();
}

std::string server::stream_host() const { return impl_->stream_host; }

void server::set_fault(fault mode, std::string target_prefix) { impl_->faults.set(mode, std::move(target_prefix)); }

void server::set_connection_options(const connection_options& options) {
    impl_->front->set_connection_options(options);
}

void server::clear_faults() { impl_->faults.clear(); }

void server::set_huge_body_size(std::uint64_t bytes) { impl_->front->set_huge_body_size(bytes); }

void server::set_cookie_flood_size(std::size_t cookies) { impl_->front->set_cookie_flood_size(cookies); }

void server::set_slow_head_interval(std::chrono::milliseconds pause) {
    impl_->front->set_slow_head_interval(static_cast<int>(pause.count()));
}

void server::set_random_cuts(unsigned one_in, std::uint32_t seed) { impl_->faults.set_random_cuts(one_in, seed); }

std::vector<logged_request> server::requests() const { return impl_->log.all(); }

void server::clear_log() { impl_->log.clear(); }

std::size_t server::connection_count() const { return impl_->front->connection_count(); }

void server::add_test_routes() { install_test_routes(impl_->inner); }

httplib::Server& server::routes() { return impl_->inner; }

std::string server::default_data_folder() { return SAMPLE_SITE_DATA_FOLDER; }

}  // namespace sample_site
