#include "QVToolsKit/UI/QVCursorManager.h"

#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/PropertyListXMLReader.h"
#include "Platform/Kit/Image.h"

#include <string>

namespace QVToolsKit {

namespace {

std::optional<double> number(const Foundation::PropertyListValue::Dictionary& info, const char* key)
{
    const auto found = info.find(key);
    if (found == info.end())
        return std::nullopt;
    if (const double* real = found->second.asDouble())
        return *real;
    if (const std::int64_t* integer = found->second.asInteger())
        return static_cast<double>(*integer);
    return std::nullopt;
}

} // namespace

QVCursorManager::QVCursorManager() = default;

std::optional<Kit::Cursor> QVCursorManager::cursorForName(std::string_view name)
{
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos)
        return std::nullopt;
    const std::filesystem::path folder = Foundation::Paths::resolve(std::string(cursorsFolder) + std::string(name));
    // The platform's cursors are PDF, which Qt cannot read: the PNG beside it stands in.
    const Kit::Image image = Kit::Image::fromFile(folder / "cursor.png");
    const auto plist = Foundation::PropertyListXMLReader::readFile(folder / "info.plist");
    const auto* info = plist ? plist->asDictionary() : nullptr;
    if (!info)
        return std::nullopt;
    const auto hotx = number(*info, "hotx");
    const auto hoty = number(*info, "hoty");
    if (!hotx || !hoty)
        return std::nullopt;
    return Kit::Cursor(image, {*hotx, *hoty});
}

Kit::Cursor QVCursorManager::topLeftBottomRightResizeCursor()
{
    return cursorForName("resizenorthwestsoutheast").value_or(Kit::Cursor(Kit::Cursor::Shape::resizeNorthWestSouthEast));
}

Kit::Cursor QVCursorManager::topRightBottomLeftResizeCursor()
{
    return cursorForName("resizenortheastsouthwest").value_or(Kit::Cursor(Kit::Cursor::Shape::resizeNorthEastSouthWest));
}

Kit::Cursor QVCursorManager::arrowCursor() { return Kit::Cursor::arrowCursor(); }
Kit::Cursor QVCursorManager::crosshairCursor() { return Kit::Cursor::crosshairCursor(); }
Kit::Cursor QVCursorManager::pointingHandCursor() { return Kit::Cursor::pointingHandCursor(); }
Kit::Cursor QVCursorManager::IBeamCursor() { return Kit::Cursor::IBeamCursor(); }
void QVCursorManager::hiddenCursor() { Kit::Cursor::hide(); }
void QVCursorManager::unhideCursor() { Kit::Cursor::unhide(); }

} // namespace QVToolsKit
