#pragma once

#include "Platform/Foundation/TestAccess.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/StatusItem.h"

#include <functional>
#include <memory>
#include <vector>

namespace Kit {

// The system status bar: it makes the status items and, through the presenter factory, what shows each
// of them (the tray adapter in the application; nothing when the factory is cleared, as in model tests).
class AERLO_KIT_EXPORT StatusBar {
public:
    // Shows one item while it lives.
    class ItemPresenter {
    public:
        virtual ~ItemPresenter() = default;
        // Whether the desktop shows the item (a tray or a host to show it in).
        virtual bool isShownOnDesktop() const { return true; }
    };
    using PresenterFactory = std::function<std::unique_ptr<ItemPresenter>(StatusItem&)>;

    static StatusBar& system();

    explicit StatusBar(PresenterFactory factory = nullptr);
    ~StatusBar();
    StatusBar(const StatusBar&) = delete;
    StatusBar& operator=(const StatusBar&) = delete;

    std::shared_ptr<StatusItem> statusItem(double length);
    void removeStatusItem(const StatusItem& item);
    const std::vector<std::shared_ptr<StatusItem>>& items() const { return items_; }
    ItemPresenter* presenterFor(const StatusItem& item) const;
    // Whether the desktop shows the item (true for an item nothing presents, as in model tests).
    bool isShownOnDesktop(const StatusItem& item) const;
    double thickness() const;

private:
    PresenterFactory factory_;
    std::vector<std::shared_ptr<StatusItem>> items_;
    std::vector<std::unique_ptr<ItemPresenter>> presenters_;

    friend struct ::TestAccess;
    // Tests: a fresh bar with `factory` (the tray adapter when empty; a factory may give null: nothing shows).
    static void resetForTesting(PresenterFactory factory = nullptr);
};

} // namespace Kit
