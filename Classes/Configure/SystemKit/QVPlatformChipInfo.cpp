#include "Classes/Configure/SystemKit/QVPlatformChipInfo.h"

#include "Classes/Configure/SystemKit/QVSystemProfilerParser.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/Process.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/TextUtilities.h"
#include "Platform/Foundation/UTF8.h"
#include "Platform/System/Kernel.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <memory>
#include <mutex>

namespace Aerlo {

namespace {

std::string uppercased(std::string_view text)
{
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

std::string valueOf(const std::vector<std::string>& lines, std::string_view key)
{
    const auto line = QVSystemProfilerParser::line(lines, key);
    if (!line)
        return "Unknown";
    return Foundation::trimmed(std::string_view(*line).substr(key.size() + 1));
}

struct Cache {
    std::unique_ptr<std::once_flag> once = std::make_unique<std::once_flag>();
    bool answer = false;
};

Cache& cache()
{
    static Foundation::SharedInstance<Cache> cache;
    return cache.get();
}

} // namespace

const std::vector<QVPlatformChipInfo::Exclusion>& QVPlatformChipInfo::exclusions()
{
    static const std::vector<Exclusion> list {{"MAC MINI", "M4"}, {"MACBOOK PRO", "M3"}, {"MACBOOK PRO", "M4"}};
    return list;
}

const std::vector<std::string_view>& QVPlatformChipInfo::chipGenerations()
{
    static const std::vector<std::string_view> list {"M3", "M4", "M5", "M6", "M7", "M8"};
    return list;
}

std::string QVPlatformChipInfo::cpuBrand()
{
    std::array<char, 200> buffer {};
    std::size_t length = buffer.size();
    if (SystemPlatform::Kernel::sysctlbyname("machdep.cpu.brand_string", buffer.data(), &length) == -1) {
        Foundation::Console::printError("❌ getCPUBrand failed: " + std::to_string(errno));
        return {};
    }
    // Never past the length the call gave back, nor the buffer.
    const std::string_view text(buffer.data(), std::min(length, buffer.size()));
    return std::string(text.substr(0, text.find('\0')));
}

std::string QVPlatformChipInfo::runSystemProfiler(std::string_view argument)
{
    Foundation::ProcessOptions options;
    options.standardError = Foundation::ProcessOutput::standardOutput;
    const auto result = Foundation::Process::run("/usr/sbin/system_profiler", {std::string(argument)}, options);
    if (!result.launched || !Foundation::UTF8::isValid(result.stdout_))
        return {};
    return result.stdout_;
}

std::pair<std::string, std::string> QVPlatformChipInfo::modelAndChip()
{
    const std::vector<std::string> lines = splitLines(runSystemProfiler("SPHardwareDataType"));
    return {valueOf(lines, "Model Name"), valueOf(lines, "Chip")};
}

bool QVPlatformChipInfo::isExcluded(std::string_view model, std::string_view chip, const std::vector<Exclusion>& list)
{
    const std::string upperModel = uppercased(model);
    const std::string upperChip = uppercased(chip);
    for (const Exclusion& pair : list) {
        if (contains(upperModel, pair.modelKeyword) && contains(upperChip, pair.chipKeyword)) {
            Foundation::Console::printError("⚠️ 当前设备命中排除项: " + std::string(model) + " + "
                                            + std::string(chip));
            return true;
        }
    }
    return false;
}

bool QVPlatformChipInfo::isCurrentDeviceExcluded()
{
    const auto [model, chip] = modelAndChip();
    return isExcluded(model, chip, exclusions());
}

bool QVPlatformChipInfo::isMacMiniM4()
{
    const auto [model, chip] = modelAndChip();
    return contains(model, "Mac mini") && contains(chip, "Apple M4");
}

bool QVPlatformChipInfo::isM3OrLater()
{
    const std::string brand = uppercased(cpuBrand());
    if (isCurrentDeviceExcluded())
        return false;
    if (!brand.starts_with("APPLE"))
        return false;
    return std::any_of(chipGenerations().begin(), chipGenerations().end(),
                       [&](std::string_view generation) { return contains(brand, generation); });
}

bool QVPlatformChipInfo::cachedIsM3OrLater()
{
    Cache& c = cache();
    std::call_once(*c.once, [&] { c.answer = isM3OrLater(); });
    return c.answer;
}

void QVPlatformChipInfo::resetForTesting()
{
    cache().once = std::make_unique<std::once_flag>();
    cache().answer = false;
}

} // namespace Aerlo
