// A button drawn through the real engine on the headless framebuffer: what the user sees in
// each of its states, with the engine's sprites standing behind the widgets' skin interface.
#include <gtest/gtest.h>
#include <png.h>

#include <memory>
#include <vector>

#include "engine/headless.h"
#include "engine/hge.h"
#include "engine/sprite.h"
#include "ui/pointer.h"
#include "ui/sprite_sheet.h"
#include "ui/ui_button.h"
#include "ui/ui_panel.h"

namespace kestrel {
namespace {

constexpr int kCell = 10;
constexpr std::uint32_t kLooks[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};  // normal, pressed, hover

// Three 10 x 10 cells side by side, one colour each.
std::vector<std::uint8_t> atlasPng() {
    constexpr int width = kCell * 3;
    std::vector<std::uint8_t> rgba(width * kCell * 4);
    for (int y = 0; y < kCell; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint32_t argb = kLooks[x / kCell];
            std::uint8_t* p = &rgba[(y * width + x) * 4];
            p[0] = argb >> 16;
            p[1] = argb >> 8;
            p[2] = argb;
            p[3] = argb >> 24;
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = kCell;
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
    std::vector<std::uint8_t> bytes(size);
    png_image_write_to_memory(&image, bytes.data(), &size, 0, rgba.data(), 0, nullptr);
    bytes.resize(size);
    return bytes;
}

class EngineSkin : public SpriteSheet {
public:
    explicit EngineSkin(TextureHandle atlas) {
        for (int i = 0; i < 3; ++i) sprites_.emplace_back(atlas, i * kCell, 0, kCell, kCell);
    }
    SpriteSize spriteSize(int index) const override {
        if (index < 0 || index >= static_cast<int>(sprites_.size())) return {};
        return {kCell, kCell};
    }
    void drawSprite(int index, int alpha, int x, int y, int width, int height) override {
        Sprite& sprite = sprites_[index];
        sprite.setColour((static_cast<std::uint32_t>(alpha) << 24) | 0xFFFFFF);
        sprite.RenderStretch(x, y, x + width, y + height);
    }
    void drawFlatQuad(const std::array<ColouredPoint, 4>&) override {}
    void drawFlatTriangle(const std::array<ColouredPoint, 3>&) override {}

private:
    std::vector<Sprite> sprites_;
};

class RenderedButton : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(world_.initiate());
        std::vector<std::uint8_t> png = atlasPng();
        atlas_ = world_.hge()->Texture_LoadImage(png.data(), png.size(), false);
        ASSERT_NE(atlas_, 0u);
        skin_ = std::make_unique<EngineSkin>(atlas_);
        button_ = &panel_.add(std::make_unique<UIButton>(*skin_, 100, 50, 1, 0, 1, 2));
    }

    // The pixel in the middle of the button and one just right of it, after one drawn frame.
    std::pair<std::uint32_t, std::uint32_t> render() {
        HGE* hge = world_.hge();
        EXPECT_TRUE(hge->Gfx_BeginScene());
        hge->Gfx_ClearScreen(0xFF000000);
        panel_.drawAll();
        hge->Gfx_FinishScene();
        return {world_.platform().pixel(105, 55), world_.platform().pixel(110, 55)};
    }

    HeadlessEngine world_;
    TextureHandle atlas_ = 0;
    std::unique_ptr<EngineSkin> skin_;
    UIPanel panel_;
    UIButton* button_ = nullptr;
};

TEST_F(RenderedButton, ShowsNormalHoverAndPressedSpritesAtItsPosition) {
    auto [normal, beside] = render();
    EXPECT_EQ(normal, kLooks[0]);
    EXPECT_EQ(beside & 0xFFFFFF, 0u);

    panel_.input(kEventMove, 105, 55);
    EXPECT_EQ(render().first, kLooks[2]) << "hover covers the normal look";

    panel_.input(kEventHeld, 105, 55);
    EXPECT_EQ(render().first, kLooks[1]);

    panel_.input(kEventRelease, 105, 55);
    EXPECT_EQ(render().first, kLooks[0]);
}

TEST_F(RenderedButton, DisabledIsDrawnAtHalfStrength) {
    panel_.setState(false, true);
    std::uint32_t pixel = render().first;
    EXPECT_NEAR(static_cast<int>((pixel >> 16) & 0xFF), 0x7F, 2);
    EXPECT_EQ(pixel & 0xFFFF, 0u);
}

}  // namespace
}  // namespace kestrel
