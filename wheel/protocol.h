#pragma once
// The wheel's command protocol: one command report ("VORAN" and a code), then a fixed run of
// 32-byte data reports in one direction. Writes are never acknowledged and nothing is retried.
//
//   ReadNVM(link, device)              0 / -1; the whole configuration memory into link.image
//   WriteNVM(link, device)             0 / -1; link.image to the wheel
//   write_flash(log, device, image, afterChunk)   0 / -1; a firmware image to the wheel, calling
//                                      afterChunk(sent, total) after each data report
//   UWD(link, updatePending)           1 / 0;  sets or clears the update-pending bit, then opens,
//                                      writes and closes the wheel
// Every failure is logged as the operation, a colon and the problem, then "Error: %ls".
#include "config/nvm_image.h"
#include "engine/log.h"
#include "wheel/hid_transport.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>

namespace kestrel {

enum WheelCommand : std::uint8_t {
    kCommandReadNvm = 0x01,
    kCommandWriteNvm = 0x02,
    kCommandWriteFlash = 0xFF,
};

constexpr std::array<std::uint8_t, 5> kCommandSignature = {'V', 'O', 'R', 'A', 'N'};

// The report the wheel recognises as a command: report id 0, the signature, the code, and
// zeros after it so nothing uninitialised ever goes on the wire.
std::array<std::uint8_t, kReportSize> makeCommandReport(WheelCommand command);

// What the wheel link works on; everything is borrowed.
struct WheelLink {
    Log& log;
    NvmImage& image;
};

// The image is replaced only once all 32 reports have arrived, so a read cut short never leaves
// a mixture of two wheels' memories that a later write could send back.
int ReadNVM(WheelLink& link, hid_device* device);
int WriteNVM(WheelLink& link, hid_device* device);
using ChunkProgress = std::function<void(std::size_t chunksSent, std::size_t chunkCount)>;
int write_flash(Log& log, hid_device* device, std::span<const std::uint8_t> firmware,
                const ChunkProgress& afterChunk = {});
int UWD(WheelLink& link, bool updatePending);

}  // namespace kestrel
