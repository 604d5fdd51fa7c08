#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Under ctest every test runs headless and in the UTF-8 C locale, whatever the shell that starts it has.
TEST(TestEnvironmentTest, EveryTestRunsOffscreenInTheUtf8CLocale)
{
    if (variable("QT_QPA_PLATFORM").empty())
        GTEST_SKIP() << "run outside ctest";
    EXPECT_EQ(variable("QT_QPA_PLATFORM"), "offscreen");
    EXPECT_EQ(variable("LC_ALL"), "C.UTF-8");
}

} // namespace
