#pragma once

#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/ModalResponse.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace Kit {

// The file-open panel: its options and, after a run, the chosen files (file URLs, as paths). It runs through
// the shared OpenPanelPresenter (a Qt file dialog in the application, scripted answers in tests), inside
// the run loop's modal mode.
class AERLO_KIT_EXPORT OpenPanel {
public:
    std::string title;
    std::string message;
    bool canChooseFiles = true;
    bool canChooseDirectories = false;
    bool allowsMultipleSelection = false;
    // File-name extensions; none: any file. An empty list is kept as given.
    std::optional<std::vector<std::string>> allowedFileTypes;
    std::optional<std::filesystem::path> directoryURL;
    bool canCreateDirectories = true;
    bool isAccessoryViewDisclosed = false;
    bool showsHiddenFiles = false;
    bool showsTagField = true;

    // OK (1) or cancel (0); the chosen files are then in urls().
    ModalResponse runModal();
    const std::vector<std::filesystem::path>& urls() const { return urls_; }
    void setURLs(std::vector<std::filesystem::path> urls) { urls_ = std::move(urls); }

private:
    std::vector<std::filesystem::path> urls_;
};

} // namespace Kit
