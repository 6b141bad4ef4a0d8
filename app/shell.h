#pragma once
// What the application shell asks of the desktop: modal message boxes titled "Kestrel
// Customiser" and opening a web page in the user's browser. SdlShell is the real one; tests
// hand in a recording fake, so every prompt path runs without a display.
//
//   shell.ask(text, MessageBoxButtons::kYesNo, PromptIcon::Question)   modal, Yes/No or OK
//   shell.openUrl(url)                 a shell-open result code: above 32 means it started
//   shellOpenErrorLine(code)           the log line shape for a failed open, or null
#include <string>
#include <string_view>

#include "engine/hge.h"
#include "online/message_box.h"
#include "online/web_url.h"  // isWebUrl: only web pages are handed to the desktop

namespace kestrel {

enum class PromptIcon { Question, Error, Information };

// Shell-open result codes: values up to 32 are failures, anything above is success.
constexpr int kShellOpenSucceeded = 33;
constexpr int kShellOpenFileNotFound = 2;
constexpr int kShellOpenNoAssociation = 31;

class Shell : public MessageBoxDisplay {
public:
    // Return answers the default button (Yes, or OK), Escape the cancel button (No, or OK).
    virtual MessageBoxResult ask(std::string_view text, MessageBoxButtons buttons, PromptIcon icon) = 0;
    virtual int openUrl(const std::string& url) = 0;

    void showMessage(MessageBoxIcon icon, std::string_view title, std::string_view text) override;
};

// "Open %s - Error <NAME>" for the codes the shell reports as failures, null for the others.
const char* shellOpenErrorLine(int code);

// Message boxes through SDL over the engine's window, web pages through SDL_OpenURL.
class SdlShell final : public Shell {
public:
    explicit SdlShell(HGE& hge) : hge_(hge) {}
    MessageBoxResult ask(std::string_view text, MessageBoxButtons buttons, PromptIcon icon) override;
    int openUrl(const std::string& url) override;

private:
    HGE& hge_;
};

}  // namespace kestrel
