// A remembered window place against the monitors there are now: kept while one shows enough of
// the window, else moved onto the nearest monitor, never off every one.
#include "skin/ScreenPlace.h"

#include <gtest/gtest.h>

namespace {

TEST(ScreenPlaceTest, APlaceOffEveryMonitorIsMovedOntoTheNearest)
{
    const SkinRect left{0, 0, 1024, 738};        // a work area above a 30-pixel task bar
    const SkinRect right{1024, 0, 2944, 1050};   // a larger monitor beside it
    struct Case {
        const char* what;
        SkinRect window;
        std::vector<SkinRect> monitors;
        SkinPoint expected;
    };
    const Case cases[] = {
        {"wholly on the first", {100, 100, 277, 392}, {left, right}, {100, 100}},
        {"across both", {950, 200, 1127, 492}, {left, right}, {950, 200}},
        {"mostly off the right edge, 48 pixels still on", {2896, 10, 3073, 302}, {left, right},
         {2896, 10}},
        {"47 pixels on", {2897, 10, 3074, 302}, {left, right}, {2767, 10}},
        {"the second monitor unplugged", {1500, 400, 1677, 692}, {left}, {847, 400}},
        {"above the screen", {300, -500, 477, -208}, {left, right}, {300, 0}},
        {"below the task bar", {300, 730, 477, 1022}, {left}, {300, 446}},
        {"far left of both", {-5000, 300, -4823, 592}, {left, right}, {0, 300}},
        {"larger than the screen", {-50, -50, 1950, 1050}, {SkinRect{2000, 0, 2800, 600}},
         {2000, 0}},
        {"no monitor known", {-5000, -5000, -4823, -4708}, {}, {-5000, -5000}},
        {"a small window shown whole", {10, 10, 30, 30}, {left}, {10, 10}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceOnScreen(c.window, c.monitors), c.expected)
            << c.what << ": got (" << PlaceOnScreen(c.window, c.monitors).x << ", "
            << PlaceOnScreen(c.window, c.monitors).y << ")";
}

}  // namespace
