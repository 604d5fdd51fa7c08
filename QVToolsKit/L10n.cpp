#include "QVToolsKit/L10n.h"

#include "Platform/Foundation/Bundle.h"

namespace QVToolsKit {

std::string L10n::localized(std::string_view key, std::span<const Foundation::StringFormat::Argument> arguments,
                            std::string_view)
{
    return Foundation::StringFormat::format(Foundation::Bundle::main().localizedString(key), arguments);
}

} // namespace QVToolsKit
