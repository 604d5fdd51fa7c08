#include "QVToolsKit/QVSystemVersionUtil.h"

#include "Platform/Foundation/TextUtilities.h"
#include "Platform/System/ProcessInfo.h"

namespace QVToolsKit {

namespace {

std::int64_t parsePiece(std::string_view piece)
{
    // from_chars takes a "-" but not a "+".
    if (piece.size() > 1 && piece.front() == '+' && piece[1] != '-')
        piece.remove_prefix(1);
    return Foundation::decimalNumber<std::int64_t>(piece).value_or(0);
}

} // namespace

bool QVSystemVersionUtil::is26OrLater()
{
    static const bool value = SystemPlatform::ProcessInfo::isOperatingSystemAtLeast(26, 0, 0);
    return value;
}

QVSystemVersionUtil::Version QVSystemVersionUtil::currentVersion()
{
    const auto v = SystemPlatform::ProcessInfo::operatingSystemVersion();
    return {v.majorVersion, v.minorVersion, v.patchVersion};
}

bool QVSystemVersionUtil::isCurrentVersion(Version minVersion, Version maxVersion)
{
    const Version current = currentVersion();
    if (current < minVersion)
        return false;
    return current <= maxVersion;
}

bool QVSystemVersionUtil::isMajorVersion(std::int64_t major) { return currentVersion().major == major; }

bool QVSystemVersionUtil::isAtLeastMajor(std::int64_t major) { return currentVersion().major >= major; }

bool QVSystemVersionUtil::isEqualTo(std::string_view version) { return currentVersion() == parseVersion(version); }

bool QVSystemVersionUtil::isAtLeast(std::string_view version) { return currentVersion() >= parseVersion(version); }

bool QVSystemVersionUtil::isAtMost(std::string_view version) { return currentVersion() <= parseVersion(version); }

bool QVSystemVersionUtil::isGreaterThan(std::string_view version) { return currentVersion() > parseVersion(version); }

bool QVSystemVersionUtil::isLessThan(std::string_view version) { return currentVersion() < parseVersion(version); }

QVSystemVersionUtil::Version QVSystemVersionUtil::parseVersion(std::string_view version)
{
    std::int64_t numbers[3] = {0, 0, 0};
    size_t count = 0;
    while (count < 3 && !version.empty()) {
        const size_t dot = version.find('.');
        const std::string_view piece = version.substr(0, dot);
        version = dot == std::string_view::npos ? std::string_view {} : version.substr(dot + 1);
        if (!piece.empty())
            numbers[count++] = parsePiece(piece);
    }
    return {numbers[0], numbers[1], numbers[2]};
}

} // namespace QVToolsKit
