#pragma once

#include "Platform/Foundation/Bundle.h"

#include <string>
#include <string_view>
#include <vector>

namespace Aerlo {

// "CFBundleShortVersionString" of the main bundle when it is text, else "": computed once.
const std::string& appVersion();
// "CFBundleDisplayName" when it is text, else "CFBundleName" when it is text, else "": computed once.
const std::string& appDisplayName();
// The version text, read anew on every call.
std::string appVersionString();

// The same readings of any bundle.
std::string bundleVersion(const Foundation::Bundle& bundle);
std::string bundleDisplayName(const Foundation::Bundle& bundle);

// The text for `key` used as a format and filled with `arguments` (`%@`, `%1$@`, …) by the safe
// formatter, which fills only "%@", "%1$@" … and "%%"; with no arguments the text as it is.
std::string localizedStringArguments(std::string_view key, const std::vector<std::string>& arguments);

} // namespace Aerlo
