#include "Classes/Views/UserSupportController.h"

#include "Classes/Configure/Global/BundleInfo.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/GlobalUI/Storyboard.h"
#include "Classes/Views/PageView.h"
#include "Platform/Kit/Font.h"
#include "Platform/Kit/Image.h"
#include "Platform/Kit/ImageView.h"
#include "Platform/Kit/TextField.h"
#include "QVToolsKit/QVURLManager.h"

namespace Aerlo {

void UserSupportController::registerScene()
{
    Storyboard::registerInitialViewController<UserSupportController>("UserSupportController");
}

std::shared_ptr<UserSupportController> UserSupportController::make()
{
    return Storyboard::instantiateInitialViewController<UserSupportController>("UserSupportController");
}

void UserSupportController::loadView()
{
    auto page =
        std::make_shared<PageView>(LocalizationTable::text("support.title"), LocalizationTable::text("support.body"));
    page->addButton(LocalizationTable::text("support.technical"),
                    {this, &UserSupportController::TechnicalSupportButtonTap});
    page->addButton(LocalizationTable::text("support.community"), {this, &UserSupportController::QQGroupButtonTap});

    const double top = page->contentTop();
    auto icon = std::make_shared<Kit::ImageView>(Kit::Rect {30, top - 96, 96, 96});
    icon->setImage(Kit::Image::named("AppIcon"));
    page->addSubview(icon);
    auto name = Kit::TextField::labelWithString("Aerlo");
    name->setFont(Kit::Font::boldSystemFont(17));
    name->setFrame({144, top - 44, 400, 24});
    page->addSubview(name);
    auto version = Kit::TextField::labelWithString(localizedString("support.version", {appVersionString()}));
    version->setTextColor(Kit::Colour::secondaryLabelColor());
    version->setFrame({144, top - 70, 400, 20});
    page->addSubview(version);
    setView(page);
}

void UserSupportController::TechnicalSupportButtonTap(Kit::Control&) { QVToolsKit::QVURLManager::openURL(supportURL); }

void UserSupportController::QQGroupButtonTap(Kit::Control&) { QVToolsKit::QVURLManager::openURL(communityURL); }

} // namespace Aerlo
