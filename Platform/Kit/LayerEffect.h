#pragma once

#include <QGraphicsEffect>
#include <QImage>
#include <QMarginsF>
#include <QTransform>

namespace Kit {
class View;
struct LayerProperties;
namespace detail {

// Group compositing for a view: the layer's mask (or rounded bounds clipping subviews), shadow,
// opacity and transform applied to the view with its subviews. Installed only while needed.
class LayerEffect : public QGraphicsEffect {
public:
    explicit LayerEffect(View& view);
    // The presentation moved: a new bounding rect and a repaint.
    void refresh()
    {
        updateBoundingRect();
        update();
    }

    // Whether the view needs group compositing with these presentation values.
    static bool isNeeded(const View& view, const LayerProperties& presentation);
    // The layer's position and transform as a transform of the view's frame space (y down, origin at
    // the frame's top left).
    static QTransform widgetTransform(const View& view, const LayerProperties& presentation);
    // How far the transformed layer and its shadow reach beyond the frame on each side.
    static QMarginsF overhang(const View& view, const LayerProperties& presentation);
    // Paints `source` (the view's widget rendered with its subviews, its top left at `origin` in widget
    // coordinates) into `painter` (in widget coordinates) as the layer composites it. Used by the
    // effect and by snapshots.
    static void composite(QPainter& painter, const QImage& source, QPointF origin, const View& view);

protected:
    QRectF boundingRectFor(const QRectF& rect) const override;
    void draw(QPainter* painter) override;

private:
    View& view_;
};

} // namespace detail
} // namespace Kit
