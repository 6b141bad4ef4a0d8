#include "wheel/hotplug.h"

#include "wheel/hid_transport.h"
#include "wheel/protocol.h"

#include <cerrno>
#include <sys/random.h>

namespace kestrel {

namespace {

constexpr std::size_t kStringBufferSize = 256;
constexpr std::size_t kStringReadCapacity = 255;

using StringRead = int (*)(hid_device*, wchar_t*, std::size_t);

// Returns false when the read failed; the buffer then holds whatever it was cleared to.
bool readString(hid_device* device, StringRead read, wchar_t (&buffer)[kStringBufferSize]) {
    buffer[0] = L'\0';
    const bool ok = read(device, buffer, kStringReadCapacity) >= 0;
    buffer[kStringBufferSize - 1] = L'\0';
    return ok;
}

void setPanelsEnabled(WheelPanels& panels, bool console, bool others) {
    panels.setConsolePanelEnabled(console);
    panels.setMainControlsPanelEnabled(others);
    panels.setSensitivityPanelEnabled(others);
}

bool wheelListed() {
    hid_device_info* wheels = hid_enumerate(kWheelVendorId, kWheelProductId);
    const bool listed = wheels != nullptr;
    hid_free_enumeration(wheels);
    return listed;
}

// A wheel that refused to open never connected, so its removal reaches no TryToRemoveWheel;
// its hint must still go with it.
void forgetRefusedWheel(HotPlug& hotPlug) {
    if (!wheelListed()) hotPlug.panels.setNoWheelHint("");
}

}  // namespace

std::optional<std::uint32_t> systemRandom() {
    std::uint32_t value = 0;
    if (getrandom(&value, sizeof value, 0) != static_cast<ssize_t>(sizeof value)) return std::nullopt;
    return value;
}

EnumerationSummary EnumerateHIDDevices(Log& log) {
    hid_device_info* devices = hid_enumerate(0, 0);
    log.write("Enumerate HID Devices...");
    EnumerationSummary summary;
    for (const hid_device_info* device = devices; device != nullptr; device = device->next) {
        const char* path = device->path != nullptr ? device->path : "";
        log.write("Device Found...\n  Vid: %04hx Pid: %04hx\n  Path: %s", device->vendor_id, device->product_id, path);
        log.write("  Version : %04hx", device->release_number);
        ++summary.devices;
        if (!summary.wheelListed && device->vendor_id == kWheelVendorId && device->product_id == kWheelProductId) {
            summary.wheelListed = true;
            summary.wheelPath = path;
        }
    }
    hid_free_enumeration(devices);
    return summary;
}

bool InitHIDNotification(HotPlug& hotPlug, HGE& hge) {
    const auto window = reinterpret_cast<std::uintptr_t>(hge.System_GetWindowState(kStateWindow));
    hotPlug.log.write("InitHIDNotification : %08X", static_cast<unsigned>(window));
    if (hge.System_RegisterDeviceNotification()) {
        hotPlug.log.write("Notification success");
        return true;
    }
    hotPlug.log.write("Notification failure");
    return false;
}

int pageReturnedTo(const ScreenStates& screens) {
    switch (screens.DetachedState) {
    case kScreenSaving:
    case kScreenSavingAfterReset:
    case kScreenFirmwareUpdate:
    case kScreenPresetList:
        return screens.ResumeState;
    case kScreenSlideToSensitivity:
        return kScreenSensitivityPage;
    case kScreenSlideToMain:
    case kScreenConsoleSwitchFirstHalf:
    case kScreenConsoleSwitchSecondHalf:
        return kScreenMainPage;
    default:
        return screens.DetachedState;
    }
}

bool DeviceChangeHook(HotPlug& hotPlug, WindowHandle, std::uint32_t, std::uintptr_t wParam, std::intptr_t) {
    const bool connected = hotPlug.flags.WheelConnected;
    // A changed node is udev applying its rules again, which may be the rule the wheel needed.
    if ((wParam == kDeviceArrival || wParam == kDeviceNodesChanged) && !connected) {
        TryToConnectWheel(hotPlug);
    } else if (wParam == kDeviceRemoveComplete && connected) {
        TryToRemoveWheel(hotPlug);
    } else if (wParam == kDeviceRemoveComplete) {
        forgetRefusedWheel(hotPlug);
    }
    return true;
}

MessageHook makeDeviceChangeHook(HotPlug& hotPlug) {
    return [&hotPlug](WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
        return DeviceChangeHook(hotPlug, window, message, wParam, lParam);
    };
}

void TryToConnectWheel(HotPlug& hotPlug) {
    Log& log = hotPlug.log;
    log.write("Try To Connect Wheel...");
    const EnumerationSummary listed = EnumerateHIDDevices(log);

    OpenResult opened = openWheel();
    if (!opened.device) {
        log.write("Unable to open device");
        // hidraw lists nodes it cannot open, so a listed wheel refused with EACCES is a wheel
        // whose node belongs to root: the udev rule is missing.
        if (listed.wheelListed && opened.errorNumber == EACCES) {
            log.write("TryToConnectWheel : permission denied on %s; the udev rule %s must be in force: %s; then "
                      "unplug and replug the wheel (the program retries by itself when udev applies the rule)",
                      listed.wheelPath.c_str(), kUdevRuleFile, kUdevRuleInstallCommand);
            hotPlug.panels.setNoWheelHint(kPermissionHint);
        } else {
            hotPlug.panels.setNoWheelHint("");
        }
        return;
    }
    hotPlug.panels.setNoWheelHint("");
    hid_device* device = opened.device.get();

    wchar_t text[kStringBufferSize];
    bool ok = readString(device, hid_get_manufacturer_string, text);
    log.write("Manufacturer String: %ls", text);
    if (!ok) log.write("String read error");
    ok = readString(device, hid_get_product_string, text);
    log.write("Product String: %ls", text);
    if (!ok) log.write("String read error");
    ok = readString(device, hid_get_serial_number_string, text);
    log.write("Serial Number String: (%d) %ls", static_cast<int>(text[0]), text);
    if (!ok) log.write("String read error");
    const std::wstring serial = ok ? text : L"";

    const int release = hid_get_version_number(device);
    log.write("Device version number: %04X", static_cast<unsigned>(release));

    hid_set_nonblocking(device, 0);

    WheelLink link{log, hotPlug.image};
    if (ReadNVM(link, device) != 0) return;
    if (hotPlug.wheelRead) hotPlug.wheelRead(serial, hotPlug.image);

    if (hotPlug.image.readU32(0) != kNvmSignature) {
        initialiseBlankImage(hotPlug.image, hotPlug.random().value_or(0));
    }
    hotPlug.model.decodeImage(hotPlug.image, hotPlug.settings, true);

    log.write("Device Inserted OK");
    ScreenStates& screens = hotPlug.screens;
    screens.ScreenState = screens.DetachedState;
    // The console choice belongs to the main page, also when a save, an update or the preset
    // list stands over the page for now.
    if (pageReturnedTo(screens) != kScreenSensitivityPage) hotPlug.panels.setConsolePanelEnabled(true);
    hotPlug.panels.setMainControlsPanelEnabled(true);
    hotPlug.panels.setSensitivityPanelEnabled(true);
    hotPlug.flags.WheelConnected = true;

    if (release < kCurrentFirmwareRelease) hotPlug.flags.FirmwareOutOfDate = true;
}

void TryToRemoveWheel(HotPlug& hotPlug) {
    hotPlug.log.write("TryToRemoveWheel...");
    EnumerateHIDDevices(hotPlug.log);
    if (openWheel().device) return;  // some other device left; the wheel is still here

    hotPlug.log.write("Device Removed OK");
    hotPlug.screens.DetachedState = hotPlug.screens.ScreenState;
    hotPlug.screens.ScreenState = kScreenNoWheel;
    setPanelsEnabled(hotPlug.panels, false, false);
    hotPlug.flags.WheelConnected = false;
}

}  // namespace kestrel
