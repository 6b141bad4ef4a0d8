#pragma once
// A fresh program world around the simulated wheel, for the hot-plug and firmware tests.
#include "config/configuration.h"
#include "config/program_state.h"
#include "engine/log.h"
#include "wheel/hotplug.h"
#include "wheel/sim/sim_wheel.h"

#include <optional>
#include <string>

namespace kestrel::testing {

class FakeSettings final : public SettingsWidgets {
public:
    void setSensitivityAngles(float lower, float upper) override { lower_ = lower, upper_ = upper; }
    float sensitivityLowerAngle() const override { return lower_; }
    float sensitivityUpperAngle() const override { return upper_; }
    void selectRumble(RumbleChoice choice) override { rumble = choice; }
    void setPedalValue(int value) override { pedal_ = value; }
    int pedalValue() const override { return pedal_; }
    void showConsoleMode(int mode) override { consoleShown = mode; }

    RumbleChoice rumble = RumbleChoice::High;
    int consoleShown = -1;

private:
    float lower_ = 0, upper_ = 90;
    int pedal_ = 256;
};

class FakePanels final : public WheelPanels {
public:
    void setConsolePanelEnabled(bool enabled) override { console = enabled; }
    void setMainControlsPanelEnabled(bool enabled) override { mainControls = enabled; }
    void setSensitivityPanelEnabled(bool enabled) override { sensitivity = enabled; }
    void setNoWheelHint(const std::string& text) override { hint = text; }

    std::optional<bool> console, mainControls, sensitivity;
    std::string hint;
};

inline std::optional<std::uint32_t> fixedStamp() { return 0xCAFEF00Du; }
inline std::optional<std::uint32_t> failingRandom() { return std::nullopt; }

struct WheelWorld {
    sim::SimWheel wheel;
    RecordingLog log;
    NvmImage image{};
    ConfigurationModel model;
    FakeSettings settings;
    ProgramFlags flags;
    ScreenStates screens;
    FakePanels panels;
    HotPlug hotPlug{log, image, model, settings, flags, screens, panels, fixedStamp};
};

}  // namespace kestrel::testing
