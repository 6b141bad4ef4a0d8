#include "online/http_fetch.h"

#include <algorithm>
#include <cstring>
#include <vector>

#ifndef KESTREL_SERVER
#define KESTREL_SERVER "kestrel-server.invalid"
#endif

namespace kestrel {

namespace {

// The log line carries at most what the original 64-character message buffer held.
constexpr std::size_t kLogMessageLength = 63;

void logFailure(Log& log, const std::string& message) {
    log.write("%63s", message.substr(0, kLogMessageLength).c_str());
}

bool startsWithDeclaration(std::string_view text) {
    const std::string_view declaration(kSettingsDeclaration, kSettingsDeclarationLength);
    if (text.size() < declaration.size()) return false;
    return std::equal(declaration.begin(), declaration.end(), text.begin(), [](char a, char b) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        return lower(a) == lower(b);
    });
}

}  // namespace

namespace {

// The build may name a bare host ("example.org") or a whole base ("https://example.org/").
std::string serverBase() {
    std::string base = KESTREL_SERVER;
    if (base.find("://") == std::string::npos) base = "http://" + base;
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base;
}

}  // namespace

std::string settingsDocumentUrl() { return serverBase() + "/kestrel/settings.xml"; }
std::string defaultSupportUrl() { return serverBase() + "/support/"; }

int fetchSettingsDocument(HttpTransport& http, Log& log, std::string& documentText) {
    std::vector<std::uint8_t> staging(kSettingsDocumentLimit);
    const HttpGetResult result = http.get(settingsDocumentUrl(), staging);
    switch (result.outcome) {
    case HttpOutcome::Complete:
        break;
    case HttpOutcome::TransportFailure:
        return 0;  // offline: the program simply runs without online data
    case HttpOutcome::HttpStatus:
    case HttpOutcome::BodyTooLong:
        logFailure(log, result.message);
        return 0;
    }
    const auto* body = reinterpret_cast<const char*>(staging.data());
    const std::size_t size = std::min(result.size, staging.size());
    documentText.assign(body, static_cast<std::size_t>(std::find(body, body + size, '\0') - body));
    return startsWithDeclaration(documentText) ? 1 : 0;
}

int fetchFileIntoBuffer(HttpTransport& http, Log& log, const std::string& url, std::span<std::uint8_t> buffer) {
    const HttpGetResult result = http.get(url, buffer);
    if (result.outcome != HttpOutcome::Complete) {
        logFailure(log, result.message);
        return -1;
    }
    return static_cast<int>(std::min(result.size, buffer.size()));
}

}  // namespace kestrel
