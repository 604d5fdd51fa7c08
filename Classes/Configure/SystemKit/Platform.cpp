#include "Classes/Configure/SystemKit/Platform.h"

#include "Classes/Configure/Global/RawValueTable.h"

namespace Aerlo {

namespace {

constexpr RawValueTable<Platform, 17> rawValues({
    "intel",
    "m1",
    "m1Pro",
    "m1Max",
    "m1Ultra",
    "m2",
    "m2Pro",
    "m2Max",
    "m2Ultra",
    "m3",
    "m3Pro",
    "m3Max",
    "m3Ultra",
    "m4",
    "m4Pro",
    "m4Max",
    "m4Ultra",
});

std::vector<Platform> family(Platform base)
{
    const auto first = static_cast<uint8_t>(base);
    return {base, Platform(first + 1), Platform(first + 2), Platform(first + 3)};
}

} // namespace

std::string_view rawValue(Platform platform) { return rawValues.text(platform); }

std::optional<Platform> platformFromRawValue(std::string_view raw) { return rawValues.value(raw); }

bool isAppleSilicon(std::optional<Platform> platform) { return platform != Platform::intel; }

namespace Platforms {

std::vector<Platform> apple()
{
    std::vector<Platform> list;
    for (auto i = static_cast<uint8_t>(Platform::m1); i <= static_cast<uint8_t>(Platform::m4Ultra); ++i)
        list.push_back(static_cast<Platform>(i));
    return list;
}

std::vector<Platform> all()
{
    auto list = apple();
    list.push_back(Platform::intel);
    return list;
}

std::vector<Platform> m1Family() { return family(Platform::m1); }
std::vector<Platform> m2Family() { return family(Platform::m2); }
std::vector<Platform> m3Family() { return family(Platform::m3); }
std::vector<Platform> m4Family() { return family(Platform::m4); }

} // namespace Platforms

} // namespace Aerlo
