#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

#include <string>

namespace QVToolsKit {

// Opens web addresses in the user's default handler.
class QVTOOLSKIT_EXPORT QVURLManager {
public:
    // Opens `text` as it is; an address that does not parse prints "无效的 URL: " followed by the text.
    static void openURL(const std::string& text);
    // Opens `baseURL` followed by the query-encoded `keyword`; anything that does not parse is dropped silently.
    static void openSearchURL(const std::string& baseURL, const std::string& keyword);
};

} // namespace QVToolsKit
