// Editing end to end against the simulated wheel: the wheel arrives and is read, the user edits
// with the mouse, saves, and the next frame's write puts the result into the wheel's memory.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "screens/main_layout.h"
#include "tests/screens/screen_world.h"
#include "ui/ui_slider.h"
#include "wheel/hotplug.h"
#include "wheel/protocol.h"
#include "wheel/sim/sim_wheel.h"

namespace kestrel {
namespace {

using testing::hotspotCentre;
using testing::paletteCentre;

std::optional<std::uint32_t> fixedStamp() { return 0x5EED5EEDu; }

// Every byte the configuration owns; the rest must reach the wheel exactly as it was read.
std::vector<bool> ownedBytes() {
    std::vector<bool> owned(kNvmSize, false);
    auto mark = [&](std::size_t offset, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) owned[offset + i] = true;
    };
    mark(0, 12);  // signature, stamp, flags
    for (std::size_t block : {kXboxBlockOffset, kPs3BlockOffset}) {
        mark(block, 4);
        mark(block + kOutputTypeOffset, kPhysicalControlCount);
        mark(block + kOutputValueOffset, 2 * kPhysicalControlCount);
    }
    mark(kSettingsBlockOffset, kSettingsBlockSize);
    return owned;
}

class WheelEditing : public ::testing::Test {
protected:
    void SetUp() override {
        // The wheel's memory: a valid header and blocks over bytes that are all distinct-ish,
        // so a byte moved or cleared by mistake shows.
        NvmImage memory;
        for (std::size_t i = 0; i < kNvmSize; ++i) memory.bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
        memory.writeU32(0, kNvmSignature);
        memory.writeU32(kNvmFlagsOffset, 0);
        wheel.setMemory(memory);
        original = memory;
        TryToConnectWheel(hotPlug);
        ASSERT_TRUE(world.flags.WheelConnected);
        ASSERT_EQ(world.states.ScreenState, kScreenMainPage);
    }

    // What the frame function does at the start of the frame after a save.
    void runPendingWrite() {
        ASSERT_TRUE(world.flags.ConfigWritePending);
        WheelLink link{world.engine.log(), world.image};
        ASSERT_EQ(UWD(link, false), 1);
        world.states.ScreenState = world.states.ResumeState;
        world.flags.ConfigWritePending = false;
    }
    void clickWidget(const layout::WidgetPlacement& place) {
        const SpriteSize size = world.screens.skin().spriteSize(place.normal);
        world.click(place.x + size.width / 2, place.y + size.height / 2);
    }
    void dragPaletteTo(int palette, int dest) {
        const auto from = paletteCentre(palette);
        const auto to = hotspotCentre(dest);
        world.dragAndDrop(from.x, from.y, to.x, to.y);
    }
    std::size_t typeByte(std::size_t block, int dest) const {
        return block + kOutputTypeOffset + static_cast<std::size_t>(kDestToSlot[dest]);
    }
    std::size_t valueWord(std::size_t block, int dest) const {
        return block + kOutputValueOffset + 2 * static_cast<std::size_t>(kDestToSlot[dest]);
    }
    void expectUnownedBytesUnchanged() {
        const auto owned = ownedBytes();
        for (std::size_t i = 0; i < kNvmSize; ++i) {
            if (!owned[i]) {
                EXPECT_EQ(wheel.memory().bytes[i], original.bytes[i]) << "byte " << i;
            }
        }
    }

    sim::SimWheel wheel;
    testing::ScreenWorld world;
    NvmImage original;
    HotPlug hotPlug{world.engine.log(), world.image,  world.model,  world.screens,
                    world.flags,        world.states, world.screens, fixedStamp};
};

TEST_F(WheelEditing, DraggedFunctionReachesTheWheelAfterAssignSetting) {
    dragPaletteTo(PAL_RA_Left, DEST_STICK_FORWARD);
    clickWidget(layout::kMainButtons[0]);
    EXPECT_EQ(wheel.memory(), original) << "nothing is written before the next frame";
    runPendingWrite();

    const NvmImage& memory = wheel.memory();
    EXPECT_EQ(memory.bytes[typeByte(kXboxBlockOffset, DEST_STICK_FORWARD)], XB360_RSX);
    EXPECT_EQ(memory.readS16(valueWord(kXboxBlockOffset, DEST_STICK_FORWARD)), -32768);
    EXPECT_EQ(memory.readU32(kXboxBlockOffset), kNvmSignature);
    EXPECT_EQ(memory.readU32(kNvmFlagsOffset), 0u) << "console mode 0, update-pending cleared";
    expectUnownedBytesUnchanged();
    EXPECT_EQ(world.states.ScreenState, kScreenMainPage);
}

TEST_F(WheelEditing, ConsoleSwitchKeepsEditsInTheProgramUntilTheyAreSaved) {
    dragPaletteTo(PAL_SenBoost, DEST_A);
    clickWidget(layout::kConsoleChecks[1]);
    world.runUntilStateIsNot(kScreenConsoleSwitchFirstHalf);
    world.runUntilStateIsNot(kScreenConsoleSwitchSecondHalf);
    dragPaletteTo(PAL_R3, DEST_B);
    EXPECT_EQ(wheel.memory(), original);

    clickWidget(layout::kMainButtons[0]);
    runPendingWrite();
    const NvmImage& memory = wheel.memory();
    EXPECT_EQ(memory.bytes[typeByte(kXboxBlockOffset, DEST_A)], XB360_STEERING_BOOST);
    EXPECT_EQ(memory.bytes[typeByte(kPs3BlockOffset, DEST_B)], PS3_R3);
    EXPECT_EQ(memory.readS16(valueWord(kPs3BlockOffset, DEST_B)), 1);
    EXPECT_EQ(memory.readU32(kNvmFlagsOffset), 1u) << "saved while on the PS3";
    expectUnownedBytesUnchanged();
}

TEST_F(WheelEditing, ResetLayoutWritesTheDefaults) {
    dragPaletteTo(PAL_SenBoost, DEST_A);
    clickWidget(layout::kMainButtons[1]);
    EXPECT_EQ(world.states.ScreenState, kScreenSavingAfterReset);
    runPendingWrite();
    const NvmImage& memory = wheel.memory();
    for (int dest = 0; dest < kDestinationCount; ++dest) {
        EXPECT_EQ(memory.bytes[typeByte(kXboxBlockOffset, dest)], kPaletteOutputType[kDefaultXboxMapping[dest]]);
        EXPECT_EQ(memory.bytes[typeByte(kPs3BlockOffset, dest)], kPaletteOutputType[kDefaultPs3Mapping[dest]]);
    }
    EXPECT_EQ(memory.readS32(kSettingsBlockOffset + kRumbleLevelOffset), kRumbleHigh);
    expectUnownedBytesUnchanged();
}

TEST_F(WheelEditing, PedalSliderAndDialReachTheWheelAsShown) {
    UISlider& slider = *world.screens.pedalSlider();
    const ImageElement& thumb = slider.thumbImage();
    const int grabX = thumb.drawnX() + thumb.width() / 2;
    const int grabY = thumb.drawnY() + thumb.height() / 2;
    world.frame(grabX, grabY, true);
    world.frame(kSliderX + 100, grabY, true);
    world.frame(kSliderX + 100, grabY, false);
    const int pedal = static_cast<int>(256.0f / slider.trackLength() * 100);
    EXPECT_EQ(slider.value(), pedal);

    clickWidget(layout::kPageTabs[1]);
    world.runUntilStateIsNot(kScreenSlideToSensitivity);
    // The upper handle sits at 90 degrees, 240 px right of the centre; drag it to 45.
    world.frame(layout::kDialCentreX + 240, layout::kDialCentreY, true);
    world.frame(layout::kDialCentreX + 170, layout::kDialCentreY - 170, true);
    world.frame(layout::kDialCentreX + 170, layout::kDialCentreY - 170, false);

    clickWidget(layout::kMainButtons[0]);
    runPendingWrite();
    const NvmImage& memory = wheel.memory();
    EXPECT_EQ(memory.readS32(kSettingsBlockOffset + kSensitivityStartOffset), 0);
    // 45 / 90 * 32767 rounded up, the smallest setting that reads back as 45 degrees.
    EXPECT_EQ(memory.readS32(kSettingsBlockOffset + kSensitivityEndOffset), 16384);
    EXPECT_EQ(memory.readS32(kSettingsBlockOffset + kPedalPressureOffset), pedal);
    EXPECT_EQ(memory.readS32(kSettingsBlockOffset + kPedalPressureOffset + 4), pedal);
    EXPECT_EQ(world.states.ScreenState, kScreenSensitivityPage);
}

TEST_F(WheelEditing, WheelReadOnArrivalIsWhatTheMainPageShows) {
    NvmImage memory = original;
    const std::size_t slot = typeByte(kXboxBlockOffset, DEST_LEFT);
    memory.writeU32(kXboxBlockOffset, kNvmSignature);
    for (int p = kFirstEditableControl; p < kPhysicalControlCount; ++p) {
        memory.bytes[kXboxBlockOffset + kOutputTypeOffset + p] = 0;
    }
    memory.bytes[slot] = XB360_Y;
    wheel.setMemory(memory);
    TryToRemoveWheel(hotPlug);  // still attached: nothing changes
    EXPECT_TRUE(world.flags.WheelConnected);
    wheel.unplug();
    TryToRemoveWheel(hotPlug);
    EXPECT_EQ(world.states.ScreenState, kScreenNoWheel);
    wheel.plug();
    TryToConnectWheel(hotPlug);
    EXPECT_EQ(world.states.ScreenState, kScreenMainPage);
    EXPECT_EQ(world.model.WorkingMapping[DEST_LEFT], PAL_Y);
    EXPECT_EQ(world.model.WorkingMapping[DEST_RIGHT], -1);
    EXPECT_TRUE(world.screens.mainControlsPanel()->child(0).enabled());
}

}  // namespace
}  // namespace kestrel
