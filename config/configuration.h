#pragma once
// The editing model of the wheel's configuration and its encoding in the NvmImage.
//
//   image layout         where the two console blocks and the settings block sit
//   ConfigurationModel   console mode, working and stored mappings, label rectangles, settings
//     decodeImage        image -> model (wheel arrival, preset applied)
//     encodeImage        model -> image (before every write that follows an edit)
//     showSettings / readSettings   model <-> settings widgets
//     selectConsoleMapping / commitWorkingMapping / assignPalette   the screen's editing steps
//     applyPresetImage   copy a preset's blocks into the image
//
// One instance lives for the whole run; the image and the widgets are borrowed per call.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "config/control_tables.h"
#include "config/nvm_image.h"
#include "config/settings_widgets.h"

namespace kestrel {

// ---------------------------------------------------------------------------------------------
// Image layout. Bytes no constant here names belong to the wheel and go back as they came.
constexpr std::size_t kNvmStampOffset = 0x004;
constexpr std::size_t kXboxBlockOffset = 0x100;
constexpr std::size_t kPs3BlockOffset = 0x200;
constexpr std::size_t kOutputBlockSize = 96;
constexpr std::size_t kSettingsBlockOffset = 0x300;
constexpr std::size_t kSettingsBlockSize = 24;

// Inside an output block: the signature, then one type byte and one s16 value per control.
constexpr std::size_t kOutputTypeOffset = 0x10;
constexpr std::size_t kOutputValueOffset = 0x30;

// Inside the settings block, all s32 after the signature.
constexpr std::size_t kSensitivityStartOffset = 0x04;
constexpr std::size_t kSensitivityEndOffset = 0x08;
constexpr std::size_t kRumbleLevelOffset = 0x0C;
constexpr std::size_t kPedalPressureOffset = 0x10;  // two copies, the second is the one shown

constexpr std::size_t outputBlockOffset(int console) {
    return console == kConsolePs3 ? kPs3BlockOffset : kXboxBlockOffset;
}

// Preset masks: which blocks of a preset image are copied.
constexpr int kPresetXboxBlock = 1;
constexpr int kPresetPs3Block = 2;
constexpr int kPresetSettingsBlock = 4;

// ---------------------------------------------------------------------------------------------
// Settings ranges
constexpr int kSensitivityMaximum = 32767;  // the full steering range
constexpr int kDialMaximumAngle = 90;
constexpr int kPedalMaximum = 256;
constexpr int kRumbleOff = 0;
constexpr int kRumbleMedium = 1;
constexpr int kRumbleHigh = 2;

// Where a destination's palette icon is drawn, in main-page coordinates, bounds inclusive.
// All four are -1 while the destination is unassigned.
struct LabelRectangle {
    int left = -1;
    int top = -1;
    int right = -1;
    int bottom = -1;

    bool isSet() const { return left != -1 || top != -1 || right != -1 || bottom != -1; }
    bool contains(int x, int y) const { return isSet() && left <= x && x <= right && top <= y && y <= bottom; }
    bool operator==(const LabelRectangle&) const = default;
};

// Per destination, a palette index or -1.
using Mapping = std::array<int, kDestinationCount>;

constexpr Mapping kUnassignedMapping = [] {
    Mapping mapping{};
    mapping.fill(-1);
    return mapping;
}();

// Gives an image that was never initialised (no image signature) the signature, flags 0 and
// `stamp`, and returns true; a signed image is left alone. Its blocks stay unsigned, so the
// model decodes defaults until the first save writes them.
bool initialiseBlankImage(NvmImage& image, std::uint32_t stamp);

// The rectangle of palette icon `palette` drawn beside destination `dest` on console `console`.
LabelRectangle labelRectangle(int console, int dest, int palette);

struct ConfigurationModel {
    int ConsoleMode = kConsoleXbox360;
    Mapping WorkingMapping = kUnassignedMapping;              // what the main page shows and edits
    std::array<Mapping, kConsoleCount> StoredMapping = {kUnassignedMapping, kUnassignedMapping};
    std::array<LabelRectangle, kDestinationCount> LabelRect{};

    int sensitivityStart = 0;
    int sensitivityEnd = kSensitivityMaximum;
    int rumbleLevel = kRumbleHigh;
    std::array<int, 2> pedalPressure = {kPedalMaximum, kPedalMaximum};

    // Both stored mappings and the working mapping unassigned, no labels, Xbox 360: the state
    // before any wheel has been read. Settings are left alone.
    void clearMappings();

    // Both stored mappings to the defaults; with `resetSettings` the settings too. Always ends by
    // showing the settings. The working mapping is not touched.
    void loadDefaultMappings(bool resetSettings, SettingsWidgets& widgets);

    void showSettings(SettingsWidgets& widgets) const;
    // The reverse of showSettings, before encoding. Rumble is not read: its radio callback sets it.
    void readSettings(const SettingsWidgets& widgets);

    // `fromWheel` is true right after a read from the wheel: the console mode follows the image
    // and the settings fall back to their defaults when the image has none. After a preset
    // (false) the console mode and any settings without a valid block stay as they were.
    void decodeImage(const NvmImage& image, SettingsWidgets& widgets, bool fromWheel);

    // Writes both output blocks, the settings block and the flags word from the stored mappings
    // (not the working mapping: commit it first to save the screen's edits).
    void encodeImage(NvmImage& image) const;

    void commitWorkingMapping();

    // Shows console `mode`'s stored mapping; with `saveWorking` the working mapping first goes
    // back into the set of the console being left (1 - mode), so unsaved edits survive a switch.
    void selectConsoleMapping(int mode, bool saveWorking);

    // Recomputes the label rectangle of `dest` for `palette` (-1 clears it). Callers set the
    // working mapping themselves.
    void assignPalette(int dest, int palette);

    // Copies the blocks `mask` selects from a preset image into `image`; a settings block also
    // sets the pedal pressures at once. Returns false, copying nothing, when the preset is
    // shorter than an image. The caller decodes (false) and asks for the write.
    bool applyPresetImage(NvmImage& image, std::span<const std::uint8_t> preset, int mask);
};

}  // namespace kestrel
