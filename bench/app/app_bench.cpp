// What one frame of the application costs on the headless engine with the real main screen:
// a static screen, where the render function has nothing new to draw, against a screen whose
// mouse moves every frame. And what keeping the window alive costs a whole firmware flash: a
// pump after each of its 771 chunks and a redraw of the updating screen per percent, against
// the pumps alone. The frame pacing, idle CPU, start time and memory of the running
// demo are measured by scripts/measure-performance.
#include <benchmark/benchmark.h>

#include <optional>

#include "app/frame.h"
#include "config/configuration.h"
#include "engine/headless.h"
#include "screens/screens.h"

namespace kestrel {
namespace {

struct SilentShell final : Shell {
    MessageBoxResult ask(std::string_view, MessageBoxButtons, PromptIcon) override { return MessageBoxResult::kOk; }
    int openUrl(const std::string&) override { return kShellOpenSucceeded; }
};

struct ScreensDriver final : ScreenDriver {
    Screens& screens;
    explicit ScreensDriver(Screens& s) : screens(s) {}
    int updateScreen(const MouseSample& mouse) override { return screens.updateScreen(mouse); }
    void drawScreen() override { screens.drawScreen(); }
};

struct NoWheel final : WheelActions {
    int firmwareUpdate() override { return 1; }
    int writeConfiguration() override { return 1; }
};

// The headless engine with the real screens built and the frame loop over them.
struct BenchWorld {
    HeadlessEngine engine;
    NvmImage image{};
    ConfigurationModel model;
    ProgramFlags flags;
    ScreenStates states;
    std::optional<Screens> screens;
    SilentShell shell;
    std::string url;
    std::optional<ScreensDriver> driver;
    NoWheel wheel;
    std::optional<FrameLoop> loop;

    explicit BenchWorld(int screenState) {
        engine.initiate();
        screens.emplace(ScreenContext{*engine.hge(), engine.log(), model, image, flags, states});
        screens->createSprites();
        screens->buildScreen();
        states.ScreenState = screenState;
        driver.emplace(*screens);
        loop.emplace(FrameContext{*engine.hge(), engine.log(), shell, flags, states, url, *driver, wheel});
    }
};

void runFrames(benchmark::State& state, bool moveMouse) {
    BenchWorld world(kScreenMainPage);
    HeadlessEngine& engine = world.engine;
    FrameLoop& loop = *world.loop;
    engine.hge()->System_SetFuncState(kStateRenderFunc, [&] { return loop.renderFunction(); });
    int step = 0;
    for (auto _ : state) {
        if (moveMouse) {
            PlatformEvent move;
            move.type = PlatformEvent::Type::kMouseMove;
            move.x = static_cast<float>(300 + (++step % 2));
            move.y = 300;
            engine.platform().queueEvent(move);
        }
        engine.runFrames(1, [&] { loop.frameFunction(); });
    }
    state.counters["drawn"] = static_cast<double>(loop.scenesDrawn());
    state.counters["skipped"] = static_cast<double>(loop.scenesSkipped());
}

// What the program does between the chunks of one flash, over the whole flash.
void flashUpkeep(benchmark::State& state, bool redraw) {
    BenchWorld world(kScreenFirmwareUpdate);
    Screens& screens = *world.screens;
    FrameLoop& loop = *world.loop;
    constexpr std::size_t kChunks = 771;
    for (auto _ : state) {
        screens.showFirmwareProgress(FirmwareProgress{});
        for (std::size_t sent = 1; sent <= kChunks; ++sent) {
            const bool changed = screens.showFirmwareProgress({FirmwareProgress::Phase::Flashing, sent, kChunks});
            loop.keepWindowAnswering(redraw && changed);
        }
    }
    state.counters["scenes/flash"] = static_cast<double>(loop.scenesDrawn()) / static_cast<double>(state.iterations());
}

void BM_FlashUpkeepPumpsOnly(benchmark::State& state) { flashUpkeep(state, false); }
void BM_FlashUpkeepWithProgress(benchmark::State& state) { flashUpkeep(state, true); }

void BM_StaticScreenFrame(benchmark::State& state) { runFrames(state, false); }
void BM_ChangingScreenFrame(benchmark::State& state) { runFrames(state, true); }

BENCHMARK(BM_StaticScreenFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ChangingScreenFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FlashUpkeepPumpsOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlashUpkeepWithProgress)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel
