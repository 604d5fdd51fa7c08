#include "Platform/System/Workspace.h"
#include "QVToolsKit/QVURLManager.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/System/RecordingURLOpener.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>

using QVToolsKit::QVURLManager;
using SystemPlatform::RecordingURLOpener;
using SystemPlatform::Workspace;

namespace {

class QVURLManagerTest : public ::testing::Test {
protected:
    void SetUp() override { TestAccess::resetForTesting<Workspace>(recorder_); }
    void TearDown() override { TestAccess::resetForTesting<Workspace>(); }

    std::shared_ptr<RecordingURLOpener> recorder_ = std::make_shared<RecordingURLOpener>();
    ConsoleCapture console_;
};

} // namespace

TEST_F(QVURLManagerTest, OpenURLOpensAValidTextUnchanged)
{
    QVURLManager::openURL("https://example.com/support?lang=zh-Hans#top");
    EXPECT_EQ(recorder_->openedURLs(), std::vector<std::string> {"https://example.com/support?lang=zh-Hans#top"});
    EXPECT_EQ(console_.output(), "");
}

TEST_F(QVURLManagerTest, OpenURLPrintsTheInvalidTextAndOpensNothing)
{
    for (const std::string text : {"", " https://example.com", "https://example.com/a b", "https://例子.com"}) {
        console_.clear();
        QVURLManager::openURL(text);
        EXPECT_EQ(console_.output(), "无效的 URL: " + text + "\n");
    }
    EXPECT_TRUE(recorder_->openedURLs().empty());
}

TEST_F(QVURLManagerTest, OpenURLIgnoresTheWorkspacesAnswer)
{
    recorder_->setAnswer(false);
    QVURLManager::openURL("https://example.com");
    EXPECT_EQ(recorder_->openedURLs().size(), 1u);
    EXPECT_EQ(console_.output(), "");
}

TEST_F(QVURLManagerTest, SearchAppendsTheQueryEncodedKeywordToTheBase)
{
    struct Case {
        std::string keyword;
        std::string opened;
    };
    const Case cases[] = {
        {"fan control", "https://s.example/?q=fan%20control"},
        {"a&b=c+d", "https://s.example/?q=a&b=c+d"},
        {"风扇", "https://s.example/?q=%E9%A3%8E%E6%89%87"},
        {"#1", "https://s.example/?q=%231"},
        {"", "https://s.example/?q="},
    };
    for (const auto& c : cases)
        QVURLManager::openSearchURL("https://s.example/?q=", c.keyword);
    std::vector<std::string> expected;
    for (const auto& c : cases)
        expected.push_back(c.opened);
    EXPECT_EQ(recorder_->openedURLs(), expected);
    EXPECT_EQ(console_.output(), "");
}

TEST_F(QVURLManagerTest, SearchWithAnInvalidBaseOrKeywordDoesNothingSilently)
{
    QVURLManager::openSearchURL("https://s.example/?q= ", "fan");
    QVURLManager::openSearchURL("", "");
    QVURLManager::openSearchURL("https://s.example/?q=", "\xFF");
    EXPECT_TRUE(recorder_->openedURLs().empty());
    EXPECT_EQ(console_.output(), "");
}
