#pragma once
// UISlider: the pedal-pressure track with a draggable thumb giving a value 0..256. Its place
// and sprites are its own; moving its panel does not move it. Only a press on the thumb starts
// a drag (a press on the track beside it does nothing); while dragged it holds its panel's
// capture; disabling or hiding it ends the drag. Owners read value() after a drag and push
// stored settings with setValue().
//
//   auto& pressure = mainPanel.add(std::make_unique<UISlider>(sheet, mainPanel));
//   pressure.setValue(256);
#include "ui/image_element.h"
#include "ui/pointer.h"
#include "ui/ui_base.h"

namespace kestrel {

class UIPanel;

constexpr int kSliderId = 250;
constexpr int kSliderTrackSprite = 64;
constexpr int kSliderThumbSprite = 82;
constexpr int kSliderX = 548;
constexpr int kSliderY = 413;
constexpr int kSliderMaximum = 256;

class UISlider : public UIBase {
public:
    UISlider(SpriteSheet& sheet, UIPanel& capturePanel);

    bool input(int code, int x, int y) override;
    void draw() override;
    void setPosition(int, int) override {}  // the slider never moves
    void setState(bool enabled, bool visible) override;

    void setThumbOffset(int offset);
    void setValue(int value);

    int value() const { return value_; }
    int thumbOffset() const { return thumbOffset_; }
    int trackLength() const { return trackLength_; }
    bool dragging() const { return capture_.active(); }
    const ImageElement& trackImage() const { return track_; }
    const ImageElement& thumbImage() const { return thumb_; }

private:
    void layout();

    SpriteSheet& sheet_;
    ImageElement track_;
    ImageElement thumb_;
    DragCapture capture_;
    int thumbOffsetX_ = 0;
    int thumbOffsetY_ = 0;
    int trackLength_ = 0;
    int maximum_ = kSliderMaximum;
    int thumbOffset_ = 0;
    int value_ = 0;
    float scale_ = 0.0f;  // value per pixel of track
};

}  // namespace kestrel
