#include "QVToolsKit/OnceValue.h"

#include "Platform/Foundation/SharedInstance.h"

#include <mutex>
#include <vector>

namespace QVToolsKit {

namespace {

struct Registry {
    std::mutex mutex;
    std::vector<std::function<void()>> resets;
};

Registry& registry()
{
    static Foundation::SharedInstance<Registry> registry;
    return registry.get();
}

} // namespace

void OnceValue::registerReset(std::function<void()> reset)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.resets.push_back(std::move(reset));
}

void OnceValue::resetForTesting()
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    for (const auto& reset : r.resets)
        reset();
}

} // namespace QVToolsKit
