#include "Platform/System/ActiveMachine.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/SMC/SMCEndpoint.h"
#include "Platform/System/HostMachine.h"

#include <cstdlib>
#include <mutex>
#include <optional>
#include <string_view>

namespace SystemPlatform {

namespace {

struct State {
    std::mutex mutex;
    bool loaded = false;
    std::shared_ptr<const SMCSim::MachineProfile> profile;
};

State& state()
{
    static Foundation::SharedInstance<State> state;
    return state.get();
}

std::string specFromEnvironment()
{
    if (const char* name = std::getenv("AERLO_MACHINE"); name && *name)
        return name;
    return std::string(SMCSim::MachineProfile::defaultName);
}

// The SMC is one of a real Mac's drivers.
bool isRealDriver(std::string_view spec) { return spec == "applesmc" || spec == "macsmc"; }

} // namespace

std::shared_ptr<const SMCSim::MachineProfile> ActiveMachine::profile()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.loaded) {
        s.loaded = true;
        const char* named = std::getenv("AERLO_MACHINE");
        if ((!named || !*named) && isRealDriver(IOKit::SMCEndpoint::specFromEnvironment()))
            s.profile = std::make_shared<const SMCSim::MachineProfile>(HostMachine::profile());
        else if (auto loaded = SMCSim::MachineProfile::load(specFromEnvironment()))
            s.profile = std::make_shared<const SMCSim::MachineProfile>(std::move(*loaded));
    }
    return s.profile;
}

std::string ActiveMachine::spec() { return specFromEnvironment(); }

void ActiveMachine::select(std::string_view spec)
{
    if (spec.empty())
        ::unsetenv("AERLO_MACHINE");
    else
        ::setenv("AERLO_MACHINE", std::string(spec).c_str(), 1);
    reset();
}

void ActiveMachine::set(std::shared_ptr<const SMCSim::MachineProfile> profile)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.loaded = true;
    s.profile = std::move(profile);
}

void ActiveMachine::reset()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.loaded = false;
    s.profile.reset();
}

} // namespace SystemPlatform
