#include "app/shell.h"

#include <SDL.h>

#include <array>
#include <string>

namespace kestrel {

namespace {

struct ShellOpenError {
    int code;
    const char* line;
};

constexpr std::array<ShellOpenError, 12> kShellOpenErrors{{
    {2, "Open %s - Error ERROR_FILE_NOT_FOUND"},
    {3, "Open %s - Error ERROR_PATH_NOT_FOUND"},
    {5, "Open %s - Error SE_ERR_ACCESSDENIED"},
    {8, "Open %s - Error SE_ERR_OOM"},
    {11, "Open %s - Error ERROR_BAD_FORMAT"},
    {26, "Open %s - Error SE_ERR_SHARE"},
    {27, "Open %s - Error SE_ERR_ASSOCINCOMPLETE"},
    {28, "Open %s - Error SE_ERR_DDETIMEOUT"},
    {29, "Open %s - Error SE_ERR_DDEFAIL"},
    {30, "Open %s - Error SE_ERR_DDEBUSY"},
    {31, "Open %s - Error SE_ERR_NOASSOC"},
    {32, "Open %s - Error SE_ERR_DLLNOTFOUND"},
}};

}  // namespace

void Shell::showMessage(MessageBoxIcon icon, std::string_view, std::string_view text) {
    ask(text, MessageBoxButtons::kOk, icon == MessageBoxIcon::Error ? PromptIcon::Error : PromptIcon::Information);
}

const char* shellOpenErrorLine(int code) {
    for (const ShellOpenError& error : kShellOpenErrors) {
        if (error.code == code) return error.line;
    }
    return nullptr;
}

SystemBoxOutcome showSdlMessageBox(std::string_view text, MessageBoxButtons buttons, PromptIcon icon, HGE& hge) {
    // Button ids are the answers; Return presses the default, Escape the cancel button.
    const SDL_MessageBoxButtonData okButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "OK"}};
    const SDL_MessageBoxButtonData yesNoButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 2, "No"}};
    const std::string message(text);
    const std::string title(kMessageBoxTitle);
    SDL_MessageBoxData data{};
    switch (icon) {
    case PromptIcon::Error: data.flags = SDL_MESSAGEBOX_ERROR; break;
    case PromptIcon::Information: data.flags = SDL_MESSAGEBOX_INFORMATION; break;
    case PromptIcon::Question: data.flags = SDL_MESSAGEBOX_INFORMATION; break;  // SDL has no question icon
    }
    data.window = static_cast<SDL_Window*>(hge.System_GetWindowState(kStateWindow));
    data.title = title.c_str();
    data.message = message.c_str();
    const bool yesNo = buttons == MessageBoxButtons::kYesNo;
    data.numbuttons = yesNo ? 2 : 1;
    data.buttons = yesNo ? yesNoButtons : okButtons;
    SystemBoxOutcome outcome;
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        outcome.error = SDL_GetError();
        return outcome;
    }
    outcome.shown = true;
    // A box closed without a button counts as No, as any answer but Yes.
    if (yesNo) outcome.answer = pressed == 1 ? MessageBoxResult::kYes : MessageBoxResult::kNo;
    return outcome;
}

MessageBoxResult SdlShell::ask(std::string_view text, MessageBoxButtons buttons, PromptIcon icon) {
    if (!systemBoxFailed_) {
        const SystemBoxOutcome outcome = systemBox_(text, buttons, icon, hge_);
        if (outcome.shown) return outcome.answer;
        systemBoxFailed_ = true;
        hge_.System_WriteLog("MessageBox : %s", outcome.error.c_str());
    }
    if (fallback_ != nullptr) return fallback_->showInWindow(text, buttons, icon);
    // Nowhere to ask: the cautious answer, which ends the program on every mandatory prompt.
    return buttons == MessageBoxButtons::kOk ? MessageBoxResult::kOk : MessageBoxResult::kNo;
}

int SdlShell::openUrl(const std::string& url) {
    if (!isWebUrl(url)) return kShellOpenNoAssociation;
    return hge_.System_OpenDocument(url.c_str()) ? kShellOpenSucceeded : kShellOpenFileNotFound;
}

}  // namespace kestrel
