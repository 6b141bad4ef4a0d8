#pragma once
// The demo's settings server: plain HTTP/1.1 on 127.0.0.1, one connection at a time, answering
// GET with the bodies it was given by path. It reads proxy-style request lines ("GET
// http://host/path HTTP/1.1"), so pointing http_proxy at it serves the program's real URLs.
#include <atomic>
#include <map>
#include <string>
#include <thread>

namespace kestrel::demo {

class DemoServer {
public:
    DemoServer() = default;
    ~DemoServer();
    DemoServer(const DemoServer&) = delete;
    DemoServer& operator=(const DemoServer&) = delete;

    // Set every route before start().
    void route(const std::string& path, std::string body, std::string contentType);
    // The answer on `path` waits this long after the request, or for ever when negative (until
    // the server stops); meanwhile the server answers nobody else.
    void delayRoute(const std::string& path, int milliseconds);
    // Listens on `port` (0: any free one). False, with the reason in `error`, when it cannot.
    bool start(int port, std::string& error);
    int port() const { return port_; }

private:
    struct Route {
        std::string body;
        std::string contentType;
        int delayMs = 0;
    };
    void serve();
    void answer(int client);

    std::map<std::string, Route> routes_;
    int listener_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    int port_ = 0;
    std::thread thread_;
};

}  // namespace kestrel::demo
