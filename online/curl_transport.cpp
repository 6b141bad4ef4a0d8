#include "online/http_transport.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace kestrel {

namespace {

constexpr const char* kUserAgent = "Kestrel";
constexpr const char* kAllowedProtocols = "http,https";
// How often the transfer loop wakes to check the stall limit.
constexpr std::chrono::milliseconds kPollInterval{50};

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using MultiHandle = std::unique_ptr<CURLM, MultiDeleter>;

// Detaches the easy handle before either is cleaned up, whichever way the transfer ends.
class MultiAttachment {
public:
    MultiAttachment(CURLM* multi, CURL* easy) : multi_(multi), easy_(easy) { attached_ = curl_multi_add_handle(multi, easy) == CURLM_OK; }
    ~MultiAttachment() {
        if (attached_) curl_multi_remove_handle(multi_, easy_);
    }
    MultiAttachment(const MultiAttachment&) = delete;
    MultiAttachment& operator=(const MultiAttachment&) = delete;
    bool attached() const { return attached_; }

private:
    CURLM* multi_;
    CURL* easy_;
    bool attached_ = false;
};

struct BodySink {
    std::span<std::uint8_t> buffer;
    std::size_t size = 0;
    std::size_t bytesSeen = 0;  // headers and body, for the stall check
    bool overflowed = false;
};

std::size_t receiveBody(char* data, std::size_t size, std::size_t count, void* context) {
    auto* sink = static_cast<BodySink*>(context);
    const std::size_t length = size * count;
    sink->bytesSeen += length;
    if (length > sink->buffer.size() - sink->size) {
        // Returning short aborts the transfer: nothing is ever stored past the buffer.
        sink->overflowed = true;
        return 0;
    }
    std::memcpy(sink->buffer.data() + sink->size, data, length);
    sink->size += length;
    return length;
}

std::size_t receiveHeader(char*, std::size_t size, std::size_t count, void* context) {
    static_cast<BodySink*>(context)->bytesSeen += size * count;
    return size * count;
}

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

HttpGetResult transportFailure(std::string message) {
    HttpGetResult result;
    result.outcome = HttpOutcome::TransportFailure;
    result.message = std::move(message);
    return result;
}

}  // namespace

CurlTransport::CurlTransport(FetchLimits limits) : limits_(limits) {}

HttpGetResult CurlTransport::get(const std::string& url, std::span<std::uint8_t> buffer) {
    initialiseCurlOnce();
    EasyHandle easy(curl_easy_init());
    MultiHandle multi(curl_multi_init());
    if (!easy || !multi) return transportFailure("Unable to open an internet session");

    char errorText[CURL_ERROR_SIZE] = {};
    BodySink sink{buffer};
    CURL* handle = easy.get();
    bool configured = curl_easy_setopt(handle, CURLOPT_URL, url.c_str()) == CURLE_OK;
    configured = configured && curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, kAllowedProtocols) == CURLE_OK;
    configured = configured && curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, kAllowedProtocols) == CURLE_OK;
    if (!configured) return transportFailure("Unable to open the URL");
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, limits_.maximumRedirects);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits_.connectTimeout.count()));
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, limits_.lowSpeedBytesPerSecond);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits_.lowSpeedTime.count()));
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, receiveBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, receiveHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &sink);

    MultiAttachment attachment(multi.get(), handle);
    if (!attachment.attached()) return transportFailure("Unable to start the transfer");

    // Our own loop rather than curl_easy_perform: libcurl's low-speed limit counts whole seconds,
    // and this keeps the stall and total limits exact to the poll interval and lets another
    // thread cancel the transfer.
    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    auto lastActivity = started;
    std::size_t lastBytesSeen = 0;
    bool connected = false;
    bool stalled = false;
    bool overTime = false;
    int running = 1;
    for (;;) {
        if (cancelled_) return transportFailure("The transfer was cancelled");
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) return transportFailure("Internal error in the transfer");
        if (running == 0) break;
        const auto now = Clock::now();
        if (!connected) {
            // The connect limit covers resolving and connecting; the stall clock starts after.
            curl_off_t connectTime = 0;
            connected = curl_easy_getinfo(handle, CURLINFO_CONNECT_TIME_T, &connectTime) == CURLE_OK && connectTime > 0;
            lastActivity = now;
        }
        if (sink.bytesSeen != lastBytesSeen) {
            lastBytesSeen = sink.bytesSeen;
            lastActivity = now;
        } else if (now - lastActivity >= limits_.stallTimeout) {
            stalled = true;
            break;
        }
        if (limits_.totalTimeout.count() > 0 && now - started >= limits_.totalTimeout) {
            overTime = true;
            break;
        }
        const auto wait = std::min<std::chrono::milliseconds>(kPollInterval, limits_.stallTimeout);
        curl_multi_poll(multi.get(), nullptr, 0, static_cast<int>(std::max<long long>(wait.count(), 1)), nullptr);
    }

    CURLcode code = CURLE_OK;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == handle) code = message->data.result;
    }

    HttpGetResult result;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &result.status);
    result.size = sink.size;
    const bool statusOk = result.status >= 200 && result.status <= 299;
    if (stalled) {
        result.outcome = HttpOutcome::TransportFailure;
        result.message = "Operation timed out: no data for " + std::to_string(limits_.stallTimeout.count()) + " ms";
    } else if (overTime) {
        result.outcome = HttpOutcome::TransportFailure;
        result.message = "Operation timed out: not done within " + std::to_string(limits_.totalTimeout.count()) + " ms";
    } else if (sink.overflowed || (code == CURLE_OK && !statusOk)) {
        if (result.status != 0 && !statusOk) {
            result.outcome = HttpOutcome::HttpStatus;
            result.message = "The server answered with HTTP status " + std::to_string(result.status);
        } else {
            result.outcome = HttpOutcome::BodyTooLong;
            result.message = "The body is longer than " + std::to_string(buffer.size()) + " bytes";
        }
    } else if (code != CURLE_OK) {
        result.outcome = HttpOutcome::TransportFailure;
        result.message = errorText[0] != '\0' ? errorText : curl_easy_strerror(code);
    } else {
        result.outcome = HttpOutcome::Complete;
    }
    return result;
}

}  // namespace kestrel
