#include "Platform/System/Kernel.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/System/ActiveMachine.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <string>
#include <unistd.h>
#include <variant>

namespace SystemPlatform {

namespace {

struct Switches {
    std::mutex mutex;
    std::map<std::string, int, std::less<>> sysctlFailures;
    IOKit::kern_return_t hostInfoFailure = IOKit::kIOReturnSuccess;
    bool unameFails = false;
    std::optional<timeval> bootTime;
};

Switches& switches()
{
    static Foundation::SharedInstance<Switches> state;
    return state.get();
}

// The host's boot time: the real-time clock less the time since boot.
timeval hostBootTime()
{
    timespec now {};
    timespec sinceBoot {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    ::clock_gettime(CLOCK_BOOTTIME, &sinceBoot);
    const std::int64_t micro = (std::int64_t(now.tv_sec) - sinceBoot.tv_sec) * 1000000
                               + (std::int64_t(now.tv_nsec) - sinceBoot.tv_nsec) / 1000;
    return {micro / 1000000, static_cast<std::int32_t>(micro % 1000000)};
}

// A value as the kernel hands it out: a NUL-terminated text, a 32- or 64-bit number, or a time record.
using Value = std::variant<std::string, std::int32_t, std::int64_t, timeval>;

std::optional<Value> lookup(std::string_view name)
{
    if (name == "kern.boottime") {
        Switches& s = switches();
        std::lock_guard lock(s.mutex);
        return s.bootTime ? *s.bootTime : hostBootTime();
    }
    const auto profile = ActiveMachine::profile();
    if (!profile)
        return std::nullopt;
    const SMCSim::MachineFacts& facts = profile->facts;
    const bool appleSilicon = facts.architecture == "arm64";
    if (name == "hw.model")
        return facts.modelIdentifier;
    if (name == "hw.machine")
        return facts.architecture;
    if (name == "machdep.cpu.brand_string")
        return facts.cpuBrand;
    if (name == "hw.memsize")
        return static_cast<std::int64_t>(facts.memoryBytes);
    if (name == "hw.physicalcpu")
        return facts.physicalCores;
    if (name == "hw.logicalcpu")
        return facts.logicalCores;
    if (name == "hw.nperflevels")
        return appleSilicon ? 2 : 1;
    if (appleSilicon && name == "hw.perflevel0.physicalcpu")
        return facts.performanceCores;
    if (appleSilicon && name == "hw.perflevel1.physicalcpu")
        return facts.efficiencyCores;
    if (name == "kern.osproductversion")
        return facts.osVersion;
    if (name == "kern.osversion")
        return facts.osBuild;
    return std::nullopt;
}

std::string bytesOf(const Value& value)
{
    return std::visit(
        [](const auto& v) -> std::string {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::string>)
                return std::string(v.c_str(), v.size() + 1);
            else
                return std::string(reinterpret_cast<const char*>(&v), sizeof v);
        },
        value);
}

int failWith(int error)
{
    errno = error;
    return -1;
}

std::optional<std::string_view> nameOf(const int* name, unsigned length)
{
    if (name == nullptr || length != 2)
        return std::nullopt;
    if (name[0] == CTL_HW && name[1] == HW_MODEL)
        return "hw.model";
    if (name[0] == CTL_KERN && name[1] == KERN_BOOTTIME)
        return "kern.boottime";
    return std::nullopt;
}

void copyField(char (&field)[256], std::string_view text)
{
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text.data(), std::min(text.size(), sizeof field - 1));
}

} // namespace

int Kernel::sysctlbyname(const char* name, void* oldValue, std::size_t* oldLength)
{
    if (name == nullptr || oldLength == nullptr)
        return failWith(EINVAL);
    {
        Switches& s = switches();
        std::lock_guard lock(s.mutex);
        if (const auto failure = s.sysctlFailures.find(std::string_view(name)); failure != s.sysctlFailures.end())
            return failWith(failure->second);
    }
    const auto value = lookup(name);
    if (!value)
        return failWith(ENOENT);
    const std::string bytes = bytesOf(*value);
    if (oldValue == nullptr) {
        *oldLength = bytes.size();
        return 0;
    }
    const std::size_t copied = std::min(*oldLength, bytes.size());
    std::memcpy(oldValue, bytes.data(), copied);
    *oldLength = copied;
    return copied < bytes.size() ? failWith(ENOMEM) : 0;
}

int Kernel::sysctl(const int* name, unsigned nameLength, void* oldValue, std::size_t* oldLength)
{
    const auto known = nameOf(name, nameLength);
    if (!known)
        return failWith(ENOENT);
    return sysctlbyname(std::string(*known).c_str(), oldValue, oldLength);
}

IOKit::kern_return_t Kernel::host_info(int flavor, std::int32_t* info, std::uint32_t* count)
{
    {
        Switches& s = switches();
        std::lock_guard lock(s.mutex);
        if (s.hostInfoFailure != IOKit::kIOReturnSuccess)
            return s.hostInfoFailure;
    }
    if (flavor != HOST_BASIC_INFO || info == nullptr || count == nullptr || *count < HOST_BASIC_INFO_COUNT)
        return IOKit::kIOReturnBadArgument;
    const auto profile = ActiveMachine::profile();
    if (!profile)
        return IOKit::kIOReturnNoDevice;
    const SMCSim::MachineFacts& facts = profile->facts;
    host_basic_info record;
    record.max_cpus = record.avail_cpus = facts.logicalCores;
    record.memory_size = static_cast<std::uint32_t>(std::min<std::uint64_t>(facts.memoryBytes, 0x80000000u));
    // CPU_TYPE_X86_64 or CPU_TYPE_ARM64.
    record.cpu_type = facts.architecture == "arm64" ? 0x0100000C : 0x01000007;
    record.physical_cpu = record.physical_cpu_max = facts.physicalCores;
    record.logical_cpu = record.logical_cpu_max = facts.logicalCores;
    record.max_mem = facts.memoryBytes;
    std::memcpy(info, &record, sizeof record);
    *count = HOST_BASIC_INFO_COUNT;
    return IOKit::kIOReturnSuccess;
}

int Kernel::uname(utsname* name)
{
    if (name == nullptr)
        return failWith(EFAULT);
    {
        Switches& s = switches();
        std::lock_guard lock(s.mutex);
        if (s.unameFails)
            return failWith(EFAULT);
    }
    const auto profile = ActiveMachine::profile();
    if (!profile)
        return failWith(ENOENT);
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    copyField(name->sysname, "Darwin");
    copyField(name->nodename, host);
    // The kernel's release and version texts are not part of the profile.
    copyField(name->release, "");
    copyField(name->version, "");
    copyField(name->machine, profile->facts.architecture);
    return 0;
}

void Kernel::setSysctlFailure(std::string_view name, int error)
{
    Switches& s = switches();
    std::lock_guard lock(s.mutex);
    if (error == 0)
        s.sysctlFailures.erase(std::string(name));
    else
        s.sysctlFailures[std::string(name)] = error;
}

void Kernel::setHostInfoFailure(IOKit::kern_return_t code)
{
    Switches& s = switches();
    std::lock_guard lock(s.mutex);
    s.hostInfoFailure = code;
}

void Kernel::setUnameFailure(bool fails)
{
    Switches& s = switches();
    std::lock_guard lock(s.mutex);
    s.unameFails = fails;
}

void Kernel::setBootTime(std::optional<timeval> bootTime)
{
    Switches& s = switches();
    std::lock_guard lock(s.mutex);
    s.bootTime = bootTime;
}

void Kernel::resetForTesting()
{
    Switches& s = switches();
    std::lock_guard lock(s.mutex);
    s.sysctlFailures.clear();
    s.hostInfoFailure = IOKit::kIOReturnSuccess;
    s.unameFails = false;
    s.bootTime.reset();
}

} // namespace SystemPlatform
