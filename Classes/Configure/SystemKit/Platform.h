#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace Aerlo {

// The machine family. The raw value is the case name.
enum class Platform : uint8_t {
    intel,
    m1,
    m1Pro,
    m1Max,
    m1Ultra,
    m2,
    m2Pro,
    m2Max,
    m2Ultra,
    m3,
    m3Pro,
    m3Max,
    m3Ultra,
    m4,
    m4Pro,
    m4Max,
    m4Ultra,
};

std::string_view rawValue(Platform platform);
// Exact, case-sensitive match of the raw value.
std::optional<Platform> platformFromRawValue(std::string_view raw);

// True on anything but Intel, an undecided platform included.
bool isAppleSilicon(std::optional<Platform> platform);

// The fixed platform lists; each call gives a fresh list.
namespace Platforms {
std::vector<Platform> apple(); // m1 … m4Ultra
std::vector<Platform> all(); // apple() then intel
std::vector<Platform> m1Family();
std::vector<Platform> m2Family();
std::vector<Platform> m3Family();
std::vector<Platform> m4Family();
} // namespace Platforms

} // namespace Aerlo
