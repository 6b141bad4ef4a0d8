#include "screens/preset_list.h"

#include "engine/log.h"
#include "online/presets.h"
#include "screens/sprite_table.h"
#include "ui/ui_button.h"

namespace kestrel {

using namespace preset_layout;

PresetList::~PresetList() { closeWindow(); }

void PresetList::open() {
    ScreenStates& states = context_.states;
    const int state = states.ScreenState;
    if (state != kScreenMainPage && state != kScreenSensitivityPage && state != 11 && state != kScreenPresetList) return;
    if (context_.online.presetCount() == 0) {
        context_.messages.showMessage(MessageBoxIcon::Information, kMessageBoxTitle, kPresetsOfflineText);
        return;
    }
    closeWindow();
    states.ResumeState = state;
    applied_ = false;
    closeRequestedBy_ = 0;
    states.ScreenState = kScreenPresetList;

    // Buttons sit in the window's bottom-right corner, sized by their skin sprites.
    Skin& skin = context_.skin;
    const SpriteSize cancelSize = skin.spriteSize(skin::kCancelNormal);
    const SpriteSize okSize = skin.spriteSize(skin::kOkNormal);
    const int cancelX = kWindowX + kWindowWidth - kButtonMargin - cancelSize.width;
    const int cancelY = kWindowY + kWindowHeight - kButtonMargin - cancelSize.height;
    const int okX = cancelX - kButtonGap - okSize.width;

    window_ = std::make_unique<UIPanel>();
    auto onClose = [this](UIBase& widget, int, int) { closeRequestedBy_ = widget.id(); };
    auto& cancel = window_->add(std::make_unique<UIButton>(skin, cancelX, cancelY, kCancelId, skin::kCancelNormal,
                                                           skin::kCancelPressed, skin::kCancelHover));
    cancel.setCallback(onClose, 0);
    auto& ok = window_->add(
        std::make_unique<UIButton>(skin, okX, cancelY, kOkId, skin::kOkNormal, skin::kOkPressed, skin::kOkHover));
    ok.setCallback(onClose, 0);
    list_ = &window_->add(std::make_unique<UIList>(context_.log, *window_, kListX, kListY, kListWidth, kRowHeight));
    list_->setDrawCallback([this](const UIListDrawRecord& part) { drawListPart(part); });
    for (PresetRecord& preset : context_.online.presets) list_->addLine(reinterpret_cast<std::intptr_t>(&preset));
}

int PresetList::selectedPreset() const {
    if (!list_) return -1;
    const int index = list_->selectedIndex();
    if (index < 0 || index >= list_->lineCount() || index >= context_.online.presetCount()) return -1;
    return index;
}

bool PresetList::input(int code, int x, int y) {
    if (!window_) return false;
    const bool taken = window_->input(code, x, y);
    if (closeRequestedBy_ != 0) finishClose(closeRequestedBy_);
    return taken;
}

void PresetList::finishClose(int widgetId) {
    closeRequestedBy_ = 0;
    const int preset = selectedPreset();
    if (widgetId == kOkId && preset >= 0) {
        PresetLink link{context_.log,   context_.http,  context_.messages, context_.online,
                        context_.model, context_.image, context_.widgets};
        applySelectedPreset(link, preset);
        // Set whatever the download did: the editor was reloaded either way, and the wheel
        // gets the configuration the screen now shows.
        applied_ = true;
    }
    closeWindow();
    ScreenStates& states = context_.states;
    states.ScreenState = states.ResumeState;
    if (applied_) {
        context_.flags.ConfigWritePending = true;
        states.ScreenState = kScreenSaving;
    }
}

void PresetList::closeWindow() {
    list_ = nullptr;
    window_.reset();
}

}  // namespace kestrel
