#pragma once
// Finding the wheel, reading it when it arrives, and putting the screens back to the no-wheel
// state when it goes. A connection is a state of the program (WheelConnected), not an open
// handle: the wheel is opened and closed inside each exchange.
//
//   EnumerateHIDDevices(log)    logs every HID device; says whether the wheel was listed
//   InitHIDNotification(h, hge) asks the engine to deliver arrival and removal notices
//   DeviceChangeHook(h, ...)    the engine's state-100 hook: arrival or a changed node connects,
//                               removal removes
//   makeDeviceChangeHook(h)     the same, as the engine's MessageHook
//   TryToConnectWheel(h)        open, identify, read and decode the wheel; enable the panels
//   TryToRemoveWheel(h)         if the wheel no longer opens, show the no-wheel screen
#include "config/configuration.h"
#include "config/nvm_image.h"
#include "config/program_state.h"
#include "config/settings_widgets.h"
#include "engine/hge.h"
#include "engine/log.h"
#include "wheel/permission_hint.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kestrel {

// Wheels with firmware older than this are offered the update.
constexpr int kCurrentFirmwareRelease = 0x0118;

// What arrival and removal do to the screens; the screens implement it.
class WheelPanels {
public:
    virtual ~WheelPanels() = default;
    // Each passes (enabled, true) on to its widgets.
    virtual void setConsolePanelEnabled(bool enabled) = 0;
    virtual void setMainControlsPanelEnabled(bool enabled) = 0;
    virtual void setSensitivityPanelEnabled(bool enabled) = 0;
    // Lines for inside the no-wheel box (kPermissionHint); empty for none.
    virtual void setNoWheelHint(const std::string& text) = 0;
};

// A 32-bit number from the operating system's cryptographic source; nothing when it fails.
using RandomSource = std::optional<std::uint32_t> (*)();
std::optional<std::uint32_t> systemRandom();

// Everything hot-plug reads and writes, borrowed from the program for the whole run.
struct HotPlug {
    Log& log;
    NvmImage& image;
    ConfigurationModel& model;
    SettingsWidgets& settings;
    ProgramFlags& flags;
    ScreenStates& screens;
    WheelPanels& panels;
    RandomSource random = systemRandom;
    // Told of every successful read with the serial the wheel reported and the image exactly as
    // read (before a blank header is filled in): what the next write will replace.
    std::function<void(const std::wstring& serial, const NvmImage& image)> wheelRead = nullptr;
};

struct EnumerationSummary {
    int devices = 0;
    bool wheelListed = false;
    std::string wheelPath;  // of the first listed wheel
};

EnumerationSummary EnumerateHIDDevices(Log& log);
// The page (9 or 10) the screen shows once what DetachedState names is over: a save, a firmware
// update or the preset list goes back to ResumeState.
int pageReturnedTo(const ScreenStates& screens);
bool InitHIDNotification(HotPlug& hotPlug, HGE& hge);
bool DeviceChangeHook(HotPlug& hotPlug, WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                      std::intptr_t lParam);
MessageHook makeDeviceChangeHook(HotPlug& hotPlug);
void TryToConnectWheel(HotPlug& hotPlug);
void TryToRemoveWheel(HotPlug& hotPlug);

}  // namespace kestrel
