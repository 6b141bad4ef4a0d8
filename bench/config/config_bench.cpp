// Time per image to decode the wheel's configuration into the editing model and to encode it
// back, the two steps around every wheel arrival and every save.
#include <benchmark/benchmark.h>

#include <random>

#include "config/configuration.h"

namespace kestrel {
namespace {

class NullWidgets final : public SettingsWidgets {
public:
    void setSensitivityAngles(float lower, float upper) override { lower_ = lower + upper; }
    float sensitivityLowerAngle() const override { return lower_; }
    float sensitivityUpperAngle() const override { return lower_; }
    void selectRumble(RumbleChoice) override {}
    void setPedalValue(int value) override { pedal_ = value; }
    int pedalValue() const override { return pedal_; }
    void showConsoleMode(int) override {}

private:
    float lower_ = 0;
    int pedal_ = 0;
};

// A saved configuration with every function in use, so decoding does its full work.
NvmImage savedImage() {
    ConfigurationModel model;
    for (int console = 0; console < kConsoleCount; ++console) {
        for (int d = 0; d < kDestinationCount; ++d) model.StoredMapping[console][d] = (d * 5 + console) % kPaletteCount;
    }
    NvmImage image{};
    std::mt19937 random(7);
    for (auto& byte : image.bytes) byte = static_cast<std::uint8_t>(random());
    model.encodeImage(image);
    return image;
}

void BM_DecodeImage(benchmark::State& state) {
    const NvmImage image = savedImage();
    NullWidgets widgets;
    ConfigurationModel model;
    for (auto _ : state) {
        model.decodeImage(image, widgets, true);
        benchmark::DoNotOptimize(model.LabelRect.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeImage);

void BM_EncodeImage(benchmark::State& state) {
    NvmImage image = savedImage();
    NullWidgets widgets;
    ConfigurationModel model;
    model.decodeImage(image, widgets, true);
    for (auto _ : state) {
        model.encodeImage(image);
        benchmark::DoNotOptimize(image.bytes.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodeImage);

}  // namespace
}  // namespace kestrel
