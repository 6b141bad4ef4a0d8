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

using Phase = FirmwareProgress::Phase;

int milliseconds(std::chrono::milliseconds time) { return static_cast<int>(time.count()); }

// Waits and reports; every wait of the update goes through here.
class UpdatePacer {
public:
    UpdatePacer(const FirmwareUpdateOptions& options, std::size_t chunkCount)
        : options_(options), chunkCount_(chunkCount) {}

    void report(Phase phase, std::size_t chunksSent) const {
        if (options_.progress) options_.progress(FirmwareProgress{phase, chunksSent, chunkCount_});
    }
    void pause(Phase phase, std::chrono::milliseconds time) const {
        report(phase, chunkCount_);
        if (options_.sleep) {
            options_.sleep(time);
        } else {
            std::this_thread::sleep_for(time);
        }
    }

private:
    const FirmwareUpdateOptions& options_;
    std::size_t chunkCount_;
};

// The flashing handle is kept until its node has gone: a hid_open in the meantime could still
// reach the old node and talk to the old firmware. Watching that very handle also tells a new
// node apart from the old one when the kernel gives it the same number.
bool waitForOldNodeToGo(Log& log, hid_device* device, const std::string& path, const FirmwareUpdateOptions& options,
                        const UpdatePacer& pacer) {
    log.write("WheelFirmwareUpdate : waiting for the old device node %s to go", path.c_str());
    std::chrono::milliseconds waited{0};
    for (;;) {
        if (deviceGone(device)) {
            log.write("WheelFirmwareUpdate : old device node gone after %d ms", milliseconds(waited));
            return true;
        }
        if (waited >= options.oldNodeTimeout) {
            log.write("WheelFirmwareUpdate : old device node %s still there after %d ms", path.c_str(),
                      milliseconds(waited));
            return false;
        }
        pacer.pause(Phase::WaitingForOldNode, options.oldNodeInterval);
        waited += options.oldNodeInterval;
    }
}

WheelDevice reopenWheel(Log& log, const FirmwareUpdateOptions& options, const UpdatePacer& pacer) {
    log.write("WheelFirmwareUpdate : waiting for the wheel to come back");
    std::chrono::milliseconds waited{0};
    for (;;) {
        if (WheelDevice device = openWheel().device) {
            log.write("WheelFirmwareUpdate : wheel back after %d ms", milliseconds(waited));
            return device;
        }
        if (waited >= options.reopenTimeout) return nullptr;
        pacer.pause(Phase::WaitingForWheel, options.reopenInterval);
        waited += options.reopenInterval;
    }
}

std::string devicePath(hid_device* device) {
    const hid_device_info* info = hid_get_device_info(device);
    if (info != nullptr && info->path != nullptr) return info->path;
    return firstWheelPath();
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
    const std::size_t chunkCount = options.image.size() / kReportPayloadSize;
    const UpdatePacer pacer(options, chunkCount);
    const std::string oldPath = devicePath(opened.device.get());
    const int flashed = write_flash(log, opened.device.get(), options.image, [&](std::size_t sent, std::size_t) {
        pacer.report(Phase::Flashing, sent);
    });
    if (flashed != 0) {
        opened.device.reset();
        log.write("An error occurred writing the flash 8-(");
        return 0;
    }
    const bool oldNodeGone = waitForOldNodeToGo(log, opened.device.get(), oldPath, options, pacer);
    opened.device.reset();
    if (!oldNodeGone) {
        log.write("Device re-open error");
        return 0;
    }

    EnumerateHIDDevices(log);
    WheelDevice device = reopenWheel(log, options, pacer);
    if (!device) {
        log.write("Device re-open error");
        return 0;
    }
    log.write("POST UPGRADE - Device version number: %04X", static_cast<unsigned>(hid_get_version_number(device.get())));
    device.reset();
    log.write("Wheel Firmware Update - OK");

    pacer.report(Phase::Finishing, chunkCount);
    if (UWD(link, false) == 0) {
        // The wheel may still be settling after its restart; one more try costs half a second.
        log.write("WheelFirmwareUpdate : clearing the update-pending bit failed; trying once more in %d ms",
                  milliseconds(options.clearRetryPause));
        pacer.pause(Phase::Finishing, options.clearRetryPause);
        if (UWD(link, false) == 0) {
            log.write("ERROR CLEARING BIT!");
            return 1;
        }
    }
    log.write("WheelFirmwareUpdate : update-pending bit cleared");
    return 1;
}

}  // namespace kestrel
