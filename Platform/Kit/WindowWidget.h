#pragma once

#include <QWidget>

namespace Kit {
class Window;
namespace detail {

// The frameless top-level widget of a Kit window: paints the background and hands the Qt window's
// input and update requests to Kit.
class WindowWidget : public QWidget {
public:
    explicit WindowWidget(Window& window);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Window& window_;
    bool filtering_ = false;
};

} // namespace detail
} // namespace Kit
