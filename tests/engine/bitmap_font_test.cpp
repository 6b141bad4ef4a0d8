#include "engine/bitmap_font.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "assets/embedded.h"
#include "engine/headless.h"
#include "engine/log.h"

namespace kestrel {
namespace {

// ---- Description parsing -----------------------------------------------------------------

std::vector<FontDescriptionLine> glyphsOf(const FontDescription& description) {
    std::vector<FontDescriptionLine> glyphs;
    for (const auto& line : description.lines) {
        if (line.kind == FontDescriptionLine::Kind::kGlyph) glyphs.push_back(line);
    }
    return glyphs;
}

TEST(FontDescription, WithoutTheExactHeaderYieldsNothingAndSaysSo) {
    const char* const kBadStarts[] = {
        "",
        "Char=\"A\",0,0,1,1,0,0\n",
        "[hgefont]\nChar=\"A\",0,0,1,1,0,0\n",
        "[HGEFONT] \nChar=\"A\",0,0,1,1,0,0\n",
        "Bitmap=a.png\n[HGEFONT]\nChar=\"A\",0,0,1,1,0,0\n",
    };
    for (const char* text : kBadStarts) {
        RecordingLog log;
        const FontDescription description = parseFontDescription(text, log);
        EXPECT_FALSE(description.hasHeader) << text;
        EXPECT_TRUE(description.lines.empty()) << text;
        EXPECT_TRUE(log.contains("Internal Font has incorrect format.")) << text;
    }
}

TEST(FontDescription, AnyRunOfLineBreaksSeparatesLines) {
    for (const char* text : {"[HGEFONT]\nBitmap=f.png\nChar=41,1,2,3,4,-1,2\n",
                             "\r\n[HGEFONT]\r\n\r\nBitmap=f.png\r\n\r\nChar=41,1,2,3,4,-1,2",
                             "[HGEFONT]\rBitmap=f.png\r\r\rChar=41,1,2,3,4,-1,2\r"}) {
        RecordingLog log;
        const FontDescription description = parseFontDescription(text, log);
        ASSERT_EQ(description.lines.size(), 2u);
        EXPECT_EQ(description.lines[0].kind, FontDescriptionLine::Kind::kBitmap);
        EXPECT_EQ(description.lines[0].bitmapName, "f.png");
        const FontDescriptionLine& glyph = description.lines[1];
        EXPECT_EQ(glyph.code, 'A');
        EXPECT_EQ(glyph.x, 1);
        EXPECT_EQ(glyph.y, 2);
        EXPECT_EQ(glyph.width, 3);
        EXPECT_EQ(glyph.height, 4);
        EXPECT_EQ(glyph.preOffset, -1);
        EXPECT_EQ(glyph.postOffset, 2);
        EXPECT_TRUE(log.lines().empty());
    }
}

TEST(FontDescription, ReadsQuotedAndHexadecimalCharacters) {
    struct Case {
        const char* line;
        int code;
    };
    const Case kCases[] = {
        {"Char=\"\"\",0,0,1,1,0,0", '"'},
        {"Char=\"\\\",0,0,1,1,0,0", '\\'},
        {"Char=\",\",0,0,1,1,0,0", ','},
        {"Char=20,0,0,1,1,0,0", ' '},
        {"Char=7e,0,0,1,1,0,0", '~'},
        {"Char=7E,0,0,1,1,0,0", '~'},
        {"Char=FF,0,0,1,1,0,0", 255},
        {"Char=   \"Q\" , 0 , 0 , 1 , 1 , 0 , 0", 'Q'},
        {"Char = \"Q\",0,0,1,1,0,0", 'Q'},
    };
    for (const Case& c : kCases) {
        RecordingLog log;
        const auto glyphs = glyphsOf(parseFontDescription(std::string("[HGEFONT]\n") + c.line, log));
        ASSERT_EQ(glyphs.size(), 1u) << c.line;
        EXPECT_EQ(glyphs[0].code, c.code) << c.line;
        EXPECT_TRUE(log.lines().empty()) << c.line;
    }
}

TEST(FontDescription, SkipsCodesBeyondAByteWithoutComplaint) {
    RecordingLog log;
    const auto glyphs = glyphsOf(parseFontDescription("[HGEFONT]\nChar=100,0,0,1,1,0,0\nChar=FFFFFFFFFFFF,0,0,1,1,0,0\n", log));
    EXPECT_TRUE(glyphs.empty());
    EXPECT_TRUE(log.lines().empty());
}

TEST(FontDescription, LogsEachMalformedGlyphLineAndKeepsTheRest) {
    const char* const kMalformed[] = {
        "Char=",
        "Char=\"A\"",
        "Char=\"A,0,0,1,1,0,0",
        "Char=\"A\",1,2,3",
        "Char=\"A\",1,x,3,4,5,6",
        "Char=\"A\";1,2,3,4,5,6",
        "Char=zz,1,2,3,4,5,6",
        "Char=41,99999999999,2,3,4,5,6",
        "Char=41,0,0,-3,4,0,0",
        "Char=41,0,0,3,-4,0,0",
        "Char\"A\",0,0,1,1,0,0",
    };
    for (const char* line : kMalformed) {
        RecordingLog log;
        const std::string text = std::string("[HGEFONT]\nChar=\"B\",0,0,1,1,0,0\n") + line + "\nChar=\"C\",0,0,1,1,0,0\n";
        const auto glyphs = glyphsOf(parseFontDescription(text, log));
        ASSERT_EQ(glyphs.size(), 2u) << line;
        EXPECT_EQ(glyphs[0].code, 'B');
        EXPECT_EQ(glyphs[1].code, 'C');
        EXPECT_TRUE(log.contains("BitmapFont : Malformed glyph on line 3")) << line;
    }
}

TEST(FontDescription, TakesABitmapNameOnlyWhenTheLineGivesOne) {
    RecordingLog log;
    const FontDescription description =
        parseFontDescription("[HGEFONT]\nBitmap=\nBitmapName\nBitmap = spaced.png \nOther=1\n", log);
    ASSERT_EQ(description.lines.size(), 1u);
    EXPECT_EQ(description.lines[0].bitmapName, "spaced.png");
}

TEST(FontDescription, SurvivesRandomBytesAndMutatedRealDescriptions) {
    const auto real = assets::find("myriad_16s.fnt");
    ASSERT_FALSE(real.empty());
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> byte(0, 255);
    const char kInteresting[] = "\"\r\n,=-0123456789ABCDEFabcdef Char Bitmap";
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        if (round % 2 == 0) {
            text.assign(reinterpret_cast<const char*>(real.data()), real.size());
            for (int edit = 0; edit < 8; ++edit) {
                const std::size_t at = random() % text.size();
                text[at] = round % 4 == 0 ? static_cast<char>(byte(random))
                                          : kInteresting[random() % (sizeof kInteresting - 1)];
            }
        } else {
            text = "[HGEFONT]\n";
            const int length = static_cast<int>(random() % 200);
            for (int i = 0; i < length; ++i) text += kInteresting[random() % (sizeof kInteresting - 1)];
        }
        RecordingLog log;
        const FontDescription description = parseFontDescription(text, log);
        for (const auto& glyph : glyphsOf(description)) {
            ASSERT_GE(glyph.code, 0);
            ASSERT_LE(glyph.code, 255);
            ASSERT_GE(glyph.width, 0);
            ASSERT_GE(glyph.height, 0);
        }
    }
}

// ---- Fonts on the headless engine --------------------------------------------------------

// Glyph advances: A 1 + 10 + 2 = 13, B 8, "?" 6, space 4; every glyph 20 high.
constexpr char kTestFont[] =
    "[HGEFONT]\n"
    "Bitmap=myriad_16s.png\n"
    "Char=\"A\",0,0,10,20,1,2\n"
    "Char=\"B\",10,0,8,20,0,0\n"
    "Char=\"?\",20,0,6,20,0,0\n"
    "Char=\" \",30,0,4,20,0,0\n";

class BitmapFontTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(world_.initiate()); }

    std::unique_ptr<BitmapFont> makeFont(std::string_view description) {
        const auto image = assets::find("myriad_16s.png");
        return std::make_unique<BitmapFont>(description.data(), description.size(), image.data(), image.size());
    }
    // Draws inside a scene, as the render function does.
    template <typename Draw>
    void inScene(Draw draw) {
        ASSERT_TRUE(world_.hge()->Gfx_BeginScene());
        world_.hge()->Gfx_ClearScreen(0xFF000000);
        draw();
        world_.hge()->Gfx_FinishScene();
    }
    // Where a glyph was last drawn: its quad's top-left corner.
    static float drawnX(const BitmapFont& font, int code) { return font.glyph(code)->quad().v[0].x; }
    static float drawnY(const BitmapFont& font, int code) { return font.glyph(code)->quad().v[0].y; }

    HeadlessEngine world_;
};

TEST_F(BitmapFontTest, MeasuresWidestLineOrFirstLine) {
    auto font = makeFont(kTestFont);
    struct Case {
        const char* text;
        bool allLines;
        float width;
    };
    const Case kCases[] = {
        {"", true, 0},          {"A", true, 13},      {"AB", true, 21},      {"A B", true, 25},
        {"AB\nA", true, 21},    {"A\nAB", true, 21},  {"A\nAB", false, 13},  {"A\r\nABB", true, 29},
        {"z", true, 6},         {"A\xE9", true, 19},
    };
    for (const Case& c : kCases) EXPECT_FLOAT_EQ(font->stringWidth(c.text, c.allLines), c.width) << c.text;

    font->setTracking(2);
    EXPECT_FLOAT_EQ(font->stringWidth("AB"), 25);
    font->setTracking(0);
    font->setScale(2);
    font->setProportion(1.5f);
    EXPECT_FLOAT_EQ(font->stringWidth("AB"), 63);
}

TEST_F(BitmapFontTest, AlignsEachLineAtItsStartPoint) {
    auto font = makeFont(kTestFont);
    struct Case {
        int align;
        float aX, bX;  // where "AB" puts A (after its pre-offset) and B
    };
    const Case kCases[] = {
        {kAlignLeft, 11, 23},
        {kAlignRight, 80, 92},     // 100 - 21
        {kAlignCentre, 91, 103},   // 100 - int(21 / 2)
    };
    for (const Case& c : kCases) {
        inScene([&] { font->Render(c.align == kAlignLeft ? 10 : 100, 20, c.align, "AB"); });
        EXPECT_FLOAT_EQ(drawnX(*font, 'A'), c.aX) << c.align;
        EXPECT_FLOAT_EQ(drawnX(*font, 'B'), c.bX) << c.align;
        EXPECT_FLOAT_EQ(drawnY(*font, 'A'), 20);
    }
    // Each line is measured on its own.
    inScene([&] { font->Render(100, 20, kAlignRight, "AAA\nB"); });
    EXPECT_FLOAT_EQ(drawnX(*font, 'B'), 92);
    EXPECT_FLOAT_EQ(drawnY(*font, 'B'), 40);
}

TEST_F(BitmapFontTest, NewlineMovesDownByScaledSpacedHeight) {
    auto font = makeFont(kTestFont);
    inScene([&] { font->Render(10, 20, kAlignLeft, "A\nB"); });
    EXPECT_FLOAT_EQ(drawnX(*font, 'B'), 10);
    EXPECT_FLOAT_EQ(drawnY(*font, 'B'), 40);

    font->setSpacing(1.5f);
    inScene([&] { font->Render(10, 20, kAlignLeft, "A\nB"); });
    EXPECT_FLOAT_EQ(drawnY(*font, 'B'), 50);

    // A line feed from outside the program may come as "\r\n": the CR draws nothing.
    font->setSpacing(1);
    inScene([&] {
        font->Render(500, 500, kAlignLeft, "?");
        font->Render(10, 20, kAlignLeft, "A\r\nB");
    });
    EXPECT_FLOAT_EQ(drawnX(*font, 'B'), 10);
    EXPECT_FLOAT_EQ(drawnY(*font, 'B'), 40);
    EXPECT_FLOAT_EQ(drawnX(*font, '?'), 500);
}

TEST_F(BitmapFontTest, ScaleAndProportionStretchGlyphsAndAdvances) {
    auto font = makeFont(kTestFont);
    font->setScale(2);
    font->setProportion(0.5f);
    inScene([&] { font->Render(0, 0, kAlignLeft, "AB"); });
    const Quad& a = font->glyph('A')->quad();
    EXPECT_FLOAT_EQ(a.v[0].x, 1);                // pre-offset 1 x 2 x 0.5
    EXPECT_FLOAT_EQ(a.v[1].x - a.v[0].x, 10);    // width 10 x 1
    EXPECT_FLOAT_EQ(a.v[3].y - a.v[0].y, 40);    // height 20 x 2
    EXPECT_FLOAT_EQ(drawnX(*font, 'B'), 13);
}

TEST_F(BitmapFontTest, CharacterWithoutGlyphDrawsAsQuestionMark) {
    auto font = makeFont(kTestFont);
    inScene([&] { font->Render(0, 0, kAlignLeft, "Az"); });
    EXPECT_FLOAT_EQ(drawnX(*font, '?'), 13);

    // Without "?" such characters are skipped and the pen stays put.
    auto bare = makeFont("[HGEFONT]\nBitmap=x.png\nChar=\"A\",0,0,10,20,1,2\nChar=\"B\",10,0,8,20,0,0\n");
    inScene([&] { bare->Render(0, 0, kAlignLeft, "A\x01\x7F\xFFz~B"); });
    EXPECT_FLOAT_EQ(drawnX(*bare, 'B'), 13);
    EXPECT_FLOAT_EQ(bare->stringWidth("A\x01\xFFz~B"), 21);
}

TEST_F(BitmapFontTest, EmbeddedFontsCoverPrintableAsciiAndSubstituteTheRest) {
    for (const char* stem : {"myriad_16s", "myriad_20s"}) {
        auto font = loadEmbeddedFont(stem);
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->glyphCount(), 95) << stem;
        EXPECT_EQ(font->glyph(31), nullptr);
        EXPECT_EQ(font->glyph(127), nullptr);
        const float questionWidth = font->stringWidth("?");
        EXPECT_FLOAT_EQ(font->stringWidth("\x80\t\xE9"), 3 * questionWidth) << stem;
    }
    EXPECT_EQ(loadEmbeddedFont("no_such_font"), nullptr);
    EXPECT_TRUE(world_.log().contains("BitmapFont : No embedded font no_such_font"));
}

TEST_F(BitmapFontTest, SmallerEmbeddedFontStartsTheSecondLine22Lower) {
    auto font = loadEmbeddedFont("myriad_16s");
    ASSERT_NE(font, nullptr);
    EXPECT_FLOAT_EQ(font->height(), 22);
    inScene([&] { font->Render(10, 20, kAlignLeft, "A\nB"); });
    EXPECT_FLOAT_EQ(drawnY(*font, 'B'), 42);
    EXPECT_FLOAT_EQ(drawnX(*font, 'B'), 10 + font->preOffset('B'));
}

TEST_F(BitmapFontTest, FormattedTextIsCutAt1023Characters) {
    auto font = makeFont(kTestFont);
    const std::string longText(2000, 'A');
    inScene([&] { font->printf(0, 0, kAlignLeft, "%sB", longText.c_str()); });
    EXPECT_FLOAT_EQ(drawnX(*font, 'A'), 1022 * 13 + 1);
    inScene([&] { font->printf(5, 7, kAlignLeft, "%s%c", "A", 'B'); });
    EXPECT_FLOAT_EQ(drawnX(*font, 'B'), 18);
    EXPECT_FLOAT_EQ(drawnY(*font, 'B'), 7);
}

TEST_F(BitmapFontTest, BoxWrapsWordsAtTheBoxWidth) {
    auto font = makeFont(kTestFont);
    // "AB" is 21 wide, "AB AB" 46: a 30-wide box holds one word per line.
    inScene([&] { font->printfBox(10, 100, 30, 80, kAlignLeft, "AB AB AB"); });
    EXPECT_FLOAT_EQ(drawnX(*font, 'A'), 11);
    EXPECT_FLOAT_EQ(drawnY(*font, 'A'), 140);
    // Exactly as wide as the box still fits.
    inScene([&] { font->printfBox(10, 100, 46, 80, kAlignLeft, "AB AB"); });
    EXPECT_FLOAT_EQ(drawnY(*font, 'B'), 100);
    EXPECT_FLOAT_EQ(drawnX(*font, 'B'), 10 + 21 + 4 + 13);
}

TEST_F(BitmapFontTest, BoxKeepsAnOverlongFirstWordWhole) {
    auto font = makeFont(kTestFont);
    inScene([&] { font->printfBox(10, 100, 15, 80, kAlignLeft, "ABAB B"); });
    // The long word stays on line 1 uncut; the next word starts line 2.
    EXPECT_FLOAT_EQ(drawnX(*font, 'B'), 10);
    EXPECT_FLOAT_EQ(drawnY(*font, 'B'), 120);
    EXPECT_FLOAT_EQ(drawnX(*font, 'A'), 10 + 21 + 1);
    EXPECT_FLOAT_EQ(drawnY(*font, 'A'), 100);
    // A long word after a short one moves to a line of its own, and so does what follows.
    inScene([&] { font->printfBox(10, 100, 15, 80, kAlignLeft, "B AAAA ?"); });
    EXPECT_FLOAT_EQ(drawnY(*font, 'A'), 120);
    EXPECT_FLOAT_EQ(drawnY(*font, '?'), 140);
}

TEST_F(BitmapFontTest, BoxAlignsTheWrappedBlock) {
    auto font = makeFont(kTestFont);
    struct Case {
        int align;
        const char* text;
        float bX, bY;  // where the last B lands
    };
    // Box at (10, 100), 30 by 80; glyph lines are 20 high.
    const Case kCases[] = {
        {kAlignLeft | kAlignBottom, "AB AB", 23, 100 + 40 + 20},     // 2 lines: 40 spare
        {kAlignLeft | kAlignMiddle, "AB AB", 23, 100 + 20 + 20},
        {kAlignLeft | kAlignBottom, "A\nB", 10, 100 + 40 + 20},      // text newline counts
        {kAlignLeft | kAlignBottom, "AAA\nB", 10, 100 + 40 + 20},    // overlong word before it: still one break
        {kAlignLeft | kAlignBottom, "AB AB AB AB AB", 23, 100 + 0 - 20 + 80},  // 5 lines overflow upwards
        {kAlignRight | kAlignTop, "AB", 40 - 8, 100},
        {kAlignCentre | kAlignTop, "AB", 25 - 10 + 13, 100},
    };
    for (const Case& c : kCases) {
        inScene([&] { font->printfBox(10, 100, 30, 80, c.align, "%s", c.text); });
        EXPECT_FLOAT_EQ(drawnX(*font, 'B'), c.bX) << c.text << " align " << c.align;
        EXPECT_FLOAT_EQ(drawnY(*font, 'B'), c.bY) << c.text << " align " << c.align;
    }
}

TEST_F(BitmapFontTest, SetColourTintsEveryGlyph) {
    auto font = makeFont(kTestFont);
    font->setColour(0xFFFFC000);
    for (int code : {'A', 'B', '?', ' '}) {
        for (int corner = 0; corner < 4; ++corner) EXPECT_EQ(font->glyph(code)->colour(corner), 0xFFFFC000u);
    }
    EXPECT_EQ(font->colour(), 0xFFFFC000u);
}

TEST_F(BitmapFontTest, BrokenDescriptionsKeepWhatParsedAndLog) {
    auto headless = makeFont("Bitmap=a.png\nChar=\"A\",0,0,10,20,0,0\n");
    EXPECT_EQ(headless->glyphCount(), 0);
    EXPECT_EQ(headless->texture(), 0u);
    EXPECT_TRUE(world_.log().contains("Internal Font has incorrect format."));
    std::uint64_t before = world_.hge()->Gfx_FlushCount();
    inScene([] {});
    const std::uint64_t emptySceneFlushes = world_.hge()->Gfx_FlushCount() - before;
    before = world_.hge()->Gfx_FlushCount();
    inScene([&] { headless->printf(10, 10, kAlignLeft, "%s", "AAAA"); });
    EXPECT_EQ(world_.hge()->Gfx_FlushCount() - before, emptySceneFlushes);

    auto outside = makeFont("[HGEFONT]\nBitmap=a.png\nChar=\"A\",250,0,10,20,0,0\nChar=\"B\",0,120,8,9,0,0\n"
                            "Char=\"C\",-1,0,8,9,0,0\nChar=\"D\",0,0,8,9,0,0\n");
    EXPECT_EQ(outside->glyphCount(), 1);
    EXPECT_NE(outside->glyph('D'), nullptr);
    EXPECT_TRUE(world_.log().contains("BitmapFont : Glyph 65 lies outside the 256x128 bitmap"));
    EXPECT_TRUE(world_.log().contains("BitmapFont : Glyph 66 lies outside the 256x128 bitmap"));

    const char badImage[] = "not a png";
    const std::string description = "[HGEFONT]\nBitmap=a.png\nChar=\"A\",0,0,10,20,0,0\n";
    BitmapFont broken(description.data(), description.size(), badImage, sizeof badImage);
    EXPECT_EQ(broken.glyphCount(), 0);
    BitmapFont imageless(description.data(), description.size(), nullptr, 0);
    EXPECT_EQ(imageless.glyphCount(), 0);
    EXPECT_TRUE(world_.log().contains("BitmapFont : No image for bitmap a.png"));

    // Glyphs without any bitmap line have no texture to check against and are kept.
    auto untextured = makeFont("[HGEFONT]\nChar=\"A\",0,0,10,20,0,0\n");
    EXPECT_EQ(untextured->glyphCount(), 1);
    EXPECT_EQ(untextured->texture(), 0u);
}

TEST_F(BitmapFontTest, DrawnTextLandsInItsColourAndNowhereElse) {
    auto font = loadEmbeddedFont("myriad_20s");
    ASSERT_NE(font, nullptr);
    font->setColour(0xFFFFC000);
    inScene([&] { font->Render(100, 100, kAlignLeft, "|"); });
    const float left = 100 + font->preOffset('|');
    const float width = font->glyph('|')->width();
    const auto near = [](std::uint32_t value, std::uint32_t expected) {
        return value + 6 >= expected && value <= expected + 6;
    };
    int lit = 0;
    for (int y = 90; y < 140; ++y) {
        for (int x = 90; x < 120; ++x) {
            const std::uint32_t pixel = world_.platform().pixel(x, y);
            const bool inside = x >= left && x < left + width && y >= 100 && y < 127;
            if (!inside) {
                EXPECT_EQ(pixel & 0xFFFFFF, 0u) << x << "," << y;
            } else if (near(pixel >> 16 & 0xFF, 0xFF) && near(pixel >> 8 & 0xFF, 0xC0) && near(pixel & 0xFF, 0)) {
                ++lit;
            }
        }
    }
    EXPECT_GE(lit, 10);  // the bar's fully covered middle shows the colour
}

}  // namespace
}  // namespace kestrel
