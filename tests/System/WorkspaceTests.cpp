#include "Platform/Foundation/ToolMap.h"
#include "Platform/System/ProcessURLOpener.h"
#include "Platform/System/Workspace.h"
#include "tests/Support/System/RecordingURLOpener.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using Foundation::ToolMap;
using Foundation::URL;
using namespace SystemPlatform;

namespace {

class WorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override { TestAccess::resetForTesting<ToolMap>(); }
    void TearDown() override
    {
        TestAccess::resetForTesting<ToolMap>();
        TestAccess::resetForTesting<Workspace>();
    }

    // A fake opener program that writes its arguments, one a line, and exits with `status`.
    void installFakeOpener(int status)
    {
        const auto path = folder_.path() / "xdg-open";
        std::ofstream(path) << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" << record().string() << "'\nexit "
                            << status << "\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        ToolMap::set(ProcessURLOpener::defaultProgram, path.string());
    }
    std::filesystem::path record() const { return folder_.path() / "arguments"; }
    std::string recorded() const
    {
        std::stringstream text;
        text << std::ifstream(record()).rdbuf();
        return text.str();
    }

    TempRoot folder_;
};

} // namespace

TEST_F(WorkspaceTest, DefaultOpenerRunsTheMappedOpenerProgramWithTheAddress)
{
    installFakeOpener(0);
    Workspace workspace;
    EXPECT_TRUE(workspace.open(*URL::string("https://example.com/a?b=c&d")));
    EXPECT_EQ(recorded(), "https://example.com/a?b=c&d\n");
}

TEST_F(WorkspaceTest, DefaultOpenerAnswersFalseWhenTheProgramFailsOrIsMissing)
{
    installFakeOpener(3);
    EXPECT_FALSE(Workspace().open(*URL::string("https://example.com")));

    ToolMap::set(ProcessURLOpener::defaultProgram, "");
    EXPECT_FALSE(Workspace().open(*URL::string("https://example.com")));
}

TEST_F(WorkspaceTest, DefaultOpenerRefusesTextsThatLookLikeOptions)
{
    installFakeOpener(0);
    EXPECT_FALSE(Workspace().open(*URL::string("--help")));
    EXPECT_FALSE(std::filesystem::exists(record()));
}

TEST_F(WorkspaceTest, SharedWorkspaceUsesTheInstalledRecorder)
{
    auto recorder = std::make_shared<RecordingURLOpener>(false);
    TestAccess::resetForTesting<Workspace>(recorder);
    EXPECT_FALSE(Workspace::shared().open(*URL::string("https://a.example")));
    recorder->setAnswer(true);
    EXPECT_TRUE(Workspace::shared().open(*URL::string("mailto:x@y")));
    EXPECT_EQ(recorder->openedURLs(), (std::vector<std::string> {"https://a.example", "mailto:x@y"}));

    TestAccess::resetForTesting<Workspace>();
    EXPECT_NE(Workspace::shared().opener(), recorder);
    // Back to the default opener: the mapped program runs.
    installFakeOpener(0);
    EXPECT_TRUE(Workspace::shared().open(*URL::string("https://b.example")));
    EXPECT_EQ(recorded(), "https://b.example\n");
}
