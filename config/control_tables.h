#pragma once
// The four numberings of the wheel's configuration and the constant tables between them:
//   physical controls (PHY_)   the 22 controls, in the order the configuration image stores them
//   destinations (DEST_)       the 18 editable controls, the order of the mapping arrays and hotspots
//   palette functions (PAL_)   the 21 console functions the user drags onto a destination
//   console outputs            the codes the wheel firmware understands, one numbering for both
//                              consoles, named XB360_ and PS3_
// Contents: enumerations, name tables, kSlotToDest/kDestToSlot, kFixedOutput, kDestHotspot with
// the default mappings, the palette tables, the icon sizes, and the two output decoders.
// Every index is a small int and -1 means none or unassigned.
#include <array>
#include <cstdint>
#include <string_view>

namespace kestrel {

// ---------------------------------------------------------------------------------------------
// Physical controls
enum PhysicalControl : int {
    PHY_SELECT,
    PHY_MODE,
    PHY_START,
    PHY_WHEEL,
    PHY_LPEDDLE,
    PHY_RPEDDLE,
    PHY_USHIFT,
    PHY_DSHIFT,
    PHY_LEFT,
    PHY_RIGHT,
    PHY_UP,
    PHY_DOWN,
    PHY_A,
    PHY_D,
    PHY_B,
    PHY_C,
    PHY_L1,
    PHY_R1,
    PHY_L2,
    PHY_R2,
    PHY_LPADDLE,
    PHY_RPADDLE,
};
constexpr int kPhysicalControlCount = 22;
// Controls below this index are not editable and always carry their fixed output.
constexpr int kFirstEditableControl = 4;

// ---------------------------------------------------------------------------------------------
// Destinations
enum Destination : int {
    DEST_LEFT,
    DEST_RIGHT,
    DEST_UP,
    DEST_DOWN,
    DEST_A,
    DEST_D,
    DEST_B,
    DEST_C,
    DEST_L1,
    DEST_R1,
    DEST_LEFT_PEDAL,
    DEST_RIGHT_PEDAL,
    DEST_STICK_BACK,
    DEST_STICK_FORWARD,
    DEST_RIGHT_PADDLE,
    DEST_LEFT_PADDLE,
    DEST_R2,
    DEST_L2,
    MAX_DESTINATIONS,
};
constexpr int kDestinationCount = MAX_DESTINATIONS;

// ---------------------------------------------------------------------------------------------
// Palette functions
enum PaletteFunction : int {
    PAL_A,  // Cross on the PS3
    PAL_B,  // Circle
    PAL_X,  // Square
    PAL_Y,  // Triangle
    PAL_Up,
    PAL_Down,
    PAL_Left,
    PAL_Right,
    PAL_LB,  // L1
    PAL_LT,  // L2
    PAL_L3,
    PAL_RB,  // R1
    PAL_RT,  // R2
    PAL_R3,
    PAL_SenBoost,   // steering boost
    PAL_HardLeft,   // left stick X fully left
    PAL_HardRight,  // left stick X fully right
    PAL_RA_Left,    // right stick to one end of an axis
    PAL_RA_Right,
    PAL_RA_Up,
    PAL_RA_Down,
    MAX_PALETTE_BUTTONS,
};
constexpr int kPaletteCount = MAX_PALETTE_BUTTONS;

// ---------------------------------------------------------------------------------------------
// Console outputs: one numbering, two sets of names. 0 is none.
enum Xbox360Output : int {
    XB360_NONE,
    XB360_RS,
    XB360_LS,
    XB360_BACK,
    XB360_START,
    XB360_RIGHT,
    XB360_LEFT,
    XB360_DOWN,
    XB360_UP,
    XB360_Y,
    XB360_X,
    XB360_B,
    XB360_A,
    XB360_XENON,
    XB360_RB,
    XB360_LB,
    XB360_LT,
    XB360_RT,
    XB360_LSX,
    XB360_LSY,
    XB360_RSX,
    XB360_RSY,
    XB360_STEERING_BOOST,
};
enum Ps3Output : int {
    PS3_NONE,
    PS3_R3,
    PS3_L3,
    PS3_SELECT,
    PS3_START,
    PS3_RIGHT,
    PS3_LEFT,
    PS3_DOWN,
    PS3_UP,
    PS3_TRIANGLE,
    PS3_SQUARE,
    PS3_CIRCLE,
    PS3_CROSS,
    PS3_HOME,
    PS3_R1,
    PS3_L1,
    PS3_L2,
    PS3_R2,
    PS3_LSX,
    PS3_LSY,
    PS3_RSX,
    PS3_RSY,
    PS3_STEERING_BOOST,
};
constexpr int kConsoleOutputCount = 23;

// Console modes, also the first index of the per-console tables.
constexpr int kConsoleXbox360 = 0;
constexpr int kConsolePs3 = 1;
constexpr int kConsoleCount = 2;

// ---------------------------------------------------------------------------------------------
// Name tables: the enumerator names, for logs and tools.
constexpr std::array<std::string_view, kPhysicalControlCount> kPhysicalControlNames = {
    "PHY_SELECT", "PHY_MODE", "PHY_START", "PHY_WHEEL", "PHY_LPEDDLE", "PHY_RPEDDLE",
    "PHY_USHIFT", "PHY_DSHIFT", "PHY_LEFT",  "PHY_RIGHT", "PHY_UP",      "PHY_DOWN",
    "PHY_A",      "PHY_D",      "PHY_B",     "PHY_C",     "PHY_L1",      "PHY_R1",
    "PHY_L2",     "PHY_R2",     "PHY_LPADDLE", "PHY_RPADDLE",
};

constexpr std::array<std::string_view, kDestinationCount> kDestinationNames = {
    "DEST_LEFT",        "DEST_RIGHT",         "DEST_UP",           "DEST_DOWN",
    "DEST_A",           "DEST_D",             "DEST_B",            "DEST_C",
    "DEST_L1",          "DEST_R1",            "DEST_LEFT_PEDAL",   "DEST_RIGHT_PEDAL",
    "DEST_STICK_BACK",  "DEST_STICK_FORWARD", "DEST_RIGHT_PADDLE", "DEST_LEFT_PADDLE",
    "DEST_R2",          "DEST_L2",
};

constexpr std::array<std::string_view, kPaletteCount> kPaletteNames = {
    "PAL_A",        "PAL_B",        "PAL_X",         "PAL_Y",       "PAL_Up",      "PAL_Down",
    "PAL_Left",     "PAL_Right",    "PAL_LB",        "PAL_LT",      "PAL_L3",      "PAL_RB",
    "PAL_RT",       "PAL_R3",       "PAL_SenBoost",  "PAL_HardLeft", "PAL_HardRight",
    "PAL_RA_Left",  "PAL_RA_Right", "PAL_RA_Up",     "PAL_RA_Down",
};

constexpr std::array<std::string_view, kConsoleOutputCount> kXbox360OutputNames = {
    "XB360 - NONE", "XB360_RS",    "XB360_LS",  "XB360_BACK", "XB360_START", "XB360_RIGHT",
    "XB360_LEFT",   "XB360_DOWN",  "XB360_UP",  "XB360_Y",    "XB360_X",     "XB360_B",
    "XB360_A",      "XB360_XENON", "XB360_RB",  "XB360_LB",   "XB360_LT",    "XB360_RT",
    "XB360_LSX",    "XB360_LSY",   "XB360_RSX", "XB360_RSY",  "XB360_STEERING_BOOST",
};

constexpr std::array<std::string_view, kConsoleOutputCount> kPs3OutputNames = {
    "PS3 - NONE", "PS3_R3",     "PS3_L3",     "PS3_SELECT",   "PS3_START",  "PS3_RIGHT",
    "PS3_LEFT",   "PS3_DOWN",   "PS3_UP",     "PS3_TRIANGLE", "PS3_SQUARE", "PS3_CIRCLE",
    "PS3_CROSS",  "PS3_HOME",   "PS3_R1",     "PS3_L1",       "PS3_L2",     "PS3_R2",
    "PS3_LSX",    "PS3_LSY",    "PS3_RSX",    "PS3_RSY",      "PS3_STEERING_BOOST",
};

// ---------------------------------------------------------------------------------------------
// Physical control <-> destination
constexpr std::array<int, kPhysicalControlCount> kSlotToDest = {
    -1,                  // PHY_SELECT
    -1,                  // PHY_MODE
    -1,                  // PHY_START
    -1,                  // PHY_WHEEL
    DEST_LEFT_PEDAL,     // PHY_LPEDDLE
    DEST_RIGHT_PEDAL,    // PHY_RPEDDLE
    DEST_STICK_FORWARD,  // PHY_USHIFT
    DEST_STICK_BACK,     // PHY_DSHIFT
    DEST_LEFT,           // PHY_LEFT
    DEST_RIGHT,          // PHY_RIGHT
    DEST_UP,             // PHY_UP
    DEST_DOWN,           // PHY_DOWN
    DEST_A,              // PHY_A
    DEST_D,              // PHY_D
    DEST_B,              // PHY_B
    DEST_C,              // PHY_C
    DEST_L1,             // PHY_L1
    DEST_R1,             // PHY_R1
    DEST_L2,             // PHY_L2
    DEST_R2,             // PHY_R2
    DEST_LEFT_PADDLE,    // PHY_LPADDLE
    DEST_RIGHT_PADDLE,   // PHY_RPADDLE
};

constexpr std::array<int, kDestinationCount> kDestToSlot = [] {
    std::array<int, kDestinationCount> inverse{};
    for (int p = 0; p < kPhysicalControlCount; ++p) {
        if (kSlotToDest[p] >= 0) inverse[kSlotToDest[p]] = p;
    }
    return inverse;
}();

// The (output type, value) pair each fixed control carries on both consoles.
struct OutputPair {
    int type;
    int value;
};
constexpr std::array<OutputPair, kFirstEditableControl> kFixedOutput = {{
    {XB360_BACK, 1},   // PHY_SELECT: Back / Select
    {XB360_XENON, 1},  // PHY_MODE: Guide / Home
    {XB360_START, 1},  // PHY_START
    {XB360_LSX, 0},    // PHY_WHEEL: the steering itself is the left stick X
}};

// ---------------------------------------------------------------------------------------------
// Destination hotspots on the main page's wheel pictures, in main-page coordinates.
enum LabelSide : int {
    kLabelRight = 0,
    kLabelLeft = 1,
    kLabelBelow = 2,
    kLabelAbove = 3,
};

struct DestHotspot {
    int x;
    int y;
    int width;
    int height;
    int side;    // LabelSide: where the label is drawn relative to the anchor
    int labelX;  // label anchor
    int labelY;
};

constexpr std::array<DestHotspot, kDestinationCount> kDestHotspot = {{
    {83, 159, 27, 24, kLabelLeft, 99, 170},     // DEST_LEFT
    {127, 159, 27, 24, kLabelRight, 135, 170},  // DEST_RIGHT
    {111, 140, 15, 25, kLabelAbove, 118, 153},  // DEST_UP
    {111, 177, 15, 26, kLabelBelow, 118, 187},  // DEST_DOWN
    {239, 160, 23, 22, kLabelLeft, 251, 170},   // DEST_A
    {278, 160, 23, 22, kLabelRight, 289, 170},  // DEST_D
    {263, 142, 14, 24, kLabelAbove, 270, 153},  // DEST_B
    {263, 176, 14, 28, kLabelBelow, 270, 187},  // DEST_C
    {128, 102, 38, 32, kLabelAbove, 148, 111},  // DEST_L1
    {221, 101, 39, 22, kLabelAbove, 239, 111},  // DEST_R1
    {137, 223, 50, 71, kLabelBelow, 161, 281},  // DEST_LEFT_PEDAL
    {201, 223, 47, 71, kLabelRight, 240, 267},  // DEST_RIGHT_PEDAL
    {416, 278, 54, 31, kLabelBelow, 439, 293},  // DEST_STICK_BACK
    {421, 239, 54, 36, kLabelAbove, 455, 254},  // DEST_STICK_FORWARD
    {505, 157, 40, 38, kLabelLeft, 517, 179},   // DEST_RIGHT_PADDLE
    {624, 155, 45, 42, kLabelRight, 655, 178},  // DEST_LEFT_PADDLE
    {500, 103, 34, 38, kLabelLeft, 515, 121},   // DEST_R2
    {635, 102, 36, 39, kLabelAbove, 654, 115},  // DEST_L2
}};

// What a fresh wheel or Reset Layout gives each destination; the consoles differ only on the
// two shoulder buttons.
constexpr std::array<int, kDestinationCount> kDefaultXboxMapping = {
    PAL_Left, PAL_Right, PAL_Up,    PAL_Down,     PAL_X,        PAL_B,  PAL_Y, PAL_A,  PAL_X,
    PAL_Y,    PAL_LT,    PAL_RT,    PAL_RB,       PAL_LB,       PAL_HardRight, PAL_HardLeft,
    PAL_RT,   PAL_LT,
};
constexpr std::array<int, kDestinationCount> kDefaultPs3Mapping = {
    PAL_Left, PAL_Right, PAL_Up,    PAL_Down,     PAL_X,        PAL_B,  PAL_Y, PAL_A,  PAL_LB,
    PAL_RB,   PAL_LT,    PAL_RT,    PAL_RB,       PAL_LB,       PAL_HardRight, PAL_HardLeft,
    PAL_RT,   PAL_LT,
};

// ---------------------------------------------------------------------------------------------
// Palette functions: what each writes into the image and how it is shown.

// Output type written for the function, the same on both consoles.
constexpr std::array<int, kPaletteCount> kPaletteOutputType = {
    XB360_A,  XB360_B,  XB360_X,  XB360_Y,  XB360_UP, XB360_DOWN, XB360_LEFT,
    XB360_RIGHT, XB360_LB, XB360_LT, XB360_LS, XB360_RB, XB360_RT, XB360_RS,
    XB360_STEERING_BOOST, XB360_LSX, XB360_LSX, XB360_RSX, XB360_RSX, XB360_RSY, XB360_RSY,
};

// The Xbox 360 axis ends are -32768 and 32767, its buttons and triggers 1 or 255.
constexpr std::array<std::int16_t, kPaletteCount> kXboxPaletteValue = {
    1, 1, 1, 1, 1, 1, 1, 1, 1, 255, 1, 1, 255, 1, 384, -32768, 32767, -32768, 32767, 32767, -32768,
};

// The PS3 axis ends are 0 and 255; its buttons carry the full level 255 except the stick
// clicks, which carry 1.
constexpr std::array<std::int16_t, kPaletteCount> kPs3PaletteValue = {
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 1, 255, 255, 1, 384, 0, 255, 0, 255, 0, 255,
};

// Icon sprite (index into the screen's sprite table) of each function, per console.
constexpr std::array<std::array<int, kPaletteCount>, kConsoleCount> kPaletteSprite = {{
    {83, 88, 112, 113, 111, 91, 99, 106, 98, 100, 94, 105, 107, 101, 108, 92, 93, 85, 86, 87, 84},
    {90, 89, 109, 110, 111, 91, 99, 106, 95, 96, 97, 102, 103, 104, 108, 92, 93, 85, 86, 87, 84},
}};

// Palette buttons in the bottom-left column of the screen, screen coordinates.
struct ScreenRect {
    int x;
    int y;
    int width;
    int height;
};
constexpr std::array<ScreenRect, kPaletteCount> kPaletteButton = {{
    {54, 416, 27, 30},   // PAL_A
    {94, 416, 27, 30},   // PAL_B
    {134, 416, 27, 30},  // PAL_X
    {174, 416, 27, 30},  // PAL_Y
    {54, 461, 27, 30},   // PAL_Up
    {94, 461, 27, 30},   // PAL_Down
    {134, 461, 27, 30},  // PAL_Left
    {174, 461, 27, 30},  // PAL_Right
    {14, 416, 27, 30},   // PAL_LB
    {14, 461, 27, 30},   // PAL_LT
    {14, 506, 27, 30},   // PAL_L3
    {214, 416, 27, 30},  // PAL_RB
    {214, 461, 27, 30},  // PAL_RT
    {214, 506, 27, 30},  // PAL_R3
    {14, 551, 141, 27},  // PAL_SenBoost
    {174, 551, 27, 30},  // PAL_HardLeft
    {214, 551, 27, 30},  // PAL_HardRight
    {54, 506, 27, 30},   // PAL_RA_Left
    {174, 506, 27, 30},  // PAL_RA_Right
    {94, 506, 27, 30},   // PAL_RA_Up
    {134, 506, 27, 30},  // PAL_RA_Down
}};

// Sizes of the icon sprites 83..113 of the skin atlas, which the label rectangles need without
// pulling in the screens. Every icon is 27 x 30 except the wide steering-boost bar.
constexpr int kFirstIconSprite = 83;
constexpr int kLastIconSprite = 113;
constexpr int kSteeringBoostIconSprite = 108;
struct IconSize {
    int width;
    int height;
};
constexpr IconSize kIconSize{27, 30};
constexpr IconSize kSteeringBoostIconSize{141, 27};

constexpr IconSize iconSpriteSize(int sprite) {
    if (sprite < kFirstIconSprite || sprite > kLastIconSprite) return {0, 0};
    return sprite == kSteeringBoostIconSprite ? kSteeringBoostIconSize : kIconSize;
}

// Sizes of the four label arrows, indexed by LabelSide; each points back at its control.
constexpr std::array<IconSize, 4> kLabelArrowSize = {{
    {20, 25},  // right of the anchor: left-pointing arrow
    {20, 26},  // left of the anchor: right-pointing arrow
    {27, 20},  // below: up-pointing arrow
    {26, 20},  // above: down-pointing arrow
}};

// ---------------------------------------------------------------------------------------------
// Decoding a stored (type, value) pair back into a palette function. Buttons decode the same
// whatever the value; the three axes choose an end by the value's sign on the Xbox 360 and by
// its place around the PS3 centre (127). The PS3 test uses > 126 where the Xbox test uses >= 0,
// and right stick Y runs the other way on the two consoles.
struct OutputDecode {
    int xboxBelowZero;  // Xbox 360, value < 0
    int xboxFromZero;   // Xbox 360, value >= 0
    int ps3UpTo126;     // PS3, value <= 126
    int ps3Above126;    // PS3, value > 126
};

constexpr OutputDecode decodeSame(int palette) { return {palette, palette, palette, palette}; }

constexpr std::array<OutputDecode, kConsoleOutputCount> kOutputDecode = {{
    decodeSame(-1),                                               // none
    decodeSame(PAL_R3),                                           // RS / R3
    decodeSame(PAL_L3),                                           // LS / L3
    decodeSame(-1),                                               // BACK / SELECT
    decodeSame(-1),                                               // START
    decodeSame(PAL_Right),                                        // RIGHT
    decodeSame(PAL_Left),                                         // LEFT
    decodeSame(PAL_Down),                                         // DOWN
    decodeSame(PAL_Up),                                           // UP
    decodeSame(PAL_Y),                                            // Y / TRIANGLE
    decodeSame(PAL_X),                                            // X / SQUARE
    decodeSame(PAL_B),                                            // B / CIRCLE
    decodeSame(PAL_A),                                            // A / CROSS
    decodeSame(-1),                                               // XENON / HOME
    decodeSame(PAL_RB),                                           // RB / R1
    decodeSame(PAL_LB),                                           // LB / L1
    decodeSame(PAL_LT),                                           // LT / L2
    decodeSame(PAL_RT),                                           // RT / R2
    {PAL_HardLeft, PAL_HardRight, PAL_HardLeft, PAL_HardRight},   // LSX
    decodeSame(-1),                                               // LSY
    {PAL_RA_Left, PAL_RA_Right, PAL_RA_Left, PAL_RA_Right},       // RSX
    {PAL_RA_Down, PAL_RA_Up, PAL_RA_Up, PAL_RA_Down},             // RSY
    decodeSame(PAL_SenBoost),                                     // STEERING_BOOST
}};

// The palette function a stored Xbox 360 pair stands for, or -1. `value` is the slot's signed
// 16-bit output value; types outside 1..22 are unassigned.
constexpr int decodeXbox(int type, int value) {
    if (type < 1 || type >= kConsoleOutputCount) return -1;
    const OutputDecode& row = kOutputDecode[type];
    return value < 0 ? row.xboxBelowZero : row.xboxFromZero;
}

// The same for the PS3.
constexpr int decodePs3(int type, int value) {
    if (type < 1 || type >= kConsoleOutputCount) return -1;
    const OutputDecode& row = kOutputDecode[type];
    return value > 126 ? row.ps3Above126 : row.ps3UpTo126;
}

constexpr int decodeOutput(int console, int type, int value) {
    return console == kConsolePs3 ? decodePs3(type, value) : decodeXbox(type, value);
}

// The value each console writes for a palette function.
constexpr int paletteValue(int console, int palette) {
    return console == kConsolePs3 ? kPs3PaletteValue[palette] : kXboxPaletteValue[palette];
}

}  // namespace kestrel
