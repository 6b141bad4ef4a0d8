// Drawing of the preset window. Kept apart from the widget code: the font and the widget images
// each name their own alignment constants.
#include "engine/bitmap_font.h"
#include "screens/preset_list.h"
#include "screens/sprite_table.h"

namespace kestrel {

using namespace preset_layout;

void PresetList::draw() {
    if (!window_) return;
    Skin& skin = context_.skin;
    skin.drawFrameBox(kWindowWidth, kWindowHeight, kWindowX, kWindowY);
    skin.drawSmallBox(kListWidth + 20, 100, kListX - 10, kListY + kNoteBoxOffset, skin::kFrameSetSmallOutlined);
    if (largeFont_) {
        largeFont_->setColour(kWhite);
        largeFont_->Render(static_cast<float>(kWindowX + 20), static_cast<float>(kWindowY + 15), kAlignLeft,
                           kPresetWindowTitle);
    }
    if (smallFont_) {
        const int preset = selectedPreset();
        // The note is shown as it stands: a "%" in it is text, not a format.
        if (preset < 0) {
            smallFont_->setColour(kOrange);
            smallFont_->printfBox(120, 340, 560, 80, kAlignLeft, "%s", kNoPresetSelectedText);
        } else {
            smallFont_->setColour(kWhite);
            smallFont_->printfBox(120, 340, 560, 80, kAlignLeft, "%s", context_.online.presets[preset].note);
        }
        smallFont_->setColour(kWhite);  // the font is shared; others expect it white
    }
    window_->drawAll();
}

void PresetList::drawListPart(const UIListDrawRecord& part) {
    Skin& skin = context_.skin;
    HGE& hge = context_.hge;
    const float x = static_cast<float>(part.x);
    const float y = static_cast<float>(part.y);
    const float width = static_cast<float>(part.width);
    const float height = static_cast<float>(part.height);
    if (part.kind & kListRow) {
        if (part.kind & kListHovered) skin.drawFilledRect(x, y - 2, width, height, kHoverRow);
        const auto* preset = reinterpret_cast<const PresetRecord*>(part.data);
        if (preset && largeFont_) {
            largeFont_->setColour((part.kind & kListActive) ? kOrange : kWhite);
            largeFont_->Render(x + 10, y, kAlignLeft, preset->name);
            largeFont_->setColour(kWhite);
        }
    } else if (part.kind & kListThumb) {
        std::uint32_t colour = kOrange;
        if (part.kind & kListActive) colour = kThumbDragged;
        if (part.kind & kListHovered) colour = kThumbHover;
        skin.drawFilledRect(x + 2, y + 2, width - 5, height - 5, colour);
        const float middle = static_cast<float>(part.y + part.height / 2);
        const float left = x + 6;
        const float right = x + width - 7;
        hge.Gfx_DrawLine(left, middle - 3, right, middle - 3, kGripLight);
        hge.Gfx_DrawLine(left, middle - 2, right, middle - 2, kGripDark);
        hge.Gfx_DrawLine(left, middle + 3, right, middle + 3, kGripLight);
        hge.Gfx_DrawLine(left, middle + 4, right, middle + 4, kGripDark);
    } else if (part.kind & kListTrack) {
        skin.drawFilledRect(x, y, width, height, 0xFF000000);
        hge.Gfx_DrawLine(x, y, x + width, y, kOrange);
        hge.Gfx_DrawLine(x + width, y, x + width, y + height, kOrange);
        hge.Gfx_DrawLine(x + width, y + height, x, y + height, kOrange);
        hge.Gfx_DrawLine(x, y + height, x, y - 1, kOrange);
    } else if (part.kind & kListBackground) {
        skin.drawSmallBox(part.width + 20, part.height + 20, part.x - 10, part.y - 10, skin::kFrameSetSmallFilled);
    }
}

}  // namespace kestrel
