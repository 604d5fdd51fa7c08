#include "Platform/Foundation/FileWatcher.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <chrono>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using Foundation::FileWatcher;

namespace {

bool holdsWithinASecond(const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

void writeFile(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

class FileWatcherTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(folder_); }

    TempRoot root_;
    std::filesystem::path folder_ = root_.path() / "watched";
    FileWatcher watcher_;
};

} // namespace

TEST_F(FileWatcherTest, AMarkTurnsChangedForEachWayTheFileChanges)
{
    const auto file = folder_ / "a.plist";
    auto mark = watcher_.watch(file);
    ASSERT_TRUE(mark);
    EXPECT_TRUE(mark->changed()); // nothing read yet
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"created", [&] { writeFile(file, "1"); }},
        {"written in place", [&] { std::ofstream(file, std::ios::app) << "2"; }},
        {"attributes", [&] { std::filesystem::permissions(file, std::filesystem::perms::owner_read); }},
        {"replaced by a rename",
         [&] {
             writeFile(folder_ / "a.plist.tmp", "3");
             std::filesystem::rename(folder_ / "a.plist.tmp", file);
         }},
        {"moved away", [&] { std::filesystem::rename(file, folder_ / "b"); }},
        {"moved back", [&] { std::filesystem::rename(folder_ / "b", file); }},
        {"removed", [&] { std::filesystem::remove(file); }},
    };
    for (const auto& [what, change] : changes) {
        mark->clear();
        EXPECT_FALSE(mark->changed()) << what;
        change();
        EXPECT_TRUE(holdsWithinASecond([&] { return mark->changed(); })) << what;
        EXPECT_TRUE(mark->live()) << what;
    }
}

TEST_F(FileWatcherTest, OtherFilesOfTheFolderLeaveTheMarkAlone)
{
    auto mark = watcher_.watch(folder_ / "a.plist");
    auto sentinel = watcher_.watch(folder_ / "sentinel");
    ASSERT_TRUE(mark && sentinel);
    mark->clear();
    sentinel->clear();
    writeFile(folder_ / "a.plist.lock", "");
    writeFile(folder_ / "a.plis", "");
    writeFile(folder_ / "sentinel", "");
    // Events are handled in order: once the sentinel's shows, the others have been handled too.
    ASSERT_TRUE(holdsWithinASecond([&] { return sentinel->changed(); }));
    EXPECT_FALSE(mark->changed());
    // Two marks of one file both turn.
    auto second = watcher_.watch(folder_ / "a.plist");
    second->clear();
    writeFile(folder_ / "a.plist", "");
    EXPECT_TRUE(holdsWithinASecond([&] { return mark->changed() && second->changed(); }));
}

TEST_F(FileWatcherTest, AWatchEndsWithItsFolder)
{
    auto mark = watcher_.watch(folder_ / "a.plist");
    ASSERT_TRUE(mark);
    mark->clear();
    std::filesystem::remove_all(folder_);
    EXPECT_TRUE(holdsWithinASecond([&] { return !mark->live(); }));
    EXPECT_TRUE(mark->changed());
    mark->clear();
    EXPECT_TRUE(mark->changed()); // an ended mark stays changed
    // A missing folder cannot be watched; once it is back, it can.
    EXPECT_FALSE(watcher_.watch(folder_ / "a.plist"));
    std::filesystem::create_directories(folder_);
    EXPECT_TRUE(watcher_.watch(folder_ / "a.plist"));

    const auto moved = root_.path() / "moved";
    auto other = watcher_.watch(folder_ / "a.plist");
    std::filesystem::rename(folder_, moved);
    EXPECT_TRUE(holdsWithinASecond([&] { return !other->live(); }));
}

TEST_F(FileWatcherTest, WithoutInotifyNothingIsWatched)
{
    FileWatcher unavailable(false);
    EXPECT_FALSE(unavailable.watch(folder_ / "a.plist"));
    EXPECT_FALSE(watcher_.watch(root_.path() / "missing" / "a.plist"));
}

TEST_F(FileWatcherTest, AResetOrAForkEndsTheSharedWatchersMarks)
{
    TestAccess::resetForTesting<FileWatcher>();
    auto mark = FileWatcher::shared().watch(folder_ / "a.plist");
    auto running = FileWatcher::shared().watch(folder_ / "running");
    ASSERT_TRUE(mark && running);
    mark->clear();
    // Fork only once the watching thread runs its loop: a thread still starting can hold the sanitizer
    // allocator's lock, which the child would inherit locked.
    running->clear();
    writeFile(folder_ / "running", "");
    ASSERT_TRUE(holdsWithinASecond([&] { return running->changed(); }));
    const pid_t child = fork();
    if (child == 0) {
        // Inherited marks are no longer kept up to date here; a new watch works.
        if (mark->live() || !mark->changed())
            _exit(1);
        auto fresh = FileWatcher::shared().watch(folder_ / "a.plist");
        if (!fresh)
            _exit(2);
        fresh->clear();
        writeFile(folder_ / "a.plist", "child");
        _exit(holdsWithinASecond([&] { return fresh->changed(); }) ? 0 : 3);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    // The parent's watch went on undisturbed.
    EXPECT_TRUE(mark->live());
    EXPECT_TRUE(holdsWithinASecond([&] { return mark->changed(); }));

    TestAccess::resetForTesting<FileWatcher>();
    EXPECT_FALSE(mark->live());
    EXPECT_TRUE(mark->changed());
}
