#include "screens/skin.h"

#include "assets/embedded.h"
#include "engine/log.h"

namespace kestrel {

namespace {

constexpr std::uint32_t kOpaqueWhite = 0xFFFFFFFF;

std::uint32_t whiteWithAlpha(int alpha) {
    if (alpha < 0) alpha = 0;
    if (alpha > 255) alpha = 255;
    return static_cast<std::uint32_t>(alpha) << 24 | 0x00FFFFFFu;
}

Vertex flatVertex(const ColouredPoint& point) {
    Vertex vertex;
    vertex.x = point.x;
    vertex.y = point.y;
    vertex.z = 0.0f;
    vertex.colour = point.colour;
    return vertex;
}

}  // namespace

Skin::Skin(HGE& hge, Log& log) : hge_(hge), log_(log) {}

Skin::~Skin() { release(); }

bool Skin::load() {
    release();
    const auto image = assets::find("skin.png");
    if (!image.empty()) texture_ = hge_.Texture_LoadImage(image.data(), image.size(), false);
    if (texture_ == 0) log_.write("createSprites : Unable to load skin.png, the screen is drawn without it");

    sprites_.reserve(skin::kSpriteCount);
    for (int index = 0; index < skin::kSpriteCount; ++index) {
        const skin::AtlasRect cut = skin::spriteCutRect(index);
        sprites_.push_back(std::make_unique<Sprite>(texture_, static_cast<float>(cut.x), static_cast<float>(cut.y),
                                                    static_cast<float>(cut.width), static_cast<float>(cut.height)));
    }
    framePieces_.reserve(skin::kFramePieceSetCount * skin::kFramePiecesPerSet);
    for (int set = 0; set < skin::kFramePieceSetCount; ++set) {
        for (int piece = 0; piece < skin::kFramePiecesPerSet; ++piece) {
            const skin::AtlasRect rect = skin::framePieceRect(set, piece);
            auto sprite = std::make_unique<Sprite>(texture_, static_cast<float>(rect.x), static_cast<float>(rect.y),
                                                   static_cast<float>(rect.width), static_cast<float>(rect.height));
            sprite->setColour(kOpaqueWhite);
            framePieces_.push_back(std::move(sprite));
        }
    }
    return texture_ != 0;
}

void Skin::release() {
    framePieces_.clear();
    sprites_.clear();
    if (texture_ != 0) {
        hge_.Texture_Release(texture_);
        texture_ = 0;
    }
}

void Skin::applyAnchors() {
    for (int index : {skin::kSensitivityRim, skin::kGlow, skin::kConnectMessage}) {
        if (!validSprite(index)) continue;
        const skin::AnchorPoint anchor = skin::spriteAnchor(index);
        sprites_[index]->setHotSpot(anchor.x, anchor.y);
    }
}

SpriteSize Skin::spriteSize(int index) const {
    if (index < 0 || index >= skin::kSpriteCount) return {};
    const skin::AtlasRect cut = skin::spriteCutRect(index);
    return {cut.width, cut.height};
}

void Skin::drawSprite(int index, int alpha, int x, int y, int width, int height) {
    if (texture_ == 0 || !validSprite(index)) return;
    Sprite& sprite = *sprites_[index];
    sprite.setColour(whiteWithAlpha(alpha));
    sprite.RenderStretch(static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + width),
                         static_cast<float>(y + height));
}

void Skin::drawAt(int index, int alpha, float x, float y) {
    if (texture_ == 0 || !validSprite(index)) return;
    Sprite& sprite = *sprites_[index];
    sprite.setColour(whiteWithAlpha(alpha));
    sprite.Render(x, y);
}

void Skin::drawFlatQuad(const std::array<ColouredPoint, 4>& corners) {
    Quad quad;
    for (int i = 0; i < 4; ++i) quad.v[i] = flatVertex(corners[i]);
    quad.tex = 0;
    quad.blend = kBlendDefault;
    hge_.Gfx_DrawQuad(quad);
}

void Skin::drawFlatTriangle(const std::array<ColouredPoint, 3>& corners) {
    Triangle triangle;
    for (int i = 0; i < 3; ++i) triangle.v[i] = flatVertex(corners[i]);
    triangle.tex = 0;
    triangle.blend = kBlendDefault;
    hge_.Gfx_DrawTriangle(triangle);
}

void Skin::drawFilledRect(float x, float y, float width, float height, std::uint32_t colour) {
    Quad quad;
    const float xs[4] = {x, x + width, x + width, x};
    const float ys[4] = {y, y, y + height, y + height};
    for (int i = 0; i < 4; ++i) {
        quad.v[i].x = xs[i];
        quad.v[i].y = ys[i];
        quad.v[i].z = 0.5f;
        quad.v[i].colour = colour;
    }
    quad.tex = 0;
    quad.blend = kBlendDefault;
    hge_.Gfx_DrawQuad(quad);
}

void Skin::drawFrameBox(int width, int height, int x, int y) {
    drawNinePieces(skin::kFrameSetLarge, 20, width, height, x, y);
}

void Skin::drawSmallBox(int width, int height, int x, int y, int pieceSet) {
    if (pieceSet != skin::kFrameSetSmallOutlined && pieceSet != skin::kFrameSetSmallFilled) return;
    drawNinePieces(pieceSet, 10, width, height, x, y);
}

void Skin::drawNinePieces(int set, int corner, int width, int height, int x, int y) {
    if (texture_ == 0 || framePieces_.empty()) return;
    // A box smaller than its two corners still gets a 1-px middle, so the corners never
    // overlap into each other's place.
    int innerWidth = width - 2 * corner;
    int innerHeight = height - 2 * corner;
    if (innerWidth < 0) innerWidth = 1;
    if (innerHeight < 0) innerHeight = 1;
    const float x0 = static_cast<float>(x);
    const float y0 = static_cast<float>(y);
    const float x1 = static_cast<float>(x + corner);
    const float y1 = static_cast<float>(y + corner);
    const float xr = static_cast<float>(x + corner + innerWidth);
    const float yb = static_cast<float>(y + corner + innerHeight);
    const float c = static_cast<float>(corner);
    const float left[9] = {x0, x1, xr, x0, x1, xr, x0, x1, xr};
    const float top[9] = {y0, y0, y0, y1, y1, y1, yb, yb, yb};
    const float right[9] = {x1, xr, xr + c, x1, xr, xr + c, x1, xr, xr + c};
    const float bottom[9] = {y1, y1, y1, yb, yb, yb, yb + c, yb + c, yb + c};
    for (int piece = 0; piece < skin::kFramePiecesPerSet; ++piece) {
        framePieces_[static_cast<std::size_t>(set * skin::kFramePiecesPerSet + piece)]->RenderStretch(
            left[piece], top[piece], right[piece], bottom[piece]);
    }
}

const Sprite* Skin::sprite(int index) const { return validSprite(index) ? sprites_[index].get() : nullptr; }

const Sprite* Skin::framePiece(int set, int piece) const {
    const std::size_t slot = static_cast<std::size_t>(set * skin::kFramePiecesPerSet + piece);
    if (set < 0 || piece < 0 || piece >= skin::kFramePiecesPerSet || slot >= framePieces_.size()) return nullptr;
    return framePieces_[slot].get();
}

}  // namespace kestrel
