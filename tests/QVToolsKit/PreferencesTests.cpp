#include "QVToolsKit/QVScrollBarPreferenceManager.h"
#include "QVToolsKit/QVStatusItemPositionManager.h"
#include "tests/QVToolsKit/DefaultsScope.h"

#include <gtest/gtest.h>

using QVToolsKit::QVScrollBarPreferenceManager;
using QVToolsKit::QVStatusItemPositionManager;
using Mode = QVScrollBarPreferenceManager::QVScrollBarMode;

TEST(ScrollBarPreference, ModesComeFromTheirExactTexts)
{
    EXPECT_EQ(QVScrollBarPreferenceManager::makeQVScrollBarMode("WhenScrolling"), Mode::whenScrolling);
    EXPECT_EQ(QVScrollBarPreferenceManager::makeQVScrollBarMode("Always"), Mode::always);
    EXPECT_EQ(QVScrollBarPreferenceManager::makeQVScrollBarMode("Automatic"), Mode::automatic);
    EXPECT_EQ(QVScrollBarPreferenceManager::makeQVScrollBarMode("always"), std::nullopt);
    EXPECT_EQ(QVScrollBarPreferenceManager::makeQVScrollBarMode(""), std::nullopt);
}

TEST(ScrollBarPreference, CurrentModeReadsTheApplicationDomainThenTheGlobalOne)
{
    DefaultsScope scope;
    EXPECT_EQ(QVScrollBarPreferenceManager::currentMode(), Mode::automatic);

    const struct {
        Foundation::PropertyListValue stored;
        Mode mode;
    } cases[] = {
        {"WhenScrolling", Mode::whenScrolling}, {"Always", Mode::always}, {"always", Mode::automatic},
        {"Automatic", Mode::automatic},         {"", Mode::automatic},    {std::int64_t(2), Mode::automatic},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.toJSONText());
        ASSERT_TRUE(scope.standard().set(c.stored, QVScrollBarPreferenceManager::key));
        EXPECT_EQ(QVScrollBarPreferenceManager::currentMode(), c.mode);
    }

    ASSERT_TRUE(scope.standard().removeObject(QVScrollBarPreferenceManager::key));
    scope.writeGlobalDomain({{"AppleShowScrollBars", "Always"}});
    EXPECT_EQ(QVScrollBarPreferenceManager::currentMode(), Mode::always);
    ASSERT_TRUE(scope.standard().set("WhenScrolling", QVScrollBarPreferenceManager::key));
    EXPECT_EQ(QVScrollBarPreferenceManager::currentMode(), Mode::whenScrolling);
}

TEST(ScrollBarPreference, SetAndResetWriteTheApplicationDomainOnly)
{
    DefaultsScope scope;
    scope.writeGlobalDomain({{"AppleShowScrollBars", "WhenScrolling"}});

    EXPECT_TRUE(QVScrollBarPreferenceManager::setMode(Mode::always));
    EXPECT_EQ(QVScrollBarPreferenceManager::currentMode(), Mode::always);
    EXPECT_EQ(scope.standard().dictionaryRepresentation(),
              (Foundation::PropertyListValue::Dictionary {{"AppleShowScrollBars", "Always"}}));

    EXPECT_TRUE(QVScrollBarPreferenceManager::resetToDefault());
    EXPECT_EQ(QVScrollBarPreferenceManager::currentMode(), Mode::automatic);
    // The key is overwritten, not removed, so the global value stays hidden.
    EXPECT_EQ(scope.standard().dictionaryRepresentation(),
              (Foundation::PropertyListValue::Dictionary {{"AppleShowScrollBars", "Automatic"}}));
    EXPECT_EQ(scope.standard().persistentDomain(Foundation::UserDefaults::globalDomain),
              (Foundation::PropertyListValue::Dictionary {{"AppleShowScrollBars", "WhenScrolling"}}));
}

TEST(StatusItemPosition, RightMostIsExactlyFifty)
{
    DefaultsScope scope;
    EXPECT_FALSE(QVStatusItemPositionManager::isRightMost());

    QVStatusItemPositionManager::setStatusItemToRightMostPosition();
    EXPECT_TRUE(QVStatusItemPositionManager::isRightMost());
    EXPECT_EQ(scope.standard().object(QVStatusItemPositionManager::key),
              Foundation::PropertyListValue(std::int64_t(50)));

    for (const Foundation::PropertyListValue& other :
         {Foundation::PropertyListValue(std::int64_t(49)), Foundation::PropertyListValue(std::int64_t(0)),
          Foundation::PropertyListValue(1250.5)}) {
        ASSERT_TRUE(scope.standard().set(other, QVStatusItemPositionManager::key));
        EXPECT_FALSE(QVStatusItemPositionManager::isRightMost()) << other.toJSONText();
    }
    // A double reads as its integer part, as the defaults convert it.
    ASSERT_TRUE(scope.standard().set(50.9, QVStatusItemPositionManager::key));
    EXPECT_TRUE(QVStatusItemPositionManager::isRightMost());

    QVStatusItemPositionManager::setStatusItemToRightMostPosition();
    QVStatusItemPositionManager::resetStatusItemPosition();
    EXPECT_FALSE(QVStatusItemPositionManager::isRightMost());
    EXPECT_FALSE(scope.standard().object(QVStatusItemPositionManager::key));
}

TEST(StatusItemPosition, AGlobalPositionIsSeenUntilTheApplicationStoresOne)
{
    DefaultsScope scope;
    scope.writeGlobalDomain({{"NSStatusItem Preferred Position Item-0", std::int64_t(50)}});
    EXPECT_TRUE(QVStatusItemPositionManager::isRightMost());
    ASSERT_TRUE(scope.standard().set(std::int64_t(7), QVStatusItemPositionManager::key));
    EXPECT_FALSE(QVStatusItemPositionManager::isRightMost());
    // Removing the application's value uncovers the global one again.
    QVStatusItemPositionManager::resetStatusItemPosition();
    EXPECT_TRUE(QVStatusItemPositionManager::isRightMost());
}
