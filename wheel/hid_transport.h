#pragma once
// The wheel's USB HID transport: a thin layer over hidapi that owns the device handle, reads
// with a time limit and says why a read failed, and adds the release-number query.
//
//   openWheel()               open the wheel by its ids (null when absent or not openable)
//   writeReport(), readReport()   one 33-byte output report, one input report
//   deviceGone()              whether the device behind an open handle has left the bus
//   errorText()               the transport's last error text for the "Error: %ls" line
//   hid_get_version_number()  the USB release number of the open device, or -1
//
// The back end is chosen at link time: kestrel_hid_hidraw for the real program, the simulated
// wheel (kestrel_wheel_sim) for tests and the demo. Both implement the same hidapi calls.
#include <hidapi/hidapi.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace kestrel {

constexpr unsigned short kWheelVendorId = 0x1C1A;
constexpr unsigned short kWheelProductId = 0x0200;

// Byte 0 is the report id; the wheel uses none, so it is always 0 and the payload is 32 bytes.
constexpr std::size_t kReportSize = 33;
constexpr std::size_t kReportPayloadSize = 32;

// A real wheel streams its 32 configuration reports within a few milliseconds; a second per
// report is generous and still keeps a silent device from freezing the program.
constexpr int kReadTimeoutMs = 1000;

struct HidDeviceCloser {
    void operator()(hid_device* device) const noexcept;
};
using WheelDevice = std::unique_ptr<hid_device, HidDeviceCloser>;

struct OpenResult {
    WheelDevice device;
    int errorNumber = 0;  // errno of the failed open, 0 when it opened
};

// Opens the first enumerated device with the wheel's ids, with no serial number filter.
OpenResult openWheel();

// Writes one report of kReportSize bytes. Returns false on failure; errorText() then says why.
bool writeReport(hid_device* device, std::span<const std::uint8_t, kReportSize> report);

enum class ReadStatus { Ok, TimedOut, Short, Failed };

struct ReadResult {
    ReadStatus status = ReadStatus::Failed;
    int count = 0;             // bytes the transport returned
    std::wstring failureText;  // for TimedOut and Short: what the "Error: %ls" line says
};

// Reads one input report into `payload`; anything shorter than the whole payload is a failure,
// so stale buffer bytes are never taken for data.
ReadResult readReport(hid_device* device, std::span<std::uint8_t, kReportPayloadSize> payload,
                      int timeoutMs = kReadTimeoutMs);

// True once the device behind this handle has left: hidraw fails every read of a node whose
// device is gone, while a live node merely has nothing to read. Never waits; a report that
// happens to be waiting is read and dropped.
bool deviceGone(hid_device* device);

// The transport's last error text, cut at the first line break; never null.
std::wstring errorText(hid_device* device);

// The USB device release number of the open device (0..0xFFFF), or -1 when the device cannot
// say. Leaves the error text alone.
int hid_get_version_number(hid_device* device);

}  // namespace kestrel
