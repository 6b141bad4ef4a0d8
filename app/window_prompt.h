#pragma once
// A prompt the program draws inside its own window, with its skin and fonts, for desktops where
// the system message box cannot be shown (no X core fonts, no helper program on Wayland). It
// carries what the system box would: the title "Kestrel Customiser", the text, the icon's
// meaning, the buttons and their default. Return answers the default button, Escape the
// cancelling one, and a click (press and release on the same button) the button clicked.
//
//   WindowPrompt prompt(text, MessageBoxButtons::kYesNo, PromptIcon::Question, look);
//   prompt.handle(event);            // every input event of a frame
//   prompt.hover(x, y);              // the pointer's position this frame
//   if (prompt.answer()) ...         // set once the user has answered
//   prompt.draw();                   // inside a scene, over the screen
//
// FrameLoop::showInWindow (app/frame.h) runs one modally.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/shell.h"
#include "engine/hge.h"

namespace kestrel {

class BitmapFont;
class Skin;

// Borrowed; any of them may be missing, and the prompt still lays out and answers.
struct PromptLook {
    Skin* skin = nullptr;
    BitmapFont* textFont = nullptr;   // font 0
    BitmapFont* titleFont = nullptr;  // font 1
};

struct PromptRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
};

struct PromptButton {
    const char* label;
    MessageBoxResult result;
    PromptRect box;
};

namespace prompt_layout {
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr int kBoxWidth = 680;  // as the preset window; the longest line of the texts fits
constexpr int kMinimumBoxHeight = 200;
constexpr int kMargin = 20;
constexpr int kTitleTop = 15;
constexpr int kTextTop = 60;
constexpr int kIconSize = 40;
constexpr int kTextLeft = kMargin + kIconSize + kMargin;
constexpr int kTextWidth = kBoxWidth - kTextLeft - kMargin;
constexpr int kLineHeight = 22;  // font 0's
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 34;
constexpr int kButtonGap = 10;
constexpr int kTextToButtons = 20;
// A line without a font is measured at this width per character.
constexpr int kFallbackCharacterWidth = 8;
}  // namespace prompt_layout

class WindowPrompt {
public:
    WindowPrompt(std::string_view text, MessageBoxButtons buttons, PromptIcon icon, const PromptLook& look);

    // One input event; true when it changed what the prompt shows.
    bool handle(const InputEvent& event);
    // The pointer is at (x, y), or outside the window when inside is false; true when that
    // changed which button shows as hovered.
    bool hover(int x, int y, bool inside = true);
    void draw() const;

    std::optional<MessageBoxResult> answer() const { return answer_; }
    // What Return and Escape answer: Yes and No, or OK for both.
    MessageBoxResult defaultResult() const { return buttons_.front().result; }
    MessageBoxResult cancelResult() const { return buttons_.back().result; }

    const std::string& text() const { return text_; }
    PromptIcon icon() const { return icon_; }
    // The text as drawn: one entry per line, wrapped to the text column.
    const std::vector<std::string>& lines() const { return lines_; }
    // Left to right: Yes, No; or OK.
    const std::vector<PromptButton>& buttons() const { return buttons_; }
    const PromptRect& box() const { return box_; }
    bool contains(int x, int y) const { return box_.contains(x, y); }
    // A left press began on the prompt and is still held; the window is not dragged by it.
    bool holdsPress() const { return pressInside_; }

private:
    int buttonAt(int x, int y) const;
    void layOut(MessageBoxButtons buttons);
    void drawIcon() const;
    void drawButton(int index) const;

    std::string text_;
    PromptIcon icon_;
    PromptLook look_;
    std::vector<std::string> lines_;
    std::vector<PromptButton> buttons_;
    PromptRect box_;
    std::optional<MessageBoxResult> answer_;
    int hovered_ = -1;
    int pressed_ = -1;  // the button a held press began on
    bool pressInside_ = false;
};

}  // namespace kestrel
