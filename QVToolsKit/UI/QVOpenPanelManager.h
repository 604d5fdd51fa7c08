#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/OpenPanel.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace QVToolsKit {

// Builds and runs the file-open panel with the options given and a fixed rest: no new folders, the
// accessory view not disclosed, no hidden files, no tag field.
class QVTOOLSKITUI_EXPORT QVOpenPanelManager {
public:
    // Allowed types: none means any file; an empty list is passed on as it is.
    static Kit::OpenPanel createOpenPanel(const std::string& title, const std::string& message, bool canChooseFiles,
        bool canChooseDirectories, bool allowsMultipleSelection,
        std::optional<std::vector<std::string>> allowedFileTypes, std::optional<std::filesystem::path> directoryURL);
    // Runs it modally; on OK the completion gets the chosen files in the panel's order; on cancel nothing runs.
    static void showOpenPanel(const std::string& title, bool canChooseFiles, bool canChooseDirectories,
        bool allowsMultipleSelection, std::optional<std::vector<std::string>> allowedFileTypes,
        std::optional<std::filesystem::path> directoryURL,
        const std::function<void(const std::vector<std::filesystem::path>&)>& completion);
};

} // namespace QVToolsKit
