#include "Classes/App/QVStatusBarView.h"

#include "Classes/Configure/Global/SettingsKey.h"
#include "Classes/Sensors/SMCManager.h"
#include "Platform/Foundation/UserDefaults.h"

#include <algorithm>
#include <cmath>

namespace Aerlo {

QVStatusBarView::QVStatusBarView(const Kit::Rect& frame) : Kit::View(frame)
{
    addSubview(icon);
    addSubview(leftFanSpeedText);
    addSubview(rightFanSpeedText);
    addSubview(temperatureText);
}

void QVStatusBarView::layout()
{
    Kit::View::layout();
    if (fanCount == 1)
        layoutOneFan();
    else
        layoutTwoFans();
}

void QVStatusBarView::layoutTwoFans()
{
    const Kit::Rect b = bounds();
    const double h = b.height();
    icon->setFrame({2, (h - 16) / 2, 16, 16});
    const double x0 = icon->frame().maxX() + 4;
    // The speeds keep the temperature's width free only while it shows, and are never narrower than
    // their texts (rounded up to whole points): no speed is shaved.
    const double room = b.width() - x0 - (temperatureText->isHidden() ? 0 : textFieldWidth);
    const double speedWidth =
        std::max({room, std::ceil(leftFanSpeedText->font.sizeOf(leftFanSpeedText->stringValue).width),
                  std::ceil(rightFanSpeedText->font.sizeOf(rightFanSpeedText->stringValue).width)});
    leftFanSpeedText->setFrame({x0, h / 2, speedWidth, h / 2});
    rightFanSpeedText->setFrame({x0, 0, speedWidth, h / 2});
    temperatureText->setFrame({b.width() - textFieldWidth, 0, textFieldWidth, h});
    // Turns about its centre.
    icon->setWantsLayer(true);
    Kit::Layer& layer = icon->layer();
    layer.setAnchorPoint({0.5, 0.5});
    const Kit::Rect f = icon->frame();
    layer.setPosition({f.midX(), f.midY()});
}

void QVStatusBarView::layoutOneFan()
{
    const Kit::Rect b = bounds();
    const double h = b.height();
    icon->setFrame({b.minX(), b.minY(), h, h});
    const double x = icon->frame().maxX();
    if (Foundation::UserDefaults::standard().boolValue(SettingsKey::isDisplayCPUStatusBar)) {
        temperatureText->font = Kit::Font::systemFont(10);
        temperatureText->setFrame({x + 6.5, b.midY(), 30, 13});
        leftFanSpeedText->setFrame({x, b.midY() - 10, 43, 10});
        rightFanSpeedText->setHidden(true);
        temperatureText->setHidden(false);
    } else {
        leftFanSpeedText->setFrame({x, (h - 10) / 2, 43, 10});
        rightFanSpeedText->setHidden(true);
        temperatureText->setHidden(true);
    }
}

void QVStatusBarView::arrange(bool showingFans)
{
    const Kit::Rect b = bounds();
    const double h = b.height();
    icon->setFrame({b.minX(), b.minY(), h, h});
    const double afterIcon = icon->frame().maxX() + 2;
    double temperatureStart = afterIcon;
    leftFanSpeedText->setHidden(!showingFans);
    rightFanSpeedText->setHidden(!showingFans);
    if (showingFans) {
        leftFanSpeedText->setFrame({afterIcon, b.midY(), 45, h / 2});
        rightFanSpeedText->setFrame({afterIcon, b.midY() - h / 2, 45, h / 2});
        temperatureStart = afterIcon + 45 + 3;
    }
    temperatureText->setFrame({temperatureStart, b.midY() - 8, 30, 16});
}

} // namespace Aerlo
