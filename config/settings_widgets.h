#pragma once
// The widgets that show and edit the wheel settings, as the configuration model sees them.
// The screens implement this over their dial, radio groups and slider, so the configuration
// code needs no UI and tests can hand in a fake.
//
// Every setter pushes a stored value into a widget the way the program shows device state:
// it must not run the widget's callback, so showing a setting never reads back as a user edit.

namespace kestrel {

enum class RumbleChoice { Off, Medium, High };

class SettingsWidgets {
public:
    virtual ~SettingsWidgets() = default;

    // The Sensitivity dial's two handle angles, in degrees.
    virtual void setSensitivityAngles(float lower, float upper) = 0;
    virtual float sensitivityLowerAngle() const = 0;
    virtual float sensitivityUpperAngle() const = 0;

    // Exactly one rumble radio on.
    virtual void selectRumble(RumbleChoice choice) = 0;

    // The pedal pressure slider. The slider places its own knob for the value (value over its
    // scale, truncated, capped at the track's end).
    virtual void setPedalValue(int value) = 0;
    virtual int pedalValue() const = 0;

    // The console radio on the main page: the Xbox 360 check for 0, the PS3 check for 1. The
    // change animates as a click would, but changes no mapping.
    virtual void showConsoleMode(int mode) = 0;
};

}  // namespace kestrel
