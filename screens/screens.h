#pragma once
// The customiser screens: the main screen's sprites and widget panels, its per-frame update
// (screen states, drag and drop editing, page slides, console switch, saving) and its drawing.
//
// The entry point owns one Screens for the whole run and calls, in this order:
//   screens.createSprites();            after the engine has started
//   screens.buildScreen();              panels and widgets; ends in the no-wheel state
//   ... each frame:
//   int r = screens.updateScreen(mouse);  -1 quit, 1 a widget or drag holds the mouse, 0 free
//   screens.drawScreen();               between Gfx_BeginScene and Gfx_FinishScene
//   ... at shut-down:
//   screens.destroyPanels();
//   screens.destroySprites();
//
// It borrows the program-wide state (engine, log, configuration model and image, flags, screen
// states) and owns the skin and the panels. It is the settings-widget set the configuration
// model reads and writes, and the panel switch the wheel link uses on arrival and removal.
// The preset list plugs in through PresetListScreen; without one the Presets button does
// nothing.
#include <memory>
#include <string>

#include "config/configuration.h"
#include "config/nvm_image.h"
#include "config/program_state.h"
#include "config/settings_widgets.h"
#include "engine/hge.h"
#include "online/message_box.h"
#include "screens/skin.h"
#include "ui/mouse_sample.h"
#include "ui/pointer.h"
#include "ui/tween.h"
#include "ui/ui_panel.h"
#include "wheel/firmware_progress.h"
#include "wheel/hotplug.h"

namespace kestrel {

class BitmapFont;
class Log;
class UIButton;
class UICheck;
class UIClockSlider;
class UIRadioGroup;
class UISlider;

// The preset list window that state 12 shows over the main screen.
class PresetListScreen {
public:
    virtual ~PresetListScreen() = default;
    // The Presets button was pressed; the list decides whether it opens (and sets state 12).
    virtual void open() = 0;
    // One event of the frame while state 12 shows, wheel bits included; true when taken.
    virtual bool input(int code, int x, int y) = 0;
    // Drawn over the dimmed main screen while state 12 shows.
    virtual void draw() = 0;
};

// A floating copy of the icon being dragged, centred on the pointer.
struct DragItem {
    int sprite = -1;
    int x = 0;
    int y = 0;
    int anchorFlags = 3;  // bit 0 centre horizontally, bit 1 centre vertically
    bool hidden = false;
    float alpha = 1.0f;
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;

    void moveTo(int mouseX, int mouseY);
};

enum class DragSource { Palette, Label };

struct DragState {
    bool dragging = false;
    DragSource source = DragSource::Palette;
    int sourceDest = -1;    // the destination whose label is dragged
    int paletteIndex = -1;  // the function being dragged
    DragItem item;
};

struct PageState {
    int currentPage = 9;      // 9 main, 10 Sensitivity
    int nextPage = 9;
    int targetOffset = 0;     // of the main page
    int restOffset = 0;       // the main page's offset when no slide runs
    int mainOffset = 0;       // live
    int sensitivityOffset = 800;
};

struct ScreenContext {
    HGE& hge;
    Log& log;
    ConfigurationModel& model;
    NvmImage& image;
    ProgramFlags& flags;
    ScreenStates& states;
};

class Screens final : public SettingsWidgets, public WheelPanels {
public:
    explicit Screens(const ScreenContext& context);
    ~Screens() override;
    Screens(const Screens&) = delete;
    Screens& operator=(const Screens&) = delete;

    // ---- Lifecycle ----
    // Loads the atlas and cuts the sprites. False when the atlas is missing; the screens still
    // build and run, drawing nothing textured.
    bool createSprites();
    void buildScreen();
    int updateScreen(const MouseSample& mouse);
    // Whether a press at this point would be taken by the current state's widgets or icons, as
    // updateScreen would take it (so the window is dragged only from where nothing is).
    bool takesPressAt(int x, int y) const;
    void drawScreen();
    void destroyPanels();
    void destroySprites();

    // ---- What the window buttons and the no-wheel box need from the rest of the program ----
    void setSupportUrl(std::string url) { supportUrl_ = std::move(url); }
    void setAboutText(std::string text) { aboutText_ = std::move(text); }
    // Where the About box is shown; the engine's message box when none is set.
    void setMessageDisplay(MessageBoxDisplay* messages) { messages_ = messages; }
    void setPresetList(PresetListScreen* presets) { presets_ = presets; }
    // Font for the hint inside the no-wheel box and the firmware progress line; none draws
    // neither.
    void setHintFont(BitmapFont* font) { hintFont_ = font; }
    const std::string& noWheelHint() const { return noWheelHint_; }

    // ---- The updating screen ----
    // What the firmware update reports; true when the updating screen now looks different
    // enough (another 2 % sent, another phase) to be worth drawing again.
    bool showFirmwareProgress(const FirmwareProgress& progress);
    const FirmwareProgress& firmwareProgress() const { return firmwareProgress_; }

    // ---- WheelPanels: wheel arrival and removal ----
    // Disabling a panel ends whatever its widgets were dragging and frees the mouse it held,
    // so nothing moves or lands when the wheel returns.
    void setConsolePanelEnabled(bool enabled) override;
    // Also drops a drag of a palette function or label.
    void setMainControlsPanelEnabled(bool enabled) override;
    void setSensitivityPanelEnabled(bool enabled) override;
    void setNoWheelHint(const std::string& text) override { noWheelHint_ = text; }

    // ---- SettingsWidgets ----
    void setSensitivityAngles(float lower, float upper) override;
    float sensitivityLowerAngle() const override;
    float sensitivityUpperAngle() const override;
    void selectRumble(RumbleChoice choice) override;
    void setPedalValue(int value) override;
    int pedalValue() const override;
    void showConsoleMode(int mode) override;

    // ---- Observable state, for the frame function, the preset list and tests ----
    Skin& skin() { return skin_; }
    const PageState& pages() const { return pages_; }
    const DragState& drag() const { return drag_; }
    double switchValue() const { return switchValue_; }
    bool quitRequested() const { return quitRequested_; }
    bool inputCaptured() const { return captured_; }
    // The panel that took the press under way; it alone hears the mouse until the release.
    UIPanel* mouseOwner() const { return mouseOwner_; }
    UIPanel* windowButtonsPanel() const { return windowPanel_.get(); }
    UIPanel* mainControlsPanel() const { return mainPanel_.get(); }
    UIPanel* consolePanel() const { return consolePanel_.get(); }
    UIPanel* sensitivityPanel() const { return sensitivityPanel_.get(); }
    UIClockSlider* sensitivityDial() const { return dial_; }
    UISlider* pedalSlider() const { return pedalSlider_; }
    UIRadioGroup* rumbleGroup() const { return rumbleGroup_; }
    UIRadioGroup* consoleGroup() const { return consoleGroup_; }
    UIRadioGroup* pageTabs() const { return pageTabs_; }

private:
    // Update, by state.
    bool offer(UIPanel* panel, int code, int x, int y);
    void releaseMouseFrom(UIPanel* panel);
    void updateMainPage(const MouseSample& mouse, int code);
    void startDragAt(int x, int y);
    void dropAt(int x, int y);
    void stepConsoleSwitch();
    void stepPageSlide();
    int result() const;

    // Callbacks of the panels.
    void onWindowAction(UIBase& widget, int userData);
    void openSupportPage();
    void onMainAction(UIBase& widget, int userData);
    void onConsoleSwitch(UIBase& widget, int userData);
    void startPageSlide(int targetOffset, int state, int nextPage);

    // Drawing.
    void drawSeparators();
    void drawPaletteAndLabels(int paletteAlpha);
    void drawAnimatedPaletteAndLabels(int paletteAlpha);
    void drawOverlay();
    void drawNoWheelHint(int centreX, int y);
    void drawFirmwareProgress(int panelX, int panelY);

    ScreenContext context_;
    Skin skin_;

    std::unique_ptr<UIPanel> windowPanel_;
    std::unique_ptr<UIPanel> mainPanel_;
    std::unique_ptr<UIPanel> consolePanel_;
    std::unique_ptr<UIPanel> sensitivityPanel_;
    // Borrowed views into the panels' widgets.
    UIRadioGroup* pageTabs_ = nullptr;
    UIRadioGroup* rumbleGroup_ = nullptr;
    UIRadioGroup* consoleGroup_ = nullptr;
    UISlider* pedalSlider_ = nullptr;
    UIClockSlider* dial_ = nullptr;
    UICheck* rumbleChecks_[3] = {};   // by rumble level
    UICheck* consoleChecks_[2] = {};  // by console mode

    EventCoder coder_;
    bool captured_ = false;
    UIPanel* mouseOwner_ = nullptr;
    bool quitRequested_ = false;
    DragState drag_;
    PageState pages_;
    Tween pageTween_;
    Tween switchTween_;
    double switchValue_ = 0.0;
    int pendingConsoleMode_ = 0;

    std::string supportUrl_;
    std::string aboutText_ = "Kestrel Customiser Setup 1.1";
    PresetListScreen* presets_ = nullptr;
    MessageBoxDisplay* messages_ = nullptr;
    BitmapFont* hintFont_ = nullptr;
    std::string noWheelHint_;
    FirmwareProgress firmwareProgress_;
};

}  // namespace kestrel
