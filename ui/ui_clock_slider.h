#pragma once
// UIClockSlider: a dial with two handles on a circle choosing a band of angles, in degrees
// clockwise from straight up, within a lower and an upper limit. Dragging a handle holds the
// panel's capture; on release the handles swap if crossed, so firstAngle() <= secondAngle()
// after every drag. Its position is its centre. set state leaves it enabled and visible; a
// disable only ends a drag under way, as a release would.
//
//   auto& dial = sensitivityPanel.add(
//       std::make_unique<UIClockSlider>(sheet, sensitivityPanel, 400, 310));
//   dial.setRadius(240); dial.setAngles(0, 90); dial.setMirrorDisplay(true);
#include "ui/image_element.h"
#include "ui/pointer.h"
#include "ui/ui_base.h"

namespace kestrel {

class UIPanel;

constexpr int kDialHubSprite = 19;
constexpr int kDialHandleSprite = 35;
constexpr int kDialHandleHoverSprite = 36;

struct DialPoint {
    int x = 0;
    int y = 0;
};

class UIClockSlider : public UIBase {
public:
    UIClockSlider(SpriteSheet& sheet, UIPanel& capturePanel, int centreX, int centreY);

    bool input(int code, int x, int y) override;
    void draw() override;
    void setPosition(int x, int y) override;
    void setState(bool enabled, bool visible) override;

    void setRadius(float radius);
    void setLimits(float lower, float upper);
    void setAngles(float first, float second);
    void setRampDirection(bool reversed) { rampReversed_ = reversed; }
    void setMirrorDisplay(bool mirrored) { mirrored_ = mirrored; }

    float firstAngle() const { return angles_[0]; }
    float secondAngle() const { return angles_[1]; }
    float lowerLimit() const { return lower_; }
    float upperLimit() const { return upper_; }
    float radius() const { return radius_; }
    // 0 none, 1 first, 2 second.
    int draggedHandle() const { return dragged_; }
    // Where a handle sits on the circle (handle 0 or 1).
    DialPoint handlePoint(int handle) const { return pointAt(angles_[handle], radius_); }
    DialPoint lowerMarker() const { return lowerMarker_; }
    DialPoint upperMarker() const { return upperMarker_; }
    const ImageElement& handleImage(int handle) const { return handles_[handle].normal; }
    const ImageElement& handleHoverImage(int handle) const { return handles_[handle].hover; }

private:
    struct Handle {
        ImageElement normal;
        ImageElement hover;
        void showHover(bool hovered) {
            normal.setHidden(hovered);
            hover.setHidden(!hovered);
        }
    };

    DialPoint pointAt(float degrees, float distance) const;
    void layoutMarkers();
    void layoutHandles();
    void endDrag();
    void drawThickLine(float ax, float ay, float bx, float by, std::uint32_t colour, float halfWidth);
    void drawArc(float first, float second, std::uint32_t alpha, bool reversedRamp);

    SpriteSheet& sheet_;
    ImageElement hub_;
    Handle handles_[2];
    DragCapture capture_;
    float centreX_;
    float centreY_;
    float radius_ = 132.0f;
    float lower_ = 0.0f;
    float upper_ = 90.0f;
    float angles_[2] = {10.0f, 80.0f};
    DialPoint lowerMarker_;
    DialPoint upperMarker_;
    bool rampReversed_ = false;
    bool mirrored_ = false;
    int dragged_ = 0;
};

}  // namespace kestrel
