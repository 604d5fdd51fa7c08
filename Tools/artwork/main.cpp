// Draws the application's icon (a blue rounded square with a white three-bladed fan, 128 points) and
// the pictures of a desktop with its display, a mini and a tower in the laptop picture's style
// (108 × 72 points), all at two pixels per point. Usage: artwork <folder>
#include "Platform/Kit/AffineTransform.h"
#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/Colour.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/Image.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <numbers>

namespace {

using Kit::Colour;

const Colour blue = Colour::fromRGB255(42, 111, 202);
const Colour bezel = Colour::fromRGB255(43, 47, 58);
const Colour lightMetal = Colour::fromRGB255(226, 229, 235);
const Colour darkMetal = Colour::fromRGB255(172, 177, 188);
const Colour shadow = Colour::fromRGB255(0, 0, 0, 0.10);

constexpr double pictureWidth = 108;
constexpr double pictureHeight = 72;

// A rectangle given from the picture's top.
Kit::Rect fromTop(double x, double top, double width, double height)
{
    return {x, pictureHeight - top - height, width, height};
}

bool write(const std::filesystem::path& file, Kit::Size size, const std::function<void(Kit::GraphicsContext&)>& draw)
{
    Kit::Image image(size, 2);
    image.lockFocus();
    if (auto* context = Kit::GraphicsContext::current())
        draw(*context);
    image.unlockFocus();
    const bool written = image.writePNG(file);
    if (!written)
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
    return written;
}

void fillGradient(Kit::GraphicsContext& context, const Kit::BezierPath& path, const Colour& top, const Colour& bottom)
{
    const Kit::Rect box = path.controlPointBounds();
    context.saveGraphicsState();
    context.clip(path);
    context.drawLinearGradient({top, bottom}, {0, 1}, {box.x(), box.maxY()}, {box.x(), box.y()});
    context.restoreGraphicsState();
}

// A lit screen inside its dark frame.
void screen(Kit::GraphicsContext& context, const Kit::Rect& frame, double radius)
{
    context.fillPath(Kit::BezierPath::roundedRect(frame, radius, radius), bezel);
    const Kit::Rect glass = frame.insetBy(3, 3);
    const Kit::BezierPath path = Kit::BezierPath::rect(glass);
    context.saveGraphicsState();
    context.clip(path);
    context.drawLinearGradient({Colour::fromRGB255(72, 142, 230), Colour::fromRGB255(112, 84, 214)}, {0, 1},
                               {glass.x(), glass.maxY()}, {glass.maxX(), glass.y()});
    // A soft reflection across the upper left.
    Kit::BezierPath shine;
    shine.moveTo({glass.x(), glass.maxY()});
    shine.lineTo({glass.x() + glass.width() * 0.55, glass.maxY()});
    shine.lineTo({glass.x(), glass.y() + glass.height() * 0.25});
    shine.closePath();
    context.fillPath(shine, Colour::fromRGB255(255, 255, 255, 0.10));
    context.restoreGraphicsState();
}

void groundShadow(Kit::GraphicsContext& context, double x, double width)
{
    context.fillPath(Kit::BezierPath::oval(fromTop(x, 64, width, 6)), shadow);
}

void appIcon(Kit::GraphicsContext& context)
{
    // The icon's own outline, as the desktop's scalable icon draws it (y down there, so flipped here).
    constexpr double side = 128;
    const auto at = [](double x, double y) { return Kit::Point {x, side - y}; };
    context.fillPath(Kit::BezierPath::roundedRect({0, 0, side, side}, 14, 14), blue);
    Kit::BezierPath blade;
    blade.moveTo(at(60, 61));
    blade.curveTo(at(75, 19), at(51, 50), at(55, 30));
    blade.curveTo(at(103, 39), at(86, 24), at(96, 30));
    blade.curveTo(at(69, 58), at(88, 37), at(74, 44));
    blade.closePath();
    const auto aroundCentre = [](double angle) {
        return Kit::AffineTransform::translation(-side / 2, -side / 2)
            .concatenating(Kit::AffineTransform::rotation(angle))
            .concatenating(Kit::AffineTransform::translation(side / 2, side / 2));
    };
    for (int i = 0; i < 3; ++i)
        context.fillPath(blade.transformed(aroundCentre(-2 * std::numbers::pi * i / 3)), Colour::whiteColor());
    context.fillPath(Kit::BezierPath::oval({side / 2 - 10, side / 2 - 10, 20, 20}), Colour::whiteColor());
}

void desktop(Kit::GraphicsContext& context)
{
    groundShadow(context, 30, 48);
    Kit::BezierPath neck;
    neck.moveTo({47, pictureHeight - 46});
    neck.lineTo({61, pictureHeight - 46});
    neck.lineTo({64, pictureHeight - 64});
    neck.lineTo({44, pictureHeight - 64});
    neck.closePath();
    fillGradient(context, neck, darkMetal, lightMetal);
    fillGradient(context, Kit::BezierPath::roundedRect(fromTop(34, 63, 40, 3), 1.5, 1.5), lightMetal, darkMetal);
    screen(context, fromTop(17, 3, 74, 46), 4);
}

void mini(Kit::GraphicsContext& context)
{
    groundShadow(context, 12, 84);
    // A low box seen from the front, lit from above, on its darker foot.
    context.fillPath(Kit::BezierPath::roundedRect(fromTop(18, 58, 72, 5), 2.5, 2.5), Colour::fromRGB255(120, 125, 138));
    fillGradient(context, Kit::BezierPath::roundedRect(fromTop(12, 36, 84, 24), 7, 7),
                 Colour::fromRGB255(238, 240, 244), Colour::fromRGB255(184, 189, 199));
    context.fillPath(Kit::BezierPath::roundedRect(fromTop(18, 37, 72, 1.5), 0.75, 0.75),
                     Colour::fromRGB255(255, 255, 255, 0.8));
    context.fillPath(Kit::BezierPath::oval(fromTop(86, 49, 3, 3)), Colour::fromRGB255(120, 210, 140));
}

void tower(Kit::GraphicsContext& context)
{
    groundShadow(context, 28, 52);
    const Kit::Rect body = fromTop(32, 4, 44, 62);
    fillGradient(context, Kit::BezierPath::roundedRect(body, 5, 5), lightMetal, darkMetal);
    // The handles at the top.
    context.fillPath(Kit::BezierPath::roundedRect(fromTop(35, 2, 38, 5), 2.5, 2.5), Colour::fromRGB255(160, 165, 176));
    // The front grille: rows of holes, every other row shifted.
    const Kit::Rect grille = body.insetBy(5, 8);
    context.fillPath(Kit::BezierPath::roundedRect(grille, 3, 3), Colour::fromRGB255(200, 204, 213));
    int row = 0;
    for (double y = grille.y() + 3; y < grille.maxY() - 2; y += 3.2, ++row)
        for (double x = grille.x() + 3 + (row % 2) * 1.6; x < grille.maxX() - 2; x += 3.2)
            context.fillPath(Kit::BezierPath::oval({x - 1, y - 1, 2, 2}), Colour::fromRGB255(120, 125, 138));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: artwork <folder>\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const Kit::Size picture {pictureWidth, pictureHeight};
    const bool written = write(folder / "AppIcon@2x.png", {128, 128}, appIcon)
                         && write(folder / "NSComputer-desktop@2x.png", picture, desktop)
                         && write(folder / "NSComputer-mini@2x.png", picture, mini)
                         && write(folder / "NSComputer-tower@2x.png", picture, tower);
    return written ? 0 : 1;
}
