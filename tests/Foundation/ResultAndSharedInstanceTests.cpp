#include "Platform/Foundation/Result.h"
#include "Platform/Foundation/SharedInstance.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Foundation::Error;
using Foundation::Result;
using Foundation::SharedInstance;

Result<int> parsePositive(int value)
{
    if (value <= 0)
        return Error("not positive: " + std::to_string(value));
    return value;
}

Result<void> check(bool good)
{
    if (!good)
        return Error("bad");
    return {};
}

TEST(ResultTest, CarriesTheValueOrTheErrorText)
{
    const auto good = parsePositive(4);
    ASSERT_TRUE(good.ok());
    EXPECT_EQ(*good, 4);
    EXPECT_EQ(good.error(), "");

    const auto bad = parsePositive(-2);
    EXPECT_FALSE(bad);
    EXPECT_EQ(bad.error(), "not positive: -2");
    EXPECT_EQ(bad.valueOr(7), 7);

    EXPECT_TRUE(check(true).ok());
    EXPECT_EQ(check(false).error(), "bad");

    // A text value is not mistaken for an error.
    Result<std::string> text = std::string("value");
    EXPECT_TRUE(text.ok());
    EXPECT_EQ(std::move(text).value(), "value");
}

struct Counted {
    static inline int alive = 0;
    static inline int built = 0;
    explicit Counted(int v = 1) : value(v)
    {
        ++alive;
        ++built;
    }
    ~Counted() { --alive; }
    int value;
};

// Each slot is static, as every shared instance is: its lock and maker live for the process.
TEST(SharedInstanceTest, BuildsOnceAndResetsInPlace)
{
    Counted::alive = Counted::built = 0;
    static SharedInstance<Counted> instance;
    EXPECT_FALSE(instance.exists());
    Counted& first = instance.get();
    EXPECT_EQ(&first, &instance.get());
    EXPECT_EQ(Counted::built, 1);

    first.value = 9;
    instance.resetForTesting([](void* s) { new (s) Counted(5); });
    EXPECT_EQ(Counted::alive, 0);
    // The earlier reference still names the one slot: it sees the rebuilt object.
    EXPECT_EQ(&instance.get(), &first);
    EXPECT_EQ(first.value, 5);
    EXPECT_EQ(Counted::alive, 1);

    instance.resetForTesting();
    EXPECT_EQ(instance.get().value, 1);
    for (int i = 0; i < 100; ++i) {
        instance.resetForTesting();
        instance.get();
    }
    EXPECT_EQ(Counted::alive, 1);
    instance.resetForTesting();
    EXPECT_EQ(Counted::alive, 0);
}

TEST(SharedInstanceTest, FirstUseFromManyThreadsBuildsOne)
{
    Counted::alive = Counted::built = 0;
    static SharedInstance<Counted> instance;
    std::vector<std::thread> threads;
    std::vector<Counted*> seen(8);
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&, i] { seen[i] = &instance.get(); });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(Counted::built, 1);
    for (Counted* p : seen)
        EXPECT_EQ(p, seen[0]);
    instance.resetForTesting();
}

TEST(SharedInstanceTest, ReplaceableServiceKeepsOldImplementationAliveForHolders)
{
    static SharedInstance<std::shared_ptr<int>> service([] { return std::make_shared<int>(1); });
    std::shared_ptr<int> held = service.get();
    service.resetForTesting(std::make_shared<int>(2));
    EXPECT_EQ(*held, 1);
    EXPECT_EQ(*service.get(), 2);
    service.resetForTesting();
}

// The last holder's destructor may use the slot again (a client whose handlers reach the shared one).
TEST(SharedInstanceTest, ReplaceableServiceReleasesTheOldObjectOutsideItsLock)
{
    static SharedInstance<std::shared_ptr<std::function<void()>>> slot;
    std::shared_ptr<int> builtAfter;
    auto reentrant = std::shared_ptr<std::function<void()>>(new std::function<void()>, [&](std::function<void()>* f) {
        builtAfter = std::make_shared<int>(slot.get() != nullptr);
        delete f;
    });
    slot.resetForTesting(std::move(reentrant));
    (void)slot.get();
    slot.resetForTesting();
    ASSERT_TRUE(builtAfter);
    EXPECT_EQ(*builtAfter, 1);
    slot.resetForTesting();
}

} // namespace
