#include "tests/screens/screen_world.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace kestrel::testing {

ScreenWorld::ScreenWorld() : screens(ScreenContext{*engine.hge(), engine.log(), model, image, flags, states}) {
    engine.initiate();
    screens.createSprites();
    screens.buildScreen();
}

ScreenWorld::~ScreenWorld() {
    screens.destroyPanels();
    screens.destroySprites();
}

void ScreenWorld::connectWheel() {
    if (image.readU32(0) != kNvmSignature) {
        image.writeU32(0, kNvmSignature);
        image.writeU32(kNvmStampOffset, 0);
        image.writeU32(kNvmFlagsOffset, 0);
    }
    model.decodeImage(image, screens, true);
    states.ScreenState = states.DetachedState;
    if (states.ScreenState != kScreenSensitivityPage) screens.setConsolePanelEnabled(true);
    screens.setMainControlsPanelEnabled(true);
    screens.setSensitivityPanelEnabled(true);
    flags.WheelConnected = true;
}

void ScreenWorld::removeWheel() {
    states.DetachedState = states.ScreenState;
    states.ScreenState = kScreenNoWheel;
    screens.setConsolePanelEnabled(false);
    screens.setMainControlsPanelEnabled(false);
    screens.setSensitivityPanelEnabled(false);
    flags.WheelConnected = false;
}

int ScreenWorld::frame(int x, int y, bool held, int wheel) {
    return screens.updateScreen(MouseSample{x, y, held, wheel});
}

int ScreenWorld::click(int x, int y) {
    frame(x, y, true);
    return frame(x, y, false);
}

void ScreenWorld::dragAndDrop(int fromX, int fromY, int toX, int toY) {
    frame(fromX, fromY, true);
    frame((fromX + toX) / 2, (fromY + toY) / 2, true);
    frame(toX, toY, true);
    frame(toX, toY, false);
}

int ScreenWorld::runUntilStateIsNot(int state, int limit) {
    int frames = 0;
    while (states.ScreenState == state && frames < limit) {
        frame(0, 0, false);
        ++frames;
    }
    return frames;
}

void ScreenWorld::render() {
    HGE& hge = *engine.hge();
    hge.Gfx_BeginScene();
    hge.Gfx_ClearScreen(0xFF000000);
    screens.drawScreen();
    hge.Gfx_FinishScene();
}

bool ScreenWorld::saveScreenshot(const std::string& path) const {
    constexpr int kWidth = 800;
    constexpr int kHeight = 600;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(kWidth) * kHeight * 4);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const std::uint32_t argb = pixel(x, y);
            std::uint8_t* out = &rgba[(static_cast<std::size_t>(y) * kWidth + x) * 4];
            out[0] = static_cast<std::uint8_t>(argb >> 16);
            out[1] = static_cast<std::uint8_t>(argb >> 8);
            out[2] = static_cast<std::uint8_t>(argb);
            out[3] = 0xFF;
        }
    }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = kWidth;
    png.height = kHeight;
    png.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&png, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
}

Point paletteCentre(int palette) {
    const ScreenRect& button = kPaletteButton[palette];
    return {button.x + button.width / 2, button.y + button.height / 2};
}

Point hotspotCentre(int dest) {
    const DestHotspot& spot = kDestHotspot[dest];
    return {spot.x + spot.width / 2, spot.y + spot.height / 2};
}

}  // namespace kestrel::testing
