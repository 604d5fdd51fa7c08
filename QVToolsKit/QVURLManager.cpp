#include "QVToolsKit/QVURLManager.h"

#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/URL.h"
#include "Platform/System/Workspace.h"

namespace QVToolsKit {

void QVURLManager::openURL(const std::string& text)
{
    const std::optional<Foundation::URL> url = Foundation::URL::string(text);
    if (!url) {
        Foundation::Console::print("无效的 URL: " + text);
        return;
    }
    (void)SystemPlatform::Workspace::shared().open(*url);
}

void QVURLManager::openSearchURL(const std::string& baseURL, const std::string& keyword)
{
    const std::optional<std::string> encoded = Foundation::URL::percentEncodedForQuery(keyword);
    if (!encoded)
        return;
    if (const std::optional<Foundation::URL> url = Foundation::URL::string(baseURL + *encoded))
        (void)SystemPlatform::Workspace::shared().open(*url);
}

} // namespace QVToolsKit
