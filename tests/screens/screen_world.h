#pragma once
// A fresh program world for one screen test: headless engine, editing model, image, flags and
// screen states, and the built main screen, driven frame by frame as the frame function does.
#include <cstdint>
#include <string>

#include "config/configuration.h"
#include "config/nvm_image.h"
#include "config/program_state.h"
#include "engine/headless.h"
#include "screens/screens.h"

namespace kestrel::testing {

struct ScreenWorld {
    HeadlessEngine engine;
    ConfigurationModel model;
    NvmImage image;
    ProgramFlags flags;
    ScreenStates states;
    Screens screens;

    ScreenWorld();
    ~ScreenWorld();

    // What the wheel link does when a wheel arrives: decode what it read and restore the screen.
    void connectWheel();
    // What the wheel link does when the wheel goes.
    void removeWheel();

    // One frame of the screen update, with the mouse at (x, y).
    int frame(int x, int y, bool held, int wheel = 0);
    // Press and release at one point.
    int click(int x, int y);
    // Press at `from`, move while held, release at `to`.
    void dragAndDrop(int fromX, int fromY, int toX, int toY);
    // Frames with the mouse resting at the top-left corner until the state changes or `limit`.
    int runUntilStateIsNot(int state, int limit = 200);

    // Draws one frame and presents it; pixels are then read from the platform.
    void render();
    std::uint32_t pixel(int x, int y) const { return engine.platform().pixel(x, y); }
    // Writes the last presented frame as a PNG; false when the file cannot be written.
    bool saveScreenshot(const std::string& path) const;
};

// The centre of palette button `palette` and of destination `dest`'s hotspot.
struct Point {
    int x;
    int y;
};
Point paletteCentre(int palette);
Point hotspotCentre(int dest);

}  // namespace kestrel::testing
