#pragma once

#include "Platform/System/AuthorizationProvider.h"
#include "tests/Support/TempRoot.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// The helper label the application installs.
inline constexpr const char* helperLabel = "com.norvane.AerloOffline.SMC.Helper";

// A temporary root with an application bundle carrying the test daemon as its helper, set as the
// main bundle. Orphaned daemons are reparented to this process, which kills and reaps every daemon
// it has seen when the test ends.
class DaemonTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // An authorization holding the bless right.
    static SystemPlatform::AuthorizationRef blessAuthorization();

    std::filesystem::path bundleDaemon() const;
    std::filesystem::path bundleClient() const;
    // The pid in the helper's pid file; remembered for the clean-up.
    std::optional<pid_t> helperPid();
    // Remembers a daemon started by other means.
    void track(pid_t pid) { seen_.push_back(pid); }

    // The process's state letter from /proc (R, S, Z, …); 0 when there is no such process.
    static char processState(pid_t pid);
    // Running and not yet exited.
    static bool isRunning(pid_t pid);
    static std::string fileContents(const std::filesystem::path& path);

    TempRoot root_;
    std::filesystem::path bundle_;

private:
    std::vector<pid_t> seen_;
};
