// The main screen as the user works it: drag and drop onto the wheel's controls, page tabs,
// console switch, rumble, saving, the window buttons, and which states hear the mouse.
#include <gtest/gtest.h>

#include "screens/main_layout.h"
#include "tests/screens/screen_world.h"
#include "ui/ui_clock_slider.h"
#include "ui/ui_radio_group.h"
#include "ui/ui_slider.h"

namespace kestrel {
namespace {

using testing::hotspotCentre;
using testing::paletteCentre;
using testing::ScreenWorld;

// The centre of a widget placed by one of the layout tables.
testing::Point centreOf(const layout::WidgetPlacement& place, const SpriteSize& size) {
    return {place.x + size.width / 2, place.y + size.height / 2};
}

class ScreenEditing : public ::testing::Test {
protected:
    void SetUp() override { world.connectWheel(); }

    testing::Point widget(const layout::WidgetPlacement& place) {
        return centreOf(place, world.screens.skin().spriteSize(place.normal));
    }
    void clickWidget(const layout::WidgetPlacement& place) {
        const auto at = widget(place);
        world.click(at.x, at.y);
    }
    void dragPaletteTo(int palette, int dest) {
        const auto from = paletteCentre(palette);
        const auto to = hotspotCentre(dest);
        world.dragAndDrop(from.x, from.y, to.x, to.y);
    }
    testing::Point labelCentre(int dest) {
        const LabelRectangle& label = world.model.LabelRect[dest];
        return {(label.left + label.right) / 2, (label.top + label.bottom) / 2};
    }

    ScreenWorld world;
};

// ---- Drag and drop -------------------------------------------------------------------------

TEST_F(ScreenEditing, DroppingAPaletteFunctionOnAControlAssignsItAndPlacesItsLabel) {
    dragPaletteTo(PAL_SenBoost, DEST_LEFT_PADDLE);
    EXPECT_EQ(world.model.WorkingMapping[DEST_LEFT_PADDLE], PAL_SenBoost);
    EXPECT_EQ(world.model.LabelRect[DEST_LEFT_PADDLE], labelRectangle(kConsoleXbox360, DEST_LEFT_PADDLE, PAL_SenBoost));
    EXPECT_FALSE(world.screens.drag().dragging);
    // Only the working mapping changes until a save.
    EXPECT_EQ(world.model.StoredMapping[0][DEST_LEFT_PADDLE], kDefaultXboxMapping[DEST_LEFT_PADDLE]);
}

TEST_F(ScreenEditing, DragItemFollowsThePointerCentredOnItWhileHeld) {
    const auto from = paletteCentre(PAL_A);
    EXPECT_EQ(world.frame(from.x, from.y, true), 1);
    world.frame(400, 200, true);
    const DragItem& item = world.screens.drag().item;
    EXPECT_TRUE(world.screens.drag().dragging);
    EXPECT_EQ(item.sprite, kPaletteSprite[0][PAL_A]);
    EXPECT_EQ(item.left, 400 - item.width / 2);
    EXPECT_EQ(item.top, 200 - item.height / 2);
    EXPECT_EQ(world.frame(400, 200, true), 1) << "a drag holds the mouse, so the window is not dragged";
}

TEST_F(ScreenEditing, DroppingOnAnAssignedControlReplacesItsFunction) {
    ASSERT_EQ(world.model.WorkingMapping[DEST_A], PAL_X);
    dragPaletteTo(PAL_Y, DEST_A);
    EXPECT_EQ(world.model.WorkingMapping[DEST_A], PAL_Y);
}

TEST_F(ScreenEditing, HotspotBoundsAreInclusiveOnEverySide) {
    const DestHotspot& spot = kDestHotspot[DEST_LEFT_PEDAL];
    const auto from = paletteCentre(PAL_R3);
    world.dragAndDrop(from.x, from.y, spot.x + spot.width, spot.y + spot.height);
    EXPECT_EQ(world.model.WorkingMapping[DEST_LEFT_PEDAL], PAL_R3);
    world.dragAndDrop(from.x, from.y, spot.x - 1, spot.y);
    EXPECT_EQ(world.model.WorkingMapping[DEST_LEFT_PEDAL], PAL_R3) << "one pixel outside changes nothing";
}

TEST_F(ScreenEditing, MovingALabelToAnotherControlMovesItsFunction) {
    const auto from = labelCentre(DEST_LEFT_PEDAL);
    const auto to = hotspotCentre(DEST_RIGHT_PADDLE);
    world.dragAndDrop(from.x, from.y, to.x, to.y);
    EXPECT_EQ(world.model.WorkingMapping[DEST_LEFT_PEDAL], -1);
    EXPECT_FALSE(world.model.LabelRect[DEST_LEFT_PEDAL].isSet());
    EXPECT_EQ(world.model.WorkingMapping[DEST_RIGHT_PADDLE], PAL_LT);
}

TEST_F(ScreenEditing, LabelDroppedOnTheBottomAreaIsUnassignedButElsewhereInTheTopAreaStays) {
    const auto from = labelCentre(DEST_UP);
    world.dragAndDrop(from.x, from.y, 700, 330);  // top area, no hotspot
    EXPECT_EQ(world.model.WorkingMapping[DEST_UP], PAL_Up);
    world.dragAndDrop(from.x, from.y, 700, 357);  // just into the bottom area
    EXPECT_EQ(world.model.WorkingMapping[DEST_UP], -1);
    EXPECT_FALSE(world.model.LabelRect[DEST_UP].isSet());
}

TEST_F(ScreenEditing, PaletteFunctionDroppedOutsideAnyControlChangesNothing) {
    const auto before = world.model.WorkingMapping;
    const auto from = paletteCentre(PAL_B);
    world.dragAndDrop(from.x, from.y, 700, 500);
    EXPECT_EQ(world.model.WorkingMapping, before);
    EXPECT_FALSE(world.screens.drag().dragging);
}

TEST_F(ScreenEditing, PressOnEmptySpaceStartsADragWhenMovedOntoAnIcon) {
    world.frame(300, 370, true);
    EXPECT_FALSE(world.screens.drag().dragging);
    const auto over = paletteCentre(PAL_Down);
    world.frame(over.x, over.y, true);
    EXPECT_TRUE(world.screens.drag().dragging);
    EXPECT_EQ(world.screens.drag().paletteIndex, PAL_Down);
}

TEST_F(ScreenEditing, PressTakenByAWidgetNeverStartsADrag) {
    const auto assign = widget(layout::kMainButtons[0]);
    world.frame(assign.x, assign.y, true);
    const auto over = paletteCentre(PAL_Down);
    world.frame(over.x, over.y, true);
    EXPECT_FALSE(world.screens.drag().dragging);
    world.frame(over.x, over.y, false);
    EXPECT_EQ(world.states.ScreenState, kScreenMainPage) << "leaving the button while held cancels its click";
}

TEST_F(ScreenEditing, WheelRemovedMidDragDropsNothingWhenItReturns) {
    const auto from = paletteCentre(PAL_SenBoost);
    world.frame(from.x, from.y, true);
    world.removeWheel();
    world.connectWheel();
    const auto spot = hotspotCentre(DEST_A);
    world.frame(spot.x, spot.y, false);
    EXPECT_EQ(world.model.WorkingMapping[DEST_A], PAL_X);
    EXPECT_FALSE(world.screens.drag().dragging);
}

// ---- Pages and console ---------------------------------------------------------------------

TEST_F(ScreenEditing, SensitivityTabSlidesBothPagesAndBack) {
    clickWidget(layout::kPageTabs[1]);
    EXPECT_EQ(world.states.ScreenState, kScreenSlideToSensitivity);
    EXPECT_FALSE(world.screens.consolePanel()->child(0).enabled());
    const int frames = world.runUntilStateIsNot(kScreenSlideToSensitivity);
    EXPECT_EQ(frames, layout::kAnimationFrames);
    EXPECT_EQ(world.states.ScreenState, kScreenSensitivityPage);
    EXPECT_EQ(world.screens.pages().mainOffset, -800);
    EXPECT_EQ(world.screens.pages().sensitivityOffset, 0);
    EXPECT_EQ(world.screens.sensitivityPanel()->x(), 0);
    DialPoint hub = world.screens.sensitivityDial()->handlePoint(0);
    EXPECT_EQ(hub.x, layout::kDialCentreX) << "the lower handle at 0 degrees sits straight above the centre";

    clickWidget(layout::kPageTabs[0]);
    EXPECT_EQ(world.states.ScreenState, kScreenSlideToMain);
    world.runUntilStateIsNot(kScreenSlideToMain);
    EXPECT_EQ(world.states.ScreenState, kScreenMainPage);
    EXPECT_EQ(world.screens.pages().mainOffset, 0);
    EXPECT_EQ(world.screens.sensitivityPanel()->x(), 800);
    EXPECT_TRUE(world.screens.consolePanel()->child(0).enabled());
}

TEST_F(ScreenEditing, WheelReturningMidSlideStillEndsOnTheSensitivityPageWithoutConsoleChoice) {
    clickWidget(layout::kPageTabs[1]);
    for (int i = 0; i < 10; ++i) world.frame(0, 0, false);
    world.removeWheel();
    world.frame(0, 0, false);
    EXPECT_EQ(world.states.ScreenState, kScreenNoWheel);
    world.connectWheel();
    EXPECT_EQ(world.states.ScreenState, kScreenSlideToSensitivity);
    world.runUntilStateIsNot(kScreenSlideToSensitivity);
    EXPECT_EQ(world.states.ScreenState, kScreenSensitivityPage);
    EXPECT_EQ(world.screens.pages().mainOffset, -800);
    EXPECT_FALSE(world.screens.consolePanel()->child(0).enabled());
}

TEST_F(ScreenEditing, TabOfThePageShownAndCheckOfTheActiveConsoleDoNothing) {
    clickWidget(layout::kPageTabs[0]);
    EXPECT_EQ(world.states.ScreenState, kScreenMainPage);
    clickWidget(layout::kConsoleChecks[0]);
    EXPECT_EQ(world.states.ScreenState, kScreenMainPage);
}

TEST_F(ScreenEditing, ConsoleSwitchExchangesMappingsAtItsMidpointAndKeepsUnsavedEdits) {
    dragPaletteTo(PAL_SenBoost, DEST_A);
    clickWidget(layout::kConsoleChecks[1]);
    EXPECT_EQ(world.states.ScreenState, kScreenConsoleSwitchFirstHalf);
    EXPECT_EQ(world.runUntilStateIsNot(kScreenConsoleSwitchFirstHalf), layout::kAnimationFrames);
    EXPECT_EQ(world.model.ConsoleMode, kConsolePs3);
    EXPECT_EQ(world.model.WorkingMapping[DEST_L1], kDefaultPs3Mapping[DEST_L1]);
    EXPECT_EQ(world.runUntilStateIsNot(kScreenConsoleSwitchSecondHalf), layout::kAnimationFrames);
    EXPECT_EQ(world.states.ScreenState, kScreenMainPage);
    EXPECT_EQ(world.screens.switchValue(), 0.0);

    clickWidget(layout::kConsoleChecks[0]);
    world.runUntilStateIsNot(kScreenConsoleSwitchFirstHalf);
    world.runUntilStateIsNot(kScreenConsoleSwitchSecondHalf);
    EXPECT_EQ(world.model.ConsoleMode, kConsoleXbox360);
    EXPECT_EQ(world.model.WorkingMapping[DEST_A], PAL_SenBoost);
    EXPECT_FALSE(world.flags.ConfigWritePending) << "a switch is not saved";
}

TEST_F(ScreenEditing, RumbleChecksSetTheLevelWithoutWriting) {
    const int levels[] = {kRumbleOff, kRumbleMedium, kRumbleHigh};
    for (std::size_t i = 0; i < layout::kRumbleChecks.size(); ++i) {
        clickWidget(layout::kRumbleChecks[i]);
        EXPECT_EQ(world.model.rumbleLevel, levels[i]);
    }
    EXPECT_FALSE(world.flags.ConfigWritePending);
}

// ---- Saving --------------------------------------------------------------------------------

TEST_F(ScreenEditing, AssignSettingCommitsEncodesAndShowsTheSavingScreen) {
    dragPaletteTo(PAL_RA_Up, DEST_STICK_BACK);
    clickWidget(layout::kRumbleChecks[1]);
    clickWidget(layout::kMainButtons[0]);
    EXPECT_EQ(world.states.ScreenState, kScreenSaving);
    EXPECT_EQ(world.states.ResumeState, kScreenMainPage);
    EXPECT_TRUE(world.flags.ConfigWritePending);
    EXPECT_EQ(world.model.StoredMapping[0][DEST_STICK_BACK], PAL_RA_Up);
    const std::size_t slot = kXboxBlockOffset + kOutputTypeOffset + kDestToSlot[DEST_STICK_BACK];
    EXPECT_EQ(world.image.bytes[slot], XB360_RSY);
    EXPECT_EQ(world.image.readS32(kSettingsBlockOffset + kRumbleLevelOffset), kRumbleMedium);
}

TEST_F(ScreenEditing, SensitivityAndPedalPressureReachTheImageAsShown) {
    world.screens.setSensitivityAngles(10.0f, 44.0f);
    world.screens.setPedalValue(100);
    clickWidget(layout::kMainButtons[0]);
    // 10 / 90 * 32767 and 44 / 90 * 32767, rounded up so they read back as 10 and 44 degrees.
    EXPECT_EQ(world.image.readS32(kSettingsBlockOffset + kSensitivityStartOffset), 3641);
    EXPECT_EQ(world.image.readS32(kSettingsBlockOffset + kSensitivityEndOffset), 16020);
    const int pedal = world.screens.pedalSlider()->value();
    EXPECT_EQ(world.image.readS32(kSettingsBlockOffset + kPedalPressureOffset), pedal);
    EXPECT_EQ(world.image.readS32(kSettingsBlockOffset + kPedalPressureOffset + 4), pedal);
}

TEST_F(ScreenEditing, ResetLayoutWritesTheDefaultsOfBothConsolesAndSettings) {
    dragPaletteTo(PAL_SenBoost, DEST_A);
    clickWidget(layout::kRumbleChecks[0]);
    world.screens.setPedalValue(10);
    clickWidget(layout::kMainButtons[1]);
    EXPECT_EQ(world.states.ScreenState, kScreenSavingAfterReset);
    EXPECT_TRUE(world.flags.ConfigWritePending);
    EXPECT_EQ(world.model.WorkingMapping, kDefaultXboxMapping);
    const std::size_t settings = kSettingsBlockOffset;
    EXPECT_EQ(world.image.readS32(settings + kRumbleLevelOffset), kRumbleHigh);
    EXPECT_EQ(world.image.readS32(settings + kSensitivityEndOffset), kSensitivityMaximum);
    EXPECT_EQ(world.image.readS32(settings + kPedalPressureOffset + 4), kPedalMaximum);
    EXPECT_EQ(world.screens.pedalValue(), kPedalMaximum);
    const std::size_t ps3L1 = kPs3BlockOffset + kOutputTypeOffset + kDestToSlot[DEST_L1];
    EXPECT_EQ(world.image.bytes[ps3L1], kPaletteOutputType[kDefaultPs3Mapping[DEST_L1]]);
}

TEST_F(ScreenEditing, SavingFromTheSensitivityPageResumesThere) {
    clickWidget(layout::kPageTabs[1]);
    world.runUntilStateIsNot(kScreenSlideToSensitivity);
    clickWidget(layout::kMainButtons[0]);
    EXPECT_EQ(world.states.ScreenState, kScreenSaving);
    EXPECT_EQ(world.states.ResumeState, kScreenSensitivityPage);
}

// ---- Who hears the mouse -------------------------------------------------------------------

TEST_F(ScreenEditing, NoInputReachesWidgetsWhileSavingSlidingOrSwitching) {
    for (int state : {kScreenSaving, kScreenSavingAfterReset, kScreenFirmwareUpdate}) {
        world.states.ScreenState = state;
        const auto close = widget(layout::kWindowButtons[0]);
        world.frame(close.x, close.y, true);
        EXPECT_EQ(world.frame(close.x, close.y, false), 0) << state;
        EXPECT_FALSE(world.screens.quitRequested()) << state;
    }
}

TEST_F(ScreenEditing, CloseButtonEndsTheProgramOnTheSameFrame) {
    const auto close = widget(layout::kWindowButtons[0]);
    EXPECT_EQ(world.frame(close.x, close.y, true), 1);
    EXPECT_EQ(world.frame(close.x, close.y, false), -1);
}

TEST_F(ScreenEditing, WindowButtonsWorkWithoutAWheel) {
    world.removeWheel();
    world.screens.setSupportUrl("http://localhost/support/");
    clickWidget(layout::kWindowButtons[1]);
    EXPECT_TRUE(world.engine.platform().minimised());
    clickWidget(layout::kWindowButtons[2]);
    ASSERT_EQ(world.engine.platform().openedDocuments().size(), 1u);
    EXPECT_EQ(world.engine.platform().openedDocuments()[0], "http://localhost/support/");
    // The main controls are disabled: a click on Assign Setting does nothing.
    clickWidget(layout::kMainButtons[0]);
    EXPECT_EQ(world.states.ScreenState, kScreenNoWheel);
    EXPECT_FALSE(world.flags.ConfigWritePending);
}

TEST_F(ScreenEditing, HelpOpensOnlyWebLinksAndLogsAnyOtherAsOneLine) {
    const std::vector<std::string> refused = {
        "file:///etc/passwd",
        "javascript:alert(1)",
        "JavaScript:alert('x')%0A\nHelp : forged line",
        "",
    };
    for (const std::string& link : refused) {
        world.engine.log().clear();
        world.screens.setSupportUrl(link);
        clickWidget(layout::kWindowButtons[2]);
        EXPECT_TRUE(world.engine.platform().openedDocuments().empty()) << link;
        ASSERT_EQ(world.engine.log().lines().size(), 1u) << link;
        const std::string& line = world.engine.log().lines()[0];
        EXPECT_EQ(line.rfind("Help : Unable to open the support page ", 0), 0u) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos) << "a link cannot forge log lines";
    }

    world.screens.setSupportUrl("HTTPS://example.org/kestrel/support/");
    clickWidget(layout::kWindowButtons[2]);
    EXPECT_EQ(world.engine.platform().openedDocuments(),
              (std::vector<std::string>{"HTTPS://example.org/kestrel/support/"}));
}

TEST_F(ScreenEditing, AboutShowsTheProgramTitle) {
    world.screens.setAboutText("Kestrel Customiser Setup 1.1");
    clickWidget(layout::kWindowButtons[3]);
    ASSERT_EQ(world.engine.platform().messageBoxTexts().size(), 1u);
    EXPECT_EQ(world.engine.platform().messageBoxTexts()[0], "Kestrel Customiser Setup 1.1");
}

TEST_F(ScreenEditing, PressOnEmptySpaceLeavesTheMouseFreeForWindowDragging) {
    EXPECT_EQ(world.frame(500, 30, true), 0);
    EXPECT_EQ(world.frame(520, 40, true), 0);
    EXPECT_EQ(world.frame(520, 40, false), 0);
}

TEST_F(ScreenEditing, TheTopBandIsTakenExactlyWherePressesAreTaken) {
    // Where only the desktop can move windows it asks before the press reaches the program, so
    // the answer must match what the screen update then does with that press.
    constexpr int kEmptyX = 560;
    constexpr int kEmptyY = 50;
    const auto sweep = [&](const char* where) {
        const int state = world.states.ScreenState;
        int taken = 0;
        for (int y = 0; y < 60; ++y) {
            for (int x = 1; x < 800; x += 2) {
                const bool predicted = world.screens.takesPressAt(x, y);
                const bool pressTaken = world.frame(x, y, true) != 0;
                EXPECT_EQ(predicted, pressTaken) << where << " at " << x << "," << y;
                taken += pressTaken ? 1 : 0;
                // Let go away from the widget, so nothing is clicked.
                world.frame(kEmptyX, kEmptyY, true);
                world.frame(kEmptyX, kEmptyY, false);
                ASSERT_EQ(world.states.ScreenState, state) << where << " at " << x << "," << y;
            }
        }
        EXPECT_GT(taken, 0) << where;
        EXPECT_FALSE(world.screens.takesPressAt(kEmptyX, kEmptyY));
    };
    sweep("main page");
    clickWidget(layout::kPageTabs[1]);
    world.runUntilStateIsNot(kScreenSlideToSensitivity);
    sweep("sensitivity page");
    EXPECT_FALSE(world.screens.quitRequested());
    world.removeWheel();
    sweep("no wheel");
    // The tabs are off without a wheel; the window buttons are not.
    const auto tab = widget(layout::kPageTabs[0]);
    EXPECT_FALSE(world.screens.takesPressAt(tab.x, tab.y));
    const auto close = widget(layout::kWindowButtons[0]);
    EXPECT_TRUE(world.screens.takesPressAt(close.x, close.y));
}

TEST_F(ScreenEditing, AboutGoesToTheMessageDisplayWhenOneIsSet) {
    struct RecordingMessages final : MessageBoxDisplay {
        std::vector<std::string> texts;
        void showMessage(MessageBoxIcon, std::string_view title, std::string_view text) override {
            EXPECT_EQ(title, kMessageBoxTitle);
            texts.emplace_back(text);
        }
    } messages;
    world.screens.setMessageDisplay(&messages);
    world.screens.setAboutText("Kestrel Customiser Setup 1.1");
    clickWidget(layout::kWindowButtons[3]);
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Kestrel Customiser Setup 1.1"}));
    EXPECT_TRUE(world.engine.platform().messageBoxTexts().empty());
}

TEST_F(ScreenEditing, MouseOutsideTheWindowOnlyMovesAndReleases) {
    // The frame function samples all zeros outside: a press held there is never seen.
    const auto assign = widget(layout::kMainButtons[0]);
    world.frame(assign.x, assign.y, true);
    EXPECT_EQ(world.frame(0, 0, false), 0);
    EXPECT_EQ(world.states.ScreenState, kScreenMainPage);
}

class PresetListSpy : public PresetListScreen {
public:
    void open() override { ++opened; }
    bool input(int code, int, int) override {
        codes.push_back(code);
        return false;
    }
    void draw() override { ++drawn; }
    int opened = 0;
    int drawn = 0;
    std::vector<int> codes;
};

TEST_F(ScreenEditing, PresetsButtonOpensTheListWhichAloneHearsTheMouseWithTheWheel) {
    PresetListSpy presets;
    world.screens.setPresetList(&presets);
    clickWidget(layout::kMainButtons[2]);
    EXPECT_EQ(presets.opened, 1);
    world.states.ScreenState = kScreenPresetList;
    presets.codes.clear();
    world.frame(10, 10, false, 1);
    world.frame(10, 10, false, -1);
    world.frame(10, 10, true);
    world.frame(10, 10, false, 1);
    EXPECT_EQ(presets.codes, (std::vector<int>{18, 34, 1, 19}));
    const auto close = widget(layout::kWindowButtons[0]);
    world.click(close.x, close.y);
    EXPECT_FALSE(world.screens.quitRequested());
}

}  // namespace
}  // namespace kestrel
