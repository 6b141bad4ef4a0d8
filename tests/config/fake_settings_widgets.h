#pragma once
// Stands in for the screens' dial, rumble radios, pedal slider and console radio, and keeps
// what was pushed into them.
#include <vector>

#include "config/settings_widgets.h"

namespace kestrel::testing {

class FakeSettingsWidgets final : public SettingsWidgets {
public:
    void setSensitivityAngles(float lower, float upper) override {
        lowerAngle = lower;
        upperAngle = upper;
        ++settingsShown;
    }
    float sensitivityLowerAngle() const override { return lowerAngle; }
    float sensitivityUpperAngle() const override { return upperAngle; }
    void selectRumble(RumbleChoice choice) override { rumble = choice; }
    void setPedalValue(int value) override { pedal = value; }
    int pedalValue() const override { return pedal; }
    void showConsoleMode(int mode) override { consoleShown.push_back(mode); }

    float lowerAngle = -1;
    float upperAngle = -1;
    RumbleChoice rumble = RumbleChoice::Off;
    int pedal = -1;
    int settingsShown = 0;
    std::vector<int> consoleShown;
};

}  // namespace kestrel::testing
