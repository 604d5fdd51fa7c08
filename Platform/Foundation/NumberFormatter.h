#pragma once

#include "Platform/Foundation/Formatter.h"
#include "Platform/Foundation/FoundationExport.h"

#include <optional>

namespace Foundation {

// Decimal numbers with "." as separator whatever the process's locale: an optional sign, digits, and a
// fraction when floats are allowed. Values outside the minimum and maximum are refused, not clamped.
class AERLO_FOUNDATION_EXPORT NumberFormatter final : public Formatter {
public:
    std::string string(double value) const override;
    Result<double> value(std::string_view text) const override;
    // Empty, a lone sign, or a prefix of a number that the limits could still accept.
    bool isPartialStringValid(std::string_view text) const override;

    std::optional<double> minimum() const { return minimum_; }
    void setMinimum(std::optional<double> minimum) { minimum_ = minimum; }
    std::optional<double> maximum() const { return maximum_; }
    void setMaximum(std::optional<double> maximum) { maximum_ = maximum; }
    bool allowsFloats() const { return allowsFloats_; }
    void setAllowsFloats(bool allows) { allowsFloats_ = allows; }
    int minimumFractionDigits() const { return minimumFractionDigits_; }
    void setMinimumFractionDigits(int digits);
    int maximumFractionDigits() const { return maximumFractionDigits_; }
    void setMaximumFractionDigits(int digits);

private:
    std::optional<double> minimum_;
    std::optional<double> maximum_;
    bool allowsFloats_ = true;
    int minimumFractionDigits_ = 0;
    int maximumFractionDigits_ = 3;
};

} // namespace Foundation
