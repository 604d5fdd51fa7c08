#pragma once

#include "tests/Support/ScopedEnvironment.h"

#include <filesystem>
#include <optional>

// A fresh temporary folder set as the Foundation::Paths root for its lifetime; removed afterwards. The desktop's
// configuration folder (XDG_CONFIG_HOME, where autostart entries go) is its "config" folder meanwhile.
class TempRoot {
public:
    TempRoot();
    ~TempRoot();
    TempRoot(const TempRoot&) = delete;
    TempRoot& operator=(const TempRoot&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path configHome() const { return path_ / "config"; }

private:
    std::filesystem::path path_;
    std::optional<ScopedEnvironment> configHome_;
};
