#pragma once
// A real HTTP/1.1 server on 127.0.0.1 (ephemeral port) for the fetch tests. It answers
// proxy-style requests ("GET http://host/path HTTP/1.1"), so pointing http_proxy at it lets the
// program's real URLs be used unchanged. One connection at a time, each closed after the answer.
#include <atomic>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kestrel::testing {

struct CannedResponse {
    CannedResponse() = default;
    CannedResponse(int status, std::string body, std::size_t chunkSize = 0, std::size_t stallAfter = std::string::npos)
        : status(status), body(std::move(body)), chunkSize(chunkSize), stallAfter(stallAfter) {}
    CannedResponse& withHeader(std::string name, std::string value) {
        headers.emplace_back(std::move(name), std::move(value));
        return *this;
    }
    // Before the status line, wait this long: a server that accepts and then says nothing.
    CannedResponse& withDelayBeforeAnswer(int milliseconds) {
        delayBeforeAnswerMs = milliseconds;
        return *this;
    }
    // Before each chunk, wait this long: a server that trickles without ever quite stalling.
    CannedResponse& withPauseBeforeChunks(int milliseconds) {
        pauseBeforeChunkMs = milliseconds;
        return *this;
    }

    int status = 200;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    // 0: one write with Content-Length; otherwise chunked transfer coding in pieces of this size.
    std::size_t chunkSize = 0;
    // Send this many body bytes, then nothing more until the client gives up.
    std::size_t stallAfter = std::string::npos;
    int pauseBeforeChunkMs = 0;
    int delayBeforeAnswerMs = 0;
};

struct ReceivedRequest {
    std::string target;     // as on the request line
    std::string path;       // the target without scheme and host
    std::string userAgent;
};

class LocalHttpServer {
public:
    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    int port() const { return port_; }
    std::string proxyUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }
    void respond(const std::string& path, CannedResponse response);
    std::vector<ReceivedRequest> requests() const;
    // Connections that ended before the whole answer could be sent (the client gave up).
    int abandonedConnections() const { return abandoned_; }

private:
    void serve();
    void answer(int client);

    int listener_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::map<std::string, CannedResponse> routes_;
    std::vector<ReceivedRequest> requests_;
    std::atomic<int> abandoned_{0};
    std::thread thread_;
};

// Points libcurl's proxy variable at a server for the lifetime of the object.
class ProxyEnvironment {
public:
    explicit ProxyEnvironment(const std::string& proxyUrl);
    ~ProxyEnvironment();
};

// A port on 127.0.0.1 that nothing listens on.
int closedPort();

}  // namespace kestrel::testing
