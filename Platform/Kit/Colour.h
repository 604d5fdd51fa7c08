#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/Appearance.h"

#include <functional>
#include <memory>

namespace Kit {

// An sRGB colour with alpha (components are doubles, unclamped until painted), or a dynamic colour
// that resolves against an appearance. Copies share a dynamic colour's provider.
class AERLO_KIT_EXPORT Colour {
public:
    using Provider = std::function<Colour(const Appearance&)>;

    constexpr Colour() = default; // clear
    constexpr Colour(double red, double green, double blue, double alpha = 1)
        : r_(red), g_(green), b_(blue), a_(alpha) {}

    static Colour white(double level, double alpha = 1) { return {level, level, level, alpha}; }
    static Colour fromRGB255(int red, int green, int blue, double alpha = 1);
    static Colour dynamic(Provider provider);
    static Colour dynamic(Colour light, Colour dark);

    static Colour clear() { return {0, 0, 0, 0}; }
    static Colour black() { return {0, 0, 0, 1}; }
    static Colour whiteColor() { return {1, 1, 1, 1}; }
    static Colour red() { return {1, 0, 0, 1}; }
    static Colour green() { return {0, 1, 0, 1}; }
    static Colour blue() { return {0, 0, 1, 1}; }
    // System colours (dynamic).
    static Colour labelColor();
    static Colour secondaryLabelColor();
    static Colour textColor();
    static Colour controlTextColor();
    static Colour controlAccentColor(); // the palette's highlight
    // The focus ring: the accent, see-through.
    static Colour keyboardFocusIndicatorColor();
    static Colour systemGray();
    static Colour windowBackgroundColor();
    static Colour controlBackgroundColor();
    static Colour separatorColor();
    static Colour selectedContentBackgroundColor();
    static Colour unemphasizedSelectedContentBackgroundColor();

    bool isDynamic() const { return static_cast<bool>(provider_); }
    // The fixed colour for the appearance (a fixed colour is itself).
    Colour resolved(const Appearance& appearance) const;
    // Resolved against Appearance::current().
    Colour resolved() const { return resolved(Appearance::current()); }

    double redComponent() const { return resolved().r_; }
    double greenComponent() const { return resolved().g_; }
    double blueComponent() const { return resolved().b_; }
    double alphaComponent() const { return resolved().a_; }

    // A dynamic colour stays dynamic.
    Colour withAlphaComponent(double alpha) const;
    // Linear RGBA between two resolved colours.
    static Colour interpolate(const Colour& from, const Colour& to, double fraction);

    // Makes this the current drawing context's fill (setFill), stroke (setStroke) or both (set).
    void set() const;
    void setFill() const;
    void setStroke() const;

    // Fixed colours compare by components, dynamic ones by provider.
    friend AERLO_KIT_EXPORT bool operator==(const Colour& x, const Colour& y);

private:
    double r_ = 0, g_ = 0, b_ = 0, a_ = 0;
    std::shared_ptr<const Provider> provider_;
};

} // namespace Kit
