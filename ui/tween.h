#pragma once
// Tween: a value eased from start to start + change over a number of frames, one step per
// frame, after an optional delay. The easing curves are numbered; ease(curve, t) maps 0..1.
//
//   Tween slide{kEaseBounceOut, kSlideFrames, 0, true, 0, 0.0, -800.0};
//   double x = slide.step();   // each frame
//   if (slide.finished()) ...
#include <cstddef>

namespace kestrel {

enum EasingCurve : int {
    kEaseBackIn, kEaseBackOut, kEaseBackInOut,
    kEaseBounceIn, kEaseBounceOut, kEaseBounceInOut,
    kEaseCircularIn, kEaseCircularOut, kEaseCircularInOut,
    kEaseCubicIn, kEaseCubicOut, kEaseCubicInOut,
    kEaseElasticIn, kEaseElasticOut, kEaseElasticInOut,
    kEaseExponentialIn, kEaseExponentialOut, kEaseExponentialInOut,
    kEaseLinear, kEaseLinear2, kEaseLinear3,
    kEaseQuadraticIn, kEaseQuadraticOut, kEaseQuadraticInOut,
    kEaseQuarticIn, kEaseQuarticOut, kEaseQuarticInOut,
    kEaseQuinticIn, kEaseQuinticOut, kEaseQuinticInOut,
    kEaseSineIn, kEaseSineOut, kEaseSineInOut,
    kEasingCurveCount,
};

// The page slides and the console switch run this long.
constexpr int kSlideFrames = 45;

// Unknown curve numbers ease linearly.
double ease(int curve, double t);

// Back, bounce and elastic curves overshoot or wobble; all others only ever rise.
bool easingIsMonotone(int curve);

struct Tween {
    int curve = kEaseLinear;
    int duration = 0;      // frames
    int frame = 0;
    bool clamp = false;    // never past start + change in the direction of the change
    int delay = 0;         // frames that return the start value before the first step
    double start = 0.0;
    double change = 0.0;

    double step();
    bool finished() const { return frame >= duration; }
    double end() const { return start + change; }
};

}  // namespace kestrel
