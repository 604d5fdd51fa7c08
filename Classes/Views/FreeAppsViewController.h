#pragma once

#include "Platform/Kit/CollectionView.h"
#include "Platform/Kit/Control.h"
#include "Platform/Kit/ViewController.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Aerlo {

// The page of the maker's other applications: a list of ten, each opening its page when selected, the
// maker's home page, and a page of all its applications (or its store page in the first two days).
class FreeAppsViewController : public Kit::ViewController,
                               public Kit::CollectionViewDataSource,
                               public Kit::CollectionViewDelegate {
public:
    static constexpr const char* websiteURL = "https://norvane.example.com/";
    static constexpr const char* allAppsURL = "https://norvane.example.com/apps";
    static constexpr const char* storeURL = "https://store.example.com/developer/norvane";
    static constexpr double storePeriod = 172800;

    static void registerScene();
    static std::shared_ptr<FreeAppsViewController> make();

    FreeAppsViewController();
    ~FreeAppsViewController() override;

    std::shared_ptr<Kit::CollectionView> collectionView;
    std::vector<std::map<std::string, std::string>> freeAppsData;

    void officialWebsiteButtonTap(Kit::Control& sender);
    void moreApps(Kit::Control& sender);

    long numberOfItems(Kit::CollectionView& collectionView, long section) override;
    std::shared_ptr<Kit::CollectionViewItem> itemFor(Kit::CollectionView& collectionView,
                                                     const Kit::IndexPath& indexPath) override;
    void didSelectItems(Kit::CollectionView& collectionView, const std::set<Kit::IndexPath>& indexPaths) override;

protected:
    void loadView() override;
    void viewDidLoad() override;
};

} // namespace Aerlo
