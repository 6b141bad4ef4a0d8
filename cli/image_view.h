#pragma once
// What an image means to a person at a terminal: the mapping of every editable control on each
// console and the settings, exactly as the window would show them after reading the image, the
// names used on the command line, and the difference between two images.
//
//   ImageView view = viewImage(image);
//   for (const Change& change : describeChanges(before, after)) ...
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/configuration.h"
#include "config/nvm_image.h"
#include "config/settings_widgets.h"

namespace kestrel::cli {

// ---- Names: the window's table names without their prefixes, matched without regard to case.
std::string controlName(int dest);      // "LEFT_PADDLE"
std::string functionName(int palette);  // "HardLeft"; "none" for -1
std::optional<int> findControl(std::string_view name);   // "left_paddle" or "DEST_LEFT_PADDLE"
// -1 for "none"; nothing for a name that is no function.
std::optional<int> findFunction(std::string_view name);  // "hardleft" or "PAL_HardLeft"
std::string controlNames();   // "LEFT, RIGHT, ..."
std::string functionNames();  // "A, B, ..., none"

constexpr std::array<const char*, kConsoleCount> kConsoleKeys = {"xbox", "ps3"};
constexpr std::array<const char*, kConsoleCount> kConsoleTitles = {"Xbox 360", "PS3"};
constexpr std::array<const char*, 3> kRumbleNames = {"off", "medium", "high"};
std::optional<int> findConsole(std::string_view name);  // "xbox" / "ps3"

// ---- Blocks, as preset masks: bit 0 Xbox 360, bit 1 PS3, bit 2 settings.
constexpr int kAllBlocks = kPresetXboxBlock | kPresetPs3Block | kPresetSettingsBlock;
// "xbox,ps3,settings" in any order; nothing (with `error` set) for an unknown or empty name.
std::optional<int> parseBlocks(std::string_view list, std::string& error);
std::vector<std::string> blockKeys(int mask);  // {"xbox", "settings"}
std::string blockTitles(int mask);             // "Xbox 360, settings" or "none"
int signedBlocks(const NvmImage& image);

// The settings widgets as plain values: what the command line shows and edits in place of the
// window's dial, radio group and slider. The pedal value is kept in the slider's range.
class ValueWidgets final : public SettingsWidgets {
public:
    void setSensitivityAngles(float lower, float upper) override {
        lower_ = lower;
        upper_ = upper;
    }
    float sensitivityLowerAngle() const override { return lower_; }
    float sensitivityUpperAngle() const override { return upper_; }
    void selectRumble(RumbleChoice choice) override { rumble_ = choice; }
    void setPedalValue(int value) override;
    int pedalValue() const override { return pedal_; }
    void showConsoleMode(int) override {}

    RumbleChoice rumble() const { return rumble_; }

private:
    float lower_ = 0;
    float upper_ = kDialMaximumAngle;
    RumbleChoice rumble_ = RumbleChoice::High;
    int pedal_ = kPedalMaximum;
};

struct ImageView {
    int console = kConsoleXbox360;
    bool imageSigned = false;
    int signedBlocks = 0;
    bool updatePending = false;
    std::array<Mapping, kConsoleCount> mapping{};
    // The stored output type of each destination per console, for types no function stands for.
    std::array<std::array<int, kDestinationCount>, kConsoleCount> outputType{};
    int sensitivityLow = 0;  // degrees, as the dial shows them
    int sensitivityHigh = kDialMaximumAngle;
    int rumble = kRumbleHigh;  // 0 off, 1 medium, 2 high
    int pedal = kPedalMaximum;
};

// Decodes as the window does when the wheel arrives: the console mode from the flags, the
// defaults for any block without its signature.
ImageView viewImage(const NvmImage& image);

// The output's name on that console ("XB360_LSY"), or "" for none.
std::string outputName(int console, int type);

struct Change {
    std::string item;  // "xbox.LEFT_PADDLE", "sensitivity", "rumble", "pedal", "console"
    std::string title; // "Xbox 360 LEFT_PADDLE", "Sensitivity", ...
    std::string from;
    std::string to;
};

std::vector<Change> describeChanges(const ImageView& before, const ImageView& after);
std::string sensitivityText(const ImageView& view);  // "0-90"

}  // namespace kestrel::cli
