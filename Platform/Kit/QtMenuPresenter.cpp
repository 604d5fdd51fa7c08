#include "Platform/Kit/QtMenuPresenter.h"

#include "Platform/Foundation/RunLoop.h"
#include "Platform/Kit/Menu.h"
#include "Platform/Kit/QtBridge.h"
#include "Platform/Kit/Screen.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/Window.h"

#include <QAction>
#include <QMenu>

#include <memory>

namespace Kit {

QMenu* QtMenuPresenter::makeQMenu(const Menu& menu, QWidget* parent)
{
    auto* qmenu = new QMenu(QString::fromStdString(menu.title()), parent);
    for (const std::shared_ptr<MenuItem>& item : menu.items()) {
        if (item->isHidden())
            continue;
        if (item->isSeparatorItem()) {
            qmenu->addSeparator();
            continue;
        }
        if (item->submenu()) {
            QMenu* sub = makeQMenu(*item->submenu(), qmenu);
            sub->setTitle(QString::fromStdString(item->title()));
            qmenu->addMenu(sub)->setEnabled(item->isEnabled());
            continue;
        }
        QAction* action = qmenu->addAction(QString::fromStdString(item->title()));
        action->setEnabled(item->isEnabled());
        if (item->state() != StateValue::off) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        if (!item->keyEquivalent().empty())
            action->setShortcut(QKeySequence(QString::fromStdString("Ctrl+" + item->keyEquivalent())));
        std::weak_ptr<MenuItem> weak = item;
        QObject::connect(action, &QAction::triggered, action, [weak] {
            if (auto chosen = weak.lock())
                chosen->perform();
        });
    }
    return qmenu;
}

bool QtMenuPresenter::popUp(Menu& menu, MenuItem*, Point location, View* view)
{
    Point global = location;
    if (view) {
        const Point inWindow = view->convertTo(location, nullptr);
        if (Window* window = view->window())
            global = window->convertPointToScreen(inWindow);
    }
    QMenu* qmenu = makeQMenu(menu);
    qmenu->setAttribute(Qt::WA_DeleteOnClose);
    // The run loop tracks events while the menu is open.
    auto tracking = std::make_shared<Foundation::RunLoop::ModeScope>(
        Foundation::RunLoop::main().enterMode(Foundation::RunLoop::Mode::eventTracking));
    QObject::connect(qmenu, &QMenu::aboutToHide, qmenu, [tracking] { tracking->leave(); });
    qmenu->popup(QtBridge::point(Screen::qtPointFromGlobal(global)).toPoint());
    return true;
}

Size QtMenuPresenter::size(const Menu& menu)
{
    std::unique_ptr<QMenu> qmenu(makeQMenu(menu));
    const QSize hint = qmenu->sizeHint();
    return {static_cast<double>(hint.width()), static_cast<double>(hint.height())};
}

} // namespace Kit
