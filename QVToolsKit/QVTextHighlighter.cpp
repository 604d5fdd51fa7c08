#include "QVToolsKit/QVTextHighlighter.h"

#include <QString>

namespace QVToolsKit {

Foundation::AttributedString QVTextHighlighter::highlight(const std::vector<std::string>& keywords,
                                                          const std::string& in,
                                                          const Foundation::AttributedString::Attributes& attributes,
                                                          bool underline)
{
    Foundation::AttributedString text(in);
    const QString haystack = QString::fromStdU16String(text.utf16());
    for (const std::string& keyword : keywords) {
        const QString needle = QString::fromUtf8(keyword.data(), static_cast<qsizetype>(keyword.size()));
        if (needle.isEmpty())
            continue;
        qsizetype from = 0;
        while (true) {
            const qsizetype found = haystack.indexOf(needle, from, Qt::CaseInsensitive);
            if (found < 0)
                break;
            const Foundation::AttributedString::Range range{static_cast<std::size_t>(found),
                                                            static_cast<std::size_t>(needle.size())};
            text.addAttributes(attributes, range);
            if (underline)
                text.addAttribute(Foundation::AttributedString::underlineStyle, 1, range);
            from = found + needle.size();
        }
    }
    return text;
}

std::string QVTextHighlighter::convertToPlainText(const Foundation::AttributedString& from) { return from.string(); }

} // namespace QVToolsKit
