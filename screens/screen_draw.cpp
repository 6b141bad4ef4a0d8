// The whole window, painted once per frame: both pages on their strip, the fixed bottom area,
// the palette and the labels of the working mapping, the widget panels and the box of the
// current state. Reads the screen's state and changes none of it.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/bitmap_font.h"
#include "screens/main_layout.h"
#include "screens/screens.h"

namespace kestrel {

namespace {

constexpr int kOpaque = 255;
constexpr int kDimmed = 128;
constexpr std::uint32_t kSeparatorDark = 0xFF000000;
constexpr std::uint32_t kSeparatorLight = 0xFF4C4C4C;
constexpr std::uint32_t kHintColour = 0xFFFFC000;
constexpr int kHintLineHeight = 26;
constexpr int kHintMargin = 30;
constexpr float kLineDepth = 0.5f;
constexpr int kSeparatorTop = 414;
constexpr int kSeparatorBottom = 593;
// The progress bar drawn into the firmware warning panel, in the panel's own colours: the
// inside of its track (sprite pixels), the track ink and the accent gradient of the fill.
constexpr int kFirmwareBarLeft = 113;
constexpr int kFirmwareBarTop = 147;
constexpr int kFirmwareBarWidth = 306;
constexpr int kFirmwareBarHeight = 7;
constexpr int kFirmwareLineTop = 158;
constexpr std::uint32_t kFirmwareBarTrack = 0xFF111316;
constexpr std::uint32_t kFirmwareBarDark = 0xFFC8620A;
constexpr std::uint32_t kFirmwareBarLight = 0xFFFFAE57;
constexpr std::uint32_t kFirmwareLineColour = 0xFFA3ABB6;

struct StateAlphas {
    int main;     // everything of the main screen
    int palette;  // palette, labels, Select Mode heading: full only while editing is possible
};

StateAlphas alphasFor(int state) {
    if (state == kScreenNoWheel || state == kScreenPresetList) return {kDimmed, kDimmed};
    if (state == kScreenMainPage) return {kOpaque, kOpaque};
    return {kOpaque, kDimmed};
}

struct Point {
    int x;
    int y;
};

// Where the arrow of a label is drawn, and its sprite, for a label anchor at (x, y).
struct LabelArrow {
    int sprite;
    Point at;
};

LabelArrow labelArrow(int side, int x, int y) {
    switch (side) {
    case kLabelRight: return {skin::kArrowLeft, {x, y - 12}};
    case kLabelLeft: return {skin::kArrowRight, {x - 20, y - 13}};
    case kLabelBelow: return {skin::kArrowUp, {x - 13, y}};
    default: return {skin::kArrowDown, {x - 13, y - 20}};
    }
}

Point labelIcon(int side, int x, int y, SpriteSize icon) {
    switch (side) {
    case kLabelRight: return {x + 18, y - 13};
    case kLabelLeft: return {x - icon.width - 18, y - 14};
    case kLabelBelow: return {x - icon.width / 2, y + 18};
    default: return {x - icon.width / 2, y - icon.height - 18};
    }
}

int consoleRow(int mode) { return mode == kConsolePs3 ? 1 : 0; }

}  // namespace

void Screens::drawScreen() {
    const int state = context_.states.ScreenState;
    const StateAlphas alpha = alphasFor(state);
    const int mainOff = pages_.mainOffset;
    const int sensOff = pages_.sensitivityOffset;

    skin_.drawSprite(skin::kShadeTop, kOpaque, 0, 0, layout::kScreenWidth, layout::kTopAreaBottom);
    const SpriteSize mesh = skin_.spriteSize(skin::kMeshTile);
    for (int x = 0; mesh.width > 0 && x < layout::kScreenWidth; x += mesh.width) {
        skin_.drawAt(skin::kMeshTile, kOpaque, static_cast<float>(x), 53.0f);
        skin_.drawAt(skin::kMeshTile, kOpaque, static_cast<float>(x), static_cast<float>(53 + mesh.height));
    }
    skin_.drawAt(skin::kRemapTabLabel, alpha.main, 80, 8);
    skin_.drawAt(skin::kSensitivityTabLabel, alpha.main, 220, 8);
    skin_.drawAt(skin::kWheelFront, alpha.main, static_cast<float>(mainOff + skin::kWheelFrontPosition.x),
                 static_cast<float>(skin::kWheelFrontPosition.y));
    skin_.drawAt(skin::kWheelSide, alpha.main, static_cast<float>(mainOff + skin::kWheelSidePosition.x),
                 static_cast<float>(skin::kWheelSidePosition.y));
    skin_.drawAt(skin::kSensitivityRim, alpha.main, static_cast<float>(sensOff + skin::kSensitivityRimPosition.x),
                 static_cast<float>(skin::kSensitivityRimPosition.y));

    skin_.drawSprite(skin::kShadeBottom, kOpaque, 0, layout::kTopAreaBottom, layout::kScreenWidth,
                     layout::kScreenHeight - layout::kTopAreaBottom);
    skin_.drawAt(skin::kLogo, alpha.main, 548, 502);
    drawSeparators();
    skin_.drawAt(skin::kPaletteHeading, alpha.main, 22, 373);

    if (switchValue_ != 0.0) {
        drawAnimatedPaletteAndLabels(alpha.palette);
    } else {
        drawPaletteAndLabels(alpha.palette);
    }

    skin_.drawAt(skin::kAssignPanel, alpha.main, 278, 416);
    skin_.drawAt(skin::kAssignHeading, alpha.main, 282, 373);
    skin_.drawAt(skin::kSelectModeHeading, alpha.palette, 282, 516);
    skin_.drawAt(skin::kConsolePanel, alpha.main, 278, 537);
    skin_.drawAt(skin::kRumbleHeading, alpha.main, 548, 373);
    skin_.drawAt(skin::kPedalsHeading, alpha.main, 549, 413);
    skin_.drawAt(skin::kPedalPressureHeading, alpha.main, 548, 475);

    for (UIPanel* panel : {windowPanel_.get(), mainPanel_.get(), consolePanel_.get(), sensitivityPanel_.get()}) {
        if (panel) panel->drawAll();
    }
    drawOverlay();
}

void Screens::drawSeparators() {
    HGE& hge = context_.hge;
    struct Horizontal {
        int x, y, length;
    };
    for (const Horizontal& line : {Horizontal{17, 399, 768}, Horizontal{282, 502, 236}, Horizontal{548, 502, 236}}) {
        const float x1 = static_cast<float>(line.x);
        const float x2 = static_cast<float>(line.x + line.length);
        const float y = static_cast<float>(line.y);
        hge.Gfx_DrawLine(x1, y, x2, y, kSeparatorDark, kLineDepth);
        hge.Gfx_DrawLine(x1, y + 1, x2, y + 1, kSeparatorLight, kLineDepth);
    }
    for (int x : {253, 533}) {
        const float fx = static_cast<float>(x);
        hge.Gfx_DrawLine(fx, kSeparatorTop, fx, kSeparatorBottom, kSeparatorLight, kLineDepth);
        hge.Gfx_DrawLine(fx + 1, kSeparatorTop, fx + 1, kSeparatorBottom, kSeparatorDark, kLineDepth);
    }
}

void Screens::drawPaletteAndLabels(int paletteAlpha) {
    const ConfigurationModel& model = context_.model;
    const auto& sprites = kPaletteSprite[consoleRow(model.ConsoleMode)];
    for (int palette = 0; palette < kPaletteCount; ++palette) {
        const ScreenRect& button = kPaletteButton[palette];
        skin_.drawAt(sprites[palette], paletteAlpha, static_cast<float>(button.x), static_cast<float>(button.y));
    }
    if (context_.states.ScreenState == kScreenSensitivityPage) return;
    for (int dest = 0; dest < kDestinationCount; ++dest) {
        const int palette = model.WorkingMapping[dest];
        if (palette < 0 || palette >= kPaletteCount) continue;
        const DestHotspot& spot = kDestHotspot[dest];
        const int x = pages_.mainOffset + spot.labelX;
        const LabelArrow arrow = labelArrow(spot.side, x, spot.labelY);
        const Point icon = labelIcon(spot.side, x, spot.labelY, skin_.spriteSize(sprites[palette]));
        skin_.drawAt(arrow.sprite, paletteAlpha, static_cast<float>(arrow.at.x), static_cast<float>(arrow.at.y));
        skin_.drawAt(sprites[palette], paletteAlpha, static_cast<float>(icon.x), static_cast<float>(icon.y));
    }
}

void Screens::drawAnimatedPaletteAndLabels(int paletteAlpha) {
    const ConfigurationModel& model = context_.model;
    const auto& sprites = kPaletteSprite[consoleRow(model.ConsoleMode)];
    const int sink = static_cast<int>(std::trunc(switchValue_ * layout::kSwitchSinkPixels));
    const int slide = static_cast<int>(std::trunc(switchValue_ * layout::kSwitchSlidePixels));
    for (int palette = 0; palette < kPaletteCount; ++palette) {
        const ScreenRect& button = kPaletteButton[palette];
        skin_.drawAt(sprites[palette], paletteAlpha, static_cast<float>(button.x), static_cast<float>(button.y + sink));
    }
    for (int dest = 0; dest < kDestinationCount; ++dest) {
        const int palette = model.WorkingMapping[dest];
        if (palette < 0 || palette >= kPaletteCount) continue;
        const DestHotspot& spot = kDestHotspot[dest];
        const Point icon = labelIcon(spot.side, pages_.mainOffset + spot.labelX, spot.labelY,
                                     skin_.spriteSize(sprites[palette]));
        skin_.drawAt(sprites[palette], kOpaque, static_cast<float>(icon.x - slide), static_cast<float>(icon.y));
    }
}

void Screens::drawOverlay() {
    const int state = context_.states.ScreenState;
    // Each box is centred on the sprite it frames, lifted 100 px above the window's centre.
    auto centred = [this](int sprite) {
        const SpriteSize size = skin_.spriteSize(sprite);
        return std::pair<SpriteSize, Point>{size, {(layout::kScreenWidth - size.width) / 2,
                                                   (layout::kScreenHeight - size.height) / 2}};
    };
    switch (state) {
    case kScreenNoWheel: {
        const auto [size, c] = centred(skin::kConnectIllustration);
        int boxWidth = size.width + 60;
        int boxHeight = size.height + 92;
        int boxX = c.x - 30;
        const bool hint = hintFont_ && !noWheelHint_.empty();
        if (hint) {
            // The hint gets lines of its own under the message, and the box widens to hold them.
            const auto lines = 1 + std::count(noWheelHint_.begin(), noWheelHint_.end(), '\n');
            boxHeight += kHintLineHeight * static_cast<int>(lines);
            const int textWidth = static_cast<int>(hintFont_->stringWidth(noWheelHint_.c_str())) + 2 * kHintMargin;
            if (textWidth > boxWidth) {
                boxWidth = textWidth;
                boxX = (layout::kScreenWidth - boxWidth) / 2;
            }
        }
        skin_.drawFrameBox(boxWidth, boxHeight, boxX, c.y - 130);
        skin_.drawAt(skin::kConnectIllustration, kOpaque, static_cast<float>(c.x), static_cast<float>(c.y - 100));
        skin_.drawAt(skin::kConnectMessage, kOpaque, layout::kScreenWidth / 2.0f, static_cast<float>(c.y + 129));
        if (hint) drawNoWheelHint(layout::kScreenWidth / 2, c.y + 150);
        break;
    }
    case kScreenSaving:
    case kScreenSavingAfterReset: {
        const auto [size, c] = centred(skin::kPleaseWait);
        skin_.drawFrameBox(size.width + 80, size.height + 50, c.x - 40, c.y - 125);
        skin_.drawAt(skin::kPleaseWait, kOpaque, static_cast<float>(c.x), static_cast<float>(c.y - 100));
        break;
    }
    case kScreenFirmwareUpdate: {
        const auto [size, c] = centred(skin::kFirmwareWarning);
        skin_.drawFrameBox(size.width + 60, size.height + 60, c.x - 30, c.y - 130);
        skin_.drawAt(skin::kFirmwareWarning, kOpaque, static_cast<float>(c.x), static_cast<float>(c.y - 100));
        drawFirmwareProgress(c.x, c.y - 100);
        break;
    }
    case kScreenPresetList:
        if (presets_) presets_->draw();
        break;
    default:
        if (drag_.dragging && !drag_.item.hidden) {
            const DragItem& item = drag_.item;
            skin_.drawSprite(item.sprite, static_cast<int>(item.alpha * 255.0f), item.left, item.top, item.width,
                             item.height);
        }
        break;
    }
}

// The panel's bar shows how much of the image was sent, and a line under it what the update
// is doing.
void Screens::drawFirmwareProgress(int panelX, int panelY) {
    const FirmwareProgress& progress = firmwareProgress_;
    const float x = static_cast<float>(panelX + kFirmwareBarLeft);
    const float y = static_cast<float>(panelY + kFirmwareBarTop);
    const float height = static_cast<float>(kFirmwareBarHeight);
    skin_.drawFilledRect(x, y, static_cast<float>(kFirmwareBarWidth), height, kFirmwareBarTrack);
    if (progress.chunkCount > 0 && progress.chunksSent > 0) {
        const float done = static_cast<float>(kFirmwareBarWidth) *
                           static_cast<float>(std::min(progress.chunksSent, progress.chunkCount)) /
                           static_cast<float>(progress.chunkCount);
        skin_.drawFlatQuad({ColouredPoint{x, y, kFirmwareBarDark}, ColouredPoint{x + done, y, kFirmwareBarLight},
                            ColouredPoint{x + done, y + height, kFirmwareBarLight},
                            ColouredPoint{x, y + height, kFirmwareBarDark}});
    }
    if (!hintFont_) return;

    char line[96];
    switch (progress.phase) {
    case FirmwareProgress::Phase::Flashing:
        if (progress.chunkCount == 0) {
            std::snprintf(line, sizeof line, "Preparing the update");
        } else {
            std::snprintf(line, sizeof line, "Sending the firmware: %zu of %zu chunks", progress.chunksSent,
                          progress.chunkCount);
        }
        break;
    case FirmwareProgress::Phase::WaitingForOldNode:
    case FirmwareProgress::Phase::WaitingForWheel:
        std::snprintf(line, sizeof line, "All %zu chunks sent: the wheel is restarting", progress.chunkCount);
        break;
    case FirmwareProgress::Phase::Finishing:
        std::snprintf(line, sizeof line, "The wheel is back: finishing the update");
        break;
    }
    hintFont_->setColour(kFirmwareLineColour);
    hintFont_->Render(x, static_cast<float>(panelY + kFirmwareLineTop), kAlignLeft, line);
    hintFont_->setColour(0xFFFFFFFF);  // the font is shared; others expect it white
}

void Screens::drawNoWheelHint(int centreX, int y) {
    if (!hintFont_ || noWheelHint_.empty()) return;
    hintFont_->setColour(kHintColour);
    hintFont_->Render(static_cast<float>(centreX), static_cast<float>(y), kAlignCentre, noWheelHint_.c_str());
    hintFont_->setColour(0xFFFFFFFF);  // the font is shared; others expect it white
}

}  // namespace kestrel
