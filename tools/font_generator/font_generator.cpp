// Renders the printable ASCII glyphs of a TrueType face into the program's two bitmap fonts:
// for each font one RGBA image (white, coverage in alpha, so the vertex colour tints it) and
// one "[HGEFONT]" description giving every glyph's rectangle and its pre- and post-offset.
//
//   font_generator <font.ttf> <output folder>
//
// Each glyph rectangle is a full line high and sits in a fixed row, so a font's line height is
// exactly its row height. Glyphs are packed left to right in code order; the face is rendered
// at the largest pixel size (up to the nominal one) whose glyphs fit the rows the image has.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "tools/font_generator/png_file.h"

namespace kestrel::tools {
namespace {

constexpr int kFirstCode = 32;
constexpr int kLastCode = 126;
// Keeps offsets small so the advance lives mostly in the rectangle; blank columns are
// added to the rectangle instead of pushing an offset beyond this.
constexpr int kMaxOffset = 2;
// One clear pixel between neighbouring rectangles stops linear filtering from bleeding a
// neighbour's edge into a glyph.
constexpr int kGap = 1;

struct FontSpec {
    const char* name;  // file stem; the image is <name>.png, the description <name>.fnt
    int imageWidth;
    int imageHeight;
    int lineHeight;
    int rows;
    int nominalPixelSize;
};

constexpr FontSpec kFonts[] = {
    {"myriad_16s", 256, 128, 22, 4, 16},
    {"myriad_20s", 256, 256, 27, 5, 20},
};

struct PlacedGlyph {
    int code = 0;
    int x = 0, y = 0, width = 0;  // rectangle in the image; height is the line height
    int preOffset = 0, postOffset = 0;
    // Where the rendered bitmap goes, relative to the rectangle's left edge and top.
    int bitmapLeft = 0, bitmapTop = 0;
};

struct Layout {
    int pixelSize = 0;
    std::vector<PlacedGlyph> glyphs;
};

using FaceDeleter = FT_Error (*)(FT_Face);
using LibraryDeleter = FT_Error (*)(FT_Library);

bool loadGlyph(FT_Face face, int code) {
    return FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) == 0;
}

// Places every glyph at one pixel size, or nothing when they do not fit the rows.
std::optional<Layout> layoutAt(FT_Face face, const FontSpec& spec, int pixelSize) {
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) return std::nullopt;
    const int ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    const int descent = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
    if (ascent + descent > spec.lineHeight) return std::nullopt;
    const int baseline = (spec.lineHeight - ascent - descent) / 2 + ascent;

    Layout layout;
    layout.pixelSize = pixelSize;
    int row = 0;
    int penX = kGap;
    for (int code = kFirstCode; code <= kLastCode; ++code) {
        if (!loadGlyph(face, code)) return std::nullopt;
        const FT_GlyphSlot slot = face->glyph;
        const int advance = static_cast<int>((slot->advance.x + 32) >> 6);
        const int inkWidth = static_cast<int>(slot->bitmap.width);
        int cellLeft = inkWidth > 0 ? slot->bitmap_left : 0;
        int cellRight = inkWidth > 0 ? slot->bitmap_left + inkWidth : advance;
        if (cellLeft > kMaxOffset) cellLeft = kMaxOffset;
        if (advance - cellRight > kMaxOffset) cellRight = advance - kMaxOffset;

        PlacedGlyph glyph;
        glyph.code = code;
        glyph.width = cellRight - cellLeft;
        glyph.preOffset = cellLeft;
        glyph.postOffset = advance - cellRight;
        glyph.bitmapLeft = slot->bitmap_left - cellLeft;
        glyph.bitmapTop = baseline - slot->bitmap_top;
        if (penX + glyph.width + kGap > spec.imageWidth) {
            ++row;
            penX = kGap;
        }
        if (row >= spec.rows) return std::nullopt;
        glyph.x = penX;
        glyph.y = kGap + row * (spec.lineHeight + kGap);
        penX += glyph.width + kGap;
        layout.glyphs.push_back(glyph);
    }
    return layout;
}

void drawGlyph(FT_Face face, const FontSpec& spec, const PlacedGlyph& glyph, RgbaImage& image) {
    if (!loadGlyph(face, glyph.code)) return;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        const int y = glyph.bitmapTop + static_cast<int>(row);
        if (y < 0 || y >= spec.lineHeight) continue;  // never spill into the next row
        for (unsigned column = 0; column < bitmap.width; ++column) {
            const int x = glyph.bitmapLeft + static_cast<int>(column);
            if (x < 0 || x >= glyph.width) continue;
            std::uint8_t* pixel = image.at(glyph.x + x, glyph.y + y);
            pixel[0] = pixel[1] = pixel[2] = 255;
            pixel[3] = bitmap.buffer[row * static_cast<unsigned>(bitmap.pitch) + column];
        }
    }
}

std::string describe(const FontSpec& spec, const Layout& layout) {
    std::string text = "[HGEFONT]\n\nBitmap=" + std::string(spec.name) + ".png\n\n";
    char line[96];
    for (const PlacedGlyph& glyph : layout.glyphs) {
        // Quoted form for every glyph; the parser takes the byte between the quotes as is,
        // so the double quote and the backslash need no escaping.
        std::snprintf(line, sizeof line, "Char=\"%c\",%d,%d,%d,%d,%d,%d\n", glyph.code, glyph.x,
                      glyph.y, glyph.width, spec.lineHeight, glyph.preOffset, glyph.postOffset);
        text += line;
    }
    return text;
}

bool generate(FT_Face face, const FontSpec& spec, const std::string& folder) {
    std::optional<Layout> layout;
    for (int size = spec.nominalPixelSize; size >= 6 && !layout; --size) {
        layout = layoutAt(face, spec, size);
    }
    if (!layout) {
        std::fprintf(stderr, "%s: the glyphs do not fit the image at any size\n", spec.name);
        return false;
    }
    RgbaImage image(spec.imageWidth, spec.imageHeight);
    for (const PlacedGlyph& glyph : layout->glyphs) drawGlyph(face, spec, glyph, image);

    const std::string stem = folder + "/" + spec.name;
    if (!writePng(stem + ".png", image)) return false;
    std::ofstream description(stem + ".fnt", std::ios::binary | std::ios::trunc);
    description << describe(spec, *layout);
    if (!description.flush()) {
        std::fprintf(stderr, "cannot write %s.fnt\n", stem.c_str());
        return false;
    }
    std::printf("%s: %zu glyphs at %d px\n", spec.name, layout->glyphs.size(), layout->pixelSize);
    return true;
}

}  // namespace
}  // namespace kestrel::tools

int main(int argc, char** argv) {
    using namespace kestrel::tools;
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <font.ttf> <output folder>\n", argv[0]);
        return 2;
    }
    FT_Library rawLibrary = nullptr;
    if (FT_Init_FreeType(&rawLibrary) != 0) {
        std::fprintf(stderr, "cannot start FreeType\n");
        return 1;
    }
    std::unique_ptr<FT_LibraryRec_, LibraryDeleter> library(rawLibrary, &FT_Done_FreeType);
    FT_Face rawFace = nullptr;
    if (FT_New_Face(library.get(), argv[1], 0, &rawFace) != 0) {
        std::fprintf(stderr, "cannot open the font %s\n", argv[1]);
        return 1;
    }
    std::unique_ptr<FT_FaceRec_, FaceDeleter> face(rawFace, &FT_Done_Face);
    for (const FontSpec& spec : kFonts) {
        if (!generate(face.get(), spec, argv[2])) return 1;
    }
    return 0;
}
