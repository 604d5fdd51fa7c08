#pragma once

#include "Platform/Foundation/TestAccess.h"
#include "Platform/Kit/Image.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Point.h"

class QCursor;

namespace Kit {

// A mouse cursor: one of the standard shapes or an image with a hot spot. set() makes it the
// application's cursor; push and pop keep a stack; hide and unhide count (each hide needs one unhide).
// Main thread only.
class AERLO_KIT_EXPORT Cursor {
public:
    enum class Shape {
        arrow,
        iBeam,
        crosshair,
        pointingHand,
        openHand,
        closedHand,
        resizeLeftRight,
        resizeUpDown,
        resizeNorthWestSouthEast,
        resizeNorthEastSouthWest,
        operationNotAllowed,
        image, // an image with a hot spot
    };

    explicit Cursor(Shape shape = Shape::arrow) : shape_(shape) {}
    // The hot spot is in the image's points from its top left.
    Cursor(Image image, Point hotSpot) : shape_(Shape::image), image_(std::move(image)), hotSpot_(hotSpot) {}

    static Cursor arrowCursor() { return Cursor(Shape::arrow); }
    static Cursor IBeamCursor() { return Cursor(Shape::iBeam); }
    static Cursor crosshairCursor() { return Cursor(Shape::crosshair); }
    static Cursor pointingHandCursor() { return Cursor(Shape::pointingHand); }
    static Cursor openHandCursor() { return Cursor(Shape::openHand); }
    static Cursor closedHandCursor() { return Cursor(Shape::closedHand); }
    static Cursor resizeLeftRightCursor() { return Cursor(Shape::resizeLeftRight); }
    static Cursor resizeUpDownCursor() { return Cursor(Shape::resizeUpDown); }
    static Cursor operationNotAllowedCursor() { return Cursor(Shape::operationNotAllowed); }

    Shape shape() const { return shape_; }
    const Image& image() const { return image_; }
    Point hotSpot() const { return hotSpot_; }
    // Standard cursors are equal by shape, image cursors by image and hot spot.
    bool operator==(const Cursor& other) const
    {
        return shape_ == other.shape_
               && (shape_ != Shape::image || (image_ == other.image_ && hotSpot_ == other.hotSpot_));
    }

    // The application's cursor from now on (until another set or a pop).
    void set() const;
    void push() const;
    static void pop();
    // The cursor last set (the arrow at first).
    static Cursor current();

    static void hide();
    // Ends one hide; more unhides than hides change nothing.
    static void unhide();
    static bool isHidden();
    // How many hides are not yet undone.
    static int hideCount();

    QCursor qtCursor() const;

private:
    Shape shape_;
    Image image_;
    Point hotSpot_;

    friend struct ::TestAccess;
    // Tests: back to the arrow, shown, with an empty stack.
    static void resetForTesting();
};

} // namespace Kit
