#pragma once
// The simulated wheel: the hidapi calls the wheel link makes, answered by a scriptable model
// instead of a USB device. Link kestrel_wheel_sim in place of kestrel_hid_hidraw.
//
// Constructing a SimWheel puts it on the simulated bus (one at a time); destroying it empties
// the bus again. The wheel behaves like the real one: a "VORAN" 0x01 command streams its
// 1024-byte memory back in 32 reports, 0x02 takes the next 32 reports into memory, 0xFF takes
// the next 771 reports into flash; anything else is ignored. Every open, close, report written
// and report read is kept in the transcript, which is what tests assert on.
#include "config/nvm_image.h"
#include "engine/hge.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace kestrel::sim {

enum class SimEventKind { Open, Close, Write, Read };

struct SimEvent {
    SimEventKind kind;
    std::string path;                 // the device concerned
    std::vector<std::uint8_t> bytes;  // Write: the report as written; Read: as returned
};

// Any HID device other than the wheel, such as a mouse; it opens, and ignores what it is sent.
struct SimDevice {
    std::string path;
    unsigned short vendorId = 0;
    unsigned short productId = 0;
    unsigned short releaseNumber = 0;
};

constexpr std::size_t kSimFlashSize = 24672;
// Paths the simulated bus hands out start with this, so a simulated device can never be taken
// for a hidraw node.
constexpr const char* kSimPathPrefix = "sim:";

class SimWheel {
public:
    SimWheel();
    ~SimWheel();
    SimWheel(const SimWheel&) = delete;
    SimWheel& operator=(const SimWheel&) = delete;

    // The one wheel on the bus; the simulator itself, when one exists.
    static SimWheel* current();

    // Presence, at any time: unplugging closes nothing, but every handle then fails as a pulled
    // cable does.
    void plug();
    void unplug();
    bool present() const { return present_; }

    // Arrival and removal notices for the engine (System_SetDeviceNoticeSource), raised from then
    // on by plug(), unplug(), addDevice() and removeDevice(), as the udev monitor would.
    std::unique_ptr<DeviceNoticeSource> noticeSource();
    // What `udevadm trigger` does: a change notice for every device on the bus.
    void trigger();

    void setIds(unsigned short vendorId, unsigned short productId);
    void setPath(std::string path) { path_ = std::move(path); }  // e.g. "/dev/hidraw3" for a "real" wheel
    const std::string& path() const { return path_; }
    void setStrings(std::wstring manufacturer, std::wstring product, std::wstring serial);
    void failStringReads(bool fail) { failStrings_ = fail; }
    // -1: the device cannot report it (hid_get_device_info fails).
    void setReleaseNumber(int release) { release_ = release; }
    // What the wheel reports once a complete flash has been received; -1 keeps the old number.
    void setReleaseAfterFlash(int release) { releaseAfterFlash_ = release; }
    // After a complete flash the wheel re-enumerates: this many opens fail before it is back.
    void setOpensMissedAfterFlash(int opens) { opensMissedAfterFlash_ = opens; }
    // After a complete flash the old node stays for this long (simulated time, see elapse()):
    // it is listed and opens, answers as the old firmware, and only then goes. Handles opened
    // before it went fail from then on, as the kernel's do when a device leaves.
    void setOldNodeLingersAfterFlash(std::chrono::milliseconds linger) { lingerAfterFlash_ = linger; }
    // Moves the simulated clock on; nothing else makes simulated time pass.
    void elapse(std::chrono::milliseconds time);
    bool oldNodeLingering() const { return lingerLeft_.count() > 0; }

    NvmImage& memory() { return memory_; }
    void setMemory(const NvmImage& image) { memory_ = image; }
    const std::vector<std::uint8_t>& flash() const { return flash_; }
    int flashCount() const { return flashCount_; }  // complete flashes received

    // Failure injection, counted from now: the nth next open / write / read fails (1 = the next).
    void failOpen(int nth) { failOpens_.insert(opens_ + nth); }
    void failWrite(int nth) { failWrites_.insert(writes_ + nth); }
    void failRead(int nth) { failReads_.insert(reads_ + nth); }
    void timeOutRead(int nth) { timeOutReads_.insert(reads_ + nth); }
    void shortRead(int nth, int bytes) { shortReads_.insert(reads_ + nth); shortReadBytes_ = bytes; }
    // Every open of the wheel fails with this errno (EACCES: the hidraw node is not ours); 0 ends it.
    void denyOpen(int errorNumber) { denyOpenErrno_ = errorNumber; }

    void addDevice(SimDevice device);
    void removeDevice(const std::string& path);

    const std::vector<SimEvent>& transcript() const { return transcript_; }
    void clearTranscript() { transcript_.clear(); }
    std::vector<std::vector<std::uint8_t>> writtenReports() const;
    std::size_t count(SimEventKind kind) const;
    int openHandles() const { return openHandles_; }

    // The hidapi calls reach the model through these; not for tests.
    struct Internals;
    friend struct Internals;

private:
    bool present_ = true;
    unsigned short vendorId_ = 0x1C1A;
    unsigned short productId_ = 0x0200;
    std::string path_ = std::string(kSimPathPrefix) + "kestrel-wheel";
    std::wstring manufacturer_ = L"Kestrel";
    std::wstring product_ = L"Kestrel Racing Wheel";
    std::wstring serial_ = L"";
    bool failStrings_ = false;
    int release_ = 0x0118;
    int releaseAfterFlash_ = -1;
    int opensMissedAfterFlash_ = 0;
    int opensToMiss_ = 0;
    std::chrono::milliseconds lingerAfterFlash_{0};
    std::chrono::milliseconds lingerLeft_{0};
    // Bumped when the node goes after a flash; a handle of an earlier node is dead.
    long nodeGeneration_ = 0;
    void restartAfterFlash();

    NvmImage memory_{};
    std::vector<std::uint8_t> flash_;
    std::vector<std::uint8_t> flashInProgress_;
    int flashCount_ = 0;

    enum class Mode { Idle, ReceivingNvm, ReceivingFlash };
    Mode mode_ = Mode::Idle;
    std::size_t chunksExpected_ = 0;
    std::size_t chunksReceived_ = 0;
    std::vector<std::vector<std::uint8_t>> pendingInput_;

    long opens_ = 0, writes_ = 0, reads_ = 0;
    std::set<long> failOpens_, failWrites_, failReads_, timeOutReads_, shortReads_;
    int shortReadBytes_ = 0;
    int denyOpenErrno_ = 0;
    int openHandles_ = 0;

    std::vector<SimDevice> others_;
    std::vector<SimEvent> transcript_;

    void notify(DeviceNotice::Kind kind, const std::string& path);
    bool noticesWanted_ = false;
    std::deque<DeviceNotice> notices_;
};

}  // namespace kestrel::sim
