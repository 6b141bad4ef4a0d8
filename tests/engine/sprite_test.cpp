// Sprites: where their corners land, their texture coordinates, and what they draw.
#include "engine/sprite.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "engine/headless.h"
#include "test_images.h"

namespace kestrel {
namespace {

void expectCorners(const Quad& quad, const float (&expected)[4][2]) {
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(quad.v[i].x, expected[i][0], 1e-4f) << "corner " << i;
        EXPECT_NEAR(quad.v[i].y, expected[i][1], 1e-4f) << "corner " << i;
    }
}

class Sprites : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(world_.initiate());
        const auto png = test::solidPng(64, 32, 0xFFFFFFFF);
        texture_ = world_.hge()->Texture_LoadImage(png.data(), png.size(), false);
        ASSERT_NE(texture_, 0u);
    }
    HeadlessEngine world_;
    TextureHandle texture_ = 0;
};

TEST_F(Sprites, ConstructionTakesAnEngineReferenceAndStartsWhiteAtHalfDepth) {
    Sprite sprite(texture_, 16, 8, 32, 16);
    EXPECT_EQ(sprite.colour(), 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(sprite.z(), 0.5f);
    EXPECT_EQ(sprite.blendMode(), kBlendDefault);
    const Quad& quad = sprite.quad();
    EXPECT_FLOAT_EQ(quad.v[0].u, 0.25f);
    EXPECT_FLOAT_EQ(quad.v[0].v, 0.25f);
    EXPECT_FLOAT_EQ(quad.v[2].u, 0.75f);
    EXPECT_FLOAT_EQ(quad.v[2].v, 0.75f);
    {
        Sprite copy(sprite);  // a copy holds a reference of its own
    }
    EXPECT_EQ(CreateEngine(), world_.hge());
    world_.hge()->System_Release();
}

TEST_F(Sprites, WithoutATextureTheCoordinatesArePixels) {
    Sprite sprite(0, 3, 4, 10, 20);
    EXPECT_FLOAT_EQ(sprite.quad().v[0].u, 3);
    EXPECT_FLOAT_EQ(sprite.quad().v[0].v, 4);
    EXPECT_FLOAT_EQ(sprite.quad().v[2].u, 13);
    EXPECT_FLOAT_EQ(sprite.quad().v[2].v, 24);
}

TEST_F(Sprites, HotSpotInTheMiddleCentresTheSprite) {
    Sprite sprite(texture_, 0, 0, 20, 10);
    sprite.setHotSpot(10, 5);
    ASSERT_TRUE(world_.hge()->Gfx_BeginScene());
    sprite.Render(100, 50);
    world_.hge()->Gfx_FinishScene();
    expectCorners(sprite.quad(), {{90, 45}, {110, 45}, {110, 55}, {90, 55}});
}

TEST_F(Sprites, RenderExWithVerticalScaleZeroScalesBothAxes) {
    Sprite sprite(texture_, 0, 0, 20, 10);
    sprite.setHotSpot(10, 5);
    ASSERT_TRUE(world_.hge()->Gfx_BeginScene());
    sprite.RenderEx(100, 50, 0, 2);
    expectCorners(sprite.quad(), {{80, 40}, {120, 40}, {120, 60}, {80, 60}});
    sprite.RenderEx(100, 50, 0, 2, 3);
    expectCorners(sprite.quad(), {{80, 35}, {120, 35}, {120, 65}, {80, 65}});
    world_.hge()->Gfx_FinishScene();
}

TEST_F(Sprites, RenderExRotatesAboutTheHotSpot) {
    Sprite sprite(texture_, 0, 0, 20, 10);
    sprite.setHotSpot(10, 5);
    ASSERT_TRUE(world_.hge()->Gfx_BeginScene());
    sprite.RenderEx(100, 50, std::numbers::pi_v<float> / 2, 1);
    world_.hge()->Gfx_FinishScene();
    // A quarter turn clockwise on screen (y down): top-left (-10,-5) goes to (5,-10).
    expectCorners(sprite.quad(), {{105, 40}, {105, 60}, {95, 60}, {95, 40}});
}

TEST_F(Sprites, FlipsSwapTheTextureCoordinates) {
    Sprite sprite(texture_, 0, 0, 32, 16);
    sprite.setFlip(true, false);
    EXPECT_FLOAT_EQ(sprite.quad().v[0].u, 0.5f);
    EXPECT_FLOAT_EQ(sprite.quad().v[1].u, 0.0f);
    sprite.setFlip(false, true);
    EXPECT_FLOAT_EQ(sprite.quad().v[0].u, 0.0f);
    EXPECT_FLOAT_EQ(sprite.quad().v[0].v, 0.5f);
    sprite.setHotSpot(4, 2);
    sprite.setFlip(true, true, true);
    EXPECT_FLOAT_EQ(sprite.hotSpotX(), 28);
    EXPECT_FLOAT_EQ(sprite.hotSpotY(), 14);
    sprite.setFlip(false, false, true);
    EXPECT_FLOAT_EQ(sprite.hotSpotX(), 4);
}

TEST_F(Sprites, StretchedSkinSpriteDrawsWithItsAlpha) {
    Sprite sprite(texture_, 0, 0, 8, 8);
    ASSERT_TRUE(world_.hge()->Gfx_BeginScene());
    world_.hge()->Gfx_ClearScreen(0xFF000000);
    sprite.setColour(0x00FFFFFF);
    sprite.RenderStretch(0, 0, 40, 20);
    sprite.setColour(0x80FFFFFF);
    sprite.RenderStretch(100, 0, 140, 20);
    world_.hge()->Gfx_FinishScene();
    EXPECT_EQ(world_.platform().pixel(20, 10) & 0xFFFFFF, 0u);
    EXPECT_NEAR(test::red(world_.platform().pixel(139, 19)), 128, 3);
    EXPECT_EQ(world_.platform().pixel(140, 10) & 0xFFFFFF, 0u);
}

}  // namespace
}  // namespace kestrel
