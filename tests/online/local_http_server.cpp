#include "tests/online/local_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fcntl.h>
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace kestrel::testing {

namespace {

int listenOnLoopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket");
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        throw std::runtime_error("bind/listen");
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

bool sendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t sent = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

std::string headerValue(const std::string& request, const std::string& name) {
    std::size_t at = 0;
    while ((at = request.find("\r\n", at)) != std::string::npos) {
        at += 2;
        if (strncasecmp(request.c_str() + at, name.c_str(), name.size()) == 0 && request[at + name.size()] == ':') {
            const std::size_t begin = request.find_first_not_of(' ', at + name.size() + 1);
            return request.substr(begin, request.find("\r\n", begin) - begin);
        }
    }
    return {};
}

const char* reasonPhrase(int status) {
    switch (status) {
    case 200: return "OK";
    case 302: return "Found";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

}  // namespace

LocalHttpServer::LocalHttpServer() {
    listener_ = listenOnLoopback(port_);
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    wakeRead_ = pipeEnds[0];
    wakeWrite_ = pipeEnds[1];
    thread_ = std::thread([this] { serve(); });
}

LocalHttpServer::~LocalHttpServer() {
    (void)!::write(wakeWrite_, "x", 1);
    thread_.join();
    ::close(listener_);
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

void LocalHttpServer::respond(const std::string& path, CannedResponse response) {
    std::lock_guard lock(mutex_);
    routes_[path] = std::move(response);
}

std::vector<ReceivedRequest> LocalHttpServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void LocalHttpServer::serve() {
    for (;;) {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents != 0) return;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        const int yes = 1;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        answer(client);
        ::close(client);
    }
}

void LocalHttpServer::answer(int client) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        pollfd fds[2] = {{client, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        ::poll(fds, 2, -1);
        if (fds[1].revents != 0) return;
        const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) return;
        request.append(buffer, static_cast<std::size_t>(got));
    }
    ReceivedRequest received;
    const std::size_t targetStart = request.find(' ') + 1;
    received.target = request.substr(targetStart, request.find(' ', targetStart) - targetStart);
    received.path = received.target;
    if (const std::size_t scheme = received.path.find("://"); scheme != std::string::npos) {
        const std::size_t slash = received.path.find('/', scheme + 3);
        received.path = slash == std::string::npos ? "/" : received.path.substr(slash);
    }
    received.userAgent = headerValue(request, "User-Agent");

    CannedResponse response;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(received);
        auto found = routes_.find(received.path);
        if (found != routes_.end()) response = found->second;
        else response = CannedResponse{404, "<html><body>Not found</body></html>"};
    }

    if (response.delayBeforeAnswerMs > 0) {
        pollfd wake{wakeRead_, POLLIN, 0};
        if (::poll(&wake, 1, response.delayBeforeAnswerMs) > 0) return;
    }
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " + reasonPhrase(response.status) + "\r\n";
    for (const auto& [name, value] : response.headers) head += name + ": " + value + "\r\n";
    head += "Connection: close\r\n";
    if (response.chunkSize == 0) head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    else head += "Transfer-Encoding: chunked\r\n";
    head += "\r\n";
    if (!sendAll(client, head)) {
        ++abandoned_;
        return;
    }

    const std::size_t sendable = std::min(response.body.size(), response.stallAfter);
    const std::string_view body(response.body.data(), sendable);
    bool ok = true;
    if (response.chunkSize == 0) {
        ok = sendAll(client, body);
    } else {
        char size[32];
        for (std::size_t at = 0; ok && at < body.size(); at += response.chunkSize) {
            if (response.pauseBeforeChunkMs > 0) {
                pollfd wake{wakeRead_, POLLIN, 0};
                if (::poll(&wake, 1, response.pauseBeforeChunkMs) > 0) return;
            }
            const std::string_view piece = body.substr(at, response.chunkSize);
            std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
            ok = sendAll(client, size) && sendAll(client, piece) && sendAll(client, "\r\n");
        }
        if (ok && sendable == response.body.size()) ok = sendAll(client, "0\r\n\r\n");
    }
    if (!ok) {
        ++abandoned_;
        return;
    }
    if (sendable < response.body.size()) {
        // Stalled: hold the connection open until the client hangs up or the server stops.
        pollfd fds[2] = {{client, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        while (::poll(fds, 2, -1) > 0) {
            if (fds[1].revents != 0) return;
            if (::recv(client, buffer, sizeof buffer, 0) <= 0) break;
        }
        ++abandoned_;
    }
}

ProxyEnvironment::ProxyEnvironment(const std::string& proxyUrl) {
    ::setenv("http_proxy", proxyUrl.c_str(), 1);
    for (const char* name : {"https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"}) ::unsetenv(name);
}

ProxyEnvironment::~ProxyEnvironment() { ::unsetenv("http_proxy"); }

int closedPort() {
    int port = 0;
    const int fd = listenOnLoopback(port);
    ::close(fd);
    return port;
}

}  // namespace kestrel::testing
