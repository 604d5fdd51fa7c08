#include "Platform/Foundation/DateComponentsFormatter.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/IcuSupport.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <unicode/fieldpos.h>
#include <unicode/measfmt.h>
#include <unicode/measunit.h>
#include <unicode/measure.h>

namespace Foundation {

namespace {

double secondsIn(DateComponentsFormatter::Unit unit)
{
    switch (unit) {
    case DateComponentsFormatter::Unit::day:
        return 86400;
    case DateComponentsFormatter::Unit::hour:
        return 3600;
    default:
        return 60;
    }
}

icu::MeasureUnit* createUnit(DateComponentsFormatter::Unit unit, UErrorCode& status)
{
    switch (unit) {
    case DateComponentsFormatter::Unit::day:
        return icu::MeasureUnit::createDay(status);
    case DateComponentsFormatter::Unit::hour:
        return icu::MeasureUnit::createHour(status);
    default:
        return icu::MeasureUnit::createMinute(status);
    }
}

icu::Locale icuLocale(std::string code)
{
    std::replace(code.begin(), code.end(), '-', '_');
    return icu::Locale::createCanonical(code.c_str());
}

} // namespace

std::optional<std::string> DateComponentsFormatter::string(double seconds) const
{
    if (!std::isfinite(seconds) || seconds < 0 || allowedUnits.empty() || maximumUnitCount < 1)
        return std::nullopt;
    std::vector<Unit> units = allowedUnits;
    std::sort(units.begin(), units.end(), [](Unit a, Unit b) { return secondsIn(a) > secondsIn(b); });
    units.erase(std::unique(units.begin(), units.end()), units.end());

    // Whole units, largest first, floored to the smallest allowed one.
    double left = std::floor(seconds / secondsIn(units.back())) * secondsIn(units.back());
    std::vector<std::pair<Unit, double>> shown;
    for (Unit unit : units) {
        const double count = std::floor(left / secondsIn(unit));
        left -= count * secondsIn(unit);
        if (count > 0 && static_cast<int>(shown.size()) < maximumUnitCount)
            shown.emplace_back(unit, count);
    }
    if (shown.empty())
        shown.emplace_back(units.back(), 0);

    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale language = icuLocale(locale.empty() ? Bundle::preferredLocalization() : locale);
    icu::MeasureFormat format(language, UMEASFMT_WIDTH_WIDE, status);
    if (U_FAILURE(status))
        return std::nullopt;
    std::vector<icu::Measure> measures;
    measures.reserve(shown.size());
    for (const auto& [unit, count] : shown) {
        icu::MeasureUnit* made = createUnit(unit, status); // the measure takes it
        measures.emplace_back(icu::Formattable(count), made, status);
        if (U_FAILURE(status))
            return std::nullopt;
    }
    icu::UnicodeString text;
    icu::FieldPosition position(icu::FieldPosition::DONT_CARE);
    format.formatMeasures(measures.data(), static_cast<int32_t>(measures.size()), text, position, status);
    if (U_FAILURE(status))
        return std::nullopt;
    return Icu::utf8(text);
}

std::optional<std::string> DateComponentsFormatter::string(Date start, Date end) const
{
    return string(end.secondsSince1970 - start.secondsSince1970);
}

} // namespace Foundation
