#include "ui/tween.h"

#include <cmath>
#include <numbers>

namespace kestrel {
namespace {

constexpr double kPi = std::numbers::pi;

double bounceOut(double t) {
    if (t < 1 / 2.75) return 7.5625 * t * t;
    if (t < 2 / 2.75) {
        t -= 1.5 / 2.75;
        return 7.5625 * t * t + 0.75;
    }
    if (t < 2.5 / 2.75) {
        t -= 2.25 / 2.75;
        return 7.5625 * t * t + 0.9375;
    }
    t -= 2.625 / 2.75;
    return 7.5625 * t * t + 0.984375;
}

double backIn(double t) { return t * t * (2.70158 * t - 1.70158); }
double backOut(double t) {
    double s = t - 1;
    return s * s * (2.70158 * s + 1.70158) + 1;
}
double backInOut(double t) {
    double u = 2 * t;
    if (u < 1) return u * u * (3.5949095 * u - 2.5949095) / 2;
    u -= 2;
    return (u * u * (3.5949095 * u + 2.5949095) + 2) / 2;
}
double bounceIn(double t) { return 1 - bounceOut(1 - t); }
double bounceInOut(double t) {
    double u = 2 * t;
    if (u < 1) return (1 - bounceOut(1 - u)) / 2;
    return bounceOut(u - 1) / 2 + 0.5;
}
double circularIn(double t) { return 1 - std::sqrt(1 - t * t); }
double circularOut(double t) { return std::sqrt(1 - (t - 1) * (t - 1)); }
double circularInOut(double t) {
    double u = 2 * t;
    if (u < 1) return (1 - std::sqrt(1 - u * u)) / 2;
    return (std::sqrt(1 - (u - 2) * (u - 2)) + 1) / 2;
}
double cubicIn(double t) { return t * t * t; }
double cubicOut(double t) { return std::pow(t - 1, 3) + 1; }
double cubicInOut(double t) { return t < 0.5 ? 4 * t * t * t : 4 * std::pow(t - 1, 3) + 1; }
double elasticIn(double t) {
    if (t == 0 || t == 1) return t;
    return -std::pow(2, 10 * (t - 1)) * std::sin((t - 1 - 0.075) * 2 * kPi / 0.3);
}
double elasticOut(double t) {
    if (t == 0 || t == 1) return t;
    return std::pow(2, -10 * t) * std::sin((t - 0.075) * 2 * kPi / 0.3) + 1;
}
double elasticInOut(double t) {
    if (t == 0 || t == 1) return t;
    double u = 2 * t - 1;
    double s = std::sin((u - 0.1125) * 2 * kPi / 0.45);
    if (u < 0) return -0.5 * std::pow(2, 10 * u) * s;
    return 0.5 * std::pow(2, -10 * u) * s + 1;
}
double exponentialIn(double t) { return t == 0 ? 0 : std::pow(2, 10 * (t - 1)); }
double exponentialOut(double t) { return t == 1 ? 1 : 1 - std::pow(2, -10 * t); }
double exponentialInOut(double t) {
    if (t == 0 || t == 1) return t;
    double u = 2 * t - 1;
    if (u < 0) return std::pow(2, 10 * u) / 2;
    return 1 - std::pow(2, -10 * u) / 2;
}
double linear(double t) { return t; }
double quadraticIn(double t) { return t * t; }
double quadraticOut(double t) { return -t * (t - 2); }
double quadraticInOut(double t) { return t < 0.5 ? 2 * t * t : -2 * t * (t - 2) - 1; }
double quarticIn(double t) { return std::pow(t, 4); }
double quarticOut(double t) { return 1 - std::pow(t - 1, 4); }
double quarticInOut(double t) { return t < 0.5 ? 8 * std::pow(t, 4) : 1 - 8 * std::pow(t - 1, 4); }
double quinticIn(double t) { return std::pow(t, 5); }
double quinticOut(double t) { return std::pow(t - 1, 5) + 1; }
double quinticInOut(double t) { return t < 0.5 ? 16 * std::pow(t, 5) : 16 * std::pow(t - 1, 5) + 1; }
double sineIn(double t) { return 1 - std::cos(t * kPi / 2); }
double sineOut(double t) { return std::sin(t * kPi / 2); }
double sineInOut(double t) { return (1 - std::cos(t * kPi)) / 2; }

struct Curve {
    double (*ease)(double);
    bool monotone;
};

constexpr Curve kCurves[kEasingCurveCount] = {
    {backIn, false},        {backOut, false},        {backInOut, false},
    {bounceIn, false},      {bounceOut, false},      {bounceInOut, false},
    {circularIn, true},     {circularOut, true},     {circularInOut, true},
    {cubicIn, true},        {cubicOut, true},        {cubicInOut, true},
    {elasticIn, false},     {elasticOut, false},     {elasticInOut, false},
    {exponentialIn, true},  {exponentialOut, true},  {exponentialInOut, true},
    {linear, true},         {linear, true},          {linear, true},
    {quadraticIn, true},    {quadraticOut, true},    {quadraticInOut, true},
    {quarticIn, true},      {quarticOut, true},      {quarticInOut, true},
    {quinticIn, true},      {quinticOut, true},      {quinticInOut, true},
    {sineIn, true},         {sineOut, true},         {sineInOut, true},
};

bool knownCurve(int curve) { return curve >= 0 && curve < kEasingCurveCount; }

}  // namespace

double ease(int curve, double t) {
    return knownCurve(curve) ? kCurves[curve].ease(t) : linear(t);
}

bool easingIsMonotone(int curve) { return !knownCurve(curve) || kCurves[curve].monotone; }

double Tween::step() {
    if (delay > 0) {
        --delay;
        return start;
    }
    if (frame < duration) ++frame;
    // A zero-length tween is already at its end rather than dividing by zero.
    double t = duration > 0 ? static_cast<double>(frame) / duration : 1.0;
    double v = ease(curve, t) * change + start;
    if (clamp) {
        double last = end();
        if (change >= 0 && v > last) v = last;
        if (change < 0 && v < last) v = last;
    }
    return v;
}

}  // namespace kestrel
