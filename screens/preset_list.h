#pragma once
// The preset list: a modal window over the dimmed main screen that lists the presets of the
// settings document by name, shows the selected one's note, and applies it with OK (the
// configuration is then written to the wheel on the next frame) or closes with Cancel.
// Without presets it does not open and tells the user to get online and restart.
//
//   PresetList presets({hge, log, screens.skin(), messages, http, online, model, image,
//                       screens, flags, states});
//   presets.setFonts(small, large);
//   screens.setPresetList(&presets);        // the Presets button opens it, state 12 shows it
#include <cstdint>
#include <memory>
#include <string_view>

#include "config/configuration.h"
#include "config/nvm_image.h"
#include "config/program_state.h"
#include "config/settings_widgets.h"
#include "engine/hge.h"
#include "online/http_transport.h"
#include "online/message_box.h"
#include "online/online_settings.h"
#include "screens/screens.h"
#include "screens/skin.h"
#include "ui/ui_list.h"
#include "ui/ui_panel.h"

namespace kestrel {

class BitmapFont;
class Log;

constexpr std::string_view kPresetsOfflineText =
    "To access the latest Kestrel Customiser presets\nyou must be able to access the internet.\n \nPlease check "
    "your internet connection and restart the application.";
constexpr const char* kPresetWindowTitle = "Kestrel Customiser Presets";
constexpr const char* kNoPresetSelectedText = "No preset selected";

namespace preset_layout {
constexpr int kWindowX = 60;
constexpr int kWindowY = 100;
constexpr int kWindowWidth = 680;
constexpr int kWindowHeight = 400;
constexpr int kListX = 110;
constexpr int kListY = 160;
constexpr int kListWidth = 580;
constexpr int kRowHeight = 30;
constexpr int kNoteBoxOffset = 170;  // from the list's top
constexpr int kButtonMargin = 20;
constexpr int kButtonGap = 10;
constexpr int kOkId = 1;
constexpr int kCancelId = 2;

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kOrange = 0xFFFFC000;
constexpr std::uint32_t kHoverRow = 0xFF606060;
constexpr std::uint32_t kThumbHover = 0xFFFFDC00;
constexpr std::uint32_t kThumbDragged = 0xFFFFA000;
constexpr std::uint32_t kGripLight = 0xFFFFF000;
constexpr std::uint32_t kGripDark = 0xFFFF8C00;
}  // namespace preset_layout

struct PresetListContext {  // borrowed, never owned
    HGE& hge;
    Log& log;
    Skin& skin;
    MessageBoxDisplay& messages;
    HttpTransport& http;
    OnlineSettings& online;
    ConfigurationModel& model;
    NvmImage& image;
    SettingsWidgets& widgets;
    ProgramFlags& flags;
    ScreenStates& states;
};

class PresetList final : public PresetListScreen {
public:
    explicit PresetList(const PresetListContext& context) : context_(context) {}
    ~PresetList() override;
    PresetList(const PresetList&) = delete;
    PresetList& operator=(const PresetList&) = delete;

    // Font 0 draws the note, font 1 the title and the rows; either may be missing.
    void setFonts(BitmapFont* small, BitmapFont* large) {
        smallFont_ = small;
        largeFont_ = large;
    }

    void open() override;
    bool input(int code, int x, int y) override;
    void draw() override;
    // Closes the window without applying anything (shut-down).
    void closeWindow();

    bool isOpen() const { return window_ != nullptr; }
    UIPanel* window() const { return window_.get(); }
    UIList* list() const { return list_; }
    // The preset the selected row shows, or -1 (no row, or an empty row below the last preset).
    int selectedPreset() const;

private:
    void drawListPart(const UIListDrawRecord& part);
    void finishClose(int widgetId);

    PresetListContext context_;
    BitmapFont* smallFont_ = nullptr;
    BitmapFont* largeFont_ = nullptr;
    std::unique_ptr<UIPanel> window_;
    UIList* list_ = nullptr;  // owned by window_
    bool applied_ = false;
    // A button's callback runs inside the panel's input walk, so the window is destroyed only
    // once that walk has returned.
    int closeRequestedBy_ = 0;
};

}  // namespace kestrel
