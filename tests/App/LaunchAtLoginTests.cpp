#include "Classes/App/LaunchAtLogin.h"
#include "Classes/App/SessionLoginItemService.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/Process.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/System/AppService.h"
#include "Platform/System/AutostartFolder.h"
#include "Platform/System/DesktopEntry.h"
#include "tests/QVToolsKit/OperatingSystemVersion.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

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
        writeFile(
            bundle / "Contents/Info.json",
            R"({"CFBundleExecutable": "Aerlo", "CFBundleIdentifier": "com.norvane.AerloOffline", "CFBundleName": "Aerlo"})");
        writeFile(bundle / "Contents/MacOS/Aerlo", "");
        const fs::path helper = bundle / "Contents/Library/LoginItems/AerloControlHelper.app/Contents";
        writeFile(helper / "Info.json",
                  R"({"CFBundleExecutable": "AerloControlHelper", )"
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
    EXPECT_EQ(entry->execArguments(), std::vector<std::string> {(bundle_ / "Contents/MacOS/Aerlo").string()});
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
    writeFile(folder() / "b.desktop",
              entryFor((root_.path() / "Apps/./x/../Aerlo Test.app/Contents/MacOS/Aerlo").string()));
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
    EXPECT_EQ(entry->execArguments(), std::vector<std::string> {(bundle_ / "Contents/MacOS/Aerlo").string()});
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
    writeFile(
        folder() / "com.norvane.AerloOfflineHelper.desktop",
        entryFor((bundle_ / "Contents/Library/LoginItems/AerloControlHelper.app/Contents/MacOS/AerloControlHelper")
                     .string()));
    // The main entry cannot be written: every name it may take holds another program's entry.
    std::vector<fs::path> taken;
    for (int suffix = 1; suffix <= SystemPlatform::AutostartFolder::maximumNameSuffix; ++suffix) {
        taken.push_back(
            folder() / ("com.norvane.AerloOffline" + (suffix == 1 ? "" : "-" + std::to_string(suffix)) + ".desktop"));
        writeFile(taken.back(), entryFor("/usr/bin/other"));
    }
    LaunchAtLogin::migrateIfNeeded();
    const auto lines = console_.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("failed to enable launch at login: ", 0), 0u) << lines[0];
    EXPECT_FALSE(Foundation::UserDefaults::standard().object(LaunchAtLogin::migrationKey));
    EXPECT_TRUE(fs::exists(folder() / "com.norvane.AerloOfflineHelper.desktop")) << "the old item stays on";

    for (const fs::path& entry : taken)
        fs::remove(entry);
    LaunchAtLogin::migrateIfNeeded();
    EXPECT_TRUE(Foundation::UserDefaults::standard().boolValue(LaunchAtLogin::migrationKey));
    EXPECT_TRUE(fs::is_regular_file(folder() / "com.norvane.AerloOffline.desktop"));
}

TEST_F(LoginItems, EntriesGoToTheSessionsAutostartFolderAndNotUnderTheRoot)
{
    ::OperatingSystemVersion system("14.5");
    LaunchAtLogin::setEnabled(true);
    EXPECT_TRUE(fs::is_regular_file(root_.configHome() / "autostart/com.norvane.AerloOffline.desktop"));
    EXPECT_TRUE(LaunchAtLogin::isEnabled());
    EXPECT_FALSE(fs::exists(Foundation::Paths::home() / ".config")) << "no session reads the stand-in home";
}

TEST_F(LoginItems, SwitchingOffAndOnLeavesAUsersOwnEntryOfTheSameName)
{
    ::OperatingSystemVersion system("14.5");
    const fs::path theirs = folder() / "com.norvane.AerloOffline.desktop";
    writeFile(theirs, entryFor("/usr/bin/other", "Comment=mine\n"));
    const std::string before = folderContents(folder()).at(theirs.filename().string());
    EXPECT_FALSE(LaunchAtLogin::isEnabled());
    EXPECT_TRUE(LaunchAtLogin::setUsingAppService(false));
    EXPECT_EQ(folderContents(folder()), (std::map<std::string, std::string> {{theirs.filename().string(), before}}));

    EXPECT_TRUE(LaunchAtLogin::setUsingAppService(true));
    EXPECT_TRUE(LaunchAtLogin::isEnabled());
    const auto ours = DesktopEntry::read(folder() / "com.norvane.AerloOffline-2.desktop");
    ASSERT_TRUE(ours) << "written beside theirs";
    EXPECT_EQ(ours->execArguments(), std::vector<std::string> {(bundle_ / "Contents/MacOS/Aerlo").string()});
    EXPECT_EQ(folderContents(folder()).at(theirs.filename().string()), before);

    EXPECT_TRUE(LaunchAtLogin::setUsingAppService(false));
    EXPECT_FALSE(LaunchAtLogin::isEnabled());
    EXPECT_EQ(folderContents(folder()), (std::map<std::string, std::string> {{theirs.filename().string(), before}}));
    EXPECT_EQ(console_.output(), "");
}

TEST_F(LoginItems, TheHelpersStateIsThatOfItsOwnEntryOnly)
{
    const fs::path helper =
        bundle_ / "Contents/Library/LoginItems/AerloControlHelper.app/Contents/MacOS/AerloControlHelper";
    writeFile(folder() / "com.norvane.AerloOfflineHelper.desktop", entryFor("/usr/bin/other"));
    EXPECT_FALSE(LaunchAtLogin::legacyIsEnabled()) << "another program's entry under the helper's name";
    writeFile(folder() / "com.norvane.AerloOfflineHelper-2.desktop", entryFor(helper.string(), "Hidden=true\n"));
    EXPECT_FALSE(LaunchAtLogin::legacyIsEnabled()) << "switched off by the desktop";
    writeFile(folder() / "com.norvane.AerloOfflineHelper-2.desktop", entryFor(helper.string()));
    EXPECT_TRUE(LaunchAtLogin::legacyIsEnabled());
}

TEST_F(LoginItems, AnUnreadableEntryOfOursGetsOneLineAndLaunchAtLoginWorksBesideIt)
{
    ::OperatingSystemVersion system("14.5");
    const fs::path damaged = folder() / "com.norvane.AerloOffline.desktop";
    writeFile(damaged, std::string("[Desktop Entry]\nExec=\"") + '\0' + "\n");
    const fs::path device = folder() / "com.norvane.AerloOffline-2.desktop";
    ASSERT_EQ(::mkfifo((root_.path() / "fifo").c_str(), 0600), 0);
    fs::create_symlink(root_.path() / "fifo", device);

    EXPECT_TRUE(LaunchAtLogin::setUsingAppService(true));
    EXPECT_TRUE(LaunchAtLogin::isEnabled());
    EXPECT_TRUE(DesktopEntry::read(folder() / "com.norvane.AerloOffline-3.desktop"));
    const auto lines = console_.lines();
    ASSERT_EQ(lines.size(), 2u) << console_.output();
    EXPECT_EQ(lines[0], "The autostart entry \"" + damaged.string()
                            + "\" cannot be read (damaged, or not a regular file); it is left as it is.");
    EXPECT_NE(lines[1].find("\"" + device.string() + "\" cannot be read"), std::string::npos) << lines[1];

    EXPECT_TRUE(LaunchAtLogin::setUsingAppService(false));
    EXPECT_FALSE(LaunchAtLogin::isEnabled());
    EXPECT_TRUE(fs::is_regular_file(damaged));
    EXPECT_TRUE(fs::is_symlink(device));
    EXPECT_FALSE(fs::exists(folder() / "com.norvane.AerloOffline-3.desktop"));
    EXPECT_EQ(console_.lines().size(), 2u) << "one line each, however often the folder is read";
}

TEST_F(LoginItems, TheSettingsPaneAddsBesideAnUnreadableEntryOfOursWithOneLine)
{
    const fs::path damaged = folder() / "com.norvane.AerloOffline.desktop";
    writeFile(damaged, "\x01\xff not an entry");
    EXPECT_TRUE(items_.add(bundle_.string()));
    EXPECT_TRUE(items_.find(bundle_.string()));
    EXPECT_TRUE(DesktopEntry::read(folder() / "com.norvane.AerloOffline-2.desktop"));
    ASSERT_EQ(console_.lines().size(), 1u) << console_.output();
    EXPECT_NE(console_.lines()[0].find(damaged.string()), std::string::npos) << console_.lines()[0];
    EXPECT_TRUE(items_.remove(bundle_.string()));
    EXPECT_TRUE(fs::is_regular_file(damaged)) << "left as it is";
}

// The session's own reader: systemd's autostart generator, which desktops on systemd start their login items
// with, finds the entry in XDG_CONFIG_HOME/autostart and starts our executable; the entry is a valid desktop file.
TEST_F(LoginItems, TheSessionsAutostartGeneratorStartsTheWrittenEntry)
{
    ::OperatingSystemVersion system("14.5");
    fs::permissions(bundle_ / "Contents/MacOS/Aerlo", fs::perms::owner_all);
    ASSERT_TRUE(LaunchAtLogin::setUsingAppService(true));
    const fs::path entry = folder() / "com.norvane.AerloOffline.desktop";

    const fs::path units = root_.path() / "units";
    fs::create_directories(units);
    Foundation::ProcessOptions options;
    options.environmentOverrides = {{"XDG_CONFIG_DIRS", (root_.path() / "no-system-config").string()},
                                    {"SYSTEMD_LOG_LEVEL", "debug"}};
    const auto generated = Foundation::Process::run("/usr/lib/systemd/user-generators/systemd-xdg-autostart-generator",
                                                    {units.string(), units.string(), units.string()}, options);
    ASSERT_TRUE(generated.launched) << generated.launchError;
    EXPECT_EQ(generated.status, 0) << generated.stderr_;
    std::ifstream unit(units / "app-com.norvane.AerloOffline@autostart.service");
    const std::string text(std::istreambuf_iterator<char>(unit), {});
    EXPECT_NE(text.find("SourcePath=" + entry.string() + "\n"), std::string::npos) << text << generated.stderr_;
    EXPECT_NE(text.find("ExecStart=:\"" + (bundle_ / "Contents/MacOS/Aerlo").string() + "\"\n"), std::string::npos)
        << text;

    const auto validated = Foundation::Process::run("/usr/bin/desktop-file-validate", {entry.string()});
    ASSERT_TRUE(validated.launched) << validated.launchError;
    EXPECT_EQ(validated.status, 0) << validated.stdout_ << validated.stderr_;
    EXPECT_EQ(validated.stdout_, "");
}
