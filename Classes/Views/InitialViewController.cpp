#include "Classes/Views/InitialViewController.h"

#include "Classes/Configure/Global/BundleInfo.h"
#include "Classes/Configure/Global/Localization.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/NotificationName.h"
#include "Classes/Configure/GlobalUI/Storyboard.h"
#include "Classes/Views/DisablableScrollView.h"
#include "Classes/Views/QVBaseBox.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Kit/ClipView.h"
#include "Platform/Kit/Font.h"
#include "Platform/Kit/Image.h"
#include "Platform/Kit/ImageView.h"
#include "Platform/Kit/TableCellView.h"
#include "Platform/Kit/TableColumn.h"
#include "Platform/Kit/TextField.h"
#include "Platform/Kit/Window.h"
#include "Platform/Vendors/UI/QVWindowOperateView.h"
#include "QVToolsKit/UI/QVCustomTableRowView.h"
#include "QVToolsKit/UI/SmoothCorner.h"

namespace Aerlo {

namespace {

constexpr double tableTop = InitialViewController::windowHeight - 64;
constexpr double tableHeight = 5 * (InitialViewController::rowHeight + 10);

} // namespace

const std::vector<std::string>& InitialViewController::paneScenes()
{
    static const std::vector<std::string> scenes {"SettingsController", "SensorsViewController",
        "TutorialViewController", "FreeAppsViewController", "UserSupportController"};
    return scenes;
}

InitialViewController::InitialViewController()
    : TabsData {
        {{"title", Localization::TabOption::settings()}, {"image", "general_icon_Normal"}},
        {{"title", Localization::TabOption::customSpeed()}, {"image", "Accessbility-new"}},
        {{"title", Localization::TabOption::tutorial()}, {"image", "study_icon_Normal"}},
        {{"title", Localization::TabOption::freeApps()}, {"image", "apps_icon_Normal"}},
        {{"title", Localization::TabOption::about()}, {"image", "contact_icon_Normal"}},
    }
{
}

InitialViewController::~InitialViewController()
{
    if (tableView) {
        tableView->setDataSource(nullptr);
        tableView->setDelegate(nullptr);
    }
    // The strip may outlive the controller inside its window: its action must not reach a controller gone.
    if (windowButtonView_)
        windowButtonView_->setAction({});
}

const std::vector<std::shared_ptr<Kit::ViewController>>& InitialViewController::viewControllers()
{
    if (!viewControllers_) {
        std::vector<std::shared_ptr<Kit::ViewController>> panes;
        for (const std::string& scene : paneScenes()) {
            auto pane = Storyboard::instantiateViewController(scene);
            if (!pane)
                Foundation::Console::print("没有找到页面: " + scene);
            panes.push_back(std::move(pane));
        }
        viewControllers_ = std::move(panes);
    }
    return *viewControllers_;
}

const std::shared_ptr<Vendors::QVWindowOperateView>& InitialViewController::windowButtonView()
{
    if (!windowButtonView_) {
        using Type = Vendors::QVWindowOperateView::ButtonType;
        windowButtonView_ = std::make_shared<Vendors::QVWindowOperateView>(
            std::vector<Type> {Type::close, Type::miniaturize}, false);
    }
    return windowButtonView_;
}

void InitialViewController::loadView()
{
    auto view = std::make_shared<Kit::View>(Kit::Rect {0, 0, windowWidth, windowHeight});
    view->setWantsLayer(true);
    view->layer().setBackgroundColor(Kit::Colour::windowBackgroundColor());

    leftBox = std::make_shared<QVBaseBox>(Kit::Rect {0, 0, sidebarWidth, windowHeight});
    leftBox->setAutoresizingMask(Kit::View::heightSizable);
    view->addSubview(leftBox);

    tableView = std::make_shared<Kit::TableView>(Kit::Rect {0, 0, sidebarWidth - 20, tableHeight});
    tableView->addTableColumn(std::make_shared<Kit::TableColumn>(columnIdentifier, sidebarWidth - 20));
    tableView->setRowHeight(rowHeight);
    tableView->setAllowsEmptySelection(false);
    tableView->setAccessibilityLabel(LocalizationTable::text("settings.title"));
    tableView->registerView(columnIdentifier, [] {
        // The icon and the title inside the row's rounded selection.
        auto cell = Kit::TableCellView::withImageAndText({0, 0, sidebarWidth - 20, rowHeight});
        cell->imageView()->setFrame({14, (rowHeight - 18) / 2, 18, 18});
        const Kit::Rect title = cell->textField()->frame();
        cell->textField()->setFrame({38, title.y(), sidebarWidth - 20 - 38 - 6, title.height()});
        return cell;
    });
    auto sidebar = std::make_shared<Kit::ScrollView>(Kit::Rect {10, tableTop - tableHeight, sidebarWidth - 20, tableHeight});
    sidebar->setDrawsBackground(false);
    sidebar->setDocumentView(tableView);
    sidebar->setAutoresizingMask(Kit::View::minYMargin);
    view->addSubview(sidebar);

    productVersionTextField = Kit::TextField::labelWithString("");
    productVersionTextField->setFont(Kit::Font::systemFont(11));
    productVersionTextField->setFrame({20, 18, sidebarWidth - 40, 16});
    view->addSubview(productVersionTextField);

    scrollView = std::make_shared<DisablableScrollView>(
        Kit::Rect {sidebarWidth + 10, 20, paneWidth, paneHeight});
    scrollView->setDrawsBackground(false);
    scrollView->setAutoresizingMask(Kit::View::widthSizable | Kit::View::heightSizable);
    view->addSubview(scrollView);

    emptyPane_ = std::make_shared<Kit::View>(Kit::Rect {0, 0, paneWidth, paneHeight});
    setView(view);
}

void InitialViewController::viewDidLoad()
{
    Kit::View& root = *view();
    QVToolsKit::setSmoothCorner(root, 24, 24, 24, 24);

    const auto& strip = windowButtonView();
    strip->setFrame({22, root.bounds().height() - 30, strip->frame().width(), 20});
    strip->setAutoresizingMask(Kit::View::maxXMargin | Kit::View::minYMargin);
    // Cleared by the destructor: the strip never reaches a controller that is gone.
    strip->setAction([this](int code) { handleWindowButton(code); });
    root.addSubview(strip);

    leftBox->setCornerRadius(0);
    tableView->setIntercellSpacing({0, 10});
    productVersionTextField->setStringValue("Aerlo " + appVersionString());
    productVersionTextField->setTextColor(Kit::Colour::labelColor());

    tableView->setDataSource(this);
    tableView->setDelegate(this);
    tableView->reloadData();
    selectTab(0);

    rulesObserver_ = Foundation::NotificationCenter::defaultCenter().addObserver(
        NotificationName::openCustomFanSpeedPreference, nullptr,
        [this](const Foundation::Notification&) { toggleCustomFanSpeedPreference(); });
}

void InitialViewController::selectTab(long index)
{
    if (index < 0 || index >= static_cast<long>(TabsData.size()) || !tableView)
        return;
    if (tableView->selectedRow() != index) {
        tableView->selectRowIndexes({index}, false);
        // The table reported the change, and its handler showed the pane.
        if (tableView->selectedRow() == index)
            return;
    }
    showPane(index);
}

void InitialViewController::showPane(long index)
{
    const auto& panes = viewControllers();
    const auto& pane = panes[static_cast<std::size_t>(index)];
    if (appeared_ && shownTab_ != index) {
        if (shownTab_ >= 0)
            if (const auto& old = panes[static_cast<std::size_t>(shownTab_)])
                old->viewWillDisappear();
    }
    const bool appearing = appeared_ && shownTab_ != index;
    shownTab_ = index;
    const std::shared_ptr<Kit::View>& document = pane ? pane->view() : emptyPane_;
    if (appearing && pane)
        pane->viewWillAppear();
    scrollView->setVerticalScrollElasticity(Kit::ScrollView::Elasticity::automatic);
    if (scrollView->documentView() != document)
        scrollView->setDocumentView(document);
    scrollView->contentView().scrollToPoint({0, document->bounds().height()});
    if (appearing && pane)
        pane->viewDidAppear();
}

void InitialViewController::toggleCustomFanSpeedPreference()
{
    selectTab(1);
}

void InitialViewController::handleWindowButton(int code)
{
    if (!isViewLoaded())
        return;
    Kit::Window* window = view()->window();
    if (!window)
        return;
    switch (code) {
    case 1:
        window->miniaturize();
        return;
    case 2:
        window->toggleFullScreen();
        return;
    case 3:
        if (window->styleMask() & Kit::Window::fullScreen)
            window->toggleFullScreen();
        return;
    default:
        window->close();
    }
}

std::shared_ptr<QVToolsKit::QVCustomTableRowView> InitialViewController::makeRowView()
{
    auto row = std::make_shared<QVToolsKit::QVCustomTableRowView>();
    row->setEmphasized(true);
    row->setRowCornerRadius(8);
    row->setHoverEnabled(true);
    row->setSelectedBackgroundColor(Kit::Colour::controlAccentColor());
    row->setHoverBackgroundColorLight(Kit::Colour::black().withAlphaComponent(0.2));
    row->setHoverBackgroundColorDark(Kit::Colour::black().withAlphaComponent(0.35));
    return row;
}

void InitialViewController::viewWillAppear()
{
    appeared_ = true;
    if (shownTab_ >= 0)
        if (const auto& pane = viewControllers()[static_cast<std::size_t>(shownTab_)])
            pane->viewWillAppear();
}

void InitialViewController::viewDidAppear()
{
    if (shownTab_ >= 0)
        if (const auto& pane = viewControllers()[static_cast<std::size_t>(shownTab_)])
            pane->viewDidAppear();
}

void InitialViewController::viewWillDisappear()
{
    appeared_ = false;
    if (shownTab_ >= 0)
        if (const auto& pane = viewControllers()[static_cast<std::size_t>(shownTab_)])
            pane->viewWillDisappear();
}

long InitialViewController::numberOfRows(Kit::TableView&)
{
    return static_cast<long>(TabsData.size());
}

std::shared_ptr<Kit::View> InitialViewController::viewFor(Kit::TableView& table, Kit::TableColumn* column, long row)
{
    if (!column || row < 0 || row >= static_cast<long>(TabsData.size()))
        return nullptr;
    auto cell = std::dynamic_pointer_cast<Kit::TableCellView>(table.makeView(column->identifier()));
    if (!cell)
        return nullptr;
    const auto& tab = TabsData[static_cast<std::size_t>(row)];
    const auto value = [&](const char* key) {
        const auto found = tab.find(key);
        return found == tab.end() ? std::string() : found->second;
    };
    if (cell->imageView())
        cell->imageView()->setImage(Kit::Image::named(value("image")));
    if (cell->textField()) {
        cell->textField()->setStringValue(value("title"));
        cell->textField()->setTextColor(Kit::Colour::labelColor());
    }
    return cell;
}

std::shared_ptr<Kit::TableRowView> InitialViewController::rowViewFor(Kit::TableView&, long)
{
    return makeRowView();
}

void InitialViewController::selectionDidChange(Kit::TableView& table)
{
    if (&table != tableView.get())
        return;
    selectTab(table.selectedRow());
    Foundation::NotificationCenter::defaultCenter().post(NotificationName::updateUptime);
}

} // namespace Aerlo
