#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// The demangled dynamic symbols the framework library defines ("" when nm cannot run).
std::string exportedSymbols()
{
    const auto library = std::filesystem::path(AERLO_BINARY_DIR) / "Aerlo.app/Contents/Frameworks/libQVToolsKit.so";
    const std::string command = "nm -DC --defined-only '" + library.string() + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string out;
    char buffer[4096];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe.get()))
        out += buffer;
    return out;
}

} // namespace

TEST(ExportedInterface, TheFrameworkLibraryExportsItsServices)
{
    const std::string symbols = exportedSymbols();
    ASSERT_FALSE(symbols.empty());
    for (const char* name : {
             "QVToolsKit::QVFileSizeTool::", "QVToolsKit::QVDiskVolumeManager::", "QVToolsKit::QVDateManager::",
             "QVToolsKit::QVSystemVersionUtil::", "QVToolsKit::QVShellManager::", "QVToolsKit::QVLoginItemManager::",
             "QVToolsKit::QVSystemPreferencesManager::", "QVToolsKit::QVAESEncryptManager::",
             "QVToolsKit::QVAppEnvironmentDetector::", "QVToolsKit::QVAppRatingManager::",
             "QVToolsKit::QVScrollBarPreferenceManager::", "QVToolsKit::QVStatusItemPositionManager::",
             "QVToolsKit::QVSoundsManager::", "QVToolsKit::QVSpeechManager::", "QVToolsKit::KVO::",
             "QVToolsKit::L10n::", "QVToolsKit::QVTextHighlighter::", "QVToolsKit::kAPP_Name",
             "QVToolsKit::kSystemIsDarkTheme", "QVToolsKit::getUUID", "QVToolsKit::isModifierFlags",
             "QVToolsKit::stringFromFloat", "QVToolsKit::isFlipped", "QVToolsKit::isInTrash",
         })
        EXPECT_NE(symbols.find(name), std::string::npos) << name;
}
