#pragma once
// One plain GET of a full URL into a caller-owned buffer. The fetch operations above it only
// see this interface, so tests can hand in a scripted transport; CurlTransport is the real one.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace kestrel {

struct FetchLimits {
    // Name resolution, the TCP connection and any handshakes together.
    std::chrono::milliseconds connectTimeout{10000};
    // No byte for this long once connected (while waiting for the answer or inside the body)
    // ends the transfer, so a stalled server can never freeze the program.
    std::chrono::milliseconds stallTimeout{20000};
    // The whole transfer, from the first step to the last byte; 0 for no such limit.
    std::chrono::milliseconds totalTimeout{0};
    // A server that trickles bytes (never quite stalling) is cut off below this average rate.
    long lowSpeedBytesPerSecond = 16;
    std::chrono::seconds lowSpeedTime{30};
    long maximumRedirects = 10;
};

enum class HttpOutcome {
    Complete,          // a 2xx answer whose whole body fitted
    TransportFailure,  // nothing usable arrived: unreachable, refused, broken, stalled, refused scheme
    HttpStatus,        // the server answered with something other than 2xx (after redirects)
    BodyTooLong,       // more body than the buffer holds; nothing beyond it was stored
};

struct HttpGetResult {
    HttpOutcome outcome = HttpOutcome::TransportFailure;
    long status = 0;          // the final HTTP status when one arrived
    std::size_t size = 0;     // body bytes stored in the buffer
    std::string message;      // what failed, for the log
};

class HttpTransport {
public:
    virtual ~HttpTransport() = default;
    virtual HttpGetResult get(const std::string& url, std::span<std::uint8_t> buffer) = 0;
    // May be called from another thread: the transfer in progress, and any started later, end
    // soon as a TransportFailure. For a fetch whose answer is no longer wanted.
    virtual void cancel() {}
};

// libcurl: user agent "Kestrel", http and https only (also for redirects), redirects followed,
// proxies from the standard environment variables (http_proxy, https_proxy, no_proxy).
class CurlTransport final : public HttpTransport {
public:
    explicit CurlTransport(FetchLimits limits = {});
    HttpGetResult get(const std::string& url, std::span<std::uint8_t> buffer) override;
    void cancel() override { cancelled_ = true; }

private:
    FetchLimits limits_;
    std::atomic<bool> cancelled_{false};
};

}  // namespace kestrel
