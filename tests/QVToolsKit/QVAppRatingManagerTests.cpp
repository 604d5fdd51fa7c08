#include "Platform/Foundation/Bundle.h"
#include "Platform/System/StoreReviewController.h"
#include "Platform/System/Workspace.h"
#include "QVToolsKit/QVAppRatingManager.h"
#include "tests/QVToolsKit/DefaultsScope.h"
#include "tests/QVToolsKit/OperatingSystemVersion.h"
#include "tests/Support/ManualRunLoopDriver.h"
#include "tests/Support/System/RecordingURLOpener.h"
#include "tests/Support/TestAccess.h"

#include <fstream>
#include <gtest/gtest.h>

using QVToolsKit::QVAppRatingManager;
using SystemPlatform::StoreReviewController;
namespace fs = std::filesystem;

namespace {

constexpr double day = 86400;

class RatingPrompt : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(bundle() / "Contents");
        Foundation::Bundle::setMainBundlePath(bundle());
        TestAccess::resetForTesting<StoreReviewController>();
        TestAccess::resetForTesting<SystemPlatform::Workspace>(recorder_);
    }
    void TearDown() override
    {
        TestAccess::resetForTesting<SystemPlatform::Workspace>();
        Foundation::Bundle::setMainBundlePath({});
    }

    fs::path bundle() const { return defaults_.root().path() / "Store.app"; }
    void addReceipt() const
    {
        fs::create_directories(bundle() / "Contents/_MASReceipt");
        std::ofstream(bundle() / "Contents/_MASReceipt/receipt") << "receipt";
    }
    static Foundation::UserDefaults& standard() { return DefaultsScope::standard(); }
    static std::int64_t count() { return standard().integer(QVAppRatingManager::execCountKey); }
    static double lastShow() { return standard().doubleValue(QVAppRatingManager::lastShowTimeKey); }
    static double firstLaunch() { return standard().doubleValue(QVAppRatingManager::firstLaunchTimeKey); }

    DefaultsScope defaults_;
    Foundation::ManualRunLoopDriver driver_;
    OperatingSystemVersion version_ {"15.0"};
    std::shared_ptr<SystemPlatform::RecordingURLOpener> recorder_ =
        std::make_shared<SystemPlatform::RecordingURLOpener>();
};

} // namespace

TEST_F(RatingPrompt, WithoutAReceiptNothingIsCountedOrStored)
{
    for (int i = 0; i < 3; ++i)
        QVAppRatingManager::showWith("123", 1, 0, 0, 0);
    driver_.advance(10);
    EXPECT_TRUE(standard().dictionaryRepresentation().empty());
    EXPECT_EQ(StoreReviewController::requestCount(), 0u);

    fs::create_directories(bundle() / "Contents/_MASReceipt/receipt"); // a folder is no receipt file either
    QVAppRatingManager::showWith("123", 1, 0, 0, 0);
    EXPECT_EQ(count(), 1);
}

TEST_F(RatingPrompt, TheFirstCallSchedulesThePromptWhenTheThresholdsAllow)
{
    addReceipt();
    const double start = driver_.clock().wallTime();
    QVAppRatingManager::showWith("123", 1, 0, 0, 2.5);
    EXPECT_EQ(firstLaunch(), start);
    EXPECT_EQ(count(), 1);
    driver_.advance(2.4);
    EXPECT_EQ(StoreReviewController::requestCount(), 0u); // not before the delay
    EXPECT_EQ(count(), 1);
    driver_.advance(0.1);
    EXPECT_EQ(StoreReviewController::requestCount(), 1u);
    // The step resets the count and stores the moment it was due.
    EXPECT_EQ(count(), 0);
    EXPECT_EQ(lastShow(), start + 2.5);
    EXPECT_TRUE(recorder_->openedURLs().empty());
}

TEST_F(RatingPrompt, AMinimumOfThreePromptsOnTheThirdAndSixthCall)
{
    addReceipt();
    std::vector<int> promptedAfter;
    for (int call = 1; call <= 7; ++call) {
        QVAppRatingManager::showWith("123", 3, 0, 0, 1);
        const auto before = StoreReviewController::requestCount();
        driver_.advance(1);
        if (StoreReviewController::requestCount() > before)
            promptedAfter.push_back(call);
    }
    EXPECT_EQ(promptedAfter, (std::vector<int> {3, 6}));
    EXPECT_EQ(count(), 1);
}

TEST_F(RatingPrompt, TheDaysSinceTheFirstLaunchAndTheLastPromptMustHavePassed)
{
    addReceipt();
    QVAppRatingManager::showWith("123", 1, 2, 30, 0);
    driver_.advance(1);
    EXPECT_EQ(StoreReviewController::requestCount(), 0u);
    driver_.advance(2 * day);
    QVAppRatingManager::showWith("123", 1, 2, 30, 0);
    driver_.runUntilIdle();
    EXPECT_EQ(StoreReviewController::requestCount(), 1u);
    const double shown = lastShow();

    // Within 30 days of the last prompt: nothing, however many calls.
    for (int i = 0; i < 10; ++i) {
        driver_.advance(2.9 * day);
        QVAppRatingManager::showWith("123", 1, 2, 30, 0);
        driver_.runUntilIdle();
    }
    EXPECT_EQ(StoreReviewController::requestCount(), 1u);
    EXPECT_EQ(count(), 10);
    driver_.advance(shown + 30 * day - driver_.clock().wallTime() + 0.001);
    QVAppRatingManager::showWith("123", 1, 2, 30, 0);
    driver_.runUntilIdle();
    EXPECT_EQ(StoreReviewController::requestCount(), 2u);
}

TEST_F(RatingPrompt, AStoredFirstLaunchOfZeroIsReplaced)
{
    addReceipt();
    ASSERT_TRUE(standard().set(0.0, QVAppRatingManager::firstLaunchTimeKey));
    ASSERT_TRUE(standard().set(std::int64_t(4), QVAppRatingManager::execCountKey));
    QVAppRatingManager::showWith("123", 99, 0, 0, 0);
    EXPECT_EQ(firstLaunch(), driver_.clock().wallTime());
    EXPECT_EQ(count(), 5);
    const double kept = firstLaunch();
    driver_.advance(day);
    QVAppRatingManager::showWith("123", 99, 0, 0, 0);
    EXPECT_EQ(firstLaunch(), kept);
}

TEST_F(RatingPrompt, Below15TheWriteReviewPageIsOpened)
{
    addReceipt();
    OperatingSystemVersion older("14.7");
    QVAppRatingManager::showWith("1234567", 1, 0, 0, 0);
    QVAppRatingManager::showWith("no id", 1, 0, 0, 0); // not a URL: nothing is opened
    driver_.runUntilIdle();
    EXPECT_EQ(recorder_->openedURLs(),
              std::vector<std::string> {"itms-apps://apps.apple.com/app/id1234567?action=write-review"});
    EXPECT_EQ(StoreReviewController::requestCount(), 0u);
    EXPECT_EQ(count(), 0);
}

TEST_F(RatingPrompt, TwoCallsWithinOneDelayScheduleTwoSteps)
{
    addReceipt();
    QVAppRatingManager::showWith("123", 1, 0, 0, 5);
    driver_.advance(1);
    QVAppRatingManager::showWith("123", 1, 0, 0, 5);
    driver_.advance(10);
    EXPECT_EQ(StoreReviewController::requestCount(), 2u);
}
