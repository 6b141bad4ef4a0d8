// Scenes, batching, blending and textures, observed as pixels of the headless framebuffer
// and as the number of draw calls.
#include <gtest/gtest.h>

#include <cstring>

#include "assets/embedded.h"
#include "engine/headless.h"
#include "engine/hge.h"
#include "test_images.h"

namespace kestrel {
namespace {

using test::blue;
using test::green;
using test::red;
using test::solidPng;

Quad quadAt(float x, float y, float w, float h, TextureHandle texture,
            std::uint32_t colour = 0xFFFFFFFF, int blend = kBlendDefault) {
    Quad quad;
    quad.tex = texture;
    quad.blend = blend;
    quad.v[0] = Vertex{x, y, 0.5f, colour, 0, 0};
    quad.v[1] = Vertex{x + w, y, 0.5f, colour, 1, 0};
    quad.v[2] = Vertex{x + w, y + h, 0.5f, colour, 1, 1};
    quad.v[3] = Vertex{x, y + h, 0.5f, colour, 0, 1};
    return quad;
}

class Drawing : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(world_.initiate()); }
    TextureHandle load(const std::vector<std::uint8_t>& png) {
        return hge()->Texture_LoadImage(png.data(), png.size(), false);
    }
    HGE* hge() { return world_.hge(); }
    HeadlessPlatform& platform() { return world_.platform(); }
    HeadlessEngine world_;
};

// ---- Pixels ------------------------------------------------------------------------------

TEST_F(Drawing, TexturedQuadCoversExactlyItsRectangleWithTheTextureColour) {
    const TextureHandle red16 = load(solidPng(16, 16, 0xFFFF0000));
    ASSERT_NE(red16, 0u);
    ASSERT_TRUE(hge()->Gfx_BeginScene());
    hge()->Gfx_ClearScreen(0xFF000000);
    hge()->Gfx_DrawQuad(quadAt(100, 50, 16, 16, red16));
    hge()->Gfx_FinishScene();
    EXPECT_EQ(platform().pixel(100, 50), 0xFFFF0000u);
    EXPECT_EQ(platform().pixel(115, 65), 0xFFFF0000u);
    EXPECT_EQ(platform().pixel(99, 50) & 0xFFFFFF, 0u);
    EXPECT_EQ(platform().pixel(116, 65) & 0xFFFFFF, 0u);
    EXPECT_EQ(platform().pixel(100, 66) & 0xFFFFFF, 0u);
}

TEST_F(Drawing, VertexColourMultipliesTheTexture) {
    const TextureHandle white = load(solidPng(8, 8, 0xFFFFFFFF));
    ASSERT_TRUE(hge()->Gfx_BeginScene());
    hge()->Gfx_ClearScreen(0xFF000000);
    hge()->Gfx_DrawQuad(quadAt(0, 0, 8, 8, white, 0xFFFFC000));
    hge()->Gfx_FinishScene();
    const std::uint32_t p = platform().pixel(4, 4);
    EXPECT_EQ(red(p), 255);
    EXPECT_NEAR(green(p), 192, 2);
    EXPECT_EQ(blue(p), 0);
}

TEST_F(Drawing, AlphaBlendMixesWithWhatIsBelowAndAlphaZeroLeavesItUntouched) {
    const TextureHandle white = load(solidPng(8, 8, 0xFFFFFFFF));
    ASSERT_TRUE(hge()->Gfx_BeginScene());
    hge()->Gfx_ClearScreen(0xFF0000FF);
    hge()->Gfx_DrawQuad(quadAt(0, 0, 8, 8, white, 0x80FFFFFF));
    hge()->Gfx_DrawQuad(quadAt(20, 0, 8, 8, white, 0x00FFFFFF));
    hge()->Gfx_FinishScene();
    const std::uint32_t half = platform().pixel(4, 4);
    EXPECT_NEAR(red(half), 128, 3);
    EXPECT_NEAR(blue(half), 255, 1);
    EXPECT_EQ(platform().pixel(24, 4) & 0xFFFFFF, 0x0000FFu);
}

TEST_F(Drawing, AdditiveBlendAddsTheSource) {
    const TextureHandle grey = load(solidPng(8, 8, 0xFF404040));
    ASSERT_TRUE(hge()->Gfx_BeginScene());
    hge()->Gfx_ClearScreen(0xFF404040);
    hge()->Gfx_DrawQuad(quadAt(0, 0, 8, 8, grey, 0xFFFFFFFF, 0));
    hge()->Gfx_FinishScene();
    EXPECT_NEAR(red(platform().pixel(4, 4)), 0x80, 2);
}

TEST_F(Drawing, LaterPrimitivesCoverEarlierOnesWhateverTheirDepth) {
    const TextureHandle redTexture = load(solidPng(8, 8, 0xFFFF0000));
    const TextureHandle greenTexture = load(solidPng(8, 8, 0xFF00FF00));
    Quad front = quadAt(0, 0, 8, 8, redTexture);
    for (Vertex& v : front.v) v.z = 0.0f;
    ASSERT_TRUE(hge()->Gfx_BeginScene());
    hge()->Gfx_DrawQuad(front);
    hge()->Gfx_DrawQuad(quadAt(0, 0, 8, 8, greenTexture));
    hge()->Gfx_FinishScene();
    EXPECT_EQ(platform().pixel(3, 3), 0xFF00FF00u);
}

TEST_F(Drawing, UntexturedTrianglesAndLinesUseTheirVertexColour) {
    Triangle triangle;
    triangle.v[0] = Vertex{10, 10, 0.5f, 0xFF00FF00, 0, 0};
    triangle.v[1] = Vertex{50, 10, 0.5f, 0xFF00FF00, 0, 0};
    triangle.v[2] = Vertex{10, 50, 0.5f, 0xFF00FF00, 0, 0};
    ASSERT_TRUE(hge()->Gfx_BeginScene());
    hge()->Gfx_ClearScreen(0xFF000000);
    hge()->Gfx_DrawTriangle(triangle);
    hge()->Gfx_DrawLine(100, 200, 200, 200, 0xFFFF0000);
    hge()->Gfx_FinishScene();
    EXPECT_EQ(platform().pixel(15, 15), 0xFF00FF00u);
    EXPECT_EQ(platform().pixel(45, 45) & 0xFFFFFF, 0u);
    EXPECT_EQ(platform().pixel(150, 200), 0xFFFF0000u);
    EXPECT_EQ(platform().pixel(150, 202) & 0xFFFFFF, 0u);
}

TEST_F(Drawing, NothingIsClearedUnlessAClearIsDrawn) {
    const TextureHandle redTexture = load(solidPng(8, 8, 0xFFFF0000));
    ASSERT_TRUE(hge()->Gfx_BeginScene());
    hge()->Gfx_DrawQuad(quadAt(0, 0, 8, 8, redTexture));
    hge()->Gfx_FinishScene();
    ASSERT_TRUE(hge()->Gfx_BeginScene());
    hge()->Gfx_FinishScene();
    EXPECT_EQ(platform().pixel(3, 3), 0xFFFF0000u);
}

// ---- Scenes ------------------------------------------------------------------------------

TEST_F(Drawing, DrawingOutsideASceneDoesNothing) {
    const TextureHandle redTexture = load(solidPng(8, 8, 0xFFFF0000));
    const auto flushes = hge()->Gfx_FlushCount();
    hge()->Gfx_DrawQuad(quadAt(0, 0, 8, 8, redTexture));
    hge()->Gfx_DrawLine(0, 0, 10, 10);
    ASSERT_TRUE(hge()->Gfx_BeginScene());
    hge()->Gfx_FinishScene();
    EXPECT_EQ(hge()->Gfx_FlushCount(), flushes);
    EXPECT_EQ(platform().pixel(3, 3) & 0xFFFFFF, 0u);
}

TEST_F(Drawing, ASecondBeginSceneIsRefusedAndLogged) {
    ASSERT_TRUE(hge()->Gfx_BeginScene());
    EXPECT_FALSE(hge()->Gfx_BeginScene());
    EXPECT_TRUE(world_.log().contains("Gfx_BeginScene: Scene is already being rendered"));
    hge()->Gfx_FinishScene();
    EXPECT_TRUE(hge()->Gfx_BeginScene());
    hge()->Gfx_FinishScene();
}

TEST_F(Drawing, FrameRateCannotChangeWhileASceneIsOpen) {
    ASSERT_TRUE(hge()->Gfx_BeginScene());
    hge()->System_SetIntState(kStateFps, 30);
    hge()->Gfx_FinishScene();
    EXPECT_EQ(hge()->System_GetIntState(kStateFps), 60);
}

// ---- Batching ----------------------------------------------------------------------------

class Batching : public Drawing {
protected:
    // Draw calls that one scene with the given drawing makes.
    template <typename DrawFunction>
    std::uint64_t flushesOf(DrawFunction draw) {
        EXPECT_TRUE(hge()->Gfx_BeginScene());
        const auto before = hge()->Gfx_FlushCount();
        draw();
        hge()->Gfx_FinishScene();
        return hge()->Gfx_FlushCount() - before;
    }
};

TEST_F(Batching, AThousandQuadsOfOneTextureAreOneCallAndTheNextStartsAnother) {
    const TextureHandle texture = load(solidPng(4, 4, 0xFFFFFFFF));
    EXPECT_EQ(flushesOf([&] {
                  for (int i = 0; i < 1000; ++i)
                      hge()->Gfx_DrawQuad(quadAt(static_cast<float>(i % 800), 0, 4, 4, texture));
              }),
              1u);
    EXPECT_EQ(flushesOf([&] {
                  for (int i = 0; i < 1001; ++i)
                      hge()->Gfx_DrawQuad(quadAt(static_cast<float>(i % 800), 0, 4, 4, texture));
              }),
              2u);
}

TEST_F(Batching, AlternatingTexturesFlushAtEveryChange) {
    const TextureHandle a = load(solidPng(4, 4, 0xFFFF0000));
    const TextureHandle b = load(solidPng(4, 4, 0xFF00FF00));
    EXPECT_EQ(flushesOf([&] {
                  for (int i = 0; i < 10; ++i) hge()->Gfx_DrawQuad(quadAt(0, 0, 4, 4, i % 2 ? b : a));
              }),
              10u);
}

TEST_F(Batching, BlendAndPrimitiveChangesFlush) {
    const TextureHandle a = load(solidPng(4, 4, 0xFFFF0000));
    Triangle triangle;
    triangle.tex = a;
    EXPECT_EQ(flushesOf([&] {
                  hge()->Gfx_DrawQuad(quadAt(0, 0, 4, 4, a));
                  hge()->Gfx_DrawQuad(quadAt(0, 0, 4, 4, a, 0xFFFFFFFF, 0));  // additive
                  hge()->Gfx_DrawTriangle(triangle);
                  hge()->Gfx_DrawTriangle(triangle);
                  hge()->Gfx_DrawLine(0, 0, 5, 5);
                  hge()->Gfx_DrawLine(0, 5, 5, 0);
              }),
              4u);
}

TEST_F(Batching, FullTriangleAndLineBuffersFlush) {
    Triangle triangle;
    EXPECT_EQ(flushesOf([&] { for (int i = 0; i < 1334; ++i) hge()->Gfx_DrawTriangle(triangle); }), 2u);
    EXPECT_EQ(flushesOf([&] { for (int i = 0; i < 2001; ++i) hge()->Gfx_DrawLine(0, 0, 1, 1); }), 2u);
}

TEST_F(Batching, AFullBatchOfLinesDrawsEveryLineInOneCall) {
    // 2000 short lines on a 50 x 40 grid, each with a pixel no other line touches.
    constexpr int kColumns = 50;
    constexpr int kRows = 40;
    const auto lineAt = [](int i, float& x, float& y) {
        x = static_cast<float>((i % kColumns) * 16);
        y = static_cast<float>((i / kColumns) * 15);
    };
    const auto flushes = flushesOf([&] {
        hge()->Gfx_ClearScreen(0xFF000000);
        for (int i = 0; i < kColumns * kRows; ++i) {
            float x = 0, y = 0;
            lineAt(i, x, y);
            hge()->Gfx_DrawLine(x, y, x + 8, y, 0xFFFF0000);
        }
    });
    EXPECT_EQ(flushes, 1u);
    int missing = 0;
    for (int i = 0; i < kColumns * kRows; ++i) {
        float x = 0, y = 0;
        lineAt(i, x, y);
        if (platform().pixel(static_cast<int>(x) + 4, static_cast<int>(y)) != 0xFFFF0000u) ++missing;
    }
    EXPECT_EQ(missing, 0);
}

TEST_F(Batching, ReleasingTheQueuedTextureDrawsItsQuadsFirst) {
    const TextureHandle texture = load(solidPng(8, 8, 0xFFFF0000));
    ASSERT_TRUE(hge()->Gfx_BeginScene());
    hge()->Gfx_ClearScreen(0xFF000000);
    hge()->Gfx_DrawQuad(quadAt(0, 0, 8, 8, texture));
    hge()->Texture_Release(texture);
    hge()->Gfx_FinishScene();
    EXPECT_EQ(platform().pixel(3, 3), 0xFFFF0000u);
}

// ---- Textures ----------------------------------------------------------------------------

TEST_F(Drawing, TextureReportsTheImageSizeWithEitherFlag) {
    const TextureHandle texture = load(solidPng(100, 60, 0xFF123456));
    ASSERT_NE(texture, 0u);
    EXPECT_EQ(hge()->Texture_Width(texture, false), 100);
    EXPECT_EQ(hge()->Texture_Height(texture, false), 60);
    EXPECT_EQ(hge()->Texture_Width(texture, true), 100);
    EXPECT_EQ(hge()->Texture_Height(texture, true), 60);
    hge()->Texture_Release(texture);
    EXPECT_EQ(hge()->Texture_Width(texture, true), 0);
    hge()->Texture_Release(0);  // ignored
}

TEST_F(Drawing, BrokenImageDataGivesNoTextureAndALogLine) {
    const auto good = solidPng(32, 32, 0xFFFFFFFF);
    std::vector<std::uint8_t> truncated(good.begin(), good.begin() + good.size() / 2);
    std::vector<std::uint8_t> garbage(200, 0x5A);
    std::vector<std::uint8_t> corruptedData = good;
    corruptedData[corruptedData.size() - 20] ^= 0xFF;
    // A valid header that declares a 100000 x 100000 image, followed by nothing.
    std::vector<std::uint8_t> huge(good.begin(), good.begin() + 33);
    const std::uint8_t side[4] = {0x00, 0x01, 0x86, 0xA0};
    std::memcpy(&huge[16], side, 4);
    std::memcpy(&huge[20], side, 4);
    const struct { const char* name; std::vector<std::uint8_t> bytes; } cases[] = {
        {"truncated", truncated}, {"garbage", garbage}, {"corrupted", corruptedData},
        {"huge", huge}, {"one byte", {0x89}}};
    for (const auto& c : cases) {
        world_.log().clear();
        EXPECT_EQ(hge()->Texture_LoadImage(c.bytes.data(), c.bytes.size(), false), 0u) << c.name;
        EXPECT_TRUE(world_.log().contains("Can't create texture")) << c.name;
    }
    EXPECT_EQ(hge()->Texture_LoadImage(nullptr, 10, false), 0u);
}

TEST_F(Drawing, ResourceNamesLoadTheEmbeddedImages) {
    for (const char* name : {"myriad_16s.png", "myriad_20s.png", "splash.png"}) {
        if (assets::find(name).empty()) continue;  // not every image is committed yet
        const TextureHandle texture = hge()->Texture_LoadImage(name, 0, false);
        EXPECT_NE(texture, 0u) << name;
        EXPECT_GT(hge()->Texture_Width(texture), 0) << name;
    }
    EXPECT_EQ(hge()->Texture_LoadImage("no-such.png", 0, false), 0u);
    EXPECT_TRUE(world_.log().contains("Can't load resource: no-such.png"));
}

TEST_F(Drawing, ShutDownReleasesEveryTexture) {
    const TextureHandle texture = load(solidPng(4, 4, 0xFFFFFFFF));
    ASSERT_NE(texture, 0u);
    hge()->System_Finish();
    EXPECT_EQ(hge()->Texture_Width(texture, true), 0);
}

}  // namespace
}  // namespace kestrel
