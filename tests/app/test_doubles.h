#pragma once
// Stand-ins for the desktop and the network, shared by the app's tests.
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "app/shell.h"
#include "online/http_transport.h"
#include "online/presets.h"

namespace kestrel::testing {

struct RecordingShell final : Shell {
    std::vector<std::string> texts;
    std::deque<MessageBoxResult> answers;
    std::vector<std::string> opened;
    int openResult = kShellOpenSucceeded;

    MessageBoxResult ask(std::string_view text, MessageBoxButtons buttons, PromptIcon) override {
        texts.emplace_back(text);
        if (!answers.empty()) {
            const MessageBoxResult answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return buttons == MessageBoxButtons::kOk ? MessageBoxResult::kOk : MessageBoxResult::kNo;
    }
    int openUrl(const std::string& url) override {
        opened.push_back(url);
        return openResult;
    }
};

// What runProgram is handed as its shell: passes everything to one the test keeps.
class ForwardingShell final : public Shell {
public:
    explicit ForwardingShell(Shell& target) : target_(target) {}
    MessageBoxResult ask(std::string_view text, MessageBoxButtons buttons, PromptIcon icon) override {
        return target_.ask(text, buttons, icon);
    }
    int openUrl(const std::string& url) override { return target_.openUrl(url); }

private:
    Shell& target_;
};

// Serves bodies by full URL; anything else is unreachable.
struct ScriptedTransport final : HttpTransport {
    std::map<std::string, std::string> bodies;
    std::vector<std::string> requested;

    HttpGetResult get(const std::string& url, std::span<std::uint8_t> buffer) override {
        requested.push_back(url);
        HttpGetResult result;
        const auto found = bodies.find(url);
        if (found == bodies.end()) {
            result.outcome = HttpOutcome::TransportFailure;
            result.message = "unreachable";
            return result;
        }
        if (found->second.size() > buffer.size()) {
            result.outcome = HttpOutcome::BodyTooLong;
            result.size = buffer.size();
            return result;
        }
        std::memcpy(buffer.data(), found->second.data(), found->second.size());
        result.outcome = HttpOutcome::Complete;
        result.status = 200;
        result.size = found->second.size();
        return result;
    }
};

}  // namespace kestrel::testing
