#include "config/control_tables.h"

#include <gtest/gtest.h>

#include <set>

#include "screens/sprite_table.h"

namespace kestrel {
namespace {

TEST(ControlTables, EveryDestinationBelongsToExactlyOneEditableControl) {
    std::set<int> seen;
    for (int p = 0; p < kPhysicalControlCount; ++p) {
        const int d = kSlotToDest[p];
        if (p < kFirstEditableControl) {
            EXPECT_EQ(d, -1) << kPhysicalControlNames[p];
            continue;
        }
        ASSERT_GE(d, 0) << kPhysicalControlNames[p];
        ASSERT_LT(d, kDestinationCount) << kPhysicalControlNames[p];
        EXPECT_TRUE(seen.insert(d).second) << kDestinationNames[d] << " reached twice";
        EXPECT_EQ(kDestToSlot[d], p) << kDestinationNames[d];
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kDestinationCount));
}

struct DecodeCase {
    int console;
    int type;
    int value;
    int palette;
};

TEST(ControlTables, AxisOutputsDecodeToTheEndTheValuePicks) {
    const DecodeCase cases[] = {
        {kConsoleXbox360, XB360_RSX, -32768, PAL_RA_Left},
        {kConsoleXbox360, XB360_RSX, 0, PAL_RA_Right},
        {kConsoleXbox360, XB360_RSY, 32767, PAL_RA_Up},
        {kConsoleXbox360, XB360_RSY, -1, PAL_RA_Down},
        {kConsoleXbox360, XB360_LSX, -32768, PAL_HardLeft},
        {kConsoleXbox360, XB360_LSX, -1, PAL_HardLeft},
        {kConsoleXbox360, XB360_LSX, 0, PAL_HardRight},
        {kConsoleXbox360, XB360_LSX, 32767, PAL_HardRight},
        {kConsolePs3, PS3_RSY, 0, PAL_RA_Up},
        {kConsolePs3, PS3_RSY, 255, PAL_RA_Down},
        {kConsolePs3, PS3_RSX, 126, PAL_RA_Left},
        {kConsolePs3, PS3_RSX, 127, PAL_RA_Right},
        {kConsolePs3, PS3_LSX, 0, PAL_HardLeft},
        {kConsolePs3, PS3_LSX, 126, PAL_HardLeft},
        {kConsolePs3, PS3_LSX, 127, PAL_HardRight},
        {kConsolePs3, PS3_LSX, -32768, PAL_HardLeft},
        // Buttons ignore the value.
        {kConsoleXbox360, XB360_A, -5, PAL_A},
        {kConsolePs3, PS3_CROSS, 0, PAL_A},
        {kConsolePs3, PS3_STEERING_BOOST, 384, PAL_SenBoost},
    };
    for (const DecodeCase& c : cases) {
        EXPECT_EQ(decodeOutput(c.console, c.type, c.value), c.palette)
            << "console " << c.console << " type " << c.type << " value " << c.value;
    }
}

TEST(ControlTables, OutputsWithoutAPaletteFunctionDecodeToUnassigned) {
    const int types[] = {0, XB360_BACK, XB360_START, XB360_XENON, XB360_LSY, 23, 99, 255, -1};
    const int values[] = {-32768, -1, 0, 1, 126, 127, 255, 32767};
    for (int type : types) {
        for (int value : values) {
            EXPECT_EQ(decodeXbox(type, value), -1) << "type " << type << " value " << value;
            EXPECT_EQ(decodePs3(type, value), -1) << "type " << type << " value " << value;
        }
    }
}

TEST(ControlTables, EveryPaletteFunctionDecodesFromItsOwnOutputOnBothConsoles) {
    for (int console = 0; console < kConsoleCount; ++console) {
        for (int m = 0; m < kPaletteCount; ++m) {
            EXPECT_EQ(decodeOutput(console, kPaletteOutputType[m], paletteValue(console, m)), m)
                << kPaletteNames[m] << " on console " << console;
        }
    }
}

TEST(ControlTables, DefaultMappingsDifferOnlyOnTheShoulderButtons) {
    for (int d = 0; d < kDestinationCount; ++d) {
        EXPECT_GE(kDefaultXboxMapping[d], 0);
        EXPECT_LT(kDefaultXboxMapping[d], kPaletteCount);
        if (d == DEST_L1 || d == DEST_R1) {
            EXPECT_NE(kDefaultXboxMapping[d], kDefaultPs3Mapping[d]) << kDestinationNames[d];
        } else {
            EXPECT_EQ(kDefaultXboxMapping[d], kDefaultPs3Mapping[d]) << kDestinationNames[d];
        }
    }
    EXPECT_EQ(kDefaultPs3Mapping[DEST_L1], PAL_LB);
    EXPECT_EQ(kDefaultPs3Mapping[DEST_R1], PAL_RB);
}

// The label rectangles are computed here from icon sizes; the screens draw from the atlas.
// If the two disagreed a label would be hit-tested where it is not drawn.
TEST(ControlTables, IconSizesAgreeWithTheSkinAtlas) {
    for (int console = 0; console < kConsoleCount; ++console) {
        for (int m = 0; m < kPaletteCount; ++m) {
            const int sprite = kPaletteSprite[console][m];
            ASSERT_GE(sprite, kFirstIconSprite) << kPaletteNames[m];
            ASSERT_LE(sprite, kLastIconSprite) << kPaletteNames[m];
            const skin::AtlasRect& atlas = skin::spriteRect(sprite);
            const auto size = iconSpriteSize(sprite);
            EXPECT_EQ(size.width, atlas.width) << "sprite " << sprite;
            EXPECT_EQ(size.height, atlas.height) << "sprite " << sprite;
        }
    }
    for (int side = 0; side < 4; ++side) {
        const int arrow[] = {115, 116, 117, 114};
        EXPECT_EQ(kLabelArrowSize[side].width, skin::spriteRect(arrow[side]).width) << "side " << side;
        EXPECT_EQ(kLabelArrowSize[side].height, skin::spriteRect(arrow[side]).height) << "side " << side;
    }
}

TEST(ControlTables, PaletteButtonsDoNotOverlap) {
    // A press picks the first button it hits, so an overlap would hide part of a later one.
    for (int a = 0; a < kPaletteCount; ++a) {
        for (int b = a + 1; b < kPaletteCount; ++b) {
            const ScreenRect& r = kPaletteButton[a];
            const ScreenRect& s = kPaletteButton[b];
            const bool overlap = r.x <= s.x + s.width && s.x <= r.x + r.width && r.y <= s.y + s.height &&
                                 s.y <= r.y + r.height;
            EXPECT_FALSE(overlap) << kPaletteNames[a] << " and " << kPaletteNames[b];
        }
    }
}

}  // namespace
}  // namespace kestrel
