// The sensor work of one control tick, on simulated machines in this process and through the smcsim
// program over its socket, its reads shared as the application's tick shares them (SMCReadScope):
//   "FNum" → readFans(n) → SensorsReader::read() → a copy of the list → the CPU temperature
//   (the Intel average on x86_64, SMCManager::averageCPUTemperature() on arm64) → refreshFanSpeeds().
// A machine whose "FNum" does not read (a fanless Mac) takes the fallback: read() on a background
// queue (waited for, so that ticks do not pile up) beside the Apple-silicon average.
//
// BuildSensorList: the list build on the largest real table, in this process and through smcsim;
// LoadProfile: reading that profile's file.
//
// ControlTick/applesmc: the same tick over the applesmc transport on the fake driver tree of the real
// Intel tables, against the simulated SMC of the same machine; ControlTick/macsmc: over the
// macsmc-hwmon driver's fake folder of the Apple-silicon tables.
//
// ModelledApplesmcTick: that tick on the largest Intel table with each file read that reaches the SMC
// taking 250 us, as the driver's port protocol does on a real Mac; the time the calling (main) thread
// spends in the tick.
//
// SocketExchange: one SMC exchange (key information, then the bytes, alternately) through the socket
// transport, against a server on a thread of this process and against the smcsim program.
//
// TickAgainstLimit: for every shipped profile, the tick over smcsim against its limit, measured in turns
// against the same smcsim: the tick's own exchanges sent again back to back on a second connection give
// the round trip (a burst's median time over its exchanges), and the limit is the tick's distinct keys
// × that round trip. Medians of ticks and of those bursts. One exchange's median is printed beside it: a sum of exchanges follows
// their mean, which the slow tail of the wake-ups keeps well above the median. A table of all at the
// end. Alone: --benchmark_filter=TickAgainstLimit.
//
//   bench_sensors [--ticks=N] [--profile=name] [--transport=inproc|socket|applesmc|both] [--limit-turns=N] [benchmark flags]
// ("both" runs them all; "applesmc" runs the two driver transports, applesmc and macsmc-hwmon.)
//
// Counters: p50/p99/max of one tick (ms), SMC exchanges, key-information exchanges and distinct keys per
// tick (exchanges must equal the distinct keys once the keys' information is known), list copies per
// tick, resident memory (MiB) and threads before and after the ticks.

#include "Classes/Sensors/SMC.h"
#include "Classes/Sensors/SMCKeyData.h"
#include "Classes/Sensors/SMCManager.h"
#include "Classes/Sensors/SMCReadScope.h"
#include "Classes/Sensors/SensorsReader.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/ManualClock.h"
#include "Platform/SMC/ApplesmcTransport.h"
#include "Platform/SMC/MachineProfile.h"
#include "Platform/SMC/SMCEndpoint.h"
#include "Platform/SMC/SimSmcDevice.h"
#include "Platform/SMC/SimSmcTransport.h"
#include "Platform/SMC/SocketSmcTransport.h"
#include "Tools/smcsim/SimulatedMachine.h"
#include "Tools/smcsim/SmcsimServer.h"
#include "tests/Sensors/ProcessCounters.h"
#include "tests/Support/SMC/FakeApplesmcTree.h"
#include "tests/Support/SMC/FakeMacsmcHwmonTree.h"
#include "tests/Support/TestAccess.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <map>
#include <mutex>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace Aerlo;

namespace {

int ticks = 10000;
std::string transports = "both";
// The 2019 Mac Pro: 1,190 keys, four fans.
const std::string largestRealTable = "macpro-intel-4fan";
std::vector<std::string> profiles{largestRealTable, "mbp-intel-2fan", "mbp-m3max-2fan", "mbp-m4pro-2fan", "mba-m1-nofan"};
// TickAgainstLimit: every shipped profile unless one is named; turns of 200 exchanges and 10 ticks each.
std::vector<std::string> limitProfiles;
int limitTurns = 30;
// What one SMC read costs through the applesmc driver's port protocol on a real Mac.
constexpr auto modelledSMCRead = std::chrono::microseconds(250);

// Counts the exchanges that reach the transport behind the client, by command, and the time spent in
// them; keeps their requests while recording.
class CountingTransport : public IOKit::SMCTransport {
public:
    explicit CountingTransport(std::shared_ptr<IOKit::SMCTransport> inner) : inner_(std::move(inner)) {}

    IOKit::kern_return_t open(std::uint32_t type, std::uint32_t& connection) override
    {
        return inner_->open(type, connection);
    }
    IOKit::kern_return_t call(std::uint32_t connection, std::uint32_t selector, const IOKit::SMCRecord& input,
                              IOKit::SMCRecord& output) override
    {
        const auto command = SMCKeyData::parse(input).command;
        {
            std::lock_guard lock(mutex_);
            ++counts_[command];
            ++total_;
            if (recording_)
                recorded_.push_back(input);
        }
        const auto start = std::chrono::steady_clock::now();
        const auto code = inner_->call(connection, selector, input, output);
        const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
        std::lock_guard lock(mutex_);
        exchangeMilliseconds_ += spent.count();
        return code;
    }
    IOKit::kern_return_t close(std::uint32_t connection) override { return inner_->close(connection); }

    void reset()
    {
        std::lock_guard lock(mutex_);
        counts_.clear();
        total_ = 0;
    }
    void record(bool on)
    {
        std::lock_guard lock(mutex_);
        recording_ = on;
        if (on)
            recorded_.clear();
    }
    std::vector<IOKit::SMCRecord> recorded() const
    {
        std::lock_guard lock(mutex_);
        return recorded_;
    }
    // The keys the recorded exchanges read (commands 5 and 9).
    std::size_t recordedKeys() const
    {
        std::lock_guard lock(mutex_);
        std::set<std::uint32_t> keys;
        for (const auto& input : recorded_) {
            const auto request = SMCKeyData::parse(input);
            if (request.command == SMCSim::SimSmcDevice::kCommandReadBytes ||
                request.command == SMCSim::SimSmcDevice::kCommandKeyInfo)
                keys.insert(request.key);
        }
        return keys.size();
    }
    double exchangeMilliseconds() const
    {
        std::lock_guard lock(mutex_);
        return exchangeMilliseconds_;
    }
    std::size_t count() const
    {
        std::lock_guard lock(mutex_);
        return total_;
    }
    std::size_t count(std::uint8_t command) const
    {
        std::lock_guard lock(mutex_);
        const auto found = counts_.find(command);
        return found == counts_.end() ? 0 : found->second;
    }

private:
    std::shared_ptr<IOKit::SMCTransport> inner_;
    mutable std::mutex mutex_;
    std::map<std::uint8_t, std::size_t> counts_;
    std::size_t total_ = 0;
    bool recording_ = false;
    std::vector<IOKit::SMCRecord> recorded_;
    double exchangeMilliseconds_ = 0;
};

// The applesmc driver's files with each read that reaches the SMC taking modelledSMCRead (the key
// count and the device name are the driver's own). Waits by spinning: a sleep overshoots by tens of
// microseconds.
class ModelledDriverFiles : public IOKit::ApplesmcFiles {
public:
    explicit ModelledDriverFiles(std::shared_ptr<IOKit::ApplesmcFiles> inner) : inner_(std::move(inner)) {}

    Contents read(std::string_view name) override
    {
        if (name != "key_count" && name != "name") {
            const auto until = std::chrono::steady_clock::now() + modelledSMCRead;
            while (std::chrono::steady_clock::now() < until) {
            }
            ++reads_;
        }
        return inner_->read(name);
    }
    int write(std::string_view name, std::string_view text) override { return inner_->write(name, text); }
    std::size_t reads() const { return reads_.load(); }

private:
    std::shared_ptr<IOKit::ApplesmcFiles> inner_;
    std::atomic<std::size_t> reads_ {0};
};

// The smcsim program serving a profile on a socket of its own, stopped at the end.
class SmcsimProcess {
public:
    explicit SmcsimProcess(const std::string& profile)
        : socket_(std::filesystem::temp_directory_path() / ("bench-smcsim-" + std::to_string(getpid()) + ".sock"))
    {
        std::vector<std::string> arguments{AERLO_SMCSIM_PATH, "--profile", profile, "--socket", socket_.string(),
                                           "--manual-clock"};
        std::vector<char*> argv;
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
            return;
        }
        for (int i = 0; i < 500 && !std::filesystem::exists(socket_); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~SmcsimProcess()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
    }
    bool ready() const { return pid_ > 0 && std::filesystem::exists(socket_); }
    const std::filesystem::path& socket() const { return socket_; }

private:
    std::filesystem::path socket_;
    pid_t pid_ = -1;
};

// One machine: its SMC as SMC::shared() behind a counting transport, a fresh manager and reader.
struct Machine {
    Foundation::ManualClock clock;
    std::unique_ptr<SmcsimProcess> smcsim;
    std::shared_ptr<CountingTransport> transport;
    std::shared_ptr<SMCSim::FakeApplesmcTree> tree; // the applesmc runs' driver files
    std::shared_ptr<ModelledDriverFiles> modelled;   // with a real driver's time per SMC read
    std::shared_ptr<SensorsReader> reader;
    bool intel = false;
    std::optional<Platform> platform;

    enum class Driver { none, applesmc, macsmc };

    Machine(const std::string& name, bool socket, Driver driver = Driver::none, bool model = false)
    {
        const auto profile = SMCSim::MachineProfile::load(name);
        if (!profile)
            return;
        std::shared_ptr<IOKit::SMCTransport> inner;
        if (socket) {
            smcsim = std::make_unique<SmcsimProcess>(name);
            if (!smcsim->ready())
                return;
            inner = std::make_shared<IOKit::SocketSmcTransport>(smcsim->socket(), false);
        } else if (driver == Driver::macsmc) {
            inner = std::make_shared<IOKit::ApplesmcTransport>(std::make_shared<SMCSim::FakeMacsmcHwmonTree>(*profile),
                                                               false, IOKit::ApplesmcTransport::Driver::macsmcHwmon);
        } else if (driver == Driver::applesmc) {
            tree = std::make_shared<SMCSim::FakeApplesmcTree>(*profile);
            std::shared_ptr<IOKit::ApplesmcFiles> files = tree;
            if (model)
                files = modelled = std::make_shared<ModelledDriverFiles>(tree);
            inner = std::make_shared<IOKit::ApplesmcTransport>(files, false);
        } else {
            inner = std::make_shared<SMCSim::SimSmcTransport>(std::make_shared<SMCSim::SimSmcDevice>(*profile, clock),
                                                             false);
        }
        transport = std::make_shared<CountingTransport>(std::move(inner));
        TestAccess::resetForTesting<SMC>(IOKit::ServiceRegistry::withSMC(transport));
        TestAccess::resetForTesting<SMCManager>();
        intel = profile->facts.architecture == "x86_64";
        platform = profile->platform ? platformFromRawValue(*profile->platform) : std::nullopt;
        reader = std::make_shared<SensorsReader>(platform);
        TestAccess::resetForTesting<SensorsReader>(reader);
    }
    ~Machine()
    {
        TestAccess::resetForTesting<SensorsReader>();
        TestAccess::resetForTesting<SMCManager>();
        TestAccess::resetForTesting<SMC>();
    }
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2), values.end());
    return values[values.size() / 2];
}

float tick(Machine& machine)
{
    SMC& smc = SMC::shared();
    const SMCReadScope reads(smc);
    SMCManager& manager = SMCManager::shared();
    SensorsReader& reader = *SensorsReader::shared();
    float cpuTemperature = 0;
    if (const auto count = SMCManager::fanCountFromValue(smc.getValue("FNum"))) {
        benchmark::DoNotOptimize(manager.readFans(*count));
        reader.read();
        auto copy = reader.list->sensors();
        benchmark::DoNotOptimize(copy);
        cpuTemperature = machine.intel ? static_cast<float>(intelCPUAverageTemperature.load())
                                       : manager.averageCPUTemperature().mean;
        manager.refreshFanSpeeds();
    } else {
        Foundation::Console::print("FNum not found");
        std::promise<void> done;
        Foundation::DispatchQueue::global().async([&] {
            reader.read();
            done.set_value();
        });
        auto copy = reader.list->sensors();
        benchmark::DoNotOptimize(copy);
        cpuTemperature = manager.averageCPUTemperature().mean;
        done.get_future().wait();
    }
    return cpuTemperature;
}

void controlTick(benchmark::State& state, const std::string& profile, bool socket,
                 Machine::Driver driver = Machine::Driver::none)
{
    Machine machine(profile, socket, driver);
    if (!machine.reader) {
        state.SkipWithError(socket ? "smcsim did not start" : "profile did not load");
        return;
    }
    // Warm up until an in-process device's exchange log (a bounded ring) is full, so that what follows
    // shows only the application's own memory.
    machine.transport->reset();
    tick(machine);
    const std::size_t perTick = std::max<std::size_t>(1, machine.transport->count());
    for (std::size_t i = 0; i < SMCSim::SimSmcDevice::logCapacity / perTick + 100; ++i)
        tick(machine);
    const double memoryBefore = residentMiB();
    const int threadsBefore = threadCount();
    machine.transport->reset();
    const auto copiesBefore = machine.reader->list->copiesMade();
    const std::size_t filesBefore = machine.tree ? machine.tree->operations() : 0;

    std::vector<double> durations;
    durations.reserve(static_cast<std::size_t>(ticks));
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(tick(machine));
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        durations.push_back(elapsed.count() * 1000);
    }

    const double n = static_cast<double>(durations.size());
    std::sort(durations.begin(), durations.end());
    auto percentile = [&](double p) {
        return durations[std::min(durations.size() - 1, static_cast<std::size_t>(p * n))];
    };
    const double exchanges = static_cast<double>(machine.transport->count());
    const double keyInfo = static_cast<double>(machine.transport->count(SMCSim::SimSmcDevice::kCommandKeyInfo));
    const double driverFiles = machine.tree ? static_cast<double>(machine.tree->operations() - filesBefore) : 0;
    const double memoryAfter = residentMiB();
    const int threadsAfter = threadCount();
    machine.transport->record(true);
    tick(machine);
    machine.transport->record(false);
    state.counters["p50_ms"] = percentile(0.50);
    state.counters["p99_ms"] = percentile(0.99);
    state.counters["max_ms"] = durations.back();
    state.counters["readings"] = static_cast<double>(machine.reader->list->sensors().size());
    state.counters["exchanges/tick"] = exchanges / n;
    state.counters["keyInfo/tick"] = keyInfo / n;
    state.counters["distinctKeys/tick"] = static_cast<double>(machine.transport->recordedKeys());
    state.counters["listCopies/tick"] =
        static_cast<double>(machine.reader->list->copiesMade() - copiesBefore - 1) / n;
    if (machine.tree) // each a system call or two on a real machine
        state.counters["driverFiles/tick"] = driverFiles / n;
    state.counters["rssBefore_MiB"] = memoryBefore;
    state.counters["rssAfter_MiB"] = memoryAfter;
    state.counters["threadsBefore"] = threadsBefore;
    state.counters["threadsAfter"] = threadsAfter;
}

// The tick on the largest Intel table over the applesmc driver files at a real driver's pace.
struct ModelledRow {
    std::string profile;
    double smcReadsPerTick = 0;
    double exchangesPerTick = 0;
    double tickMilliseconds = 0;
};
std::vector<ModelledRow> modelledRows;

void modelledApplesmcTick(benchmark::State& state, const std::string& profile)
{
    Machine machine(profile, false, Machine::Driver::applesmc, true);
    if (!machine.reader) {
        state.SkipWithError("profile did not load");
        return;
    }
    for (int i = 0; i < 3; ++i)
        tick(machine);
    machine.transport->reset();
    const std::size_t readsBefore = machine.modelled->reads();
    std::vector<double> durations;
    for (auto _ : state) {
        // This thread plays the main thread: the whole tick runs on it.
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(tick(machine));
        durations.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    const double n = static_cast<double>(durations.size());
    ModelledRow row{profile, static_cast<double>(machine.modelled->reads() - readsBefore) / n,
                    static_cast<double>(machine.transport->count()) / n, median(durations)};
    state.counters["smcReads/tick"] = row.smcReadsPerTick;
    state.counters["exchanges/tick"] = row.exchangesPerTick;
    state.counters["mainThreadInTick_ms"] = row.tickMilliseconds;
    modelledRows.push_back(std::move(row));
}

// Exchanges through the socket transport, one at a time: alternately command 9 and command 5 on
// "TC0P", as a key read does.
class ExchangeProbe {
public:
    explicit ExchangeProbe(const std::filesystem::path& socket) : transport_(socket, false)
    {
        open_ = transport_.open(0, connection_) == IOKit::kIOReturnSuccess;
        SMCKeyData request;
        request.key = 'T' << 24 | 'C' << 16 | '0' << 8 | 'P';
        request.command = static_cast<std::uint8_t>(SMCCommand::readKeyInfo);
        input_[0] = request.serialise();
        request.command = static_cast<std::uint8_t>(SMCCommand::readBytes);
        request.dataSize = 4;
        input_[1] = request.serialise();
    }
    ~ExchangeProbe()
    {
        if (open_)
            transport_.close(connection_);
    }
    bool isOpen() const { return open_; }
    // The requests one after another, in milliseconds.
    double burst(const std::vector<IOKit::SMCRecord>& inputs)
    {
        const auto start = std::chrono::steady_clock::now();
        for (const auto& input : inputs)
            benchmark::DoNotOptimize(transport_.call(connection_, IOKit::kSMCUserClientSelector, input, output_));
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    // One exchange, in microseconds.
    double once()
    {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(transport_.call(connection_, IOKit::kSMCUserClientSelector, input_[i_++ & 1], output_));
        return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    }

private:
    IOKit::SocketSmcTransport transport_;
    std::uint32_t connection_ = 0;
    bool open_ = false;
    IOKit::SMCRecord input_[2]{};
    IOKit::SMCRecord output_{};
    std::size_t i_ = 0;
};

void socketExchange(benchmark::State& state, const std::string& profileName, bool program)
{
    auto profile = SMCSim::MachineProfile::load(profileName);
    if (!profile) {
        state.SkipWithError("profile did not load");
        return;
    }
    std::unique_ptr<SmcsimProcess> process;
    std::unique_ptr<SmcsimServer> server;
    std::thread serving;
    std::filesystem::path socket;
    if (program) {
        process = std::make_unique<SmcsimProcess>(profileName);
        if (!process->ready()) {
            state.SkipWithError("smcsim did not start");
            return;
        }
        socket = process->socket();
    } else {
        socket = std::filesystem::temp_directory_path() / ("bench-server-" + std::to_string(getpid()) + ".sock");
        server = std::make_unique<SmcsimServer>(std::make_shared<SimulatedMachine>(std::move(*profile), true),
                                                SmcsimServer::Options{socket, getuid()});
        if (!server->start()) {
            state.SkipWithError("server did not start");
            return;
        }
        serving = std::thread([&] { server->run(); });
    }
    {
        ExchangeProbe probe(socket);
        if (!probe.isOpen()) {
            state.SkipWithError("open failed");
        } else {
            std::vector<double> durations;
            for (auto _ : state) {
                const double elapsed = probe.once();
                state.SetIterationTime(elapsed / 1e6);
                durations.push_back(elapsed);
            }
            std::sort(durations.begin(), durations.end());
            if (!durations.empty()) {
                state.counters["p50_us"] = durations[durations.size() / 2];
                state.counters["p99_us"] = durations[durations.size() * 99 / 100];
            }
        }
    }
    if (server) {
        server->stop();
        serving.join();
    }
}

// A profile's tick over smcsim against its limit, the tick's exchanges times one exchange's round trip,
// both measured in turns in the same run against the same smcsim.
struct LimitRow {
    std::string profile;
    double exchangesPerTick = 0;
    double distinctKeys = 0;
    double roundTripMicroseconds = 0;
    double tickMilliseconds = 0;
    double medianExchangeMicroseconds = 0;
    double limitMilliseconds() const { return distinctKeys * roundTripMicroseconds / 1000; }
};
std::vector<LimitRow> limitRows;

void tickAgainstLimit(benchmark::State& state, const std::string& profile)
{
    Machine machine(profile, true);
    if (!machine.reader) {
        state.SkipWithError("smcsim did not start");
        return;
    }
    ExchangeProbe probe(machine.smcsim->socket());
    if (!probe.isOpen()) {
        state.SkipWithError("open failed");
        return;
    }
    for (int i = 0; i < 20; ++i)
        tick(machine);
    machine.transport->record(true);
    tick(machine);
    machine.transport->record(false);
    const auto requests = machine.transport->recorded();
    if (requests.empty()) {
        state.SkipWithError("the tick made no exchange");
        return;
    }
    machine.transport->reset();
    std::vector<double> exchanges;
    std::vector<double> bursts;
    std::vector<double> ticks;
    std::vector<double> outside; // the tick's own work: its time less the time in its exchanges
    constexpr int exchangesPerTurn = 200;
    constexpr int ticksPerTurn = 10;
    for (auto _ : state) {
        for (int i = 0; i < exchangesPerTurn; ++i)
            exchanges.push_back(probe.once());
        for (int i = 0; i < ticksPerTurn; ++i) {
            bursts.push_back(probe.burst(requests));
            const double waited = machine.transport->exchangeMilliseconds();
            const auto start = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(tick(machine));
            ticks.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            outside.push_back(ticks.back() - (machine.transport->exchangeMilliseconds() - waited));
        }
    }
    LimitRow row{profile,
                 static_cast<double>(machine.transport->count()) / static_cast<double>(ticks.size()),
                 static_cast<double>(machine.transport->recordedKeys()),
                 1000 * median(bursts) / static_cast<double>(requests.size()),
                 median(ticks),
                 median(exchanges)};
    const double limit = row.limitMilliseconds();
    state.counters["exchanges/tick"] = row.exchangesPerTick;
    state.counters["distinctKeys/tick"] = row.distinctKeys;
    state.counters["roundTrip_us"] = row.roundTripMicroseconds;
    state.counters["oneExchangeP50_us"] = row.medianExchangeMicroseconds;
    state.counters["limit_ms"] = limit;
    state.counters["tick_ms"] = row.tickMilliseconds;
    state.counters["ownWork_ms"] = median(outside);
    state.counters["tick/limit"] = limit > 0 ? row.tickMilliseconds / limit : 0;
    limitRows.push_back(std::move(row));
}

void printLimits()
{
    if (!limitRows.empty())
        std::printf("\n%-20s %10s %10s %14s %14s %10s %10s %10s\n", "profile", "exchanges", "keys",
                    "round trip us", "one p50 us", "limit ms", "tick ms", "tick/limit");
    for (const auto& row : limitRows) {
        const double limit = row.limitMilliseconds();
        std::printf("%-20s %10.1f %10.0f %14.1f %14.1f %10.3f %10.3f %9.2fx\n", row.profile.c_str(),
                    row.exchangesPerTick, row.distinctKeys, row.roundTripMicroseconds, row.medianExchangeMicroseconds,
                    limit, row.tickMilliseconds, limit > 0 ? row.tickMilliseconds / limit : 0);
    }
    for (const auto& row : modelledRows)
        std::printf("\napplesmc at %lld us per SMC read, %s: %.1f SMC reads and %.1f exchanges per tick; "
                    "the main thread spends %.3f ms in the tick\n",
                    static_cast<long long>(modelledSMCRead.count()), row.profile.c_str(), row.smcReadsPerTick,
                    row.exchangesPerTick, row.tickMilliseconds);
}

// The one-time build on the largest real table (the 2019 Mac Pro's 1,190 keys: enumeration is one
// exchange per index), in this process and through smcsim.
void buildSensorList(benchmark::State& state, const std::string& profile, bool socket)
{
    Machine machine(profile, socket);
    if (!machine.reader) {
        state.SkipWithError(socket ? "smcsim did not start" : "profile did not load");
        return;
    }
    std::size_t readings = 0;
    machine.transport->reset();
    std::size_t builds = 0;
    for (auto _ : state) {
        SensorsReader reader(machine.platform);
        readings = reader.list->sensors().size();
        ++builds;
    }
    const double perBuild = 1.0 / static_cast<double>(std::max<std::size_t>(builds, 1));
    state.counters["exchanges/build"] = static_cast<double>(machine.transport->count()) * perBuild;
    state.counters["enumerationExchanges/build"] =
        static_cast<double>(machine.transport->count(SMCSim::SimSmcDevice::kCommandKeyAtIndex)) * perBuild;
    state.counters["keys"] = static_cast<double>(SMC::shared().getAllKeys().size());
    state.counters["readings"] = static_cast<double>(readings);
}

// Opening the applesmc transport on the largest real table's fake tree: the name-to-index map (name,
// type and length of every key), once per process.
void openApplesmc(benchmark::State& state, const std::string& profileName)
{
    const auto profile = SMCSim::MachineProfile::load(profileName);
    if (!profile) {
        state.SkipWithError("profile did not load");
        return;
    }
    double files = 0;
    for (auto _ : state) {
        auto tree = std::make_shared<SMCSim::FakeApplesmcTree>(*profile);
        IOKit::ApplesmcTransport transport(tree, false);
        std::uint32_t connection = 0;
        benchmark::DoNotOptimize(transport.open(0, connection));
        files = static_cast<double>(tree->operations());
    }
    state.counters["driverFiles/open"] = files;
}

// Loading a profile from its file (parse, keys, fans) before the simulator can serve it.
void loadProfile(benchmark::State& state, const std::string& profile)
{
    std::size_t keys = 0;
    for (auto _ : state) {
        const auto loaded = SMCSim::MachineProfile::load(profile);
        if (!loaded) {
            state.SkipWithError("profile did not load");
            return;
        }
        keys = loaded->keys.size();
    }
    state.counters["keys"] = static_cast<double>(keys);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("--ticks=", 0) == 0)
            ticks = std::max(1, std::atoi(argument.c_str() + 8));
        else if (argument.rfind("--profile=", 0) == 0)
            profiles = limitProfiles = {argument.substr(10)};
        else if (argument.rfind("--limit-turns=", 0) == 0)
            limitTurns = std::max(1, std::atoi(argument.c_str() + 14));
        else if (argument.rfind("--transport=", 0) == 0)
            transports = argument.substr(12);
        else
            rest.push_back(argv[i]);
    }
    int restCount = static_cast<int>(rest.size());
    // Lines the SMC client and the tick print would swamp the report.
    Foundation::Console::setSink([](Foundation::Console::Stream, std::string_view) {});

    for (const bool socket : {false, true}) {
        if (transports != "both" && transports != (socket ? "socket" : "inproc"))
            continue;
        for (const auto& profile : profiles)
            benchmark::RegisterBenchmark(
                ("ControlTick/" + std::string(socket ? "smcsim" : "inproc") + "/" + profile).c_str(), controlTick,
                profile, socket, Machine::Driver::none)
                ->Iterations(ticks)
                ->UseManualTime()
                ->Unit(benchmark::kMicrosecond);
    }
    if (transports == "both" || transports == "applesmc")
        for (const auto& profile : profiles) {
            const auto loaded = SMCSim::MachineProfile::load(profile);
            if (loaded && loaded->facts.architecture == "x86_64")
                benchmark::RegisterBenchmark(("ControlTick/applesmc/" + profile).c_str(), controlTick, profile, false,
                                             Machine::Driver::applesmc)
                    ->Iterations(ticks)
                    ->UseManualTime()
                    ->Unit(benchmark::kMicrosecond);
            else if (loaded)
                benchmark::RegisterBenchmark(("ControlTick/macsmc/" + profile).c_str(), controlTick, profile, false,
                                             Machine::Driver::macsmc)
                    ->Iterations(ticks)
                    ->UseManualTime()
                    ->Unit(benchmark::kMicrosecond);
        }
    for (const bool program : {false, true})
        benchmark::RegisterBenchmark(
            ("SocketExchange/" + std::string(program ? "smcsim" : "server") + "/" + profiles.front()).c_str(),
            socketExchange, profiles.front(), program)
            ->Iterations(100000)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    for (const bool socket : {false, true}) {
        if (transports != "both" && transports != (socket ? "socket" : "inproc"))
            continue;
        benchmark::RegisterBenchmark(
            ("BuildSensorList/" + std::string(socket ? "smcsim" : "inproc") + "/" + largestRealTable).c_str(),
            buildSensorList, largestRealTable, socket)
            ->Unit(benchmark::kMillisecond);
    }
    if (transports == "both" || transports == "applesmc")
        benchmark::RegisterBenchmark(("ModelledApplesmcTick/" + largestRealTable).c_str(), modelledApplesmcTick,
                                     largestRealTable)
            ->Iterations(50)
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("OpenApplesmc/" + largestRealTable).c_str(), openApplesmc, largestRealTable)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("LoadProfile/" + largestRealTable).c_str(), loadProfile, largestRealTable)
        ->Unit(benchmark::kMillisecond);
    for (const auto& profile : limitProfiles.empty() ? SMCSim::MachineProfile::availableNames() : limitProfiles)
        benchmark::RegisterBenchmark(("TickAgainstLimit/" + profile).c_str(), tickAgainstLimit, profile)
            ->Iterations(limitTurns)
            ->Unit(benchmark::kMillisecond);

    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    printLimits();
    benchmark::Shutdown();
    return 0;
}
