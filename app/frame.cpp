#include "app/frame.h"

#include <cmath>

namespace kestrel {

namespace {

bool isAnimatedState(int state) {
    return state == kScreenConsoleSwitchSecondHalf || state == kScreenConsoleSwitchFirstHalf ||
           state == kScreenSlideToMain || state == kScreenSlideToSensitivity;
}

// The shell's lines carry the URL where the table has %s; the URL is data, never a format.
std::string withUrl(const char* line, const std::string& url) {
    std::string text(line);
    const std::size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, url);
    return text;
}

}  // namespace

bool FrameLoop::frameFunction() {
    frameSinceRender_ = true;
    if (prompt_ != nullptr) return servePrompt();
    if (servePendingWork()) return true;
    if (context_.hge.Input_LastKey() == kKeyEscape) return true;

    sampleMouse();
    const int screenResult = context_.screen.updateScreen(mouse_);
    if (screenResult == -1) return true;
    if (screenResult == 0) dragWindow();
    if (!mouse_.leftHeld) dragStarted_ = false;

    previousButton_ = mouse_.leftHeld;
    previousX_ = mouse_.x;
    previousY_ = mouse_.y;
    noteChanges();
    return false;
}

// Steps 1 to 4: the prompts and the work an earlier frame asked for. True ends the program.
bool FrameLoop::servePendingWork() {
    ProgramFlags& flags = context_.flags;
    ScreenStates& states = context_.states;
    Shell& shell = context_.shell;

    if (flags.NewerAppAvailable) {
        // Never cleared: while a newer version is announced the program ends on its first frame.
        if (shell.ask(kNewerVersionQuestion, MessageBoxButtons::kYesNo, PromptIcon::Question) ==
            MessageBoxResult::kYes) {
            openDownloadPage();
        } else {
            shell.ask(kAppUpgradeRefusal, MessageBoxButtons::kOk, PromptIcon::Error);
        }
        return true;
    }
    if (flags.FirmwareUpdateRequested) {
        if (context_.wheel.firmwareUpdate() == 0) {
            shell.ask(kUpdateFailedText, MessageBoxButtons::kOk, PromptIcon::Error);
            return true;
        }
        shell.ask(kUpdateDoneText, MessageBoxButtons::kOk, PromptIcon::Information);
        states.ScreenState = states.ResumeState;
        flags.FirmwareUpdateRequested = false;
    }
    if (flags.FirmwareOutOfDate) {
        if (shell.ask(kFirmwareQuestion, MessageBoxButtons::kYesNo, PromptIcon::Question) != MessageBoxResult::kYes) {
            shell.ask(kFirmwareRefusal, MessageBoxButtons::kOk, PromptIcon::Error);
            return true;
        }
        // The update itself waits for the next frame, so the updating screen is drawn once
        // before the program blocks in it.
        states.ResumeState = states.ScreenState;
        states.ScreenState = kScreenFirmwareUpdate;
        flags.FirmwareUpdateRequested = true;
        flags.FirmwareOutOfDate = false;
    }
    if (flags.ConfigWritePending) {
        if (context_.wheel.writeConfiguration() == 0) {
            shell.ask(kWriteFailedText, MessageBoxButtons::kOk, PromptIcon::Error);
            return true;
        }
        states.ScreenState = states.ResumeState;
        flags.ConfigWritePending = false;
    }
    return false;
}

MessageBoxResult FrameLoop::showInWindow(std::string_view text, MessageBoxButtons buttons, PromptIcon icon) {
    WindowPrompt prompt(text, buttons, icon, promptLook_);
    WindowPrompt* const outer = prompt_;
    prompt_ = &prompt;
    if (promptObserver_) promptObserver_(prompt, std::nullopt);
    requestRedraw();
    // The engine's own loop runs the prompt's frames (servePrompt) and returns once the prompt
    // is answered, or at once when the window has closed.
    context_.hge.System_Start();
    prompt_ = outer;
    requestRedraw();
    const MessageBoxResult answer = prompt.answer().value_or(prompt.cancelResult());
    if (promptObserver_) promptObserver_(prompt, answer);
    return answer;
}

// A frame while a prompt shows: only the prompt hears keys and clicks; the top band still
// drags the window. True once the prompt is answered.
bool FrameLoop::servePrompt() {
    WindowPrompt& prompt = *prompt_;
    HGE& hge = context_.hge;
    bool changed = false;
    InputEvent event;
    while (hge.Input_NextEvent(&event)) changed = prompt.handle(event) || changed;
    sampleMouse();
    changed = prompt.hover(mouse_.x, mouse_.y, hge.Input_MouseInside()) || changed;
    if (!prompt.holdsPress()) dragWindow();
    if (!mouse_.leftHeld) dragStarted_ = false;
    previousButton_ = mouse_.leftHeld;
    previousX_ = mouse_.x;
    previousY_ = mouse_.y;
    // The screen under the prompt may change too (a wheel plugged in or out meanwhile).
    noteChanges();
    if (changed) requestRedraw();
    return prompt.answer().has_value();
}

bool FrameLoop::draggableAt(int x, int y) const {
    if (x < 0 || x >= kWindowWidth || y < 0 || y >= kDragBandHeight) return false;
    if (prompt_ != nullptr) return !prompt_->contains(x, y);
    return !context_.screen.takesPressAt(x, y);
}

void FrameLoop::openDownloadPage() {
    const std::string& url = context_.downloadUrl;
    const int code = context_.shell.openUrl(url);
    if (const char* line = shellOpenErrorLine(code)) {
        context_.log.write("%s", withUrl(line, printableUrl(url)).c_str());
    }
}

void FrameLoop::sampleMouse() {
    HGE& hge = context_.hge;
    mouse_ = MouseSample{};
    if (!hge.Input_MouseInside()) return;
    float x = 0;
    float y = 0;
    hge.Input_MousePosition(&x, &y);
    mouse_.x = static_cast<int>(std::trunc(x));
    mouse_.y = static_cast<int>(std::trunc(y));
    mouse_.leftHeld = hge.Input_KeyHeld(kKeyLeftButton);
    mouse_.wheelNotches = hge.Input_WheelDelta();
    // Only a held button can start or continue a drag; the live position is a round trip to
    // the display server, not worth making 60 times a second for nothing.
    if (mouse_.leftHeld) hge.System_GetCursorScreenPos(&cursorX_, &cursorY_);
}

void FrameLoop::dragWindow() {
    if (!mouse_.leftHeld || mouse_.y >= kDragBandHeight) return;
    HGE& hge = context_.hge;
    if (!previousButton_) {
        int width = 0;
        int height = 0;
        dragStarted_ = hge.System_GetWindowRect(&dragWindowLeft_, &dragWindowTop_, &width, &height);
        dragCursorX_ = cursorX_;
        dragCursorY_ = cursorY_;
        return;
    }
    if (!dragStarted_) return;
    hge.System_MoveWindow(dragWindowLeft_ + (cursorX_ - dragCursorX_), dragWindowTop_ + (cursorY_ - dragCursorY_),
                          kWindowWidth, kWindowHeight);
}

FrameLoop::Snapshot FrameLoop::snapshot() const {
    const ProgramFlags& flags = context_.flags;
    Snapshot now;
    now.screenState = context_.states.ScreenState;
    now.resumeState = context_.states.ResumeState;
    now.flagBits = (flags.NewerAppAvailable ? 1 : 0) | (flags.FirmwareOutOfDate ? 2 : 0) |
                   (flags.FirmwareUpdateRequested ? 4 : 0) | (flags.ConfigWritePending ? 8 : 0) |
                   (flags.WheelConnected ? 16 : 0);
    now.mouse = mouse_;
    return now;
}

void FrameLoop::noteChanges() {
    const Snapshot now = snapshot();
    const bool input = context_.hge.Input_LastKey() != 0 || mouse_.wheelNotches != 0;
    if (!(now == lastSnapshot_) || input || isAnimatedState(now.screenState)) settleFrames_ = kSettleFrames;
    lastSnapshot_ = now;
}

bool FrameLoop::renderFunction() {
    // A render without a frame before it is the engine answering an expose: the window's
    // contents are gone and must be drawn whatever changed.
    const bool exposed = !frameSinceRender_;
    frameSinceRender_ = false;
    if (!exposed && settleFrames_ <= 0) {
        ++scenesSkipped_;
        return false;
    }
    if (!exposed) --settleFrames_;
    drawScene();
    return false;
}

void FrameLoop::keepWindowAnswering(bool screenChanged) {
    const bool contentsLost = context_.hge.System_PumpWindowEvents();
    if (screenChanged || contentsLost) drawScene();
}

void FrameLoop::drawScene() {
    context_.hge.Gfx_BeginScene();
    context_.screen.drawScreen();
    if (prompt_ != nullptr) prompt_->draw();
    context_.hge.Gfx_FinishScene();
    ++scenesDrawn_;
}

}  // namespace kestrel
