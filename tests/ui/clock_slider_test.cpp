#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "tests/ui/fake_sheet.h"
#include "tests/ui/frame_driver.h"
#include "ui/ui_clock_slider.h"
#include "ui/ui_panel.h"

namespace kestrel {
namespace {

using testing::FakeSheet;
using testing::FrameDriver;

constexpr int kCentreX = 400, kCentreY = 310;
constexpr float kRadius = 100;

struct DialWorld {
    DialWorld() {
        dial = &panel.add(std::make_unique<UIClockSlider>(sheet, panel, kCentreX, kCentreY));
        dial->setRadius(kRadius);
    }
    // A point on the dial's circle at the given angle.
    static DialPoint at(float degrees, float distance = kRadius) {
        float r = degrees * 0.017453292f;
        return {static_cast<int>(kCentreX + std::sin(r) * distance),
                static_cast<int>(kCentreY - std::cos(r) * distance)};
    }
    void drag(float fromDegrees, float toDegrees) {
        DialPoint from = at(fromDegrees);
        DialPoint to = at(toDegrees);
        mouse.frame(from.x, from.y, true);
        mouse.frame(to.x, to.y, true);
        mouse.frame(to.x, to.y, false);
    }
    FakeSheet sheet;
    UIPanel panel;
    UIClockSlider* dial;
    FrameDriver mouse{panel};
};

TEST(UIClockSlider, StartsWithItsDefaultBandAndHandlesOnTheCircle) {
    DialWorld w;
    EXPECT_FLOAT_EQ(w.dial->firstAngle(), 10);
    EXPECT_FLOAT_EQ(w.dial->secondAngle(), 80);
    DialPoint p = w.dial->handlePoint(0);
    EXPECT_EQ(p.x, DialWorld::at(10).x);
    EXPECT_EQ(p.y, DialWorld::at(10).y);
    EXPECT_EQ(w.dial->upperMarker().x, DialWorld::at(90, kRadius + 10).x);
}

TEST(UIClockSlider, DraggingAHandleFollowsThePointerAngle) {
    DialWorld w;
    DialPoint from = DialWorld::at(10);
    EXPECT_TRUE(w.mouse.frame(from.x, from.y, true));
    EXPECT_EQ(w.dial->draggedHandle(), 1);
    EXPECT_EQ(w.panel.captured(), w.dial);
    w.mouse.frame(kCentreX + 50, kCentreY - 50, true);
    EXPECT_NEAR(w.dial->firstAngle(), 45, 1e-3);
    w.mouse.frame(kCentreX + 50, kCentreY - 50, false);
    EXPECT_EQ(w.dial->draggedHandle(), 0);
    EXPECT_EQ(w.panel.captured(), nullptr);
}

TEST(UIClockSlider, HandlesStopAtTheLimits) {
    DialWorld w;
    w.drag(80, 170);
    EXPECT_FLOAT_EQ(w.dial->secondAngle(), 90);
    w.drag(10, -60);
    EXPECT_FLOAT_EQ(w.dial->firstAngle(), 0);
}

TEST(UIClockSlider, CrossedHandlesSwapOnRelease) {
    DialWorld w;
    DialPoint from = DialWorld::at(10);
    DialPoint to = DialWorld::at(85);
    w.mouse.frame(from.x, from.y, true);
    w.mouse.frame(to.x, to.y, true);
    EXPECT_GT(w.dial->firstAngle(), w.dial->secondAngle()) << "no swap while still held";
    w.mouse.frame(to.x, to.y, false);
    EXPECT_NEAR(w.dial->firstAngle(), 80, 1e-3);
    EXPECT_NEAR(w.dial->secondAngle(), 85, 1.0);
    EXPECT_EQ(w.dial->handlePoint(1).x, w.dial->handleImage(1).anchorX());
}

TEST(UIClockSlider, NegativeLimitsWork) {
    DialWorld w;
    w.dial->setLimits(-90, -10);
    w.dial->setAngles(-80, -20);
    w.drag(-20, 30);
    EXPECT_FLOAT_EQ(w.dial->secondAngle(), -10);
}

TEST(UIClockSlider, HoverShowsTheLargerRing) {
    DialWorld w;
    DialPoint p = DialWorld::at(80);
    w.mouse.frame(p.x, p.y, false);
    EXPECT_FALSE(w.dial->handleHoverImage(1).hidden());
    EXPECT_TRUE(w.dial->handleImage(1).hidden());
    EXPECT_TRUE(w.dial->handleHoverImage(0).hidden());
    w.mouse.frame(0, 0, false);
    EXPECT_TRUE(w.dial->handleHoverImage(1).hidden());
}

TEST(UIClockSlider, PressAwayFromTheHandlesIsNotTaken) {
    DialWorld w;
    EXPECT_FALSE(w.mouse.frame(kCentreX, kCentreY, true));
    EXPECT_FALSE(w.mouse.frame(kCentreX, kCentreY, false));
}

TEST(UIClockSlider, DisablingMidDragEndsItAsARelease) {
    DialWorld w;
    DialPoint from = DialWorld::at(10);
    DialPoint to = DialWorld::at(85);
    w.mouse.frame(from.x, from.y, true);
    w.mouse.frame(to.x, to.y, true);  // past the second handle at 80

    w.panel.setState(false, true);
    EXPECT_EQ(w.dial->draggedHandle(), 0);
    EXPECT_EQ(w.panel.captured(), nullptr);
    EXPECT_LE(w.dial->firstAngle(), w.dial->secondAngle()) << "crossed handles swap as on a release";

    const float first = w.dial->firstAngle();
    const float second = w.dial->secondAngle();
    DialPoint elsewhere = DialWorld::at(45);
    EXPECT_FALSE(w.mouse.frame(elsewhere.x, elsewhere.y, false));
    EXPECT_EQ(w.dial->firstAngle(), first);
    EXPECT_EQ(w.dial->secondAngle(), second);
}

TEST(UIClockSlider, SetStateHasNoEffect) {
    DialWorld w;
    w.panel.setState(false, false);
    DialPoint from = DialWorld::at(10);
    EXPECT_TRUE(w.mouse.frame(from.x, from.y, true));
}

TEST(UIClockSlider, DrawsSpokesArcAndImagesInOrder) {
    DialWorld w;
    w.panel.drawAll();
    EXPECT_EQ(w.sheet.quads.size(), 4u);  // two marker lines, two spokes
    ASSERT_EQ(w.sheet.triangles.size(), 32u);
    EXPECT_EQ(w.sheet.triangles.front()[0].colour, 0xB4FF0000u);
    EXPECT_EQ(w.sheet.triangles.back()[2].colour, 0xB4FFFF00u);
    EXPECT_EQ(w.sheet.drawnIndices(),
              (std::vector<int>{kDialHubSprite, kDialHandleSprite, kDialHandleSprite}));
    EXPECT_EQ(w.sheet.sprites[0].width, 24);  // the hub is drawn half as big again
}

TEST(UIClockSlider, MirroredDialAlsoDrawsTheReflectedBand) {
    DialWorld w;
    w.dial->setMirrorDisplay(true);
    w.panel.drawAll();
    EXPECT_EQ(w.sheet.quads.size(), 7u);
    ASSERT_EQ(w.sheet.triangles.size(), 64u);
    EXPECT_EQ(w.sheet.triangles.front()[0].colour >> 24, 70u);
    // Every reflected corner lies left of the centre line.
    for (int i = 0; i < 32; ++i) EXPECT_LE(w.sheet.triangles[i][2].x, kCentreX);
}

TEST(UIClockSlider, EqualAnglesDrawNoArc) {
    DialWorld w;
    w.dial->setAngles(45, 45);
    w.panel.drawAll();
    EXPECT_TRUE(w.sheet.triangles.empty());
}

TEST(UIClockSlider, ThickLineIsAQuadAroundTheSegment) {
    DialWorld w;
    w.dial->setAngles(0, 0);
    w.dial->setLimits(0, 0);
    w.panel.drawAll();
    // Straight up from the centre, half-width 3: corners 3 px either side of x 400.
    const auto& marker = w.sheet.quads[0];
    EXPECT_NEAR(marker[0].x, kCentreX - 3, 1e-3);
    EXPECT_NEAR(marker[0].y, kCentreY, 1e-3);
    EXPECT_NEAR(marker[1].x, kCentreX - 3, 1e-3);
    EXPECT_NEAR(marker[1].y, kCentreY - kRadius - 10, 1e-3);
    EXPECT_NEAR(marker[2].x, kCentreX + 3, 1e-3);
    EXPECT_NEAR(marker[3].x, kCentreX + 3, 1e-3);
    EXPECT_EQ(marker[0].colour, 0x7F7F7F7Fu);
}

TEST(UIClockSlider, MovingItsPanelMovesTheCentreAndHandles) {
    DialWorld w;
    DialPoint before = w.dial->handlePoint(0);
    w.panel.setPosition(800, 0);
    EXPECT_EQ(w.dial->handlePoint(0).x, before.x + 800);
    EXPECT_EQ(w.dial->handleImage(0).anchorX(), before.x + 800);
}

}  // namespace
}  // namespace kestrel
