#pragma once

#include "Platform/Foundation/ToolMap.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TestAccess.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <sys/stat.h>

// The whole content of a file ("" when it cannot be read).
inline std::string readText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Exactly one line was printed, and it begins with `prefix`.
inline void expectOneLineStartingWith(const ConsoleCapture& console, const std::string& prefix)
{
    const auto lines = console.lines();
    ASSERT_EQ(lines.size(), 1u) << console.output();
    EXPECT_TRUE(lines[0].starts_with(prefix)) << lines[0];
}

// An executable shell script standing in for a fixed macOS tool while it lives; `body` follows "#!/bin/sh".
class FakeTool {
public:
    FakeTool(const std::filesystem::path& folder, std::string macPath, const std::string& body)
        : macPath_(std::move(macPath)),
          script_(folder / ("fake-" + std::filesystem::path(macPath_).filename().string()))
    {
        std::ofstream(script_) << "#!/bin/sh\n" << body << "\n";
        ::chmod(script_.c_str(), 0755);
        Foundation::ToolMap::set(macPath_, script_.string());
    }
    ~FakeTool() { TestAccess::resetForTesting<Foundation::ToolMap>(); }
    FakeTool(const FakeTool&) = delete;
    FakeTool& operator=(const FakeTool&) = delete;

    const std::filesystem::path& script() const { return script_; }

private:
    std::string macPath_;
    std::filesystem::path script_;
};
