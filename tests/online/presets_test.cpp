#include "online/presets.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>

#include "online/http_fetch.h"
#include "tests/online/local_http_server.h"

namespace kestrel {
namespace {

// Answers each GET with the next scripted result and counts the requests.
class ScriptedTransport final : public HttpTransport {
public:
    struct Answer {
        HttpOutcome outcome;
        std::string body;
    };
    void push(HttpOutcome outcome, std::string body = {}) { answers_.push_back({outcome, std::move(body)}); }
    int requests = 0;
    std::string lastUrl;

    HttpGetResult get(const std::string& url, std::span<std::uint8_t> buffer) override {
        ++requests;
        lastUrl = url;
        HttpGetResult result;
        if (answers_.empty()) {
            result.message = "no answer scripted";
            return result;
        }
        const Answer answer = answers_.front();
        answers_.pop_front();
        result.outcome = answer.outcome;
        result.message = "scripted failure";
        if (answer.body.size() > buffer.size()) {
            result.outcome = HttpOutcome::BodyTooLong;
            return result;
        }
        std::memcpy(buffer.data(), answer.body.data(), answer.body.size());
        result.size = answer.body.size();
        return result;
    }

private:
    std::deque<Answer> answers_;
};

class RecordingMessageBoxes final : public MessageBoxDisplay {
public:
    struct Shown {
        MessageBoxIcon icon;
        std::string title;
        std::string text;
    };
    std::vector<Shown> shown;
    void showMessage(MessageBoxIcon icon, std::string_view title, std::string_view text) override {
        shown.push_back({icon, std::string(title), std::string(text)});
    }
};

class NullSettingsWidgets final : public SettingsWidgets {
public:
    void setSensitivityAngles(float lower, float upper) override {
        lower_ = lower;
        upper_ = upper;
    }
    float sensitivityLowerAngle() const override { return lower_; }
    float sensitivityUpperAngle() const override { return upper_; }
    void selectRumble(RumbleChoice) override {}
    void setPedalValue(int value) override {
        pedal = value;
        ++pedalShows;
    }
    int pedalValue() const override { return pedal; }
    void showConsoleMode(int) override {}
    int pedal = -1;
    int pedalShows = 0;

private:
    float lower_ = 0;
    float upper_ = 90;
};

// A preset image whose three blocks are signed and filled with recognisable bytes.
std::string presetImage() {
    NvmImage image;
    for (std::size_t i = 0; i < kNvmSize; ++i) image.bytes[i] = static_cast<std::uint8_t>(0xC0 + i % 13);
    for (std::size_t block : {kXboxBlockOffset, kPs3BlockOffset, kSettingsBlockOffset}) image.writeU32(block, kNvmSignature);
    image.writeS32(kSettingsBlockOffset + kSensitivityStartOffset, 0);
    image.writeS32(kSettingsBlockOffset + kSensitivityEndOffset, 32767);
    image.writeS32(kSettingsBlockOffset + kRumbleLevelOffset, 1);
    image.writeS32(kSettingsBlockOffset + kPedalPressureOffset, 120);
    image.writeS32(kSettingsBlockOffset + kPedalPressureOffset + 4, 130);
    return std::string(image.bytes.begin(), image.bytes.end());
}

bool sameRange(const NvmImage& image, const std::string& preset, std::size_t offset, std::size_t size) {
    return std::memcmp(image.bytes.data() + offset, preset.data() + offset, size) == 0;
}

class PresetApply : public ::testing::Test {
protected:
    PresetApply() {
        for (int type : {3, 4, 0}) {
            PresetRecord record;
            std::snprintf(record.file, sizeof record.file, "http://presets.kestrel.invalid/type%d.bin", type);
            record.type = type;
            online_.presets.push_back(std::move(record));
        }
        wheelImage_.bytes.fill(0x11);
        image_ = wheelImage_;
    }

    RecordingLog log_;
    ScriptedTransport http_;
    RecordingMessageBoxes messages_;
    OnlineSettings online_;
    ConfigurationModel configuration_;
    NvmImage wheelImage_;
    NvmImage image_;
    NullSettingsWidgets widgets_;
    PresetLink link_{log_, http_, messages_, online_, configuration_, image_, widgets_};
    const std::string preset_ = presetImage();
};

TEST_F(PresetApply, DownloadsOncePerRunHoweverOftenApplied) {
    http_.push(HttpOutcome::Complete, preset_);
    EXPECT_TRUE(applySelectedPreset(link_, 0));
    EXPECT_TRUE(applySelectedPreset(link_, 0));
    EXPECT_EQ(http_.requests, 1);
    EXPECT_EQ(http_.lastUrl, "http://presets.kestrel.invalid/type3.bin");
    ASSERT_TRUE(online_.presets[0].data);
    EXPECT_EQ(std::memcmp(online_.presets[0].data.get(), preset_.data(), kPresetImageSize), 0);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(PresetApply, TypeThreeCopiesBothOutputBlocksAndKeepsTheSettings) {
    http_.push(HttpOutcome::Complete, preset_);
    applySelectedPreset(link_, 0);
    EXPECT_TRUE(sameRange(image_, preset_, kXboxBlockOffset, kOutputBlockSize));
    EXPECT_TRUE(sameRange(image_, preset_, kPs3BlockOffset, kOutputBlockSize));
    NvmImage expected = wheelImage_;
    std::memcpy(expected.bytes.data() + kXboxBlockOffset, preset_.data() + kXboxBlockOffset, kOutputBlockSize);
    std::memcpy(expected.bytes.data() + kPs3BlockOffset, preset_.data() + kPs3BlockOffset, kOutputBlockSize);
    EXPECT_EQ(image_, expected);  // nothing else of the wheel's image changed
}

TEST_F(PresetApply, TypeFourCopiesTheSettingsAndBothPedalPressures) {
    http_.push(HttpOutcome::Complete, preset_);
    applySelectedPreset(link_, 1);
    EXPECT_TRUE(sameRange(image_, preset_, kSettingsBlockOffset, kSettingsBlockSize));
    EXPECT_FALSE(sameRange(image_, preset_, kXboxBlockOffset, kOutputBlockSize));
    EXPECT_EQ(configuration_.pedalPressure[0], 120);
    EXPECT_EQ(configuration_.pedalPressure[1], 130);
    EXPECT_EQ(configuration_.rumbleLevel, 1);
    EXPECT_EQ(widgets_.pedal, 130);  // the editor was reloaded from the image
}

TEST_F(PresetApply, TypeZeroStillDownloadsAndReloadsWithAnUnchangedImage) {
    http_.push(HttpOutcome::Complete, preset_);
    const int showsBefore = widgets_.pedalShows;
    EXPECT_TRUE(applySelectedPreset(link_, 2));
    EXPECT_EQ(http_.requests, 1);
    EXPECT_EQ(image_, wheelImage_);
    EXPECT_GT(widgets_.pedalShows, showsBefore);
}

TEST_F(PresetApply, WrongLengthsAndFailuresShowTheErrorAndRetryNextTime) {
    const struct {
        const char* label;
        HttpOutcome outcome;
        std::string body;
    } failures[] = {
        {"1023 bytes", HttpOutcome::Complete, preset_.substr(0, 1023)},
        {"1025 bytes", HttpOutcome::Complete, preset_ + "x"},
        {"5000 bytes", HttpOutcome::Complete, std::string(5000, 'x')},
        {"error page", HttpOutcome::HttpStatus, preset_},
        {"unreachable", HttpOutcome::TransportFailure, ""},
    };
    int attempts = 0;
    for (const auto& failure : failures) {
        messages_.shown.clear();
        http_.push(failure.outcome, failure.body);
        const int showsBefore = widgets_.pedalShows;
        EXPECT_FALSE(applySelectedPreset(link_, 0)) << failure.label;
        EXPECT_EQ(http_.requests, ++attempts) << failure.label;
        EXPECT_FALSE(online_.presets[0].data) << failure.label;
        ASSERT_EQ(messages_.shown.size(), 1u) << failure.label;
        EXPECT_EQ(messages_.shown[0].icon, MessageBoxIcon::Error);
        EXPECT_EQ(messages_.shown[0].title, "Kestrel Customiser");
        EXPECT_EQ(messages_.shown[0].text,
                  "An error occurred when accessing the preset data\nplease contact customer services to inform them of the problem\n \n");
        EXPECT_EQ(image_, wheelImage_) << failure.label;
        EXPECT_GT(widgets_.pedalShows, showsBefore) << failure.label;  // still reloaded
    }
    // Transport failures, error pages and oversized bodies leave a log line; short bodies do not.
    EXPECT_EQ(log_.lines().size(), 3u);

    http_.push(HttpOutcome::Complete, preset_);
    EXPECT_TRUE(applySelectedPreset(link_, 0));
    EXPECT_TRUE(online_.presets[0].data);
}

TEST_F(PresetApply, RowsBeyondThePresetsDoNothing) {
    EXPECT_FALSE(applySelectedPreset(link_, 3));
    EXPECT_FALSE(applySelectedPreset(link_, -1));
    EXPECT_EQ(http_.requests, 0);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST(PresetDownload, ComesFromTheRecordsUrlOverHttp) {
    testing::LocalHttpServer server;
    testing::ProxyEnvironment proxy(server.proxyUrl());
    server.respond("/presets/one.bin", {200, presetImage(), 7});
    CurlTransport http;
    RecordingLog log;
    RecordingMessageBoxes messages;
    OnlineSettings online;
    PresetRecord record;
    std::strcpy(record.file, "http://presets.kestrel.invalid/presets/one.bin");
    record.type = 7;
    online.presets.push_back(std::move(record));
    ConfigurationModel configuration;
    NvmImage image;
    NullSettingsWidgets widgets;
    PresetLink link{log, http, messages, online, configuration, image, widgets};

    EXPECT_TRUE(applySelectedPreset(link, 0));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(configuration.pedalPressure[1], 130);
    EXPECT_EQ(server.requests().size(), 1u);
}

}  // namespace
}  // namespace kestrel
