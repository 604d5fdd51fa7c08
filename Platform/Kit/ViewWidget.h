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
    // What the integer widget geometry rounded off the frame's origin (painted shifted by it).
    QPointF fraction;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    View& view_;
};

} // namespace detail
} // namespace Kit
