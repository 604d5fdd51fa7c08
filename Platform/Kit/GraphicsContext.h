#pragma once

#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/Colour.h"
#include "Platform/Kit/CompositingOperation.h"
#include "Platform/Kit/Font.h"
#include "Platform/Kit/KitExport.h"

#include <memory>
#include <string_view>
#include <vector>

namespace Kit {

class Image;

// How a text fills its rect: one line (a line feed shows as a space), a line per line feed, or those
// lines also wrapped at word or character boundaries.
enum class TextLines { single, lineFeeds, wordWrapping, charWrapping };

// Where drawing goes: the current context while a view draws, an image has focus or a layer
// paints. Coordinates are the drawer's own (y up unless the context is flipped); text and images
// are always drawn upright.
class AERLO_KIT_EXPORT GraphicsContext {
public:
    struct Impl;
    explicit GraphicsContext(std::unique_ptr<Impl> impl);
    ~GraphicsContext();
    GraphicsContext(const GraphicsContext&) = delete;
    GraphicsContext& operator=(const GraphicsContext&) = delete;

    static GraphicsContext* current();
    // Makes a context current while it lives (contexts nest).
    class Scope {
    public:
        explicit Scope(GraphicsContext& context);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        GraphicsContext* previous_;
    };

    bool isFlipped() const;
    void saveGraphicsState();
    void restoreGraphicsState();
    void concat(const AffineTransform& transform);
    void translate(double dx, double dy);
    void clip(const BezierPath& path);
    void clipToRect(const Rect& rect);

    Colour fillColour() const;
    void setFillColour(const Colour& colour);
    Colour strokeColour() const;
    void setStrokeColour(const Colour& colour);
    CompositingOperation compositingOperation() const;
    void setCompositingOperation(CompositingOperation operation);
    // Multiplies everything drawn.
    double alpha() const;
    void setAlpha(double alpha);

    void fillRect(const Rect& rect, const Colour& colour);
    void fillPath(const BezierPath& path, const Colour& colour);
    void strokePath(const BezierPath& path, const Colour& colour, double lineWidth);
    // An empty source rect draws the whole image.
    void drawImage(const Image& image, const Rect& destination, const Rect& source = {},
                   CompositingOperation operation = CompositingOperation::sourceOver, double fraction = 1);
    // The text laid out from the top of the rect; with `truncatesTail` each line cut with an ellipsis to fit.
    void drawText(std::string_view text, const Rect& rect, const Font& font, const Colour& colour,
                  TextAlignment alignment = TextAlignment::left, bool truncatesTail = false,
                  TextLines lines = TextLines::single);
    // The line's box starts at `origin` (its bottom left, or top left when flipped).
    void drawText(std::string_view text, Point origin, const Font& font, const Colour& colour);
    // Colours at locations 0…1 from `start` to `end`.
    void drawLinearGradient(const std::vector<Colour>& colours, const std::vector<double>& locations, Point start,
                            Point end);

    Impl& impl() { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace Kit
