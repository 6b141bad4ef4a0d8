// Drawing cost on the headless software renderer, the same renderer for every variant:
//   Engine     sprites through Sprite::Render and the engine's batcher
//   Floor      the same vertices handed to SDL_RenderGeometryRaw in one prebuilt call
//   PerSprite  one SDL_RenderCopyF per sprite, what drawing without a batcher costs
// plus a full-window skin redraw with its flushes per frame.
#include <SDL.h>
#include <benchmark/benchmark.h>

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
        hge->Gfx_BeginScene();
        for (const Placement& p : where) sprite.Render(p.x, p.y);
        hge->Gfx_FinishScene();
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
    SDL_Renderer* renderer = world.platform().renderer();
    const auto where = placements(static_cast<int>(state.range(0)));
    const float u0 = 16.0f / 256, v0 = 1.0f / 128;
    const float u1 = (16.0f + kSpriteSize) / 256, v1 = (1.0f + kSpriteSize) / 128;
    std::vector<SDL_Vertex> vertices;
    std::vector<int> indices;
    for (const Placement& p : where) {
        const int base = static_cast<int>(vertices.size());
        const SDL_Color white{255, 255, 255, 255};
        vertices.push_back({{p.x, p.y}, white, {u0, v0}});
        vertices.push_back({{p.x + kSpriteSize, p.y}, white, {u1, v0}});
        vertices.push_back({{p.x + kSpriteSize, p.y + kSpriteSize}, white, {u1, v1}});
        vertices.push_back({{p.x, p.y + kSpriteSize}, white, {u0, v1}});
        for (int i : {0, 1, 2, 2, 3, 0}) indices.push_back(base + i);
    }
    SDL_SetTextureBlendMode(sdlTexture(atlas), SDL_BLENDMODE_BLEND);
    for (auto _ : state) {
        SDL_RenderGeometry(renderer, sdlTexture(atlas), vertices.data(),
                           static_cast<int>(vertices.size()), indices.data(),
                           static_cast<int>(indices.size()));
        world.platform().present();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
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

}  // namespace
}  // namespace kestrel
