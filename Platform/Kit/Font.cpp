#include "Platform/Kit/Font.h"

#include "Platform/Kit/QtBridge.h"

#include <QFontMetricsF>

namespace Kit {

Font::Font(std::string family, double size, double weight) : family_(std::move(family)), size_(size), weight_(weight)
{
}

Font Font::systemFont(double size, double weight) { return Font("", size, weight); }
Font Font::boldSystemFont(double size) { return Font("", size, Weight::bold); }

Font Font::monospacedDigitSystemFont(double size, double weight)
{
    Font f("", size, weight);
    f.monospacedDigit_ = true;
    return f;
}

Font Font::monospacedSystemFont(double size, double weight)
{
    Font f("", size, weight);
    f.fixedPitch_ = true;
    return f;
}

Font Font::withSize(double size) const
{
    Font f = *this;
    f.size_ = size;
    return f;
}

double Font::widthOf(std::string_view text) const
{
    return QFontMetricsF(QtBridge::font(*this))
        .horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

Size Font::sizeOf(std::string_view text) const { return {widthOf(text), lineHeight()}; }
double Font::ascender() const { return QFontMetricsF(QtBridge::font(*this)).ascent(); }
double Font::descender() const { return -QFontMetricsF(QtBridge::font(*this)).descent(); }
double Font::lineHeight() const { return QFontMetricsF(QtBridge::font(*this)).height(); }

} // namespace Kit
