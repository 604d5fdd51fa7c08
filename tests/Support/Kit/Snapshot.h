#pragma once

#include "Platform/Kit/Colour.h"
#include "Platform/Kit/Image.h"
#include "Platform/Kit/Rect.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace Kit {
class View;
class Window;
}

namespace Kit::Testing {

// A view or window rendered offscreen, probed in the view's points (y up from the bottom left).
class Snapshot {
public:
    explicit Snapshot(Image image);
    static Snapshot of(View& view, double scale = 1);
    static Snapshot of(Window& window, double scale = 1);

    const Image& image() const { return image_; }
    Size size() const { return image_.size(); }
    // The colour (not premultiplied) of the device pixel under the point.
    Colour colourAt(Point point) const;
    double alphaAt(Point point) const { return colourAt(point).alphaComponent(); }
    // The bounds of pixels with alpha above `threshold` / 255, in points; none when nothing is drawn.
    std::optional<Rect> inkBounds(int threshold = 8) const;
    bool isClear(const Rect& rect) const;
    // Pixels with an alpha strictly between 0 and 255 (antialiasing) in the rect.
    int countPartial(const Rect& rect) const;

    // Writes build/test-renders/<suite>/<name>.png.
    void save(const std::string& suite, const std::string& name) const;

    // The snapshots taken since the last call (a failed test writes them out for a reviewer).
    static std::vector<Image> takeRecent();

private:
    Image image_;
};

::testing::AssertionResult colourNear(const Colour& actual, const Colour& expected, double tolerance = 2.0 / 255);
// The ink of `view` as laid out is as wide as when drawn with room to spare: nothing is clipped.
::testing::AssertionResult drawnWhole(View& view);

} // namespace Kit::Testing

#define EXPECT_COLOUR_NEAR(actual, expected) EXPECT_TRUE(::Kit::Testing::colourNear((actual), (expected)))
#define EXPECT_COLOUR_NEAR_TOL(actual, expected, tol)                                                                  \
    EXPECT_TRUE(::Kit::Testing::colourNear((actual), (expected), (tol)))
