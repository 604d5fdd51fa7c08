#include "Platform/Foundation/Paths.h"
#include "Platform/Vendors/MSACAnalytics.h"
#include "Platform/Vendors/MSACAppCenter.h"
#include "tests/Support/ManualRunLoopDriver.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using Vendors::MSACAnalytics;
using Vendors::MSACAppCenter;
using Vendors::MSACService;

namespace {

class MSACAnalyticsTest : public ::testing::Test {
protected:
    void SetUp() override { TestAccess::resetForTesting<MSACAppCenter>(); }
    void TearDown() override { TestAccess::resetForTesting<MSACAppCenter>(); }

    static std::string contents(const std::filesystem::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    TempRoot root_;
    Foundation::ManualRunLoopDriver driver_;
};

} // namespace

TEST_F(MSACAnalyticsTest, EventsGoToTheLocalFileOnlyOnceTheServiceIsStarted)
{
    MSACAnalytics::trackEvent("before");
    EXPECT_FALSE(std::filesystem::exists(MSACAnalytics::eventsFile()));

    MSACAppCenter::start("secret", {MSACService::MSACCrashes});
    MSACAnalytics::trackEvent("crashes only");
    EXPECT_FALSE(std::filesystem::exists(MSACAnalytics::eventsFile()));

    MSACAppCenter::start("secret", {MSACService::MSACAnalytics, MSACService::MSACCrashes});
    EXPECT_EQ(MSACAppCenter::lastStart(),
              (MSACAppCenter::Start {"secret", {MSACService::MSACAnalytics, MSACService::MSACCrashes}}));
    MSACAnalytics::trackEvent("高活跃用户", {{"b", "2"}, {"a", "\"1\""}});
    MSACAnalytics::trackEvent("plain");
    EXPECT_EQ(MSACAnalytics::eventsFile(),
              root_.path() / "Users" / Foundation::Paths::userName()
                  / "Library/Application Support/com.norvane.AerloOffline/Analytics/events.jsonl");
    EXPECT_EQ(contents(MSACAnalytics::eventsFile()),
              "{\"time\":1735689600.0,\"name\":\"高活跃用户\",\"properties\":{\"a\":\"\\\"1\\\"\",\"b\":\"2\"}}\n"
              "{\"time\":1735689600.0,\"name\":\"plain\",\"properties\":{}}\n");

    // A test sink takes the events instead of the file.
    std::vector<Vendors::MSACEvent> events;
    MSACAnalytics::setSink([&](const Vendors::MSACEvent& event) { events.push_back(event); });
    MSACAnalytics::trackEvent("to the sink", {{"k", "v"}});
    MSACAnalytics::setSink(nullptr);
    EXPECT_EQ(events, (std::vector<Vendors::MSACEvent> {{"to the sink", {{"k", "v"}}}}));
}

TEST_F(MSACAnalyticsTest, TheFileIsRotatedOncePastItsCap)
{
    MSACAppCenter::start("secret", {MSACService::MSACAnalytics});
    const std::string filler(10000, 'x');
    for (int i = 0; i < 250; ++i)
        MSACAnalytics::trackEvent("e" + std::to_string(i), {{"filler", filler}});
    const auto file = MSACAnalytics::eventsFile();
    const auto rotated = file.string() + ".1";
    ASSERT_TRUE(std::filesystem::exists(rotated));
    EXPECT_LE(std::filesystem::file_size(file), MSACAnalytics::maximumFileBytes);
    EXPECT_LE(std::filesystem::file_size(rotated), MSACAnalytics::maximumFileBytes);
    EXPECT_GT(std::filesystem::file_size(rotated), MSACAnalytics::maximumFileBytes - 10100);
    // The newest line is last in the file, the rotated file ends where the file begins.
    const std::string text = contents(file);
    EXPECT_NE(text.find("\"name\":\"e249\""), std::string::npos);
    EXPECT_EQ(text.find("\"name\":\"e0\""), std::string::npos);
}
