#pragma once

#include "Platform/Foundation/ToolMap.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>

// An executable shell script standing in for a fixed macOS tool while it lives; `body` follows "#!/bin/sh".
class FakeTool {
public:
    FakeTool(const std::filesystem::path& folder, std::string macPath, const std::string& body)
        : macPath_(std::move(macPath)), script_(folder / ("fake-" + std::filesystem::path(macPath_).filename().string()))
    {
        std::ofstream(script_) << "#!/bin/sh\n" << body << "\n";
        ::chmod(script_.c_str(), 0755);
        Foundation::ToolMap::set(macPath_, script_.string());
    }
    ~FakeTool() { Foundation::ToolMap::reset(); }
    FakeTool(const FakeTool&) = delete;
    FakeTool& operator=(const FakeTool&) = delete;

    const std::filesystem::path& script() const { return script_; }

private:
    std::string macPath_;
    std::filesystem::path script_;
};
