// hidraw arrivals, removals and in-place changes from a libudev monitor, read without blocking.
#include <libudev.h>
#include <poll.h>

#include <cstring>

#include "engine/hge.h"
#include "engine/log.h"

namespace kestrel {

namespace {

struct ActionKind {
    const char* action;
    DeviceNotice::Kind kind;
};

constexpr ActionKind kActionKinds[] = {
    {"add", DeviceNotice::Kind::kArrival},
    {"remove", DeviceNotice::Kind::kRemoval},
    {"change", DeviceNotice::Kind::kChange},
    {"bind", DeviceNotice::Kind::kChange},
};

std::optional<DeviceNotice::Kind> noticeKind(const char* action) {
    if (action == nullptr) return std::nullopt;
    for (const ActionKind& entry : kActionKinds) {
        if (std::strcmp(action, entry.action) == 0) return entry.kind;
    }
    return std::nullopt;
}

class UdevNoticeSource final : public DeviceNoticeSource {
public:
    UdevNoticeSource(udev* context, udev_monitor* monitor) : udev_(context), monitor_(monitor) {}
    ~UdevNoticeSource() override {
        udev_monitor_unref(monitor_);
        udev_unref(udev_);
    }
    UdevNoticeSource(const UdevNoticeSource&) = delete;
    UdevNoticeSource& operator=(const UdevNoticeSource&) = delete;

    std::optional<DeviceNotice> poll() override {
        // "change" and "bind" come when udev re-applies its rules (`udevadm trigger` after a
        // rule was installed): a node that refused to open may open now. Others are skipped.
        for (;;) {
            pollfd descriptor{udev_monitor_get_fd(monitor_), POLLIN, 0};
            if (::poll(&descriptor, 1, 0) <= 0 || (descriptor.revents & POLLIN) == 0)
                return std::nullopt;
            udev_device* device = udev_monitor_receive_device(monitor_);
            if (device == nullptr) return std::nullopt;
            const std::optional<DeviceNotice::Kind> kind = noticeKind(udev_device_get_action(device));
            const char* node = udev_device_get_devnode(device);
            DeviceNotice notice;
            notice.devicePath = node != nullptr ? node : "";
            udev_device_unref(device);
            if (kind) {
                notice.kind = *kind;
                return notice;
            }
        }
    }

private:
    udev* udev_;
    udev_monitor* monitor_;
};

}  // namespace

std::unique_ptr<DeviceNoticeSource> createUdevNoticeSource(Log& log) {
    udev* context = udev_new();
    if (context == nullptr) {
        log.write("Device notices: udev is not available");
        return nullptr;
    }
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
    if (monitor == nullptr ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        log.write("Device notices: can't monitor the hidraw subsystem");
        if (monitor != nullptr) udev_monitor_unref(monitor);
        udev_unref(context);
        return nullptr;
    }
    return std::make_unique<UdevNoticeSource>(context, monitor);
}

}  // namespace kestrel
