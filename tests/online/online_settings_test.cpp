#include "online/online_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "online/http_fetch.h"

namespace kestrel {
namespace {

const std::string kDeclaration = kSettingsDeclaration;

std::string document(const std::string& settingsContent) {
    return kDeclaration + "\n<settings>" + settingsContent + "</settings>\n";
}

std::string preset(const std::string& name, const std::string& note, const std::string& type, const std::string& file) {
    return "<preset><name>" + name + "</name><note>" + note + "</note><type>" + type + "</type><file>" + file + "</file></preset>";
}

struct Read {
    OnlineSettings settings;
    ProgramFlags flags;
    explicit Read(const std::string& text) { readSettings(text, settings, flags); }
};

TEST(SettingsDocument, ReadsLinksVersionAndPresetsInDocumentOrder) {
    Read read(document("<version>105</version><download>http://d.invalid/new</download>"
                       "<support>http://s.invalid/help/</support><presets>" +
                       preset("Rally &amp; Drift", "Paddles~for gears", "7", "http://p.invalid/1.bin") +
                       preset("Oval", "", "2", "http://p.invalid/2.bin") + "</presets>"));
    EXPECT_EQ(read.settings.versionText, "105");
    EXPECT_EQ(read.settings.downloadLink, "http://d.invalid/new");
    EXPECT_EQ(read.settings.supportLink, "http://s.invalid/help/");
    EXPECT_TRUE(read.flags.NewerAppAvailable);
    ASSERT_EQ(read.settings.presetCount(), 2);
    const PresetRecord& first = read.settings.presets[0];
    EXPECT_STREQ(first.name, "Rally & Drift");
    EXPECT_STREQ(first.note, "Paddles\nfor gears");
    EXPECT_EQ(first.type, 7);
    EXPECT_STREQ(first.file, "http://p.invalid/1.bin");
    EXPECT_FALSE(first.data);
    EXPECT_STREQ(read.settings.presets[1].name, "Oval");
    EXPECT_EQ(read.settings.presets[1].type, 2);
}

TEST(SettingsDocument, OnlyAVersionAboveOursAnnouncesANewerApplication) {
    const struct {
        const char* element;
        bool newer;
    } cases[] = {
        {"<version>102</version>", true},
        {"<version>101</version>", false},
        {"<version>100</version>", false},
        {"<version>1.2</version>", false},
        {"<version></version>", false},
        {"", false},
        {"<version>  +103 beta</version>", true},
        {"<version>-500</version>", false},
        // Far beyond 64 bits: still a large number, never a wrapped small one.
        {"<version>99999999999999999999999999</version>", true},
        {"<version>18446744073709551717</version>", true},
    };
    for (const auto& c : cases) {
        Read read(document(c.element));
        EXPECT_EQ(read.flags.NewerAppAvailable, c.newer) << c.element;
    }
}

TEST(SettingsDocument, NamesMatchWithoutRegardToCase) {
    Read read(kDeclaration + "<SETTINGS><Version>200</Version><PRESETS><Preset><NAME>x</NAME></Preset></PRESETS></SETTINGS>");
    EXPECT_TRUE(read.flags.NewerAppAvailable);
    ASSERT_EQ(read.settings.presetCount(), 1);
    EXPECT_STREQ(read.settings.presets[0].name, "x");
}

TEST(SettingsDocument, CountsOnlyPresetChildren) {
    EXPECT_EQ(Read(document("<presets><other/></presets>")).settings.presetCount(), 0);
    EXPECT_EQ(Read(document("<version>1</version>")).settings.presetCount(), 0);
    Read read(document("<presets>" + preset("a", "", "", "") + "<x/><extra>" + preset("hidden", "", "", "") + "</extra>" +
                       preset("b", "", "", "") + "<y/>" + preset("c", "", "", "") + "</presets>"));
    ASSERT_EQ(read.settings.presetCount(), 3);
    EXPECT_STREQ(read.settings.presets[2].name, "c");
}

TEST(SettingsDocument, MissingElementsGiveEmptyFieldsAndTypeZero) {
    Read read(document("<presets><preset><name>bare</name></preset></presets>"));
    EXPECT_EQ(read.settings.versionText, "");
    EXPECT_EQ(read.settings.downloadLink, "");
    EXPECT_EQ(read.settings.supportLink, "");  // replaced even when missing
    ASSERT_EQ(read.settings.presetCount(), 1);
    EXPECT_EQ(read.settings.presets[0].type, 0);
    EXPECT_STREQ(read.settings.presets[0].file, "");
    EXPECT_STREQ(read.settings.presets[0].note, "");
}

TEST(SettingsDocument, FirstOfRepeatedElementsIsUsed) {
    Read read(document("<version>90</version><version>500</version><support>a</support><support>b</support>"));
    EXPECT_EQ(read.settings.versionText, "90");
    EXPECT_EQ(read.settings.supportLink, "a");
    EXPECT_FALSE(read.flags.NewerAppAvailable);
}

TEST(SettingsDocument, NoteOfOnlyATildeIsOneLineFeed) {
    Read read(document("<presets>" + preset("n", "~", "1", "f") + "</presets>"));
    EXPECT_STREQ(read.settings.presets[0].note, "\n");
}

TEST(SettingsDocument, RejectedDocumentsChangeNothing) {
    const std::string rejected[] = {
        kDeclaration + "<settings><version>300</version>",                       // last end tag missing
        kDeclaration + "<root><settings><version>300</version></settings></root>",  // nested settings
        kDeclaration + "<settings><version>300</version>&bad;</settings>",
        "",
    };
    for (const std::string& text : rejected) {
        Read read(text);
        EXPECT_FALSE(read.flags.NewerAppAvailable) << text;
        EXPECT_EQ(read.settings.supportLink, defaultSupportUrl()) << text;
        EXPECT_EQ(read.settings.presetCount(), 0) << text;
    }
}

TEST(SettingsDocument, AnotherOuterElementBeforeSettingsDoesNotHideIt) {
    Read read(kDeclaration + "<banner>hi</banner><settings><version>102</version></settings>");
    EXPECT_TRUE(read.flags.NewerAppAvailable);
}

TEST(SettingsDocument, LongTextsAreCutAtTheFieldWidthKeepingUtf8Whole) {
    const std::string longName(62, 'n');
    const std::string accent = "\xC3\xA9";  // two bytes, would straddle byte 63
    const std::string note(400, 'x');
    const std::string file = "http://p.invalid/" + std::string(300, 'f');
    Read read(document("<presets>" + preset(longName + accent + "tail", note, "99999999999", file) + "</presets>"));
    const PresetRecord& record = read.settings.presets[0];
    EXPECT_EQ(std::string(record.name), longName);
    EXPECT_EQ(std::strlen(record.note), kPresetNoteSize - 1);
    EXPECT_EQ(std::strlen(record.file), kPresetFileSize - 1);
    EXPECT_EQ(record.type, 0x7FFFFFFF);  // saturated, not wrapped

    const std::string fits(61, 'n');
    Read exact(document("<presets>" + preset(fits + accent, "", "", "") + "</presets>"));
    EXPECT_EQ(std::string(exact.settings.presets[0].name), fits + accent);
}

TEST(SettingsDocument, DecimalValueFollowsTheStandardConversionWithoutWrapping) {
    EXPECT_EQ(decimalValue(" \t42abc"), 42);
    EXPECT_EQ(decimalValue("-7"), -7);
    EXPECT_EQ(decimalValue("+"), 0);
    EXPECT_EQ(decimalValue("x1"), 0);
    EXPECT_EQ(decimalValue("99999999999999999999"), 0x7FFFFFFFFFFFFFFFLL);
}

}  // namespace
}  // namespace kestrel
