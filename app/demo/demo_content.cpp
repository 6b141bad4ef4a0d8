#include "app/demo/demo_content.h"

#include <cstdio>

#include "config/configuration.h"
#include "config/settings_widgets.h"

namespace kestrel::demo {

namespace {

// The model only needs somewhere to show settings while it encodes.
class SilentWidgets final : public SettingsWidgets {
public:
    void setSensitivityAngles(float, float) override {}
    float sensitivityLowerAngle() const override { return 0; }
    float sensitivityUpperAngle() const override { return 90; }
    void selectRumble(RumbleChoice) override {}
    void setPedalValue(int) override {}
    int pedalValue() const override { return 0; }
    void showConsoleMode(int) override {}
};

constexpr std::uint32_t kImageSignature = 0x12345678;

NvmImage encodedImage(const ConfigurationModel& model) {
    NvmImage image{};
    image.writeU32(0, kImageSignature);
    image.writeU32(4, 0x5EED0001);
    model.encodeImage(image);
    return image;
}

struct PresetDefinition {
    const char* slug;
    const char* name;
    const char* note;  // "~" breaks lines, as the document writes them
    int type;
    void (*shape)(ConfigurationModel& model);
};

void swapPaddles(ConfigurationModel& model) {
    for (Mapping& mapping : model.StoredMapping) std::swap(mapping[DEST_LEFT_PADDLE], mapping[DEST_RIGHT_PADDLE]);
}

void driftSetup(ConfigurationModel& model) {
    for (Mapping& mapping : model.StoredMapping) {
        mapping[DEST_LEFT_PADDLE] = PAL_X;   // handbrake
        mapping[DEST_RIGHT_PADDLE] = PAL_SenBoost;
    }
    model.sensitivityStart = 0;
    model.sensitivityEnd = 20000;
    model.rumbleLevel = kRumbleHigh;
}

void gentleSettings(ConfigurationModel& model) {
    model.sensitivityStart = 4000;
    model.sensitivityEnd = 32767;
    model.rumbleLevel = kRumbleOff;
    model.pedalPressure = {120, 120};
}

void rallySettings(ConfigurationModel& model) {
    model.sensitivityStart = 0;
    model.sensitivityEnd = 16000;
    model.rumbleLevel = kRumbleHigh;
    model.pedalPressure = {230, 230};
}

void pedalsOnTriggers(ConfigurationModel& model) {
    for (Mapping& mapping : model.StoredMapping) {
        mapping[DEST_LEFT_PEDAL] = PAL_LT;
        mapping[DEST_RIGHT_PEDAL] = PAL_RT;
        mapping[DEST_STICK_FORWARD] = PAL_B;
        mapping[DEST_STICK_BACK] = PAL_X;
    }
}

void noChange(ConfigurationModel&) {}

constexpr PresetDefinition kPresets[] = {
    {"classic", "Classic Racing", "Pedals on the triggers, gears on the stick.~Works in most racing games.", 3,
     pedalsOnTriggers},
    {"drift", "Drift Master", "Handbrake on the left paddle, steering boost on the right.~Tight steering, full rumble.",
     7, driftSetup},
    {"paddles", "Swapped Paddles", "Left and right paddles change places on both consoles.", 3, swapPaddles},
    {"gentle", "Gentle Steering", "Wide steering, no rumble, soft pedals.~Settings only: your mapping stays.", 4,
     gentleSettings},
    {"rally", "Rally Stage", "Quick steering, full rumble and firm pedals.~Settings only.", 4, rallySettings},
    {"ps3", "PS3 Arcade", "Arcade layout for the PS3 mode only.~The Xbox 360 mapping is left alone.", 2,
     pedalsOnTriggers},
    {"factory", "Factory Layout", "Everything back to how the wheel left the factory.", 7, noChange},
};

}  // namespace

NvmImage sampleWheelMemory() {
    SilentWidgets widgets;
    ConfigurationModel model;
    model.loadDefaultMappings(true, widgets);
    model.ConsoleMode = kConsoleXbox360;
    model.rumbleLevel = kRumbleMedium;
    model.pedalPressure = {200, 200};
    return encodedImage(model);
}

SampleSite sampleSite(const std::string& serverBase, bool newerVersion) {
    SampleSite site;
    site.settingsPath = "/kestrel/settings.xml";
    std::string document = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<settings>\n";
    document += newerVersion ? "  <version>102</version>\n" : "  <version>101</version>\n";
    document += "  <download>https://example.org/kestrel/download/</download>\n";
    document += "  <support>https://example.org/kestrel/support/</support>\n  <presets>\n";
    SilentWidgets widgets;
    for (const PresetDefinition& preset : kPresets) {
        ConfigurationModel model;
        model.loadDefaultMappings(true, widgets);
        preset.shape(model);
        const NvmImage image = encodedImage(model);
        SamplePresetFile file;
        file.path = std::string("/kestrel/presets/") + preset.slug + ".bin";
        file.bytes.assign(image.bytes.begin(), image.bytes.end());
        document += "    <preset>\n      <name>" + std::string(preset.name) + "</name>\n      <note>" + preset.note +
                    "</note>\n      <type>" + std::to_string(preset.type) + "</type>\n      <file>" + serverBase +
                    file.path + "</file>\n    </preset>\n";
        site.presets.push_back(std::move(file));
    }
    document += "  </presets>\n</settings>\n";
    site.settingsDocument = std::move(document);
    return site;
}

}  // namespace kestrel::demo
