// The main screen as built at start-up: every widget where the layout tables put it, the
// starting choices, the no-wheel state, the sprites cut from the atlas, and the tear-down.
#include <gtest/gtest.h>

#include <functional>

#include "screens/main_layout.h"
#include "tests/screens/screen_world.h"
#include "ui/ui_button.h"
#include "ui/ui_clock_slider.h"
#include "ui/ui_radio_group.h"
#include "ui/ui_slider.h"

namespace kestrel {
namespace {

using testing::ScreenWorld;

// The first button or check with this id in the panel, looking inside radio groups.
const UIPressable* findWidget(const UIPanel& panel, int id) {
    for (std::size_t i = 0; i < panel.childCount(); ++i) {
        UIBase& child = panel.child(i);
        if (child.type() == kUITypeRadioGroup) {
            auto& group = static_cast<UIRadioGroup&>(child);
            for (std::size_t k = 0; k < group.size(); ++k) {
                if (group.check(k).id() == id) return &group.check(k);
            }
        } else if ((child.type() == kUITypeButton || child.type() == kUITypeCheck) && child.id() == id) {
            return static_cast<const UIPressable*>(&child);
        }
    }
    return nullptr;
}

void expectPlaced(const UIPanel& panel, const layout::WidgetPlacement& place, int userData, int offsetX = 0) {
    const UIPressable* widget = findWidget(panel, place.id);
    ASSERT_NE(widget, nullptr) << place.id;
    EXPECT_EQ(widget->x(), place.x + offsetX) << place.id;
    EXPECT_EQ(widget->y(), place.y) << place.id;
    EXPECT_EQ(widget->normalImage().sprite(), place.normal) << place.id;
    EXPECT_EQ(widget->activeImage().sprite(), place.active) << place.id;
    EXPECT_EQ(widget->hoverImage().sprite(), place.hover) << place.id;
    EXPECT_EQ(widget->userData(), userData) << place.id;
    EXPECT_TRUE(widget->hasCallback()) << place.id;
}

bool checked(const UIPanel& panel, int id) {
    const UIPressable* widget = findWidget(panel, id);
    return widget && widget->type() == kUITypeCheck && static_cast<const UICheck*>(widget)->checked();
}

class MainScreenLayout : public ::testing::Test {
protected:
    ScreenWorld world;
};

TEST_F(MainScreenLayout, EveryWidgetSitsWhereTheLayoutSaysWithItsSprites) {
    Screens& screens = world.screens;
    for (const auto& place : layout::kWindowButtons) expectPlaced(*screens.windowButtonsPanel(), place, layout::kButtonUserData);
    for (const auto& place : layout::kPageTabs) expectPlaced(*screens.mainControlsPanel(), place, layout::kCheckUserData);
    for (const auto& place : layout::kMainButtons) expectPlaced(*screens.mainControlsPanel(), place, layout::kButtonUserData);
    for (const auto& place : layout::kRumbleChecks) expectPlaced(*screens.mainControlsPanel(), place, layout::kCheckUserData);
    for (const auto& place : layout::kConsoleChecks) expectPlaced(*screens.consolePanel(), place, layout::kCheckUserData);
    EXPECT_EQ(screens.rumbleGroup()->id(), layout::kRumbleGroupId);
    EXPECT_EQ(screens.pedalSlider()->x(), kSliderX);
    EXPECT_EQ(screens.pedalSlider()->y(), kSliderY);
}

TEST_F(MainScreenLayout, PanelsListTheirWidgetsLastAddedFirst) {
    const UIPanel& window = *world.screens.windowButtonsPanel();
    ASSERT_EQ(window.childCount(), layout::kWindowButtons.size());
    EXPECT_EQ(window.child(0).id(), layout::kAboutId);
    EXPECT_EQ(window.child(3).id(), layout::kCloseId);
    const UIPanel& main = *world.screens.mainControlsPanel();
    ASSERT_EQ(main.childCount(), 6u);  // tabs, three buttons, rumble group, slider
    EXPECT_EQ(main.child(0).type(), kUITypeSlider);
    EXPECT_EQ(main.child(5).type(), kUITypeRadioGroup);
}

TEST_F(MainScreenLayout, BuildEndsOnTheNoWheelScreenWithOnlyTheWindowButtonsEnabled) {
    EXPECT_EQ(world.states.ScreenState, kScreenNoWheel);
    EXPECT_EQ(world.states.DetachedState, kScreenMainPage);
    Screens& screens = world.screens;
    EXPECT_TRUE(findWidget(*screens.windowButtonsPanel(), layout::kCloseId)->enabled());
    EXPECT_FALSE(findWidget(*screens.mainControlsPanel(), layout::kAssignSettingId)->enabled());
    EXPECT_FALSE(findWidget(*screens.mainControlsPanel(), layout::kRumbleHighId)->enabled());
    EXPECT_FALSE(findWidget(*screens.consolePanel(), layout::kPs3Id)->enabled());
    EXPECT_FLOAT_EQ(findWidget(*screens.consolePanel(), layout::kPs3Id)->normalImage().alpha(), 0.5f);
}

TEST_F(MainScreenLayout, StartingChoicesAndSettings) {
    Screens& screens = world.screens;
    EXPECT_TRUE(checked(*screens.mainControlsPanel(), layout::kRemapTabId));
    EXPECT_FALSE(checked(*screens.mainControlsPanel(), layout::kSensitivityTabId));
    EXPECT_TRUE(checked(*screens.mainControlsPanel(), layout::kRumbleHighId));
    EXPECT_FALSE(checked(*screens.mainControlsPanel(), layout::kRumbleOffId));
    EXPECT_TRUE(checked(*screens.consolePanel(), layout::kXbox360Id));
    EXPECT_EQ(screens.pedalValue(), kPedalMaximum);
    const UIClockSlider& dial = *screens.sensitivityDial();
    EXPECT_FLOAT_EQ(dial.radius(), layout::kDialRadius);
    EXPECT_FLOAT_EQ(dial.firstAngle(), 0.0f);
    EXPECT_FLOAT_EQ(dial.secondAngle(), 90.0f);
    EXPECT_EQ(screens.sensitivityPanel()->x(), layout::kSensitivityPageOffset);
    EXPECT_EQ(dial.x(), layout::kDialCentreX + layout::kSensitivityPageOffset) << "the dial rides on its page";
    EXPECT_EQ(screens.pages().mainOffset, 0);
    EXPECT_EQ(screens.pages().sensitivityOffset, 800);
}

TEST_F(MainScreenLayout, BuildClearsTheEditingModel) {
    EXPECT_EQ(world.model.ConsoleMode, kConsoleXbox360);
    EXPECT_EQ(world.model.WorkingMapping, kUnassignedMapping);
    EXPECT_EQ(world.model.StoredMapping[0], kUnassignedMapping);
    EXPECT_EQ(world.model.StoredMapping[1], kUnassignedMapping);
    for (const auto& label : world.model.LabelRect) EXPECT_FALSE(label.isSet());
    EXPECT_EQ(world.model.rumbleLevel, kRumbleHigh);
    EXPECT_EQ(world.model.sensitivityEnd, kSensitivityMaximum);
    EXPECT_FALSE(world.screens.drag().dragging);
}

TEST_F(MainScreenLayout, SpritesAreCutFromTheAtlasWithTheirAnchors) {
    const Skin& skin = world.screens.skin();
    ASSERT_TRUE(skin.hasTexture());
    for (int index = 0; index < skin::kSpriteCount; ++index) {
        const Sprite* sprite = skin.sprite(index);
        ASSERT_NE(sprite, nullptr) << index;
        const skin::AtlasRect& rect = skin::spriteRect(index);
        const int inset = skin::isShadeStrip(index) ? 2 : 0;
        EXPECT_FLOAT_EQ(sprite->textureX(), static_cast<float>(rect.x + inset)) << index;
        EXPECT_FLOAT_EQ(sprite->width(), static_cast<float>(rect.width - 2 * inset)) << index;
        EXPECT_FLOAT_EQ(sprite->height(), static_cast<float>(rect.height)) << index;
    }
    EXPECT_FLOAT_EQ(skin.sprite(skin::kSensitivityRim)->hotSpotX(), 419 / 2.0f);
    EXPECT_FLOAT_EQ(skin.sprite(skin::kSensitivityRim)->hotSpotY(), 216.0f);
    EXPECT_FLOAT_EQ(skin.sprite(skin::kGlow)->hotSpotY(), 16.0f);
    EXPECT_FLOAT_EQ(skin.sprite(skin::kConnectMessage)->hotSpotX(), 409 / 2.0f);
    EXPECT_FLOAT_EQ(skin.sprite(skin::kWheelFront)->hotSpotX(), 0.0f);
    for (int set = 0; set < skin::kFramePieceSetCount; ++set) {
        for (int piece = 0; piece < skin::kFramePiecesPerSet; ++piece) {
            const Sprite* sprite = skin.framePiece(set, piece);
            ASSERT_NE(sprite, nullptr);
            EXPECT_FLOAT_EQ(sprite->textureX(), static_cast<float>(skin::framePieceRect(set, piece).x));
            EXPECT_EQ(sprite->colour(), 0xFFFFFFFFu);
        }
    }
    EXPECT_EQ(skin.spriteSize(-1).width, 0);
    EXPECT_EQ(skin.spriteSize(skin::kSpriteCount).height, 0);
}

TEST_F(MainScreenLayout, SettingsShownFromTheModelLandInTheWidgetsWithoutReporting) {
    world.model.sensitivityStart = -5;
    world.model.sensitivityEnd = 16383;
    world.model.rumbleLevel = kRumbleOff;
    world.model.pedalPressure = {300, 300};
    world.model.showSettings(world.screens);
    EXPECT_FLOAT_EQ(world.screens.sensitivityLowerAngle(), 0.0f);
    EXPECT_FLOAT_EQ(world.screens.sensitivityUpperAngle(), 44.0f);
    EXPECT_TRUE(checked(*world.screens.mainControlsPanel(), layout::kRumbleOffId));
    EXPECT_FALSE(checked(*world.screens.mainControlsPanel(), layout::kRumbleHighId));
    EXPECT_EQ(world.screens.pedalValue(), kPedalMaximum);
    world.screens.showConsoleMode(kConsolePs3);
    EXPECT_TRUE(checked(*world.screens.consolePanel(), layout::kPs3Id));
    EXPECT_EQ(world.states.ScreenState, kScreenNoWheel) << "showing the console starts no switch";
}

TEST_F(MainScreenLayout, TearDownReleasesPanelsAndSpritesAndMayRunTwice) {
    world.screens.destroyPanels();
    EXPECT_EQ(world.screens.mainControlsPanel(), nullptr);
    EXPECT_EQ(world.screens.sensitivityDial(), nullptr);
    world.screens.destroySprites();
    EXPECT_FALSE(world.screens.skin().hasTexture());
    EXPECT_FALSE(world.screens.skin().loaded());
    // Settings pushed after tear-down go nowhere rather than into freed widgets.
    world.screens.setPedalValue(10);
    world.screens.selectRumble(RumbleChoice::Off);
    EXPECT_EQ(world.screens.pedalValue(), kPedalMaximum);
    world.screens.destroyPanels();
    world.screens.destroySprites();
    // Drawing and updating with nothing built does nothing.
    world.render();
    EXPECT_EQ(world.frame(10, 10, true), 0);
}

}  // namespace
}  // namespace kestrel
