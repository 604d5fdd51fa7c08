#include "QVToolsKit/QVAppRunEnvironment.h"

#include "Platform/Foundation/RawValueTable.h"

namespace QVToolsKit {

namespace {

constexpr Foundation::RawValueTable<QVAppRunEnvironment, 6> rawValues({"App store", "TestFlight", "Developer ID",
                                                                       "Ad Hoc", "Development", "Other"});

} // namespace

std::string_view rawValue(QVAppRunEnvironment environment) { return rawValues.text(environment); }

std::optional<QVAppRunEnvironment> makeQVAppRunEnvironment(std::string_view rawValue)
{
    return rawValues.value(rawValue);
}

} // namespace QVToolsKit
