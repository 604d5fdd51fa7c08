#pragma once

#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/View.h"

#include <any>
#include <memory>
#include <string>

namespace Kit {

// One cell of a collection view: its view (made on first use by makeView, then viewDidLoad), its selection
// and highlight, and the object it shows.
class AERLO_KIT_EXPORT CollectionViewItem {
public:
    virtual ~CollectionViewItem() = default;

    // The item's view, made on first use.
    View& view();
    std::shared_ptr<View> viewPointer();
    bool isViewLoaded() const { return view_ != nullptr; }

    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected) { selected_ = selected; }
    const std::any& representedObject() const { return representedObject_; }
    void setRepresentedObject(std::any object) { representedObject_ = std::move(object); }
    const std::string& identifier() const { return identifier_; }
    void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }

protected:
    // Builds the view (a plain one unless a subclass builds its own).
    virtual std::shared_ptr<View> makeView();
    // After the view was made.
    virtual void viewDidLoad() {}

private:
    std::shared_ptr<View> view_;
    bool selected_ = false;
    std::any representedObject_;
    std::string identifier_;
};

} // namespace Kit
