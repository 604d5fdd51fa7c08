#include "Classes/Views/FreeAppsViewController.h"

#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/SettingsKey.h"
#include "Classes/Configure/GlobalUI/Storyboard.h"
#include "Classes/Views/FreeAppsItem.h"
#include "Classes/Views/PageView.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Kit/Image.h"
#include "Platform/Kit/ImageView.h"
#include "Platform/Kit/ScrollView.h"
#include "Platform/Kit/TextField.h"
#include "Platform/System/Workspace.h"
#include "QVToolsKit/QVURLManager.h"

namespace Aerlo {

namespace {

struct Product {
    const char* name;
    const char* icon;
    const char* desc;
    const char* link;
};

// The maker's other applications.
constexpr Product products[] = {
    {"Desko", "app_desko", "Desktop organiser", "https://norvane.example.com/apps/desko"},
    {"Clipvane", "app_clipvane", "Clipboard history", "https://norvane.example.com/apps/clipvane"},
    {"Pixmeter", "app_pixmeter", "Screen ruler", "https://norvane.example.com/apps/pixmeter"},
    {"Hushvane", "app_hushvane", "Focus timer", "https://norvane.example.com/apps/hushvane"},
    {"Spacevane", "app_spacevane", "Storage map", "https://norvane.example.com/apps/spacevane"},
    {"Notevane", "app_notevane", "Quick notes", "https://norvane.example.com/apps/notevane"},
    {"Huevane", "app_huevane", "Colour picker", "https://norvane.example.com/apps/huevane"},
    {"Voltvane", "app_voltvane", "Battery monitor", "https://norvane.example.com/apps/voltvane"},
    {"Gridvane", "app_gridvane", "Window tiling", "https://norvane.example.com/apps/gridvane"},
    {"Textvane", "app_textvane", "Text converter", "https://store.example.com/app/textvane"},
};

} // namespace

void FreeAppsViewController::registerScene()
{
    Storyboard::registerInitialViewController<FreeAppsViewController>("FreeAppsViewController");
}

std::shared_ptr<FreeAppsViewController> FreeAppsViewController::make()
{
    return Storyboard::instantiateInitialViewController<FreeAppsViewController>("FreeAppsViewController");
}

FreeAppsViewController::FreeAppsViewController()
{
    for (const Product& product : products)
        freeAppsData.push_back(
            {{"name", product.name}, {"icon", product.icon}, {"desc", product.desc}, {"link", product.link}});
}

FreeAppsViewController::~FreeAppsViewController()
{
    if (collectionView) {
        collectionView->setDataSource(nullptr);
        collectionView->setDelegate(nullptr);
    }
}

void FreeAppsViewController::loadView()
{
    auto page = std::make_shared<PageView>(LocalizationTable::text("apps.title"), LocalizationTable::text("apps.body"));
    page->addButton(LocalizationTable::text("apps.website"), {this, &FreeAppsViewController::officialWebsiteButtonTap});
    page->addButton(LocalizationTable::text("apps.more"), {this, &FreeAppsViewController::moreApps});
    const Kit::Rect listFrame {15, 10, 650, page->contentTop() - 10};
    collectionView = std::make_shared<Kit::CollectionView>(Kit::Rect {{0, 0}, listFrame.size});
    auto scroll = std::make_shared<Kit::ScrollView>(listFrame);
    scroll->setDrawsBackground(false);
    scroll->setDocumentView(collectionView);
    page->addSubview(scroll);
    setView(page);
}

void FreeAppsViewController::viewDidLoad()
{
    Kit::FlowLayout layout;
    layout.itemSize = {650, 80};
    layout.minimumLineSpacing = 0;
    layout.minimumInteritemSpacing = 0;
    collectionView->setLayoutSettings(layout);
    collectionView->setSelectable(true);
    collectionView->setAllowsEmptySelection(true);
    collectionView->setAllowsMultipleSelection(false);
    collectionView->registerItem(FreeAppsItem::identifier, [] { return std::make_shared<FreeAppsItem>(); });
    collectionView->setDataSource(this);
    collectionView->setDelegate(this);
    collectionView->reloadData();
}

void FreeAppsViewController::officialWebsiteButtonTap(Kit::Control&) { QVToolsKit::QVURLManager::openURL(websiteURL); }

void FreeAppsViewController::moreApps(Kit::Control&)
{
    const auto stored = Foundation::UserDefaults::standard().object(SettingsKey::installTime);
    if (!stored)
        return;
    double installTime = 0;
    if (const std::int64_t* whole = stored->asInteger())
        installTime = static_cast<double>(*whole);
    else if (const double* real = stored->asDouble())
        installTime = *real;
    else
        return;
    const double now = Foundation::RunLoop::main().clock().wallTime();
    const auto url = Foundation::URL::string(now - installTime > storePeriod ? allAppsURL : storeURL);
    if (url)
        (void)SystemPlatform::Workspace::shared().open(*url);
}

long FreeAppsViewController::numberOfItems(Kit::CollectionView&, long)
{
    return static_cast<long>(freeAppsData.size());
}

std::shared_ptr<Kit::CollectionViewItem> FreeAppsViewController::itemFor(Kit::CollectionView& view,
                                                                         const Kit::IndexPath& indexPath)
{
    auto item = std::dynamic_pointer_cast<FreeAppsItem>(view.makeItem(FreeAppsItem::identifier, indexPath));
    if (!item || indexPath.item < 0 || indexPath.item >= static_cast<long>(freeAppsData.size()))
        return item;
    item->view();
    const auto& row = freeAppsData[static_cast<std::size_t>(indexPath.item)];
    const auto value = [&](const char* key) {
        const auto found = row.find(key);
        return found == row.end() ? std::string() : found->second;
    };
    // The names and descriptions are keys of the localisation tables.
    const std::string name = value("name");
    const std::string desc = value("desc");
    item->icon->setImage(Kit::Image::named(value("icon")));
    item->name->setStringValue(LocalizationTable::text(name));
    item->desc->setStringValue(LocalizationTable::text(desc));
    item->link = value("link");
    return item;
}

void FreeAppsViewController::didSelectItems(Kit::CollectionView& view, const std::set<Kit::IndexPath>& indexPaths)
{
    if (indexPaths.empty())
        return;
    if (auto* item = dynamic_cast<FreeAppsItem*>(view.itemAt(*indexPaths.begin())))
        QVToolsKit::QVURLManager::openURL(item->link);
    // Cleared, so that a second click on the same row opens it again.
    view.deselectAll();
}

} // namespace Aerlo
