#include "app/window_prompt.h"

#include <algorithm>
#include <array>

#include "engine/bitmap_font.h"
#include "online/message_box.h"
#include "screens/skin.h"
#include "screens/sprite_table.h"

namespace kestrel {

using namespace prompt_layout;

namespace {

constexpr std::uint32_t kDim = 0x80000000;  // over the screen: the rest of the window is inert
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kBlack = 0xFF000000;
constexpr std::uint32_t kDefaultLabel = 0xFFFFC000;  // the button Return presses
constexpr std::uint32_t kPressedFill = 0xFFFF8C1A;
constexpr std::uint32_t kErrorIcon = 0xFFFF8C1A;
constexpr int kOpaque = 255;

struct ButtonSet {
    MessageBoxButtons buttons;
    std::array<PromptButton, 2> entries;
    int count;
};

// Left to right; the first is the default (Return), the last the cancelling one (Escape).
constexpr ButtonSet kButtonSets[] = {
    {MessageBoxButtons::kYesNo, {{{"Yes", MessageBoxResult::kYes, {}}, {"No", MessageBoxResult::kNo, {}}}}, 2},
    {MessageBoxButtons::kOk, {{{"OK", MessageBoxResult::kOk, {}}, {}}}, 1},
};

float measure(const BitmapFont* font, const std::string& line) {
    if (font != nullptr) return font->stringWidth(line.c_str());
    return static_cast<float>(line.size() * kFallbackCharacterWidth);
}

bool isBlank(std::string_view line) { return line.find_first_not_of(' ') == std::string_view::npos; }

// Each "\n" starts a line; a line wider than the column breaks at its last space that fits.
// The spacer lines the texts end with (" ", "") are dropped: the box has its own margin.
std::vector<std::string> wrapText(std::string_view text, const BitmapFont* font) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view paragraph = text.substr(start, end - start);
        std::string line;
        while (!paragraph.empty()) {
            const std::size_t space = paragraph.find(' ', 1);
            const std::string_view word = paragraph.substr(0, space);
            std::string candidate = line + std::string(word);
            if (!line.empty() && measure(font, candidate) > kTextWidth) {
                lines.push_back(line);
                // The space that broke the line is not carried to the next one.
                candidate = std::string(word.substr(word.front() == ' ' ? 1 : 0));
            }
            line = candidate;
            paragraph.remove_prefix(word.size());
        }
        lines.push_back(line);
        start = end + 1;
    }
    while (!lines.empty() && isBlank(lines.back())) lines.pop_back();
    return lines;
}

}  // namespace

WindowPrompt::WindowPrompt(std::string_view text, MessageBoxButtons buttons, PromptIcon icon, const PromptLook& look)
    : text_(text), icon_(icon), look_(look) {
    lines_ = wrapText(text_, look_.textFont);
    layOut(buttons);
}

void WindowPrompt::layOut(MessageBoxButtons buttons) {
    const int textHeight = static_cast<int>(lines_.size()) * kLineHeight;
    const int wanted = kTextTop + textHeight + kTextToButtons + kButtonHeight + kMargin;
    // A text taller than the window is cut at the bottom; the buttons always stay on screen.
    const int height = std::clamp(wanted, kMinimumBoxHeight, kScreenHeight - 2 * kMargin);
    box_ = {(kScreenWidth - kBoxWidth) / 2, (kScreenHeight - height) / 2, kBoxWidth, height};

    for (const ButtonSet& set : kButtonSets) {
        if (set.buttons != buttons) continue;
        buttons_.assign(set.entries.begin(), set.entries.begin() + set.count);
    }
    const int count = static_cast<int>(buttons_.size());
    int x = box_.x + box_.width - kMargin - count * kButtonWidth - (count - 1) * kButtonGap;
    const int y = box_.y + box_.height - kMargin - kButtonHeight;
    for (PromptButton& button : buttons_) {
        button.box = {x, y, kButtonWidth, kButtonHeight};
        x += kButtonWidth + kButtonGap;
    }
}

int WindowPrompt::buttonAt(int x, int y) const {
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i].box.contains(x, y)) return static_cast<int>(i);
    return -1;
}

bool WindowPrompt::handle(const InputEvent& event) {
    if (answer_) return false;
    const int x = static_cast<int>(event.x);
    const int y = static_cast<int>(event.y);
    switch (event.type) {
    case kInputKeyDown:
        // A key still held from before the prompt appeared repeats; only a fresh press answers.
        if ((event.flags & kInputFlagRepeat) != 0) return false;
        if (event.key == kKeyEnter) answer_ = defaultResult();
        if (event.key == kKeyEscape) answer_ = cancelResult();
        return answer_.has_value();
    case kInputMouseButtonDown:
        if (event.key != kKeyLeftButton) return false;
        pressInside_ = contains(x, y);
        pressed_ = buttonAt(x, y);
        return pressed_ >= 0;
    case kInputMouseButtonUp: {
        if (event.key != kKeyLeftButton) return false;
        const int pressed = pressed_;
        pressed_ = -1;
        pressInside_ = false;
        // As with any button: the click counts only where the press began.
        if (pressed >= 0 && buttonAt(x, y) == pressed) answer_ = buttons_[static_cast<std::size_t>(pressed)].result;
        return pressed >= 0;
    }
    case kInputMouseMove:
        return hover(x, y);
    default:
        return false;
    }
}

bool WindowPrompt::hover(int x, int y, bool inside) {
    const int now = inside ? buttonAt(x, y) : -1;
    const bool changed = now != hovered_;
    hovered_ = now;
    return changed;
}

void WindowPrompt::draw() const {
    Skin* skin = look_.skin;
    if (skin != nullptr) {
        skin->drawFilledRect(0, 0, kScreenWidth, kScreenHeight, kDim);
        skin->drawFrameBox(box_.width, box_.height, box_.x, box_.y);
    }
    if (BitmapFont* title = look_.titleFont) {
        title->setColour(kWhite);
        title->Render(static_cast<float>(box_.x + kMargin), static_cast<float>(box_.y + kTitleTop), kAlignLeft,
                      std::string(kMessageBoxTitle).c_str());
    }
    drawIcon();
    if (BitmapFont* font = look_.textFont) {
        font->setColour(kWhite);
        const int bottom = buttons_.front().box.y - kTextToButtons / 2;
        int y = box_.y + kTextTop;
        for (const std::string& line : lines_) {
            if (y + kLineHeight > bottom) break;
            font->Render(static_cast<float>(box_.x + kTextLeft), static_cast<float>(y), kAlignLeft, line.c_str());
            y += kLineHeight;
        }
    }
    for (std::size_t i = 0; i < buttons_.size(); ++i) drawButton(static_cast<int>(i));
}

void WindowPrompt::drawIcon() const {
    Skin* skin = look_.skin;
    if (skin == nullptr) return;
    const int x = box_.x + kMargin;
    const int y = box_.y + kTextTop;
    switch (icon_) {
    case PromptIcon::Question:
        skin->drawSprite(skin::kHelpNormal, kOpaque, x, y, kIconSize, kIconSize);
        break;
    case PromptIcon::Information:
        skin->drawSprite(skin::kAboutNormal, kOpaque, x, y, kIconSize, kIconSize);
        break;
    case PromptIcon::Error: {
        // The warning triangle of the firmware screen, drawn to the icon's size.
        const float left = static_cast<float>(x);
        const float top = static_cast<float>(y);
        const float size = static_cast<float>(kIconSize);
        skin->drawFlatTriangle({{{left + size / 2, top, kErrorIcon},
                                 {left + size, top + size - 4, kErrorIcon},
                                 {left, top + size - 4, kErrorIcon}}});
        if (BitmapFont* font = look_.titleFont) {
            font->setColour(kBlack);
            font->Render(left + size / 2, top + 9, kAlignCentre, "!");
            font->setColour(kWhite);
        }
        break;
    }
    }
}

void WindowPrompt::drawButton(int index) const {
    const PromptButton& button = buttons_[static_cast<std::size_t>(index)];
    const PromptRect& box = button.box;
    const bool pressed = index == pressed_ && index == hovered_;
    if (Skin* skin = look_.skin) {
        skin->drawSmallBox(box.width, box.height, box.x, box.y,
                           index == hovered_ ? skin::kFrameSetSmallFilled : skin::kFrameSetSmallOutlined);
        if (pressed)
            skin->drawFilledRect(static_cast<float>(box.x + 3), static_cast<float>(box.y + 3),
                                 static_cast<float>(box.width - 6), static_cast<float>(box.height - 6), kPressedFill);
    }
    BitmapFont* font = look_.titleFont;
    if (font == nullptr) return;
    std::uint32_t colour = index == 0 ? kDefaultLabel : kWhite;
    if (pressed) colour = kBlack;
    font->setColour(colour);
    const float labelTop = static_cast<float>(box.y) + (static_cast<float>(box.height) - font->height()) / 2;
    font->Render(static_cast<float>(box.x + box.width / 2), labelTop, kAlignCentre, button.label);
    font->setColour(kWhite);  // the font is shared; others expect it white
}

}  // namespace kestrel
