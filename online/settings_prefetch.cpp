#include "online/settings_prefetch.h"

#include <system_error>

#include "online/http_fetch.h"

namespace kestrel {

SettingsPrefetch::SettingsPrefetch(HttpTransport& http) : http_(http) {
    try {
        worker_ = std::thread([this] { fetch(); });
    } catch (const std::system_error&) {
        // No thread to be had: finish() fetches in the caller's thread instead, as it once did.
    }
}

SettingsPrefetch::~SettingsPrefetch() {
    if (!worker_.joinable()) return;
    http_.cancel();
    worker_.join();
}

void SettingsPrefetch::fetch() { result_ = fetchSettingsDocument(http_, lines_, document_); }

int SettingsPrefetch::finish(Log& log, std::string& documentText) {
    if (finished_) return 0;
    finished_ = true;
    if (worker_.joinable())
        worker_.join();
    else
        fetch();
    for (const std::string& line : lines_.lines()) log.write("%s", line.c_str());
    documentText = std::move(document_);
    return result_;
}

}  // namespace kestrel
