#include "app/demo/demo_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kestrel::demo {

namespace {

// A request line and headers longer than this are not from the program; they are refused.
constexpr std::size_t kRequestLimit = 16384;
// A client that sends nothing for this long is dropped, so one stuck connection cannot stop
// the server for the rest of the run.
constexpr int kClientTimeoutMs = 2000;

bool sendAll(int socket, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(socket, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::string pathOf(const std::string& target) {
    std::string path = target;
    const std::size_t scheme = path.find("://");
    if (scheme != std::string::npos) {
        const std::size_t slash = path.find('/', scheme + 3);
        path = slash == std::string::npos ? "/" : path.substr(slash);
    }
    const std::size_t query = path.find('?');
    if (query != std::string::npos) path.resize(query);
    return path;
}

}  // namespace

DemoServer::~DemoServer() {
    if (thread_.joinable()) {
        const char stop = 'x';
        [[maybe_unused]] const ssize_t ignored = ::write(wakeWrite_, &stop, 1);
        thread_.join();
    }
    if (listener_ >= 0) ::close(listener_);
    if (wakeRead_ >= 0) ::close(wakeRead_);
    if (wakeWrite_ >= 0) ::close(wakeWrite_);
}

void DemoServer::route(const std::string& path, std::string body, std::string contentType) {
    routes_[path] = Route{std::move(body), std::move(contentType)};
}

void DemoServer::delayRoute(const std::string& path, int milliseconds) { routes_[path].delayMs = milliseconds; }

bool DemoServer::start(int port, std::string& error) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) {
        error = std::strerror(errno);
        return false;
    }
    const int yes = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 8) != 0) {
        error = std::strerror(errno);
        return false;
    }
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    wakeRead_ = pipeEnds[0];
    wakeWrite_ = pipeEnds[1];
    thread_ = std::thread([this] { serve(); });
    return true;
}

void DemoServer::serve() {
    for (;;) {
        pollfd watched[2] = {{listener_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (watched[1].revents != 0) return;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        answer(client);
        ::close(client);
    }
}

void DemoServer::answer(int client) {
    std::string request;
    char buffer[2048];
    while (request.find("\r\n\r\n") == std::string::npos) {
        pollfd watched{client, POLLIN, 0};
        const int ready = ::poll(&watched, 1, kClientTimeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return;
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        request.append(buffer, static_cast<std::size_t>(n));
        if (request.size() > kRequestLimit) return;
    }
    const std::size_t methodEnd = request.find(' ');
    const std::size_t targetEnd = methodEnd == std::string::npos ? std::string::npos : request.find(' ', methodEnd + 1);
    if (targetEnd == std::string::npos) return;
    const std::string method = request.substr(0, methodEnd);
    const std::string path = pathOf(request.substr(methodEnd + 1, targetEnd - methodEnd - 1));

    const auto found = routes_.find(path);
    std::string head;
    std::string body;
    if (method != "GET") {
        head = "HTTP/1.1 405 Method Not Allowed\r\n";
    } else if (found == routes_.end()) {
        head = "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\n";
        body = "not found\n";
    } else {
        if (found->second.delayMs != 0) {
            // Woken early only by the server stopping, which then answers nothing.
            pollfd wake{wakeRead_, POLLIN, 0};
            if (::poll(&wake, 1, found->second.delayMs < 0 ? -1 : found->second.delayMs) != 0) return;
        }
        head = "HTTP/1.1 200 OK\r\nContent-Type: " + found->second.contentType + "\r\n";
        body = found->second.body;
    }
    head += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
    if (sendAll(client, head)) sendAll(client, body);
}

}  // namespace kestrel::demo
