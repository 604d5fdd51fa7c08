#pragma once

#include "Platform/Foundation/AttributedString.h"
#include "QVToolsKit/QVToolsKitExport.h"

#include <string>
#include <vector>

namespace QVToolsKit {

// Marks keywords in a text.
class QVTOOLSKIT_EXPORT QVTextHighlighter {
public:
    // Every occurrence of each keyword, found without regard to case (simple case folding, so "ß" does
    // not match "SS"), gets the attributes, and a single underline when asked. Occurrences of one keyword
    // do not overlap; a later keyword's attributes go on top of an earlier one's. Empty keywords match nothing.
    static Foundation::AttributedString highlight(const std::vector<std::string>& keywords, const std::string& in,
                                                  const Foundation::AttributedString::Attributes& attributes,
                                                  bool underline);
    static std::string convertToPlainText(const Foundation::AttributedString& from);
};

} // namespace QVToolsKit
