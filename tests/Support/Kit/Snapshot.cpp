#include "tests/Support/Kit/Snapshot.h"

#include "Platform/Kit/ImageRepresentation.h"
#include "Platform/Kit/QtBridge.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/Window.h"

#include <cmath>
#include <sstream>
#include <utility>

namespace Kit::Testing {

namespace {
std::vector<Image>& recent()
{
    static std::vector<Image> images;
    return images;
}
} // namespace

Snapshot::Snapshot(Image image) : image_(std::move(image)) { recent().push_back(image_); }

std::vector<Image> Snapshot::takeRecent() { return std::exchange(recent(), {}); }

Snapshot Snapshot::of(View& view, double scale) { return Snapshot(view.render(scale)); }
Snapshot Snapshot::of(Window& window, double scale) { return Snapshot(window.render(scale)); }

Colour Snapshot::colourAt(Point p) const { return image_.colourAt(p); }

namespace {

// Device pixel bounds of a rect in points (y up).
QRect deviceRect(const QImage& pixels, const Rect& r, double height)
{
    const double s = pixels.devicePixelRatio();
    const Rect f = QtBridge::flipped(r.standardized(), height);
    const int x0 = std::max(0, static_cast<int>(std::floor(f.x() * s + 1e-9)));
    const int y0 = std::max(0, static_cast<int>(std::floor(f.y() * s + 1e-9)));
    const int x1 = std::min(pixels.width(), static_cast<int>(std::ceil((f.x() + f.width()) * s - 1e-9)));
    const int y1 = std::min(pixels.height(), static_cast<int>(std::ceil((f.y() + f.height()) * s - 1e-9)));
    return QRect(x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0));
}

} // namespace

std::optional<Rect> Snapshot::inkBounds(int threshold) const
{
    const QImage& pixels = image_.representation().pixels;
    int x0 = pixels.width(), y0 = pixels.height(), x1 = -1, y1 = -1;
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x)
            if (qAlpha(pixels.pixel(x, y)) > threshold) {
                x0 = std::min(x0, x);
                y0 = std::min(y0, y);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
            }
    if (x1 < 0)
        return std::nullopt;
    const double s = pixels.devicePixelRatio();
    const Rect down {x0 / s, y0 / s, (x1 - x0 + 1) / s, (y1 - y0 + 1) / s};
    return QtBridge::flipped(down, image_.size().height);
}

bool Snapshot::isClear(const Rect& rect) const
{
    const QImage& pixels = image_.representation().pixels;
    const QRect d = deviceRect(pixels, rect, image_.size().height);
    for (int y = d.top(); y <= d.bottom(); ++y)
        for (int x = d.left(); x <= d.right(); ++x)
            if (qAlpha(pixels.pixel(x, y)) != 0)
                return false;
    return true;
}

int Snapshot::countPartial(const Rect& rect) const
{
    const QImage& pixels = image_.representation().pixels;
    const QRect d = deviceRect(pixels, rect, image_.size().height);
    int count = 0;
    for (int y = d.top(); y <= d.bottom(); ++y)
        for (int x = d.left(); x <= d.right(); ++x) {
            const int a = qAlpha(pixels.pixel(x, y));
            count += (a > 0 && a < 255) ? 1 : 0;
        }
    return count;
}

void Snapshot::save(const std::string& suite, const std::string& name) const
{
    EXPECT_TRUE(image_.writePNG(std::filesystem::path(AERLO_BINARY_DIR) / "test-renders" / suite / (name + ".png")));
}

::testing::AssertionResult drawnWhole(View& view)
{
    const auto laidOut = Snapshot::of(view, 2).inkBounds();
    const Rect frame = view.frame();
    view.setFrame({frame.origin, {frame.width() + 60, frame.height()}});
    const auto roomy = Snapshot::of(view, 2).inkBounds();
    view.setFrame(frame);
    if (!laidOut || !roomy)
        return ::testing::AssertionFailure() << "nothing drawn";
    // Widths, not edges: a centred or right-aligned text moves in the wider frame.
    if (laidOut->width() < roomy->width())
        return ::testing::AssertionFailure() << "drawn " << laidOut->width() << " wide of " << roomy->width();
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult colourNear(const Colour& actual, const Colour& expected, double tolerance)
{
    const Colour a = actual.resolved();
    const Colour e = expected.resolved();
    const double d[4] = {a.redComponent() - e.redComponent(), a.greenComponent() - e.greenComponent(),
                         a.blueComponent() - e.blueComponent(), a.alphaComponent() - e.alphaComponent()};
    for (double x : d)
        if (std::fabs(x) > tolerance + 1e-9) {
            std::ostringstream out;
            out << "colour (" << a.redComponent() * 255 << ", " << a.greenComponent() * 255 << ", "
                << a.blueComponent() * 255 << ", " << a.alphaComponent() * 255 << ") is not near ("
                << e.redComponent() * 255 << ", " << e.greenComponent() * 255 << ", " << e.blueComponent() * 255 << ", "
                << e.alphaComponent() * 255 << ")";
            return ::testing::AssertionFailure() << out.str();
        }
    return ::testing::AssertionSuccess();
}

} // namespace Kit::Testing
