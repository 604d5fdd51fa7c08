#include "Classes/Configure/Global/BundleInfo.h"

#include "Classes/Configure/Global/LocalizationTable.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/StringFormat.h"

namespace Aerlo {

namespace {

std::string textValue(std::string_view key)
{
    const auto value = Foundation::Bundle::main().object(key);
    return value.is_string() ? value.get<std::string>() : std::string();
}

} // namespace

const std::string& appVersion()
{
    static const std::string version = appVersionString();
    return version;
}

const std::string& appDisplayName()
{
    static const std::string name = [] {
        const auto display = Foundation::Bundle::main().object("CFBundleDisplayName");
        return display.is_string() ? display.get<std::string>() : textValue("CFBundleName");
    }();
    return name;
}

std::string appVersionString()
{
    return textValue("CFBundleShortVersionString");
}

std::string localizedStringArguments(std::string_view key, const std::vector<std::string>& arguments)
{
    std::string text = LocalizationTable::text(key);
    if (arguments.empty())
        return text;
    return Foundation::StringFormat::format(text, arguments);
}

} // namespace Aerlo
