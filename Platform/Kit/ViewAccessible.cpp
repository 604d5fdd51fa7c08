#include "Platform/Kit/ViewAccessible.h"

#include "Platform/Kit/Control.h"
#include "Platform/Kit/TableRowView.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/ViewWidget.h"
#include "Platform/Kit/Window.h"
#include "Platform/Kit/WindowWidget.h"

#include <QAccessible>

#include <algorithm>
#include <cstring>

namespace Kit::detail {

namespace {

QAccessible::Role qtRole(AccessibilityRole role)
{
    switch (role) {
    case AccessibilityRole::button:
        return QAccessible::Button;
    case AccessibilityRole::checkBox:
    case AccessibilityRole::switch_:
        return QAccessible::CheckBox;
    case AccessibilityRole::radioButton:
        return QAccessible::RadioButton;
    case AccessibilityRole::popUpButton:
        return QAccessible::ComboBox;
    case AccessibilityRole::slider:
        return QAccessible::Slider;
    case AccessibilityRole::segmentedControl:
        return QAccessible::PageTabList;
    case AccessibilityRole::staticText:
        return QAccessible::StaticText;
    case AccessibilityRole::textField:
        return QAccessible::EditableText;
    case AccessibilityRole::image:
        return QAccessible::Graphic;
    case AccessibilityRole::table:
        return QAccessible::List;
    case AccessibilityRole::row:
        return QAccessible::ListItem;
    case AccessibilityRole::none:
    case AccessibilityRole::group:
        break;
    }
    return QAccessible::Grouping;
}

// Roles of controls that are announced whole, without what they hold.
bool isLeaf(AccessibilityRole role)
{
    return role != AccessibilityRole::none && role != AccessibilityRole::group && role != AccessibilityRole::table
           && role != AccessibilityRole::row;
}

View* viewOf(QObject* object)
{
    auto* widget = dynamic_cast<ViewWidget*>(object);
    return widget ? &widget->view() : nullptr;
}

} // namespace

ViewAccessible::ViewAccessible(QWidget* widget, View* view) : QAccessibleWidget(widget), view_(view) {}

void ViewAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(&ViewAccessible::make);
        return true;
    }();
    (void)installed;
}

QAccessibleInterface* ViewAccessible::make(const QString&, QObject* object)
{
    if (View* view = viewOf(object))
        return new ViewAccessible(static_cast<QWidget*>(object), view);
    if (auto* window = dynamic_cast<WindowWidget*>(object))
        return new ViewAccessible(window, nullptr);
    return nullptr;
}

void ViewAccessible::noteFocus(View& view)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent event(view.qtWidget(), QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}

bool ViewAccessible::isElement(QWidget* widget)
{
    if (View* view = viewOf(widget))
        return view->accessibilityRole() != AccessibilityRole::none;
    // A plain widget holding Kit's views is no element; other Qt widgets are.
    return std::strcmp(widget->metaObject()->className(), "QWidget") != 0 || widget->isWindow();
}

void ViewAccessible::collectElements(QWidget* widget, std::vector<QWidget*>& out)
{
    for (QObject* object : widget->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->isWindow() || child->isHidden())
            continue;
        if (isElement(child))
            out.push_back(child);
        else
            collectElements(child, out);
    }
}

std::vector<QWidget*> ViewAccessible::elements() const
{
    std::vector<QWidget*> out;
    if (!view_ || !isLeaf(view_->accessibilityRole()))
        collectElements(widget(), out);
    return out;
}

QAccessible::Role ViewAccessible::role() const
{
    return view_ ? qtRole(view_->accessibilityRole()) : QAccessible::Window;
}

QString ViewAccessible::text(QAccessible::Text t) const
{
    if (!view_)
        return t == QAccessible::Name ? widget()->windowTitle() : QAccessibleWidget::text(t);
    switch (t) {
    case QAccessible::Name:
        return QString::fromStdString(view_->accessibilityLabel());
    case QAccessible::Value:
        return QString::fromStdString(view_->accessibilityValue());
    case QAccessible::Description:
        // The tool tip, when it is not the name already.
        return view_->toolTip() != view_->accessibilityLabel() ? QString::fromStdString(view_->toolTip()) : QString();
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State ViewAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    if (!view_)
        return s;
    Window* window = view_->window();
    s.focusable = view_->acceptsFirstResponder();
    s.focused = window && window->firstResponder() == view_;
    const AccessibilityRole role = view_->accessibilityRole();
    if (auto* control = dynamic_cast<Control*>(view_)) {
        s.disabled = !control->isEnabled();
        if (role == AccessibilityRole::checkBox || role == AccessibilityRole::radioButton
            || role == AccessibilityRole::switch_) {
            s.checkable = true;
            s.checked = control->cell().state() == StateValue::on;
            s.checkStateMixed = control->cell().state() == StateValue::mixed;
        }
    }
    s.hasPopup = role == AccessibilityRole::popUpButton;
    if (auto* row = dynamic_cast<TableRowView*>(view_)) {
        s.selectable = true;
        s.selected = row->isSelected();
    }
    return s;
}

QAccessibleInterface* ViewAccessible::parent() const
{
    // The nearest widget above that is announced.
    for (QWidget* above = widget()->isWindow() ? nullptr : widget()->parentWidget(); above;
         above = above->isWindow() ? nullptr : above->parentWidget())
        if (isElement(above))
            return QAccessible::queryAccessibleInterface(above);
    return QAccessibleWidget::parent();
}

int ViewAccessible::childCount() const { return static_cast<int>(elements().size()); }

QAccessibleInterface* ViewAccessible::child(int index) const
{
    const std::vector<QWidget*> children = elements();
    if (index < 0 || index >= static_cast<int>(children.size()))
        return nullptr;
    return QAccessible::queryAccessibleInterface(children[static_cast<std::size_t>(index)]);
}

int ViewAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    if (!child)
        return -1;
    const std::vector<QWidget*> children = elements();
    const auto at = std::find(children.begin(), children.end(), child->object());
    return at == children.end() ? -1 : static_cast<int>(at - children.begin());
}

QStringList ViewAccessible::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    if (view_ && isLeaf(view_->accessibilityRole()) && view_->accessibilityRole() != AccessibilityRole::staticText
        && view_->accessibilityRole() != AccessibilityRole::image)
        names.prepend(QAccessibleActionInterface::pressAction());
    return names;
}

void ViewAccessible::doAction(const QString& actionName)
{
    if (view_ && actionName == QAccessibleActionInterface::pressAction() && view_->accessibilityPerformPress())
        return;
    QAccessibleWidget::doAction(actionName);
}

} // namespace Kit::detail
