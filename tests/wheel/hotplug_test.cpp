#include "wheel/hotplug.h"

#include "engine/headless.h"
#include "wheel_world.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <set>
#include <algorithm>

namespace kestrel {
namespace {

using sim::SimEventKind;
using testing::WheelWorld;

// A configured wheel: signed image, PS3 mode, some bytes nobody names.
NvmImage configuredImage() {
    std::mt19937 random(11);
    NvmImage image;
    for (auto& byte : image.bytes) byte = static_cast<std::uint8_t>(random());
    image.writeU32(0, kNvmSignature);
    image.writeU32(kNvmFlagsOffset, 1);
    return image;
}

void arrival(WheelWorld& world) { EXPECT_TRUE(DeviceChangeHook(world.hotPlug, nullptr, kMessageDeviceChange, kDeviceArrival, 0)); }
void removal(WheelWorld& world) {
    EXPECT_TRUE(DeviceChangeHook(world.hotPlug, nullptr, kMessageDeviceChange, kDeviceRemoveComplete, 0));
}

TEST(Connection, WheelPresentAtStartIsReadDecodedAndShown) {
    WheelWorld world;
    world.wheel.setMemory(configuredImage());

    TryToConnectWheel(world.hotPlug);

    EXPECT_EQ(world.log.lines(), (std::vector<std::string>{
                                     "Try To Connect Wheel...",
                                     "Enumerate HID Devices...",
                                     "Device Found...\n  Vid: 1c1a Pid: 0200\n  Path: sim:kestrel-wheel",
                                     "  Version : 0118",
                                     "Manufacturer String: Kestrel",
                                     "Product String: Kestrel Racing Wheel",
                                     "Serial Number String: (0) ",
                                     "Device version number: 0118",
                                     "Device Inserted OK",
                                 }));
    EXPECT_EQ(world.image, world.wheel.memory());
    EXPECT_EQ(world.model.ConsoleMode, 1);
    EXPECT_TRUE(world.flags.WheelConnected);
    EXPECT_FALSE(world.flags.FirmwareOutOfDate);
    EXPECT_EQ(world.screens.ScreenState, kScreenMainPage);
    EXPECT_EQ(world.panels.console, true);
    EXPECT_EQ(world.panels.mainControls, true);
    EXPECT_EQ(world.panels.sensitivity, true);
    EXPECT_EQ(world.wheel.openHandles(), 0);
    EXPECT_EQ(world.wheel.count(SimEventKind::Write), 1u);  // the read command, nothing else
}

TEST(Connection, AbsentWheelKeepsTheNoWheelScreen) {
    WheelWorld world;
    world.wheel.unplug();

    TryToConnectWheel(world.hotPlug);

    EXPECT_EQ(world.log.lines().back(), "Unable to open device");
    EXPECT_FALSE(world.flags.WheelConnected);
    EXPECT_EQ(world.screens.ScreenState, kScreenNoWheel);
    EXPECT_FALSE(world.panels.console.has_value());
    EXPECT_EQ(world.panels.hint, "");
}

TEST(Connection, MouseArrivingOrLeavingChangesNothing) {
    WheelWorld world;
    TryToConnectWheel(world.hotPlug);
    const NvmImage read = world.image;
    world.wheel.clearTranscript();
    world.log.clear();

    world.wheel.addDevice({"sim:mouse", 0x046D, 0xC077, 0x0100});
    arrival(world);
    EXPECT_TRUE(world.log.lines().empty());
    EXPECT_TRUE(world.wheel.transcript().empty());

    world.wheel.removeDevice("sim:mouse");
    removal(world);
    EXPECT_EQ(world.log.lines().front(), "TryToRemoveWheel...");
    EXPECT_FALSE(world.log.contains("Device Removed OK"));
    EXPECT_EQ(world.wheel.count(SimEventKind::Open), 1u);
    EXPECT_EQ(world.wheel.openHandles(), 0);
    EXPECT_TRUE(world.flags.WheelConnected);
    EXPECT_EQ(world.screens.ScreenState, kScreenMainPage);
    EXPECT_EQ(world.image, read);
}

TEST(Connection, EnumerationLogsEveryDeviceInOrder) {
    WheelWorld world;
    world.wheel.addDevice({"sim:mouse", 0x046D, 0xC077, 0x0100});

    const EnumerationSummary summary = EnumerateHIDDevices(world.log);

    EXPECT_EQ(summary.devices, 2);
    EXPECT_TRUE(summary.wheelListed);
    EXPECT_EQ(world.log.lines(), (std::vector<std::string>{
                                     "Enumerate HID Devices...",
                                     "Device Found...\n  Vid: 1c1a Pid: 0200\n  Path: sim:kestrel-wheel",
                                     "  Version : 0118",
                                     "Device Found...\n  Vid: 046d Pid: c077\n  Path: sim:mouse",
                                     "  Version : 0100",
                                 }));
}

TEST(Connection, UnplugOnTheSensitivityPageAndReplugReturnsThere) {
    WheelWorld world;
    TryToConnectWheel(world.hotPlug);
    world.screens.ScreenState = kScreenSensitivityPage;

    world.wheel.unplug();
    removal(world);
    EXPECT_TRUE(world.log.contains("Device Removed OK"));
    EXPECT_FALSE(world.flags.WheelConnected);
    EXPECT_EQ(world.screens.ScreenState, kScreenNoWheel);
    EXPECT_EQ(world.screens.DetachedState, kScreenSensitivityPage);
    EXPECT_EQ(world.panels.console, false);
    EXPECT_EQ(world.panels.mainControls, false);
    EXPECT_EQ(world.panels.sensitivity, false);

    world.wheel.plug();
    arrival(world);
    EXPECT_TRUE(world.flags.WheelConnected);
    EXPECT_EQ(world.screens.ScreenState, kScreenSensitivityPage);
    EXPECT_EQ(world.panels.console, false);
    EXPECT_EQ(world.panels.mainControls, true);
    EXPECT_EQ(world.panels.sensitivity, true);
}

// Whatever stood over a page when the wheel left, the console choice comes back only with the
// main page.
TEST(Connection, ConsolePanelFollowsThePageReturnedTo) {
    struct Case {
        int detached;
        int resume;
        bool consoleEnabled;
    };
    constexpr Case kCases[] = {
        {kScreenMainPage, kScreenMainPage, true},
        {kScreenSensitivityPage, kScreenMainPage, false},
        {kScreenPresetList, kScreenSensitivityPage, false},
        {kScreenPresetList, kScreenMainPage, true},
        {kScreenSaving, kScreenSensitivityPage, false},
        {kScreenSavingAfterReset, kScreenSensitivityPage, false},
        {kScreenFirmwareUpdate, kScreenSensitivityPage, false},
        {kScreenFirmwareUpdate, kScreenMainPage, true},
        {kScreenSlideToSensitivity, kScreenMainPage, false},
        {kScreenSlideToMain, kScreenSensitivityPage, true},
        {kScreenConsoleSwitchFirstHalf, kScreenMainPage, true},
    };
    for (const Case& c : kCases) {
        WheelWorld world;
        world.wheel.unplug();
        world.panels.console = false;
        world.screens.DetachedState = c.detached;
        world.screens.ResumeState = c.resume;

        world.wheel.plug();
        arrival(world);

        EXPECT_EQ(world.screens.ScreenState, c.detached);
        EXPECT_EQ(world.panels.console, c.consoleEnabled) << "detached " << c.detached << ", resume " << c.resume;
        EXPECT_EQ(world.panels.mainControls, true);
    }
}

TEST(Connection, RemovalKeepsFlagsAndImage) {
    WheelWorld world;
    world.wheel.setReleaseNumber(0x0100);
    TryToConnectWheel(world.hotPlug);
    world.flags.ConfigWritePending = true;
    const NvmImage read = world.image;

    world.wheel.unplug();
    removal(world);

    EXPECT_TRUE(world.flags.FirmwareOutOfDate);
    EXPECT_TRUE(world.flags.ConfigWritePending);
    EXPECT_EQ(world.image, read);
}

TEST(Connection, ReleaseNumberDecidesWhetherFirmwareIsOutOfDate) {
    struct Case {
        int release;
        bool outOfDate;
        const char* logged;
    };
    for (const Case& c : {Case{0x0117, true, "Device version number: 0117"},
                          Case{0x0118, false, "Device version number: 0118"},
                          Case{0x0200, false, "Device version number: 0200"},
                          Case{-1, true, "Device version number: FFFFFFFF"}}) {
        WheelWorld world;
        world.wheel.setReleaseNumber(c.release);

        TryToConnectWheel(world.hotPlug);

        EXPECT_EQ(world.flags.FirmwareOutOfDate, c.outOfDate) << c.logged;
        EXPECT_TRUE(world.log.contains(c.logged)) << c.logged;
        EXPECT_TRUE(world.flags.WheelConnected);
    }
}

TEST(Connection, FailedReadLeavesTheWheelUnconnectedUntilTheNextArrival) {
    WheelWorld world;
    world.wheel.setMemory(configuredImage());
    world.wheel.failRead(3);

    TryToConnectWheel(world.hotPlug);
    EXPECT_EQ(world.log.lines().back(), "Error: Simulated read failure");
    EXPECT_FALSE(world.flags.WheelConnected);
    EXPECT_EQ(world.screens.ScreenState, kScreenNoWheel);
    EXPECT_EQ(world.wheel.openHandles(), 0);
    EXPECT_EQ(world.image, NvmImage{});

    world.wheel.addDevice({"sim:keyboard", 0x1234, 0x0001, 0});
    arrival(world);
    EXPECT_TRUE(world.flags.WheelConnected);
    EXPECT_EQ(world.image, world.wheel.memory());
}

TEST(Connection, TimedOutReadDoesNotHangOrConnect) {
    WheelWorld world;
    world.wheel.timeOutRead(1);

    TryToConnectWheel(world.hotPlug);

    EXPECT_TRUE(world.log.contains("READ NVM : Unable to read_NVM()"));
    EXPECT_FALSE(world.flags.WheelConnected);
}

TEST(Connection, BlankWheelGetsAHeaderInTheImageButNotOnTheWheel) {
    for (auto random : {testing::fixedStamp, testing::failingRandom}) {
        WheelWorld world;
        world.hotPlug.random = random;
        NvmImage blank{};
        blank.bytes[0x120] = 0x42;
        world.wheel.setMemory(blank);

        TryToConnectWheel(world.hotPlug);

        EXPECT_EQ(world.image.readU32(0), kNvmSignature);
        EXPECT_EQ(world.image.readU32(4), random == testing::fixedStamp ? 0xCAFEF00Du : 0u);
        EXPECT_EQ(world.image.readU32(kNvmFlagsOffset), 0u);
        EXPECT_EQ(world.image.bytes[0x120], 0x42);
        EXPECT_EQ(world.wheel.memory(), blank);
        EXPECT_TRUE(world.flags.WheelConnected);
    }
}

TEST(Connection, SystemRandomGivesStamps) {
    ASSERT_TRUE(systemRandom().has_value());
    // Two equal draws in a row from a working source are a one in four billion event; eight
    // in a row mean the source is not random at all.
    std::set<std::uint32_t> seen;
    for (int i = 0; i < 8; ++i) seen.insert(systemRandom().value_or(0));
    EXPECT_GT(seen.size(), 1u);
}

TEST(Connection, FailedStringReadsAreLoggedAndTheConnectionGoesOn) {
    WheelWorld world;
    world.wheel.failStringReads(true);

    TryToConnectWheel(world.hotPlug);

    const auto& lines = world.log.lines();
    const std::vector<std::string> expected = {"Manufacturer String: ", "String read error",
                                               "Product String: ", "String read error",
                                               "Serial Number String: (0) ", "String read error"};
    EXPECT_NE(std::search(lines.begin(), lines.end(), expected.begin(), expected.end()), lines.end());
    EXPECT_TRUE(world.flags.WheelConnected);
}

TEST(Connection, LongStringsAreCutToTheBuffer) {
    WheelWorld world;
    world.wheel.setStrings(std::wstring(400, L'M'), L"P", L"S1");

    TryToConnectWheel(world.hotPlug);

    EXPECT_TRUE(world.log.contains("Manufacturer String: " + std::string(254, 'M')));
    EXPECT_TRUE(world.log.contains("Serial Number String: (83) S1"));
}

TEST(Connection, PermissionDeniedNamesTheInstalledRuleAndWhatToDoNext) {
    WheelWorld world;
    world.wheel.denyOpen(EACCES);

    TryToConnectWheel(world.hotPlug);

    EXPECT_FALSE(world.flags.WheelConnected);
    const auto& lines = world.log.lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Unable to open device");
    const std::string& advice = lines.back();
    EXPECT_NE(advice.find("sim:kestrel-wheel"), std::string::npos);
    EXPECT_NE(advice.find(kUdevRuleFile), std::string::npos);
    EXPECT_NE(advice.find(kUdevRuleInstallCommand), std::string::npos);
    EXPECT_NE(advice.find("unplug and replug"), std::string::npos);
    EXPECT_EQ(world.panels.hint, kPermissionHint);

    world.wheel.denyOpen(0);
    arrival(world);
    EXPECT_TRUE(world.flags.WheelConnected);
    EXPECT_EQ(world.panels.hint, "");
}

// The rule is named where this build puts it: an absolute path ending in the rule's name, and
// the hint tells the user what comes after installing it.
TEST(Connection, PermissionHintNamesTheRuleWhereThisBuildInstallsIt) {
    const std::string file = kUdevRuleFile;
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(file.front(), '/');
    EXPECT_TRUE(file.ends_with("/rules.d/70-kestrel.rules")) << file;
    const std::string hint = kPermissionHint;
    EXPECT_NE(hint.find(file), std::string::npos);
    EXPECT_NE(hint.find("unplug and replug"), std::string::npos);
    EXPECT_NE(hint.find("retries"), std::string::npos);
    if (!kUdevRuleInForce) {
        EXPECT_NE(std::string(kUdevRuleInstallCommand).find("/etc/udev/rules.d/"), std::string::npos)
            << "udev never reads " << file << ": the rule must be copied where it does";
    }
}

TEST(Connection, ChangedNodeAfterAccessIsGrantedConnects) {
    WheelWorld world;
    world.wheel.denyOpen(EACCES);
    TryToConnectWheel(world.hotPlug);
    ASSERT_EQ(world.panels.hint, kPermissionHint);

    // udevadm trigger after the rule was installed: the node changes in place, no arrival.
    world.wheel.denyOpen(0);
    EXPECT_TRUE(DeviceChangeHook(world.hotPlug, nullptr, kMessageDeviceChange, kDeviceNodesChanged, 0));

    EXPECT_TRUE(world.flags.WheelConnected);
    EXPECT_EQ(world.screens.ScreenState, kScreenMainPage);
    EXPECT_EQ(world.panels.hint, "");
}

TEST(Connection, RefusedWheelTakesItsHintAlongWhenUnplugged) {
    WheelWorld world;
    world.wheel.denyOpen(EACCES);
    TryToConnectWheel(world.hotPlug);
    world.wheel.addDevice({"sim:mouse", 0x046D, 0xC077, 0x0100});
    world.log.clear();

    world.wheel.removeDevice("sim:mouse");
    removal(world);
    EXPECT_EQ(world.panels.hint, kPermissionHint) << "another device left; the wheel is still there";

    world.wheel.unplug();
    removal(world);
    EXPECT_EQ(world.panels.hint, "");
    EXPECT_FALSE(world.flags.WheelConnected);
    EXPECT_TRUE(world.log.lines().empty()) << "the wheel never connected, so nothing was removed";
}

TEST(Connection, OtherOpenFailuresGiveNoPermissionHint) {
    WheelWorld world;
    world.wheel.failOpen(1);

    TryToConnectWheel(world.hotPlug);

    EXPECT_EQ(world.log.lines().back(), "Unable to open device");
    EXPECT_EQ(world.panels.hint, "");
}

TEST(Connection, HookIgnoresArrivalWhileConnectedAndRemovalWhileNot) {
    WheelWorld world;
    removal(world);
    EXPECT_TRUE(world.log.lines().empty());

    arrival(world);
    ASSERT_TRUE(world.flags.WheelConnected);
    world.log.clear();
    arrival(world);
    EXPECT_TRUE(DeviceChangeHook(world.hotPlug, nullptr, kMessageDeviceChange, 0x0007, 0));
    EXPECT_TRUE(world.log.lines().empty());
}

TEST(Connection, EngineNoticesReachTheHookThroughTheFrameLoop) {
    WheelWorld world;
    world.wheel.unplug();
    HeadlessEngine engine;
    engine.hge()->System_SetDeviceNoticeSource(world.wheel.noticeSource());
    engine.hge()->System_SetHookState(kStateMessageHook, makeDeviceChangeHook(world.hotPlug));
    ASSERT_TRUE(engine.initiate());

    EXPECT_TRUE(InitHIDNotification(world.hotPlug, *engine.hge()));
    EXPECT_EQ(world.log.lines().at(0).rfind("InitHIDNotification : ", 0), 0u);
    EXPECT_EQ(world.log.lines().at(1), "Notification success");

    world.wheel.plug();
    ASSERT_TRUE(engine.runFrames(1));
    EXPECT_TRUE(world.flags.WheelConnected);

    // A mouse coming and going in between is looked at and changes nothing.
    world.wheel.addDevice({"sim:mouse", 0x046D, 0xC077, 0x0100});
    world.wheel.removeDevice("sim:mouse");
    ASSERT_TRUE(engine.runFrames(1));
    EXPECT_TRUE(world.flags.WheelConnected);

    world.wheel.unplug();
    ASSERT_TRUE(engine.runFrames(1));
    EXPECT_FALSE(world.flags.WheelConnected);
    EXPECT_EQ(world.screens.ScreenState, kScreenNoWheel);
}

}  // namespace
}  // namespace kestrel
