#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

namespace platform {

// A request as the server received it.
struct HttpServerRequest {
    std::string method;
    std::string path;   // decoded, without the query
    std::string target; // path and query exactly as sent
    std::multimap<std::string, std::string> params; // decoded query
    std::multimap<std::string, std::string> headers;

    // The first value of the query key, or empty.
    std::string param(const std::string& key) const;
    std::string header(const std::string& name) const;
};

struct HttpServerResponse {
    int status = 200;
    std::string contentType = "text/plain";
    std::string body;
    std::multimap<std::string, std::string> headers;
};

// A small HTTP server on 127.0.0.1 (never another interface) that answers
// GET requests through one handler, on its own threads.
class HttpServer {
public:
    using Handler = std::function<void(const HttpServerRequest&, HttpServerResponse&)>;

    explicit HttpServer(Handler handler);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Listens on `port` (0: any free one). False when it cannot.
    bool start(int port = 0);
    // Stops listening and waits for the handlers that are running.
    void stop();
    bool isRunning() const { return port_ != 0; }
    int port() const { return port_; }
    // "http://127.0.0.1:PORT"
    std::string baseURL() const;

    // For handlers that keep a client waiting: blocks until the server
    // stops or `seconds` pass. True when the server is stopping.
    bool waitForStop(double seconds);

private:
    Handler handler_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    std::mutex mutex_;
    std::condition_variable stopCv_;
    bool stopping_ = false;
};

} // namespace platform
