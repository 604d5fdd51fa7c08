#pragma once

#include <QAccessibleWidget>

#include <vector>

namespace Kit {
class View;
namespace detail {

// What assistive technology reads of a Kit view's widget, or of a Kit window's: role, name, value and state
// from the view (the window's title for a window), a press for the views that have one, and as children the
// elements inside, plain containers left out.
class ViewAccessible : public QAccessibleWidget {
public:
    // `view` is null for a window's widget.
    ViewAccessible(QWidget* widget, View* view);

    // Makes Qt ask here for the interfaces of Kit's widgets (once).
    static void install();
    // Tells assistive technology that the view has the keyboard focus.
    static void noteFocus(View& view);

    QAccessible::Role role() const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QAccessibleInterface* parent() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    static QAccessibleInterface* make(const QString& key, QObject* object);
    // Whether the widget is announced itself (else what it holds is, in its place).
    static bool isElement(QWidget* widget);
    static void collectElements(QWidget* widget, std::vector<QWidget*>& out);
    std::vector<QWidget*> elements() const;

    View* view_;
};

} // namespace detail
} // namespace Kit
