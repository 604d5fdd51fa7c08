#include "QVToolsKit/UI/DisplayConstants.h"

#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/Screen.h"
#include "QVToolsKit/OnceValue.h"

#include <string>

namespace QVToolsKit {

namespace {

double screenScale()
{
    const auto screen = Kit::Screen::main();
    return screen ? screen->backingScaleFactor() : 1.0;
}

double screenWidth()
{
    const auto screen = Kit::Screen::main();
    return screen ? screen->frame().width() : 0.0;
}

double screenHeight()
{
    const auto screen = Kit::Screen::main();
    return screen ? screen->frame().height() : 0.0;
}

double statusBarHeight() { return 0; }

bool appIsDarkTheme()
{
    const std::string dark(Kit::Appearance::darkAquaName);
    return Kit::Appearance::effectiveApplication().bestMatch({dark, std::string(Kit::Appearance::aquaName)}) == dark;
}

} // namespace

double kScreenScale() { return OnceValue::get<double, screenScale>(); }
double kScreenWidth() { return OnceValue::get<double, screenWidth>(); }
double kScreenHeight() { return OnceValue::get<double, screenHeight>(); }
double kStatusBarHeight() { return OnceValue::get<double, statusBarHeight>(); }

Kit::Font font(double ofSize) { return Kit::Font::systemFont(ofSize); }
Kit::Font boldFont(double ofSize) { return Kit::Font::boldSystemFont(ofSize); }
Kit::Font mediumFont(double ofSize, double weight) { return Kit::Font::systemFont(ofSize, weight); }

bool kAppIsDarkTheme() { return OnceValue::get<bool, appIsDarkTheme>(); }

} // namespace QVToolsKit
