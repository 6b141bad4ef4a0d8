#pragma once
// The two functions the engine calls every frame. FrameFunction serves the program-wide flags
// in a fixed order (newer application, firmware update requested, firmware out of date,
// configuration write pending), quits on Escape, samples the mouse, runs the screen update and
// drags the borderless window by its top band; RenderFunction draws the current screen.
//
//   FrameLoop loop({hge, log, shell, flags, states, online.downloadLink, screens, wheel});
//   hge.System_SetFuncState(kStateFrameFunc, [&] { return loop.frameFunction(); });
//   hge.System_SetFuncState(kStateRenderFunc, [&] { return loop.renderFunction(); });
//
// A frame in which nothing changed (no input, no animation, no state or flag change) is not
// drawn again, so a static screen costs next to nothing; an expose or a focus change always
// draws.
//
// It is also where a prompt goes when the system box cannot be shown (showInWindow): drawn over
// the screen, and modal, because the engine's loop then runs frames that serve only the prompt
// until it is answered; the window still moves, redraws on exposes and closes.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/shell.h"
#include "app/window_prompt.h"
#include "config/program_state.h"
#include "engine/hge.h"
#include "engine/log.h"
#include "ui/mouse_sample.h"

namespace kestrel {

constexpr std::string_view kNewerVersionQuestion =
    "A newer version of this software is available online\n \nWould you like to download it now?\n \n";
constexpr std::string_view kAppUpgradeRefusal =
    "You must upgrade to the latest version of the app to ensure you have\nthe latest firmware upgrades for your "
    "controller.";
constexpr std::string_view kUpdateFailedText =
    "An error occurred when updating your controller\nplease contact customer services to inform them of the "
    "problem\n \n";
constexpr std::string_view kUpdateDoneText = "Your controller had been updated to the latest version.\n \n";
constexpr std::string_view kFirmwareQuestion =
    "The firmware version on your controller is out of date\n \nWould you like to upgrade it now?\n \n";
constexpr std::string_view kFirmwareRefusal =
    "You must upgrade to the latest version of the firmware for your\ncontroller to be able to use this "
    "software\n \n";
constexpr std::string_view kWriteFailedText =
    "An error occurred when updating your controller\nplease remove your controller and restart the application\n";

// Rows of the window, from the top, that drag it when a press there is not taken by a widget.
constexpr int kDragBandHeight = 60;
constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;
// After the last change the screen is still drawn this many frames, so hover images and the
// last step of any widget animation settle before drawing stops.
constexpr int kSettleFrames = 30;

// The screen update and drawing of the current ScreenState.
class ScreenDriver {
public:
    virtual ~ScreenDriver() = default;
    // -1 close the program, 0 no widget holds the mouse press, anything else one does.
    virtual int updateScreen(const MouseSample& mouse) = 0;
    virtual void drawScreen() = 0;
    // Whether a press at this point would be taken by a widget (it then does not drag).
    virtual bool takesPressAt(int /*x*/, int /*y*/) { return false; }
};

// Sees each in-window prompt twice: when it is first shown (no answer yet) and when it ends.
using PromptObserver = std::function<void(const WindowPrompt& prompt, std::optional<MessageBoxResult> answer)>;

// The two blocking wheel exchanges a frame may run; both return 1 on success, 0 on failure.
class WheelActions {
public:
    virtual ~WheelActions() = default;
    virtual int firmwareUpdate() = 0;
    virtual int writeConfiguration() = 0;
};

struct FrameContext {  // borrowed, never owned
    HGE& hge;
    Log& log;
    Shell& shell;
    ProgramFlags& flags;
    ScreenStates& states;
    const std::string& downloadUrl;
    ScreenDriver& screen;
    WheelActions& wheel;
};

class FrameLoop final : public PromptFallback {
public:
    explicit FrameLoop(const FrameContext& context) : context_(context) {}

    bool frameFunction();
    bool renderFunction();

    // Modal until answered. A window closed meanwhile answers as closing a system box does:
    // with the cancelling button.
    MessageBoxResult showInWindow(std::string_view text, MessageBoxButtons buttons, PromptIcon icon) override;
    void setPromptLook(const PromptLook& look) { promptLook_ = look; }
    void setPromptObserver(PromptObserver observer) { promptObserver_ = std::move(observer); }
    // The prompt on screen, or null.
    const WindowPrompt* prompt() const { return prompt_; }
    // Whether a press at this client point should move the window: inside the top band and on
    // nothing that takes it (a widget, or the prompt while one shows). The desktop asks this
    // where only it can move windows.
    bool draggableAt(int x, int y) const;
    // The next render draws whatever happened (focus gained or lost, window restored, a device
    // notice that changed what the screen shows).
    void requestRedraw() { settleFrames_ = kSettleFrames; }
    // For work that holds the frame function for seconds (the firmware update): answers the
    // window manager without acting on input, and draws the screen at once when it changed or
    // its contents were lost.
    void keepWindowAnswering(bool screenChanged);

    const MouseSample& mouse() const { return mouse_; }
    bool dragging() const { return dragStarted_; }
    // Scenes actually drawn, and render calls that had nothing new to draw.
    std::uint64_t scenesDrawn() const { return scenesDrawn_; }
    std::uint64_t scenesSkipped() const { return scenesSkipped_; }

private:
    struct Snapshot {
        int screenState = -1;
        int resumeState = -1;
        int flagBits = 0;
        MouseSample mouse;
        bool operator==(const Snapshot& other) const {
            return screenState == other.screenState && resumeState == other.resumeState &&
                   flagBits == other.flagBits && mouse.x == other.mouse.x && mouse.y == other.mouse.y &&
                   mouse.leftHeld == other.mouse.leftHeld && mouse.wheelNotches == other.mouse.wheelNotches;
        }
    };

    bool servePendingWork();
    bool servePrompt();
    void sampleMouse();
    void dragWindow();
    void noteChanges();
    Snapshot snapshot() const;
    void openDownloadPage();
    void drawScene();

    FrameContext context_;
    MouseSample mouse_;

    PromptLook promptLook_;
    PromptObserver promptObserver_;
    WindowPrompt* prompt_ = nullptr;

    // Drag memory.
    bool previousButton_ = false;
    int previousX_ = 0;
    int previousY_ = 0;
    int cursorX_ = 0;
    int cursorY_ = 0;
    bool dragStarted_ = false;
    int dragWindowLeft_ = 0;
    int dragWindowTop_ = 0;
    int dragCursorX_ = 0;
    int dragCursorY_ = 0;

    // Redraw bookkeeping.
    Snapshot lastSnapshot_;
    int settleFrames_ = kSettleFrames;
    bool frameSinceRender_ = false;
    std::uint64_t scenesDrawn_ = 0;
    std::uint64_t scenesSkipped_ = 0;
};

}  // namespace kestrel
