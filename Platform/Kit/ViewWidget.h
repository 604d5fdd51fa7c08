#pragma once

#include <QPointF>
#include <QWidget>

namespace Kit {
class View;
namespace detail {

// The widget behind a Kit view: it paints the view's layer and follows the view's geometry.
class ViewWidget : public QWidget {
public:
    explicit ViewWidget(View& view);

    View& view() const { return view_; }
    // Where the view's frame origin lies in the widget: the widget is whole pixels and may reach
    // beyond the frame where the layer's transform or shadow does.
    QPointF contentOrigin;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    View& view_;
};

} // namespace detail
} // namespace Kit
