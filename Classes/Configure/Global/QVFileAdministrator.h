#pragma once

#include <filesystem>

namespace Aerlo {

// The application's file-version check; the same answers and messages as the framework's.
class QVFileAdministrator {
public:
    static bool checkFileAreEqual(const std::filesystem::path& sourcePath,
                                  const std::filesystem::path& destinationPath);
};

} // namespace Aerlo
