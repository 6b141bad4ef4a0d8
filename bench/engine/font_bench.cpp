// Text cost per frame on the headless renderer: the preset list writes about twenty short
// lines and one wrapped note each frame, so these are the two shapes measured.
//   FontLines    20 lines of 40 characters with printf
//   FontBoxNote  one 600-character note wrapped into a 300-pixel box
//   FontMeasure  stringWidth of a 40-character line, the cost alignment adds per line
#include <benchmark/benchmark.h>

#include <string>

#include "engine/bitmap_font.h"
#include "engine/headless.h"

namespace kestrel {
namespace {

const std::string kLine = "Drift preset 12: paddles on LB/RB, 900 d";

std::string note() {
    std::string text;
    while (text.size() < 600) text += "Pedals swapped, sensitivity raised for tight hairpins. ";
    return text.substr(0, 600);
}

void FontLines(benchmark::State& state) {
    HeadlessEngine world;
    world.initiate();
    auto font = loadEmbeddedFont("myriad_16s");
    HGE* hge = world.hge();
    for (auto _ : state) {
        hge->Gfx_BeginScene();
        for (int line = 0; line < 20; ++line) font->printf(20, 20 + 24.0f * line, kAlignLeft, "%s", kLine.c_str());
        hge->Gfx_FinishScene();
    }
    state.SetItemsProcessed(state.iterations() * 20 * static_cast<std::int64_t>(kLine.size()));
}
BENCHMARK(FontLines)->Unit(benchmark::kMicrosecond);

void FontBoxNote(benchmark::State& state) {
    HeadlessEngine world;
    world.initiate();
    auto font = loadEmbeddedFont("myriad_16s");
    HGE* hge = world.hge();
    const std::string text = note();
    for (auto _ : state) {
        hge->Gfx_BeginScene();
        font->printfBox(20, 20, 300, 80, kAlignLeft, "%s", text.c_str());
        hge->Gfx_FinishScene();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(FontBoxNote)->Unit(benchmark::kMicrosecond);

void FontMeasure(benchmark::State& state) {
    HeadlessEngine world;
    world.initiate();
    auto font = loadEmbeddedFont("myriad_16s");
    for (auto _ : state) benchmark::DoNotOptimize(font->stringWidth(kLine.c_str()));
}
BENCHMARK(FontMeasure);

}  // namespace
}  // namespace kestrel
