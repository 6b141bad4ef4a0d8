#pragma once
// The skin atlas: where each of the 127 sprites of the main screen lies in the 1024 x 1024
// skin image, the three 3 x 3 frame-piece sets, and the few placements the screen and the
// skin generator must agree on. The program cuts its sprites from these rectangles and the
// generator draws into exactly them, so this header is the only copy of the layout.
//
//   SpriteIndex          named sprite numbers (0..126)
//   kSpriteRects         atlas rectangle of every sprite
//   spriteCutRect()      the rectangle the program cuts (shade strips lose 2 px each side)
//   spriteAnchor()       the anchor a sprite ends up with after the screen build
//   kWidgetSprites       the sprite triples of the buttons and checks
//   kFramePieceSets      the three frame-piece sets, framePieceRect()
//   kWheelFrontPosition  where the main page draws its pictures
#include <array>
#include <cstddef>

namespace kestrel::skin {

constexpr int kAtlasSize = 1024;
constexpr int kSpriteCount = 127;

struct AtlasRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    constexpr int right() const { return x + width; }
    constexpr int bottom() const { return y + height; }
    constexpr bool contains(int px, int py) const {
        return px >= x && px < x + width && py >= y && py < y + height;
    }
    friend constexpr bool operator==(const AtlasRect&, const AtlasRect&) = default;
};

// Button and check sprites are named by the state the widget shows them in, not by their
// position in the atlas: the Xbox 360 check keeps its checked picture after its hover picture.
enum SpriteIndex : int {
    kAboutNormal = 0,
    kAboutPressed = 1,
    kAboutHover = 2,
    kAssignPanel = 3,
    kAssignSettingNormal = 4,
    kAssignSettingPressed = 5,
    kAssignSettingHover = 6,
    kAssignHeading = 7,
    kDotBlue = 8,
    kShadeBottom = 9,
    kLogo = 10,
    kBlank = 11,
    kPresetsNormal = 12,
    kPresetsPressed = 13,
    kPresetsHover = 14,
    kPaletteHeading = 15,
    kCancelNormal = 16,
    kCancelPressed = 17,
    kCancelHover = 18,
    kDotWhite = 19,
    kCloseNormal = 20,
    kClosePressed = 21,
    kCloseHover = 22,
    kConsolePanel = 23,
    kFrameLarge = 24,
    kThinLine = 25,
    kDotGreen = 26,
    kMeshTile = 27,
    kSensitivityRim = 28,
    kHelpNormal = 29,
    kHelpPressed = 30,
    kHelpHover = 31,
    kFrameSmallOutlined = 32,
    kFrameSmallFilled = 33,
    kShadeTop = 34,
    kRingRed = 35,
    kRingYellow = 36,
    kMinimiseNormal = 37,
    kMinimisePressed = 38,
    kMinimiseHover = 39,
    kConnectIllustration = 40,
    kOkNormal = 41,
    kOkPressed = 42,
    kOkHover = 43,
    kDotOrange = 44,
    kGlow = 45,
    kRumbleOffNormal = 46,
    kRumbleOffChecked = 47,
    kRumbleOffHover = 48,
    kRumbleHighNormal = 49,
    kRumbleHighChecked = 50,
    kRumbleHighHover = 51,
    kRumbleMediumNormal = 52,
    kRumbleMediumChecked = 53,
    kRumbleMediumHover = 54,
    kPedalsHeading = 55,
    kPedalPressureHeading = 56,
    kPedalsPicture = 57,
    kDotMagenta = 58,
    kPleaseWait = 59,
    kDarkBar = 60,
    kPs3Normal = 61,
    kPs3Checked = 62,
    kPs3Hover = 63,
    kPressureTrack = 64,
    kDotRed = 65,
    kRemapTabLabel = 66,
    kRemapTabNormal = 67,
    kRemapTabChecked = 68,
    kRemapTabHover = 69,
    kResetLayoutNormal = 70,
    kResetLayoutPressed = 71,
    kResetLayoutHover = 72,
    kRumbleHeading = 73,
    kSelectModeHeading = 74,
    kPedalsIconNormal = 75,
    kPedalsIconPressed = 76,
    kPedalsIconHover = 77,
    kSensitivityTabLabel = 78,
    kSensitivityTabNormal = 79,
    kSensitivityTabChecked = 80,
    kSensitivityTabHover = 81,
    kSliderKnob = 82,
    kIconA = 83,
    kIconRightStickDown = 84,
    kIconRightStickLeft = 85,
    kIconRightStickRight = 86,
    kIconRightStickUp = 87,
    kIconB = 88,
    kIconCircle = 89,
    kIconCross = 90,
    kIconDpadDown = 91,
    kIconWheelHardLeft = 92,
    kIconWheelHardRight = 93,
    kIconLeftStickClick = 94,
    kIconL1 = 95,
    kIconL2 = 96,
    kIconL3 = 97,
    kIconLB = 98,
    kIconDpadLeft = 99,
    kIconLT = 100,
    kIconRightStickClick = 101,
    kIconR1 = 102,
    kIconR2 = 103,
    kIconR3 = 104,
    kIconRB = 105,
    kIconDpadRight = 106,
    kIconRT = 107,
    kIconSteeringBoost = 108,
    kIconSquare = 109,
    kIconTriangle = 110,
    kIconDpadUp = 111,
    kIconX = 112,
    kIconY = 113,
    kArrowDown = 114,
    kArrowLeft = 115,
    kArrowRight = 116,
    kArrowUp = 117,
    kShadeShort = 118,
    kFirmwareWarning = 119,
    kConnectMessage = 120,
    kWheelFront = 121,
    kWheelSide = 122,
    kXbox360Normal = 123,
    kXbox360Hover = 124,
    kXbox360Checked = 125,
    kDotYellow = 126,
};

constexpr std::array<AtlasRect, kSpriteCount> kSpriteRects{{
    {983, 78, 38, 39},  // 0 about button (letter i), state 1
    {983, 119, 38, 39},  // 1 about button, state 2
    {983, 160, 38, 39},  // 2 about button, state 3
    {0, 732, 234, 77},  // 3 dark rounded panel (Assign area background)
    {236, 786, 110, 70},  // 4 Assign Setting button, state 1
    {517, 560, 110, 70},  // 5 Assign Setting, state 2
    {349, 741, 110, 70},  // 6 Assign Setting, state 3
    {752, 508, 51, 19},  // 7 Assign heading
    {411, 397, 8, 9},  // 8 small blue dot
    {591, 736, 8, 244},  // 9 vertical shade strip (bottom-area background, stretched)
    {0, 896, 231, 91},  // 10 product logo
    {427, 214, 2, 2},  // 11 blank
    {302, 430, 97, 34},  // 12 Presets button, state 1
    {696, 422, 97, 34},  // 13 Presets, state 2
    {517, 632, 97, 34},  // 14 Presets, state 3
    {0, 989, 173, 19},  // 15 Buttons  drag and drop button heading
    {884, 285, 78, 34},  // 16 Cancel button, state 1
    {348, 830, 78, 34},  // 17 Cancel, state 2
    {640, 542, 78, 34},  // 18 Cancel, state 3
    {1005, 29, 16, 16},  // 19 white dot
    {996, 223, 25, 25},  // 20 close button (cross), state 1
    {996, 250, 25, 25},  // 21 close, state 2
    {834, 494, 25, 25},  // 22 close, state 3
    {0, 811, 234, 48},  // 23 dark panel (console buttons background)
    {884, 321, 60, 60},  // 24 rounded box, source of the 20-px frame pieces
    {631, 693, 4, 179},  // 25 thin vertical line
    {411, 408, 8, 9},  // 26 small green dot
    {696, 218, 186, 202},  // 27 diamond mesh tile (top-bar pattern)
    {449, 0, 419, 216},  // 28 wheel rim, top half (Sensitivity page)
    {668, 646, 25, 25},  // 29 help button (question mark), state 1
    {948, 379, 25, 25},  // 30 help, state 2
    {430, 902, 25, 25},  // 31 help, state 3
    {530, 740, 30, 30},  // 32 small outlined box, source of frame pieces set 1
    {851, 422, 30, 30},  // 33 small filled box, source of frame pieces set 2
    {1010, 310, 8, 356},  // 34 vertical shade strip (top-area background, stretched)
    {1005, 47, 15, 16},  // 35 red ring
    {281, 1002, 15, 16},  // 36 yellow ring
    {913, 419, 25, 25},  // 37 minimise button, state 1
    {525, 809, 25, 25},  // 38 minimise, state 2
    {398, 934, 25, 25},  // 39 minimise, state 3
    {0, 186, 425, 209},  // 40 illustration: plug the wheel into USB
    {348, 866, 54, 34},  // 41 OK button, state 1
    {795, 422, 54, 34},  // 42 OK, state 2
    {629, 578, 54, 34},  // 43 OK, state 3
    {411, 419, 8, 9},  // 44 small orange dot
    {404, 866, 32, 32},  // 45 circular glow
    {752, 458, 51, 23},  // 46 rumble Off, state 1
    {752, 483, 51, 23},  // 47 rumble Off, state 2 (yellow)
    {461, 777, 51, 23},  // 48 rumble Off, state 3
    {629, 614, 51, 23},  // 49 rumble High, state 1
    {316, 930, 51, 23},  // 50 rumble High, state 2 (red)
    {964, 285, 51, 23},  // 51 rumble High, state 3
    {348, 902, 51, 23},  // 52 rumble Medium, state 1
    {586, 668, 51, 23},  // 53 rumble Medium, state 2 (orange)
    {443, 813, 51, 23},  // 54 rumble Medium, state 3
    {233, 1002, 46, 17},  // 55 Pedals heading
    {870, 62, 129, 14},  // 56 Set pedal pressure heading
    {0, 430, 300, 300},  // 57 pedals picture
    {401, 457, 8, 9},  // 58 small magenta dot
    {870, 29, 133, 31},  // 59 Please Wait
    {0, 861, 234, 33},  // 60 dark bar
    {870, 78, 111, 43},  // 61 PS3 console button, state 1
    {870, 123, 111, 43},  // 62 PS3, state 2
    {527, 470, 111, 43},  // 63 PS3, state 3
    {302, 470, 223, 54},  // 64 pressure track with Low and Hi
    {411, 457, 8, 9},  // 65 small red dot
    {517, 704, 54, 34},  // 66 Remap tab label
    {517, 668, 67, 34},  // 67 Remap tab icon (wheel and pedals), state 1
    {233, 966, 67, 34},  // 68 Remap tab icon, state 2
    {461, 741, 67, 34},  // 69 Remap tab icon, state 3
    {236, 858, 110, 70},  // 70 Reset Layout button, state 1
    {884, 213, 110, 70},  // 71 Reset Layout, state 2
    {640, 470, 110, 70},  // 72 Reset Layout, state 3
    {175, 989, 56, 19},  // 73 Rumble heading
    {348, 813, 93, 15},  // 74 Select Mode heading
    {720, 542, 33, 34},  // 75 pedals icon, state 1
    {805, 458, 33, 34},  // 76 pedals icon, state 2
    {685, 578, 33, 34},  // 77 pedals icon, state 3
    {233, 930, 81, 34},  // 78 Sensitivity tab label
    {884, 383, 33, 34},  // 79 Sensitivity tab icon (wheel), state 1
    {946, 321, 33, 34},  // 80 Sensitivity tab icon, state 2
    {302, 966, 33, 34},  // 81 Sensitivity tab icon, state 3
    {496, 841, 14, 41},  // 82 slider knob
    {573, 704, 27, 30},  // 83 icon A
    {438, 838, 27, 30},  // 84 icon right stick down
    {514, 777, 27, 30},  // 85 icon right stick left
    {682, 614, 27, 30},  // 86 icon right stick right
    {755, 529, 27, 30},  // 87 icon right stick up
    {840, 458, 27, 30},  // 88 icon B
    {720, 578, 27, 30},  // 89 icon circle
    {805, 494, 27, 30},  // 90 icon cross
    {369, 927, 27, 30},  // 91 icon d-pad down
    {562, 740, 27, 30},  // 92 icon wheel hard left
    {981, 310, 27, 30},  // 93 icon wheel hard right
    {919, 383, 27, 30},  // 94 icon left stick click (Xbox 360)
    {337, 955, 27, 30},  // 95 icon L1
    {884, 419, 27, 30},  // 96 icon L2
    {401, 902, 27, 30},  // 97 icon L3
    {467, 838, 27, 30},  // 98 icon LB
    {602, 693, 27, 30},  // 99 icon d-pad left
    {639, 639, 27, 30},  // 100 icon LT
    {438, 870, 27, 30},  // 101 icon right stick click (Xbox 360)
    {496, 809, 27, 30},  // 102 icon R1
    {639, 671, 27, 30},  // 103 icon R2
    {784, 529, 27, 30},  // 104 icon R3
    {755, 561, 27, 30},  // 105 icon RB
    {543, 772, 27, 30},  // 106 icon d-pad right
    {981, 342, 27, 30},  // 107 icon RT
    {870, 0, 141, 27},  // 108 icon steering boost (wide bar)
    {337, 987, 27, 30},  // 109 icon square
    {711, 614, 27, 30},  // 110 icon triangle
    {602, 725, 27, 30},  // 111 icon d-pad up
    {869, 454, 27, 30},  // 112 icon X
    {366, 959, 27, 30},  // 113 icon Y
    {996, 201, 26, 20},  // 114 arrow pointing down
    {401, 430, 20, 25},  // 115 arrow pointing left
    {427, 186, 20, 26},  // 116 arrow pointing right
    {946, 357, 27, 20},  // 117 arrow pointing up
    {467, 870, 8, 61},  // 118 vertical shade strip (short)
    {0, 0, 447, 184},  // 119 firmware-update warning panel
    {0, 397, 409, 31},  // 120 Please connect your wheel via USB
    {302, 526, 213, 213},  // 121 wheel, front view
    {427, 218, 267, 250},  // 122 wheel, side view with paddles and gear stick
    {870, 168, 111, 43},  // 123 Xbox 360 console button, state 1
    {527, 515, 111, 43},  // 124 Xbox 360, state 2
    {236, 741, 111, 43},  // 125 Xbox 360, state 3
    {0, 1010, 8, 9},  // 126 small yellow dot
}};

constexpr const AtlasRect& spriteRect(int index) { return kSpriteRects[static_cast<std::size_t>(index)]; }

// The shade strips are stretched over whole screen areas; cutting them 2 px inside their
// rectangle keeps bilinear filtering from pulling in the transparent border around them.
constexpr bool isShadeStrip(int index) {
    return index == kShadeBottom || index == kShadeTop || index == kShadeShort;
}

constexpr AtlasRect spriteCutRect(int index) {
    AtlasRect rect = spriteRect(index);
    if (isShadeStrip(index)) {
        rect.x += 2;
        rect.width -= 4;
    }
    return rect;
}

enum class Anchor { TopLeft, BottomCentre, Centre };

// Anchor offset inside the sprite, in pixels, as the screen build leaves it.
struct AnchorPoint {
    float x = 0.0f;
    float y = 0.0f;
};

constexpr Anchor spriteAnchorKind(int index) {
    switch (index) {
    case kSensitivityRim: return Anchor::BottomCentre;
    case kGlow:
    case kConnectMessage: return Anchor::Centre;
    default: return Anchor::TopLeft;
    }
}

constexpr AnchorPoint spriteAnchor(int index) {
    const AtlasRect& rect = spriteRect(index);
    switch (spriteAnchorKind(index)) {
    case Anchor::BottomCentre: return {rect.width / 2.0f, static_cast<float>(rect.height)};
    case Anchor::Centre: return {rect.width / 2.0f, rect.height / 2.0f};
    case Anchor::TopLeft: break;
    }
    return {};
}

// In the order the widget constructors take them: normal, pressed (button) or checked
// (check), hover.
struct WidgetSprites {
    int normal;
    int active;
    int hover;
    bool isCheck;
};

constexpr std::array<WidgetSprites, 17> kWidgetSprites{{
    {kCloseNormal, kClosePressed, kCloseHover, false},
    {kMinimiseNormal, kMinimisePressed, kMinimiseHover, false},
    {kHelpNormal, kHelpPressed, kHelpHover, false},
    {kAboutNormal, kAboutPressed, kAboutHover, false},
    {kRemapTabNormal, kRemapTabChecked, kRemapTabHover, true},
    {kSensitivityTabNormal, kSensitivityTabChecked, kSensitivityTabHover, true},
    {kAssignSettingNormal, kAssignSettingPressed, kAssignSettingHover, false},
    {kResetLayoutNormal, kResetLayoutPressed, kResetLayoutHover, false},
    {kPresetsNormal, kPresetsPressed, kPresetsHover, false},
    {kRumbleOffNormal, kRumbleOffChecked, kRumbleOffHover, true},
    {kRumbleMediumNormal, kRumbleMediumChecked, kRumbleMediumHover, true},
    {kRumbleHighNormal, kRumbleHighChecked, kRumbleHighHover, true},
    {kXbox360Normal, kXbox360Checked, kXbox360Hover, true},
    {kPs3Normal, kPs3Checked, kPs3Hover, true},
    {kCancelNormal, kCancelPressed, kCancelHover, false},
    {kOkNormal, kOkPressed, kOkHover, false},
    {kPedalsIconNormal, kPedalsIconPressed, kPedalsIconHover, false},
}};

// Nine pieces cut row by row from a source sprite: top left, top, top right, left, centre,
// right, bottom left, bottom, bottom right.
struct FramePieceSet {
    int sourceSprite;
    int pieceSize;
};

enum FramePieceSetIndex : int { kFrameSetLarge = 0, kFrameSetSmallOutlined = 1, kFrameSetSmallFilled = 2 };

constexpr int kFramePieceSetCount = 3;
constexpr int kFramePiecesPerSet = 9;

constexpr std::array<FramePieceSet, kFramePieceSetCount> kFramePieceSets{{
    {kFrameLarge, 20},
    {kFrameSmallOutlined, 10},
    {kFrameSmallFilled, 10},
}};

constexpr AtlasRect framePieceRect(int set, int piece) {
    const FramePieceSet& pieces = kFramePieceSets[static_cast<std::size_t>(set)];
    const AtlasRect& source = spriteRect(pieces.sourceSprite);
    return {source.x + (piece % 3) * pieces.pieceSize, source.y + (piece / 3) * pieces.pieceSize,
            pieces.pieceSize, pieces.pieceSize};
}

struct ScreenPoint {
    int x;
    int y;
};

// Where the main page draws its pictures, relative to the page offset; the hotspots of the
// controls are measured on the pictures at exactly these positions.
constexpr ScreenPoint kWheelFrontPosition{88, 91};
constexpr ScreenPoint kWheelSidePosition{421, 73};
// Anchor position of the Sensitivity rim (bottom centre), relative to the Sensitivity page offset.
constexpr ScreenPoint kSensitivityRimPosition{400, 312};

}  // namespace kestrel::skin
