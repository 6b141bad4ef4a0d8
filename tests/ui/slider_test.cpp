#include <gtest/gtest.h>

#include <memory>

#include "tests/ui/fake_sheet.h"
#include "tests/ui/frame_driver.h"
#include "ui/ui_panel.h"
#include "ui/ui_slider.h"

namespace kestrel {
namespace {

using testing::FakeSheet;
using testing::FrameDriver;

// Track 223 px from x 548; the thumb is 14 px wide, centred on x 548 + offset.
struct SliderWorld {
    SliderWorld() { slider = &panel.add(std::make_unique<UISlider>(sheet, panel)); }
    FakeSheet sheet;
    UIPanel panel;
    UISlider* slider;
    FrameDriver mouse{panel};
};

TEST(UISlider, DraggingTheThumbMapsPointerToValue) {
    SliderWorld w;
    EXPECT_EQ(w.slider->id(), kSliderId);
    EXPECT_TRUE(w.mouse.frame(550, 430, true));
    EXPECT_EQ(w.panel.captured(), w.slider);
    w.mouse.frame(548 + 100, 430, true);
    EXPECT_EQ(w.slider->thumbOffset(), 100);
    EXPECT_EQ(w.slider->value(), static_cast<int>(256.0f / 223 * 100));
    EXPECT_EQ(w.slider->thumbImage().drawnX(), 648 - 7);
    w.mouse.frame(548 + 100, 430, false);
    EXPECT_EQ(w.panel.captured(), nullptr);
    EXPECT_FALSE(w.slider->dragging());
}

TEST(UISlider, ValueClampsAtBothEndsOfTheTrack) {
    SliderWorld w;
    w.mouse.frame(548, 430, true);
    w.mouse.frame(2000, 100, true);  // the capture keeps it following far off the track
    EXPECT_EQ(w.slider->value(), 256);
    EXPECT_EQ(w.slider->thumbOffset(), 223);
    w.mouse.frame(-50, 430, true);
    EXPECT_EQ(w.slider->value(), 0);
    EXPECT_EQ(w.slider->thumbOffset(), 0);
}

TEST(UISlider, DisablingMidDragEndsItWhereItWas) {
    SliderWorld w;
    w.mouse.frame(550, 430, true);
    w.mouse.frame(548 + 100, 430, true);
    const int value = w.slider->value();

    w.panel.setState(false, true);
    EXPECT_FALSE(w.slider->dragging());
    EXPECT_EQ(w.panel.captured(), nullptr);
    w.panel.setState(true, true);

    // The button came up meanwhile; the thumb no longer follows, and a click elsewhere is no drag.
    EXPECT_FALSE(w.mouse.frame(548 + 200, 430, false));
    w.mouse.click(548 + 5, 500);
    EXPECT_EQ(w.slider->value(), value);
}

TEST(UISlider, PressOnTheTrackBesideTheThumbDoesNothing) {
    SliderWorld w;
    EXPECT_FALSE(w.mouse.frame(700, 430, true));
    EXPECT_EQ(w.slider->thumbOffset(), 0);
    EXPECT_EQ(w.panel.captured(), nullptr);
}

TEST(UISlider, SetValuePlacesTheThumbAndLimitsTheValue) {
    SliderWorld w;
    w.slider->setValue(128);
    EXPECT_EQ(w.slider->thumbOffset(), static_cast<int>(128 / (256.0f / 223)));
    w.slider->setValue(1000);
    EXPECT_EQ(w.slider->value(), 256);
    EXPECT_EQ(w.slider->thumbOffset(), static_cast<int>(256 / (256.0f / 223)));
}

TEST(UISlider, StaysPutWhenItsPanelMoves) {
    SliderWorld w;
    w.panel.setPosition(800, 0);
    EXPECT_EQ(w.slider->x(), kSliderX);
    EXPECT_EQ(w.slider->trackImage().drawnX(), kSliderX);
}

TEST(UISlider, DisabledDrawsAtHalfAlphaAndIgnoresPresses) {
    SliderWorld w;
    w.panel.setState(false, true);
    EXPECT_FALSE(w.mouse.frame(550, 430, true));
    w.panel.drawAll();
    ASSERT_EQ(w.sheet.sprites.size(), 2u);
    EXPECT_EQ(w.sheet.sprites[0].index, kSliderTrackSprite);
    EXPECT_EQ(w.sheet.sprites[0].alpha, 127);
    EXPECT_EQ(w.sheet.sprites[1].index, kSliderThumbSprite);
    w.sheet.clear();
    w.panel.setState(true, false);
    w.panel.drawAll();
    EXPECT_TRUE(w.sheet.sprites.empty());
}

TEST(UISlider, WithoutATrackSpriteStaysAtZero) {
    FakeSheet sheet;
    sheet.setSize(kSliderTrackSprite, 0, 0);
    UIPanel panel;
    auto& slider = panel.add(std::make_unique<UISlider>(sheet, panel));
    slider.setValue(200);
    EXPECT_EQ(slider.value(), 200);
    EXPECT_EQ(slider.thumbOffset(), 0);
    slider.setThumbOffset(50);
    EXPECT_EQ(slider.value(), 0);
}

}  // namespace
}  // namespace kestrel
