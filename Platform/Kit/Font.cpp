#include "Platform/Kit/Font.h"

#include "Platform/Kit/QtBridge.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

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
Size Font::wrappedSizeOf(std::string_view text, double width) const
{
    if (!(width > 0))
        return sizeOf(text);
    const QFontMetricsF metrics(QtBridge::font(*this));
    const QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QRectF box = metrics.boundingRect(QRectF(0, 0, width, 1e7), Qt::TextWordWrap, string);
    return {std::ceil(box.width()), std::max(box.height(), lineHeight())};
}

double Font::ascender() const { return QFontMetricsF(QtBridge::font(*this)).ascent(); }
double Font::lineHeight() const { return QFontMetricsF(QtBridge::font(*this)).height(); }

} // namespace Kit
