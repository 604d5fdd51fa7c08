#pragma once

#include "Platform/Foundation/TestAccess.h"
#include "Platform/SMC/IOKitTypes.h"
#include "Platform/System/SystemExport.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace SystemPlatform {

// Management information base names of the sysctl entries the stand-in answers by number.
inline constexpr int CTL_KERN = 1;
inline constexpr int CTL_HW = 6;
inline constexpr int HW_MODEL = 2;
inline constexpr int KERN_BOOTTIME = 21;

// The kernel's 16-byte time record: seconds and microseconds since 1970.
struct AERLO_SYSTEM_EXPORT timeval {
    std::int64_t tv_sec = 0;
    std::int32_t tv_usec = 0;
};
static_assert(sizeof(timeval) == 16);

inline constexpr int HOST_BASIC_INFO = 1;

// host_info's basic record: 48 bytes, 12 words.
struct AERLO_SYSTEM_EXPORT host_basic_info {
    std::int32_t max_cpus = 0;
    std::int32_t avail_cpus = 0;
    std::uint32_t memory_size = 0; // bytes, capped at 2 GiB
    std::int32_t cpu_type = 0;
    std::int32_t cpu_subtype = 0;
    std::int32_t cpu_threadtype = 0;
    std::int32_t physical_cpu = 0;
    std::int32_t physical_cpu_max = 0;
    std::int32_t logical_cpu = 0;
    std::int32_t logical_cpu_max = 0;
    std::uint64_t max_mem = 0;
};
static_assert(sizeof(host_basic_info) == 48);
inline constexpr std::uint32_t HOST_BASIC_INFO_COUNT = sizeof(host_basic_info) / sizeof(std::int32_t);

// uname's record with the system's 256-byte fields.
struct AERLO_SYSTEM_EXPORT utsname {
    char sysname[256];
    char nodename[256];
    char release[256];
    char version[256];
    char machine[256];
};

// sysctl, sysctlbyname, host_info and uname of the simulated Mac, answered from the active machine
// profile (never the host, but for the boot time). The sysctl calls return 0, or -1 with errno set:
// ENOENT for a name the machine lacks, ENOMEM (with the buffer filled as far as it goes) for a short
// buffer. A null buffer asks for the size. Thread-safe.
//
// Names answered: "hw.model", "hw.machine", "hw.memsize", "hw.physicalcpu", "hw.logicalcpu",
// "hw.nperflevels", "hw.perflevel0.physicalcpu", "hw.perflevel1.physicalcpu" (Apple silicon),
// "machdep.cpu.brand_string", "kern.boottime", "kern.osproductversion", "kern.osversion".
class AERLO_SYSTEM_EXPORT Kernel {
public:
    static int sysctl(const int* name, unsigned nameLength, void* oldValue, std::size_t* oldLength);
    static int sysctlbyname(const char* name, void* oldValue, std::size_t* oldLength);
    // HOST_BASIC_INFO with a count of at least HOST_BASIC_INFO_COUNT words.
    static IOKit::kern_return_t host_info(int flavor, std::int32_t* info, std::uint32_t* count);
    // 0, or -1 when there is no machine (or the failure switch is on).
    static int uname(utsname* name);

    // Failure switches (tests). `error` 0 clears.
    static void setSysctlFailure(std::string_view name, int error);
    static void setHostInfoFailure(IOKit::kern_return_t code);
    static void setUnameFailure(bool fails);
    // The boot time to report; nothing: the host's.
    static void setBootTime(std::optional<timeval> bootTime);

private:
    friend struct ::TestAccess;
    // Every switch off, the host's boot time.
    static void resetForTesting();
};

} // namespace SystemPlatform
