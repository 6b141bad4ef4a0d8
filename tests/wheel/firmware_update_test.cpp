#include "wheel/firmware_update.h"

#include "wheel_world.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

namespace kestrel {
namespace {

using namespace std::chrono_literals;
using sim::SimEventKind;
using testing::WheelWorld;

// The transcript as "O W33 C": opens, runs of written reports, closes, reads.
std::string outline(const std::vector<sim::SimEvent>& transcript) {
    std::string text;
    for (std::size_t i = 0; i < transcript.size();) {
        const SimEventKind kind = transcript[i].kind;
        std::size_t run = 1;
        while (i + run < transcript.size() && transcript[i + run].kind == kind &&
               (kind == SimEventKind::Write || kind == SimEventKind::Read))
            ++run;
        if (!text.empty()) text += ' ';
        switch (kind) {
        case SimEventKind::Open: text += "O"; break;
        case SimEventKind::Close: text += "C"; break;
        case SimEventKind::Write: text += "W" + std::to_string(run); break;
        case SimEventKind::Read: text += "R" + std::to_string(run); break;
        }
        i += run;
    }
    return text;
}

// The flags word of each configuration write in the transcript, in order.
std::vector<std::uint32_t> flagsWordsSent(const sim::SimWheel& wheel) {
    std::vector<std::uint32_t> words;
    const auto reports = wheel.writtenReports();
    for (std::size_t i = 0; i + 1 < reports.size(); ++i) {
        if (reports[i].size() == kReportSize && reports[i][1] == 'V' && reports[i][6] == kCommandWriteNvm) {
            const auto& first = reports[i + 1];
            words.push_back(first[9] | first[10] << 8 | first[11] << 16 | static_cast<std::uint32_t>(first[12]) << 24);
        }
    }
    return words;
}

struct Update : WheelWorld {
    WheelLink link{log, image};
    std::vector<std::chrono::milliseconds> sleeps;
    FirmwareUpdateOptions options;

    Update() {
        std::mt19937 random(21);
        for (auto& byte : image.bytes) byte = static_cast<std::uint8_t>(random());
        image.writeU32(0, kNvmSignature);
        image.writeU32(kNvmFlagsOffset, 0x00000001);
        wheel.setReleaseNumber(0x0110);
        wheel.setReleaseAfterFlash(0x0118);
        options.sleep = [this](std::chrono::milliseconds pause) {
            sleeps.push_back(pause);
            wheel.elapse(pause);
        };
    }
    int run() { return WheelFirmwareUpdate(link, options); }
    std::chrono::milliseconds waited() const {
        std::chrono::milliseconds total{0};
        for (auto pause : sleeps) total += pause;
        return total;
    }
};

std::vector<std::chrono::milliseconds> repeated(std::size_t times, std::chrono::milliseconds pause) {
    return std::vector<std::chrono::milliseconds>(times, pause);
}

std::vector<std::chrono::milliseconds> operator+(std::vector<std::chrono::milliseconds> first,
                                                 const std::vector<std::chrono::milliseconds>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST(Firmware, CompleteUpdateMarksSendsReopensAndClears) {
    Update update;
    const NvmImage before = update.image;

    EXPECT_EQ(update.run(), 1);

    EXPECT_EQ(outline(update.wheel.transcript()), "O W33 C O W772 C O C O W33 C");
    EXPECT_EQ(flagsWordsSent(update.wheel), (std::vector<std::uint32_t>{0x80000001, 0x00000001}));
    EXPECT_EQ(update.wheel.memory(), before);
    EXPECT_EQ(update.image, before);
    EXPECT_EQ(std::vector<std::uint8_t>(update.options.image.begin(), update.options.image.end()), update.wheel.flash());
    EXPECT_EQ(update.log.lines(), (std::vector<std::string>{
                                      "Begin Wheel Firmware Update",
                                      "Write flash 24672 bytes",
                                      "write_flash : 771 chunks sent",
                                      "WheelFirmwareUpdate : waiting for the old device node sim:kestrel-wheel to go",
                                      "WheelFirmwareUpdate : old device node gone after 0 ms",
                                      "Enumerate HID Devices...",
                                      "Device Found...\n  Vid: 1c1a Pid: 0200\n  Path: sim:kestrel-wheel",
                                      "  Version : 0118",
                                      "WheelFirmwareUpdate : waiting for the wheel to come back",
                                      "WheelFirmwareUpdate : wheel back after 0 ms",
                                      "POST UPGRADE - Device version number: 0118",
                                      "Wheel Firmware Update - OK",
                                      "WheelFirmwareUpdate : update-pending bit cleared",
                                  }));
    EXPECT_TRUE(update.sleeps.empty());
    EXPECT_EQ(update.wheel.openHandles(), 0);
}

TEST(Firmware, FailingFirstConfigurationWriteDoesNotStopTheTransfer) {
    Update update;
    update.wheel.failOpen(1);

    EXPECT_EQ(update.run(), 1);

    EXPECT_EQ(update.log.lines().at(0), "UWD : Device open error");
    EXPECT_EQ(update.log.lines().at(1), "ERROR SETTING BIT!");
    EXPECT_EQ(update.wheel.flashCount(), 1);
    EXPECT_EQ(update.wheel.memory().readU32(kNvmFlagsOffset), 0x00000001u);
}

TEST(Firmware, WheelThatCannotBeOpenedIsNotFlashed) {
    Update update;
    update.wheel.failOpen(2);

    EXPECT_EQ(update.run(), 0);

    EXPECT_EQ(update.log.lines().back(), "Device open error");
    EXPECT_EQ(update.wheel.flashCount(), 0);
    EXPECT_EQ(update.wheel.memory().readU32(kNvmFlagsOffset), 0x80000001u);
}

TEST(Firmware, BrokenTransferIsReportedAndLeavesTheMarkSet) {
    Update update;
    update.wheel.failWrite(33 + 1 + 100);

    EXPECT_EQ(update.run(), 0);

    const auto& lines = update.log.lines();
    EXPECT_EQ(lines.back(), "An error occurred writing the flash 8-(");
    EXPECT_EQ(lines[lines.size() - 3], "Write_flash : Unable to write()");
    EXPECT_EQ(outline(update.wheel.transcript()), "O W33 C O W100 C");
    EXPECT_EQ(update.wheel.memory().readU32(kNvmFlagsOffset), 0x80000001u);
    EXPECT_EQ(update.wheel.openHandles(), 0);
}

TEST(Firmware, WheelThatDoesNotComeBackFailsAfterTheWaitAndKeepsTheMark) {
    Update update;
    update.wheel.setOpensMissedAfterFlash(1000);

    EXPECT_EQ(update.run(), 0);

    EXPECT_EQ(update.log.lines().back(), "Device re-open error");
    EXPECT_EQ(outline(update.wheel.transcript()), "O W33 C O W772 C");
    EXPECT_EQ(update.wheel.memory().readU32(kNvmFlagsOffset), 0x80000001u);
    EXPECT_EQ(update.sleeps, repeated(50, 100ms));
}

TEST(Firmware, WheelThatReenumeratesIsWaitedFor) {
    Update update;
    update.wheel.setOpensMissedAfterFlash(3);

    EXPECT_EQ(update.run(), 1);

    EXPECT_EQ(update.sleeps, (std::vector<std::chrono::milliseconds>{100ms, 100ms, 100ms}));
    EXPECT_EQ(update.wheel.memory().readU32(kNvmFlagsOffset), 0x00000001u);
}

// ---- The wheel restarting after the transfer ------------------------------------------------

TEST(Firmware, SimulatedOldNodeAnswersAsTheOldFirmwareUntilItGoes) {
    Update update;
    update.wheel.setOldNodeLingersAfterFlash(500ms);
    {
        OpenResult flashing = openWheel();
        ASSERT_EQ(write_flash(update.log, flashing.device.get(), update.options.image), 0);
        OpenResult stale = openWheel();
        ASSERT_TRUE(stale.device) << "the kernel has not seen the wheel leave yet";
        EXPECT_EQ(hid_get_version_number(stale.device.get()), 0x0110);
        EXPECT_FALSE(deviceGone(flashing.device.get()));

        update.wheel.elapse(499ms);
        EXPECT_FALSE(deviceGone(flashing.device.get()));
        update.wheel.elapse(1ms);
        EXPECT_TRUE(deviceGone(flashing.device.get()));
        EXPECT_TRUE(deviceGone(stale.device.get()));
    }
    OpenResult fresh = openWheel();
    ASSERT_TRUE(fresh.device);
    EXPECT_EQ(hid_get_version_number(fresh.device.get()), 0x0118);
    EXPECT_FALSE(deviceGone(fresh.device.get()));
}

TEST(Firmware, OldNodeLingeringIsWaitedOutBeforeTheNewWheelIsOpened) {
    Update update;
    update.wheel.setOldNodeLingersAfterFlash(500ms);
    update.wheel.setOpensMissedAfterFlash(2);

    EXPECT_EQ(update.run(), 1);

    // No open between the transfer and the old node going: only the new wheel is asked.
    EXPECT_EQ(outline(update.wheel.transcript()), "O W33 C O W772 C O C O W33 C");
    EXPECT_TRUE(update.log.contains("WheelFirmwareUpdate : old device node gone after 500 ms"));
    EXPECT_TRUE(update.log.contains("WheelFirmwareUpdate : wheel back after 200 ms"));
    EXPECT_TRUE(update.log.contains("POST UPGRADE - Device version number: 0118"));
    EXPECT_FALSE(update.log.contains("ERROR CLEARING BIT!"));
    EXPECT_EQ(update.wheel.memory().readU32(kNvmFlagsOffset), 0x00000001u);
    EXPECT_EQ(update.sleeps, repeated(10, 50ms) + repeated(2, 100ms));
}

TEST(Firmware, OldNodeLingeringPastTheBoundFailsAsAWheelThatDidNotComeBack) {
    Update update;
    update.wheel.setOldNodeLingersAfterFlash(10000ms);

    EXPECT_EQ(update.run(), 0);

    const auto& lines = update.log.lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2],
              "WheelFirmwareUpdate : old device node sim:kestrel-wheel still there after 3000 ms");
    EXPECT_EQ(lines.back(), "Device re-open error");
    EXPECT_EQ(outline(update.wheel.transcript()), "O W33 C O W772 C");
    EXPECT_EQ(update.wheel.memory().readU32(kNvmFlagsOffset), 0x80000001u);
    EXPECT_EQ(update.waited(), 3000ms);
    EXPECT_EQ(update.wheel.openHandles(), 0);
}

TEST(Firmware, ProgressIsReportedAfterEveryChunkAndBeforeEveryPause) {
    using Phase = FirmwareProgress::Phase;
    Update update;
    update.wheel.setOldNodeLingersAfterFlash(100ms);
    update.wheel.setOpensMissedAfterFlash(1);
    std::vector<FirmwareProgress> reports;
    update.options.progress = [&](const FirmwareProgress& progress) { reports.push_back(progress); };

    ASSERT_EQ(update.run(), 1);

    ASSERT_EQ(reports.size(), 771u + 2 + 1 + 1);
    for (std::size_t chunk = 0; chunk < 771; ++chunk) {
        EXPECT_EQ(reports[chunk].phase, Phase::Flashing);
        EXPECT_EQ(reports[chunk].chunksSent, chunk + 1);
        EXPECT_EQ(reports[chunk].chunkCount, 771u);
    }
    EXPECT_EQ(reports[771].phase, Phase::WaitingForOldNode);
    EXPECT_EQ(reports[772].phase, Phase::WaitingForOldNode);
    EXPECT_EQ(reports[773].phase, Phase::WaitingForWheel);
    EXPECT_EQ(reports[774].phase, Phase::Finishing);
    EXPECT_EQ(reports[774].chunksSent, 771u);
}

TEST(Firmware, FailedClearOfTheMarkIsTriedOnceMore) {
    Update update;
    update.wheel.failOpen(4);

    EXPECT_EQ(update.run(), 1);

    EXPECT_TRUE(update.log.contains(
        "WheelFirmwareUpdate : clearing the update-pending bit failed; trying once more in 500 ms"));
    EXPECT_EQ(update.log.lines().back(), "WheelFirmwareUpdate : update-pending bit cleared");
    EXPECT_EQ(update.sleeps, repeated(1, 500ms));
    EXPECT_EQ(update.wheel.memory().readU32(kNvmFlagsOffset), 0x00000001u);
}

TEST(Firmware, FailingToClearTheMarkTwiceStillReportsSuccess) {
    Update update;
    update.wheel.failOpen(4);
    update.wheel.failOpen(5);

    EXPECT_EQ(update.run(), 1);

    const auto& lines = update.log.lines();
    EXPECT_EQ(lines[lines.size() - 2], "UWD : Device open error");
    EXPECT_EQ(lines.back(), "ERROR CLEARING BIT!");
    EXPECT_EQ(update.wheel.memory().readU32(kNvmFlagsOffset), 0x80000001u);
}

TEST(Firmware, StandInIsNeverSentToARealWheel) {
    Update update;
    update.wheel.setPath("/dev/hidraw3");
    update.options.image = embeddedFirmware();
    ASSERT_TRUE(isStandInFirmware(update.options.image));
    const NvmImage before = update.image;

    EXPECT_EQ(update.run(), 0);

    EXPECT_TRUE(update.wheel.transcript().empty());
    EXPECT_EQ(update.image, before);
    ASSERT_EQ(update.log.lines().size(), 1u);
    EXPECT_NE(update.log.lines()[0].find("/dev/hidraw3"), std::string::npos);
}

TEST(Firmware, RealImageIsSentToARealWheel) {
    Update update;
    update.wheel.setPath("/dev/hidraw3");
    std::vector<std::uint8_t> image(kFirmwareImageSize, 0x5A);
    update.options.image = image;

    EXPECT_EQ(update.run(), 1);
    EXPECT_EQ(update.wheel.flash(), image);
}

TEST(Firmware, EmbeddedImageIsWholeChunks) {
    const auto image = embeddedFirmware();
    ASSERT_FALSE(image.empty());
    EXPECT_EQ(image.size() % kReportPayloadSize, 0u);
    if (isStandInFirmware(image)) {
        EXPECT_EQ(image.size(), kFirmwareImageSize);
    }
}

}  // namespace
}  // namespace kestrel
