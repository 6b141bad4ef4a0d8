#include "wheel/hid_transport.h"

#include <algorithm>
#include <cerrno>

namespace kestrel {

void HidDeviceCloser::operator()(hid_device* device) const noexcept {
    if (device != nullptr) hid_close(device);
}

OpenResult openWheel() {
    errno = 0;
    hid_device* device = hid_open(kWheelVendorId, kWheelProductId, nullptr);
    // hidapi leaves the errno of the node's open() in place; it is how a missing udev rule
    // (EACCES) is told apart from an absent wheel.
    const int errorNumber = device == nullptr ? errno : 0;
    return OpenResult{WheelDevice(device), errorNumber};
}

bool writeReport(hid_device* device, std::span<const std::uint8_t, kReportSize> report) {
    return hid_write(device, report.data(), report.size()) >= 0;
}

ReadResult readReport(hid_device* device, std::span<std::uint8_t, kReportPayloadSize> payload, int timeoutMs) {
    // Room for a report id as well, in case a back end hands one up; hidraw never does for a
    // device without report ids, so the payload starts at byte 0.
    std::uint8_t buffer[kReportSize] = {};
    const int count = hid_read_timeout(device, buffer, sizeof buffer, timeoutMs);
    ReadResult result;
    result.count = count;
    if (count < 0) {
        result.status = ReadStatus::Failed;
        return result;
    }
    if (count == 0) {
        result.status = ReadStatus::TimedOut;
        result.failureText = L"no report from the wheel within " + std::to_wstring(timeoutMs) + L" ms";
        return result;
    }
    if (static_cast<std::size_t>(count) < kReportPayloadSize) {
        result.status = ReadStatus::Short;
        result.failureText = L"short report: " + std::to_wstring(count) + L" of " +
                             std::to_wstring(kReportPayloadSize) + L" bytes";
        return result;
    }
    std::copy(buffer, buffer + kReportPayloadSize, payload.begin());
    result.status = ReadStatus::Ok;
    return result;
}

bool deviceGone(hid_device* device) {
    std::uint8_t buffer[kReportSize] = {};
    return hid_read_timeout(device, buffer, sizeof buffer, 0) < 0;
}

std::wstring errorText(hid_device* device) {
    const wchar_t* text = hid_error(device);
    if (text == nullptr) return L"";
    std::wstring line(text);
    const auto lineBreak = line.find_first_of(L"\r\n");
    if (lineBreak != std::wstring::npos) line.resize(lineBreak);
    return line;
}

int hid_get_version_number(hid_device* device) {
    if (device == nullptr) return -1;
    const hid_device_info* info = hid_get_device_info(device);
    if (info == nullptr) return -1;
    return static_cast<int>(info->release_number);
}

}  // namespace kestrel
