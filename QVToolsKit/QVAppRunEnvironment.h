#pragma once

#include <optional>
#include <string_view>

namespace QVToolsKit {

// The channel the application was distributed through.
enum class QVAppRunEnvironment { appStore, testFlight, developerID, adHoc, development, other };

// "App store" (lower-case s), "TestFlight", "Developer ID", "Ad Hoc", "Development", "Other".
std::string_view rawValue(QVAppRunEnvironment environment);
// Exact, case-sensitive match of the six texts.
std::optional<QVAppRunEnvironment> makeQVAppRunEnvironment(std::string_view rawValue);

} // namespace QVToolsKit
