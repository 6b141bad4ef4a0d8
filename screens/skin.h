#pragma once
// The skin: the atlas texture, the 127 sprites cut from it and the three frame-piece sets,
// drawn through the engine. It is the SpriteSheet every widget of the screens draws through,
// and it draws the screen's own boxes.
//
//   Skin skin(hge, log);
//   skin.load();                              // texture, sprites, frame pieces
//   skin.drawSprite(index, alpha, x, y, w, h) // stretched, as the widgets draw
//   skin.drawAt(index, alpha, x, y)           // at the sprite's anchor, natural size
//   skin.drawFrameBox(w, h, x, y)             // 20-px pieces (dialogs)
//   skin.drawSmallBox(w, h, x, y, set)        // 10-px pieces, outlined or filled
//   skin.release();
//
// Without the atlas (missing or undecodable image) every size is still known, so widgets lay
// out as usual, but nothing textured is drawn: a blank screen rather than white boxes.
#include <array>
#include <memory>
#include <vector>

#include "engine/hge.h"
#include "engine/sprite.h"
#include "screens/sprite_table.h"
#include "ui/sprite_sheet.h"

namespace kestrel {

class Log;

class Skin final : public SpriteSheet {
public:
    Skin(HGE& hge, Log& log);
    ~Skin() override;
    Skin(const Skin&) = delete;
    Skin& operator=(const Skin&) = delete;

    // Loads the embedded "skin.png" and cuts the sprites and frame pieces. False (with a log
    // line) when the image cannot be loaded; the sprites exist either way.
    bool load();
    // Gives the sprites, the frame pieces and the texture back; safe to call twice.
    void release();
    bool loaded() const { return !sprites_.empty(); }
    bool hasTexture() const { return texture_ != 0; }

    // The three sprites the screen draws around a point other than their top-left corner.
    void applyAnchors();

    SpriteSize spriteSize(int index) const override;
    void drawSprite(int index, int alpha, int x, int y, int width, int height) override;
    void drawFlatQuad(const std::array<ColouredPoint, 4>& corners) override;
    void drawFlatTriangle(const std::array<ColouredPoint, 3>& corners) override;

    // At (x, y) measured from the sprite's anchor, at its own size.
    void drawAt(int index, int alpha, float x, float y);
    // A filled, untextured rectangle at depth 0.5.
    void drawFilledRect(float x, float y, float width, float height, std::uint32_t colour);

    // Nine-piece boxes covering x..x + width, y..y + height.
    void drawFrameBox(int width, int height, int x, int y);
    void drawSmallBox(int width, int height, int x, int y, int pieceSet);

    // The sprite objects, for tests that check how they were cut.
    const Sprite* sprite(int index) const;
    const Sprite* framePiece(int set, int piece) const;

private:
    void drawNinePieces(int set, int corner, int width, int height, int x, int y);
    bool validSprite(int index) const { return index >= 0 && index < static_cast<int>(sprites_.size()); }

    HGE& hge_;
    Log& log_;
    TextureHandle texture_ = 0;
    std::vector<std::unique_ptr<Sprite>> sprites_;
    std::vector<std::unique_ptr<Sprite>> framePieces_;  // set * 9 + piece
};

}  // namespace kestrel
