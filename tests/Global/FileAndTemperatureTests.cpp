#include "Classes/Configure/Global/QVFileAdministrator.h"
#include "Classes/Configure/Global/QVTemperatureUtils.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TempRoot.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

TEST(ApplicationFileAdministrator, ComparesContentAndModificationTime)
{
    TempRoot root;
    ConsoleCapture capture;
    const fs::path bundled = root.path() / "bundled";
    const fs::path installed = root.path() / "installed";
    std::ofstream(bundled) << "daemon";
    std::ofstream(installed) << "daemon";
    const timespec times[2] = {{1741183629, 5}, {1741183629, 5}};
    ASSERT_EQ(::utimensat(AT_FDCWD, bundled.c_str(), times, 0), 0);
    ASSERT_EQ(::utimensat(AT_FDCWD, installed.c_str(), times, 0), 0);

    EXPECT_TRUE(Aerlo::QVFileAdministrator::checkFileAreEqual(bundled, installed));
    const timespec later[2] = {{1741183629, 6}, {1741183629, 6}};
    ASSERT_EQ(::utimensat(AT_FDCWD, installed.c_str(), later, 0), 0);
    EXPECT_FALSE(Aerlo::QVFileAdministrator::checkFileAreEqual(bundled, installed));
    EXPECT_FALSE(Aerlo::QVFileAdministrator::checkFileAreEqual(bundled, root.path() / "missing"));
    EXPECT_EQ(capture.output(), "");
}

TEST(ApplicationTemperatureUtils, SameFormulasAsTheFramework)
{
    EXPECT_EQ(Aerlo::QVTemperatureUtils::celsiusToFahrenheit(100), 212.0);
    EXPECT_EQ(Aerlo::QVTemperatureUtils::celsiusToFahrenheit(-49.5), -57.099999999999994);
    EXPECT_EQ(Aerlo::QVTemperatureUtils::fahrenheitToCelsius(98.6), 37.0);
    EXPECT_EQ(Aerlo::QVTemperatureUtils::fahrenheitToCelsius(-40), -40.0);
}
