// Draws the progress HUD's status marks: info, success and error, in white and in black, each a ring
// around its sign, 40 points at two pixels per point. Usage: hudimages <folder>
#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/Image.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace {

constexpr double side = 40;
constexpr double line = 3;

Kit::BezierPath stroke(std::initializer_list<Kit::Point> points)
{
    Kit::BezierPath path;
    bool first = true;
    for (const Kit::Point point : points) {
        if (first)
            path.moveTo(point);
        else
            path.lineTo(point);
        first = false;
    }
    return path;
}

bool write(const std::filesystem::path& file, const Kit::Colour& colour,
           const std::function<void(Kit::GraphicsContext&, const Kit::Colour&)>& sign)
{
    Kit::Image image(Kit::Size {side, side}, 2);
    image.lockFocus();
    if (auto* context = Kit::GraphicsContext::current()) {
        const double inset = line / 2 + 1;
        context->strokePath(Kit::BezierPath::oval({inset, inset, side - 2 * inset, side - 2 * inset}), colour, line);
        sign(*context, colour);
    }
    image.unlockFocus();
    return image.writePNG(file);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: hudimages <folder>\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const auto info = [](Kit::GraphicsContext& context, const Kit::Colour& colour) {
        context.fillPath(Kit::BezierPath::oval({18, 26, 4, 4}), colour);
        context.fillPath(Kit::BezierPath::roundedRect({18.5, 10, 3, 13}, 1.5, 1.5), colour);
    };
    const auto success = [](Kit::GraphicsContext& context, const Kit::Colour& colour) {
        context.strokePath(stroke({{12, 20.5}, {17.5, 15}, {28, 25.5}}), colour, line);
    };
    const auto error = [](Kit::GraphicsContext& context, const Kit::Colour& colour) {
        context.strokePath(stroke({{14, 14}, {26, 26}}), colour, line);
        context.strokePath(stroke({{26, 14}, {14, 26}}), colour, line);
    };
    bool ok = true;
    for (const auto& [name, colour] :
         {std::pair {"white", Kit::Colour::whiteColor()}, std::pair {"black", Kit::Colour::black()}}) {
        ok = write(folder / ("info_" + std::string(name) + "@2x.png"), colour, info) && ok;
        ok = write(folder / ("success_" + std::string(name) + "@2x.png"), colour, success) && ok;
        ok = write(folder / ("error_" + std::string(name) + "@2x.png"), colour, error) && ok;
    }
    return ok ? 0 : 1;
}
