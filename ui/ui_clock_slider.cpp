#include "ui/ui_clock_slider.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "ui/ui_panel.h"

namespace kestrel {
namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kRadiansToDegrees = 57.29578f;
constexpr float kHalfPi = 1.5707964f;
constexpr int kArcSegments = 32;
constexpr float kArcGreenStep = 7.96875f;  // 255 over the 32 segments
constexpr int kMarkerGap = 10;

constexpr std::uint32_t kMirrorMarkerColour = 0x3F7F7F7F;
constexpr std::uint32_t kMirrorSpokeColour = 0x7FFFFFFF;
constexpr std::uint32_t kMarkerColour = 0x7F7F7F7F;
constexpr std::uint32_t kSpokeColour = 0xFFFFFFFF;
constexpr std::uint32_t kMirrorArcAlpha = 70;
constexpr std::uint32_t kArcAlpha = 180;

ImageElement scaledImage(const SpriteSheet& sheet, int sprite, int x, int y, float scale) {
    ImageElement image(sheet, sprite, x, y, kImageAlignCentreX | kImageAlignCentreY);
    image.setSize(static_cast<int>(image.width() * scale), static_cast<int>(image.height() * scale));
    return image;
}

}  // namespace

UIClockSlider::UIClockSlider(SpriteSheet& sheet, UIPanel& capturePanel, int centreX, int centreY)
    : UIBase(kUITypeClockSlider),
      sheet_(sheet),
      hub_(scaledImage(sheet, kDialHubSprite, centreX, centreY, 1.5f)),
      capture_(capturePanel),
      centreX_(static_cast<float>(centreX)),
      centreY_(static_cast<float>(centreY)) {
    id_ = 0;
    x_ = centreX;
    y_ = centreY;
    for (Handle& handle : handles_) {
        handle.normal = ImageElement(sheet, kDialHandleSprite, centreX, centreY,
                                     kImageAlignCentreX | kImageAlignCentreY);
        handle.hover = scaledImage(sheet, kDialHandleHoverSprite, centreX, centreY, 1.25f);
        handle.hover.setHidden(true);
    }
    layoutMarkers();
    layoutHandles();
}

DialPoint UIClockSlider::pointAt(float degrees, float distance) const {
    float radians = degrees * kDegreesToRadians;
    return {static_cast<int>(centreX_ + std::sin(radians) * distance),
            static_cast<int>(centreY_ - std::cos(radians) * distance)};
}

void UIClockSlider::layoutMarkers() {
    lowerMarker_ = pointAt(lower_, radius_ + kMarkerGap);
    upperMarker_ = pointAt(upper_, radius_ + kMarkerGap);
}

void UIClockSlider::layoutHandles() {
    for (int i = 0; i < 2; ++i) {
        DialPoint at = handlePoint(i);
        handles_[i].normal.setAnchor(at.x, at.y);
        handles_[i].hover.setAnchor(at.x, at.y);
    }
}

void UIClockSlider::setPosition(int x, int y) {
    UIBase::setPosition(x, y);
    centreX_ = static_cast<float>(x);
    centreY_ = static_cast<float>(y);
    hub_.setAnchor(x, y);
    layoutMarkers();
    layoutHandles();
}

void UIClockSlider::setRadius(float radius) {
    radius_ = radius;
    layoutMarkers();
    layoutHandles();
}

void UIClockSlider::setLimits(float lower, float upper) {
    lower_ = lower;
    upper_ = upper;
    layoutMarkers();
}

void UIClockSlider::setAngles(float first, float second) {
    angles_[0] = first;
    angles_[1] = second;
    layoutHandles();
}

bool UIClockSlider::input(int code, int x, int y) {
    if (!acceptsInput()) return false;
    for (Handle& handle : handles_) handle.showHover(handle.hover.hitTest(x, y));
    if (!capture_.active()) {
        if (code != kEventHeld) return false;
        if (handles_[0].hover.hitTest(x, y)) {
            dragged_ = 1;
        } else if (handles_[1].hover.hitTest(x, y)) {
            dragged_ = 2;
        } else {
            return false;
        }
        capture_.begin(*this);
    }
    float angle = std::atan2(static_cast<float>(x) - centreX_, centreY_ - static_cast<float>(y)) *
                  kRadiansToDegrees;
    // std::clamp would be undefined for limits given the wrong way round.
    angle = std::min(std::max(angle, lower_), upper_);
    Handle& handle = handles_[dragged_ - 1];
    angles_[dragged_ - 1] = angle;
    handle.showHover(true);
    layoutHandles();
    if (!isRelease(code)) return true;
    endDrag();
    return true;
}

void UIClockSlider::setState(bool enabled, bool) {
    // The dial is never greyed out, but a drag cut off by disabling its panel (the wheel was
    // unplugged) must end, or the handle would follow the pointer with the button up later.
    if (!enabled && capture_.active()) endDrag();
}

void UIClockSlider::endDrag() {
    if (angles_[0] > angles_[1]) {
        std::swap(angles_[0], angles_[1]);
        layoutHandles();
    }
    capture_.end();
    dragged_ = 0;
}

void UIClockSlider::drawThickLine(float ax, float ay, float bx, float by, std::uint32_t colour,
                                  float halfWidth) {
    float direction = std::atan2(bx - ax, by - ay) + kHalfPi;
    float dx = halfWidth * std::sin(direction);
    float dy = halfWidth * std::cos(direction);
    sheet_.drawFlatQuad({ColouredPoint{ax + dx, ay + dy, colour}, ColouredPoint{bx + dx, by + dy, colour},
                         ColouredPoint{bx - dx, by - dy, colour}, ColouredPoint{ax - dx, ay - dy, colour}});
}

void UIClockSlider::drawArc(float first, float second, std::uint32_t alpha, bool reversedRamp) {
    if (first == second) return;
    float a1 = std::min(first, second);
    float a2 = std::max(first, second);
    float step = (a2 - a1) / kArcSegments;
    auto colourAfter = [&](int steps) {
        float green = reversedRamp ? 255.0f - kArcGreenStep * steps : kArcGreenStep * steps;
        auto g = static_cast<std::uint32_t>(static_cast<std::uint8_t>(static_cast<int>(green)));
        return (alpha << 24) | 0x00FF0000u | (g << 8);
    };
    auto pointOnCircle = [&](float degrees, std::uint32_t colour) {
        DialPoint at = pointAt(degrees, radius_);
        return ColouredPoint{static_cast<float>(at.x), static_cast<float>(at.y), colour};
    };
    ColouredPoint previous = pointOnCircle(a1, colourAfter(0));
    for (int k = 1; k <= kArcSegments; ++k) {
        std::uint32_t before = colourAfter(k - 1);
        ColouredPoint next = pointOnCircle(a1 + k * step, colourAfter(k));
        previous.colour = before;
        sheet_.drawFlatTriangle({ColouredPoint{centreX_, centreY_, before}, previous, next});
        previous = next;
    }
}

void UIClockSlider::draw() {
    auto line = [&](DialPoint to, std::uint32_t colour, float halfWidth, bool mirror) {
        float toX = mirror ? 2 * centreX_ - to.x : static_cast<float>(to.x);
        drawThickLine(centreX_, centreY_, toX, static_cast<float>(to.y), colour, halfWidth);
    };
    if (mirrored_) {
        line(upperMarker_, kMirrorMarkerColour, 3, true);
        drawArc(-angles_[0], -angles_[1], kMirrorArcAlpha, true);
        line(handlePoint(0), kMirrorSpokeColour, 2, true);
        line(handlePoint(1), kMirrorSpokeColour, 2, true);
    }
    line(lowerMarker_, kMarkerColour, 3, false);
    line(upperMarker_, kMarkerColour, 3, false);
    drawArc(angles_[0], angles_[1], kArcAlpha, rampReversed_);
    line(handlePoint(0), kSpokeColour, 2, false);
    line(handlePoint(1), kSpokeColour, 2, false);
    hub_.draw(sheet_);
    for (const Handle& handle : handles_) {
        handle.normal.draw(sheet_);
        handle.hover.draw(sheet_);
    }
}

}  // namespace kestrel
