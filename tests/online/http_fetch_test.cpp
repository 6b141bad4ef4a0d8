#include "online/http_fetch.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>

#include "tests/online/local_http_server.h"

namespace kestrel {
namespace {

using testing::CannedResponse;
using testing::LocalHttpServer;
using testing::ProxyEnvironment;

const std::string kDeclaration = kSettingsDeclaration;
const std::string kPresetUrl = "http://presets.kestrel.invalid/presets/rally.bin";

std::string bytes(std::size_t count) {
    std::string body(count, '\0');
    for (std::size_t i = 0; i < count; ++i) body[i] = static_cast<char>(i * 7 + 3);
    return body;
}

class HttpFetch : public ::testing::Test {
protected:
    FetchLimits shortLimits() {
        FetchLimits limits;
        limits.connectTimeout = std::chrono::milliseconds(2000);
        limits.stallTimeout = std::chrono::milliseconds(300);
        return limits;
    }

    int fetchSettings() { return fetchSettingsDocument(http_, log_, document_); }
    int fetchPreset(const std::string& url = kPresetUrl) { return fetchFileIntoBuffer(http_, log_, url, buffer_); }
    std::string settingsPath() const { return "/kestrel/settings.xml"; }

    LocalHttpServer server_;
    ProxyEnvironment proxy_{server_.proxyUrl()};
    CurlTransport http_{shortLimits()};
    RecordingLog log_;
    std::string document_ = "previous";
    std::array<std::uint8_t, 2048> buffer_{};  // what the preset download hands in
};

TEST_F(HttpFetch, SettingsComeFromTheProgramsUrlWithItsUserAgent) {
    const std::string body = kDeclaration + "\n<settings><version>101</version></settings>";
    server_.respond(settingsPath(), {200, body});
    EXPECT_EQ(fetchSettings(), 1);
    EXPECT_EQ(document_, body);
    ASSERT_EQ(server_.requests().size(), 1u);
    EXPECT_EQ(server_.requests()[0].target, settingsDocumentUrl());
    EXPECT_EQ(server_.requests()[0].userAgent, "Kestrel");
    EXPECT_TRUE(log_.lines().empty());
}

TEST_F(HttpFetch, DeclarationCheckDecidesTheResultButTheBodyIsKept) {
    const struct {
        const char* label;
        std::string body;
        int result;
    } cases[] = {
        {"capitals", "<?XML VERSION=\"1.0\" ENCODING=\"utf-8\" ?><settings/>", 1},
        {"exactly the declaration", kDeclaration, 1},
        {"byte-order mark first", "\xEF\xBB\xBF" + kDeclaration + "<settings/>", 0},
        {"blank first", " " + kDeclaration, 0},
        {"single quotes", "<?xml version='1.0' encoding='UTF-8' ?><settings/>", 0},
        {"shorter than the declaration", kDeclaration.substr(0, 38), 0},
        {"empty", "", 0},
    };
    for (const auto& c : cases) {
        server_.respond(settingsPath(), {200, c.body});
        document_ = "previous";
        EXPECT_EQ(fetchSettings(), c.result) << c.label;
        EXPECT_EQ(document_, c.body) << c.label;
    }
}

TEST_F(HttpFetch, SettingsBodyIsCutAtAnEmbeddedZeroByte) {
    server_.respond(settingsPath(), {200, kDeclaration + std::string("<a/>\0<b/>", 9)});
    EXPECT_EQ(fetchSettings(), 1);
    EXPECT_EQ(document_, kDeclaration + "<a/>");
}

TEST_F(HttpFetch, SettingsErrorPageIsAFailureAndKeepsThePreviousText) {
    server_.respond(settingsPath(), {404, kDeclaration + "<settings><version>999</version></settings>"});
    EXPECT_EQ(fetchSettings(), 0);
    EXPECT_EQ(document_, "previous");
    ASSERT_EQ(log_.lines().size(), 1u);
    EXPECT_NE(log_.lines()[0].find("404"), std::string::npos);
}

TEST_F(HttpFetch, SettingsLongerThanTheLimitAreRefusedWhole) {
    std::string body = kDeclaration + "<settings>";
    body.resize(kSettingsDocumentLimit + 1, ' ');
    server_.respond(settingsPath(), {200, body});
    EXPECT_EQ(fetchSettings(), 0);
    EXPECT_EQ(document_, "previous");

    body.resize(kSettingsDocumentLimit);
    server_.respond(settingsPath(), {200, body});
    EXPECT_EQ(fetchSettings(), 1);
    EXPECT_EQ(document_.size(), kSettingsDocumentLimit);
}

TEST_F(HttpFetch, OfflineSettingsFetchFailsSilently) {
    ProxyEnvironment nowhere("http://127.0.0.1:" + std::to_string(testing::closedPort()));
    EXPECT_EQ(fetchSettings(), 0);
    EXPECT_EQ(document_, "previous");
    EXPECT_TRUE(log_.lines().empty());
}

TEST_F(HttpFetch, PresetBodyArrivesWholeWhateverTheChunkSize) {
    const std::string body = bytes(1024);
    for (std::size_t chunk : {1u, 7u, 1000u}) {
        server_.respond("/presets/rally.bin", {200, body, chunk});
        buffer_.fill(0);
        EXPECT_EQ(fetchPreset(), 1024) << "chunks of " << chunk;
        EXPECT_EQ(std::string(buffer_.begin(), buffer_.begin() + 1024), body);
    }
    EXPECT_TRUE(log_.lines().empty());
}

TEST_F(HttpFetch, PresetCountIsTheBodyLengthUpToTheBuffer) {
    for (std::size_t size : {0u, 1023u, 1025u, 2048u}) {
        server_.respond("/presets/rally.bin", {200, bytes(size)});
        EXPECT_EQ(fetchPreset(), static_cast<int>(size));
    }
    EXPECT_TRUE(log_.lines().empty());
}

TEST_F(HttpFetch, PresetLongerThanTheBufferFailsWithoutWritingPastIt) {
    std::array<std::uint8_t, 2048 + 16> guarded{};
    guarded.fill(0xAA);
    server_.respond("/presets/rally.bin", {200, bytes(5000), 1000});
    EXPECT_EQ(fetchFileIntoBuffer(http_, log_, kPresetUrl, std::span(guarded.data(), 2048)), -1);
    for (std::size_t i = 2048; i < guarded.size(); ++i) ASSERT_EQ(guarded[i], 0xAA);
    ASSERT_EQ(log_.lines().size(), 1u);
    EXPECT_NE(log_.lines()[0].find("2048"), std::string::npos);
}

TEST_F(HttpFetch, PresetErrorStatusIsAFailureNamingTheStatus) {
    // Exactly 1024 bytes of error page must never pass for a preset image.
    server_.respond("/presets/rally.bin", {500, bytes(1024)});
    EXPECT_EQ(fetchPreset(), -1);
    ASSERT_EQ(log_.lines().size(), 1u);
    const std::string& line = log_.lines()[0];
    EXPECT_NE(line.find("500"), std::string::npos);
    EXPECT_EQ(line.size(), 63u);  // right-aligned
    EXPECT_EQ(line[0], ' ');
}

TEST_F(HttpFetch, UnreachablePresetLogsOneRightAlignedLine) {
    ProxyEnvironment nowhere("http://127.0.0.1:" + std::to_string(testing::closedPort()));
    EXPECT_EQ(fetchPreset(), -1);
    ASSERT_EQ(log_.lines().size(), 1u);
    const std::string& line = log_.lines()[0];
    EXPECT_EQ(line.size(), 63u);  // libcurl's text, cut to the 63 characters the line holds
    EXPECT_NE(line.find("onnect"), std::string::npos) << line;
}

TEST_F(HttpFetch, StalledServerEndsWithinTheStallLimit) {
    server_.respond("/presets/rally.bin", {200, bytes(1024), 0, 100});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetchPreset(), -1);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(300));
    EXPECT_LT(elapsed, std::chrono::milliseconds(1500));
    ASSERT_EQ(log_.lines().size(), 1u);
    EXPECT_NE(log_.lines()[0].find("timed out"), std::string::npos);
}

TEST_F(HttpFetch, ServerThatNeverAnswersEndsWithinTheStallLimit) {
    server_.respond(settingsPath(), CannedResponse(200, kDeclaration).withDelayBeforeAnswer(20000));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetchSettings(), 0);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(300));
    EXPECT_LT(elapsed, std::chrono::milliseconds(3000));
    EXPECT_EQ(document_, "previous");
}

TEST_F(HttpFetch, TricklingServerEndsWithinTheTotalLimit) {
    // A chunk every 100 ms never trips the 300 ms stall limit; only the total limit ends it.
    FetchLimits limits = shortLimits();
    limits.totalTimeout = std::chrono::milliseconds(600);
    CurlTransport http(limits);
    server_.respond("/presets/rally.bin", CannedResponse(200, bytes(1024), 16).withPauseBeforeChunks(100));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetchFileIntoBuffer(http, log_, kPresetUrl, buffer_), -1);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(600));
    EXPECT_LT(elapsed, std::chrono::milliseconds(3000));
    ASSERT_EQ(log_.lines().size(), 1u);
    EXPECT_NE(log_.lines()[0].find("timed out"), std::string::npos) << log_.lines()[0];
}

TEST_F(HttpFetch, CancelFromAnotherThreadEndsAWaitingTransfer) {
    FetchLimits limits = shortLimits();
    limits.stallTimeout = std::chrono::seconds(30);
    CurlTransport http(limits);
    server_.respond("/presets/rally.bin", {200, bytes(1024), 0, 0});
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        http.cancel();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetchFileIntoBuffer(http, log_, kPresetUrl, buffer_), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    canceller.join();
    // Once cancelled, the transport starts nothing new.
    const auto requestsBefore = server_.requests().size();
    EXPECT_EQ(fetchFileIntoBuffer(http, log_, kPresetUrl, buffer_), -1);
    EXPECT_EQ(server_.requests().size(), requestsBefore);
}

TEST_F(HttpFetch, FollowsHttpRedirects) {
    server_.respond("/presets/rally.bin", CannedResponse(302, "").withHeader("Location", "http://mirror.kestrel.invalid/moved.bin"));
    server_.respond("/moved.bin", {200, bytes(1024)});
    EXPECT_EQ(fetchPreset(), 1024);
    EXPECT_EQ(server_.requests().back().target, "http://mirror.kestrel.invalid/moved.bin");
}

TEST_F(HttpFetch, RefusesRedirectsAndUrlsOutsideHttp) {
    server_.respond("/presets/rally.bin", CannedResponse(302, "").withHeader("Location", "file:///etc/hostname"));
    EXPECT_EQ(fetchPreset(), -1);
    EXPECT_EQ(fetchPreset("file:///etc/hostname"), -1);
    EXPECT_EQ(fetchPreset(""), -1);
    EXPECT_EQ(log_.lines().size(), 3u);
}

}  // namespace
}  // namespace kestrel
