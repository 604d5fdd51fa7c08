#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// The demangled dynamic symbols a framework library defines ("" when nm cannot run).
std::string exportedSymbols(const std::string& name)
{
    const auto library = std::filesystem::path(AERLO_BINARY_DIR) / "Aerlo.app/Contents/Frameworks" / name;
    const std::string command = "nm -DC --defined-only '" + library.string() + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string out;
    char buffer[4096];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe.get()))
        out += buffer;
    return out;
}

} // namespace

TEST(ExportedInterface, TheFrameworkLibrariesExportTheirServices)
{
    const std::string symbols = exportedSymbols("libQVToolsKit.so");
    const std::string uiSymbols = exportedSymbols("libQVToolsKitUI.so");
    ASSERT_FALSE(symbols.empty());
    ASSERT_FALSE(uiSymbols.empty());
    // The services that need no windows live in the library without Qt.
    for (const char* name : {
             "QVToolsKit::QVFileSizeTool::", "QVToolsKit::QVDateManager::",
             "QVToolsKit::QVSystemVersionUtil::", "QVToolsKit::QVShellManager::", "QVToolsKit::QVLoginItemManager::",
             "QVToolsKit::QVSystemPreferencesManager::", "QVToolsKit::QVAESEncryptManager::",
             "QVToolsKit::QVAppEnvironmentDetector::", "QVToolsKit::QVAppRatingManager::",
             "QVToolsKit::QVScrollBarPreferenceManager::", "QVToolsKit::QVStatusItemPositionManager::",
             "QVToolsKit::QVSoundsManager::", "QVToolsKit::QVSpeechManager::", "QVToolsKit::KVO::",
             "QVToolsKit::L10n::", "QVToolsKit::kAPP_Name", "QVToolsKit::kSystemIsDarkTheme", "QVToolsKit::getUUID",
             "QVToolsKit::stringFromFloat", "QVToolsKit::isInTrash", "QVToolsKit::QVSavePanelManager::",
             "QVToolsKit::QVVolumeFeedbackManager::",
         })
        EXPECT_NE(symbols.find(name), std::string::npos) << name;
    for (const char* name : {"QVToolsKit::QVDiskVolumeManager::", "QVToolsKit::isModifierFlags",
             "QVToolsKit::isFlipped", "QVToolsKit::kScreenScale", "QVToolsKit::kAppIsDarkTheme",
             "QVToolsKit::QVProgressHUD::", "QVToolsKit::QVProgressIndicatorLayer::",
             "QVToolsKit::QVActivityIndicatorManager::", "QVToolsKit::QVBaseBox::", "QVToolsKit::QVAppearanceManager::",
             "QVToolsKit::colorHex", "QVToolsKit::withTintColor", "QVToolsKit::isBeingEdited",
             "QVToolsKit::itemRecursively", "QVToolsKit::setMagnification", "QVToolsKit::isTrackpadScroll",
             "QVToolsKit::QVVerticalCenteredTextFieldCell::", "QVToolsKit::QVCursorManager::",
             "QVToolsKit::QVOpenPanelManager::", "QVToolsKit::QVPopoverManager::", "QVToolsKit::QVWallpaperManager::"})
        EXPECT_NE(uiSymbols.find(name), std::string::npos) << name;
}
