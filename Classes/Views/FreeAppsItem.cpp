#include "Classes/Views/FreeAppsItem.h"

#include "Platform/Kit/Font.h"
#include "Platform/Kit/ImageView.h"
#include "Platform/Kit/TextField.h"

namespace Aerlo {

std::shared_ptr<Kit::View> FreeAppsItem::makeView()
{
    auto view = std::make_shared<Kit::View>(Kit::Rect {0, 0, 650, 80});
    icon = std::make_shared<Kit::ImageView>(Kit::Rect {16, 12, 56, 56});
    icon->setImageScaling(Kit::ImageView::ImageScaling::proportionallyUpOrDown);
    view->addSubview(icon);
    name = Kit::TextField::labelWithString("");
    name->setFont(Kit::Font::boldSystemFont(15));
    name->setFrame({88, 42, 540, 20});
    view->addSubview(name);
    desc = Kit::TextField::labelWithString("");
    desc->setTextColor(Kit::Colour::secondaryLabelColor());
    desc->setFrame({88, 20, 540, 18});
    view->addSubview(desc);
    return view;
}

void FreeAppsItem::viewDidLoad()
{
    Kit::View& root = view();
    root.setWantsLayer(true);
    root.layer().setBackgroundColor(Kit::Colour::clear());
    root.layer().setCornerRadius(10);
}

} // namespace Aerlo
