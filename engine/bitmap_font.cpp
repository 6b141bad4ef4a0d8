// Bitmap fonts.
//   description parsing   header, "Bitmap" and "Char" lines, every malformation logged
//   construction          texture from the handed-in image, one sprite per glyph
//   drawing               Render, printf, printfBox (word wrap), stringWidth
#include "engine/bitmap_font.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <limits>

#include "assets/embedded.h"
#include "engine/log.h"

namespace kestrel {
namespace {

constexpr std::string_view kHeader = "[HGEFONT]";
constexpr unsigned char kFallbackGlyph = '?';
// Far beyond any texture the engine can make, and small enough that sums of these stay exact
// in a float and never overflow an int.
constexpr long kLargestNumber = 1 << 20;

bool isLineBreak(char c) { return c == '\r' || c == '\n'; }

// Splits at runs of CR and LF, so "\r\n" and blank lines separate alike.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t position = 0;
    while (position < text.size()) {
        while (position < text.size() && isLineBreak(text[position])) ++position;
        const std::size_t start = position;
        while (position < text.size() && !isLineBreak(text[position])) ++position;
        if (position > start) lines.push_back(text.substr(start, position - start));
    }
    return lines;
}

// A cursor over one line; every reader leaves it unmoved on failure.
class LineReader {
public:
    explicit LineReader(std::string_view line) : line_(line) {}

    void skipSpaces() {
        while (position_ < line_.size() && (line_[position_] == ' ' || line_[position_] == '\t')) {
            ++position_;
        }
    }
    bool take(char expected) {
        if (position_ >= line_.size() || line_[position_] != expected) return false;
        ++position_;
        return true;
    }
    bool takeAny(char& out) {
        if (position_ >= line_.size()) return false;
        out = line_[position_++];
        return true;
    }
    bool takeWord(std::string& out) {
        const std::size_t start = position_;
        while (position_ < line_.size() && line_[position_] != ' ' && line_[position_] != '\t') {
            ++position_;
        }
        out.assign(line_.substr(start, position_ - start));
        return !out.empty();
    }
    // Hexadecimal digits of a character code; codes beyond 255 are reported as 256.
    bool takeHexCode(int& out) {
        const std::size_t start = position_;
        long value = 0;
        while (position_ < line_.size()) {
            const char c = line_[position_];
            int digit;
            if (c >= '0' && c <= '9') digit = c - '0';
            else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
            else break;
            value = std::min<long>(value * 16 + digit, 256);
            ++position_;
        }
        out = static_cast<int>(value);
        return position_ > start;
    }
    // An optionally signed decimal integer within kLargestNumber.
    bool takeInteger(int& out) {
        std::size_t position = position_;
        bool negative = false;
        if (position < line_.size() && (line_[position] == '-' || line_[position] == '+')) {
            negative = line_[position] == '-';
            ++position;
        }
        const std::size_t digits = position;
        long value = 0;
        while (position < line_.size() && line_[position] >= '0' && line_[position] <= '9') {
            value = value * 10 + (line_[position] - '0');
            if (value > kLargestNumber) return false;
            ++position;
        }
        if (position == digits) return false;
        position_ = position;
        out = static_cast<int>(negative ? -value : value);
        return true;
    }
    bool startsWith(std::string_view prefix) const { return line_.substr(position_).starts_with(prefix); }
    void skip(std::size_t count) { position_ = std::min(line_.size(), position_ + count); }

private:
    std::string_view line_;
    std::size_t position_ = 0;
};

enum class GlyphParse { kGlyph, kIgnored, kMalformed };

GlyphParse parseGlyphLine(std::string_view line, FontDescriptionLine& glyph) {
    LineReader reader(line);
    reader.skip(4);  // "Char"
    reader.skipSpaces();
    if (!reader.take('=')) return GlyphParse::kMalformed;
    reader.skipSpaces();
    int code = 0;
    if (reader.take('"')) {
        // Whatever byte stands between the quotes is the character, quote and backslash too.
        char character = 0;
        if (!reader.takeAny(character) || !reader.take('"')) return GlyphParse::kMalformed;
        code = static_cast<unsigned char>(character);
    } else if (!reader.takeHexCode(code)) {
        return GlyphParse::kMalformed;
    }
    int values[6];
    for (int& value : values) {
        reader.skipSpaces();
        if (!reader.take(',')) return GlyphParse::kMalformed;
        reader.skipSpaces();
        if (!reader.takeInteger(value)) return GlyphParse::kMalformed;
    }
    if (code > 255) return GlyphParse::kIgnored;
    if (values[2] < 0 || values[3] < 0) return GlyphParse::kMalformed;
    glyph.kind = FontDescriptionLine::Kind::kGlyph;
    glyph.code = code;
    glyph.x = values[0];
    glyph.y = values[1];
    glyph.width = values[2];
    glyph.height = values[3];
    glyph.preOffset = values[4];
    glyph.postOffset = values[5];
    return GlyphParse::kGlyph;
}

bool parseBitmapLine(std::string_view line, std::string& name) {
    LineReader reader(line);
    reader.skip(6);  // "Bitmap"
    reader.skipSpaces();
    if (!reader.take('=')) return false;
    reader.skipSpaces();
    return reader.takeWord(name);
}

// Hands parse problems to the engine log, where every other line of the program goes.
class EngineLog final : public Log {
public:
    explicit EngineLog(HGE& hge) : hge_(hge) {}

protected:
    void writeLine(std::string_view line) override {
        hge_.System_WriteLog("%.*s", static_cast<int>(line.size()), line.data());
    }

private:
    HGE& hge_;
};

std::string formatBounded(const char* format, va_list arguments) {
    char buffer[kFontTextBufferSize];
    const int length = std::vsnprintf(buffer, sizeof buffer, format, arguments);
    if (length < 0) return {};
    return std::string(buffer, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof buffer - 1));
}

}  // namespace

FontDescription parseFontDescription(std::string_view text, Log& log) {
    FontDescription description;
    const std::vector<std::string_view> lines = splitLines(text);
    if (lines.empty() || lines.front() != kHeader) {
        log.write("Internal Font has incorrect format.");
        return description;
    }
    description.hasHeader = true;
    for (std::size_t index = 1; index < lines.size(); ++index) {
        const std::string_view line = lines[index];
        const int lineNumber = static_cast<int>(index) + 1;
        if (line.starts_with("Bitmap")) {
            FontDescriptionLine bitmap;
            bitmap.kind = FontDescriptionLine::Kind::kBitmap;
            if (parseBitmapLine(line, bitmap.bitmapName)) description.lines.push_back(std::move(bitmap));
        } else if (line.starts_with("Char")) {
            FontDescriptionLine glyph;
            switch (parseGlyphLine(line, glyph)) {
                case GlyphParse::kGlyph: description.lines.push_back(glyph); break;
                case GlyphParse::kIgnored: break;
                case GlyphParse::kMalformed:
                    log.write("BitmapFont : Malformed glyph on line %d", lineNumber);
                    break;
            }
        }
    }
    return description;
}

BitmapFont::BitmapFont(const char* description, std::size_t descriptionSize, const void* image,
                       std::size_t imageSize)
    : hge_(CreateEngine()) {
    EngineLog log(*hge_);
    const std::string_view text =
        description ? std::string_view(description, descriptionSize) : std::string_view();
    const FontDescription parsed = parseFontDescription(text, log);
    int imageWidth = 0;
    int imageHeight = 0;
    for (const FontDescriptionLine& line : parsed.lines) {
        if (line.kind == FontDescriptionLine::Kind::kBitmap) {
            if (texture_ != 0) {
                // A second texture would be kept but never drawn: keep the first.
                log.write("BitmapFont : Extra bitmap %s ignored", line.bitmapName.c_str());
                continue;
            }
            // A size of 0 would make the engine read the pointer as a resource name.
            if (image == nullptr || imageSize == 0) {
                log.write("BitmapFont : No image for bitmap %s", line.bitmapName.c_str());
                break;
            }
            texture_ = hge_->Texture_LoadImage(image, imageSize, false);
            if (texture_ == 0) break;
            imageWidth = hge_->Texture_Width(texture_, true);
            imageHeight = hge_->Texture_Height(texture_, true);
            continue;
        }
        // Only a texture gives a size to check against; without one the glyph has no pixels.
        if (texture_ != 0 && (line.x < 0 || line.y < 0 || line.x + line.width > imageWidth ||
                              line.y + line.height > imageHeight)) {
            log.write("BitmapFont : Glyph %d lies outside the %dx%d bitmap", line.code, imageWidth,
                      imageHeight);
            continue;
        }
        auto sprite = std::make_unique<Sprite>(texture_, static_cast<float>(line.x), static_cast<float>(line.y),
                                               static_cast<float>(line.width), static_cast<float>(line.height));
        sprite->setColour(colour_);
        sprite->setZ(z_);
        sprite->setBlendMode(blend_);
        glyphs_[line.code] = std::move(sprite);
        preOffsets_[line.code] = static_cast<float>(line.preOffset);
        postOffsets_[line.code] = static_cast<float>(line.postOffset);
        height_ = std::max(height_, static_cast<float>(line.height));
    }
}

BitmapFont::~BitmapFont() {
    for (auto& glyph : glyphs_) glyph.reset();
    if (texture_ != 0) hge_->Texture_Release(texture_);
    hge_->System_Release();
}

const Sprite* BitmapFont::glyph(int code) const {
    return code >= 0 && code < 256 ? glyphs_[code].get() : nullptr;
}

float BitmapFont::preOffset(int code) const { return code >= 0 && code < 256 ? preOffsets_[code] : 0; }

float BitmapFont::postOffset(int code) const { return code >= 0 && code < 256 ? postOffsets_[code] : 0; }

int BitmapFont::glyphCount() const {
    return static_cast<int>(std::count_if(glyphs_.begin(), glyphs_.end(), [](const auto& g) { return g != nullptr; }));
}

Sprite* BitmapFont::drawnGlyph(unsigned char code, unsigned char* drawnCode) const {
    if (!glyphs_[code]) code = kFallbackGlyph;
    *drawnCode = code;
    return glyphs_[code].get();
}

float BitmapFont::stringWidth(const char* text, bool allLines) const {
    if (text == nullptr) return 0;
    float widest = 0;
    float line = 0;
    for (const char* p = text; *p; ++p) {
        if (isLineBreak(*p)) {
            widest = std::max(widest, line);
            line = 0;
            if (!allLines) break;
            continue;
        }
        unsigned char code;
        if (const Sprite* sprite = drawnGlyph(static_cast<unsigned char>(*p), &code)) {
            line += tracking_ + preOffsets_[code] + sprite->width() + postOffsets_[code];
        }
    }
    widest = std::max(widest, line);
    return widest * scale_ * proportion_;
}

float BitmapFont::lineStart(float x, int align, const char* line) const {
    switch (align & kAlignHorizontalMask) {
        case kAlignRight: return x - stringWidth(line, false);
        case kAlignCentre: return x - static_cast<int>(stringWidth(line, false) / 2);
        default: return x;
    }
}

void BitmapFont::Render(float x, float y, int align, const char* text) {
    if (text == nullptr) return;
    const float advanceScale = scale_ * proportion_;
    float pen = lineStart(x, align, text);
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') {
            y += static_cast<int>(height_ * scale_ * spacing_);
            pen = lineStart(x, align, p + 1);
            continue;
        }
        // Text from outside ("\r\n" line ends) would otherwise show a "?" before each break.
        if (*p == '\r') continue;
        unsigned char code;
        Sprite* sprite = drawnGlyph(static_cast<unsigned char>(*p), &code);
        if (sprite == nullptr) continue;
        pen += preOffsets_[code] * advanceScale;
        sprite->RenderEx(pen, y, rotation_, advanceScale, scale_);
        pen += (postOffsets_[code] + sprite->width() + tracking_) * advanceScale;
    }
}

void BitmapFont::printf(float x, float y, int align, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const std::string text = formatBounded(format, arguments);
    va_end(arguments);
    Render(x, y, align, text.c_str());
}

void BitmapFont::printfBox(float x, float y, float width, float height, int align, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::string text = formatBounded(format, arguments);
    va_end(arguments);

    int breaks = 0;
    std::size_t lineBegin = 0;
    std::size_t position = 0;
    while (true) {
        const std::size_t wordBegin = position;
        while (position < text.size() && text[position] != ' ' && text[position] != '\n') ++position;
        const bool atEnd = position >= text.size();
        const std::string line = text.substr(lineBegin, position - lineBegin);
        bool brokeHere = false;
        if (stringWidth(line.c_str(), true) > width) {
            if (wordBegin == lineBegin) {
                // Too wide on its own: the word keeps the line and the next starts after it.
                if (!atEnd) {
                    text[position] = '\n';
                    lineBegin = position + 1;
                    ++breaks;
                    brokeHere = true;
                }
            } else {
                // A word only follows a space on its line, so this is that space.
                text[wordBegin - 1] = '\n';
                lineBegin = wordBegin;
                ++breaks;
            }
        }
        if (atEnd) break;
        if (text[position] == '\n' && !brokeHere) {
            lineBegin = position + 1;
            ++breaks;
        }
        ++position;
    }
    const int lines = breaks + 1;

    switch (align & kAlignHorizontalMask) {
        case kAlignRight: x += width; break;
        case kAlignCentre: x += static_cast<int>(width / 2); break;
        default: break;
    }
    const float slack = height - spacing_ * height_ * scale_ * static_cast<float>(lines);
    switch (align & kAlignVerticalMask) {
        case kAlignBottom: y += slack; break;
        case kAlignMiddle: y += static_cast<int>(slack / 2); break;
        default: break;
    }
    Render(x, y, align, text.c_str());
}

void BitmapFont::setColour(std::uint32_t colour) {
    colour_ = colour;
    for (auto& glyph : glyphs_) {
        if (glyph) glyph->setColour(colour);
    }
}

void BitmapFont::setZ(float z) {
    z_ = z;
    for (auto& glyph : glyphs_) {
        if (glyph) glyph->setZ(z);
    }
}

void BitmapFont::setBlendMode(int blend) {
    blend_ = blend;
    for (auto& glyph : glyphs_) {
        if (glyph) glyph->setBlendMode(blend);
    }
}

std::unique_ptr<BitmapFont> loadEmbeddedFont(std::string_view stem) {
    const std::string name(stem);
    const auto description = assets::find(name + ".fnt");
    if (description.empty()) {
        HGE* hge = CreateEngine();
        hge->System_WriteLog("BitmapFont : No embedded font %s", name.c_str());
        hge->System_Release();
        return nullptr;
    }
    const auto image = assets::find(name + ".png");
    return std::make_unique<BitmapFont>(reinterpret_cast<const char*>(description.data()), description.size(),
                                        image.empty() ? nullptr : image.data(), image.size());
}

}  // namespace kestrel
