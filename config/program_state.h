#pragma once
// The program-wide flags and screen states. One instance of each lives for the whole run,
// created by the entry point and handed by reference to whoever reads or sets them.

namespace kestrel {

// What is shown and updated each frame.
enum ScreenStateValue : int {
    kScreenNoWheel = 0,
    kScreenSaving = 1,
    kScreenSavingAfterReset = 2,
    kScreenFirmwareUpdate = 3,
    kScreenConsoleSwitchSecondHalf = 4,  // new icons slide in
    kScreenConsoleSwitchFirstHalf = 5,   // old icons slide out
    kScreenSlideToMain = 6,
    kScreenSlideToSensitivity = 7,
    kScreenMainPage = 9,
    kScreenSensitivityPage = 10,
    kScreenPresetList = 12,
};

struct ScreenStates {
    int ScreenState = kScreenNoWheel;
    int ResumeState = kScreenMainPage;    // where a save, firmware update or preset list returns to
    int DetachedState = kScreenMainPage;  // where the screen returns when the wheel comes back
};

struct ProgramFlags {
    bool NewerAppAvailable = false;
    bool FirmwareOutOfDate = false;
    bool FirmwareUpdateRequested = false;
    bool ConfigWritePending = false;
    bool WheelConnected = false;
};

}  // namespace kestrel
