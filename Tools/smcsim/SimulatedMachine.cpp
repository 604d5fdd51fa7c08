#include "Tools/smcsim/SimulatedMachine.h"

#include "Platform/Foundation/TextUtilities.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace Aerlo {

namespace {

using ordered_json = nlohmann::ordered_json;

// Device switches: on sets them, off restores the profile's setting.
const std::vector<std::string> switchNames {"open-denied", "close-fails", "missing-key-error", "strict-writes"};
// Exchange failures: command, code; an optional ":KEY" (":INDEX" for the enumeration) narrows them.
struct RuleKind {
    const char* name;
    std::uint8_t command;
    IOKit::kern_return_t code;
};
constexpr RuleKind ruleKinds[] = {
    {"read-error", SMCSim::SimSmcDevice::kCommandReadBytes, IOKit::kIOReturnIOError},
    {"write-error", SMCSim::SimSmcDevice::kCommandWriteBytes, IOKit::kIOReturnIOError},
    {"info-error", SMCSim::SimSmcDevice::kCommandKeyInfo, IOKit::kIOReturnError},
    {"index-error", SMCSim::SimSmcDevice::kCommandKeyAtIndex, IOKit::kIOReturnError},
};

double rounded(double value) { return std::round(value * 100) / 100; }

// Keys are bytes; one that is not UTF-8 is shown with replacement characters rather than refused.
std::string text(const ordered_json& value)
{
    return value.dump(-1, ' ', false, ordered_json::error_handler_t::replace);
}

std::string failure(const std::string& error)
{
    ordered_json reply;
    reply["ok"] = false;
    reply["error"] = error;
    return text(reply);
}

constexpr const char* loadRange = "load must be a number from 0 to 1";
constexpr const char* secondsRange = "seconds must be a number from 0 to 86400";

std::optional<double> finiteNumber(const nlohmann::json& request, const char* name)
{
    auto it = request.find(name);
    if (it == request.end() || !it->is_number() || !std::isfinite(it->get<double>()))
        return std::nullopt;
    return it->get<double>();
}

} // namespace

SimulatedMachine::SimulatedMachine(SMCSim::MachineProfile profile, bool manualClock)
    : profile_(std::move(profile)), manual_(manualClock ? std::make_unique<Foundation::ManualClock>() : nullptr)
{
    Foundation::Clock& clock = manual_ ? static_cast<Foundation::Clock&>(*manual_) : Foundation::Clock::system();
    device_ = std::make_shared<SMCSim::SimSmcDevice>(profile_, clock);
    model_ = std::make_shared<SMCSim::ThermalModel>(profile_);
    device_->setDynamicValues(model_);
}

const std::vector<std::string>& SimulatedMachine::faultNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all = switchNames;
        for (const RuleKind& kind : ruleKinds)
            all.emplace_back(kind.name);
        return all;
    }();
    return names;
}

Foundation::Result<void> SimulatedMachine::setLoad(double load)
{
    if (!model_->setLoad(load, device_->now()))
        return Foundation::Error(loadRange);
    return {};
}

Foundation::Result<void> SimulatedMachine::advance(double seconds)
{
    if (!manual_)
        return Foundation::Error("the clock is not manual (start smcsim with --manual-clock)");
    if (!std::isfinite(seconds) || seconds < 0 || seconds > maxAdvance)
        return Foundation::Error(secondsRange);
    manual_->advance(seconds);
    return {};
}

Foundation::Result<void> SimulatedMachine::setFault(std::string_view name, bool on)
{
    std::lock_guard lock(faultsMutex_);
    const std::string fullName(name);
    if (std::find(switchNames.begin(), switchNames.end(), fullName) != switchNames.end()) {
        const SMCSim::DeviceSettings& base = profile_.device;
        if (name == "open-denied")
            device_->setOpenFailure(on ? IOKit::kIOReturnNotPrivileged : base.openFailure);
        else if (name == "close-fails")
            device_->setCloseFailure(on ? IOKit::kIOReturnError : base.closeFailure);
        else if (name == "missing-key-error")
            device_->setMissingKeyPolicy(on ? SMCSim::MissingKeyPolicy::kernelError : base.missingKeyPolicy,
                                         base.missingKeyCode);
        else
            device_->setStrictWrites(on || base.strictWrites);
        std::erase(switches_, fullName);
        if (on)
            switches_.push_back(fullName);
        return {};
    }

    const std::string_view base = name.substr(0, name.find(':'));
    const auto kind =
        std::find_if(std::begin(ruleKinds), std::end(ruleKinds), [&](const RuleKind& k) { return base == k.name; });
    if (kind == std::end(ruleKinds))
        return Foundation::Error("unknown fault \"" + fullName + "\"");
    SMCSim::FaultRule rule;
    rule.command = kind->command;
    rule.code = kind->code;
    if (base.size() < name.size()) {
        const std::string_view argument = name.substr(base.size() + 1);
        if (kind->command == SMCSim::SimSmcDevice::kCommandKeyAtIndex) {
            const auto index = Foundation::decimalNumber<std::uint32_t>(argument);
            if (!index)
                return Foundation::Error("\"" + fullName + "\": expected an index after \":\"");
            rule.index = *index;
        } else {
            if (argument.size() != 4)
                return Foundation::Error("\"" + fullName + "\": expected a four-character key after \":\"");
            rule.key = std::string(argument);
        }
    }
    if (on)
        rules_[fullName] = rule;
    else
        rules_.erase(fullName);
    rebuildRules();
    return {};
}

void SimulatedMachine::rebuildRules()
{
    device_->clearFaults();
    for (const SMCSim::FaultRule& rule : profile_.device.faults)
        device_->addFault(rule);
    for (const auto& [name, rule] : rules_)
        device_->addFault(rule);
}

std::vector<std::string> SimulatedMachine::activeFaults() const
{
    std::lock_guard lock(faultsMutex_);
    std::vector<std::string> names = switches_;
    for (const auto& [name, rule] : rules_)
        names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}

ordered_json SimulatedMachine::snapshot()
{
    const double now = device_->now();
    SMCSim::ThermalSnapshot state;
    device_->editKeys([&](SMCSim::KeyTable& keys) { state = model_->snapshot(now, &keys); });
    ordered_json snapshot;
    snapshot["profile"] = profile_.name;
    snapshot["overlays"] = profile_.overlays;
    snapshot["clock"] = {{"manual", manualClock()}, {"time", rounded(now)}};
    snapshot["load"] = state.load;
    snapshot["airflow"] = rounded(state.airflow);
    ordered_json fans = ordered_json::array();
    for (const SMCSim::ThermalFanState& fan : state.fans) {
        ordered_json item;
        item["index"] = fan.index;
        item["actual"] = rounded(fan.actual);
        item["target"] = rounded(fan.goal);
        item["mode"] = fan.mode ? ordered_json(*fan.mode) : ordered_json(nullptr);
        item["forced"] = fan.forced;
        item["min"] = rounded(fan.minSpeed);
        item["max"] = rounded(fan.maxSpeed);
        fans.push_back(std::move(item));
    }
    snapshot["fans"] = std::move(fans);
    ordered_json temperatures = ordered_json::object();
    for (const SMCSim::ThermalReading& reading : state.temperatures)
        temperatures[reading.key] = rounded(reading.value);
    snapshot["temperatures"] = std::move(temperatures);
    ordered_json power = ordered_json::object();
    for (const SMCSim::ThermalReading& reading : state.power)
        power[reading.key] = rounded(reading.value);
    snapshot["power"] = std::move(power);
    snapshot["source"] = state.onBattery ? "battery" : "ac";
    ordered_json currents = ordered_json::object();
    for (const SMCSim::ThermalReading& reading : state.currents)
        currents[reading.key] = rounded(reading.value);
    snapshot["currents"] = std::move(currents);
    snapshot["faults"] = activeFaults();
    snapshot["connections"] = device_->openConnections();
    return snapshot;
}

SimulatedMachine::ControlReply SimulatedMachine::control(std::string_view requestText)
{
    const nlohmann::json request = nlohmann::json::parse(requestText, nullptr, false);
    if (request.is_discarded() || !request.is_object())
        return {failure("expected a JSON object")};
    auto command = request.find("command");
    if (command == request.end() || !command->is_string())
        return {failure("expected a \"command\"")};
    const std::string& name = command->get_ref<const std::string&>();
    Foundation::Result<void> done;
    if (name == "load") {
        const auto value = finiteNumber(request, "value");
        done = value ? setLoad(*value) : Foundation::Error(loadRange);
    } else if (name == "advance") {
        const auto seconds = finiteNumber(request, "seconds");
        done = seconds ? advance(*seconds) : Foundation::Error(secondsRange);
    } else if (name == "fault") {
        auto fault = request.find("name");
        auto on = request.find("on");
        if (fault == request.end() || !fault->is_string() || on == request.end() || !on->is_boolean())
            done = Foundation::Error("expected a fault \"name\" and \"on\" true or false");
        else
            done = setFault(fault->get_ref<const std::string&>(), on->get<bool>());
    } else if (name == "power") {
        auto source = request.find("source");
        if (source == request.end() || (*source != "battery" && *source != "ac"))
            done = Foundation::Error("expected a \"source\": \"battery\" or \"ac\"");
        else
            model_->setOnBattery(*source == "battery", device_->now());
    } else if (name == "snapshot") {
        ordered_json reply;
        reply["ok"] = true;
        reply["snapshot"] = snapshot();
        return {text(reply)};
    } else if (name == "stop") {
        return {text(ordered_json {{"ok", true}}), true};
    } else {
        done = Foundation::Error("unknown command \"" + name + "\"");
    }
    if (!done)
        return {failure(done.error())};
    return {text(ordered_json {{"ok", true}})};
}

} // namespace Aerlo
