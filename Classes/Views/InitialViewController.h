#pragma once

#include "Platform/Foundation/ObserverToken.h"
#include "Platform/Kit/TableView.h"
#include "Platform/Kit/TableViewDelegate.h"
#include "Platform/Kit/ViewController.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Kit {
class TextField;
}
namespace QVToolsKit {
class QVCustomTableRowView;
}
namespace Vendors {
class QVWindowOperateView;
}

namespace Aerlo {

class DisablableScrollView;
class QVBaseBox;

// The settings window's content: a sidebar of five tabs, the selected tab's pane beside it, the window
// buttons in the top-left corner and the product's name and version. The panes are made once, from
// their scenes, when the sidebar first needs them; a scene that gives none shows an empty pane.
class InitialViewController : public Kit::ViewController,
                              public Kit::TableViewDataSource,
                              public Kit::TableViewDelegate {
public:
    static constexpr double windowWidth = 900;
    static constexpr double windowHeight = 580;
    static constexpr double sidebarWidth = 200;
    // Every pane's view is exactly this size.
    static constexpr double paneWidth = 680;
    static constexpr double paneHeight = 540;
    static constexpr double rowHeight = 32;
    static constexpr const char* columnIdentifier = "TabColumn";
    // The scenes of the five panes, in tab order.
    static const std::vector<std::string>& paneScenes();

    InitialViewController();
    ~InitialViewController() override;

    std::shared_ptr<Kit::TextField> productVersionTextField;
    std::shared_ptr<Kit::TableView> tableView;
    std::shared_ptr<DisablableScrollView> scrollView;
    std::shared_ptr<QVBaseBox> leftBox;
    std::vector<std::map<std::string, std::string>> TabsData;

    // The five panes, made at first use (null where a scene gave none) and kept.
    const std::vector<std::shared_ptr<Kit::ViewController>>& viewControllers();
    const std::shared_ptr<Vendors::QVWindowOperateView>& windowButtonView();

    // Selects the row (an index outside the tabs is ignored) and shows its pane from its top.
    void selectTab(long index);
    void toggleCustomFanSpeedPreference();
    void handleWindowButton(int code);
    static std::shared_ptr<QVToolsKit::QVCustomTableRowView> makeRowView();
    // The tab whose pane is shown; -1 before the first.
    long shownTab() const { return shownTab_; }

    // The appearance calls go on to the shown pane.
    void viewWillAppear() override;
    void viewDidAppear() override;
    void viewWillDisappear() override;

    long numberOfRows(Kit::TableView& tableView) override;
    std::optional<double> heightOfRow(Kit::TableView&, long) override { return rowHeight; }
    std::shared_ptr<Kit::View> viewFor(Kit::TableView& tableView, Kit::TableColumn* column, long row) override;
    std::shared_ptr<Kit::TableRowView> rowViewFor(Kit::TableView& tableView, long row) override;
    bool shouldEdit(Kit::TableView&, Kit::TableColumn*, long) override { return false; }
    void selectionDidChange(Kit::TableView& tableView) override;

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    void showPane(long index);

    std::optional<std::vector<std::shared_ptr<Kit::ViewController>>> viewControllers_;
    std::shared_ptr<Vendors::QVWindowOperateView> windowButtonView_;
    std::shared_ptr<Kit::View> emptyPane_;
    long shownTab_ = -1;
    bool appeared_ = false;
    Foundation::ObserverToken rulesObserver_;
};

} // namespace Aerlo
