#pragma once

#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/StateValue.h"
#include "Platform/Kit/TargetAction.h"

#include <any>
#include <memory>
#include <string>

namespace Kit {

class Menu;

// One entry of a menu: title, tag, state, enabled, key equivalent (the command key is Ctrl here),
// represented object, submenu, and a target and action called when the user chooses it.
class AERLO_KIT_EXPORT MenuItem {
public:
    using Action = TargetAction<MenuItem>;

    explicit MenuItem(std::string title = {}, Action action = {}, std::string keyEquivalent = {});
    static std::shared_ptr<MenuItem> separatorItem();

    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }
    long tag() const { return tag_; }
    void setTag(long tag) { tag_ = tag; }
    StateValue state() const { return state_; }
    void setState(StateValue state) { state_ = state; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden) { hidden_ = hidden; }
    bool isSeparatorItem() const { return separator_; }
    const std::string& keyEquivalent() const { return keyEquivalent_; }
    void setKeyEquivalent(std::string key) { keyEquivalent_ = std::move(key); }
    const std::any& representedObject() const { return representedObject_; }
    void setRepresentedObject(std::any object) { representedObject_ = std::move(object); }

    const Action& action() const { return action_; }
    void setAction(Action action) { action_ = std::move(action); }
    const void* target() const { return action_.target(); }
    void setTarget(const void* target) { action_.setTarget(target); }

    const std::shared_ptr<Menu>& submenu() const { return submenu_; }
    void setSubmenu(std::shared_ptr<Menu> submenu);
    bool hasSubmenu() const { return submenu_ != nullptr; }
    // The menu that holds the item, if any.
    Menu* menu() const { return menu_; }

    // What choosing the item does: its action, when it is enabled and has one. False otherwise.
    bool perform();

private:
    friend class Menu;

    std::string title_;
    long tag_ = 0;
    StateValue state_ = StateValue::off;
    bool enabled_ = true;
    bool hidden_ = false;
    bool separator_ = false;
    std::string keyEquivalent_;
    std::any representedObject_;
    Action action_;
    std::shared_ptr<Menu> submenu_;
    Menu* menu_ = nullptr;
};

} // namespace Kit
