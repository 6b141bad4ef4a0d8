#include "config/configuration.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/config/fake_settings_widgets.h"

namespace kestrel {
namespace {

using testing::FakeSettingsWidgets;

void signBlock(NvmImage& image, std::size_t offset) { image.writeU32(offset, kNvmSignature); }

void writeSlot(NvmImage& image, int console, int p, int type, int value) {
    const std::size_t block = outputBlockOffset(console);
    image.bytes[block + kOutputTypeOffset + p] = static_cast<std::uint8_t>(type);
    image.writeS16(block + kOutputValueOffset + 2 * p, static_cast<std::int16_t>(value));
}

int slotType(const NvmImage& image, int console, int p) {
    return image.bytes[outputBlockOffset(console) + kOutputTypeOffset + p];
}
int slotValue(const NvmImage& image, int console, int p) {
    return image.readS16(outputBlockOffset(console) + kOutputValueOffset + 2 * p);
}

void writeSettings(NvmImage& image, int start, int end, int rumble, int pedalFirst, int pedalSecond) {
    signBlock(image, kSettingsBlockOffset);
    image.writeS32(kSettingsBlockOffset + 0x04, start);
    image.writeS32(kSettingsBlockOffset + 0x08, end);
    image.writeS32(kSettingsBlockOffset + 0x0C, rumble);
    image.writeS32(kSettingsBlockOffset + 0x10, pedalFirst);
    image.writeS32(kSettingsBlockOffset + 0x14, pedalSecond);
}

// An image as a wheel that was last saved by this program would hold it.
NvmImage savedImage(const ConfigurationModel& model) {
    NvmImage image{};
    signBlock(image, 0);
    model.encodeImage(image);
    return image;
}

// ---------------------------------------------------------------------------------------------
// Program start and defaults

TEST(ConfigurationModel, StartsUnassignedOnTheXbox360WithDefaultSettings) {
    const ConfigurationModel model;
    EXPECT_EQ(model.ConsoleMode, kConsoleXbox360);
    EXPECT_EQ(model.WorkingMapping, kUnassignedMapping);
    EXPECT_EQ(model.StoredMapping[0], kUnassignedMapping);
    EXPECT_EQ(model.StoredMapping[1], kUnassignedMapping);
    for (const LabelRectangle& rect : model.LabelRect) EXPECT_FALSE(rect.isSet());
    EXPECT_EQ(model.rumbleLevel, 2);
    EXPECT_EQ(model.sensitivityStart, 0);
    EXPECT_EQ(model.sensitivityEnd, 32767);
    EXPECT_EQ(model.pedalPressure, (std::array<int, 2>{256, 256}));
}

TEST(ConfigurationModel, LoadDefaultsResetsSettingsOnlyWhenAsked) {
    FakeSettingsWidgets widgets;
    ConfigurationModel model;
    model.rumbleLevel = 0;
    model.pedalPressure = {10, 20};
    model.WorkingMapping[DEST_A] = PAL_R3;

    model.loadDefaultMappings(false, widgets);
    EXPECT_EQ(model.StoredMapping[0], kDefaultXboxMapping);
    EXPECT_EQ(model.StoredMapping[1], kDefaultPs3Mapping);
    EXPECT_EQ(model.rumbleLevel, 0);
    EXPECT_EQ(widgets.pedal, 20);  // shown even when not reset
    EXPECT_EQ(model.WorkingMapping[DEST_A], PAL_R3);

    model.loadDefaultMappings(true, widgets);
    EXPECT_EQ(model.rumbleLevel, 2);
    EXPECT_EQ(model.pedalPressure, (std::array<int, 2>{256, 256}));
    EXPECT_EQ(widgets.rumble, RumbleChoice::High);
    EXPECT_EQ(widgets.pedal, 256);
    EXPECT_EQ(model.WorkingMapping[DEST_A], PAL_R3);
}

TEST(ConfigurationModel, ClearMappingsReturnsToTheUnreadState) {
    FakeSettingsWidgets widgets;
    ConfigurationModel model;
    NvmImage image{};
    image.writeU32(kNvmFlagsOffset, 1);
    model.decodeImage(image, widgets, true);
    model.clearMappings();
    EXPECT_EQ(model.ConsoleMode, kConsoleXbox360);
    EXPECT_EQ(model.WorkingMapping, kUnassignedMapping);
    EXPECT_EQ(model.StoredMapping[1], kUnassignedMapping);
    for (const LabelRectangle& rect : model.LabelRect) EXPECT_FALSE(rect.isSet());
}

// ---------------------------------------------------------------------------------------------
// Settings shown and read back

TEST(ConfigurationSettings, DialAnglesAreTruncatedAndClampedAtTheOuterEnds) {
    struct Case {
        int start, end;
        float lower, upper;
    };
    const Case cases[] = {
        {0, 32767, 0, 90},
        {16383, 16383, 44, 44},  // 44.998 truncates
        {-500, 40000, 0, 90},    // clamped below and above
        {40000, -500, 109, -1},  // only the outer ends are clamped
        {364, 365, 0, 1},
    };
    for (const Case& c : cases) {
        FakeSettingsWidgets widgets;
        ConfigurationModel model;
        model.sensitivityStart = c.start;
        model.sensitivityEnd = c.end;
        model.showSettings(widgets);
        EXPECT_EQ(widgets.lowerAngle, c.lower) << c.start;
        EXPECT_EQ(widgets.upperAngle, c.upper) << c.end;
    }
}

TEST(ConfigurationSettings, AnglesReadBackAsTheSmallestSettingShownAtThatAngle) {
    struct Case {
        float angle;
        int setting;
    };
    const Case cases[] = {{90, 32767}, {44, 16020}, {44.9f, 16020}, {0, 0}, {0.99f, 0}, {1, 365}};
    for (const Case& c : cases) {
        FakeSettingsWidgets widgets;
        widgets.lowerAngle = c.angle;
        widgets.upperAngle = c.angle;
        widgets.pedal = 100;
        ConfigurationModel model;
        model.readSettings(widgets);
        EXPECT_EQ(model.sensitivityStart, c.setting) << c.angle;
        EXPECT_EQ(model.sensitivityEnd, c.setting) << c.angle;
        EXPECT_EQ(model.pedalPressure, (std::array<int, 2>{100, 100}));
    }
}

TEST(ConfigurationSettings, AbsurdDialAnglesSaturateInsteadOfOverflowing) {
    FakeSettingsWidgets widgets;
    widgets.lowerAngle = -1e30f;
    widgets.upperAngle = 1e30f;
    ConfigurationModel model;
    model.readSettings(widgets);
    EXPECT_EQ(model.sensitivityStart, std::numeric_limits<int>::min());
    EXPECT_EQ(model.sensitivityEnd, std::numeric_limits<int>::max());
}

TEST(ConfigurationSettings, EveryDialAngleSurvivesRepeatedSaves) {
    for (int angle = 0; angle <= kDialMaximumAngle; ++angle) {
        FakeSettingsWidgets widgets;
        widgets.lowerAngle = static_cast<float>(angle);
        widgets.upperAngle = static_cast<float>(angle);
        ConfigurationModel model;
        model.readSettings(widgets);
        const int stored = model.sensitivityEnd;
        for (int save = 0; save < 3; ++save) {
            model.showSettings(widgets);
            model.readSettings(widgets);
        }
        EXPECT_EQ(widgets.upperAngle, static_cast<float>(angle));
        EXPECT_EQ(model.sensitivityEnd, stored) << "angle " << angle;
        EXPECT_EQ(model.sensitivityStart, stored) << "angle " << angle;
    }
}

TEST(ConfigurationSettings, FullSensitivityRangeSurvivesShowAndRead) {
    FakeSettingsWidgets widgets;
    ConfigurationModel model;
    model.sensitivityStart = 0;
    model.sensitivityEnd = 32767;
    model.showSettings(widgets);
    model.readSettings(widgets);
    EXPECT_EQ(model.sensitivityStart, 0);
    EXPECT_EQ(model.sensitivityEnd, 32767);
}

TEST(ConfigurationSettings, RumbleLevelSelectsOneRadioWithHighForAnythingElse) {
    const std::pair<int, RumbleChoice> cases[] = {
        {0, RumbleChoice::Off}, {1, RumbleChoice::Medium}, {2, RumbleChoice::High},
        {3, RumbleChoice::High}, {-1, RumbleChoice::High},
    };
    for (const auto& [level, choice] : cases) {
        FakeSettingsWidgets widgets;
        ConfigurationModel model;
        model.rumbleLevel = level;
        model.showSettings(widgets);
        EXPECT_EQ(widgets.rumble, choice) << level;
        EXPECT_EQ(model.rumbleLevel, level);  // shown, not rewritten
    }
}

TEST(ConfigurationSettings, PedalSliderShowsTheSecondCopyCappedAtItsMaximum) {
    FakeSettingsWidgets widgets;
    ConfigurationModel model;
    model.pedalPressure = {5, 300};
    model.showSettings(widgets);
    EXPECT_EQ(widgets.pedal, 256);
    model.pedalPressure = {300, 17};
    model.showSettings(widgets);
    EXPECT_EQ(widgets.pedal, 17);
}

TEST(ConfigurationImage, BlankImageIsSignedStampedAndStillDecodesToDefaults) {
    NvmImage image{};
    image.bytes.fill(0xFF);
    ASSERT_TRUE(initialiseBlankImage(image, 0xCAFEF00D));
    EXPECT_EQ(image.readU32(0), kNvmSignature);
    EXPECT_EQ(image.readU32(kNvmStampOffset), 0xCAFEF00Du);
    EXPECT_EQ(image.readU32(kNvmFlagsOffset), 0u);
    EXPECT_EQ(image.bytes[kXboxBlockOffset], 0xFF);

    const NvmImage initialised = image;
    EXPECT_FALSE(initialiseBlankImage(image, 1));
    EXPECT_EQ(image, initialised);

    FakeSettingsWidgets widgets;
    ConfigurationModel model;
    model.decodeImage(image, widgets, true);
    EXPECT_EQ(model.WorkingMapping, kDefaultXboxMapping);
    EXPECT_EQ(model.rumbleLevel, 2);
}

// ---------------------------------------------------------------------------------------------
// Decoding

TEST(ConfigurationImage, FreshImageDecodesToTheDefaults) {
    FakeSettingsWidgets widgets;
    ConfigurationModel model;
    model.rumbleLevel = 0;
    const NvmImage image{};
    model.decodeImage(image, widgets, true);
    EXPECT_EQ(model.StoredMapping[0], kDefaultXboxMapping);
    EXPECT_EQ(model.StoredMapping[1], kDefaultPs3Mapping);
    EXPECT_EQ(model.WorkingMapping, kDefaultXboxMapping);
    EXPECT_EQ(model.rumbleLevel, 2);
    EXPECT_EQ(model.sensitivityStart, 0);
    EXPECT_EQ(model.sensitivityEnd, 32767);
    EXPECT_EQ(model.pedalPressure, (std::array<int, 2>{256, 256}));
    EXPECT_EQ(widgets.rumble, RumbleChoice::High);
    EXPECT_EQ(widgets.lowerAngle, 0);
    EXPECT_EQ(widgets.upperAngle, 90);
    EXPECT_EQ(widgets.pedal, 256);
    EXPECT_TRUE(widgets.consoleShown.empty());
    for (int d = 0; d < kDestinationCount; ++d) EXPECT_TRUE(model.LabelRect[d].isSet()) << d;
}

TEST(ConfigurationImage, WheelImageSetsTheConsoleModeAndItsRadio) {
    FakeSettingsWidgets widgets;
    ConfigurationModel model;
    NvmImage image{};
    image.writeU32(kNvmFlagsOffset, 0x80000001u);  // PS3, update pending
    model.decodeImage(image, widgets, true);
    EXPECT_EQ(model.ConsoleMode, kConsolePs3);
    EXPECT_EQ(widgets.consoleShown, std::vector<int>{1});
    EXPECT_EQ(model.WorkingMapping, kDefaultPs3Mapping);

    model.decodeImage(image, widgets, true);  // already matching: the radio is left alone
    EXPECT_EQ(widgets.consoleShown, std::vector<int>{1});
}

TEST(ConfigurationImage, PresetDecodeKeepsTheConsoleModeAndSettings) {
    FakeSettingsWidgets widgets;
    ConfigurationModel model;
    model.rumbleLevel = 1;
    model.sensitivityEnd = 1000;
    NvmImage image{};
    image.writeU32(kNvmFlagsOffset, 1);
    model.decodeImage(image, widgets, false);
    EXPECT_EQ(model.ConsoleMode, kConsoleXbox360);
    EXPECT_TRUE(widgets.consoleShown.empty());
    EXPECT_EQ(model.rumbleLevel, 1);
    EXPECT_EQ(model.sensitivityEnd, 1000);
    EXPECT_EQ(model.StoredMapping[0], kDefaultXboxMapping);
}

TEST(ConfigurationImage, SignedSettingsBlockIsTakenAsStoredAndShown) {
    FakeSettingsWidgets widgets;
    ConfigurationModel model;
    NvmImage image{};
    writeSettings(image, 16383, 32767, 7, 100, 300);
    model.decodeImage(image, widgets, true);
    EXPECT_EQ(model.sensitivityStart, 16383);
    EXPECT_EQ(model.sensitivityEnd, 32767);
    EXPECT_EQ(model.rumbleLevel, 7);
    EXPECT_EQ(model.pedalPressure, (std::array<int, 2>{100, 300}));
    EXPECT_EQ(widgets.lowerAngle, 44);
    EXPECT_EQ(widgets.upperAngle, 90);
    EXPECT_EQ(widgets.rumble, RumbleChoice::High);
    EXPECT_EQ(widgets.pedal, 256);
}

TEST(ConfigurationImage, BlocksWithoutTheSignatureAreIgnored) {
    FakeSettingsWidgets widgets;
    ConfigurationModel model;
    NvmImage image{};
    writeSettings(image, 1, 2, 0, 3, 4);
    image.writeU32(kSettingsBlockOffset, 0x12345679);
    writeSlot(image, kConsoleXbox360, PHY_A, XB360_RB, 1);
    image.writeU32(kXboxBlockOffset, 0x78563412);  // signature with the wrong byte order
    model.decodeImage(image, widgets, true);
    EXPECT_EQ(model.StoredMapping[0], kDefaultXboxMapping);
    EXPECT_EQ(model.rumbleLevel, 2);
    EXPECT_EQ(model.pedalPressure[1], 256);
}

TEST(ConfigurationImage, SignedBlocksDecodeEachConsoleWithItsOwnRules) {
    FakeSettingsWidgets widgets;
    ConfigurationModel model;
    NvmImage image{};
    signBlock(image, kXboxBlockOffset);
    signBlock(image, kPs3BlockOffset);
    // Xbox 360: the sign of the left stick X value picks the end.
    writeSlot(image, kConsoleXbox360, PHY_LPADDLE, XB360_LSX, -32768);
    writeSlot(image, kConsoleXbox360, PHY_RPADDLE, XB360_LSX, 0);
    writeSlot(image, kConsoleXbox360, PHY_A, XB360_LSX, 5);
    writeSlot(image, kConsoleXbox360, PHY_B, XB360_START, 1);  // no palette function
    // PS3: 126 is still the left end, 127 the right.
    writeSlot(image, kConsolePs3, PHY_LPADDLE, PS3_LSX, 126);
    writeSlot(image, kConsolePs3, PHY_RPADDLE, PS3_LSX, 127);
    writeSlot(image, kConsolePs3, PHY_A, PS3_LSX, 0);
    writeSlot(image, kConsolePs3, PHY_B, 40, 1);  // outside the numbering
    // Fixed controls are never decoded, whatever they hold.
    writeSlot(image, kConsoleXbox360, PHY_SELECT, XB360_A, 1);
    model.decodeImage(image, widgets, true);

    EXPECT_EQ(model.StoredMapping[0][DEST_LEFT_PADDLE], PAL_HardLeft);
    EXPECT_EQ(model.StoredMapping[0][DEST_RIGHT_PADDLE], PAL_HardRight);
    EXPECT_EQ(model.StoredMapping[0][DEST_A], PAL_HardRight);
    EXPECT_EQ(model.StoredMapping[0][DEST_B], -1);
    EXPECT_EQ(model.StoredMapping[0][DEST_LEFT], -1);  // type 0
    EXPECT_EQ(model.StoredMapping[1][DEST_LEFT_PADDLE], PAL_HardLeft);
    EXPECT_EQ(model.StoredMapping[1][DEST_RIGHT_PADDLE], PAL_HardRight);
    EXPECT_EQ(model.StoredMapping[1][DEST_A], PAL_HardLeft);
    EXPECT_EQ(model.StoredMapping[1][DEST_B], -1);
    EXPECT_FALSE(model.LabelRect[DEST_B].isSet());
    EXPECT_TRUE(model.LabelRect[DEST_A].isSet());
}

// ---------------------------------------------------------------------------------------------
// Encoding

TEST(ConfigurationImage, EncodeWritesFixedPairsWhateverTheWheelHeld) {
    NvmImage image{};
    for (int console = 0; console < kConsoleCount; ++console) {
        for (int p = 0; p < kFirstEditableControl; ++p) writeSlot(image, console, p, 0xEE, -2);
    }
    ConfigurationModel model;
    model.encodeImage(image);
    for (int console = 0; console < kConsoleCount; ++console) {
        EXPECT_EQ(image.readU32(outputBlockOffset(console)), kNvmSignature);
        const int expected[4][2] = {{3, 1}, {13, 1}, {4, 1}, {18, 0}};
        for (int p = 0; p < kFirstEditableControl; ++p) {
            EXPECT_EQ(slotType(image, console, p), expected[p][0]) << kPhysicalControlNames[p];
            EXPECT_EQ(slotValue(image, console, p), expected[p][1]) << kPhysicalControlNames[p];
        }
    }
}

TEST(ConfigurationImage, EncodeWritesPedalValuesAsZero) {
    for (int m = 0; m < kPaletteCount; ++m) {
        ConfigurationModel model;
        model.StoredMapping[0][DEST_LEFT_PEDAL] = m;
        model.StoredMapping[0][DEST_RIGHT_PEDAL] = m;
        model.StoredMapping[1][DEST_LEFT_PEDAL] = m;
        model.StoredMapping[1][DEST_RIGHT_PEDAL] = m;
        NvmImage image{};
        model.encodeImage(image);
        for (int console = 0; console < kConsoleCount; ++console) {
            for (int p : {PHY_LPEDDLE, PHY_RPEDDLE}) {
                EXPECT_EQ(slotType(image, console, p), kPaletteOutputType[m]) << kPaletteNames[m];
                EXPECT_EQ(slotValue(image, console, p), 0) << kPaletteNames[m];
            }
        }
    }
}

TEST(ConfigurationImage, EncodeWritesUnassignedAsZeroPair) {
    NvmImage image{};
    image.bytes.fill(0xA5);
    ConfigurationModel model;  // everything unassigned
    model.encodeImage(image);
    for (int console = 0; console < kConsoleCount; ++console) {
        for (int p = kFirstEditableControl; p < kPhysicalControlCount; ++p) {
            EXPECT_EQ(slotType(image, console, p), 0);
            EXPECT_EQ(slotValue(image, console, p), 0);
        }
    }
}

TEST(ConfigurationImage, EncodeStoresSettingsAndTheConsoleModeAsTheWholeFlagsWord) {
    ConfigurationModel model;
    model.ConsoleMode = kConsolePs3;
    model.sensitivityStart = 364;
    model.sensitivityEnd = 16019;
    model.rumbleLevel = 1;
    model.pedalPressure = {12, 34};
    NvmImage image{};
    image.writeU32(kNvmFlagsOffset, 0x80000040u);
    model.encodeImage(image);
    EXPECT_EQ(image.readU32(kNvmFlagsOffset), 1u);
    EXPECT_EQ(image.readU32(kSettingsBlockOffset), kNvmSignature);
    EXPECT_EQ(image.readS32(kSettingsBlockOffset + 0x04), 364);
    EXPECT_EQ(image.readS32(kSettingsBlockOffset + 0x08), 16019);
    EXPECT_EQ(image.readS32(kSettingsBlockOffset + 0x0C), 1);
    EXPECT_EQ(image.readS32(kSettingsBlockOffset + 0x10), 12);
    EXPECT_EQ(image.readS32(kSettingsBlockOffset + 0x14), 34);
}

TEST(ConfigurationImage, EncodeReadsTheStoredMappingsNotTheScreen) {
    FakeSettingsWidgets widgets;
    ConfigurationModel model;
    model.loadDefaultMappings(true, widgets);
    model.selectConsoleMapping(kConsoleXbox360, false);
    model.WorkingMapping[DEST_A] = PAL_R3;
    NvmImage image{};
    model.encodeImage(image);
    EXPECT_EQ(slotType(image, kConsoleXbox360, PHY_A), XB360_X);

    model.commitWorkingMapping();
    model.encodeImage(image);
    EXPECT_EQ(slotType(image, kConsoleXbox360, PHY_A), XB360_RS);
    EXPECT_EQ(slotType(image, kConsolePs3, PHY_A), PS3_SQUARE);  // the other console untouched
}

TEST(ConfigurationImage, EncodeKeepsBytesItDoesNotOwn) {
    NvmImage before{};
    for (std::size_t i = 0; i < kNvmSize; ++i) before.bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    NvmImage image = before;
    FakeSettingsWidgets widgets;
    ConfigurationModel model;
    model.loadDefaultMappings(true, widgets);
    model.encodeImage(image);
    for (std::size_t i = 0; i < kNvmSize; ++i) {
        const bool flags = i >= kNvmFlagsOffset && i < kNvmFlagsOffset + 4;
        const bool owned = [&] {
            for (std::size_t block : {kXboxBlockOffset, kPs3BlockOffset}) {
                if (i >= block && i < block + 4) return true;
                if (i >= block + kOutputTypeOffset && i < block + kOutputTypeOffset + 22) return true;
                if (i >= block + kOutputValueOffset && i < block + kOutputValueOffset + 44) return true;
            }
            return i >= kSettingsBlockOffset && i < kSettingsBlockOffset + kSettingsBlockSize;
        }();
        if (!flags && !owned) {
            EXPECT_EQ(image.bytes[i], before.bytes[i]) << "offset " << i;
        }
    }
    EXPECT_EQ(image.readU32(0), before.readU32(0));  // the image signature and stamp are the wheel link's
    EXPECT_EQ(image.readU32(kNvmStampOffset), before.readU32(kNvmStampOffset));
}

TEST(ConfigurationImage, EveryPaletteFunctionRoundTripsThroughBothConsoles) {
    // Every function on every non-pedal destination, in a few mixed layouts so that each
    // destination meets each function.
    for (int shift = 0; shift < kPaletteCount; ++shift) {
        ConfigurationModel model;
        for (int console = 0; console < kConsoleCount; ++console) {
            for (int d = 0; d < kDestinationCount; ++d) {
                model.StoredMapping[console][d] = (d + shift + console * 5) % kPaletteCount;
            }
        }
        const NvmImage image = savedImage(model);
        FakeSettingsWidgets widgets;
        ConfigurationModel decoded;
        decoded.decodeImage(image, widgets, true);
        for (int console = 0; console < kConsoleCount; ++console) {
            for (int d = 0; d < kDestinationCount; ++d) {
                if (d == DEST_LEFT_PEDAL || d == DEST_RIGHT_PEDAL) continue;
                EXPECT_EQ(decoded.StoredMapping[console][d], model.StoredMapping[console][d])
                    << "console " << console << " " << kDestinationNames[d];
            }
        }
    }
}

TEST(ConfigurationImage, PedalsKeepButtonFunctionsButAxesLandOnTheZeroEnd) {
    ConfigurationModel model;
    model.StoredMapping[0][DEST_LEFT_PEDAL] = PAL_LT;
    model.StoredMapping[0][DEST_RIGHT_PEDAL] = PAL_HardLeft;
    model.StoredMapping[1][DEST_LEFT_PEDAL] = PAL_RA_Down;
    model.StoredMapping[1][DEST_RIGHT_PEDAL] = PAL_RT;
    FakeSettingsWidgets widgets;
    ConfigurationModel decoded;
    decoded.decodeImage(savedImage(model), widgets, true);
    EXPECT_EQ(decoded.StoredMapping[0][DEST_LEFT_PEDAL], PAL_LT);
    EXPECT_EQ(decoded.StoredMapping[0][DEST_RIGHT_PEDAL], PAL_HardRight);  // value 0 is not below 0
    EXPECT_EQ(decoded.StoredMapping[1][DEST_LEFT_PEDAL], PAL_RA_Up);       // value 0 is the PS3 low end
    EXPECT_EQ(decoded.StoredMapping[1][DEST_RIGHT_PEDAL], PAL_RT);
}

// ---------------------------------------------------------------------------------------------
// Editing: console switch, commit, labels

TEST(ConfigurationEditing, UnsavedEditSurvivesAConsoleSwitchBackAndForth) {
    FakeSettingsWidgets widgets;
    ConfigurationModel model;
    model.decodeImage(NvmImage{}, widgets, true);
    const NvmImage saved = savedImage(model);

    model.WorkingMapping[DEST_C] = PAL_SenBoost;
    model.assignPalette(DEST_C, PAL_SenBoost);
    model.ConsoleMode = kConsolePs3;
    model.selectConsoleMapping(kConsolePs3, true);
    EXPECT_EQ(model.WorkingMapping, kDefaultPs3Mapping);
    model.ConsoleMode = kConsoleXbox360;
    model.selectConsoleMapping(kConsoleXbox360, true);
    EXPECT_EQ(model.WorkingMapping[DEST_C], PAL_SenBoost);
    EXPECT_EQ(model.LabelRect[DEST_C], labelRectangle(kConsoleXbox360, DEST_C, PAL_SenBoost));

    // The switch saved the edit into the stored set, but the image changes only on encode.
    NvmImage image = saved;
    model.encodeImage(image);
    EXPECT_EQ(slotType(image, kConsoleXbox360, PHY_C), XB360_STEERING_BOOST);
}

TEST(ConfigurationEditing, SelectWithoutSaveDiscardsTheWorkingMapping) {
    FakeSettingsWidgets widgets;
    ConfigurationModel model;
    model.loadDefaultMappings(true, widgets);
    model.WorkingMapping.fill(PAL_A);
    model.selectConsoleMapping(kConsoleXbox360, false);
    EXPECT_EQ(model.WorkingMapping, kDefaultXboxMapping);
    EXPECT_EQ(model.StoredMapping[1], kDefaultPs3Mapping);
}

TEST(ConfigurationEditing, CommitCopiesIntoTheCurrentConsoleOnly) {
    ConfigurationModel model;
    model.ConsoleMode = kConsolePs3;
    model.WorkingMapping.fill(PAL_Y);
    model.commitWorkingMapping();
    EXPECT_EQ(model.StoredMapping[1][DEST_L2], PAL_Y);
    EXPECT_EQ(model.StoredMapping[0], kUnassignedMapping);
}

struct LabelCase {
    int console;
    int dest;
    int palette;
    LabelRectangle rect;
};

TEST(ConfigurationEditing, LabelRectanglesSitBesideTheirArrows) {
    const LabelCase cases[] = {
        // side 0, right of the anchor (135, 170)
        {kConsoleXbox360, DEST_RIGHT, PAL_A, {153, 157, 180, 187}},
        // side 1, left of the anchor (99, 170)
        {kConsoleXbox360, DEST_LEFT, PAL_A, {54, 156, 81, 186}},
        {kConsoleXbox360, DEST_LEFT, PAL_SenBoost, {-60, 156, 81, 183}},
        // side 2, below the anchor (118, 187): half of 27 rounds down
        {kConsoleXbox360, DEST_DOWN, PAL_A, {105, 205, 132, 235}},
        {kConsolePs3, DEST_DOWN, PAL_SenBoost, {48, 205, 189, 232}},
        // side 3, above the anchor (118, 153)
        {kConsolePs3, DEST_UP, PAL_Y, {105, 105, 132, 135}},
        {kConsoleXbox360, DEST_L2, PAL_SenBoost, {584, 70, 725, 97}},
    };
    for (const LabelCase& c : cases) {
        ConfigurationModel model;
        model.ConsoleMode = c.console;
        model.assignPalette(c.dest, c.palette);
        EXPECT_EQ(model.LabelRect[c.dest], c.rect) << kDestinationNames[c.dest] << " " << kPaletteNames[c.palette];
    }
}

TEST(ConfigurationEditing, UnassigningClearsTheLabelAndBadIndicesChangeNothing) {
    ConfigurationModel model;
    model.assignPalette(DEST_A, PAL_B);
    ASSERT_TRUE(model.LabelRect[DEST_A].isSet());
    model.assignPalette(DEST_A, -1);
    EXPECT_EQ(model.LabelRect[DEST_A], LabelRectangle{});
    model.assignPalette(DEST_A, kPaletteCount);
    EXPECT_FALSE(model.LabelRect[DEST_A].isSet());
    const auto before = model.LabelRect;
    model.assignPalette(-1, PAL_A);
    model.assignPalette(kDestinationCount, PAL_A);
    EXPECT_EQ(model.LabelRect, before);
}

TEST(ConfigurationEditing, LabelHitTestIncludesItsEdges) {
    const LabelRectangle rect = labelRectangle(kConsoleXbox360, DEST_RIGHT, PAL_A);
    EXPECT_TRUE(rect.contains(rect.left, rect.top));
    EXPECT_TRUE(rect.contains(rect.right, rect.bottom));
    EXPECT_FALSE(rect.contains(rect.right + 1, rect.bottom));
    EXPECT_FALSE(LabelRectangle{}.contains(-1, -1));
}

// ---------------------------------------------------------------------------------------------
// Presets

std::vector<std::uint8_t> presetImage() {
    NvmImage preset{};
    for (std::size_t i = 0; i < kNvmSize; ++i) preset.bytes[i] = static_cast<std::uint8_t>(0x40 + i % 61);
    ConfigurationModel presetModel;
    presetModel.StoredMapping[0].fill(PAL_RA_Up);
    presetModel.StoredMapping[1].fill(PAL_R3);
    presetModel.sensitivityStart = 3000;
    presetModel.sensitivityEnd = 9000;
    presetModel.rumbleLevel = 0;
    presetModel.pedalPressure = {111, 222};
    presetModel.ConsoleMode = kConsolePs3;
    presetModel.encodeImage(preset);
    return {preset.bytes.begin(), preset.bytes.end()};
}

TEST(ConfigurationPreset, XboxMaskChangesOnlyTheXboxBlock) {
    FakeSettingsWidgets widgets;
    ConfigurationModel model;
    NvmImage wheel{};
    for (std::size_t i = 0; i < kNvmSize; ++i) wheel.bytes[i] = static_cast<std::uint8_t>(i);
    writeSettings(wheel, 0, 16383, 1, 50, 60);
    signBlock(wheel, kPs3BlockOffset);
    writeSlot(wheel, kConsolePs3, PHY_A, PS3_L1, 255);
    model.decodeImage(wheel, widgets, true);
    const ConfigurationModel beforePreset = model;
    const NvmImage before = wheel;

    ASSERT_TRUE(model.applyPresetImage(wheel, presetImage(), kPresetXboxBlock));
    for (std::size_t i = 0; i < kNvmSize; ++i) {
        const bool inXbox = i >= kXboxBlockOffset && i < kXboxBlockOffset + kOutputBlockSize;
        if (!inXbox) {
            EXPECT_EQ(wheel.bytes[i], before.bytes[i]) << "offset " << i;
        }
    }
    model.decodeImage(wheel, widgets, false);
    EXPECT_EQ(model.StoredMapping[0][DEST_A], PAL_RA_Up);
    EXPECT_EQ(model.StoredMapping[1], beforePreset.StoredMapping[1]);
    EXPECT_EQ(model.StoredMapping[1][DEST_A], PAL_LB);
    EXPECT_EQ(model.rumbleLevel, 1);
    EXPECT_EQ(model.sensitivityEnd, 16383);
    EXPECT_EQ(model.pedalPressure, (std::array<int, 2>{50, 60}));
    EXPECT_EQ(model.ConsoleMode, beforePreset.ConsoleMode);
}

TEST(ConfigurationPreset, AllBlocksReplaceMappingsAndSettingsButNotTheConsoleMode) {
    FakeSettingsWidgets widgets;
    ConfigurationModel model;
    NvmImage wheel{};
    model.decodeImage(wheel, widgets, true);

    ASSERT_TRUE(model.applyPresetImage(wheel, presetImage(), 7 | 0x80));
    EXPECT_EQ(model.pedalPressure, (std::array<int, 2>{111, 222}));  // set before decoding
    EXPECT_EQ(wheel.readU32(kNvmFlagsOffset), 0u);
    model.decodeImage(wheel, widgets, false);
    EXPECT_EQ(model.ConsoleMode, kConsoleXbox360);
    EXPECT_EQ(model.StoredMapping[0][DEST_L2], PAL_RA_Up);
    EXPECT_EQ(model.StoredMapping[1][DEST_L2], PAL_R3);
    EXPECT_EQ(model.WorkingMapping[DEST_L2], PAL_RA_Up);
    EXPECT_EQ(model.sensitivityStart, 3000);
    EXPECT_EQ(model.rumbleLevel, 0);
    EXPECT_EQ(widgets.rumble, RumbleChoice::Off);
    EXPECT_EQ(widgets.pedal, 222);
}

TEST(ConfigurationPreset, MaskZeroCopiesNothing) {
    ConfigurationModel model;
    NvmImage wheel{};
    ASSERT_TRUE(model.applyPresetImage(wheel, presetImage(), 0));
    EXPECT_EQ(wheel, NvmImage{});
}

TEST(ConfigurationPreset, UnsignedSettingsBlockLeavesThePedalPressure) {
    ConfigurationModel model;
    NvmImage wheel{};
    std::vector<std::uint8_t> preset = presetImage();
    preset[kSettingsBlockOffset] = 0;  // signature broken
    ASSERT_TRUE(model.applyPresetImage(wheel, preset, kPresetSettingsBlock));
    EXPECT_EQ(model.pedalPressure, (std::array<int, 2>{256, 256}));
    EXPECT_EQ(wheel.bytes[kSettingsBlockOffset + 0x14], 222);  // the block itself is still copied
}

TEST(ConfigurationPreset, ShortPresetIsRefusedWithoutTouchingTheImage) {
    ConfigurationModel model;
    NvmImage wheel{};
    std::vector<std::uint8_t> preset = presetImage();
    preset.resize(kNvmSize - 1);
    EXPECT_FALSE(model.applyPresetImage(wheel, preset, 7));
    EXPECT_EQ(wheel, NvmImage{});
    EXPECT_EQ(model.pedalPressure, (std::array<int, 2>{256, 256}));
}

}  // namespace
}  // namespace kestrel
