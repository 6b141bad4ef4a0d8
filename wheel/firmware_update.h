#pragma once
// Rewriting the wheel's firmware with the image the program carries: mark the update pending
// in the configuration memory, send the image, wait for the old device node to go and the
// wheel to come back, log its new release number, then clear the mark.
//
//   embeddedFirmware()             the image compiled into the program ("firmware.bin")
//   isStandInFirmware(image)       true for the build's stand-in, which no real wheel may get
//   WheelFirmwareUpdate(link, options)   1 when the image was sent and the wheel came back
//
// The update holds the caller's thread for seconds; options.progress is called after every
// chunk and before every pause, so the caller can keep its window answering and show how far
// the update has got. Nothing the caller does there can cut the flash short.
#include "wheel/firmware_progress.h"
#include "wheel/protocol.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>

namespace kestrel {

constexpr std::size_t kFirmwareImageSize = 24672;
// Every stand-in image starts with this text (see wheel/firmware_image.cmake).
constexpr const char* kStandInFirmwareMarker = "KESTREL STAND-IN FIRMWARE";

std::span<const std::uint8_t> embeddedFirmware();
bool isStandInFirmware(std::span<const std::uint8_t> image);
// True for a device of the simulated bus, which is the only one a stand-in may be sent to.
bool isSimulatedDevicePath(const char* path);

struct FirmwareUpdateOptions {
    std::span<const std::uint8_t> image = embeddedFirmware();
    // Right after the transfer the old node may still open and answer as the old firmware
    // until the kernel sees the wheel leave; it is waited out for at most this long.
    std::chrono::milliseconds oldNodeTimeout{3000};
    std::chrono::milliseconds oldNodeInterval{50};
    // Then the wheel re-enumerates; it is polled for this long.
    std::chrono::milliseconds reopenTimeout{5000};
    std::chrono::milliseconds reopenInterval{100};
    // A failed clear of the pending mark is tried once more after this pause.
    std::chrono::milliseconds clearRetryPause{500};
    // How to wait between polls; a real sleep when empty.
    std::function<void(std::chrono::milliseconds)> sleep;
    // Called after every chunk sent and before every pause.
    std::function<void(const FirmwareProgress&)> progress;
};

int WheelFirmwareUpdate(WheelLink& link, const FirmwareUpdateOptions& options = {});

}  // namespace kestrel
