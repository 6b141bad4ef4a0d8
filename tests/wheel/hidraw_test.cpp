// The real back end, linked as the program links it. No wheel is expected on the machine, so
// these only check what holds with or without one.
#include "engine/log.h"
#include "wheel/hid_transport.h"
#include "wheel/hotplug.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(HidrawBackEnd, EnumerationLogsTwoLinesPerDevice) {
    RecordingLog log;

    const EnumerationSummary summary = EnumerateHIDDevices(log);

    ASSERT_FALSE(log.lines().empty());
    EXPECT_EQ(log.lines().front(), "Enumerate HID Devices...");
    EXPECT_EQ(log.lines().size(), 1u + 2u * static_cast<std::size_t>(summary.devices));
}

TEST(HidrawBackEnd, ReleaseNumberOfNoDeviceIsUnavailable) { EXPECT_EQ(hid_get_version_number(nullptr), -1); }

TEST(HidrawBackEnd, FailedOpenLeavesNoHandle) {
    OpenResult opened = openWheel();
    if (opened.device) GTEST_SKIP() << "a wheel is attached to this machine";
    EXPECT_NE(opened.errorNumber, 0);
    EXPECT_FALSE(errorText(nullptr).empty());
}

}  // namespace
}  // namespace kestrel
