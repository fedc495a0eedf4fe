#include "platform/HttpServer.h"

#include <httplib.h>

#include <atomic>
#include <chrono>

namespace platform {

std::string HttpServerRequest::param(const std::string& key) const {
    auto it = params.find(key);
    return it == params.end() ? std::string() : it->second;
}

std::string HttpServerRequest::header(const std::string& name) const {
    for (const auto& [k, v] : headers)
        if (strcasecmp(k.c_str(), name.c_str()) == 0) return v;
    return {};
}

HttpServer::HttpServer(Handler handler) : handler_(std::move(handler)) {}

HttpServer::~HttpServer() {
    stop();
}

bool HttpServer::start(int port) {
    if (server_) return false;
    server_ = std::make_unique<httplib::Server>();
    server_->set_read_timeout(5, 0);
    server_->set_write_timeout(5, 0);
    server_->set_payload_max_length(64 << 10);
    server_->Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
        HttpServerRequest in;
        in.method = req.method;
        in.path = req.path;
        in.target = req.target;
        for (const auto& [k, v] : req.params) in.params.emplace(k, v);
        for (const auto& [k, v] : req.headers) in.headers.emplace(k, v);
        HttpServerResponse out;
        handler_(in, out);
        res.status = out.status;
        for (const auto& [k, v] : out.headers) res.set_header(k, v);
        res.set_content(out.body, out.contentType);
    });
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
    }
    int bound = port == 0 ? server_->bind_to_any_port("127.0.0.1")
                          : (server_->bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound <= 0) {
        server_.reset();
        return false;
    }
    port_ = bound;
    auto ended = std::make_shared<std::atomic<bool>>(false);
    thread_ = std::thread([this, ended] {
        server_->listen_after_bind();
        *ended = true;
    });
    // stop() is only heard once the loop runs.
    while (!server_->is_running() && !*ended)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void HttpServer::stop() {
    if (!server_) return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stopCv_.notify_all();
    server_->stop();
    if (thread_.joinable()) thread_.join();
    server_.reset();
    port_ = 0;
}

std::string HttpServer::baseURL() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

bool HttpServer::waitForStop(double seconds) {
    std::unique_lock lock(mutex_);
    return stopCv_.wait_for(lock, std::chrono::duration<double>(seconds),
                            [this] { return stopping_; });
}

} // namespace platform
