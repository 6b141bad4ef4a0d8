// What one frame of the main screen costs on the headless software renderer, and how many
// times the batcher flushes per frame (each flush is one draw call on a real renderer).
//   MainPage         the busiest state: every destination assigned, labels and arrows drawn
//   SensitivityPage  the dial's band and spokes, untextured, between textured sprites
//   UpdateMainPage   the per-frame update alone, the pointer moving over the palette
#include <benchmark/benchmark.h>

#include "config/configuration.h"
#include "config/program_state.h"
#include "engine/headless.h"
#include "screens/screens.h"

namespace kestrel {
namespace {

struct World {
    HeadlessEngine engine;
    ConfigurationModel model;
    NvmImage image;
    ProgramFlags flags;
    ScreenStates states;
    Screens screens{ScreenContext{*engine.hge(), engine.log(), model, image, flags, states}};

    World() {
        engine.initiate();
        screens.createSprites();
        screens.buildScreen();
        model.decodeImage(image, screens, true);  // a blank wheel: the defaults, all 18 assigned
        states.ScreenState = kScreenMainPage;
        screens.setConsolePanelEnabled(true);
        screens.setMainControlsPanelEnabled(true);
        screens.setSensitivityPanelEnabled(true);
    }
    ~World() {
        screens.destroyPanels();
        screens.destroySprites();
    }
};

void drawFrames(benchmark::State& state, World& world) {
    HGE& hge = *world.engine.hge();
    const std::uint64_t before = hge.Gfx_FlushCount();
    std::int64_t frames = 0;
    for (auto _ : state) {
        hge.Gfx_BeginScene();
        world.screens.drawScreen();
        hge.Gfx_FinishScene();
        ++frames;
    }
    state.counters["flushes_per_frame"] =
        static_cast<double>(hge.Gfx_FlushCount() - before) / static_cast<double>(frames);
}

void MainPage(benchmark::State& state) {
    World world;
    drawFrames(state, world);
}
BENCHMARK(MainPage)->Unit(benchmark::kMillisecond);

void SensitivityPage(benchmark::State& state) {
    World world;
    // Click the Sensitivity tab, then let the slide finish.
    world.screens.updateScreen(MouseSample{320, 20, true, 0});
    world.screens.updateScreen(MouseSample{320, 20, false, 0});
    for (int frame = 0; frame < 60; ++frame) world.screens.updateScreen(MouseSample{});
    if (world.states.ScreenState != kScreenSensitivityPage) state.SkipWithError("the slide did not end");
    drawFrames(state, world);
}
BENCHMARK(SensitivityPage)->Unit(benchmark::kMillisecond);

void UpdateMainPage(benchmark::State& state) {
    World world;
    int x = 0;
    for (auto _ : state) {
        x = (x + 7) % 250;
        benchmark::DoNotOptimize(world.screens.updateScreen(MouseSample{x, 430, false, 0}));
    }
}
BENCHMARK(UpdateMainPage);

}  // namespace
}  // namespace kestrel
