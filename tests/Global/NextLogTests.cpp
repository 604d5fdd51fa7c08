#include "Classes/Configure/Global/NextLog.h"
#include "QVToolsKit/QVLogFileManager.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>
#include <regex>

using Aerlo::NextLog;
using QVToolsKit::QVLogFileManager;

namespace {

class NextLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestAccess::resetForTesting<NextLog>();
        TestAccess::resetForTesting<QVLogFileManager>();
    }
    void TearDown() override
    {
        TestAccess::resetForTesting<NextLog>();
        TestAccess::resetForTesting<QVLogFileManager>();
    }

    ConsoleCapture capture;
};

} // namespace

TEST_F(NextLogTest, SharedInstanceIsSeparateFromTheFrameworks)
{
    EXPECT_NE(static_cast<const void*>(&NextLog::shared()), static_cast<const void*>(&QVLogFileManager::shared()));
    NextLog::shared().setWriter(Aerlo::LogWriter::standardError);
    QVLogFileManager::shared().log(QVToolsKit::LogLevel::info, {}, "framework", "", 0);
    NextLog::shared().log(Aerlo::LogLevel::info, {}, "application", "", 0);
    // copy() follows its own class's shared logger.
    NextLog::shared().copy("SystemKit").log(Aerlo::LogLevel::info, {}, "system", "", 0);
    QVLogFileManager::shared().copy("kit").log(QVToolsKit::LogLevel::info, {}, "kit", "", 0);
    EXPECT_EQ(capture.output(), " framework\n[kit] kit\n");
    EXPECT_EQ(capture.errors(), " application\n[SystemKit] system\n");
}

TEST_F(NextLogTest, ShorthandsWriteOneLineAtTheirLevel)
{
    const NextLog log = NextLog::shared().copy("SystemKit");
    NextLog::debug("d", log, "/Classes/Global/Shell.swift", 12);
    NextLog::error("e", NextLog::shared(), "/Classes/SystemKit/SystemKit.swift", 30);
    NextLog::fault("f", log, "SystemKit.swift", 31);
    NextLog::fault("g");
    const int line = __LINE__ - 1; // the call's line

    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 4u);
    const std::string stamp = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d )";
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(stamp + R"(Shell\.swift:12 DBG \[SystemKit\] d)"))) << lines[0];
    EXPECT_TRUE(std::regex_match(lines[1], std::regex(stamp + R"(SystemKit\.swift:30 ERR e)"))) << lines[1];
    EXPECT_TRUE(std::regex_match(lines[2], std::regex(stamp + R"(SystemKit\.swift:31 ERR \[SystemKit\] f)")))
        << lines[2];
    EXPECT_TRUE(std::regex_match(lines[3], std::regex(stamp + "NextLogTests\\.cpp:" + std::to_string(line) + " ERR g")))
        << lines[3];
}
