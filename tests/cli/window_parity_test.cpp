// kestrelctl's set and map write exactly the image the window's Assign Setting writes for the
// same edit, made with the mouse on the real screens.
#include <gtest/gtest.h>

#include <optional>

#include "screens/main_layout.h"
#include "tests/cli/cli_world.h"
#include "tests/screens/screen_world.h"
#include "wheel/hotplug.h"

namespace kestrel {
namespace {

using testing::CliWorld;
using testing::savedWheelImage;

std::optional<std::uint32_t> fixedStamp() { return 0x5EED5EEDu; }

void clickWidget(testing::ScreenWorld& world, const layout::WidgetPlacement& place) {
    const SpriteSize size = world.screens.skin().spriteSize(place.normal);
    world.click(place.x + size.width / 2, place.y + size.height / 2);
}

// The wheel arrives in the window, `edit` works the screens, Assign Setting is pressed; the
// image the frame function would then send.
template <typename Edit>
NvmImage windowAssignSetting(Edit edit) {
    sim::SimWheel wheel;
    wheel.setMemory(savedWheelImage());
    testing::ScreenWorld world;
    HotPlug hotPlug{world.engine.log(), world.image,  world.model,  world.screens,
                    world.flags,        world.states, world.screens, fixedStamp};
    TryToConnectWheel(hotPlug);
    EXPECT_TRUE(world.flags.WheelConnected);
    edit(world);
    clickWidget(world, layout::kMainButtons[0]);
    EXPECT_TRUE(world.flags.ConfigWritePending);
    return world.image;
}

NvmImage kestrelctl(std::vector<std::string> arguments) {
    CliWorld world;
    const testing::RunResult result = world.run(std::move(arguments));
    EXPECT_EQ(result.status, 0) << result.err;
    return world.wheel.memory();
}

void dragPaletteTo(testing::ScreenWorld& world, int palette, int dest) {
    const auto from = testing::paletteCentre(palette);
    const auto to = testing::hotspotCentre(dest);
    world.dragAndDrop(from.x, from.y, to.x, to.y);
}

TEST(WindowParity, MapWritesWhatDragAndDropThenAssignSettingWrites) {
    const NvmImage window = windowAssignSetting([](testing::ScreenWorld& world) {
        dragPaletteTo(world, PAL_RA_Left, DEST_STICK_FORWARD);
        dragPaletteTo(world, PAL_SenBoost, DEST_LEFT_PEDAL);
    });
    EXPECT_EQ(kestrelctl({"map", "--console", "xbox", "STICK_FORWARD=RA_Left", "LEFT_PEDAL=SenBoost"}), window);
    EXPECT_NE(window, savedWheelImage());
}

TEST(WindowParity, SetWritesWhatTheSettingsPageThenAssignSettingWrites) {
    const NvmImage window = windowAssignSetting([](testing::ScreenWorld& world) {
        world.screens.setSensitivityAngles(10.0f, 60.0f);
        world.screens.setPedalValue(230);
        clickWidget(world, layout::kRumbleChecks[kRumbleHigh]);
    });
    EXPECT_EQ(kestrelctl({"set", "--sensitivity", "10-60", "--pedal", "230", "--rumble", "high"}), window);
}

}  // namespace
}  // namespace kestrel
