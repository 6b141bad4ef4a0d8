// The simulated wheel and the hidapi calls that reach it. All of it sits in this one object
// file: any program that names SimWheel pulls in the hid_* definitions with it, whatever order
// the libraries are linked in.
#include "wheel/sim/sim_wheel.h"

#include <hidapi/hidapi.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>

struct hid_device_ {
    std::string path;
    bool isWheel = false;
    long nodeGeneration = 0;
    bool blocking = true;
    std::wstring error;
    hid_device_info info{};
};

namespace kestrel::sim {

namespace {

SimWheel* gCurrent = nullptr;
std::wstring gGlobalError;

constexpr std::size_t kPayload = 32;
constexpr std::size_t kReport = 33;
constexpr std::size_t kFlashChunks = kSimFlashSize / kPayload;

std::wstring widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

bool matches(unsigned short wantVendor, unsigned short wantProduct, unsigned short vendor, unsigned short product) {
    return (wantVendor == 0 || wantVendor == vendor) && (wantProduct == 0 || wantProduct == product);
}

}  // namespace

struct SimWheel::Internals {
    static bool wheelReachable(const hid_device* device) {
        return device->isWheel && gCurrent != nullptr && gCurrent->present_ && device->path == gCurrent->path_ &&
               device->nodeGeneration == gCurrent->nodeGeneration_;
    }

    static hid_device_info* enumerate(unsigned short vendorId, unsigned short productId) {
        hid_device_info* head = nullptr;
        hid_device_info** tail = &head;
        auto append = [&](const std::string& path, unsigned short vendor, unsigned short product,
                          unsigned short release) {
            if (!matches(vendorId, productId, vendor, product)) return;
            auto* record = new hid_device_info{};
            record->path = strdup(path.c_str());
            record->vendor_id = vendor;
            record->product_id = product;
            record->release_number = release;
            record->serial_number = wcsdup(L"");
            record->manufacturer_string = wcsdup(L"");
            record->product_string = wcsdup(L"");
            record->bus_type = HID_API_BUS_USB;
            *tail = record;
            tail = &record->next;
        };
        if (gCurrent == nullptr) return nullptr;
        if (gCurrent->present_) {
            append(gCurrent->path_, gCurrent->vendorId_, gCurrent->productId_,
                   static_cast<unsigned short>(std::max(gCurrent->release_, 0)));
        }
        for (const SimDevice& other : gCurrent->others_) {
            append(other.path, other.vendorId, other.productId, other.releaseNumber);
        }
        return head;
    }

    static hid_device* open(const char* path, unsigned short vendorId, unsigned short productId, bool byPath) {
        SimWheel* wheel = gCurrent;
        if (wheel == nullptr) {
            gGlobalError = L"No HID devices on the simulated bus";
            errno = ENOENT;
            return nullptr;
        }
        ++wheel->opens_;
        const bool wheelMatches = wheel->present_ && (byPath ? wheel->path_ == path
                                                             : matches(vendorId, productId, wheel->vendorId_,
                                                                       wheel->productId_));
        if (wheelMatches) {
            if (wheel->failOpens_.erase(wheel->opens_) > 0) {
                gGlobalError = L"Simulated open failure";
                errno = EIO;
                return nullptr;
            }
            if (wheel->denyOpenErrno_ != 0) {
                gGlobalError = L"Failed to open a device with path '" + widen(wheel->path_) + L"': " +
                               widen(std::strerror(wheel->denyOpenErrno_));
                errno = wheel->denyOpenErrno_;
                return nullptr;
            }
            if (wheel->opensToMiss_ > 0) {
                --wheel->opensToMiss_;
                gGlobalError = L"No HID device with the requested ids";
                errno = ENOENT;
                return nullptr;
            }
            auto* device = new hid_device_{};
            device->path = wheel->path_;
            device->isWheel = true;
            device->nodeGeneration = wheel->nodeGeneration_;
            wheel->mode_ = Mode::Idle;
            wheel->pendingInput_.clear();
            ++wheel->openHandles_;
            wheel->transcript_.push_back({SimEventKind::Open, device->path, {}});
            return device;
        }
        for (const SimDevice& other : wheel->others_) {
            if (byPath ? other.path == path : matches(vendorId, productId, other.vendorId, other.productId)) {
                auto* device = new hid_device_{};
                device->path = other.path;
                wheel->transcript_.push_back({SimEventKind::Open, device->path, {}});
                return device;
            }
        }
        gGlobalError = L"No HID device with the requested ids";
        errno = ENOENT;
        return nullptr;
    }

    static void receive(SimWheel& wheel, const unsigned char* data, std::size_t length) {
        if (length != kReport || data[0] != 0) return;
        const unsigned char* payload = data + 1;
        switch (wheel.mode_) {
        case Mode::Idle:
            if (std::memcmp(payload, "VORAN", 5) != 0) return;
            if (payload[5] == 0x01) {
                wheel.pendingInput_.clear();
                for (std::size_t k = 0; k < kNvmChunkCount; ++k) {
                    const auto chunk = wheel.memory_.chunk(k);
                    wheel.pendingInput_.emplace_back(chunk.begin(), chunk.end());
                }
            } else if (payload[5] == 0x02) {
                wheel.mode_ = Mode::ReceivingNvm;
                wheel.chunksExpected_ = kNvmChunkCount;
                wheel.chunksReceived_ = 0;
            } else if (payload[5] == 0xFF) {
                wheel.mode_ = Mode::ReceivingFlash;
                wheel.chunksExpected_ = kFlashChunks;
                wheel.chunksReceived_ = 0;
                wheel.flashInProgress_.clear();
            }
            return;
        case Mode::ReceivingNvm:
            std::copy(payload, payload + kPayload, wheel.memory_.chunk(wheel.chunksReceived_).begin());
            break;
        case Mode::ReceivingFlash:
            wheel.flashInProgress_.insert(wheel.flashInProgress_.end(), payload, payload + kPayload);
            break;
        }
        if (++wheel.chunksReceived_ < wheel.chunksExpected_) return;
        const bool flashed = wheel.mode_ == Mode::ReceivingFlash;
        wheel.mode_ = Mode::Idle;
        if (!flashed) return;
        wheel.flash_ = wheel.flashInProgress_;
        ++wheel.flashCount_;
        wheel.lingerLeft_ = wheel.lingerAfterFlash_;
        if (wheel.lingerLeft_.count() <= 0) wheel.restartAfterFlash();
    }

    static int write(hid_device* device, const unsigned char* data, std::size_t length) {
        if (!device->isWheel) return gCurrent != nullptr ? static_cast<int>(length) : -1;
        if (!wheelReachable(device)) {
            device->error = L"No such device";
            return -1;
        }
        SimWheel& wheel = *gCurrent;
        if (wheel.failWrites_.erase(++wheel.writes_) > 0) {
            device->error = L"Simulated write failure";
            return -1;
        }
        wheel.transcript_.push_back({SimEventKind::Write, device->path, std::vector<std::uint8_t>(data, data + length)});
        receive(wheel, data, length);
        return static_cast<int>(length);
    }

    static int read(hid_device* device, unsigned char* data, std::size_t length, int milliseconds) {
        if (!device->isWheel) return 0;
        if (!wheelReachable(device)) {
            device->error = L"No such device";
            return -1;
        }
        SimWheel& wheel = *gCurrent;
        const long index = ++wheel.reads_;
        if (wheel.failReads_.erase(index) > 0) {
            device->error = L"Simulated read failure";
            return -1;
        }
        if (wheel.timeOutReads_.erase(index) > 0) return 0;
        if (wheel.pendingInput_.empty()) {
            if (milliseconds >= 0) return 0;
            // A real wheel would leave a blocking read waiting for ever; a test must not.
            device->error = L"Simulated wheel has nothing to send to a blocking read";
            return -1;
        }
        std::vector<std::uint8_t> report = std::move(wheel.pendingInput_.front());
        wheel.pendingInput_.erase(wheel.pendingInput_.begin());
        if (wheel.shortReads_.erase(index) > 0) {
            report.resize(std::min(report.size(), static_cast<std::size_t>(std::max(wheel.shortReadBytes_, 0))));
        }
        const std::size_t count = std::min(length, report.size());
        std::copy(report.begin(), report.begin() + static_cast<long>(count), data);
        report.resize(count);
        wheel.transcript_.push_back({SimEventKind::Read, device->path, std::move(report)});
        return static_cast<int>(count);
    }

    static int copyString(hid_device* device, const std::wstring& text, wchar_t* buffer, std::size_t capacity) {
        if (device->isWheel && (!wheelReachable(device) || gCurrent->failStrings_)) {
            device->error = L"Simulated string read failure";
            return -1;
        }
        if (capacity == 0) return 0;
        std::wcsncpy(buffer, device->isWheel ? text.c_str() : L"", capacity);
        buffer[capacity - 1] = L'\0';
        return 0;
    }

    static std::optional<DeviceNotice> nextNotice() {
        if (gCurrent == nullptr || gCurrent->notices_.empty()) return std::nullopt;
        DeviceNotice notice = std::move(gCurrent->notices_.front());
        gCurrent->notices_.pop_front();
        return notice;
    }

    static const std::wstring& manufacturer() { return gCurrent->manufacturer_; }
    static const std::wstring& product() { return gCurrent->product_; }
    static const std::wstring& serial() { return gCurrent->serial_; }

    static hid_device_info* deviceInfo(hid_device* device) {
        if (gCurrent == nullptr) return nullptr;
        device->info = hid_device_info{};
        device->info.path = device->path.data();
        device->info.bus_type = HID_API_BUS_USB;
        if (device->isWheel) {
            if (!wheelReachable(device) || gCurrent->release_ < 0) {
                device->error = L"Simulated wheel cannot report its attributes";
                return nullptr;
            }
            device->info.vendor_id = gCurrent->vendorId_;
            device->info.product_id = gCurrent->productId_;
            device->info.release_number = static_cast<unsigned short>(gCurrent->release_);
            return &device->info;
        }
        for (const SimDevice& other : gCurrent->others_) {
            if (other.path != device->path) continue;
            device->info.vendor_id = other.vendorId;
            device->info.product_id = other.productId;
            device->info.release_number = other.releaseNumber;
            return &device->info;
        }
        return nullptr;
    }

    static void close(hid_device* device) {
        if (gCurrent != nullptr) {
            gCurrent->transcript_.push_back({SimEventKind::Close, device->path, {}});
            if (device->isWheel) {
                --gCurrent->openHandles_;
                // An exchange cut short is abandoned; the next one starts with a command. A
                // handle of a node that has gone speaks for nothing any more.
                if (device->nodeGeneration == gCurrent->nodeGeneration_) {
                    gCurrent->mode_ = Mode::Idle;
                    gCurrent->pendingInput_.clear();
                }
            }
        }
        delete device;
    }
};

SimWheel::SimWheel() {
    memory_.writeU32(0, kNvmSignature);
    gCurrent = this;
}

SimWheel::~SimWheel() {
    if (gCurrent == this) gCurrent = nullptr;
}

SimWheel* SimWheel::current() { return gCurrent; }

void SimWheel::restartAfterFlash() {
    lingerLeft_ = std::chrono::milliseconds{0};
    ++nodeGeneration_;
    mode_ = Mode::Idle;
    pendingInput_.clear();
    if (releaseAfterFlash_ >= 0) release_ = releaseAfterFlash_;
    opensToMiss_ = opensMissedAfterFlash_;
}

void SimWheel::elapse(std::chrono::milliseconds time) {
    if (lingerLeft_.count() <= 0) return;
    lingerLeft_ -= time;
    if (lingerLeft_.count() <= 0) restartAfterFlash();
}

namespace {

// Reads the notices of whichever wheel is on the bus when polled, so it may outlive one.
class SimNoticeSource final : public DeviceNoticeSource {
public:
    std::optional<DeviceNotice> poll() override { return SimWheel::Internals::nextNotice(); }
};

}  // namespace

std::unique_ptr<DeviceNoticeSource> SimWheel::noticeSource() {
    noticesWanted_ = true;
    return std::make_unique<SimNoticeSource>();
}

void SimWheel::notify(DeviceNotice::Kind kind, const std::string& path) {
    if (noticesWanted_) notices_.push_back({kind, path});
}

void SimWheel::plug() {
    if (!present_) notify(DeviceNotice::Kind::kArrival, path_);
    present_ = true;
}

void SimWheel::unplug() {
    if (present_) notify(DeviceNotice::Kind::kRemoval, path_);
    present_ = false;
}

void SimWheel::trigger() {
    if (present_) notify(DeviceNotice::Kind::kChange, path_);
    for (const SimDevice& other : others_) notify(DeviceNotice::Kind::kChange, other.path);
}

void SimWheel::addDevice(SimDevice device) {
    notify(DeviceNotice::Kind::kArrival, device.path);
    others_.push_back(std::move(device));
}

void SimWheel::setIds(unsigned short vendorId, unsigned short productId) {
    vendorId_ = vendorId;
    productId_ = productId;
}

void SimWheel::setStrings(std::wstring manufacturer, std::wstring product, std::wstring serial) {
    manufacturer_ = std::move(manufacturer);
    product_ = std::move(product);
    serial_ = std::move(serial);
}

void SimWheel::removeDevice(const std::string& path) {
    if (std::erase_if(others_, [&](const SimDevice& device) { return device.path == path; }) > 0) {
        notify(DeviceNotice::Kind::kRemoval, path);
    }
}

std::vector<std::vector<std::uint8_t>> SimWheel::writtenReports() const {
    std::vector<std::vector<std::uint8_t>> reports;
    for (const SimEvent& event : transcript_) {
        if (event.kind == SimEventKind::Write) reports.push_back(event.bytes);
    }
    return reports;
}

std::size_t SimWheel::count(SimEventKind kind) const {
    return static_cast<std::size_t>(
        std::count_if(transcript_.begin(), transcript_.end(), [&](const SimEvent& event) { return event.kind == kind; }));
}

}  // namespace kestrel::sim

using kestrel::sim::SimWheel;
using Sim = kestrel::sim::SimWheel::Internals;

extern "C" {

int hid_init(void) { return 0; }
int hid_exit(void) { return 0; }

hid_device_info* hid_enumerate(unsigned short vendor_id, unsigned short product_id) {
    return Sim::enumerate(vendor_id, product_id);
}

void hid_free_enumeration(hid_device_info* devices) {
    while (devices != nullptr) {
        hid_device_info* next = devices->next;
        std::free(devices->path);
        std::free(devices->serial_number);
        std::free(devices->manufacturer_string);
        std::free(devices->product_string);
        delete devices;
        devices = next;
    }
}

hid_device* hid_open(unsigned short vendor_id, unsigned short product_id, const wchar_t* /*serial_number*/) {
    return Sim::open(nullptr, vendor_id, product_id, false);
}

hid_device* hid_open_path(const char* path) { return Sim::open(path, 0, 0, true); }

int hid_write(hid_device* device, const unsigned char* data, size_t length) {
    return device == nullptr ? -1 : Sim::write(device, data, length);
}

int hid_read_timeout(hid_device* device, unsigned char* data, size_t length, int milliseconds) {
    return device == nullptr ? -1 : Sim::read(device, data, length, milliseconds);
}

int hid_read(hid_device* device, unsigned char* data, size_t length) {
    return device == nullptr ? -1 : Sim::read(device, data, length, device->blocking ? -1 : 0);
}

int hid_set_nonblocking(hid_device* device, int nonblock) {
    if (device == nullptr) return -1;
    device->blocking = nonblock == 0;
    return 0;
}

int hid_get_manufacturer_string(hid_device* device, wchar_t* string, size_t maxlen) {
    if (device == nullptr || SimWheel::current() == nullptr) return -1;
    return Sim::copyString(device, Sim::manufacturer(), string, maxlen);
}

int hid_get_product_string(hid_device* device, wchar_t* string, size_t maxlen) {
    if (device == nullptr || SimWheel::current() == nullptr) return -1;
    return Sim::copyString(device, Sim::product(), string, maxlen);
}

int hid_get_serial_number_string(hid_device* device, wchar_t* string, size_t maxlen) {
    if (device == nullptr || SimWheel::current() == nullptr) return -1;
    return Sim::copyString(device, Sim::serial(), string, maxlen);
}

hid_device_info* hid_get_device_info(hid_device* device) {
    return device == nullptr ? nullptr : Sim::deviceInfo(device);
}

const wchar_t* hid_error(hid_device* device) {
    if (device == nullptr) return kestrel::sim::gGlobalError.empty() ? L"Success" : kestrel::sim::gGlobalError.c_str();
    return device->error.empty() ? L"Success" : device->error.c_str();
}

void hid_close(hid_device* device) {
    if (device != nullptr) Sim::close(device);
}

}  // extern "C"
