// The screen's per-frame behaviour: which panels hear the mouse in each state, drag and drop
// of palette functions onto the wheel's controls, the page slide and console switch
// animations, and the panels' callbacks that save to the wheel.
#include <cmath>

#include "engine/log.h"
#include "online/web_url.h"
#include "screens/main_layout.h"
#include "screens/screens.h"
#include "ui/ui_button.h"
#include "ui/ui_clock_slider.h"
#include "ui/ui_radio_group.h"
#include "ui/ui_slider.h"

namespace kestrel {

namespace {

bool insideInclusive(int x, int y, int left, int top, int width, int height) {
    return left <= x && x <= left + width && top <= y && y <= top + height;
}

int paletteButtonAt(int x, int y) {
    for (int palette = 0; palette < kPaletteCount; ++palette) {
        const ScreenRect& button = kPaletteButton[palette];
        if (insideInclusive(x, y, button.x, button.y, button.width, button.height)) return palette;
    }
    return -1;
}

// The states whose panels hear the mouse; the others (animations, saving, the update) leave it
// to the window drag.
bool takesInput(int state) {
    return state == kScreenNoWheel || state == kScreenMainPage || state == kScreenSensitivityPage ||
           state == kScreenPresetList;
}

// In main-page coordinates.
int hotspotAt(int x, int y) {
    for (int dest = 0; dest < kDestinationCount; ++dest) {
        const DestHotspot& spot = kDestHotspot[dest];
        if (insideInclusive(x, y, spot.x, spot.y, spot.width, spot.height)) return dest;
    }
    return -1;
}

}  // namespace

int Screens::updateScreen(const MouseSample& mouse) {
    ScreenStates& states = context_.states;
    const int state = states.ScreenState;
    const int code = coder_.next(mouse, state == kScreenPresetList);

    switch (state) {
    case kScreenNoWheel:
        offer(windowPanel_.get(), code, mouse.x, mouse.y);
        break;
    case kScreenMainPage:
        updateMainPage(mouse, code);
        break;
    case kScreenSensitivityPage:
        offer(windowPanel_.get(), code, mouse.x, mouse.y);
        offer(mainPanel_.get(), code, mouse.x, mouse.y);
        offer(sensitivityPanel_.get(), code, mouse.x, mouse.y);
        break;
    case kScreenPresetList:
        if (presets_ && presets_->input(code, mouse.x, mouse.y) && code == kEventHeld) captured_ = true;
        break;
    case kScreenConsoleSwitchFirstHalf:
    case kScreenConsoleSwitchSecondHalf:
        stepConsoleSwitch();
        break;
    case kScreenSlideToMain:
    case kScreenSlideToSensitivity:
        stepPageSlide();
        break;
    case kScreenFirmwareUpdate:
        // Drawn once before the update starts: nothing of it has been sent yet.
        firmwareProgress_ = FirmwareProgress{};
        break;
    default:
        // Saving takes no input: it cannot be interrupted.
        break;
    }
    if (!mouse.leftHeld) {
        captured_ = false;
        mouseOwner_ = nullptr;
    }
    if (!takesInput(state)) return 0;
    return result();
}

bool Screens::takesPressAt(int x, int y) const {
    const auto takes = [x, y](const std::unique_ptr<UIPanel>& panel) { return panel && panel->widgetAt(x, y); };
    switch (context_.states.ScreenState) {
    case kScreenNoWheel:
        return takes(windowPanel_);
    case kScreenMainPage: {
        if (takes(windowPanel_) || takes(mainPanel_) || takes(consolePanel_)) return true;
        if (paletteButtonAt(x, y) >= 0) return true;
        const int pageX = x - pages_.mainOffset;
        for (const auto& label : context_.model.LabelRect)
            if (label.contains(pageX, y)) return true;
        return false;
    }
    case kScreenSensitivityPage:
        return takes(windowPanel_) || takes(mainPanel_) || takes(sensitivityPanel_);
    default:
        // The preset window lies below the top band, and the other states take no input.
        return false;
    }
}

int Screens::result() const {
    if (quitRequested_) return -1;
    return captured_ ? 1 : 0;
}

// While a press is under way only the panel that took it hears the mouse, so a drag let go
// over another panel never presses what lies there.
bool Screens::offer(UIPanel* panel, int code, int x, int y) {
    if (!panel || (mouseOwner_ != nullptr && mouseOwner_ != panel)) return false;
    const bool taken = panel->input(code, x, y);
    if (taken && code == kEventHeld) {
        captured_ = true;
        if (mouseOwner_ == nullptr) mouseOwner_ = panel;
    }
    return taken;
}

void Screens::updateMainPage(const MouseSample& mouse, int code) {
    if (drag_.dragging) {
        if (mouse.leftHeld) {
            drag_.item.moveTo(mouse.x, mouse.y);
        } else {
            dropAt(mouse.x, mouse.y);
        }
        return;
    }
    if (mouse.leftHeld) {
        offer(windowPanel_.get(), code, mouse.x, mouse.y);
        offer(mainPanel_.get(), code, mouse.x, mouse.y);
        const bool consoleTook = offer(consolePanel_.get(), code, mouse.x, mouse.y);
        // A press that began on empty space may still pick up an icon it is moved onto.
        if (!consoleTook && !captured_ && context_.states.ScreenState == kScreenMainPage) {
            startDragAt(mouse.x, mouse.y);
        }
        return;
    }
    offer(windowPanel_.get(), code, mouse.x, mouse.y);
    offer(mainPanel_.get(), code, mouse.x, mouse.y);
    offer(consolePanel_.get(), code, mouse.x, mouse.y);
}

void Screens::startDragAt(int x, int y) {
    ConfigurationModel& model = context_.model;
    int palette = paletteButtonAt(x, y);
    DragSource source = DragSource::Palette;
    int sourceDest = -1;
    if (palette < 0) {
        const int pageX = x - pages_.mainOffset;
        for (int dest = 0; dest < kDestinationCount; ++dest) {
            if (model.LabelRect[dest].contains(pageX, y)) {
                source = DragSource::Label;
                sourceDest = dest;
                palette = model.WorkingMapping[dest];
                break;
            }
        }
        if (sourceDest < 0) return;
    }
    drag_.source = source;
    drag_.sourceDest = sourceDest;
    drag_.paletteIndex = palette;
    DragItem& item = drag_.item;
    item.sprite = palette >= 0 ? kPaletteSprite[model.ConsoleMode == kConsolePs3 ? 1 : 0][palette] : -1;
    item.anchorFlags = 3;
    item.hidden = false;
    item.alpha = 1.0f;
    const SpriteSize size = skin_.spriteSize(item.sprite);
    item.width = size.width;
    item.height = size.height;
    item.moveTo(x, y);
    drag_.dragging = true;
    captured_ = true;
}

void Screens::dropAt(int x, int y) {
    ConfigurationModel& model = context_.model;
    const int dest = hotspotAt(x - pages_.mainOffset, y);
    if (dest >= 0 && drag_.source == DragSource::Palette) {
        model.WorkingMapping[dest] = drag_.paletteIndex;
        model.assignPalette(dest, drag_.paletteIndex);
    } else if (dest >= 0) {
        const int source = drag_.sourceDest;
        const int palette = model.WorkingMapping[source];
        model.WorkingMapping[source] = -1;
        model.assignPalette(source, -1);
        model.WorkingMapping[dest] = palette;
        model.assignPalette(dest, palette);
    } else if (drag_.source == DragSource::Label && y > layout::kTopAreaBottom) {
        model.WorkingMapping[drag_.sourceDest] = -1;
        model.assignPalette(drag_.sourceDest, -1);
    }
    drag_.dragging = false;
    captured_ = false;
}

void Screens::stepConsoleSwitch() {
    ScreenStates& states = context_.states;
    switchValue_ = switchTween_.step();
    if (!switchTween_.finished()) return;
    if (states.ScreenState == kScreenConsoleSwitchFirstHalf) {
        // Midpoint: the old icons are out of sight, so the mapping changes hands here.
        switchTween_ = Tween{kEaseBounceOut, layout::kAnimationFrames, 0, true, 0, 1.0, -1.0};
        states.ScreenState = kScreenConsoleSwitchSecondHalf;
        context_.model.ConsoleMode = pendingConsoleMode_;
        context_.model.selectConsoleMapping(pendingConsoleMode_, true);
    } else {
        switchValue_ = 0.0;
        states.ScreenState = kScreenMainPage;
    }
}

void Screens::stepPageSlide() {
    ScreenStates& states = context_.states;
    const int offset = static_cast<int>(std::trunc(pageTween_.step()));
    pages_.mainOffset = offset;
    pages_.sensitivityOffset = offset + layout::kSensitivityPageOffset;
    if (sensitivityPanel_) sensitivityPanel_->setPosition(pages_.sensitivityOffset, 0);
    if (!pageTween_.finished()) return;
    pages_.restOffset = pages_.targetOffset;
    pages_.currentPage = pages_.nextPage;
    if (states.ScreenState == kScreenSlideToMain) {
        states.ScreenState = kScreenMainPage;
        if (consolePanel_) consolePanel_->setState(true, true);
    } else {
        states.ScreenState = kScreenSensitivityPage;
        // A wheel that returned mid-slide had the console panel switched back on.
        if (consolePanel_) consolePanel_->setState(false, true);
    }
}

// ---- Callbacks -----------------------------------------------------------------------------

void Screens::onWindowAction(UIBase& widget, int userData) {
    if (userData != layout::kButtonUserData) return;
    HGE& hge = context_.hge;
    switch (widget.id()) {
    case layout::kCloseId:
        quitRequested_ = true;
        break;
    case layout::kMinimiseId:
        hge.System_MinimiseWindow();
        break;
    case layout::kHelpId:
        openSupportPage();
        break;
    case layout::kAboutId:
        if (aboutText_.empty()) break;
        if (messages_ != nullptr)
            messages_->showMessage(MessageBoxIcon::Information, kMessageBoxTitle, aboutText_);
        else
            hge.System_MessageBox(aboutText_.c_str(), std::string(kMessageBoxTitle).c_str(), MessageBoxButtons::kOk);
        break;
    default:
        break;
    }
}

void Screens::openSupportPage() {
    // The link comes from the settings document: like the download link, only a web page is
    // handed to the desktop, and the link goes into the log as text.
    const std::string shown = printableUrl(supportUrl_);
    if (!isWebUrl(supportUrl_)) {
        context_.log.write("Help : Unable to open the support page %s (only http and https links are opened)",
                           shown.c_str());
        return;
    }
    if (!context_.hge.System_OpenDocument(supportUrl_.c_str())) {
        context_.log.write("Help : Unable to open the support page %s", shown.c_str());
    }
}

void Screens::onMainAction(UIBase& widget, int userData) {
    ConfigurationModel& model = context_.model;
    ScreenStates& states = context_.states;
    if (userData == layout::kCheckUserData) {
        // A radio select reports every member; only the one now on acts.
        if (widget.type() != kUITypeCheck || !static_cast<UICheck&>(widget).checked()) return;
        switch (widget.id()) {
        case layout::kRemapTabId:
            if (pages_.currentPage != kScreenMainPage) {
                startPageSlide(layout::kMainPageOffset, kScreenSlideToMain, kScreenMainPage);
            }
            break;
        case layout::kSensitivityTabId:
            if (pages_.currentPage != kScreenSensitivityPage) {
                // The console choice belongs to the main page only.
                if (consolePanel_) consolePanel_->setState(false, true);
                startPageSlide(layout::kSensitivityTargetOffset, kScreenSlideToSensitivity, kScreenSensitivityPage);
            }
            break;
        case layout::kRumbleOffId: model.rumbleLevel = kRumbleOff; break;
        case layout::kRumbleMediumId: model.rumbleLevel = kRumbleMedium; break;
        case layout::kRumbleHighId: model.rumbleLevel = kRumbleHigh; break;
        default: break;
        }
        return;
    }
    switch (widget.id()) {
    case layout::kAssignSettingId:
        model.commitWorkingMapping();
        model.readSettings(*this);
        context_.flags.ConfigWritePending = true;
        model.encodeImage(context_.image);
        states.ResumeState = states.ScreenState;
        states.ScreenState = kScreenSaving;
        break;
    case layout::kResetLayoutId:
        context_.flags.ConfigWritePending = true;
        model.loadDefaultMappings(true, *this);
        model.encodeImage(context_.image);
        model.selectConsoleMapping(model.ConsoleMode, false);
        states.ResumeState = states.ScreenState;
        states.ScreenState = kScreenSavingAfterReset;
        break;
    case layout::kPresetsId:
        if (presets_) presets_->open();
        break;
    default:
        break;
    }
}

void Screens::startPageSlide(int targetOffset, int state, int nextPage) {
    pages_.targetOffset = targetOffset;
    pages_.nextPage = nextPage;
    context_.states.ScreenState = state;
    pageTween_ = Tween{kEaseBounceOut, layout::kAnimationFrames, 0, true, 0, static_cast<double>(pages_.restOffset),
                       static_cast<double>(targetOffset - pages_.restOffset)};
}

void Screens::onConsoleSwitch(UIBase& widget, int userData) {
    if (userData != layout::kCheckUserData) return;
    if (widget.type() != kUITypeCheck || !static_cast<UICheck&>(widget).checked()) return;
    const int mode = context_.model.ConsoleMode;
    if (widget.id() == layout::kXbox360Id && mode == kConsolePs3) {
        pendingConsoleMode_ = kConsoleXbox360;
    } else if (widget.id() == layout::kPs3Id && mode == kConsoleXbox360) {
        pendingConsoleMode_ = kConsolePs3;
    } else {
        return;
    }
    context_.states.ScreenState = kScreenConsoleSwitchFirstHalf;
    switchTween_ = Tween{kEaseExponentialOut, layout::kAnimationFrames, 0, true, 0, 0.0, 1.0};
}

}  // namespace kestrel
