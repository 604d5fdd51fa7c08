#include "QVToolsKit/UI/ColorExtension.h"

#include "Platform/Kit/Appearance.h"

#include <cstdlib>
#include <string>

namespace QVToolsKit {

Kit::Colour colorLight(Kit::Colour light, std::optional<Kit::Colour> dark)
{
    return Kit::Colour::dynamic([light = std::move(light), dark = std::move(dark)](const Kit::Appearance& appearance) {
        const auto match = appearance.bestMatch(
            {std::string(Kit::Appearance::darkAquaName), std::string(Kit::Appearance::vibrantDarkName)});
        return match ? dark.value_or(light) : light;
    });
}

Kit::Colour colorHex(long long hex, double alpha)
{
    const auto bits = static_cast<unsigned long long>(hex);
    return {static_cast<double>((bits >> 16) & 0xFF) / 255.0, static_cast<double>((bits >> 8) & 0xFF) / 255.0,
        static_cast<double>(bits & 0xFF) / 255.0, alpha};
}

Kit::Colour hexColor(unsigned long long hex) { return colorHex(static_cast<long long>(hex), 1.0); }

Kit::Colour rgbaColor(double red, double green, double blue, double alpha)
{
    return {red / 255.0, green / 255.0, blue / 255.0, alpha};
}

Kit::Colour rgbColor(double gray) { return rgbaColor(gray, gray, gray, 1.0); }

Kit::Colour randomColor(const std::function<std::uint32_t()>& source)
{
    const auto next = [&] { return static_cast<double>((source ? source() : arc4random()) % 255) / 255.0; };
    const double red = next();
    const double green = next();
    const double blue = next();
    return {red, green, blue, 1.0};
}

Kit::Colour controlAccentColor() { return Kit::Colour::controlAccentColor(); }

Kit::Colour blackColorWithAlpha(double alpha) { return Kit::Colour::white(0.0, alpha); }

Kit::Colour whiteColorWithAlpha(double alpha) { return Kit::Colour::white(1.0, alpha); }

} // namespace QVToolsKit
