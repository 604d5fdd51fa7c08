#pragma once

#include "Platform/Kit/Colour.h"
#include "Platform/Kit/CompositingOperation.h"
#include "Platform/Kit/EdgeInsets.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Rect.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

namespace Kit {

class GraphicsContext;

// A bitmap with a size in points (its pixels may be denser). Copies refer to the same image, as
// references to the platform's image do; `copy` makes an independent one.
class AERLO_KIT_EXPORT Image {
public:
    struct Representation;

    Image(); // no image: size zero, draws nothing
    // A transparent image of `size` points at `scale` pixels per point.
    explicit Image(Size size, double scale = 1);
    explicit Image(std::shared_ptr<Representation> representation);
    // The image drawn by `handler` into a context of `size` (y up unless flipped).
    static Image withSize(Size size, bool flipped, const std::function<bool(const Rect&)>& handler, double scale = 1);
    // PNG or another format Qt reads; a "@2x" file counts twice as dense.
    static Image fromFile(const std::filesystem::path& path);
    // "<name>.png" (or "<name>@2x.png") in the main bundle's Resources, then in Resources/Images.
    static Image named(std::string_view name);
    // The name of the system's picture of this computer.
    static constexpr const char* computerName = "NSComputer";

    bool isValid() const;
    Size size() const;
    void setSize(Size size); // the pixels are kept, their density changes
    int pixelsWide() const;
    int pixelsHigh() const;
    bool isTemplate() const;
    void setTemplate(bool isTemplate);
    EdgeInsets capInsets() const;
    void setCapInsets(const EdgeInsets& insets);

    Image copy() const;
    // The image's alpha filled with the colour (template tinting); keeps the size.
    Image tinted(const Colour& colour) const;
    Image resized(Size size) const;
    // The pixels of the rectangle (in pixels, from the top left) as an image of one pixel per point;
    // an empty image when the rectangle does not lie inside the pixels or is empty.
    Image cropped(int x, int y, int width, int height) const;

    void draw(const Rect& destination, const Rect& source = {},
              CompositingOperation operation = CompositingOperation::sourceOver, double fraction = 1) const;
    // Drawing into the image: lockFocus makes a context on it current until unlockFocus.
    void lockFocus();
    void unlockFocus();

    // The colour of the pixel under the point (points, y up from the bottom left).
    Colour colourAt(Point point) const;
    [[nodiscard]] bool writePNG(const std::filesystem::path& path) const;

    Representation& representation() const { return *representation_; }
    bool operator==(const Image& other) const { return representation_ == other.representation_; }

private:
    std::shared_ptr<Representation> representation_;
};

} // namespace Kit
