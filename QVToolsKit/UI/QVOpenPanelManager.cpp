#include "QVToolsKit/UI/QVOpenPanelManager.h"

namespace QVToolsKit {

namespace {

Kit::OpenPanel panel(const std::string& title, const std::optional<std::string>& message, bool canChooseFiles,
    bool canChooseDirectories, bool allowsMultipleSelection, std::optional<std::vector<std::string>> allowedFileTypes,
    std::optional<std::filesystem::path> directoryURL)
{
    Kit::OpenPanel panel;
    panel.title = title;
    if (message)
        panel.message = *message;
    panel.canChooseFiles = canChooseFiles;
    panel.canChooseDirectories = canChooseDirectories;
    panel.allowsMultipleSelection = allowsMultipleSelection;
    panel.allowedFileTypes = std::move(allowedFileTypes);
    if (directoryURL)
        panel.directoryURL = std::move(directoryURL);
    panel.canCreateDirectories = false;
    panel.isAccessoryViewDisclosed = false;
    panel.showsHiddenFiles = false;
    panel.showsTagField = false;
    return panel;
}

} // namespace

Kit::OpenPanel QVOpenPanelManager::createOpenPanel(const std::string& title, const std::string& message,
    bool canChooseFiles, bool canChooseDirectories, bool allowsMultipleSelection,
    std::optional<std::vector<std::string>> allowedFileTypes, std::optional<std::filesystem::path> directoryURL)
{
    return panel(title, message, canChooseFiles, canChooseDirectories, allowsMultipleSelection,
        std::move(allowedFileTypes), std::move(directoryURL));
}

void QVOpenPanelManager::showOpenPanel(const std::string& title, bool canChooseFiles, bool canChooseDirectories,
    bool allowsMultipleSelection, std::optional<std::vector<std::string>> allowedFileTypes,
    std::optional<std::filesystem::path> directoryURL,
    const std::function<void(const std::vector<std::filesystem::path>&)>& completion)
{
    Kit::OpenPanel open = panel(title, std::nullopt, canChooseFiles, canChooseDirectories, allowsMultipleSelection,
        std::move(allowedFileTypes), std::move(directoryURL));
    if (open.runModal() == Kit::ModalResponseOK && completion)
        completion(open.urls());
}

} // namespace QVToolsKit
