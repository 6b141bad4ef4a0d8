#pragma once
// The program's two downloads: the settings document once at start-up and a preset file on
// demand. Both block the calling thread until the transfer ends (start-up runs the first on a
// worker, see settings_prefetch.h).
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "engine/log.h"
#include "online/http_transport.h"

namespace kestrel {

// The settings document may hold at most this many bytes; a longer one is refused whole.
constexpr std::size_t kSettingsDocumentLimit = 65536;
// What every settings document starts with, compared without regard to case.
constexpr const char* kSettingsDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>";
constexpr std::size_t kSettingsDeclarationLength = 39;

// "<server>/kestrel/settings.xml" and "<server>/support/", the server chosen at build time
// (KESTREL_SERVER: a host, taken as http, or a base URL with its scheme).
std::string settingsDocumentUrl();
std::string defaultSupportUrl();

// 1 when a 2xx body arrived and begins with the declaration, else 0. Any complete 2xx body is
// kept in `documentText` (up to its first zero byte); on a failure it is left as it was.
// Being offline logs nothing; an error status or an oversized document leaves one line.
int fetchSettingsDocument(HttpTransport& http, Log& log, std::string& documentText);

// The number of body bytes stored in `buffer`, or -1 with one "%63s" log line when the transfer
// failed, the server answered with an error status, or the body would not fit.
int fetchFileIntoBuffer(HttpTransport& http, Log& log, const std::string& url, std::span<std::uint8_t> buffer);

}  // namespace kestrel
