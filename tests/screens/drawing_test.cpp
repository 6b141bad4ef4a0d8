// What each screen state looks like: the headless engine draws the real atlas, and a handful
// of pixels per state are checked against the atlas pixels of the sprite that should be there.
// Each test also leaves a screenshot of its state beside the test program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <string>

#include "assets/embedded.h"
#include "engine/bitmap_font.h"
#include "engine/png_image.h"
#include "screens/main_layout.h"
#include "tests/screens/screen_world.h"
#include "wheel/hotplug.h"

namespace kestrel {
namespace {

using testing::ScreenWorld;

const DecodedImage& atlas() {
    static const DecodedImage image = [] {
        const auto bytes = assets::find("skin.png");
        return decodePng(bytes.data(), bytes.size()).image;
    }();
    return image;
}

std::uint32_t atlasPixel(int x, int y) {
    const auto* p = &atlas().rgba[(static_cast<std::size_t>(y) * atlas().width + x) * 4];
    return static_cast<std::uint32_t>(p[3]) << 24 | p[0] << 16 | p[1] << 8 | p[2];
}

bool closeRgb(std::uint32_t a, std::uint32_t b, int tolerance = 10) {
    for (int shift : {0, 8, 16}) {
        const int ca = static_cast<int>(a >> shift & 0xFF);
        const int cb = static_cast<int>(b >> shift & 0xFF);
        if (std::abs(ca - cb) > tolerance) return false;
    }
    return true;
}

// Share of the sprite's opaque pixels (sampled on a grid) that appear on screen unchanged with
// the sprite's top-left corner at (left, top); only its first `rows` rows when given. Covered or
// dimmed sprites score low.
double spriteMatch(const ScreenWorld& world, int sprite, int left, int top, int rows = 0) {
    const skin::AtlasRect rect = skin::spriteCutRect(sprite);
    const int height = rows > 0 ? std::min(rows, rect.height) : rect.height;
    int opaque = 0;
    int matching = 0;
    for (int dy = 1; dy < height - 1; dy += std::max(1, height / 12)) {
        for (int dx = 1; dx < rect.width - 1; dx += std::max(1, rect.width / 12)) {
            const int sx = left + dx;
            const int sy = top + dy;
            if (sx < 0 || sy < 0 || sx >= 800 || sy >= 600) continue;
            const std::uint32_t source = atlasPixel(rect.x + dx, rect.y + dy);
            if ((source >> 24) != 0xFF) continue;
            ++opaque;
            if (closeRgb(world.pixel(sx, sy), source)) ++matching;
        }
    }
    return opaque == 0 ? 0.0 : static_cast<double>(matching) / opaque;
}

// Rows of the firmware warning panel above its progress bar.
constexpr int kFirmwarePanelAboveBar = 145;

class ScreenDrawing : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_GT(atlas().width, 0) << "the skin atlas is embedded"; }

    void screenshot(const std::string& name) {
        world.render();
        EXPECT_TRUE(world.saveScreenshot("screen-" + name + ".png"));
    }
    skin::ScreenPoint centredBox(int sprite) const {
        const auto& rect = skin::spriteRect(sprite);
        return {(800 - rect.width) / 2, (600 - rect.height) / 2};
    }
    // A pixel inside the centre piece of the large frame box drawn for (w, h, x, y).
    std::uint32_t frameCentrePixel() const {
        const auto piece = skin::framePieceRect(skin::kFrameSetLarge, 4);
        return atlasPixel(piece.x + piece.width / 2, piece.y + piece.height / 2);
    }

    ScreenWorld world;
};

TEST_F(ScreenDrawing, NoWheelShowsTheConnectBoxOverTheDimmedScreen) {
    screenshot("no-wheel");
    const auto c = centredBox(skin::kConnectIllustration);
    EXPECT_GT(spriteMatch(world, skin::kConnectIllustration, c.x, c.y - 100), 0.9);
    const auto message = skin::spriteRect(skin::kConnectMessage);
    // Centred on a half pixel, so its anti-aliased edges blur a little.
    EXPECT_GT(spriteMatch(world, skin::kConnectMessage, 400 - message.width / 2, c.y + 129 - message.height / 2), 0.5);
    // Inside the frame box, just left of the illustration.
    EXPECT_TRUE(closeRgb(world.pixel(c.x - 10, c.y), frameCentrePixel()));
    EXPECT_LT(spriteMatch(world, skin::kLogo, 548, 502), 0.5) << "the main screen is dimmed";
}

TEST_F(ScreenDrawing, NoWheelHintIsWrittenInsideTheBoxWhichGrowsToHoldIt) {
    world.render();
    const auto c = centredBox(skin::kConnectIllustration);
    const int hintTop = c.y + 150;
    auto litPixels = [&] {
        int lit = 0;
        for (int y = hintTop; y < hintTop + 20; ++y) {
            for (int x = 150; x < 650; ++x) lit += (world.pixel(x, y) >> 8 & 0xFF) > 0x90;
        }
        return lit;
    };
    const int without = litPixels();
    auto font = loadEmbeddedFont("myriad_16s");
    ASSERT_TRUE(font);
    world.screens.setHintFont(font.get());
    world.screens.setNoWheelHint(kPermissionHint);
    screenshot("no-wheel-hint");
    EXPECT_GT(litPixels(), without + 50);
    // Just outside both ends of the widest line, and below the last, the box is still there.
    const int half = static_cast<int>(font->stringWidth(kPermissionHint)) / 2;
    const int lines = 1 + static_cast<int>(std::count(std::begin(kPermissionHint), std::end(kPermissionHint), '\n'));
    const int lineHeight = static_cast<int>(font->height());
    for (int line = 0; line < lines; ++line) {
        EXPECT_TRUE(closeRgb(world.pixel(400 - half - 8, hintTop + line * lineHeight + 8), frameCentrePixel()));
        EXPECT_TRUE(closeRgb(world.pixel(400 + half + 8, hintTop + line * lineHeight + 8), frameCentrePixel()));
    }
    EXPECT_GT(half, 0);
    EXPECT_LT(400 + half + 8, 800) << "the widest line fits the window";
    EXPECT_TRUE(closeRgb(world.pixel(400, hintTop + lines * lineHeight + 6), frameCentrePixel()));
    world.screens.setHintFont(nullptr);
}

TEST_F(ScreenDrawing, MainPageShowsBothWheelPicturesAndEveryLabelAtItsRectangle) {
    world.connectWheel();
    screenshot("main");
    EXPECT_GT(spriteMatch(world, skin::kWheelFront, skin::kWheelFrontPosition.x, skin::kWheelFrontPosition.y), 0.6);
    EXPECT_GT(spriteMatch(world, skin::kWheelSide, skin::kWheelSidePosition.x, skin::kWheelSidePosition.y), 0.6);
    for (int dest = 0; dest < kDestinationCount; ++dest) {
        const int palette = world.model.WorkingMapping[dest];
        const LabelRectangle& label = world.model.LabelRect[dest];
        EXPECT_GT(spriteMatch(world, kPaletteSprite[0][palette], label.left, label.top), 0.9) << kDestinationNames[dest];
    }
    for (int palette = 0; palette < kPaletteCount; ++palette) {
        const ScreenRect& button = kPaletteButton[palette];
        EXPECT_GT(spriteMatch(world, kPaletteSprite[0][palette], button.x, button.y), 0.9) << kPaletteNames[palette];
    }
    const auto c = centredBox(skin::kConnectIllustration);
    EXPECT_LT(spriteMatch(world, skin::kConnectIllustration, c.x, c.y - 100), 0.5) << "no dialog box";
}

TEST_F(ScreenDrawing, UnassignedDestinationDrawsNeitherArrowNorIcon) {
    world.connectWheel();
    const LabelRectangle label = world.model.LabelRect[DEST_RIGHT_PADDLE];
    const int sprite = kPaletteSprite[0][world.model.WorkingMapping[DEST_RIGHT_PADDLE]];
    world.render();
    ASSERT_GT(spriteMatch(world, sprite, label.left, label.top), 0.9);
    world.model.WorkingMapping[DEST_RIGHT_PADDLE] = -1;
    world.model.assignPalette(DEST_RIGHT_PADDLE, -1);
    world.render();
    EXPECT_LT(spriteMatch(world, sprite, label.left, label.top), 0.5);
}

TEST_F(ScreenDrawing, SensitivityPageShowsTheRimAndDimsThePaletteWithoutLabels) {
    world.connectWheel();
    world.render();
    const ScreenRect& button = kPaletteButton[PAL_A];
    ASSERT_GT(spriteMatch(world, kPaletteSprite[0][PAL_A], button.x, button.y), 0.9);
    const auto tab = layout::kPageTabs[1];
    world.click(tab.x + 10, tab.y + 10);
    world.runUntilStateIsNot(kScreenSlideToSensitivity);
    ASSERT_EQ(world.states.ScreenState, kScreenSensitivityPage);
    screenshot("sensitivity");
    EXPECT_LT(spriteMatch(world, skin::kWheelFront, skin::kWheelFrontPosition.x, skin::kWheelFrontPosition.y), 0.3);
    EXPECT_LT(spriteMatch(world, kPaletteSprite[0][PAL_A], button.x, button.y), 0.5);
}

TEST_F(ScreenDrawing, SavingShowsPleaseWaitForTheFrameBeforeTheWrite) {
    world.connectWheel();
    const auto assign = layout::kMainButtons[0];
    world.click(assign.x + 20, assign.y + 20);
    ASSERT_EQ(world.states.ScreenState, kScreenSaving);
    screenshot("saving");
    const auto c = centredBox(skin::kPleaseWait);
    EXPECT_GT(spriteMatch(world, skin::kPleaseWait, c.x, c.y - 100), 0.9);
    world.states.ScreenState = world.states.ResumeState;  // what the frame function does after the write
    world.render();
    EXPECT_LT(spriteMatch(world, skin::kPleaseWait, c.x, c.y - 100), 0.5);
}

TEST_F(ScreenDrawing, FirmwareUpdateShowsTheWarningPanel) {
    world.connectWheel();
    world.states.ResumeState = world.states.ScreenState;
    world.states.ScreenState = kScreenFirmwareUpdate;
    screenshot("updating");
    const auto c = centredBox(skin::kFirmwareWarning);
    // Down to its progress bar, which shows the update's own progress.
    EXPECT_GT(spriteMatch(world, skin::kFirmwareWarning, c.x, c.y - 100, kFirmwarePanelAboveBar), 0.9);
}

TEST_F(ScreenDrawing, FirmwareUpdateShowsHowManyChunksWereSentUnderTheWarning) {
    auto font = loadEmbeddedFont("myriad_16s");
    ASSERT_TRUE(font);
    world.screens.setHintFont(font.get());
    world.connectWheel();
    world.states.ResumeState = world.states.ScreenState;
    world.states.ScreenState = kScreenFirmwareUpdate;
    world.frame(0, 0, false);  // the frame that shows the screen before the update starts
    EXPECT_EQ(world.screens.firmwareProgress().chunksSent, 0u);

    // Drawing again is worth it only when the bar moves by a step (2 %) or the phase changes.
    using Phase = FirmwareProgress::Phase;
    EXPECT_FALSE(world.screens.showFirmwareProgress({Phase::Flashing, 15, 771}));
    EXPECT_TRUE(world.screens.showFirmwareProgress({Phase::Flashing, 16, 771}));
    EXPECT_FALSE(world.screens.showFirmwareProgress({Phase::Flashing, 17, 771}));
    EXPECT_TRUE(world.screens.showFirmwareProgress({Phase::Flashing, 400, 771}));
    screenshot("updating-progress");

    // The panel's own bar (x 113..418, y 147..153 of the panel) shows the share sent.
    const auto c = centredBox(skin::kFirmwareWarning);
    const int panelY = c.y - 100;
    EXPECT_GT(spriteMatch(world, skin::kFirmwareWarning, c.x, panelY, kFirmwarePanelAboveBar), 0.9);
    const int barY = panelY + 150;
    const int sent = c.x + 113 + 306 * 400 / 771;
    auto accent = [](std::uint32_t pixel) { return (pixel >> 16 & 0xFF) > 0xB0 && (pixel & 0xFF) < 0x70; };
    EXPECT_TRUE(accent(world.pixel(c.x + 116, barY)));
    EXPECT_TRUE(accent(world.pixel(sent - 3, barY)));
    EXPECT_FALSE(accent(world.pixel(sent + 3, barY)));
    EXPECT_FALSE(accent(world.pixel(c.x + 415, barY)));
    int lit = 0;
    for (int y = panelY + 158; y < panelY + 180; ++y) {
        for (int x = c.x + 110; x < c.x + 440; ++x) lit += (world.pixel(x, y) & 0xFF) > 0x80;
    }
    EXPECT_GT(lit, 100) << "the line under the bar";

    EXPECT_TRUE(world.screens.showFirmwareProgress({Phase::WaitingForOldNode, 771, 771}));
    world.render();
    EXPECT_TRUE(accent(world.pixel(c.x + 415, barY))) << "all sent";
    world.screens.setHintFont(nullptr);
}

TEST_F(ScreenDrawing, DraggedIconFloatsCentredOnThePointer) {
    world.connectWheel();
    const auto from = testing::paletteCentre(PAL_SenBoost);
    world.frame(from.x, from.y, true);
    world.frame(600, 320, true);
    screenshot("dragging");
    const auto& rect = skin::spriteRect(kPaletteSprite[0][PAL_SenBoost]);
    EXPECT_GT(spriteMatch(world, kPaletteSprite[0][PAL_SenBoost], 600 - rect.width / 2, 320 - rect.height / 2), 0.9);
}

TEST_F(ScreenDrawing, PageSlideMovesPicturesAndLabelsTogetherButNotTheBottomArea) {
    world.connectWheel();
    const auto tab = layout::kPageTabs[1];
    world.click(tab.x + 10, tab.y + 10);
    // Early in the slide, before the dial comes into view over the labels.
    for (int i = 0; i < 3; ++i) world.frame(0, 0, false);
    const int offset = world.screens.pages().mainOffset;
    ASSERT_LT(offset, -20);
    screenshot("sliding");
    EXPECT_GT(spriteMatch(world, skin::kWheelSide, skin::kWheelSidePosition.x + offset, skin::kWheelSidePosition.y), 0.6);
    // Labels are drawn at half strength while the page cannot be edited, so they match only
    // roughly, but clearly better where they moved to than where they were.
    const LabelRectangle& label = world.model.LabelRect[DEST_LEFT_PADDLE];
    const int icon = kPaletteSprite[0][world.model.WorkingMapping[DEST_LEFT_PADDLE]];
    EXPECT_GT(spriteMatch(world, icon, label.left + offset, label.top), 0.5);
    EXPECT_LT(spriteMatch(world, icon, label.left, label.top), 0.4);
    EXPECT_GT(spriteMatch(world, skin::kLogo, 548, 502), 0.9);
}

TEST_F(ScreenDrawing, ConsoleSwitchSinksThePaletteAndSlidesTheLabelsLeft) {
    world.connectWheel();
    const auto ps3 = layout::kConsoleChecks[1];
    world.click(ps3.x + 20, ps3.y + 20);
    for (int i = 0; i < 10; ++i) world.frame(0, 0, false);
    const double v = world.screens.switchValue();
    ASSERT_GT(v, 0.5);
    world.render();
    const int sink = static_cast<int>(std::trunc(v * 200));
    const ScreenRect& button = kPaletteButton[PAL_A];
    EXPECT_LT(spriteMatch(world, kPaletteSprite[0][PAL_A], button.x, button.y), 0.5);
    const LabelRectangle& label = world.model.LabelRect[DEST_L2];
    const int slide = static_cast<int>(std::trunc(v * 550));
    EXPECT_GT(spriteMatch(world, kPaletteSprite[0][world.model.WorkingMapping[DEST_L2]], label.left - slide, label.top),
              0.9);
    EXPECT_GT(sink, 100);
}

TEST_F(ScreenDrawing, FrameBoxSmallerThanItsCornersStillDrawsFourCorners) {
    world.engine.hge()->Gfx_BeginScene();
    world.engine.hge()->Gfx_ClearScreen(0xFF000000);
    world.screens.skin().drawFrameBox(10, 10, 100, 100);
    world.engine.hge()->Gfx_FinishScene();
    // The corners keep their 20-px size, spaced by a 1-px middle.
    const auto corner = skin::framePieceRect(skin::kFrameSetLarge, 8);
    EXPECT_TRUE(closeRgb(world.pixel(121 + 10, 121 + 10), atlasPixel(corner.x + 10, corner.y + 10)));
}

}  // namespace
}  // namespace kestrel
