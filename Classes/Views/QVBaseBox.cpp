#include "Classes/Views/QVBaseBox.h"

#include "Classes/Configure/GlobalUI/AppearanceManager.h"
#include "Platform/Kit/Appearance.h"

namespace Aerlo {

namespace {

const Kit::Colour darkFill = Kit::Colour::black().withAlphaComponent(0.15);
const Kit::Colour lightFill = Kit::Colour::whiteColor().withAlphaComponent(0.4);

} // namespace

QVBaseBox::QVBaseBox(const Kit::Rect& frame) : Kit::Box(frame) { setUp(); }

QVBaseBox::QVBaseBox(const Kit::Coder& coder) : Kit::Box(coder.frame)
{
    setWantsLayer(true);
    setUp();
}

void QVBaseBox::awakeFromNib() { setUp(); }

Kit::Colour QVBaseBox::currentFill()
{
    switch (AppearanceManager::currentAppearanceMode()) {
    case AppearanceManager::dark:
        return darkFill;
    case AppearanceManager::automatic: {
        const std::string name = Kit::Appearance::effectiveApplication().name();
        return name == Kit::Appearance::darkAquaName || name == Kit::Appearance::highContrastDarkAquaName ? darkFill
                                                                                                          : lightFill;
    }
    default:
        return lightFill;
    }
}

void QVBaseBox::setUp()
{
    setBoxType(BoxType::custom);
    setTitlePosition(TitlePosition::noTitle);
    setCornerRadius(16);
    setBorderWidth(0);
    setContentViewMargins({0, 0});
    setFillColor(currentFill());
    if (!appearanceObservation_)
        appearanceObservation_.emplace(
            Kit::Appearance::observeEffectiveApplication([this] { observeValueForKeyPath("effectiveAppearance"); }));
}

void QVBaseBox::observeValueForKeyPath(const std::string& keyPath)
{
    if (keyPath == "effectiveAppearance")
        setFillColor(currentFill());
}

} // namespace Aerlo
