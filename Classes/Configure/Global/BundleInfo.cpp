#include "Classes/Configure/Global/BundleInfo.h"

#include "Classes/Configure/Global/LocalizationTable.h"
#include "Platform/Foundation/StringFormat.h"
#include "QVToolsKit/ModuleConstants.h"

#include <optional>

namespace Aerlo {

namespace {

std::optional<std::string> textValue(const Foundation::Bundle& bundle, std::string_view key)
{
    const auto value = bundle.object(key);
    return value.is_string() ? std::optional<std::string>(value.get<std::string>()) : std::nullopt;
}

} // namespace

const std::string& appVersion() { return QVToolsKit::kAPP_Version(); }

const std::string& appDisplayName()
{
    static const std::string name = bundleDisplayName(Foundation::Bundle::main());
    return name;
}

std::string appVersionString() { return bundleVersion(Foundation::Bundle::main()); }

std::string bundleVersion(const Foundation::Bundle& bundle)
{
    return textValue(bundle, "CFBundleShortVersionString").value_or("");
}

std::string bundleDisplayName(const Foundation::Bundle& bundle)
{
    return textValue(bundle, "CFBundleDisplayName").value_or(textValue(bundle, "CFBundleName").value_or(""));
}

std::string localizedStringArguments(std::string_view key, const std::vector<std::string>& arguments)
{
    std::string text = LocalizationTable::text(key);
    if (arguments.empty())
        return text;
    return Foundation::StringFormat::formatObjects(text, arguments);
}

} // namespace Aerlo
