#pragma once

#include "Platform/System/ActiveMachine.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

// Pins the simulated machine's operating-system version while it lives.
class OperatingSystemVersion {
public:
    explicit OperatingSystemVersion(const std::string& version) { set(version); }
    ~OperatingSystemVersion() { SystemPlatform::ActiveMachine::reset(); }
    OperatingSystemVersion(const OperatingSystemVersion&) = delete;
    OperatingSystemVersion& operator=(const OperatingSystemVersion&) = delete;

    static void set(const std::string& version)
    {
        auto profile = SMCSim::MachineProfile::load("mbp-m1pro-2fan");
        ASSERT_TRUE(profile.has_value());
        profile->facts.osVersion = version;
        SystemPlatform::ActiveMachine::set(std::make_shared<const SMCSim::MachineProfile>(*profile));
    }
};
