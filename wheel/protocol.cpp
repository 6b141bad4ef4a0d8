#include "wheel/protocol.h"

#include <algorithm>
#include <string>

namespace kestrel {

namespace {

void logTransportError(Log& log, const char* line, const std::wstring& error) {
    log.write("%s", line);
    log.write("Error: %ls", error.c_str());
}

bool writeDataReport(hid_device* device, std::span<const std::uint8_t> payload) {
    std::array<std::uint8_t, kReportSize> report{};
    std::copy(payload.begin(), payload.end(), report.begin() + 1);
    return writeReport(device, report);
}

}  // namespace

std::array<std::uint8_t, kReportSize> makeCommandReport(WheelCommand command) {
    std::array<std::uint8_t, kReportSize> report{};
    std::copy(kCommandSignature.begin(), kCommandSignature.end(), report.begin() + 1);
    report[6] = command;
    return report;
}

int ReadNVM(WheelLink& link, hid_device* device) {
    if (!writeReport(device, makeCommandReport(kCommandReadNvm))) {
        logTransportError(link.log, "READ NVM : Unable to write()", errorText(device));
        return -1;
    }
    NvmImage received = link.image;
    for (std::size_t k = 0; k < kNvmChunkCount; ++k) {
        const ReadResult result = readReport(device, received.chunk(k));
        if (result.status != ReadStatus::Ok) {
            const std::wstring error = result.status == ReadStatus::Failed ? errorText(device) : result.failureText;
            logTransportError(link.log, "READ NVM : Unable to read_NVM()", error);
            return -1;
        }
    }
    link.image = received;
    return 0;
}

int WriteNVM(WheelLink& link, hid_device* device) {
    if (!writeReport(device, makeCommandReport(kCommandWriteNvm))) {
        logTransportError(link.log, "WRITE NVM : Unable to write()", errorText(device));
        return -1;
    }
    for (std::size_t k = 0; k < kNvmChunkCount; ++k) {
        if (!writeDataReport(device, link.image.chunk(k))) {
            logTransportError(link.log, "WRITE NVM : Unable to write()", errorText(device));
            return -1;
        }
    }
    return 0;
}

int write_flash(Log& log, hid_device* device, std::span<const std::uint8_t> firmware, const ChunkProgress& afterChunk) {
    log.write("Write flash %d bytes", static_cast<int>(firmware.size()));
    // A partial last chunk would have to be padded with bytes the image does not contain;
    // refusing is safer than guessing what the wheel's loader expects.
    if (firmware.empty() || firmware.size() % kReportPayloadSize != 0) {
        log.write("write_flash : image of %zu bytes is not a whole number of %zu-byte chunks", firmware.size(),
                  kReportPayloadSize);
        return -1;
    }
    if (!writeReport(device, makeCommandReport(kCommandWriteFlash))) {
        logTransportError(log, "write_flash : Unable to write()", errorText(device));
        return -1;
    }
    const std::size_t chunkCount = firmware.size() / kReportPayloadSize;
    for (std::size_t k = 0; k < chunkCount; ++k) {
        if (!writeDataReport(device, firmware.subspan(k * kReportPayloadSize, kReportPayloadSize))) {
            logTransportError(log, "Write_flash : Unable to write()", errorText(device));
            return -1;
        }
        if (afterChunk) afterChunk(k + 1, chunkCount);
    }
    log.write("write_flash : %zu chunks sent", chunkCount);
    return 0;
}

int UWD(WheelLink& link, bool updatePending) {
    const std::uint32_t flags = link.image.readU32(kNvmFlagsOffset);
    link.image.writeU32(kNvmFlagsOffset, updatePending ? flags | kNvmUpdatePendingBit : flags & ~kNvmUpdatePendingBit);

    OpenResult opened = openWheel();
    if (!opened.device) {
        link.log.write("UWD : Device open error");
        return 0;
    }
    const int written = WriteNVM(link, opened.device.get());
    opened.device.reset();
    if (written != 0) {
        link.log.write("UWD : Device write error");
        return 0;
    }
    return 1;
}

}  // namespace kestrel
