// Who hears the mouse while a widget holds it: a slider or dial drag let go over a widget of
// another panel presses nothing and writes nothing, and a drag cut off by unplugging the wheel
// does not come back with it. Against the simulated wheel, through the real hot-plug calls.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "screens/main_layout.h"
#include "tests/screens/screen_world.h"
#include "ui/ui_clock_slider.h"
#include "ui/ui_slider.h"
#include "wheel/hotplug.h"
#include "wheel/sim/sim_wheel.h"

namespace kestrel {
namespace {

std::optional<std::uint32_t> fixedStamp() { return 0x5EED5EEDu; }

enum class Dragged { PedalSlider, Dial };

class Capture : public ::testing::Test {
protected:
    void SetUp() override {
        world.screens.setSupportUrl("https://example.org/support/");
        TryToConnectWheel(hotPlug);
        ASSERT_TRUE(world.flags.WheelConnected);
    }

    testing::Point centreOf(const layout::WidgetPlacement& place) {
        const SpriteSize size = world.screens.skin().spriteSize(place.normal);
        return {place.x + size.width / 2, place.y + size.height / 2};
    }
    void clickWidget(const layout::WidgetPlacement& place) {
        const auto at = centreOf(place);
        world.click(at.x, at.y);
    }
    void showSensitivityPage() {
        clickWidget(layout::kPageTabs[1]);
        world.runUntilStateIsNot(kScreenSlideToSensitivity);
        ASSERT_EQ(world.states.ScreenState, kScreenSensitivityPage);
    }
    testing::Point sliderThumb() {
        const ImageElement& thumb = world.screens.pedalSlider()->thumbImage();
        return {thumb.drawnX() + thumb.width() / 2, thumb.drawnY() + thumb.height() / 2};
    }
    // The dial's handle that moves when dragged towards `to`: the dial spans 0 to 90 degrees, so
    // right of the centre the lower one (at 0, straight above the centre) follows, left of it the
    // upper one (at 90, right of the centre) goes down to 0.
    static testing::Point dialHandleFor(testing::Point to) {
        if (to.x < layout::kDialCentreX) return {layout::kDialCentreX + 240, layout::kDialCentreY};
        return {layout::kDialCentreX, layout::kDialCentreY - 240};
    }
    std::pair<float, float> dialAngles() const {
        return {world.screens.sensitivityLowerAngle(), world.screens.sensitivityUpperAngle()};
    }

    // Grabs the widget and holds the button down while moving to `to`.
    void grab(Dragged dragged, testing::Point to) {
        const testing::Point from = dragged == Dragged::PedalSlider ? sliderThumb() : dialHandleFor(to);
        world.frame(from.x, from.y, true);
        world.frame((from.x + to.x) / 2, (from.y + to.y) / 2, true);
        world.frame(to.x, to.y, true);
        world.frame(to.x, to.y, true);
    }

    void unplugAndReplug() {
        wheel.unplug();
        TryToRemoveWheel(hotPlug);
        ASSERT_EQ(world.states.ScreenState, kScreenNoWheel);
        wheel.plug();
        TryToConnectWheel(hotPlug);
        ASSERT_TRUE(world.flags.WheelConnected);
    }

    sim::SimWheel wheel;
    testing::ScreenWorld world;
    HotPlug hotPlug{world.engine.log(), world.image,  world.model,  world.screens,
                    world.flags,        world.states, world.screens, fixedStamp};
};

struct ReleaseCase {
    const char* name;
    Dragged dragged;
    bool onSensitivityPage;
    layout::WidgetPlacement target;
};

const std::vector<ReleaseCase>& releaseCases() {
    static const std::vector<ReleaseCase> cases = {
        {"slider over Assign Setting", Dragged::PedalSlider, false, layout::kMainButtons[0]},
        {"slider over rumble Medium", Dragged::PedalSlider, false, layout::kRumbleChecks[1]},
        {"slider over PS3", Dragged::PedalSlider, false, layout::kConsoleChecks[1]},
        {"slider over Help", Dragged::PedalSlider, false, layout::kWindowButtons[2]},
        {"slider over Reset Layout, second page", Dragged::PedalSlider, true, layout::kMainButtons[1]},
        {"dial over Assign Setting", Dragged::Dial, true, layout::kMainButtons[0]},
        {"dial over rumble Medium", Dragged::Dial, true, layout::kRumbleChecks[1]},
        {"dial over PS3", Dragged::Dial, true, layout::kConsoleChecks[1]},
        {"dial over the Remap tab", Dragged::Dial, true, layout::kPageTabs[0]},
        {"dial over Help", Dragged::Dial, true, layout::kWindowButtons[2]},
    };
    return cases;
}

TEST_F(Capture, DragLetGoOverAnotherWidgetPressesNothingAndWritesNothing) {
    for (const ReleaseCase& c : releaseCases()) {
        SCOPED_TRACE(c.name);
        // A fresh screen for each case.
        world.screens.buildScreen();
        TryToConnectWheel(hotPlug);
        if (c.onSensitivityPage) showSensitivityPage();
        const int page = world.states.ScreenState;
        const int rumble = world.model.rumbleLevel;
        const int console = world.model.ConsoleMode;
        const int pedal = world.screens.pedalValue();
        const auto angles = dialAngles();
        wheel.clearTranscript();

        const testing::Point target = centreOf(c.target);
        grab(c.dragged, target);
        world.frame(target.x, target.y, false);
        world.frame(target.x, target.y, false);

        if (c.dragged == Dragged::PedalSlider) {
            EXPECT_NE(world.screens.pedalValue(), pedal) << "the drag itself moved the thumb";
        } else {
            EXPECT_NE(dialAngles(), angles) << "the drag itself moved a handle";
        }
        EXPECT_EQ(world.states.ScreenState, page);
        EXPECT_FALSE(world.flags.ConfigWritePending);
        EXPECT_EQ(world.model.rumbleLevel, rumble);
        EXPECT_EQ(world.model.ConsoleMode, console);
        EXPECT_TRUE(world.engine.platform().openedDocuments().empty());
        EXPECT_TRUE(wheel.transcript().empty());
        EXPECT_EQ(world.screens.mouseOwner(), nullptr);
        EXPECT_FALSE(world.screens.inputCaptured());
    }
}

TEST_F(Capture, AfterTheReleaseOtherPanelsHearTheMouseAgain) {
    const testing::Point ps3 = centreOf(layout::kConsoleChecks[1]);
    grab(Dragged::PedalSlider, ps3);
    world.frame(ps3.x, ps3.y, false);

    clickWidget(layout::kConsoleChecks[1]);
    EXPECT_EQ(world.states.ScreenState, kScreenConsoleSwitchFirstHalf);
}

TEST_F(Capture, SliderDragCutOffByUnplugDoesNotComeBackWithTheWheel) {
    const int stored = world.screens.pedalValue();
    grab(Dragged::PedalSlider, {kSliderX + 60, sliderThumb().y});
    ASSERT_NE(world.screens.pedalValue(), stored);

    unplugAndReplug();
    EXPECT_EQ(world.screens.pedalValue(), stored) << "what the wheel holds";
    EXPECT_FALSE(world.screens.pedalSlider()->dragging());

    // The button came up while the wheel was away: moving and clicking elsewhere change nothing.
    world.frame(kSliderX + 150, 500, false);
    world.frame(kSliderX + 20, 450, false);
    world.click(400, 30);
    world.click(kSliderX - 40, 440);
    EXPECT_EQ(world.screens.pedalValue(), stored);
}

TEST_F(Capture, DialDragCutOffByUnplugDoesNotComeBackWithTheWheel) {
    showSensitivityPage();
    const auto stored = dialAngles();
    grab(Dragged::Dial, {layout::kDialCentreX + 170, layout::kDialCentreY - 170});
    ASSERT_NE(dialAngles(), stored);

    unplugAndReplug();
    ASSERT_EQ(world.states.ScreenState, kScreenSensitivityPage);
    EXPECT_EQ(world.screens.sensitivityDial()->draggedHandle(), 0);

    world.frame(layout::kDialCentreX, layout::kDialCentreY - 240, false);
    world.frame(layout::kDialCentreX + 100, layout::kDialCentreY - 50, false);
    world.click(layout::kDialCentreX - 30, layout::kDialCentreY + 30);
    EXPECT_EQ(dialAngles(), stored);
}

TEST_F(Capture, ConsoleChoiceStaysOffWhenThePresetListOverTheSecondPageReturns) {
    showSensitivityPage();
    world.states.ResumeState = kScreenSensitivityPage;
    world.states.ScreenState = kScreenPresetList;  // as the Presets button leaves it

    unplugAndReplug();
    EXPECT_EQ(world.states.ScreenState, kScreenPresetList);
    world.states.ScreenState = world.states.ResumeState;  // the list closes

    EXPECT_FALSE(world.screens.consolePanel()->child(0).enabled());
    EXPECT_TRUE(world.screens.mainControlsPanel()->child(0).enabled());
    clickWidget(layout::kConsoleChecks[1]);
    EXPECT_EQ(world.states.ScreenState, kScreenSensitivityPage);
    EXPECT_EQ(world.model.ConsoleMode, kConsoleXbox360);
}

}  // namespace
}  // namespace kestrel
