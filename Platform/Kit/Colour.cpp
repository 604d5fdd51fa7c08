#include "Platform/Kit/Colour.h"

#include "Platform/Kit/GraphicsContext.h"

#include <QGuiApplication>
#include <QPalette>

namespace Kit {

Colour Colour::fromRGB255(int red, int green, int blue, double alpha)
{
    return {red / 255.0, green / 255.0, blue / 255.0, alpha};
}

Colour Colour::dynamic(Provider provider)
{
    Colour colour;
    colour.provider_ = std::make_shared<const Provider>(std::move(provider));
    return colour;
}

Colour Colour::dynamic(Colour light, Colour dark)
{
    return dynamic([light, dark](const Appearance& a) { return a.isDark() ? dark : light; });
}

Colour Colour::resolved(const Appearance& appearance) const
{
    if (!provider_)
        return *this;
    return (*provider_)(appearance).resolved(appearance);
}

Colour Colour::withAlphaComponent(double alpha) const
{
    if (!provider_)
        return {r_, g_, b_, alpha};
    auto provider = provider_;
    return dynamic([provider, alpha](const Appearance& a) { return (*provider)(a).resolved(a).withAlphaComponent(alpha); });
}

Colour Colour::interpolate(const Colour& from, const Colour& to, double t)
{
    const Colour a = from.resolved();
    const Colour b = to.resolved();
    return {a.r_ + (b.r_ - a.r_) * t, a.g_ + (b.g_ - a.g_) * t, a.b_ + (b.b_ - a.b_) * t, a.a_ + (b.a_ - a.a_) * t};
}

bool operator==(const Colour& x, const Colour& y)
{
    if (x.provider_ || y.provider_)
        return x.provider_ == y.provider_;
    return x.r_ == y.r_ && x.g_ == y.g_ && x.b_ == y.b_ && x.a_ == y.a_;
}

void Colour::set() const
{
    setFill();
    setStroke();
}

void Colour::setFill() const
{
    if (auto* context = GraphicsContext::current())
        context->setFillColour(*this);
}

void Colour::setStroke() const
{
    if (auto* context = GraphicsContext::current())
        context->setStrokeColour(*this);
}

// System colours: light and dark values.
Colour Colour::labelColor() { static const Colour c = dynamic(white(0, 0.85), white(1, 0.85)); return c; }
Colour Colour::secondaryLabelColor() { static const Colour c = dynamic(white(0, 0.5), white(1, 0.55)); return c; }
Colour Colour::textColor() { static const Colour c = dynamic(white(0), white(1)); return c; }
Colour Colour::controlTextColor() { static const Colour c = dynamic(white(0, 0.85), white(1, 0.85)); return c; }
Colour Colour::systemGray()
{
    static const Colour c = dynamic(fromRGB255(142, 142, 147), fromRGB255(152, 152, 157));
    return c;
}
Colour Colour::windowBackgroundColor()
{
    static const Colour c = dynamic(fromRGB255(236, 236, 236), fromRGB255(50, 50, 50));
    return c;
}
Colour Colour::controlBackgroundColor() { static const Colour c = dynamic(white(1), fromRGB255(30, 30, 30)); return c; }
Colour Colour::separatorColor() { static const Colour c = dynamic(white(0, 0.1), white(1, 0.1)); return c; }
Colour Colour::unemphasizedSelectedContentBackgroundColor()
{
    static const Colour c = dynamic(fromRGB255(220, 220, 220), fromRGB255(70, 70, 70));
    return c;
}

Colour Colour::controlAccentColor()
{
    static const Colour c = dynamic([](const Appearance&) {
        if (!qGuiApp)
            return fromRGB255(0, 122, 255);
        const QColor h = QGuiApplication::palette().color(QPalette::Highlight);
        return Colour(h.redF(), h.greenF(), h.blueF(), h.alphaF());
    });
    return c;
}

Colour Colour::selectedContentBackgroundColor() { return controlAccentColor(); }

Colour Colour::keyboardFocusIndicatorColor()
{
    static const Colour c = dynamic([](const Appearance& appearance) {
        return controlAccentColor().resolved(appearance).withAlphaComponent(appearance.isDark() ? 0.9 : 0.6);
    });
    return c;
}

} // namespace Kit
