#include "wheel/firmware_update.h"

#include "assets/embedded.h"
#include "wheel/hotplug.h"

#include <cstring>
#include <string_view>
#include <thread>

namespace kestrel {

namespace {

constexpr std::string_view kSimulatedPathPrefix = "sim:";

// The path of the device hid_open would pick for the wheel's ids, or empty when none is listed.
std::string firstWheelPath() {
    hid_device_info* devices = hid_enumerate(kWheelVendorId, kWheelProductId);
    std::string path = devices != nullptr && devices->path != nullptr ? devices->path : "";
    hid_free_enumeration(devices);
    return path;
}

WheelDevice reopenWheel(const FirmwareUpdateOptions& options) {
    using namespace std::chrono;
    milliseconds waited{0};
    for (;;) {
        if (WheelDevice device = openWheel().device) return device;
        if (waited >= options.reopenTimeout) return nullptr;
        if (options.sleep) {
            options.sleep(options.reopenInterval);
        } else {
            std::this_thread::sleep_for(options.reopenInterval);
        }
        waited += options.reopenInterval;
    }
}

}  // namespace

std::span<const std::uint8_t> embeddedFirmware() { return assets::find("firmware.bin"); }

bool isStandInFirmware(std::span<const std::uint8_t> image) {
    const std::size_t length = std::strlen(kStandInFirmwareMarker);
    return image.size() >= length && std::memcmp(image.data(), kStandInFirmwareMarker, length) == 0;
}

bool isSimulatedDevicePath(const char* path) {
    return path != nullptr && std::string_view(path).starts_with(kSimulatedPathPrefix);
}

int WheelFirmwareUpdate(WheelLink& link, const FirmwareUpdateOptions& options) {
    Log& log = link.log;
    // Flashing an image the wheel does not expect leaves it unable to start, so the stand-in
    // is refused before anything, the pending mark included, reaches a real wheel.
    if (isStandInFirmware(options.image)) {
        const std::string path = firstWheelPath();
        if (!path.empty() && !isSimulatedDevicePath(path.c_str())) {
            log.write("WheelFirmwareUpdate : this build carries only a stand-in firmware image; not flashing %s "
                      "(build with -DKESTREL_FIRMWARE_IMAGE=<image> to update a real wheel)",
                      path.c_str());
            return 0;
        }
    }

    if (UWD(link, true) == 0) log.write("ERROR SETTING BIT!");
    log.write("Begin Wheel Firmware Update");

    OpenResult opened = openWheel();
    if (!opened.device) {
        log.write("Device open error");
        return 0;
    }
    const int flashed = write_flash(log, opened.device.get(), options.image);
    opened.device.reset();
    if (flashed != 0) {
        log.write("An error occurred writing the flash 8-(");
        return 0;
    }

    EnumerateHIDDevices(log);
    WheelDevice device = reopenWheel(options);
    if (!device) {
        log.write("Device re-open error");
        return 0;
    }
    log.write("POST UPGRADE - Device version number: %04X", static_cast<unsigned>(hid_get_version_number(device.get())));
    device.reset();
    log.write("Wheel Firmware Update - OK");

    if (UWD(link, false) == 0) log.write("ERROR CLEARING BIT!");
    return 1;
}

}  // namespace kestrel
