#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/Size.h"

#include <string>
#include <string_view>

namespace Kit {

// A font sized in points, which Kit paints as device-independent pixels (sizes round to whole pixels).
class AERLO_KIT_EXPORT Font {
public:
    // The platform's weight scale.
    struct Weight {
        static constexpr double ultraLight = -0.8;
        static constexpr double thin = -0.6;
        static constexpr double light = -0.4;
        static constexpr double regular = 0.0;
        static constexpr double medium = 0.23;
        static constexpr double semibold = 0.3;
        static constexpr double bold = 0.4;
        static constexpr double heavy = 0.56;
        static constexpr double black = 0.62;
    };

    static constexpr double systemFontSize = 13;

    Font() : Font("", systemFontSize) {}
    // An empty family is the system font.
    Font(std::string family, double size, double weight = Weight::regular);
    static Font systemFont(double size, double weight = Weight::regular);
    static Font boldSystemFont(double size);
    static Font monospacedDigitSystemFont(double size, double weight = Weight::regular);

    const std::string& familyName() const { return family_; }
    double pointSize() const { return size_; }
    double weight() const { return weight_; }
    bool isMonospacedDigit() const { return monospacedDigit_; }
    bool isFixedPitch() const { return fixedPitch_; }
    Font withSize(double size) const;

    // Measurement with the font alone.
    double widthOf(std::string_view text) const;
    Size sizeOf(std::string_view text) const; // width, line height
    // The text broken into lines at word boundaries within `width` (a longer word keeps its own line):
    // the widest line and the lines' height.
    Size wrappedSizeOf(std::string_view text, double width) const;
    double ascender() const;
    double lineHeight() const;

    friend bool operator==(const Font&, const Font&) = default;

private:
    std::string family_;
    double size_;
    double weight_;
    bool monospacedDigit_ = false;
    bool fixedPitch_ = false;
};

} // namespace Kit
