#include "Platform/System/ActiveMachine.h"
#include "Platform/System/HostMachine.h"
#include "tests/Support/ScopedEnvironment.h"
#include "tests/Support/TempRoot.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

void put(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

} // namespace

TEST(HostMachineTest, FactsOfARealMacFromSysAndProc)
{
    TempRoot root;
    put(root.path() / "sys/class/dmi/id/product_name", "MacBookPro11,4\n");
    std::string cpuinfo;
    for (int processor = 0; processor < 8; ++processor)
        cpuinfo += "processor\t: " + std::to_string(processor)
                   + "\nmodel name\t: Intel(R) Core(TM) i7-4870HQ CPU @ 2.50GHz\ncpu cores\t: 4\n\n";
    put(root.path() / "proc/cpuinfo", cpuinfo);
    put(root.path() / "proc/meminfo", "MemTotal:       16309612 kB\nMemFree:         1000 kB\n");
    put(root.path() / "proc/sys/kernel/osrelease", "6.1.0-18-amd64\n");

    const auto facts = SystemPlatform::HostMachine::profile(root.path()).facts;
    EXPECT_EQ(facts.modelIdentifier, "MacBookPro11,4");
    EXPECT_EQ(facts.modelName, "MacBook Pro");
    EXPECT_EQ(facts.cpuBrand, "Intel(R) Core(TM) i7-4870HQ CPU @ 2.50GHz");
    EXPECT_EQ(facts.physicalCores, 4);
    EXPECT_EQ(facts.logicalCores, 8);
    EXPECT_EQ(facts.memoryBytes, 16ull << 30);
    EXPECT_EQ(facts.osVersion, "6.1.0");
    EXPECT_EQ(facts.osBuild, "6.1.0-18-amd64");

    // Nothing readable: empty facts, no failure.
    TempRoot empty;
    const auto none = SystemPlatform::HostMachine::profile(empty.path()).facts;
    EXPECT_EQ(none.modelIdentifier, "");
    EXPECT_EQ(none.logicalCores, 0);
    EXPECT_EQ(none.memoryBytes, 0u);
}

TEST(HostMachineTest, AppleSiliconFactsFromTheDeviceTree)
{
    TempRoot root;
    put(root.path() / "proc/device-tree/model", std::string("Apple MacBook Pro (14-inch, M1 Pro, 2021)\0", 42));
    put(root.path() / "proc/device-tree/compatible", std::string("apple,j314s\0apple,t6000\0apple,arm-platform\0", 43));
    const auto profile = SystemPlatform::HostMachine::profile(root.path());
    EXPECT_EQ(profile.platform, "m1Pro");
    EXPECT_EQ(profile.facts.cpuBrand, "Apple M1 Pro");
    EXPECT_EQ(profile.facts.modelName, "MacBook Pro");
}

TEST(HostMachineTest, TheRealDriverBringsTheRealMachinesFactsUnlessAMachineIsNamed)
{
    ScopedEnvironment smc("AERLO_SMC", "applesmc");
    SystemPlatform::ActiveMachine::select("");
    EXPECT_EQ(SystemPlatform::ActiveMachine::profile()->name, "host");
    SystemPlatform::ActiveMachine::select("mbp-intel-2fan");
    EXPECT_EQ(SystemPlatform::ActiveMachine::profile()->facts.modelIdentifier, "MacBookPro11,4");
    SystemPlatform::ActiveMachine::select("");
}
