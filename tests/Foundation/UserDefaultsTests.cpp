#include "Platform/Foundation/FileWatcher.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/UserDefaults.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using Foundation::PropertyListValue;
using Foundation::UserDefaults;

namespace {

constexpr const char* testSuite = "com.norvane.AerloOffline.tests";

class UserDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override { TestAccess::resetForTesting<UserDefaults>(); }
    void TearDown() override { TestAccess::resetForTesting<UserDefaults>(); }

    UserDefaults& suite() { return *UserDefaults::suite(testSuite); }

    TempRoot root_;
};

// Runs `body` in a forked child that exits without unwinding; returns the child's exit status.
pid_t spawn(const std::function<int()>& body)
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(body());
    return pid;
}

int waitFor(pid_t pid)
{
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

int runInChild(const std::function<int()>& body) { return waitFor(spawn(body)); }

// Asks `condition` again and again until it holds (true) or `limit` has passed (false).
bool holdsWithin(std::chrono::milliseconds limit, const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

constexpr std::chrono::seconds aSecond {1};

std::filesystem::path withTemporarySuffix(const std::filesystem::path& file) { return file.string() + ".by-hand"; }

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::vector<std::filesystem::path> filesStartingWith(const std::filesystem::path& folder, const std::string& prefix)
{
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().starts_with(prefix))
            found.push_back(entry.path());
    return found;
}

const PropertyListValue::Dictionary& sampleOfEveryType()
{
    static const PropertyListValue::Dictionary sample = {
        {"bool", true},
        {"integer", std::int64_t {-9000000000}},
        {"double", 0.1},
        {"wholeDouble", 2.0},
        {"string", "风扇 fan"},
        {"data", PropertyListValue::Data {0, 1, 0xfe, 0xff, '\n'}},
        {"date", PropertyListValue::Date {1735689600.5}},
        {"array", PropertyListValue::Array {1, "a", false}},
        {"dictionary", PropertyListValue::Dictionary {{"inner", PropertyListValue::Array {}}}},
    };
    return sample;
}

} // namespace

TEST_F(UserDefaultsTest, EveryTypeWrittenByOneProcessIsReadByAnother)
{
    EXPECT_FALSE(suite().object("bool")); // read (and cached) before the other process writes
    ASSERT_EQ(runInChild([] {
                  for (const auto& [key, value] : sampleOfEveryType())
                      if (!UserDefaults::suite(testSuite)->set(value, key))
                          return 1;
                  return 0;
              }),
              0);
    // The earlier read is cached; the watch tells this process that the file changed.
    ASSERT_TRUE(holdsWithin(aSecond, [this] { return suite().dictionaryRepresentation() == sampleOfEveryType(); }));
    for (const auto& [key, value] : sampleOfEveryType()) {
        const auto stored = suite().object(key);
        ASSERT_TRUE(stored) << key;
        EXPECT_EQ(*stored, value) << key;
    }
    EXPECT_EQ(suite().dictionaryRepresentation(), sampleOfEveryType());
    EXPECT_EQ(suite().date("date")->secondsSince1970, 1735689600.5);
    EXPECT_FALSE(suite().date("double"));
    EXPECT_EQ(suite().doubleValue("wholeDouble"), 2.0);
    EXPECT_EQ(suite().object("wholeDouble")->type(), PropertyListValue::Type::real);
    EXPECT_EQ(suite().data("data"), (PropertyListValue::Data {0, 1, 0xfe, 0xff, '\n'}));
    EXPECT_EQ(suite().array("array")->size(), 3u);
    EXPECT_TRUE(suite().dictionary("dictionary")->contains("inner"));

    // Two rewrites of the same size in quick succession (the second may even get the first file's inode back):
    // the next read still sees the last one.
    ASSERT_EQ(runInChild([] {
                  UserDefaults& defaults = *UserDefaults::suite(testSuite);
                  return defaults.set(std::int64_t {-9000000001}, "integer")
                                 && defaults.set(std::int64_t {-9000000002}, "integer")
                             ? 0
                             : 1;
              }),
              0);
    EXPECT_TRUE(holdsWithin(aSecond, [this] { return suite().integer("integer") == -9000000002; }));
    ASSERT_EQ(runInChild([] { return UserDefaults::suite(testSuite)->removeObject("string") ? 0 : 1; }), 0);
    EXPECT_TRUE(holdsWithin(aSecond, [this] { return !suite().object("string"); }));
}

TEST_F(UserDefaultsTest, TwoProcessesWritingDifferentKeysLoseNeither)
{
    constexpr int writes = 150;
    const auto writer = [](char prefix) {
        return [prefix] {
            UserDefaults& defaults = *UserDefaults::suite(testSuite);
            for (int i = 0; i < writes; ++i)
                if (!defaults.set(i, std::string(1, prefix) + std::to_string(i)))
                    return 1;
            return 0;
        };
    };
    const pid_t first = spawn(writer('a'));
    const pid_t second = spawn(writer('b'));
    ASSERT_EQ(waitFor(first), 0);
    ASSERT_EQ(waitFor(second), 0);
    const auto all = suite().dictionaryRepresentation();
    EXPECT_EQ(all.size(), 2u * writes);
    for (int i = 0; i < writes; ++i) {
        EXPECT_EQ(suite().integer("a" + std::to_string(i)), i);
        EXPECT_EQ(suite().integer("b" + std::to_string(i)), i);
    }
}

TEST_F(UserDefaultsTest, ThreadsWritingAndReadingOneSuiteLoseNothing)
{
    constexpr int writes = 40;
    std::atomic<bool> done {false};
    std::thread reader([&] {
        while (!done) {
            const auto all = suite().dictionaryRepresentation();
            for (const auto& [key, value] : all)
                ASSERT_TRUE(value.asInteger()) << key;
        }
    });
    std::vector<std::thread> writers;
    for (int t = 0; t < 3; ++t)
        writers.emplace_back([&, t] {
            for (int i = 0; i < writes; ++i)
                suite().set(i, std::to_string(t) + "-" + std::to_string(i));
        });
    for (auto& thread : writers)
        thread.join();
    done = true;
    reader.join();
    EXPECT_EQ(suite().dictionaryRepresentation().size(), 3u * writes);
}

TEST_F(UserDefaultsTest, CorruptFileIsSetAsideWithOneLineAndTheSuiteStartsEmpty)
{
    const std::vector<std::string> damaged = {
        "{\"t\":\"dict\",\"v\":{\"a\":", // cut short
        "", // empty
        "<?xml version=\"1.0\"?><plist/>",
        R"({"t":"array","v":[]})", // well-formed, but not a dictionary
        R"({"t":"dict","v":{"a":{"t":"int","v":1.5}}})",
        std::string(R"({"t":"dict","v":{"a":{"t":"int","v":1}}})") + '\0' + "and the rest", // a NUL byte
        R"({"t":"dict","v":{"a":{"t":"int","v":1}}}{"t":"dict","v":{}})", // data after the value
    };
    for (const bool viaWrite : {false, true}) {
        for (const auto& text : damaged) {
            const auto file = suite().filePath();
            const auto folder = file.parent_path();
            std::filesystem::create_directories(folder);
            for (const auto& old : filesStartingWith(folder, file.filename().string() + ".corrupt-"))
                std::filesystem::remove(old);
            writeFile(file, text);
            ConsoleCapture capture;
            if (viaWrite) {
                EXPECT_TRUE(suite().set("kept", "new"));
                EXPECT_EQ(suite().dictionaryRepresentation(), (PropertyListValue::Dictionary {{"new", "kept"}}));
            } else {
                EXPECT_FALSE(suite().object("a"));
                EXPECT_TRUE(suite().dictionaryRepresentation().empty());
                EXPECT_FALSE(suite().boolValue("a"));
                EXPECT_TRUE(suite().synchronize());
            }
            const auto aside = filesStartingWith(folder, file.filename().string() + ".corrupt-");
            ASSERT_EQ(aside.size(), 1u) << text;
            EXPECT_EQ(readFile(aside.front()), text);
            const auto lines = capture.lines();
            ASSERT_EQ(lines.size(), 1u) << text;
            EXPECT_EQ(lines.front(), "The defaults file \"" + file.string() + "\" of suite \"" + testSuite
                                         + "\" was damaged and has been moved to \"" + aside.front().string()
                                         + "\"; the suite starts empty.");
            EXPECT_EQ(std::filesystem::exists(file), viaWrite);
        }
    }
}

TEST_F(UserDefaultsTest, CorruptFileFoundByAnotherProcessIsSetAsideOnce)
{
    const auto file = suite().filePath();
    ASSERT_TRUE(suite().set(1, "old"));
    EXPECT_EQ(suite().integer("old"), 1);
    writeFile(file, "garbage");
    ConsoleCapture capture;
    // The child inherits this process's cache, yet checks the file.
    ASSERT_EQ(runInChild([] { return UserDefaults::suite(testSuite)->object("old") ? 1 : 0; }), 0);
    EXPECT_TRUE(suite().synchronize());
    EXPECT_FALSE(suite().object("old")); // the file is gone now: nothing left to report here
    EXPECT_TRUE(capture.lines().empty());
    EXPECT_EQ(filesStartingWith(file.parent_path(), file.filename().string() + ".corrupt-").size(), 1u);
}

TEST_F(UserDefaultsTest, TypedReadsFollowThePlatformConversions)
{
    struct Row {
        PropertyListValue stored;
        bool asBool;
        std::int64_t asInteger;
        double asDouble;
        std::optional<std::string> asString;
    };
    const std::int64_t max = std::numeric_limits<std::int64_t>::max();
    const std::vector<Row> table = {
        {true, true, 1, 1.0, "1"},
        {false, false, 0, 0.0, "0"},
        {42, true, 42, 42.0, "42"},
        {0, false, 0, 0.0, "0"},
        {-7, true, -7, -7.0, "-7"},
        {3.9, true, 3, 3.9, "3.9"},
        {-3.9, true, -3, -3.9, "-3.9"},
        {0.25, true, 0, 0.25, "0.25"},
        {0.0, false, 0, 0.0, "0"},
        {1e30, true, max, 1e30, "1e+30"},
        {"1", true, 1, 1.0, "1"},
        {"42", true, 42, 42.0, "42"},
        {" 42 ", true, 42, 42.0, " 42 "},
        {"+5", true, 5, 5.0, "+5"},
        {"-12", true, -12, -12.0, "-12"},
        {"0", false, 0, 0.0, "0"},
        {"2.75", true, 2, 2.75, "2.75"},
        {"1e3", true, 1000, 1000.0, "1e3"},
        {"YES", true, 0, 0.0, "YES"},
        {"yes", true, 0, 0.0, "yes"},
        {"true", true, 0, 0.0, "true"},
        {"TRUE", true, 0, 0.0, "TRUE"},
        {"NO", false, 0, 0.0, "NO"},
        {"false", false, 0, 0.0, "false"},
        {"abc", false, 0, 0.0, "abc"},
        {"12abc", false, 0, 0.0, "12abc"},
        {"nan", false, 0, 0.0, "nan"},
        {"inf", false, 0, 0.0, "inf"},
        {"", false, 0, 0.0, ""},
        {PropertyListValue::Data {'1'}, false, 0, 0.0, std::nullopt},
        {PropertyListValue::Date {5.0}, false, 0, 0.0, std::nullopt},
        {PropertyListValue::Array {1}, false, 0, 0.0, std::nullopt},
        {PropertyListValue::Dictionary {{"a", 1}}, false, 0, 0.0, std::nullopt},
    };
    for (size_t i = 0; i < table.size(); ++i) {
        const Row& row = table[i];
        const std::string key = "key" + std::to_string(i);
        ASSERT_TRUE(suite().set(row.stored, key));
        const std::string label = key + " " + row.stored.toJSONText();
        EXPECT_EQ(suite().boolValue(key), row.asBool) << label;
        EXPECT_EQ(suite().integer(key), row.asInteger) << label;
        EXPECT_EQ(suite().doubleValue(key), row.asDouble) << label;
        EXPECT_EQ(suite().string(key), row.asString) << label;
        EXPECT_EQ(suite().object(key), row.stored) << label;
        EXPECT_EQ(UserDefaults::boolReading(row.stored), row.asBool) << label;
        EXPECT_EQ(UserDefaults::integerReading(row.stored), row.asInteger) << label;
    }
    ASSERT_TRUE(suite().set(-1e30, "negativeHuge"));
    EXPECT_EQ(suite().integer("negativeHuge"), std::numeric_limits<std::int64_t>::min());
    // Typed reads other than the scalar ones never convert.
    ASSERT_TRUE(suite().set("AAEC", "text"));
    EXPECT_FALSE(suite().data("text"));
    EXPECT_FALSE(suite().array("text"));
    EXPECT_FALSE(suite().dictionary("text"));
    EXPECT_FALSE(suite().date("text"));
    ASSERT_TRUE(suite().set(5.0, "number"));
    EXPECT_FALSE(suite().date("number"));
}

TEST_F(UserDefaultsTest, AbsentKeyIsToldFromStoredZeroAndReadsAsEmpty)
{
    EXPECT_FALSE(suite().object("flag"));
    EXPECT_FALSE(suite().boolValue("flag"));
    EXPECT_EQ(suite().integer("flag"), 0);
    EXPECT_EQ(suite().doubleValue("flag"), 0.0);
    EXPECT_FALSE(suite().string("flag"));
    EXPECT_FALSE(suite().data("flag"));
    EXPECT_FALSE(suite().array("flag"));
    EXPECT_FALSE(suite().dictionary("flag"));
    EXPECT_FALSE(suite().date("flag"));
    EXPECT_FALSE(std::filesystem::exists(suite().filePath())); // reading creates nothing

    ASSERT_TRUE(suite().set(false, "flag"));
    ASSERT_TRUE(suite().set(0, "count"));
    EXPECT_EQ(suite().object("flag"), PropertyListValue(false));
    EXPECT_EQ(suite().object("count"), PropertyListValue(0));
}

TEST_F(UserDefaultsTest, RemoveAndNullValueDeleteTheKeyForEveryone)
{
    ASSERT_TRUE(suite().set(3, "fan_0_mode"));
    ASSERT_TRUE(suite().set(4, "fan_1_mode"));
    ASSERT_TRUE(suite().removeObject("fan_0_mode"));
    ASSERT_TRUE(suite().set(PropertyListValue(), "fan_1_mode"));
    EXPECT_TRUE(suite().removeObject("never-written"));
    EXPECT_FALSE(suite().object("fan_0_mode"));
    EXPECT_FALSE(suite().object("fan_1_mode"));
    EXPECT_EQ(runInChild([] {
                  const auto& defaults = *UserDefaults::suite(testSuite);
                  return defaults.dictionaryRepresentation().empty() ? 0 : 1;
              }),
              0);
}

TEST_F(UserDefaultsTest, NonFiniteNumbersAreRefusedAndTheOldValueKept)
{
    ASSERT_TRUE(suite().set(1.5, "speed"));
    const std::string before = readFile(suite().filePath());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<PropertyListValue> refused = {
        nan,
        inf,
        -inf,
        PropertyListValue::Date {inf},
        PropertyListValue::Array {1.0, nan},
        PropertyListValue::Dictionary {{"x", -inf}},
    };
    for (const auto& value : refused) {
        ConsoleCapture capture;
        EXPECT_FALSE(suite().set(value, "speed"));
        EXPECT_EQ(capture.lines(),
                  (std::vector<std::string> {"Refused to store a non-finite number under \"speed\" in suite \""
                                             + std::string(testSuite) + "\"; the previous value is kept."}));
        EXPECT_EQ(suite().object("speed"), PropertyListValue(1.5));
    }
    EXPECT_EQ(readFile(suite().filePath()), before);
}

TEST_F(UserDefaultsTest, ObserversHearSetsAndRemovesOfTheirKeyUntilTheTokenGoes)
{
    std::vector<std::pair<std::string, std::optional<PropertyListValue>>> heard;
    auto token = suite().addObserver(
        "temperatureUnitIndex", [&](const std::string& key, const auto& value) { heard.emplace_back(key, value); });
    ASSERT_TRUE(suite().set(1, "temperatureUnitIndex"));
    ASSERT_TRUE(suite().set(1, "isFansSync"));
    ASSERT_TRUE(suite().removeObject("temperatureUnitIndex"));
    {
        ConsoleCapture capture;
        EXPECT_FALSE(suite().set(std::numeric_limits<double>::quiet_NaN(), "temperatureUnitIndex")); // not heard
    }
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].first, "temperatureUnitIndex");
    EXPECT_EQ(heard[0].second, PropertyListValue(1));
    EXPECT_EQ(heard[1].second, std::nullopt);

    // A moved token still owns the registration.
    UserDefaults::ObserverToken moved = std::move(token);
    ASSERT_TRUE(suite().set(2, "temperatureUnitIndex"));
    EXPECT_EQ(heard.size(), 3u);
    {
        UserDefaults::ObserverToken gone = std::move(moved);
    }
    ASSERT_TRUE(suite().set(3, "temperatureUnitIndex"));
    EXPECT_EQ(heard.size(), 3u);
    // The callback may read the suite: the write is complete when it runs.
    int seen = -1;
    auto reader = suite().addObserver(
        "k", [&](const std::string& key, const auto&) { seen = static_cast<int>(suite().integer(key)); });
    ASSERT_TRUE(suite().set(9, "k"));
    EXPECT_EQ(seen, 9);
}

TEST_F(UserDefaultsTest, SuitesAreSeparateFilesUnderPreferences)
{
    EXPECT_EQ(UserDefaults::standardSuiteName(), "com.norvane.AerloOffline");
    EXPECT_EQ(UserDefaults::standard().suiteName(), "com.norvane.AerloOffline");
    EXPECT_EQ(UserDefaults::standard().filePath(), Foundation::Paths::preferences() / "com.norvane.AerloOffline.plist");
    UserDefaults* group = UserDefaults::suite("7QX3M2PV9R.group.com.norvane.AerloOffline");
    ASSERT_TRUE(group);
    EXPECT_EQ(group, UserDefaults::suite(UserDefaults::appGroupSuiteName));
    ASSERT_TRUE(group->set(true, "LoginItemFristLaunch"));
    EXPECT_FALSE(UserDefaults::standard().object("LoginItemFristLaunch"));
    EXPECT_EQ(PropertyListValue::fromJSONText(readFile(group->filePath())),
              PropertyListValue(PropertyListValue::Dictionary {{"LoginItemFristLaunch", true}}));

    UserDefaults& mainStandard = UserDefaults::standard();
    ASSERT_TRUE(UserDefaults::setStandardSuiteName("com.norvane.AerloOffline.ControlHelper"));
    EXPECT_EQ(UserDefaults::standard().suiteName(), "com.norvane.AerloOffline.ControlHelper");
    EXPECT_NE(&UserDefaults::standard(), &mainStandard);
    const std::vector<std::string> badNames = {"", ".", "..", "a/b", std::string("a\0b", 3), std::string(201, 'x')};
    for (const auto& bad : badNames) {
        EXPECT_FALSE(UserDefaults::setStandardSuiteName(bad));
        EXPECT_EQ(UserDefaults::suite(bad), nullptr);
    }
    TestAccess::resetForTesting<UserDefaults>();
    EXPECT_EQ(&UserDefaults::standard(), &mainStandard);
}

TEST_F(UserDefaultsTest, AnUnchangedFileIsNotReadAgain)
{
    ASSERT_TRUE(suite().set("aaaa", "k"));
    EXPECT_EQ(suite().string("k"), "aaaa");
    // Rewrite the content in place with the same size and modification time: the cheap check cannot see
    // it, so the cached value stays (proof that the read did not open the file).
    const auto file = suite().filePath();
    struct stat before {};
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    std::string text = readFile(file);
    text.replace(text.find("aaaa"), 4, "bbbb");
    {
        std::fstream out(file, std::ios::in | std::ios::out | std::ios::binary);
        out << text;
    }
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    EXPECT_TRUE(suite().synchronize());
    EXPECT_EQ(suite().string("k"), "aaaa");
    // Any change the check can see is picked up.
    const timespec later[2] = {before.st_atim, {before.st_mtim.tv_sec + 1, before.st_mtim.tv_nsec}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), later, 0), 0);
    EXPECT_TRUE(holdsWithin(aSecond, [this] { return suite().string("k") == "bbbb"; }));
}

TEST_F(UserDefaultsTest, EachNewVersionOfTheFileIsModifiedLater)
{
    // Readers tell versions apart by inode, size and mtime; a reused inode of equal size must still differ by mtime.
    ASSERT_TRUE(suite().set(1, "k"));
    const auto file = suite().filePath();
    struct stat before {};
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    const timespec future[2] = {before.st_atim, {before.st_mtim.tv_sec + 100, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), future, 0), 0);
    ASSERT_TRUE(suite().set(2, "k"));
    struct stat after {};
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec + 100);
    EXPECT_EQ(after.st_mtim.tv_nsec, 1);
}

TEST_F(UserDefaultsTest, AWriteThatCannotReachTheDiskFailsWithOneLine)
{
    ASSERT_TRUE(suite().set(1, "a"));
    // Preferences replaced by a plain file: neither the lock nor the suite file can be made.
    const auto folder = suite().filePath().parent_path();
    std::filesystem::remove_all(folder);
    writeFile(folder, "not a folder");
    ConsoleCapture capture;
    EXPECT_FALSE(suite().set(2, "a"));
    ASSERT_EQ(capture.lines().size(), 1u);
    EXPECT_TRUE(capture.lines().front().starts_with("Could not save \"a\" in the defaults suite \""
                                                    + std::string(testSuite) + "\" (cannot lock "))
        << capture.output();
}

TEST_F(UserDefaultsTest, AWriteByAnotherProcessIsSeenWithinASecond)
{
    ASSERT_TRUE(suite().set(1, "tick"));
    EXPECT_EQ(suite().integer("tick"), 1); // from memory from here on, the file being watched
    for (int value = 2; value <= 4; ++value) {
        ASSERT_EQ(runInChild([value] { return UserDefaults::suite(testSuite)->set(value, "tick") ? 0 : 1; }), 0);
        EXPECT_TRUE(holdsWithin(aSecond, [&] { return suite().integer("tick") == value; })) << value;
    }
    // A file replaced by hand, and one written in place.
    const auto file = suite().filePath();
    writeFile(withTemporarySuffix(file), R"({"t":"dict","v":{"tick":{"t":"int","v":7}}})");
    std::filesystem::rename(withTemporarySuffix(file), file);
    EXPECT_TRUE(holdsWithin(aSecond, [&] { return suite().integer("tick") == 7; }));
    writeFile(file, R"({"t":"dict","v":{"tick":{"t":"int","v":8}}})");
    EXPECT_TRUE(holdsWithin(aSecond, [&] { return suite().integer("tick") == 8; }));
}

TEST_F(UserDefaultsTest, WithoutAWatchEveryReadChecksTheFile)
{
    TestAccess::resetForTesting<Foundation::FileWatcher>(false);
    TestAccess::resetForTesting<UserDefaults>();
    ASSERT_TRUE(suite().set(1, "tick"));
    EXPECT_EQ(suite().integer("tick"), 1);
    ASSERT_EQ(runInChild([] { return UserDefaults::suite(testSuite)->set(2, "tick") ? 0 : 1; }), 0);
    const int seenAtOnce = static_cast<int>(suite().integer("tick"));
    TestAccess::resetForTesting<Foundation::FileWatcher>();
    EXPECT_EQ(seenAtOnce, 2);
}

TEST_F(UserDefaultsTest, TheWatchOutlivesItsFolder)
{
    ASSERT_TRUE(suite().set(1, "tick"));
    EXPECT_EQ(suite().integer("tick"), 1);
    const auto file = suite().filePath();
    std::filesystem::remove_all(file.parent_path());
    EXPECT_TRUE(holdsWithin(aSecond, [&] { return !suite().object("tick"); }));
    writeFile(file, R"({"t":"dict","v":{"tick":{"t":"int","v":2}}})");
    EXPECT_TRUE(holdsWithin(aSecond, [&] { return suite().integer("tick") == 2; }));
    writeFile(file, R"({"t":"dict","v":{"tick":{"t":"int","v":3}}})");
    EXPECT_TRUE(holdsWithin(aSecond, [&] { return suite().integer("tick") == 3; }));
}

TEST_F(UserDefaultsTest, ANewRootIsReadAtOnce)
{
    ASSERT_TRUE(suite().set(1, "tick"));
    EXPECT_EQ(suite().integer("tick"), 1);
    std::optional<std::int64_t> inOtherRoot;
    {
        TempRoot other;
        writeFile(suite().filePath(), R"({"t":"dict","v":{"tick":{"t":"int","v":2}}})");
        inOtherRoot = suite().integer("tick");
    }
    EXPECT_EQ(inOtherRoot, 2);
}

TEST_F(UserDefaultsTest, AFileAboveTheSizeCapIsLeftAsItIs)
{
    const auto file = suite().filePath();
    const auto fileOfSize = [](std::int64_t size) {
        const std::string head = R"({"t":"dict","v":{"a":{"t":"string","v":")";
        const std::string tail = R"("}}})";
        return head + std::string(static_cast<size_t>(size) - head.size() - tail.size(), 'x') + tail;
    };
    // At the cap: read as usual.
    writeFile(file, fileOfSize(UserDefaults::maximumFileSize));
    EXPECT_EQ(suite().string("a")->size(), static_cast<size_t>(UserDefaults::maximumFileSize) - 44);

    const std::string large = fileOfSize(UserDefaults::maximumFileSize + 1);
    writeFile(file, large);
    ConsoleCapture capture;
    ASSERT_TRUE(suite().synchronize() == false);
    EXPECT_FALSE(suite().object("a"));
    EXPECT_TRUE(suite().dictionaryRepresentation().empty());
    const std::string said =
        "The defaults file \"" + file.string() + "\" of suite \"" + testSuite
        + "\" is larger than 4 MiB (4194305 bytes); it is left as it is and the suite reads as empty.";
    EXPECT_EQ(capture.lines(), std::vector<std::string> {said});

    capture.clear();
    EXPECT_FALSE(suite().set(1, "b"));
    const std::string couldNotSave = "Could not save \"b\" in the defaults suite \"" + std::string(testSuite) + "\" (";
    EXPECT_EQ(capture.lines(),
              std::vector<std::string> {couldNotSave + file.string() + " is larger than 4 MiB and is left as it is)."});
    EXPECT_EQ(readFile(file), large);
    EXPECT_TRUE(filesStartingWith(file.parent_path(), file.filename().string() + ".corrupt-").empty());

    // A write that would make the file too large is refused, and the old value stays.
    std::filesystem::remove(file);
    ASSERT_TRUE(suite().set("small", "a"));
    capture.clear();
    EXPECT_FALSE(suite().set(std::string(static_cast<size_t>(UserDefaults::maximumFileSize), 'y'), "a"));
    EXPECT_EQ(capture.lines(),
              std::vector<std::string> {"Could not save \"a\" in the defaults suite \"" + std::string(testSuite)
                                        + "\" (the suite would be larger than 4 MiB)."});
    EXPECT_EQ(suite().string("a"), "small");
    EXPECT_TRUE(suite().synchronize());
}

namespace {

std::filesystem::path globalDomainFile() { return Foundation::Paths::preferences() / ".GlobalPreferences.plist"; }

} // namespace

TEST_F(UserDefaultsTest, TheStandardSuiteFallsBackToTheGlobalDomain)
{
    UserDefaults& standard = UserDefaults::standard();
    EXPECT_FALSE(standard.persistentDomain(UserDefaults::globalDomain));
    EXPECT_FALSE(standard.object("AppleInterfaceStyle"));

    const PropertyListValue::Dictionary global = {
        {"AppleInterfaceStyle", "Dark"},
        {"AppleInterfaceStyleSwitchesAutomatically", 1},
        {"shared", "global"},
    };
    const std::string globalText = PropertyListValue(global).toJSONText();
    writeFile(globalDomainFile(), globalText);
    ASSERT_TRUE(standard.set("app", "shared"));

    EXPECT_EQ(standard.string("AppleInterfaceStyle"), "Dark");
    EXPECT_EQ(standard.integer("AppleInterfaceStyleSwitchesAutomatically"), 1);
    EXPECT_TRUE(standard.boolValue("AppleInterfaceStyleSwitchesAutomatically"));
    EXPECT_EQ(standard.object("AppleInterfaceStyle"), PropertyListValue("Dark"));
    EXPECT_EQ(standard.string("shared"), "app"); // the application's domain comes first
    EXPECT_FALSE(suite().object("AppleInterfaceStyle")); // other suites have no fallback
    EXPECT_EQ(standard.dictionaryRepresentation(), (PropertyListValue::Dictionary {{"shared", "app"}}));

    EXPECT_EQ(standard.persistentDomain(UserDefaults::globalDomain), global);
    EXPECT_EQ(suite().persistentDomain(UserDefaults::globalDomain), global);
    EXPECT_EQ(standard.persistentDomain(UserDefaults::defaultStandardSuiteName),
              (PropertyListValue::Dictionary {{"shared", "app"}}));
    EXPECT_FALSE(standard.persistentDomain("com.norvane.AerloOffline.none"));
    EXPECT_FALSE(standard.persistentDomain(""));
    EXPECT_FALSE(standard.persistentDomain(".GlobalPreferences"));

    // Writes and removals stay in the application's domain.
    ASSERT_TRUE(standard.set("Light", "AppleInterfaceStyle"));
    EXPECT_EQ(standard.string("AppleInterfaceStyle"), "Light");
    ASSERT_TRUE(standard.removeObject("AppleInterfaceStyle"));
    ASSERT_TRUE(standard.removeObject("shared"));
    EXPECT_EQ(standard.string("AppleInterfaceStyle"), "Dark");
    EXPECT_EQ(standard.string("shared"), "global");
    EXPECT_EQ(readFile(globalDomainFile()), globalText);
    EXPECT_EQ(UserDefaults::suite(".GlobalPreferences"), nullptr);
    EXPECT_FALSE(UserDefaults::setStandardSuiteName(".GlobalPreferences"));

    // The fallback follows the standard suite's name.
    ASSERT_TRUE(UserDefaults::setStandardSuiteName(testSuite));
    EXPECT_EQ(suite().string("AppleInterfaceStyle"), "Dark");
    EXPECT_FALSE(UserDefaults::suite(UserDefaults::defaultStandardSuiteName)->object("AppleInterfaceStyle"));

    // Another process's change of the global domain shows like any other.
    const PropertyListValue::Dictionary changed = {{"AppleInterfaceStyle", "Light"}};
    writeFile(globalDomainFile(), PropertyListValue(changed).toJSONText());
    EXPECT_TRUE(holdsWithin(aSecond, [this] { return suite().string("AppleInterfaceStyle") == "Light"; }));
}
