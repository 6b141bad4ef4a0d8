// Building and tearing down the main screen, and the settings widgets the configuration model
// reads and writes. The per-frame update is in screen_update.cpp, the drawing in
// screen_draw.cpp.
#include "screens/screens.h"

#include <algorithm>

#include "engine/log.h"
#include "screens/main_layout.h"
#include "ui/ui_button.h"
#include "ui/ui_clock_slider.h"
#include "ui/ui_radio_group.h"
#include "ui/ui_slider.h"

namespace kestrel {

namespace {

std::unique_ptr<UIButton> makeButton(SpriteSheet& sheet, const layout::WidgetPlacement& place) {
    return std::make_unique<UIButton>(sheet, place.x, place.y, place.id, place.normal, place.active, place.hover);
}

std::unique_ptr<UICheck> makeCheck(SpriteSheet& sheet, const layout::WidgetPlacement& place) {
    return std::make_unique<UICheck>(sheet, place.x, place.y, place.id, place.normal, place.active, place.hover);
}

}  // namespace

void DragItem::moveTo(int mouseX, int mouseY) {
    x = mouseX;
    y = mouseY;
    left = (anchorFlags & 1) ? x - width / 2 : x;
    top = (anchorFlags & 2) ? y - height / 2 : y;
}

Screens::Screens(const ScreenContext& context) : context_(context), skin_(context.hge, context.log) {}

Screens::~Screens() {
    destroyPanels();
    destroySprites();
}

bool Screens::createSprites() { return skin_.load(); }

void Screens::destroySprites() { skin_.release(); }

void Screens::buildScreen() {
    destroyPanels();
    ConfigurationModel& model = context_.model;

    pages_ = PageState{};
    pages_.currentPage = kScreenMainPage;
    pages_.nextPage = kScreenMainPage;
    pages_.mainOffset = layout::kMainPageOffset;
    pages_.sensitivityOffset = layout::kSensitivityPageOffset;
    quitRequested_ = false;
    model.rumbleLevel = kRumbleHigh;
    model.sensitivityStart = 0;
    model.sensitivityEnd = kSensitivityMaximum;

    auto onWindow = [this](UIBase& widget, int, int userData) { onWindowAction(widget, userData); };
    auto onMain = [this](UIBase& widget, int, int userData) { onMainAction(widget, userData); };
    auto onConsole = [this](UIBase& widget, int, int userData) { onConsoleSwitch(widget, userData); };

    windowPanel_ = std::make_unique<UIPanel>();
    for (const auto& place : layout::kWindowButtons) {
        windowPanel_->add(makeButton(skin_, place)).setCallback(onWindow, layout::kButtonUserData);
    }

    mainPanel_ = std::make_unique<UIPanel>();
    pageTabs_ = &mainPanel_->add(std::make_unique<UIRadioGroup>());
    for (const auto& place : layout::kPageTabs) {
        pageTabs_->add(makeCheck(skin_, place)).setCallback(onMain, layout::kCheckUserData);
    }
    for (const auto& place : layout::kMainButtons) {
        mainPanel_->add(makeButton(skin_, place)).setCallback(onMain, layout::kButtonUserData);
    }
    rumbleGroup_ = &mainPanel_->add(std::make_unique<UIRadioGroup>());
    rumbleGroup_->setId(layout::kRumbleGroupId);
    for (std::size_t level = 0; level < layout::kRumbleChecks.size(); ++level) {
        rumbleChecks_[level] = &rumbleGroup_->add(makeCheck(skin_, layout::kRumbleChecks[level]));
        rumbleChecks_[level]->setCallback(onMain, layout::kCheckUserData);
    }
    pedalSlider_ = &mainPanel_->add(std::make_unique<UISlider>(skin_, *mainPanel_));
    pedalSlider_->setValue(kPedalMaximum);

    consolePanel_ = std::make_unique<UIPanel>();
    consoleGroup_ = &consolePanel_->add(std::make_unique<UIRadioGroup>());
    for (std::size_t mode = 0; mode < layout::kConsoleChecks.size(); ++mode) {
        consoleChecks_[mode] = &consoleGroup_->add(makeCheck(skin_, layout::kConsoleChecks[mode]));
        consoleChecks_[mode]->setCallback(onConsole, layout::kCheckUserData);
    }

    sensitivityPanel_ = std::make_unique<UIPanel>();
    dial_ = &sensitivityPanel_->add(
        std::make_unique<UIClockSlider>(skin_, *sensitivityPanel_, layout::kDialCentreX, layout::kDialCentreY));
    dial_->setRadius(layout::kDialRadius);
    dial_->setLimits(layout::kDialLowerLimit, layout::kDialUpperLimit);
    dial_->setAngles(layout::kDialLowerLimit, layout::kDialUpperLimit);
    dial_->setMirrorDisplay(true);
    sensitivityPanel_->setPosition(layout::kSensitivityPageOffset, 0);

    // The starting choices, shown without reporting them: they are what the model already holds.
    for (std::size_t i = 0; i < pageTabs_->size(); ++i) {
        if (pageTabs_->check(i).id() == layout::kRemapTabId) pageTabs_->show(static_cast<int>(i));
    }
    selectRumble(RumbleChoice::High);
    showConsoleMode(kConsoleXbox360);

    model.clearMappings();
    model.ConsoleMode = kConsoleXbox360;
    model.selectConsoleMapping(kConsoleXbox360, false);
    drag_ = DragState{};
    captured_ = false;
    mouseOwner_ = nullptr;
    switchValue_ = 0.0;
    skin_.applyAnchors();

    context_.states.DetachedState = kScreenMainPage;
    context_.states.ScreenState = kScreenNoWheel;
    consolePanel_->setState(false, true);
    mainPanel_->setState(false, true);
    sensitivityPanel_->setState(false, true);
}

void Screens::destroyPanels() {
    // Views first, so nothing points into a destroyed panel.
    mouseOwner_ = nullptr;
    pageTabs_ = rumbleGroup_ = consoleGroup_ = nullptr;
    pedalSlider_ = nullptr;
    dial_ = nullptr;
    std::fill(std::begin(rumbleChecks_), std::end(rumbleChecks_), nullptr);
    std::fill(std::begin(consoleChecks_), std::end(consoleChecks_), nullptr);
    sensitivityPanel_.reset();
    consolePanel_.reset();
    mainPanel_.reset();
    windowPanel_.reset();
}

void Screens::setConsolePanelEnabled(bool enabled) {
    if (consolePanel_) consolePanel_->setState(enabled, true);
    if (!enabled) releaseMouseFrom(consolePanel_.get());
}

void Screens::setMainControlsPanelEnabled(bool enabled) {
    if (mainPanel_) mainPanel_->setState(enabled, true);
    if (enabled) return;
    releaseMouseFrom(mainPanel_.get());
    // A drag cut short by a removal would otherwise drop wherever the pointer happens to be on
    // the first frame after the wheel is back.
    drag_.dragging = false;
    captured_ = false;
}

void Screens::setSensitivityPanelEnabled(bool enabled) {
    if (sensitivityPanel_) sensitivityPanel_->setState(enabled, true);
    if (!enabled) releaseMouseFrom(sensitivityPanel_.get());
}

void Screens::releaseMouseFrom(UIPanel* panel) {
    if (panel == nullptr || mouseOwner_ != panel) return;
    mouseOwner_ = nullptr;
    captured_ = false;
}

bool Screens::showFirmwareProgress(const FirmwareProgress& progress) {
    // A whole screen costs a few milliseconds to draw in software: the bar moves in 50 steps,
    // which keeps it smooth and the flash's upkeep to a small share of the flash.
    constexpr std::size_t kSteps = 50;
    auto step = [](const FirmwareProgress& p) { return p.chunkCount > 0 ? p.chunksSent * kSteps / p.chunkCount : 0; };
    const bool changed = progress.phase != firmwareProgress_.phase || step(progress) != step(firmwareProgress_);
    firmwareProgress_ = progress;
    return changed;
}

// ---- SettingsWidgets -----------------------------------------------------------------------

void Screens::setSensitivityAngles(float lower, float upper) {
    if (dial_) dial_->setAngles(lower, upper);
}

float Screens::sensitivityLowerAngle() const { return dial_ ? dial_->firstAngle() : 0.0f; }

float Screens::sensitivityUpperAngle() const {
    return dial_ ? dial_->secondAngle() : layout::kDialUpperLimit;
}

void Screens::selectRumble(RumbleChoice choice) {
    if (!rumbleGroup_) return;
    const int level = choice == RumbleChoice::Off ? kRumbleOff : choice == RumbleChoice::Medium ? kRumbleMedium : kRumbleHigh;
    rumbleGroup_->show(rumbleGroup_->indexOf(*rumbleChecks_[level]));
}

void Screens::setPedalValue(int value) {
    if (pedalSlider_) pedalSlider_->setValue(value);
}

int Screens::pedalValue() const { return pedalSlider_ ? pedalSlider_->value() : kPedalMaximum; }

void Screens::showConsoleMode(int mode) {
    if (!consoleGroup_) return;
    const int index = mode == kConsolePs3 ? kConsolePs3 : kConsoleXbox360;
    consoleGroup_->show(consoleGroup_->indexOf(*consoleChecks_[index]));
}

}  // namespace kestrel
