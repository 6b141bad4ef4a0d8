#pragma once
// What the application shell asks of the desktop: modal message boxes titled "Kestrel
// Customiser" and opening a web page in the user's browser. SdlShell is the real one; tests
// hand in a recording fake, so every prompt path runs without a display.
//
//   shell.ask(text, MessageBoxButtons::kYesNo, PromptIcon::Question)   modal, Yes/No or OK
//   shell.openUrl(url)                 a shell-open result code: above 32 means it started
//   shellOpenErrorLine(code)           the log line shape for a failed open, or null
//
// SdlShell asks the system message box first. Where that cannot be shown (no X core fonts, no
// helper program on Wayland) it logs why once and asks in the program's own window instead
// (PromptFallback); a box that was never seen is never taken as the user's answer.
#include <functional>
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

// Where a prompt goes when the system message box cannot be shown: the same question, asked
// in the program's window, answered with the same result codes.
class PromptFallback {
public:
    virtual ~PromptFallback() = default;
    virtual MessageBoxResult showInWindow(std::string_view text, MessageBoxButtons buttons, PromptIcon icon) = 0;
};

// The desktop's own message box. Shown: the answer (a box closed without a button answers as
// its cancelling button would). Not shown: the reason.
struct SystemBoxOutcome {
    bool shown = false;
    MessageBoxResult answer = MessageBoxResult::kOk;
    std::string error;
};
using SystemMessageBox =
    std::function<SystemBoxOutcome(std::string_view text, MessageBoxButtons buttons, PromptIcon icon, HGE& hge)>;

// SDL's message box over the engine's window.
SystemBoxOutcome showSdlMessageBox(std::string_view text, MessageBoxButtons buttons, PromptIcon icon, HGE& hge);

// Message boxes through the system box (or the fallback), web pages through the engine's opener.
class SdlShell final : public Shell {
public:
    explicit SdlShell(HGE& hge, SystemMessageBox systemBox = showSdlMessageBox)
        : hge_(hge), systemBox_(std::move(systemBox)) {}
    MessageBoxResult ask(std::string_view text, MessageBoxButtons buttons, PromptIcon icon) override;
    int openUrl(const std::string& url) override;

    void setFallback(PromptFallback* fallback) { fallback_ = fallback; }
    bool systemBoxFailed() const { return systemBoxFailed_; }

private:
    HGE& hge_;
    SystemMessageBox systemBox_;
    PromptFallback* fallback_ = nullptr;
    // A system box that could not be shown once will not be shown later in the run either
    // (fonts and helper programs do not appear while it runs), so it is not tried again.
    bool systemBoxFailed_ = false;
};

}  // namespace kestrel
