#include "QVToolsKit/UI/MenuExtension.h"

#include "Platform/Kit/Button.h"
#include "Platform/Kit/Menu.h"
#include "Platform/Kit/View.h"

#include <set>

namespace QVToolsKit {

namespace {

Kit::MenuItem* search(const Kit::Menu& menu, long tag, std::set<const Kit::Menu*>& visited)
{
    if (!visited.insert(&menu).second)
        return nullptr;
    for (const auto& item : menu.items()) {
        if (item->tag() == tag)
            return item.get();
        if (item->submenu())
            if (Kit::MenuItem* found = search(*item->submenu(), tag, visited))
                return found;
    }
    return nullptr;
}

} // namespace

Kit::MenuItem* itemRecursively(const Kit::Menu& menu, long tag)
{
    std::set<const Kit::Menu*> visited;
    return search(menu, tag, visited);
}

void showCenteredMenu(Kit::Menu& menu, const Kit::Button& button, Kit::View& view, double yOffset)
{
    view.layoutSubtreeIfNeeded();
    const Kit::Rect frame = button.superview() ? view.convertFrom(button.frame(), button.superview()) : Kit::Rect {};
    menu.popUp(nullptr, {frame.midX() - menu.size().width * 0.5, frame.minY() + yOffset}, &view);
}

void addItem(Kit::Menu& menu, const std::string& title, Kit::MenuItem::Action action, const void* target,
    std::optional<long> tag, std::any obj, bool stateOn, bool enabled)
{
    auto item = std::make_shared<Kit::MenuItem>(title, std::move(action), "");
    item->setTag(tag.value_or(-1));
    item->setRepresentedObject(std::move(obj));
    if (target)
        item->setTarget(target);
    item->setState(stateOn ? Kit::StateValue::on : Kit::StateValue::off);
    item->setEnabled(enabled);
    menu.addItem(item);
}

} // namespace QVToolsKit
