#pragma once

#include "Platform/Foundation/ManualClock.h"
#include "Platform/Foundation/Result.h"
#include "Platform/SMC/MachineProfile.h"
#include "Platform/SMC/SimSmcDevice.h"
#include "Platform/SMC/ThermalModel.h"

#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace Aerlo {

// One simulated Mac as smcsim serves it: the profile's device driven by the thermal model, on the
// real clock or on a manual one, and the control operations tools and tests use.
//
// Control requests are JSON objects with a "command":
//   {"command":"load","value":0.8}                  load 0…1
//   {"command":"advance","seconds":5}               moves a manual clock (0…86400 s)
//   {"command":"fault","name":"read-error","on":true}
//   {"command":"power","source":"battery"}          on battery ("ac": on power)
//   {"command":"snapshot"}
//   {"command":"stop"}
// Replies: {"ok":true}, {"ok":true,"snapshot":{…}} or {"ok":false,"error":"…"}.
class SimulatedMachine {
public:
    struct ControlReply {
        std::string text; // the JSON reply
        bool stop = false;
    };

    SimulatedMachine(SMCSim::MachineProfile profile, bool manualClock);
    SimulatedMachine(const SimulatedMachine&) = delete;
    SimulatedMachine& operator=(const SimulatedMachine&) = delete;

    const SMCSim::MachineProfile& profile() const { return profile_; }
    const std::shared_ptr<SMCSim::SimSmcDevice>& device() const { return device_; }
    const std::shared_ptr<SMCSim::ThermalModel>& model() const { return model_; }
    bool manualClock() const { return manual_ != nullptr; }

    ControlReply control(std::string_view request);

    Foundation::Result<void> setLoad(double load);
    Foundation::Result<void> advance(double seconds);
    // Switches a fault by name (faultNames(); the rule faults take ":KEY", "index-error" takes ":INDEX").
    Foundation::Result<void> setFault(std::string_view name, bool on);
    std::vector<std::string> activeFaults() const;
    // Fans (actual, target, mode, forced, min, max), temperatures, power, power source, currents, load,
    // clock and faults.
    nlohmann::ordered_json snapshot();

    static const std::vector<std::string>& faultNames();
    static constexpr double maxAdvance = 86400;

private:
    void rebuildRules();

    SMCSim::MachineProfile profile_;
    std::unique_ptr<Foundation::ManualClock> manual_;
    std::shared_ptr<SMCSim::SimSmcDevice> device_;
    std::shared_ptr<SMCSim::ThermalModel> model_;
    mutable std::mutex faultsMutex_;
    std::vector<std::string> switches_; // device switches that are on
    std::map<std::string, SMCSim::FaultRule> rules_; // injected exchange failures by name
};

} // namespace Aerlo
