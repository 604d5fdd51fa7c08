#pragma once

#include "Platform/Kit/CollectionViewItem.h"

#include <memory>
#include <string>

namespace Kit {
class ImageView;
class TextField;
}

namespace Aerlo {

// One row of the other-apps list: the application's icon, name and description; selecting it opens `link`.
class FreeAppsItem : public Kit::CollectionViewItem {
public:
    static constexpr const char* identifier = "FreeAppsItem";

    std::shared_ptr<Kit::ImageView> icon;
    std::shared_ptr<Kit::TextField> name;
    std::shared_ptr<Kit::TextField> desc;
    std::string link;

protected:
    std::shared_ptr<Kit::View> makeView() override;
    void viewDidLoad() override;
};

} // namespace Aerlo
