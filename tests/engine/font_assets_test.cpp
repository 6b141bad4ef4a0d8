// The committed font and splash files are generated; these check they are what the
// generators promise, and, when the generators are built, that they still reproduce them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "assets/embedded.h"
#include "engine/bitmap_font.h"
#include "engine/log.h"

namespace kestrel {
namespace {

struct PngHeader {
    int width = 0;
    int height = 0;
    int colourType = -1;
};

PngHeader readPngHeader(std::span<const std::uint8_t> bytes) {
    static constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PngHeader header;
    if (bytes.size() < 33 || !std::equal(std::begin(kSignature), std::end(kSignature), bytes.begin())) {
        return header;
    }
    const auto word = [&](std::size_t at) {
        return static_cast<int>(bytes[at] << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3]);
    };
    header.width = word(16);
    header.height = word(20);
    header.colourType = bytes[25];
    return header;
}

struct CommittedFont {
    const char* stem;
    int imageWidth;
    int imageHeight;
    int lineHeight;
    std::vector<int> rowTops;
};

const CommittedFont kCommittedFonts[] = {
    {"myriad_16s", 256, 128, 22, {1, 24, 47, 70}},
    {"myriad_20s", 256, 256, 27, {1, 29, 57, 85, 113}},
};

constexpr int kPngRgba = 6;

std::string text(std::span<const std::uint8_t> bytes) {
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

TEST(CommittedFonts, DescribeEveryPrintableCharacterInsideTheirImage) {
    for (const CommittedFont& font : kCommittedFonts) {
        SCOPED_TRACE(font.stem);
        const PngHeader image = readPngHeader(assets::find(std::string(font.stem) + ".png"));
        EXPECT_EQ(image.width, font.imageWidth);
        EXPECT_EQ(image.height, font.imageHeight);
        EXPECT_EQ(image.colourType, kPngRgba);

        RecordingLog log;
        const FontDescription description = parseFontDescription(text(assets::find(std::string(font.stem) + ".fnt")), log);
        EXPECT_TRUE(log.lines().empty());
        ASSERT_TRUE(description.hasHeader);
        ASSERT_FALSE(description.lines.empty());
        EXPECT_EQ(description.lines[0].kind, FontDescriptionLine::Kind::kBitmap);
        EXPECT_EQ(description.lines[0].bitmapName, std::string(font.stem) + ".png");

        std::set<int> codes;
        std::vector<FontDescriptionLine> glyphs;
        for (const auto& line : description.lines) {
            if (line.kind != FontDescriptionLine::Kind::kGlyph) continue;
            glyphs.push_back(line);
            codes.insert(line.code);
            EXPECT_EQ(line.height, font.lineHeight) << line.code;
            EXPECT_NE(std::find(font.rowTops.begin(), font.rowTops.end(), line.y), font.rowTops.end()) << line.code;
            EXPECT_GE(line.x, 0);
            EXPECT_LE(line.x + line.width, font.imageWidth) << line.code;
            EXPECT_LE(line.y + line.height, font.imageHeight) << line.code;
            EXPECT_GE(line.preOffset, -2) << line.code;
            EXPECT_LE(line.preOffset, 2) << line.code;
            EXPECT_GE(line.postOffset, -2) << line.code;
            EXPECT_LE(line.postOffset, 2) << line.code;
        }
        EXPECT_EQ(glyphs.size(), 95u);
        EXPECT_EQ(codes.size(), 95u);
        EXPECT_EQ(*codes.begin(), 32);
        EXPECT_EQ(*codes.rbegin(), 126);
        // Overlapping rectangles would draw part of a neighbour.
        for (std::size_t i = 0; i < glyphs.size(); ++i) {
            for (std::size_t j = i + 1; j < glyphs.size(); ++j) {
                const auto& a = glyphs[i];
                const auto& b = glyphs[j];
                const bool overlap = a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
                                     b.y < a.y + a.height;
                EXPECT_FALSE(overlap) << a.code << " and " << b.code;
            }
        }
    }
}

TEST(CommittedSplash, IsA256SquareWithAlpha) {
    const PngHeader splash = readPngHeader(assets::find("splash.png"));
    EXPECT_EQ(splash.width, 256);
    EXPECT_EQ(splash.height, 256);
    EXPECT_EQ(splash.colourType, kPngRgba);
}

#if defined(KESTREL_FONT_GENERATOR) && defined(KESTREL_SPLASH_GENERATOR)
std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(CommittedAssets, AreWhatTheGeneratorsProduce) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("kestrel-assets-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string fonts = std::string(KESTREL_FONT_GENERATOR) +
                              " /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf " + folder.string() + " >/dev/null";
    const std::string splash = std::string(KESTREL_SPLASH_GENERATOR) +
                               " /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf " + (folder / "splash.png").string();
    ASSERT_EQ(std::system(fonts.c_str()), 0);
    ASSERT_EQ(std::system(splash.c_str()), 0);
    for (const char* name : {"myriad_16s.png", "myriad_16s.fnt", "myriad_20s.png", "myriad_20s.fnt", "splash.png"}) {
        EXPECT_EQ(readFile(folder / name), text(assets::find(name))) << name << ": run scripts/generate-fonts";
    }
    std::filesystem::remove_all(folder);
}
#endif

}  // namespace
}  // namespace kestrel
