#include "cli/wheel_session.h"

#include <cerrno>
#include <ostream>

#include "wheel/hid_transport.h"
#include "wheel/hotplug.h"
#include "wheel/permission_hint.h"
#include "wheel/protocol.h"

namespace kestrel::cli {

namespace {

constexpr std::size_t kStringCapacity = 255;

using StringRead = int (*)(hid_device*, wchar_t*, std::size_t);

std::wstring readString(hid_device* device, StringRead read) {
    wchar_t text[kStringCapacity + 1] = {};
    if (read(device, text, kStringCapacity) < 0) return L"";
    text[kStringCapacity] = L'\0';
    return text;
}

enum class Presence { Present, Absent, Denied };

// hidraw lists nodes it cannot open, so a listed wheel refused with EACCES is a wheel whose
// node belongs to someone else: the udev rule is missing.
Presence presence(Log& log, const OpenResult& opened) {
    if (opened.device) return Presence::Present;
    if (opened.errorNumber == EACCES && EnumerateHIDDevices(log).wheelListed) return Presence::Denied;
    return Presence::Absent;
}

}  // namespace

// The window's hint, as the one line a terminal error gets: the rule, how to put it in force,
// and the replug that makes udev apply it to a wheel already plugged in.
std::string accessDeniedAdvice() {
    return std::string("wheel found, but access was denied: it needs the udev rule ") + kUdevRuleFile +
           (kUdevRuleInForce ? "" : " copied to /etc/udev/rules.d/") + " (" + kUdevRuleInstallCommand +
           "), then unplug and replug the wheel";
}

std::string CommandLog::linesSince(std::size_t first) const {
    std::string joined;
    for (std::size_t i = first; i < lines_.size(); ++i) {
        if (!joined.empty()) joined += "; ";
        joined += lines_[i];
    }
    return joined;
}

void CommandLog::writeLine(std::string_view line) {
    lines_.emplace_back(line);
    if (echo_ != nullptr) *echo_ << line << '\n';
}

WheelOutcome WheelSession::failure(std::size_t firstLine, const char* during) {
    WheelOutcome outcome;
    const std::string detail = log_.linesSince(firstLine);
    // A wheel that no longer opens was pulled out; one that does merely failed the exchange.
    const OpenResult probe = openWheel();
    if (!probe.device && probe.errorNumber != EACCES) {
        outcome.status = WheelStatus::NoWheel;
        outcome.message = std::string("the wheel was removed ") + during + " (" + detail + ")";
    } else {
        outcome.status = WheelStatus::Failed;
        outcome.message = std::string("the wheel did not answer ") + during + " (" + detail + ")";
    }
    return outcome;
}

WheelOutcome WheelSession::read() {
    OpenResult opened = openWheel();
    WheelOutcome outcome;
    switch (presence(log_, opened)) {
    case Presence::Present:
        break;
    case Presence::Denied:
        outcome.status = WheelStatus::AccessDenied;
        outcome.message = accessDeniedAdvice();
        return outcome;
    case Presence::Absent:
        log_.write("Unable to open device");
        outcome.status = WheelStatus::NoWheel;
        outcome.message = "no wheel connected";
        return outcome;
    }
    hid_device* device = opened.device.get();
    identity_.manufacturer = readString(device, hid_get_manufacturer_string);
    identity_.product = readString(device, hid_get_product_string);
    identity_.serial = readString(device, hid_get_serial_number_string);
    identity_.release = hid_get_version_number(device);
    log_.write("Device version number: %04X", static_cast<unsigned>(identity_.release));

    WheelLink link{log_, image_};
    const std::size_t readLines = log_.lineCount();
    const int read = ReadNVM(link, device);
    opened.device.reset();
    if (read != 0) return failure(readLines, "while its configuration was read");
    backups_.wheelRead(identity_.serial, image_);
    return outcome;
}

WheelOutcome WheelSession::write(const NvmImage& image) {
    WheelOutcome outcome;
    outcome.backup = backups_.beforeWrite();
    const std::size_t firstLine = log_.lineCount();
    NvmImage sent = image;
    WheelLink link{log_, sent};
    if (UWD(link, false) != 1) {
        const BackupOutcome backup = outcome.backup;
        outcome = failure(firstLine, "during the write");
        outcome.backup = backup;
        if (backup.stored) outcome.message += "; what it held before is in " + backup.path.string();
        return outcome;
    }
    backups_.written(sent);
    image_ = sent;
    return outcome;
}

}  // namespace kestrel::cli
