#pragma once

#include "Platform/Foundation/StringFormat.h"
#include "QVToolsKit/QVToolsKitExport.h"

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace QVToolsKit {

// Localised texts of the main bundle, filled in as formats.
class QVTOOLSKIT_EXPORT L10n {
public:
    // The key's text in the main bundle's default table (the key itself when no table has it), used as a
    // printf-style format for `arguments`. Translations are data: a directive without its argument writes
    // nothing, never reads past the list. The comment is for translators only.
    static std::string localized(std::string_view key, std::span<const Foundation::StringFormat::Argument> arguments,
                                 std::string_view comment = {});
    static std::string localized(std::string_view key,
                                 std::initializer_list<Foundation::StringFormat::Argument> arguments = {},
                                 std::string_view comment = {})
    {
        return localized(key, std::span(arguments.begin(), arguments.size()), comment);
    }
};

} // namespace QVToolsKit
