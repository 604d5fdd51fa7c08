#include "Platform/Kit/Image.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Kit/GraphicsContextImpl.h"
#include "Platform/Kit/ImageRepresentation.h"
#include "Platform/Kit/QtBridge.h"

#include <cmath>

namespace Kit {

namespace {

QImage blank(Size size, double scale)
{
    const int w = std::max(0, static_cast<int>(std::ceil(size.width * scale - 1e-9)));
    const int h = std::max(0, static_cast<int>(std::ceil(size.height * scale - 1e-9)));
    QImage pixels(w, h, QImage::Format_ARGB32_Premultiplied);
    pixels.fill(Qt::transparent);
    pixels.setDevicePixelRatio(scale);
    return pixels;
}

} // namespace

Image::Image() : representation_(std::make_shared<Representation>()) {}

Image::Image(Size size, double scale) : representation_(std::make_shared<Representation>())
{
    if (!(scale > 0) || !std::isfinite(scale))
        scale = 1;
    if (!(size.width > 0) || !(size.height > 0) || !std::isfinite(size.width) || !std::isfinite(size.height))
        return;
    representation_->pixels = blank(size, scale);
    representation_->size = size;
}

Image::Image(std::shared_ptr<Representation> representation) : representation_(std::move(representation)) {}

Image Image::withSize(Size size, bool flipped, const std::function<bool(const Rect&)>& handler, double scale)
{
    Image image(size, scale);
    if (!image.isValid())
        return image;
    QPainter painter(&image.representation_->pixels);
    auto context = QtBridge::makeContext(painter, Rect({0, 0}, size), flipped);
    GraphicsContext::Scope scope(*context);
    handler(Rect({0, 0}, size));
    return image;
}

Image Image::fromFile(const std::filesystem::path& path)
{
    QImage pixels(QString::fromStdString(path.string()));
    if (pixels.isNull())
        return Image();
    const double scale = path.stem().string().ends_with("@2x") ? 2.0 : 1.0;
    return QtBridge::image(pixels, scale);
}

Image Image::named(std::string_view name)
{
    if (name.empty())
        return Image();
    const auto resources = Foundation::Bundle::main().resourcePath();
    for (const auto& folder : {resources, resources / "Images"}) {
        for (const char* suffix : {"@2x.png", ".png"}) {
            const auto path = folder / (std::string(name) + suffix);
            std::error_code ec;
            if (std::filesystem::is_regular_file(path, ec)) {
                Image image = fromFile(path);
                if (image.isValid())
                    return image;
            }
        }
    }
    return Image();
}

bool Image::isValid() const { return !representation_->pixels.isNull(); }
Size Image::size() const { return representation_->size; }

void Image::setSize(Size size)
{
    if (!isValid() || !(size.width > 0) || !(size.height > 0))
        return;
    representation_->size = size;
    representation_->pixels.setDevicePixelRatio(representation_->pixels.width() / size.width);
}

int Image::pixelsWide() const { return representation_->pixels.width(); }
int Image::pixelsHigh() const { return representation_->pixels.height(); }
bool Image::isTemplate() const { return representation_->isTemplate; }
void Image::setTemplate(bool value) { representation_->isTemplate = value; }
EdgeInsets Image::capInsets() const { return representation_->capInsets; }
void Image::setCapInsets(const EdgeInsets& insets) { representation_->capInsets = insets; }

Image Image::copy() const
{
    auto rep = std::make_shared<Representation>();
    rep->pixels = representation_->pixels.copy();
    rep->pixels.setDevicePixelRatio(representation_->pixels.devicePixelRatio());
    rep->size = representation_->size;
    rep->isTemplate = representation_->isTemplate;
    rep->capInsets = representation_->capInsets;
    return Image(rep);
}

Image Image::tinted(const Colour& colour) const
{
    Image out = copy();
    if (!out.isValid())
        return out;
    out.representation_->isTemplate = false;
    QPainter painter(&out.representation_->pixels);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(QPointF(0, 0), QSizeF(size().width, size().height)), QtBridge::colour(colour));
    return out;
}

Image Image::resized(Size size) const
{
    const double scale = isValid() ? representation_->pixels.devicePixelRatio() : 1.0;
    Image out(size, scale);
    if (!out.isValid() || !isValid())
        return out;
    {
        QPainter painter(&out.representation_->pixels);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(0, 0, size.width, size.height), representation_->pixels);
    }
    out.representation_->isTemplate = representation_->isTemplate;
    return out;
}

Image Image::cropped(int x, int y, int width, int height) const
{
    const QImage& pixels = representation_->pixels;
    if (width <= 0 || height <= 0 || x < 0 || y < 0 || x > pixels.width() - width || y > pixels.height() - height)
        return Image();
    QImage part = pixels.copy(x, y, width, height);
    part.setDevicePixelRatio(1);
    return QtBridge::image(part, 1);
}

void Image::draw(const Rect& destination, const Rect& source, CompositingOperation operation, double fraction) const
{
    if (auto* context = GraphicsContext::current())
        context->drawImage(*this, destination, source, operation, fraction);
}

void Image::lockFocus()
{
    auto& rep = *representation_;
    if (rep.focus)
        return;
    // An empty image still takes the drawing, so that it never lands in the enclosing context.
    QImage* target = &rep.pixels;
    if (!isValid()) {
        rep.discard = QImage(1, 1, QImage::Format_ARGB32_Premultiplied);
        target = &rep.discard;
    }
    rep.focusPainter = std::make_unique<QPainter>(target);
    rep.focus = QtBridge::makeContext(*rep.focusPainter, Rect({0, 0}, rep.size), false);
    rep.focusScope = std::make_unique<GraphicsContext::Scope>(*rep.focus);
}

void Image::unlockFocus()
{
    auto& rep = *representation_;
    if (!rep.focus)
        return;
    rep.focusScope.reset();
    rep.focus.reset();
    rep.focusPainter.reset();
    rep.discard = QImage();
}

Colour Image::colourAt(Point p) const
{
    const QImage& pixels = representation_->pixels;
    if (pixels.isNull())
        return Colour::clear();
    const double scale = pixels.devicePixelRatio();
    const int x = static_cast<int>(std::floor(p.x * scale));
    const int y = static_cast<int>(std::floor((representation_->size.height - p.y) * scale));
    if (x < 0 || y < 0 || x >= pixels.width() || y >= pixels.height())
        return Colour::clear();
    const QColor c = pixels.pixelColor(x, y); // not premultiplied
    return QtBridge::colour(c);
}

bool Image::writePNG(const std::filesystem::path& path) const
{
    if (!isValid())
        return false;
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    return representation_->pixels.save(QString::fromStdString(path.string()), "PNG");
}

} // namespace Kit
