// The dashboard's texts: graphics, memory, disk, host name, user and uptime.
#include "Classes/Configure/SystemKit/DashboardText.h"
#include "SystemScene.h"
#include "tests/QVToolsKit/FakeTool.h"

#include <gtest/gtest.h>

using namespace Aerlo;

namespace {

gpu_s gpu(std::optional<std::string> name, std::optional<int64_t> cores, std::optional<std::string> vram)
{
    gpu_s g;
    g.name = std::move(name);
    g.cores = cores;
    g.vram = std::move(vram);
    return g;
}

dimm_s dimm(std::optional<std::string> size, std::optional<std::string> speed, std::optional<std::string> type,
            std::optional<int64_t> bank, std::optional<std::string> channel)
{
    dimm_s d;
    d.size = std::move(size);
    d.speed = std::move(speed);
    d.type = std::move(type);
    d.bank = bank;
    d.channel = std::move(channel);
    return d;
}

} // namespace

TEST(DashboardText, Graphics)
{
    SystemScene scene;
    using List = std::vector<gpu_s>;
    EXPECT_EQ(DashboardText::graphics(std::nullopt), "Unknown");
    EXPECT_EQ(DashboardText::graphics(List {}), "");
    EXPECT_EQ(DashboardText::graphics(List {gpu("Apple M1 Max", 16, std::nullopt)}), "Apple M1 Max (16 cores)");
    EXPECT_EQ(DashboardText::graphics(List {gpu("Radeon", 16, "4 GB")}), "Radeon (16 cores, 4 GB)");
    EXPECT_EQ(DashboardText::graphics(List {gpu("Iris", std::nullopt, "1536 MB")}), "Iris (1536 MB)");
    EXPECT_EQ(DashboardText::graphics(
                  List {gpu(std::nullopt, std::nullopt, std::nullopt), gpu("Iris", std::nullopt, std::nullopt)}),
              "Unknown\nIris");
}

TEST(DashboardText, Memory)
{
    SystemScene scene;
    const auto ram = [](std::vector<dimm_s> dimms) { return std::optional<ram_s>(ram_s {std::move(dimms)}); };
    EXPECT_EQ(DashboardText::memory(std::nullopt), "Unknown");
    EXPECT_EQ(DashboardText::memory(ram({})), "");
    EXPECT_EQ(DashboardText::memory(ram({dimm("8 GB", "2667 MHz", "DDR4", 0, "A")})),
              "8 GB 2667 MHz DDR4 (slot 0/ch A)");
    EXPECT_EQ(DashboardText::memory(ram({dimm("8 GB", std::nullopt, std::nullopt, 0, std::nullopt),
                                         dimm("8 GB", std::nullopt, std::nullopt, std::nullopt, "B")})),
              "8 GB (slot 0)\n8 GB (ch B)");
    EXPECT_EQ(DashboardText::memory(ram({dimm(std::nullopt, std::nullopt, std::nullopt, 1, std::nullopt)})),
              "(slot 1)");
}

TEST(DashboardText, DiskUserAndHostName)
{
    SystemScene scene;
    EXPECT_EQ(DashboardText::disk(std::nullopt), "Unknown");
    EXPECT_EQ(DashboardText::disk(disk_s {"disk0", "APPLE SSD", 0}), "APPLE SSD");
    EXPECT_EQ(DashboardText::disk(disk_s {"disk0", "APPLE SSD", 500277792768}), "APPLE SSD ( 500.3 GB )");
    EXPECT_EQ(DashboardText::user("Ada Lovelace", "ada"), "Ada Lovelace  (ada)");

    EXPECT_EQ(DashboardText::hostName("Test-Host.local\n"), "Test-Host");
    EXPECT_EQ(DashboardText::hostName("buildbox\n"), "buildbox");
    EXPECT_EQ(DashboardText::hostName(""), "Unknown");
    EXPECT_EQ(DashboardText::hostName("\n"), "Unknown");

    FakeTool env(scene.folder(), "/usr/bin/env", "[ \"$1\" = hostname ] && printf 'Test-Host.local\\n'");
    EXPECT_EQ(DashboardText::hostName(DashboardText::runHostNameTool()), "Test-Host");
    Foundation::ToolMap::set("/usr/bin/env", "");
    EXPECT_EQ(DashboardText::runHostNameTool(), "");
}

TEST(DashboardText, Uptime)
{
    SystemScene scene;
    using namespace std::chrono;
    const double now = 1'800'000'000;
    const auto booted = [&](double secondsAgo) {
        return std::optional(
            system_clock::time_point(duration_cast<system_clock::duration>(duration<double>(now - secondsAgo))));
    };
    EXPECT_EQ(DashboardText::uptime(booted(2 * 86400 + 3 * 3600 + 4 * 60), now), "2 days, 3 hours");
    EXPECT_EQ(DashboardText::uptime(booted(61), now), "1 minute");
    EXPECT_EQ(DashboardText::uptime(booted(59), now), "0 minutes");
    EXPECT_EQ(DashboardText::uptime(std::nullopt, now), "Unknown");
    EXPECT_EQ(DashboardText::uptime(booted(-60), now), "Unknown");
}
