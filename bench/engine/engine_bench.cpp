// Drawing cost on the headless software renderer, the same renderer for every variant:
//   Engine     sprites through Sprite::Render and the engine's batcher
//   Floor      the same vertices handed to SDL_RenderGeometry in one prebuilt call
//   EngineOverFloor  both in turn in one loop, and the ratio of their CPU times
//   PerSprite  one SDL_RenderCopyF per sprite, what drawing without a batcher costs
// plus a full-window skin redraw with its flushes per frame.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <time.h>

#include <random>
#include <vector>

#include "assets/embedded.h"
#include "engine/headless.h"
#include "engine/sprite.h"

namespace kestrel {
namespace {

constexpr float kSpriteSize = 8;

struct Placement {
    float x;
    float y;
};

std::vector<Placement> placements(int count) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> x(0, 800 - kSpriteSize);
    std::uniform_real_distribution<float> y(0, 600 - kSpriteSize);
    std::vector<Placement> all(static_cast<std::size_t>(count));
    for (Placement& p : all) p = {x(random), y(random)};
    return all;
}

// A 64x64 atlas of half-transparent texels, like the skin's anti-aliased edges.
TextureHandle loadAtlas(HGE* hge) {
    const auto bytes = assets::find("myriad_16s.png");
    return hge->Texture_LoadImage(bytes.data(), bytes.size(), false);
}

SDL_Texture* sdlTexture(TextureHandle texture) { return reinterpret_cast<SDL_Texture*>(texture); }

// The floor's whole frame, built once: the same quads the engine batches, as SDL vertices.
struct FloorGeometry {
    std::vector<SDL_Vertex> vertices;
    std::vector<int> indices;
};

FloorGeometry floorGeometry(const std::vector<Placement>& where) {
    const float u0 = 16.0f / 256, v0 = 1.0f / 128;
    const float u1 = (16.0f + kSpriteSize) / 256, v1 = (1.0f + kSpriteSize) / 128;
    FloorGeometry geometry;
    for (const Placement& p : where) {
        const int base = static_cast<int>(geometry.vertices.size());
        const SDL_Color white{255, 255, 255, 255};
        geometry.vertices.push_back({{p.x, p.y}, white, {u0, v0}});
        geometry.vertices.push_back({{p.x + kSpriteSize, p.y}, white, {u1, v0}});
        geometry.vertices.push_back({{p.x + kSpriteSize, p.y + kSpriteSize}, white, {u1, v1}});
        geometry.vertices.push_back({{p.x, p.y + kSpriteSize}, white, {u0, v1}});
        for (int i : {0, 1, 2, 2, 3, 0}) geometry.indices.push_back(base + i);
    }
    return geometry;
}

void drawFloorFrame(HeadlessEngine& world, TextureHandle atlas, const FloorGeometry& geometry) {
    SDL_RenderGeometry(world.platform().renderer(), sdlTexture(atlas), geometry.vertices.data(),
                       static_cast<int>(geometry.vertices.size()), geometry.indices.data(),
                       static_cast<int>(geometry.indices.size()));
    world.platform().present();
}

void drawEngineFrame(HGE* hge, Sprite& sprite, const std::vector<Placement>& where) {
    hge->Gfx_BeginScene();
    for (const Placement& p : where) sprite.Render(p.x, p.y);
    hge->Gfx_FinishScene();
}

void Engine(benchmark::State& state) {
    HeadlessEngine world;
    world.initiate();
    HGE* hge = world.hge();
    const TextureHandle atlas = loadAtlas(hge);
    const auto where = placements(static_cast<int>(state.range(0)));
    Sprite sprite(atlas, 16, 1, kSpriteSize, kSpriteSize);
    std::uint64_t flushes = 0;
    for (auto _ : state) {
        const auto before = hge->Gfx_FlushCount();
        drawEngineFrame(hge, sprite, where);
        flushes += hge->Gfx_FlushCount() - before;
    }
    state.counters["flushes_per_frame"] =
        static_cast<double>(flushes) / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void Floor(benchmark::State& state) {
    HeadlessEngine world;
    world.initiate();
    const TextureHandle atlas = loadAtlas(world.hge());
    const FloorGeometry geometry = floorGeometry(placements(static_cast<int>(state.range(0))));
    SDL_SetTextureBlendMode(sdlTexture(atlas), SDL_BLENDMODE_BLEND);
    for (auto _ : state) drawFloorFrame(world, atlas, geometry);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The engine's frame and the floor's frame one after the other in every iteration, each timed
// on this thread's CPU clock, so both see the same machine and caches: "engine_over_floor" is
// the ratio of their totals. Run five times; the median of the five is the figure to quote.
void EngineOverFloor(benchmark::State& state) {
    HeadlessEngine world;
    world.initiate();
    HGE* hge = world.hge();
    const TextureHandle atlas = loadAtlas(hge);
    const auto where = placements(static_cast<int>(state.range(0)));
    const FloorGeometry geometry = floorGeometry(where);
    Sprite sprite(atlas, 16, 1, kSpriteSize, kSpriteSize);
    double engineSeconds = 0;
    double floorSeconds = 0;
    const auto timeEngine = [&] {
        const double start = threadCpuSeconds();
        drawEngineFrame(hge, sprite, where);
        engineSeconds += threadCpuSeconds() - start;
    };
    const auto timeFloor = [&] {
        const double start = threadCpuSeconds();
        // The engine leaves the blend mode it needs on the texture; the floor sets the same.
        SDL_SetTextureBlendMode(sdlTexture(atlas), SDL_BLENDMODE_BLEND);
        drawFloorFrame(world, atlas, geometry);
        floorSeconds += threadCpuSeconds() - start;
    };
    bool engineFirst = true;
    for (auto _ : state) {
        // Taking turns at going first, so neither always finds the caches the other left.
        if (engineFirst) {
            timeEngine();
            timeFloor();
        } else {
            timeFloor();
            timeEngine();
        }
        engineFirst = !engineFirst;
    }
    const auto frames = static_cast<double>(state.iterations());
    state.counters["engine_us"] = 1e6 * engineSeconds / frames;
    state.counters["floor_us"] = 1e6 * floorSeconds / frames;
    state.counters["engine_over_floor"] = floorSeconds > 0 ? engineSeconds / floorSeconds : 0;
}

void PerSprite(benchmark::State& state) {
    HeadlessEngine world;
    world.initiate();
    const TextureHandle atlas = loadAtlas(world.hge());
    SDL_Renderer* renderer = world.platform().renderer();
    const auto where = placements(static_cast<int>(state.range(0)));
    const SDL_Rect source{16, 1, static_cast<int>(kSpriteSize), static_cast<int>(kSpriteSize)};
    SDL_SetTextureBlendMode(sdlTexture(atlas), SDL_BLENDMODE_BLEND);
    for (auto _ : state) {
        for (const Placement& p : where) {
            const SDL_FRect target{p.x, p.y, kSpriteSize, kSpriteSize};
            SDL_RenderCopyF(renderer, sdlTexture(atlas), &source, &target);
        }
        world.platform().present();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// A redraw of the whole window the way the screens draw it: the background, frame pieces,
// panels, icons and labels, all cut from the one skin atlas, plus some text in a font.
void FullSkinRedraw(benchmark::State& state) {
    HeadlessEngine world;
    world.initiate();
    HGE* hge = world.hge();
    const auto skinBytes = assets::find("skin.png");
    const TextureHandle skin = skinBytes.empty()
                                   ? 0
                                   : hge->Texture_LoadImage(skinBytes.data(), skinBytes.size(), false);
    const TextureHandle font = loadAtlas(hge);
    Sprite background(skin, 0, 0, 800, 600);
    Sprite piece(skin, 800, 0, 64, 48);
    Sprite glyph(font, 16, 1, 9, 22);
    const auto where = placements(160);
    std::uint64_t flushes = 0;
    for (auto _ : state) {
        const auto before = hge->Gfx_FlushCount();
        hge->Gfx_BeginScene();
        background.RenderStretch(0, 0, 800, 600);
        for (int i = 0; i < 120; ++i) {
            piece.setColour(i % 3 == 0 ? 0x80FFFFFF : 0xFFFFFFFF);
            piece.Render(where[static_cast<std::size_t>(i)].x, where[static_cast<std::size_t>(i)].y);
        }
        for (int i = 120; i < 160; ++i)
            glyph.Render(where[static_cast<std::size_t>(i)].x, where[static_cast<std::size_t>(i)].y);
        hge->Gfx_FinishScene();
        flushes += hge->Gfx_FlushCount() - before;
    }
    state.counters["flushes_per_frame"] =
        static_cast<double>(flushes) / static_cast<double>(state.iterations());
}

BENCHMARK(Engine)->Arg(1000)->Arg(4000)->Unit(benchmark::kMicrosecond);
BENCHMARK(Floor)->Arg(1000)->Arg(4000)->Unit(benchmark::kMicrosecond);
BENCHMARK(PerSprite)->Arg(1000)->Arg(4000)->Unit(benchmark::kMicrosecond);
BENCHMARK(FullSkinRedraw)->Unit(benchmark::kMicrosecond);
// Target: engine_over_floor median at most 1.15 at both sizes.
BENCHMARK(EngineOverFloor)
    ->Arg(1000)
    ->Arg(4000)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrel
