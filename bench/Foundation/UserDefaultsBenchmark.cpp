// The settings store: what one read of a setting costs, and how loading a suite file grows with its size.
//
//   ReadSetting/present: a typed read of the standard suite once it is loaded (the settings of a tick's
//                readings); ReadSetting/absent: the same for a key it lacks, also looked up in the global domain.
//                Counter: file calls per read (stat, open, read, fstat, inotify_add_watch made by the
//                reading thread), which must be 0.
//   LoadSuite/N: the first read of a suite whose file holds N keys. Counter: time per 10,000 keys.
//
//   bench_foundation [benchmark flags]

#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/PropertyListValue.h"
#include "Platform/Foundation/UserDefaults.h"
#include "tests/Support/TestAccess.h"

#include <benchmark/benchmark.h>
#include <cstdarg>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using Foundation::PropertyListValue;
using Foundation::UserDefaults;

namespace {

// Calls made by the calling thread (the watcher's own thread does not count).
thread_local long fileCalls = 0;

template <class F>
F next(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// A temporary root for the benchmark's suites, removed at exit.
struct BenchRoot {
    std::filesystem::path path;
    BenchRoot()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "aerlo-bench-XXXXXX").string();
        path = mkdtemp(pattern.data());
        Foundation::Paths::setRoot(path);
    }
    ~BenchRoot()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

BenchRoot& benchRoot()
{
    static BenchRoot root;
    return root;
}

void writeSuite(std::string_view suite, int keys)
{
    PropertyListValue::Dictionary values;
    for (int i = 0; i < keys; ++i)
        values.emplace("sensor." + std::to_string(i) + ".state", i % 3 == 0);
    const auto file = Foundation::Paths::preferences() / (std::string(suite) + ".plist");
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << PropertyListValue(values).toJSONText();
}

// `key` is present in the standard suite, or absent from it (and then looked up in the global domain).
void ReadSetting(benchmark::State& state, const char* key)
{
    benchRoot();
    TestAccess::resetForTesting<UserDefaults>();
    writeSuite(UserDefaults::standardSuiteName(), 200);
    writeSuite(".GlobalPreferences", 20);
    UserDefaults& defaults = UserDefaults::standard();
    bool sum = defaults.boolValue(key); // loads the domains
    const long before = fileCalls;
    for (auto _ : state) {
        sum ^= defaults.boolValue(key);
        benchmark::DoNotOptimize(sum);
    }
    state.counters["fileCallsPerRead"] =
        benchmark::Counter(static_cast<double>(fileCalls - before) / static_cast<double>(state.iterations()));
}
BENCHMARK_CAPTURE(ReadSetting, present, "sensor.3.state");
BENCHMARK_CAPTURE(ReadSetting, absent, "absent");

void LoadSuite(benchmark::State& state)
{
    benchRoot();
    const int keys = static_cast<int>(state.range(0));
    const std::string suite = "com.norvane.AerloOffline.bench" + std::to_string(keys);
    writeSuite(suite, keys);
    UserDefaults& defaults = *UserDefaults::suite(suite);
    for (auto _ : state) {
        state.PauseTiming();
        TestAccess::resetForTesting<UserDefaults>();
        state.ResumeTiming();
        benchmark::DoNotOptimize(defaults.boolValue("sensor.0.state"));
    }
    state.counters["per10kKeys"] =
        benchmark::Counter(keys / 10000.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(LoadSuite)->Arg(10000)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond);

} // namespace

// The file calls a read could make, counted and passed on.
extern "C" {

int stat(const char* path, struct stat* info)
{
    ++fileCalls;
    static auto real = next<int (*)(const char*, struct stat*)>("stat");
    return real(path, info);
}

int fstat(int fd, struct stat* info)
{
    ++fileCalls;
    static auto real = next<int (*)(int, struct stat*)>("fstat");
    return real(fd, info);
}

int open(const char* path, int flags, ...)
{
    ++fileCalls;
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list arguments;
        va_start(arguments, flags);
        mode = static_cast<mode_t>(va_arg(arguments, int));
        va_end(arguments);
    }
    static auto real = next<int (*)(const char*, int, ...)>("open");
    return real(path, flags, mode);
}

ssize_t read(int fd, void* buffer, size_t size)
{
    ++fileCalls;
    static auto real = next<ssize_t (*)(int, void*, size_t)>("read");
    return real(fd, buffer, size);
}

int inotify_add_watch(int fd, const char* path, uint32_t mask)
{
    ++fileCalls;
    static auto real = next<int (*)(int, const char*, uint32_t)>("inotify_add_watch");
    return real(fd, path, mask);
}

} // extern "C"

BENCHMARK_MAIN();
