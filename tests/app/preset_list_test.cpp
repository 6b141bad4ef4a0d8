// The preset list window driven through its input like the frame does: opening, the offline
// notice, selecting, OK and Cancel, and the write it asks for.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "config/configuration.h"
#include "engine/headless.h"
#include "screens/preset_list.h"
#include "screens/skin.h"
#include "test_doubles.h"
#include "ui/pointer.h"

namespace kestrel {
namespace {

struct QuietWidgets final : SettingsWidgets {
    void setSensitivityAngles(float, float) override {}
    float sensitivityLowerAngle() const override { return 0; }
    float sensitivityUpperAngle() const override { return 90; }
    void selectRumble(RumbleChoice) override {}
    void setPedalValue(int) override {}
    int pedalValue() const override { return 0; }
    void showConsoleMode(int) override {}
};

class PresetListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(engine.initiate());
        skin.load();
        states.ScreenState = kScreenMainPage;
    }

    void addPresets(int count, int type = kPresetSettingsBlock) {
        online.presets.resize(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            PresetRecord& preset = online.presets[static_cast<std::size_t>(i)];
            std::snprintf(preset.name, sizeof preset.name, "Preset %d", i);
            std::snprintf(preset.file, sizeof preset.file, "http://server.test/p%d.bin", i);
            preset.type = type;
            std::string image(kPresetImageSize, '\0');
            image[kSettingsBlockOffset + 0] = 0x78;  // signature 0x12345678, little-endian
            image[kSettingsBlockOffset + 1] = 0x56;
            image[kSettingsBlockOffset + 2] = 0x34;
            image[kSettingsBlockOffset + 3] = 0x12;
            image[kSettingsBlockOffset + kRumbleLevelOffset] = static_cast<char>(i % 3);
            http.bodies[preset.file] = image;
        }
    }
    void click(int x, int y) {
        presets.input(kEventMove, x, y);
        presets.input(kEventHeld, x, y);
        presets.input(kEventRelease, x, y);
        presets.input(kEventMove, x, y);
    }
    void clickRow(int row) { click(200, preset_layout::kListY + row * preset_layout::kRowHeight + 10); }
    void clickOk() { click(578 + 10, 446 + 10); }
    void clickCancel() { click(642 + 10, 446 + 10); }

    HeadlessEngine engine;
    Skin skin{*engine.hge(), engine.log()};
    testing::RecordingShell shell;
    testing::ScriptedTransport http;
    OnlineSettings online;
    ConfigurationModel model;
    NvmImage image{};
    QuietWidgets widgets;
    ProgramFlags flags;
    ScreenStates states;
    PresetList presets{{*engine.hge(), engine.log(), skin, shell, http, online, model, image, widgets, flags, states}};
};

TEST_F(PresetListTest, WithoutPresetsTheOfflineNoticeShowsAndTheScreenStays) {
    presets.open();
    EXPECT_EQ(shell.texts, (std::vector<std::string>{std::string(kPresetsOfflineText)}));
    EXPECT_FALSE(presets.isOpen());
    EXPECT_EQ(states.ScreenState, kScreenMainPage);
}

TEST_F(PresetListTest, OpensOnlyFromThePagesAndRemembersWhereToReturn) {
    addPresets(3);
    states.ScreenState = kScreenSaving;
    presets.open();
    EXPECT_FALSE(presets.isOpen());

    states.ScreenState = kScreenSensitivityPage;
    presets.open();
    ASSERT_TRUE(presets.isOpen());
    EXPECT_EQ(states.ScreenState, kScreenPresetList);
    EXPECT_EQ(states.ResumeState, kScreenSensitivityPage);
    EXPECT_EQ(presets.list()->lineCount(), 3);
    EXPECT_EQ(presets.selectedPreset(), -1);
}

TEST_F(PresetListTest, OkAppliesTheSelectedPresetAndAsksForTheWrite) {
    addPresets(3);
    presets.open();
    clickRow(2);
    EXPECT_EQ(presets.selectedPreset(), 2);
    clickOk();
    EXPECT_FALSE(presets.isOpen());
    EXPECT_EQ(http.requested, (std::vector<std::string>{"http://server.test/p2.bin"}));
    EXPECT_EQ(image.readS32(kSettingsBlockOffset + kRumbleLevelOffset), 2);
    EXPECT_TRUE(flags.ConfigWritePending);
    EXPECT_EQ(states.ScreenState, kScreenSaving);
    EXPECT_EQ(states.ResumeState, kScreenMainPage);
}

TEST_F(PresetListTest, ApplyingTheSamePresetAgainDownloadsItOnce) {
    addPresets(2);
    for (int i = 0; i < 2; ++i) {
        states.ScreenState = kScreenMainPage;
        presets.open();
        clickRow(1);
        clickOk();
    }
    EXPECT_EQ(http.requested.size(), 1u);
}

TEST_F(PresetListTest, NothingIsAppliedOrWrittenWithoutARealSelection) {
    addPresets(2);
    // No row, an empty row below the last preset, and Cancel after a real selection.
    const std::vector<std::function<void()>> closings = {
        [&] { clickOk(); },
        [&] { clickRow(4); EXPECT_EQ(presets.selectedPreset(), -1); clickOk(); },
        [&] { clickRow(0); clickCancel(); },
    };
    for (const auto& close : closings) {
        states.ScreenState = kScreenMainPage;
        presets.open();
        ASSERT_TRUE(presets.isOpen());
        close();
        EXPECT_FALSE(presets.isOpen());
        EXPECT_TRUE(http.requested.empty());
        EXPECT_FALSE(flags.ConfigWritePending);
        EXPECT_EQ(states.ScreenState, kScreenMainPage);
    }
}

TEST_F(PresetListTest, FailedDownloadShowsTheErrorAndStillWritesTheUnchangedConfiguration) {
    addPresets(1);
    http.bodies.clear();
    const NvmImage before = image;
    presets.open();
    clickRow(0);
    clickOk();
    ASSERT_FALSE(shell.texts.empty());
    EXPECT_EQ(shell.texts.back(), kPresetDataErrorText);
    EXPECT_EQ(image.bytes, before.bytes);
    EXPECT_TRUE(flags.ConfigWritePending);
    EXPECT_EQ(online.presets[0].data, nullptr);
}

TEST_F(PresetListTest, OnlyTheFirstHundredPresetsAreListedAndReopeningForgetsTheSelection) {
    addPresets(101);
    presets.open();
    EXPECT_EQ(presets.list()->lineCount(), 100);
    clickRow(1);
    clickCancel();
    presets.open();
    EXPECT_EQ(presets.selectedPreset(), -1);
}

TEST_F(PresetListTest, DrawsTheWindowOverTheScreenWithoutFonts) {
    addPresets(7);
    presets.open();
    clickRow(1);
    engine.hge()->Gfx_BeginScene();
    presets.draw();
    engine.hge()->Gfx_FinishScene();
    // Seven rows do not fit: the orange thumb sits at the top of the black track.
    const int trackX = preset_layout::kListX + preset_layout::kListWidth - 12;
    EXPECT_EQ(engine.platform().pixel(trackX, 200), 0xFFFFC000u);
    EXPECT_EQ(engine.platform().pixel(trackX, 300) & 0xFFFFFF, 0u);
}

}  // namespace
}  // namespace kestrel
