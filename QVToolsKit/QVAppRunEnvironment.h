#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

#include <optional>
#include <string_view>

namespace QVToolsKit {

// The channel the application was distributed through.
enum class QVAppRunEnvironment { appStore, testFlight, developerID, adHoc, development, other };

// "App store" (lower-case s), "TestFlight", "Developer ID", "Ad Hoc", "Development", "Other".
QVTOOLSKIT_EXPORT std::string_view rawValue(QVAppRunEnvironment environment);
// Exact, case-sensitive match of the six texts.
QVTOOLSKIT_EXPORT std::optional<QVAppRunEnvironment> makeQVAppRunEnvironment(std::string_view rawValue);

} // namespace QVToolsKit
