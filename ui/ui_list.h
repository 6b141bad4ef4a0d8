#pragma once
// UIList: up to 100 lines shown 5 rows at a time with a scroll bar at the right edge. It tracks
// the row under the pointer and a selected row (both count rows on screen, so they may point
// past the last line: owners compare them with lineCount()), scrolls by the wheel, by paging on
// the track and by dragging the thumb. It paints nothing itself: every part goes to the owner's
// draw callback as a UIListDrawRecord. Allocation and release are logged.
//
//   auto& list = window.add(std::make_unique<UIList>(log, window, 110, 160, 580, 30));
//   list.setDrawCallback(drawPresetRow);
//   list.addLine(reinterpret_cast<std::intptr_t>(&preset));
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/log.h"
#include "ui/pointer.h"
#include "ui/ui_base.h"

namespace kestrel {

class UIPanel;

enum UIListPart : int {
    kListBackground = 1,
    kListTrack = 2,
    kListThumb = 4,
    kListRow = 8,
    kListActive = 16,   // row: selected; thumb: being dragged
    kListHovered = 32,  // row or thumb under the pointer
};

constexpr int kListId = 100;
constexpr int kListCapacity = 100;
constexpr int kListVisibleRows = 5;
constexpr int kListScrollBarWidth = 24;
constexpr int kListMinimumThumb = 32;

struct UIListDrawRecord {
    int kind = 0;  // UIListPart bits
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::intptr_t data = 0;  // the row's line data, 0 for other parts
};

class UIList : public UIBase {
public:
    UIList(Log& log, UIPanel& capturePanel, int x, int y, int width, int lineHeight);
    ~UIList() override;

    bool input(int code, int x, int y) override;
    void draw() override;
    void setPosition(int x, int y) override;
    void setState(bool enabled, bool visible) override { UIBase::setState(enabled, visible); }

    // Dropped silently once the list holds kListCapacity lines.
    void addLine(std::intptr_t data);
    void setDrawCallback(std::function<void(const UIListDrawRecord&)> callback) {
        drawCallback_ = std::move(callback);
    }
    // Owned by the list; gets the list's input, position and drawing after the list's own.
    void attach(std::unique_ptr<UIBase> widget) { attached_ = std::move(widget); }
    void layoutScrollBar(int scrollBarWidth, int maximumThumb, int minimumThumb);

    int lineCount() const { return static_cast<int>(lines_.size()); }
    // 0 for an index without a line (selected and hovered indexes may be such).
    std::intptr_t lineData(int index) const {
        return index >= 0 && index < lineCount() ? lines_[index] : 0;
    }
    int selectedIndex() const { return selected_; }
    int hoveredIndex() const { return hovered_; }
    int firstVisibleLine() const { return first_; }
    int maximumFirstLine() const { return maximumFirst_; }
    int thumbPosition() const { return thumbPosition_; }
    int thumbHeight() const { return thumbHeight_; }
    int scrollBarX() const { return scrollBarX_; }
    bool draggingThumb() const { return capture_.active(); }

private:
    void thumbMoved();
    void firstLineMoved();

    Log& log_;
    DragCapture capture_;
    int lineHeight_;
    int selected_ = -1;
    int hovered_ = -1;
    int visibleRows_ = kListVisibleRows;
    int first_ = 0;
    int maximumFirst_ = 0;
    int previousCode_ = -1;
    int scrollBarX_ = 0;
    int thumbPosition_ = 0;
    int scrollBarWidth_ = kListScrollBarWidth;
    int thumbHeight_ = kListMinimumThumb;
    int minimumThumb_ = kListMinimumThumb;
    int maximumThumb_ = 0;
    int thumbTravel_ = 0;
    int grabOffset_ = 0;
    bool thumbHover_ = false;
    std::vector<std::intptr_t> lines_;
    std::unique_ptr<UIBase> attached_;
    std::function<void(const UIListDrawRecord&)> drawCallback_;
};

}  // namespace kestrel
