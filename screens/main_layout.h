#pragma once
// Where every widget of the main screen sits and what it is called: the four panels' widget
// tables, the page geometry and the timings of the two animations. The screens build from
// these tables and tests iterate them.
#include <array>

#include "screens/sprite_table.h"

namespace kestrel::layout {

// ---- Widget identifiers the panel callbacks switch on --------------------------------------
enum WindowButtonId : int { kCloseId = 1, kMinimiseId = 2, kHelpId = 3, kAboutId = 4 };
enum MainControlId : int {
    kRemapTabId = 11,
    kSensitivityTabId = 12,
    kAssignSettingId = 100,
    kResetLayoutId = 101,
    kPresetsId = 110,
    kRumbleGroupId = 200,
    kRumbleOffId = 201,
    kRumbleMediumId = 202,
    kRumbleHighId = 203,
};
enum ConsoleId : int { kXbox360Id = 1, kPs3Id = 2 };

// Buttons report with user data 0, checks with 1, so one callback tells them apart.
constexpr int kButtonUserData = 0;
constexpr int kCheckUserData = 1;

struct WidgetPlacement {
    int id;
    int normal;
    int active;  // pressed or checked
    int hover;
    int x;
    int y;
};

constexpr std::array<WidgetPlacement, 4> kWindowButtons{{
    {kCloseId, skin::kCloseNormal, skin::kClosePressed, skin::kCloseHover, 761, 13},
    {kMinimiseId, skin::kMinimiseNormal, skin::kMinimisePressed, skin::kMinimiseHover, 735, 13},
    {kHelpId, skin::kHelpNormal, skin::kHelpPressed, skin::kHelpHover, 709, 13},
    {kAboutId, skin::kAboutNormal, skin::kAboutPressed, skin::kAboutHover, 13, 8},
}};

constexpr std::array<WidgetPlacement, 2> kPageTabs{{
    {kRemapTabId, skin::kRemapTabNormal, skin::kRemapTabChecked, skin::kRemapTabHover, 140, 8},
    {kSensitivityTabId, skin::kSensitivityTabNormal, skin::kSensitivityTabChecked, skin::kSensitivityTabHover, 310, 8},
}};

constexpr std::array<WidgetPlacement, 3> kMainButtons{{
    {kAssignSettingId, skin::kAssignSettingNormal, skin::kAssignSettingPressed, skin::kAssignSettingHover, 283, 419},
    {kResetLayoutId, skin::kResetLayoutNormal, skin::kResetLayoutPressed, skin::kResetLayoutHover, 397, 419},
    {kPresetsId, skin::kPresetsNormal, skin::kPresetsPressed, skin::kPresetsHover, 595, 8},
}};

// In rumble level order: Off 0, Medium 1, High 2.
constexpr std::array<WidgetPlacement, 3> kRumbleChecks{{
    {kRumbleOffId, skin::kRumbleOffNormal, skin::kRumbleOffChecked, skin::kRumbleOffHover, 611, 371},
    {kRumbleMediumId, skin::kRumbleMediumNormal, skin::kRumbleMediumChecked, skin::kRumbleMediumHover, 666, 371},
    {kRumbleHighId, skin::kRumbleHighNormal, skin::kRumbleHighChecked, skin::kRumbleHighHover, 721, 371},
}};

// In console mode order: Xbox 360 0, PS3 1.
constexpr std::array<WidgetPlacement, 2> kConsoleChecks{{
    {kXbox360Id, skin::kXbox360Normal, skin::kXbox360Checked, skin::kXbox360Hover, 282, 539},
    {kPs3Id, skin::kPs3Normal, skin::kPs3Checked, skin::kPs3Hover, 397, 539},
}};

// The Sensitivity dial, in Sensitivity-page coordinates.
constexpr int kDialCentreX = 400;
constexpr int kDialCentreY = 310;
constexpr float kDialRadius = 240.0f;
constexpr float kDialLowerLimit = 0.0f;
constexpr float kDialUpperLimit = 90.0f;

// ---- Pages ---------------------------------------------------------------------------------
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
// The top area holds the pages; labels dropped below it are unassigned.
constexpr int kTopAreaBottom = 356;
constexpr int kMainPageOffset = 0;
constexpr int kSensitivityPageOffset = 800;
constexpr int kSensitivityTargetOffset = -800;  // main page offset while the Sensitivity page shows

// ---- Animations ----------------------------------------------------------------------------
constexpr int kAnimationFrames = 45;
// The palette sinks this far and the labels slide this far left during a console switch.
constexpr int kSwitchSinkPixels = 200;
constexpr int kSwitchSlidePixels = 550;

}  // namespace kestrel::layout
