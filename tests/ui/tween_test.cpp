#include <gtest/gtest.h>

#include <cmath>

#include "ui/tween.h"

namespace kestrel {
namespace {

TEST(Easing, EveryCurveStartsAtZeroAndEndsAtOne) {
    for (int curve = 0; curve < kEasingCurveCount; ++curve) {
        EXPECT_NEAR(ease(curve, 0.0), 0.0, 1e-9) << "curve " << curve;
        EXPECT_NEAR(ease(curve, 1.0), 1.0, 1e-9) << "curve " << curve;
    }
}

TEST(Easing, MonotoneCurvesNeverFallAndStayWithinTheRange) {
    for (int curve = 0; curve < kEasingCurveCount; ++curve) {
        if (!easingIsMonotone(curve)) continue;
        double previous = ease(curve, 0.0);
        for (int i = 1; i <= 1000; ++i) {
            double v = ease(curve, i / 1000.0);
            EXPECT_GE(v, previous - 1e-12) << "curve " << curve << " at " << i;
            EXPECT_LE(v, 1.0 + 1e-12) << "curve " << curve;
            previous = v;
        }
    }
}

TEST(Easing, OvershootingCurvesLeaveTheRangeSomewhere) {
    // Back and elastic curves overshoot; a table slip that made them linear would go unnoticed.
    for (int curve : {kEaseBackIn, kEaseBackOut, kEaseBackInOut, kEaseElasticIn, kEaseElasticOut,
                      kEaseElasticInOut}) {
        bool outside = false;
        for (int i = 1; i < 1000; ++i) {
            double v = ease(curve, i / 1000.0);
            outside = outside || v < 0.0 || v > 1.0;
        }
        EXPECT_TRUE(outside) << "curve " << curve;
    }
}

TEST(Easing, CurvesMatchTheirFormulasAtKnownPoints) {
    struct Point { int curve; double t; double expected; };
    const Point points[] = {
        {kEaseBounceOut, 0.5, 7.5625 * std::pow(0.5 - 1.5 / 2.75, 2) + 0.75},
        {kEaseBounceIn, 0.5, 1 - (7.5625 * std::pow(0.5 - 1.5 / 2.75, 2) + 0.75)},
        {kEaseExponentialOut, 0.5, 1 - std::pow(2, -5)},
        {kEaseCubicInOut, 0.25, 4 * std::pow(0.25, 3)},
        {kEaseQuadraticInOut, 0.75, -2 * 0.75 * (0.75 - 2) - 1},
        {kEaseBackIn, 0.5, 0.25 * (2.70158 * 0.5 - 1.70158)},
        {kEaseSineInOut, 0.5, 0.5},
        {kEaseCircularIn, 0.6, 1 - std::sqrt(1 - 0.36)},
        {kEaseElasticOut, 0.3, std::pow(2, -3) * std::sin((0.3 - 0.075) * 2 * M_PI / 0.3) + 1},
        {kEaseQuinticOut, 0.5, std::pow(-0.5, 5) + 1},
        {kEaseLinear3, 0.3, 0.3},
    };
    for (const Point& p : points) {
        EXPECT_NEAR(ease(p.curve, p.t), p.expected, 1e-9) << "curve " << p.curve;
    }
}

TEST(Tween, RunsFromStartToStartPlusChangeInItsDuration) {
    for (int curve = 0; curve < kEasingCurveCount; ++curve) {
        Tween tween{curve, kSlideFrames, 0, false, 0, 100.0, -800.0};
        double v = 0;
        int steps = 0;
        while (!tween.finished()) {
            v = tween.step();
            ++steps;
        }
        EXPECT_EQ(steps, kSlideFrames) << "curve " << curve;
        EXPECT_NEAR(v, -700.0, 1e-6) << "curve " << curve;
        EXPECT_NEAR(tween.step(), -700.0, 1e-6) << "a finished tween stays at its end";
    }
}

TEST(Tween, DelayHoldsTheStartValueBeforeMoving) {
    Tween tween{kEaseLinear, 10, 0, false, 5, 2.0, 10.0};
    for (int i = 0; i < 5; ++i) EXPECT_DOUBLE_EQ(tween.step(), 2.0);
    EXPECT_EQ(tween.frame, 0);
    EXPECT_DOUBLE_EQ(tween.step(), 3.0);
}

TEST(Tween, ClampStopsOvershootInTheDirectionOfTheChange) {
    Tween rising{kEaseBackOut, 45, 0, true, 0, 0.0, 1.0};
    Tween falling{kEaseBackOut, 45, 0, true, 0, 1.0, -1.0};
    Tween free{kEaseBackOut, 45, 0, false, 0, 0.0, 1.0};
    double highest = 0;
    double lowest = 1;
    double freeHighest = 0;
    for (int i = 0; i < 45; ++i) {
        highest = std::max(highest, rising.step());
        lowest = std::min(lowest, falling.step());
        freeHighest = std::max(freeHighest, free.step());
    }
    EXPECT_DOUBLE_EQ(highest, 1.0);
    EXPECT_DOUBLE_EQ(lowest, 0.0);
    EXPECT_GT(freeHighest, 1.0);
}

TEST(Tween, ZeroDurationIsAtItsEndAtOnce) {
    Tween tween{kEaseBounceOut, 0, 0, false, 0, 3.0, 4.0};
    EXPECT_TRUE(tween.finished());
    EXPECT_DOUBLE_EQ(tween.step(), 7.0);
}

}  // namespace
}  // namespace kestrel
