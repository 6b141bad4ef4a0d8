#pragma once
// Text drawn from a bitmap font: one texture with the glyphs and a "[HGEFONT]" description
// naming each character's rectangle and how far to move before and after it.
//
//   BitmapFont font(description, size, png, pngSize);    // or loadEmbeddedFont("myriad_16s")
//   font.printf(10, 20, kAlignLeft, "%d presets", n);    // one line per "\n"
//   font.printfBox(x, y, 300, 80, kAlignLeft, "%s", note);  // wrapped at the box width
//   font.stringWidth("Apply")                             // pixels, at the current scale
//
// A description that is malformed yields the glyphs that did parse, with a log line for
// each problem; a font without glyphs draws nothing. Characters without a glyph draw as "?".
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/hge.h"
#include "engine/sprite.h"

namespace kestrel {

// Alignment bits: horizontal in bits 0-1, vertical (box printing only) in bits 2-3.
constexpr int kAlignLeft = 0;
constexpr int kAlignRight = 1;
constexpr int kAlignCentre = 2;
constexpr int kAlignHorizontalMask = 3;
constexpr int kAlignTop = 0;
constexpr int kAlignBottom = 4;
constexpr int kAlignMiddle = 8;
constexpr int kAlignVerticalMask = 12;

// Formatted text longer than this is cut (the terminator takes the last byte).
constexpr std::size_t kFontTextBufferSize = 1024;

// One meaningful line of a description, in the order the lines appear.
struct FontDescriptionLine {
    enum class Kind { kBitmap, kGlyph };
    Kind kind = Kind::kGlyph;
    std::string bitmapName;        // kBitmap
    int code = 0;                  // kGlyph: character code 0..255
    int x = 0, y = 0, width = 0, height = 0;
    int preOffset = 0, postOffset = 0;
};

struct FontDescription {
    bool hasHeader = false;
    std::vector<FontDescriptionLine> lines;
};

// Reads a description without touching the engine. Problems are logged and their lines
// left out; a missing header gives hasHeader false and no lines.
FontDescription parseFontDescription(std::string_view text, Log& log);

class BitmapFont {
public:
    // The image is the bitmap the description's "Bitmap" line names; the name itself is
    // not used to find anything. Takes one engine reference.
    BitmapFont(const char* description, std::size_t descriptionSize, const void* image,
               std::size_t imageSize);
    ~BitmapFont();
    BitmapFont(const BitmapFont&) = delete;
    BitmapFont& operator=(const BitmapFont&) = delete;

    void Render(float x, float y, int align, const char* text);
    void printf(float x, float y, int align, const char* format, ...)
        __attribute__((format(printf, 5, 6)));
    // Wraps at spaces to the box width and aligns the block in the box; a word wider than
    // the box keeps a line of its own and is not cut.
    void printfBox(float x, float y, float width, float height, int align, const char* format, ...)
        __attribute__((format(printf, 7, 8)));

    // Widest line, or with allLines false the first line, at the current scale and proportion.
    float stringWidth(const char* text, bool allLines = true) const;

    void setColour(std::uint32_t colour);
    void setZ(float z);
    void setBlendMode(int blend);
    void setScale(float scale) { scale_ = scale; }
    void setProportion(float proportion) { proportion_ = proportion; }
    void setRotation(float radians) { rotation_ = radians; }
    void setTracking(float pixels) { tracking_ = pixels; }
    void setSpacing(float factor) { spacing_ = factor; }

    std::uint32_t colour() const { return colour_; }
    float z() const { return z_; }
    int blendMode() const { return blend_; }
    float scale() const { return scale_; }
    float proportion() const { return proportion_; }
    float rotation() const { return rotation_; }
    float tracking() const { return tracking_; }
    float spacing() const { return spacing_; }
    // The tallest glyph: the line height before scale and spacing.
    float height() const { return height_; }
    TextureHandle texture() const { return texture_; }
    // The glyph of a character code, null where the font has none.
    const Sprite* glyph(int code) const;
    float preOffset(int code) const;
    float postOffset(int code) const;
    int glyphCount() const;

private:
    // The glyph drawn for a character: its own, else "?", else none.
    Sprite* drawnGlyph(unsigned char code, unsigned char* drawnCode) const;
    float lineStart(float x, int align, const char* line) const;

    HGE* hge_;
    TextureHandle texture_ = 0;
    std::array<std::unique_ptr<Sprite>, 256> glyphs_;
    std::array<float, 256> preOffsets_{};
    std::array<float, 256> postOffsets_{};
    float height_ = 0;
    float scale_ = 1;
    float proportion_ = 1;
    float rotation_ = 0;
    float tracking_ = 0;
    float spacing_ = 1;
    std::uint32_t colour_ = 0xFFFFFFFF;
    float z_ = 0.5f;
    int blend_ = kBlendDefault;
};

// The font built from the embedded "<stem>.fnt" and "<stem>.png" ("myriad_16s", "myriad_20s").
// Null, with a log line, when the program carries no such description.
std::unique_ptr<BitmapFont> loadEmbeddedFont(std::string_view stem);

}  // namespace kestrel
