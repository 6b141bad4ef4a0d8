#pragma once
// The start-up settings fetch, moved onto a worker thread so that the network's wait overlaps
// the window and the splash. Nothing of it shows until finish(): the result, the document text
// and any log line reach the caller then, on the caller's thread, just as a fetchSettingsDocument
// call made at that point would deliver them.
//
//   SettingsPrefetch prefetch(http);                   // the request leaves now
//   ...                                                // the window, the splash
//   int ok = prefetch.finish(log, documentText);       // waits only for what is left
#include <string>
#include <thread>

#include "engine/log.h"
#include "online/http_transport.h"

namespace kestrel {

class SettingsPrefetch {
public:
    explicit SettingsPrefetch(HttpTransport& http);
    // A fetch nobody finished is cancelled and its thread waited for.
    ~SettingsPrefetch();
    SettingsPrefetch(const SettingsPrefetch&) = delete;
    SettingsPrefetch& operator=(const SettingsPrefetch&) = delete;

    // fetchSettingsDocument's result. Its log lines are written to `log` now, and `documentText`
    // becomes what that fetch would have left in an empty text. Only the first call fetches;
    // later ones return 0 and change nothing.
    int finish(Log& log, std::string& documentText);

private:
    void fetch();

    HttpTransport& http_;
    RecordingLog lines_;
    std::string document_;
    int result_ = 0;
    bool finished_ = false;
    std::thread worker_;
};

}  // namespace kestrel
