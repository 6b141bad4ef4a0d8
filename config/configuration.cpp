#include "config/configuration.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kestrel {

namespace {

bool isPalette(int palette) { return palette >= 0 && palette < kPaletteCount; }
bool isDestination(int dest) { return dest >= 0 && dest < kDestinationCount; }
int consoleIndex(int mode) { return mode == kConsolePs3 ? kConsolePs3 : kConsoleXbox360; }

// A widget may hand back any float; saturate rather than let an out-of-range conversion
// produce whatever the hardware makes of it.
int saturatingTrunc(double value) {
    if (std::isnan(value)) return 0;
    value = std::trunc(value);
    if (value <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    if (value >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

int angleFromSetting(int setting) { return saturatingTrunc(setting / 32767.0 * kDialMaximumAngle); }
// The smallest setting the dial shows at this angle. Truncating here as well would store a
// value that reads back one degree lower, so every save would turn the dial down by a degree.
int settingFromAngle(float angle) { return saturatingTrunc(std::ceil(std::trunc(angle) / 90.0 * 32767)); }

void decodeOutputBlock(const NvmImage& image, int console, Mapping& mapping) {
    const std::size_t block = outputBlockOffset(console);
    if (image.readU32(block) != kNvmSignature) return;
    for (int p = kFirstEditableControl; p < kPhysicalControlCount; ++p) {
        const int type = image.bytes[block + kOutputTypeOffset + p];
        const int value = image.readS16(block + kOutputValueOffset + 2 * p);
        mapping[kSlotToDest[p]] = type == 0 ? -1 : decodeOutput(console, type, value);
    }
}

void encodeOutputBlock(NvmImage& image, int console, const Mapping& mapping) {
    const std::size_t block = outputBlockOffset(console);
    image.writeU32(block, kNvmSignature);
    auto writePair = [&](int p, int type, int value) {
        image.bytes[block + kOutputTypeOffset + p] = static_cast<std::uint8_t>(type);
        image.writeS16(block + kOutputValueOffset + 2 * p, static_cast<std::int16_t>(value));
    };
    for (int p = 0; p < kFirstEditableControl; ++p) writePair(p, kFixedOutput[p].type, kFixedOutput[p].value);
    for (int p = kFirstEditableControl; p < kPhysicalControlCount; ++p) {
        const int palette = mapping[kSlotToDest[p]];
        if (!isPalette(palette)) {
            writePair(p, 0, 0);
            continue;
        }
        // The pedals are analogue on the wheel: their level comes from the pedal, never from
        // the stored value.
        const bool pedal = p == PHY_LPEDDLE || p == PHY_RPEDDLE;
        writePair(p, kPaletteOutputType[palette], pedal ? 0 : paletteValue(console, palette));
    }
}

}  // namespace

bool initialiseBlankImage(NvmImage& image, std::uint32_t stamp) {
    if (image.readU32(0) == kNvmSignature) return false;
    image.writeU32(0, kNvmSignature);
    image.writeU32(kNvmStampOffset, stamp);
    image.writeU32(kNvmFlagsOffset, 0);
    return true;
}

LabelRectangle labelRectangle(int console, int dest, int palette) {
    if (!isDestination(dest) || !isPalette(palette)) return {};
    const DestHotspot& hotspot = kDestHotspot[dest];
    const IconSize icon = iconSpriteSize(kPaletteSprite[consoleIndex(console)][palette]);
    const int lx = hotspot.labelX;
    const int ly = hotspot.labelY;
    // The offsets keep the icon clear of the arrow drawn between it and the control: the
    // arrow's length less 2 px of overlap, and its half height rounded down plus one.
    int left = 0;
    int top = 0;
    switch (hotspot.side) {
        case kLabelRight:
            left = lx + 18;
            top = ly - 13;
            break;
        case kLabelLeft:
            left = lx - icon.width - 18;
            top = ly - 14;
            break;
        case kLabelBelow:
            left = lx - icon.width / 2;
            top = ly + 18;
            break;
        default:  // kLabelAbove
            left = lx - icon.width / 2;
            top = ly - icon.height - 18;
            break;
    }
    return {left, top, left + icon.width, top + icon.height};
}

void ConfigurationModel::clearMappings() {
    ConsoleMode = kConsoleXbox360;
    StoredMapping = {kUnassignedMapping, kUnassignedMapping};
    WorkingMapping = StoredMapping[kConsoleXbox360];
    LabelRect.fill(LabelRectangle{});
}

void ConfigurationModel::loadDefaultMappings(bool resetSettings, SettingsWidgets& widgets) {
    StoredMapping[kConsoleXbox360] = kDefaultXboxMapping;
    StoredMapping[kConsolePs3] = kDefaultPs3Mapping;
    if (resetSettings) {
        rumbleLevel = kRumbleHigh;
        sensitivityStart = 0;
        sensitivityEnd = kSensitivityMaximum;
        pedalPressure = {kPedalMaximum, kPedalMaximum};
    }
    showSettings(widgets);
}

void ConfigurationModel::showSettings(SettingsWidgets& widgets) const {
    // Only the outer ends are clamped: a lower handle past 90 or an upper one below 0 is shown
    // as stored, and the dial's own limits take over once the user drags it.
    const int lower = std::max(angleFromSetting(sensitivityStart), 0);
    const int upper = std::min(angleFromSetting(sensitivityEnd), kDialMaximumAngle);
    widgets.setSensitivityAngles(static_cast<float>(lower), static_cast<float>(upper));

    RumbleChoice rumble = RumbleChoice::High;
    if (rumbleLevel == kRumbleOff) rumble = RumbleChoice::Off;
    if (rumbleLevel == kRumbleMedium) rumble = RumbleChoice::Medium;
    widgets.selectRumble(rumble);

    widgets.setPedalValue(std::min(pedalPressure[1], kPedalMaximum));
}

void ConfigurationModel::readSettings(const SettingsWidgets& widgets) {
    sensitivityStart = settingFromAngle(widgets.sensitivityLowerAngle());
    sensitivityEnd = settingFromAngle(widgets.sensitivityUpperAngle());
    const int pedal = widgets.pedalValue();
    pedalPressure = {pedal, pedal};
}

void ConfigurationModel::decodeImage(const NvmImage& image, SettingsWidgets& widgets, bool fromWheel) {
    if (fromWheel) {
        const int mode = static_cast<int>(image.readU32(kNvmFlagsOffset) & 1u);
        if (mode != ConsoleMode) {
            ConsoleMode = mode;
            widgets.showConsoleMode(mode);
        }
    }

    loadDefaultMappings(fromWheel, widgets);

    if (image.readU32(kSettingsBlockOffset) == kNvmSignature) {
        sensitivityStart = image.readS32(kSettingsBlockOffset + kSensitivityStartOffset);
        sensitivityEnd = image.readS32(kSettingsBlockOffset + kSensitivityEndOffset);
        rumbleLevel = image.readS32(kSettingsBlockOffset + kRumbleLevelOffset);
        pedalPressure[0] = image.readS32(kSettingsBlockOffset + kPedalPressureOffset);
        pedalPressure[1] = image.readS32(kSettingsBlockOffset + kPedalPressureOffset + 4);
        showSettings(widgets);
    }

    decodeOutputBlock(image, kConsoleXbox360, StoredMapping[kConsoleXbox360]);
    decodeOutputBlock(image, kConsolePs3, StoredMapping[kConsolePs3]);

    selectConsoleMapping(ConsoleMode, false);
}

void ConfigurationModel::encodeImage(NvmImage& image) const {
    encodeOutputBlock(image, kConsoleXbox360, StoredMapping[kConsoleXbox360]);
    encodeOutputBlock(image, kConsolePs3, StoredMapping[kConsolePs3]);

    image.writeU32(kSettingsBlockOffset, kNvmSignature);
    image.writeS32(kSettingsBlockOffset + kSensitivityStartOffset, sensitivityStart);
    image.writeS32(kSettingsBlockOffset + kSensitivityEndOffset, sensitivityEnd);
    image.writeS32(kSettingsBlockOffset + kRumbleLevelOffset, rumbleLevel);
    image.writeS32(kSettingsBlockOffset + kPedalPressureOffset, pedalPressure[0]);
    image.writeS32(kSettingsBlockOffset + kPedalPressureOffset + 4, pedalPressure[1]);

    // The whole word, so the update-pending bit is left to the write itself.
    image.writeU32(kNvmFlagsOffset, static_cast<std::uint32_t>(consoleIndex(ConsoleMode)));
}

void ConfigurationModel::commitWorkingMapping() { StoredMapping[consoleIndex(ConsoleMode)] = WorkingMapping; }

void ConfigurationModel::selectConsoleMapping(int mode, bool saveWorking) {
    const int console = consoleIndex(mode);
    if (saveWorking) StoredMapping[1 - console] = WorkingMapping;
    WorkingMapping = StoredMapping[console];
    for (int d = 0; d < kDestinationCount; ++d) assignPalette(d, WorkingMapping[d]);
}

void ConfigurationModel::assignPalette(int dest, int palette) {
    if (!isDestination(dest)) return;
    LabelRect[dest] = labelRectangle(ConsoleMode, dest, palette);
}

bool ConfigurationModel::applyPresetImage(NvmImage& image, std::span<const std::uint8_t> preset, int mask) {
    if (preset.size() < kNvmSize) return false;
    auto copyBlock = [&](std::size_t offset, std::size_t size) {
        std::copy_n(preset.begin() + static_cast<std::ptrdiff_t>(offset), size, image.bytes.begin() + offset);
    };
    if (mask & kPresetXboxBlock) copyBlock(kXboxBlockOffset, kOutputBlockSize);
    if (mask & kPresetPs3Block) copyBlock(kPs3BlockOffset, kOutputBlockSize);
    if (mask & kPresetSettingsBlock) {
        copyBlock(kSettingsBlockOffset, kSettingsBlockSize);
        // Only a signed block is trusted: the decoder ignores an unsigned one, and taking its
        // pedal words here would carry stray numbers into the wheel with the next save.
        if (image.readU32(kSettingsBlockOffset) == kNvmSignature) {
            pedalPressure[0] = image.readS32(kSettingsBlockOffset + kPedalPressureOffset);
            pedalPressure[1] = image.readS32(kSettingsBlockOffset + kPedalPressureOffset + 4);
        }
    }
    return true;
}

}  // namespace kestrel
