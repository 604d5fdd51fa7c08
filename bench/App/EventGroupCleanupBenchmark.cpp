// The analytics start-up's event-group clean-up: registering the one group while the store holds N groups
// of no registration (each with one day), which are all removed. It must stay under 0.5 s for 2,000 stale
// groups and grow linearly. Counter: time per 1,000 stale groups.
//
//   bench_app [benchmark flags]

#include "Classes/App/AnalyticsArchive.h"
#include "Classes/App/CalendarDay.h"
#include "Classes/App/QVAppCenter.h"
#include "Platform/Foundation/Console.h"
#include "tests/Support/TempRoot.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

using namespace Aerlo;

namespace {

std::vector<AppEventGroupModel> staleGroups(int count)
{
    const CalendarDay today = CalendarDay::today();
    std::vector<AppEventGroupModel> groups;
    for (int i = 0; i < count; ++i) {
        AppEventGroupModel group("StaleGroup" + std::to_string(i), 1, {});
        group.dataList.emplace_back(today.text(), std::vector<AppEventGroupEventModel> {{"event", 0}});
        groups.push_back(std::move(group));
    }
    return groups;
}

void RegisterWithStaleGroups(benchmark::State& state)
{
    static TempRoot root;
    const int count = static_cast<int>(state.range(0));
    const std::vector<AppEventGroupModel> stale = staleGroups(count);
    const std::vector<AppCenterEventGroupRegisterModel> registrations {
        AppCenterEventGroupRegisterModel("AppCenterGroupStartControlFans", {"开始控制风扇"}, 1)};
    // One printed line per removed group: not what is measured.
    const auto previous = Foundation::Console::setSink([](Foundation::Console::Stream, std::string_view) {});
    for (auto _ : state) {
        state.PauseTiming();
        if (!AnalyticsArchive::saveEventGroups(stale)) {
            state.SkipWithError("the stale groups cannot be stored");
            break;
        }
        state.ResumeTiming();
        QVAppCenter::registerEventGroups(registrations);
    }
    Foundation::Console::setSink(previous);
    state.counters["per1000Groups"] =
        benchmark::Counter(count / 1000.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(RegisterWithStaleGroups)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
