#include "Classes/App/LaunchAtLogin.h"
#include "Classes/App/SessionLoginItemService.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/System/AppService.h"
#include "Platform/System/DesktopEntry.h"
#include "tests/QVToolsKit/OperatingSystemVersion.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sys/stat.h>

using namespace Aerlo;
using SystemPlatform::AppService;
using SystemPlatform::DesktopEntry;
namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::map<std::string, std::string> folderContents(const fs::path& folder)
{
    std::map<std::string, std::string> contents;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::ifstream file(it->path(), std::ios::binary);
        contents[it->path().filename().string()] = std::string(std::istreambuf_iterator<char>(file), {});
    }
    return contents;
}

// The settings pane's login items (the installed service), over a fake main bundle under a temporary root
// that carries the login-item helper.
class LoginItems : public ::testing::Test {
protected:
    void SetUp() override { bundle_ = makeBundle("Apps/Aerlo Test.app"); }
    void TearDown() override
    {
        Foundation::Bundle::setMainBundlePath({});
        TestAccess::resetForTesting<Foundation::UserDefaults>();
    }
    fs::path makeBundle(const std::string& relative)
    {
        const fs::path bundle = root_.path() / relative;
        writeFile(bundle / "Contents/Info.json",
            R"({"CFBundleExecutable": "Aerlo", "CFBundleIdentifier": "com.norvane.AerloOffline", "CFBundleName": "Aerlo"})");
        writeFile(bundle / "Contents/MacOS/Aerlo", "");
        const fs::path helper = bundle / "Contents/Library/LoginItems/AerloControlHelper.app/Contents";
        writeFile(helper / "Info.json", R"({"CFBundleExecutable": "AerloControlHelper", )"
                                        R"("CFBundleIdentifier": "com.norvane.AerloOfflineHelper", "CFBundleName": "AerloControlHelper"})");
        writeFile(helper / "MacOS/AerloControlHelper", "");
        Foundation::Bundle::setMainBundlePath(bundle);
        return bundle;
    }
    static fs::path folder() { return AppService::autostartFolder(); }
    static std::string entryFor(const std::string& executable, const std::string& extra = "")
    {
        return "[Desktop Entry]\nType=Application\nName=x\nExec=" + DesktopEntry::quotedExecArgument(executable) + "\n"
            + extra;
    }

    TempRoot root_;
    ConsoleCapture console_;
    fs::path bundle_;
    SessionLoginItemService service_;
    LoginItemService& items_ = service_;
};

} // namespace

TEST_F(LoginItems, AddWritesOneEntryStartingTheBundleAndASecondAddChangesNothing)
{
    const std::string path = bundle_.string();
    EXPECT_FALSE(items_.find(path));
    EXPECT_TRUE(items_.add(path));
    const auto contents = folderContents(folder());
    ASSERT_EQ(contents.size(), 1u);
    const auto entry = DesktopEntry::read(folder() / "com.norvane.AerloOffline.desktop");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->execArguments(), std::vector<std::string>{(bundle_ / "Contents/MacOS/Aerlo").string()});
    EXPECT_TRUE(items_.find(path));
    EXPECT_TRUE(items_.find(path + "/")) << "the same path, spelled with a trailing slash";
    EXPECT_FALSE(items_.add(path));
    EXPECT_EQ(folderContents(folder()), contents) << "byte for byte unchanged";
}

TEST_F(LoginItems, RemoveTakesEveryEntryOfThePathAndLeavesTheOthers)
{
    const fs::path executable = bundle_ / "Contents/MacOS/Aerlo";
    writeFile(folder() / "a.desktop", entryFor(executable.string()));
    // The same bundle spelled otherwise: one matcher finds and removes it alike.
    writeFile(folder() / "b.desktop", entryFor((root_.path() / "Apps/./x/../Aerlo Test.app/Contents/MacOS/Aerlo").string()));
    writeFile(folder() / "c.desktop", entryFor("/usr/bin/other"));
    writeFile(folder() / "d.desktop", entryFor(executable.string(), "Hidden=true\n"));
    writeFile(folder() / "e.desktop", "not an entry");
    const auto before = folderContents(folder());

    EXPECT_TRUE(items_.remove(bundle_.string()));
    auto after = folderContents(folder());
    EXPECT_EQ(after.count("a.desktop") + after.count("b.desktop"), 0u);
    for (const char* kept : {"c.desktop", "d.desktop", "e.desktop"})
        EXPECT_EQ(after[kept], before.at(kept)) << kept;
    EXPECT_FALSE(items_.remove(bundle_.string())) << "nothing left to remove";
    EXPECT_FALSE(items_.find(bundle_.string()));
}

TEST_F(LoginItems, APathWithQuotesDollarsPercentsAndChineseRoundTrips)
{
    bundle_ = makeBundle("Apps/风扇 \"q\" `b` $HOME \\ 100% #; x.app");
    EXPECT_TRUE(items_.add(bundle_.string()));
    EXPECT_TRUE(items_.find(bundle_.string()));
    const auto entry = DesktopEntry::read(folder() / "com.norvane.AerloOffline.desktop");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->execArguments(), std::vector<std::string>{(bundle_ / "Contents/MacOS/Aerlo").string()});
    EXPECT_TRUE(items_.remove(bundle_.string()));
}

TEST_F(LoginItems, AnUnreadableListFailsQuietlyAndAFifoEntryIsPassedOver)
{
    writeFile(folder(), "a file where the folder belongs");
    EXPECT_FALSE(items_.find(bundle_.string()));
    EXPECT_FALSE(items_.add(bundle_.string()));
    EXPECT_FALSE(items_.remove(bundle_.string()));
    EXPECT_EQ(console_.output() + console_.errors(), "");

    fs::remove(folder());
    fs::create_directories(folder());
    ASSERT_EQ(::mkfifo((root_.path() / "fifo").c_str(), 0600), 0);
    fs::create_symlink(root_.path() / "fifo", folder() / "a.desktop");
    writeFile(folder() / "b.desktop", entryFor((bundle_ / "Contents/MacOS/Aerlo").string()));
    EXPECT_TRUE(items_.find(bundle_.string()));
}

TEST_F(LoginItems, LaunchAtLoginUsesTheHelperBefore13AndTheApplicationFrom13)
{
    const fs::path helperEntry = folder() / "com.norvane.AerloOfflineHelper.desktop";
    const fs::path mainEntry = folder() / "com.norvane.AerloOffline.desktop";
    {
        ::OperatingSystemVersion system("12.6");
        LaunchAtLogin::setEnabled(true);
        EXPECT_TRUE(fs::exists(helperEntry));
        EXPECT_FALSE(fs::exists(mainEntry));
        EXPECT_TRUE(LaunchAtLogin::isEnabled());
        LaunchAtLogin::migrateIfNeeded();
        EXPECT_FALSE(Foundation::UserDefaults::standard().object(LaunchAtLogin::migrationKey)) << "not before 13";
    }
    ::OperatingSystemVersion system("14.5");
    EXPECT_FALSE(LaunchAtLogin::isEnabled());
    LaunchAtLogin::migrateIfNeeded();
    EXPECT_TRUE(Foundation::UserDefaults::standard().boolValue(LaunchAtLogin::migrationKey));
    EXPECT_TRUE(fs::exists(mainEntry)) << "the helper's state carried over";
    EXPECT_FALSE(fs::exists(helperEntry));
    EXPECT_TRUE(LaunchAtLogin::isEnabled());

    fs::remove(mainEntry);
    LaunchAtLogin::migrateIfNeeded();
    EXPECT_FALSE(fs::exists(mainEntry)) << "once only";
    LaunchAtLogin::setEnabled(false);
    EXPECT_EQ(console_.output(), "") << "disabling an absent entry holds";
}

TEST_F(LoginItems, AFailedCarryOverPrintsOneLineAndIsTriedAgain)
{
    ::OperatingSystemVersion system("14.5");
    writeFile(folder() / "com.norvane.AerloOfflineHelper.desktop",
        entryFor((bundle_ / "Contents/Library/LoginItems/AerloControlHelper.app/Contents/MacOS/AerloControlHelper").string()));
    // The main entry cannot be written: its name is taken by a folder that is not empty.
    writeFile(folder() / "com.norvane.AerloOffline.desktop/keep", "");
    LaunchAtLogin::migrateIfNeeded();
    const auto lines = console_.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("failed to enable launch at login: ", 0), 0u) << lines[0];
    EXPECT_FALSE(Foundation::UserDefaults::standard().object(LaunchAtLogin::migrationKey));
    EXPECT_TRUE(fs::exists(folder() / "com.norvane.AerloOfflineHelper.desktop")) << "the old item stays on";

    fs::remove_all(folder() / "com.norvane.AerloOffline.desktop");
    LaunchAtLogin::migrateIfNeeded();
    EXPECT_TRUE(Foundation::UserDefaults::standard().boolValue(LaunchAtLogin::migrationKey));
    EXPECT_TRUE(fs::is_regular_file(folder() / "com.norvane.AerloOffline.desktop"));
}
