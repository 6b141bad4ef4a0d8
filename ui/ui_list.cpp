#include "ui/ui_list.h"

#include <algorithm>

#include "ui/ui_panel.h"

namespace kestrel {
namespace {

unsigned addressOf(const void* object) {
    return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(object));
}

}  // namespace

UIList::UIList(Log& log, UIPanel& capturePanel, int x, int y, int width, int lineHeight)
    : UIBase(kUITypeList),
      log_(log),
      capture_(capturePanel),
      // A zero line height would make every row test divide by zero.
      lineHeight_(std::max(lineHeight, 1)) {
    id_ = kListId;
    x_ = x;
    y_ = y;
    width_ = width;
    height_ = visibleRows_ * lineHeight_;
    log_.write("UIList (%08X) :: allocate %d lines", addressOf(this), kListCapacity);
    lines_.reserve(kListCapacity);
    layoutScrollBar(kListScrollBarWidth, height_ - kListMinimumThumb, kListMinimumThumb);
}

UIList::~UIList() {
    log_.write("UIList (del) %08X :: release", addressOf(this));
    if (capture_.active()) capture_.end();
}

void UIList::addLine(std::intptr_t data) {
    if (lineCount() >= kListCapacity) return;
    lines_.push_back(data);
    maximumFirst_ = std::max(lineCount() - visibleRows_, 0);
    layoutScrollBar(scrollBarWidth_, maximumThumb_, minimumThumb_);
}

void UIList::layoutScrollBar(int scrollBarWidth, int maximumThumb, int minimumThumb) {
    scrollBarWidth_ = scrollBarWidth;
    maximumThumb_ = maximumThumb;
    minimumThumb_ = minimumThumb;
    scrollBarX_ = x_ + width_ - scrollBarWidth_;
    if (lines_.empty()) {
        thumbPosition_ = 0;
        thumbHeight_ = minimumThumb_;
        thumbTravel_ = height_ - minimumThumb_;
        return;
    }
    int height = static_cast<int>(static_cast<float>(height_) / lineCount() * visibleRows_);
    if (height >= minimumThumb_) {
        thumbHeight_ = std::min(height, maximumThumb_);
        thumbTravel_ = height_ - thumbHeight_;
    } else {
        thumbHeight_ = minimumThumb_;
        thumbTravel_ = height_ - minimumThumb_;
    }
}

void UIList::thumbMoved() {
    thumbPosition_ = std::clamp(thumbPosition_, 0, std::max(thumbTravel_, 0));
    first_ = thumbTravel_ > 0
                 ? static_cast<int>(static_cast<float>(thumbPosition_) / thumbTravel_ * maximumFirst_)
                 : 0;
}

void UIList::firstLineMoved() {
    first_ = std::clamp(first_, 0, maximumFirst_);
    thumbPosition_ = maximumFirst_ > 0
                         ? static_cast<int>(static_cast<float>(first_) / maximumFirst_ * thumbTravel_)
                         : 0;
}

bool UIList::input(int code, int x, int y) {
    if (!acceptsInput()) return false;
    bool result = false;

    int dy = y - y_;
    bool onScrollBar = scrollBarX_ <= x && x <= scrollBarX_ + scrollBarWidth_ && 0 <= dy &&
                       dy <= height_;
    bool aboveThumb = onScrollBar && dy < thumbPosition_;
    bool belowThumb = onScrollBar && dy > thumbPosition_ + thumbHeight_;
    thumbHover_ = onScrollBar && !aboveThumb && !belowThumb;

    auto followPointer = [&] {
        thumbPosition_ = dy + grabOffset_;
        thumbMoved();
        if (isRelease(code)) capture_.end();
        result = true;
    };
    if (capture_.active()) {
        followPointer();
    } else if (code == kEventHeld && onScrollBar) {
        if (thumbHover_) {
            grabOffset_ = thumbPosition_ - dy;
            capture_.begin(*this);
            followPointer();
        } else {
            // Held on the track: one page per frame until the thumb reaches the pointer.
            thumbPosition_ += aboveThumb ? -thumbHeight_ : thumbHeight_;
            thumbMoved();
        }
    }

    bool inRows = x_ <= x && x < scrollBarX_ && y_ <= y && y <= y_ + height_;
    if (!inRows) {
        hovered_ = -1;
    } else {
        bool dragging = capture_.active();
        if (!dragging && (code & kEventWheelAway)) {
            --first_;
            firstLineMoved();
        }
        if (!dragging && (code & kEventWheelToward)) {
            ++first_;
            firstLineMoved();
        }
        int row = std::clamp((y - y_) / lineHeight_, 0, visibleRows_ - 1);
        hovered_ = first_ + row;
        if (!dragging && code == kEventHeld && previousCode_ != kEventHeld) selected_ = first_ + row;
    }

    if (attached_) attached_->input(code, x, y);
    previousCode_ = code;
    return result;
}

void UIList::draw() {
    if (!drawCallback_) return;
    drawCallback_({kListBackground, x_, y_, width_, height_, 0});
    for (int i = 0; i < visibleRows_ && first_ + i < lineCount(); ++i) {
        int line = first_ + i;
        int kind = kListRow;
        if (line == selected_) kind += kListActive;
        if (line == hovered_) kind += kListHovered;
        drawCallback_({kind, x_, y_ + i * lineHeight_, width_, lineHeight_, lines_[line]});
    }
    drawCallback_({kListTrack, scrollBarX_, y_, scrollBarWidth_, height_, 0});
    if (lineCount() > visibleRows_) {
        int kind = kListThumb;
        if (capture_.active()) {
            kind += kListActive;
        } else if (thumbHover_) {
            kind += kListHovered;
        }
        drawCallback_({kind, scrollBarX_, y_ + thumbPosition_, scrollBarWidth_, thumbHeight_, 0});
    }
    if (attached_) attached_->draw();
}

void UIList::setPosition(int x, int y) {
    UIBase::setPosition(x, y);
    layoutScrollBar(scrollBarWidth_, maximumThumb_, minimumThumb_);
    if (attached_) attached_->setPosition(x, y);
}

}  // namespace kestrel
