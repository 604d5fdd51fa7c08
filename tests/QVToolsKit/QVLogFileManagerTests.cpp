#include "Platform/Foundation/ManualClock.h"
#include "Platform/Foundation/Paths.h"
#include "QVToolsKit/QVLogFileManager.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <thread>

using namespace QVToolsKit;
namespace fs = std::filesystem;

namespace {

constexpr std::string_view separator = "----------------\n";
constexpr double march5th = 1741183629.0; // 2025-03-05 14:07:09 UTC

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, std::string_view text) { std::ofstream(path, std::ios::binary) << text; }

std::optional<double> birthTime(const fs::path& path)
{
    struct statx attributes {};
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BTIME, &attributes) != 0
        || !(attributes.stx_mask & STATX_BTIME))
        return std::nullopt;
    return static_cast<double>(attributes.stx_btime.tv_sec) + attributes.stx_btime.tv_nsec / 1e9;
}

class LoggerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* tz = std::getenv("TZ"))
            savedTZ_ = tz;
        setTimeZone("UTC");
        QVLogFileManager::setClock(&clock);
        TestAccess::resetForTesting<QVLogFileManager>();
    }

    void TearDown() override
    {
        TestAccess::resetForTesting<QVLogFileManager>();
        QVLogFileManager::setClock(nullptr);
        if (savedTZ_)
            setTimeZone(savedTZ_->c_str());
        else {
            unsetenv("TZ");
            tzset();
        }
    }

    static void setTimeZone(const char* zone)
    {
        setenv("TZ", zone, 1);
        tzset();
    }

    static fs::path logFile()
    {
        fs::create_directories(Foundation::Paths::documents());
        return Foundation::Paths::documents() / "log.txt";
    }

    TempRoot root;
    ConsoleCapture capture;
    Foundation::ManualClock clock {march5th};

private:
    std::optional<std::string> savedTZ_;
};

struct PrefixCase {
    const char* name;
    std::vector<LogOption> options;
    LogLevel level;
    std::string file;
    std::optional<std::string> category;
    std::string expected;
};

} // namespace

TEST_F(LoggerTest, PrefixPiecesComeInFixedOrder)
{
    const std::vector<LogOption> all = LogOption::new_();
    const PrefixCase cases[] = {
        {"all four", all, LogLevel::error, "/src/Reader", "disk",
         "2025-03-05 14:07:09 Reader:42 ERR [disk] no volumes\n"},
        {"order of options is irrelevant",
         {LogOption::level, LogOption::line, LogOption::file, LogOption::timestamp},
         LogLevel::error,
         "/src/Reader",
         "disk",
         "2025-03-05 14:07:09 Reader:42 ERR [disk] no volumes\n"},
        {"no options", {}, LogLevel::error, "/src/Reader", std::nullopt, " no volumes\n"},
        {"file without slash",
         {LogOption::file},
         LogLevel::info,
         "Reader.swift",
         std::nullopt,
         "Reader.swift no volumes\n"},
        {"file ending in slash", {LogOption::file}, LogLevel::info, "/src/Views/", std::nullopt, "Views no volumes\n"},
        {"empty file glues the line",
         {LogOption::timestamp, LogOption::file, LogOption::line},
         LogLevel::info,
         "",
         std::nullopt,
         "2025-03-05 14:07:09:42 no volumes\n"},
        {"only slashes, nothing before",
         {LogOption::file, LogOption::line},
         LogLevel::info,
         "///",
         std::nullopt,
         ":42 no volumes\n"},
        {"line alone", {LogOption::line}, LogLevel::info, "/src/Reader", std::nullopt, "42 no volumes\n"},
        {"time stamp and line",
         {LogOption::timestamp, LogOption::line},
         LogLevel::info,
         "/src/Reader",
         std::nullopt,
         "2025-03-05 14:07:09 42 no volumes\n"},
        {"empty category", {LogOption::level}, LogLevel::debug, "/src/Reader", "", "DBG [] no volumes\n"},
        {"absent category", {LogOption::level}, LogLevel::info, "/src/Reader", std::nullopt, "INF no volumes\n"},
        {"category alone", {}, LogLevel::info, "/src/Reader", "disk", "[disk] no volumes\n"},
        {"duplicates count once",
         {LogOption::level, LogOption::file, LogOption::level, LogOption::file, LogOption::line},
         LogLevel::error,
         "/src/Reader",
         std::nullopt,
         "Reader:42 ERR no volumes\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        capture.clear();
        const QVLogFileManager logger = QVLogFileManager::shared().copy(c.category);
        logger.log(c.level, c.options, "no volumes", c.file, 42);
        EXPECT_EQ(capture.output(), c.expected);
    }
}

TEST_F(LoggerTest, TimeStampIsInTheCurrentTimeZone)
{
    setTimeZone("UTC-8");
    QVLogFileManager::shared().log(LogLevel::info, {LogOption::timestamp}, "x", "", 0);
    EXPECT_EQ(capture.output(), "2025-03-05 22:07:09 x\n");
}

TEST_F(LoggerTest, StaticShorthandsUseAllOptionsAndTheCallersLocation)
{
    const QVLogFileManager logger = QVLogFileManager::shared().copy("disk");
    QVLogFileManager::error("no volumes", logger, "/src/Reader", 42);
    QVLogFileManager::debug("d", logger, "a/b.cpp", 7);
    QVLogFileManager::info("i");
    const int line = __LINE__ - 1; // the call's line
    EXPECT_EQ(capture.lines(), (std::vector<std::string> {
                                   "2025-03-05 14:07:09 Reader:42 ERR [disk] no volumes",
                                   "2025-03-05 14:07:09 b.cpp:7 DBG [disk] d",
                                   "2025-03-05 14:07:09 QVLogFileManagerTests.cpp:" + std::to_string(line) + " INF i",
                               }));
}

TEST_F(LoggerTest, RawValuesAndTheDefaultOptions)
{
    EXPECT_EQ(rawValue(LogLevel::debug), "DBG");
    EXPECT_EQ(rawValue(LogLevel::info), "INF");
    EXPECT_EQ(rawValue(LogLevel::error), "ERR");
    EXPECT_EQ(logLevelFromRawValue("ERR"), LogLevel::error);
    EXPECT_EQ(logLevelFromRawValue("err"), std::nullopt);
    EXPECT_EQ(LogOption::fromRawValue(3), LogOption::line);
    EXPECT_EQ(LogOption::fromRawValue(4), std::nullopt);
    EXPECT_EQ(rawValue(LogWriter::file), 2);
    EXPECT_EQ(logWriterFromRawValue(1), LogWriter::standardError);
    EXPECT_EQ(logWriterFromRawValue(3), std::nullopt);
    EXPECT_EQ(LogOption::new_(),
              (std::vector<LogOption> {LogOption::timestamp, LogOption::file, LogOption::line, LogOption::level}));
}

TEST_F(LoggerTest, CopyTakesTheSharedLoggersStreamNotTheReceivers)
{
    const QVLogFileManager toError(LogWriter::standardError);
    const QVLogFileManager derived = toError.copy("c");
    derived.log(LogLevel::info, {}, "one", "", 0);
    EXPECT_EQ(capture.output(), "[c] one\n");
    EXPECT_EQ(capture.errors(), "");

    // The copy keeps its stream when the shared logger changes later.
    QVLogFileManager::shared().setWriter(LogWriter::standardError);
    derived.log(LogLevel::info, {}, "two", "", 0);
    QVLogFileManager::shared().copy(std::nullopt).log(LogLevel::info, {}, "three", "", 0);
    EXPECT_EQ(capture.output(), "[c] one\n[c] two\n");
    EXPECT_EQ(capture.errors(), " three\n");

    const fs::path path = logFile();
    QVLogFileManager::shared().setWriter(LogWriter::file);
    toError.copy("f").log(LogLevel::info, {}, "four", "", 0);
    EXPECT_EQ(readFile(path), std::string(separator) + "[f] four\n");
}

TEST_F(LoggerTest, EverySwitchToTheFileAppendsASeparatorAndKeepsTheContent)
{
    const fs::path path = logFile();
    writeFile(path, "earlier\n");
    QVLogFileManager logger(LogWriter::file);
    logger.log(LogLevel::info, {}, "a", "", 0);
    logger.setWriter(LogWriter::file);
    logger.log(LogLevel::info, {}, "b", "", 0);
    EXPECT_EQ(readFile(path), "earlier\n" + std::string(separator) + " a\n" + std::string(separator) + " b\n");
    EXPECT_EQ(capture.output(), "");
}

TEST_F(LoggerTest, MissingLogFileIsMade)
{
    const fs::path path = logFile();
    QVLogFileManager logger(LogWriter::file);
    logger.log(LogLevel::info, {LogOption::level}, "a", "", 0);
    EXPECT_EQ(readFile(path), std::string(separator) + "INF a\n");
}

TEST_F(LoggerTest, UnopenableLogFileFallsBackToStandardOutput)
{
    struct Case {
        const char* name;
        std::function<void()> prepare;
        std::string reason;
    };
    const Case cases[] = {
        {"Documents is a file",
         [] {
             fs::create_directories(Foundation::Paths::home());
             writeFile(Foundation::Paths::documents(), "x");
         },
         "Not a directory"},
        {"no Documents folder", [] { fs::remove_all(Foundation::Paths::home()); }, "No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        capture.clear();
        c.prepare();
        QVLogFileManager logger(LogWriter::file);
        logger.log(LogLevel::info, {}, "later", "", 0);
        EXPECT_EQ(capture.lines(), (std::vector<std::string> {"error to init file handler: " + c.reason, " later"}));
    }
}

TEST_F(LoggerTest, NulCutsTheLineOnTheStreamsButNotInTheFile)
{
    const std::string message("a\0b", 3);
    QVLogFileManager(LogWriter::standardOutput).log(LogLevel::info, {}, message, "", 0);
    QVLogFileManager(LogWriter::standardError).log(LogLevel::info, {}, message, "", 0);
    EXPECT_EQ(capture.output(), " a");
    EXPECT_EQ(capture.errors(), " a");

    const fs::path path = logFile();
    QVLogFileManager(LogWriter::file).log(LogLevel::info, {}, message, "", 0);
    EXPECT_EQ(readFile(path), std::string(separator) + " " + message + "\n");
}

TEST_F(LoggerTest, FileDropsTextThatIsNotUTF8)
{
    const fs::path path = logFile();
    QVLogFileManager logger(LogWriter::file);
    logger.log(LogLevel::info, {}, "bad \xC3\x28", "", 0);
    logger.log(LogLevel::info, {}, "surrogate \xED\xA0\x80", "", 0);
    logger.log(LogLevel::info, {}, "温度 ok", "", 0);
    EXPECT_EQ(readFile(path), std::string(separator) + " 温度 ok\n");
}

TEST_F(LoggerTest, FailedFileWritesAreDroppedSilently)
{
    // The file removed underneath: lines go to the orphaned file, nothing recreates it.
    const fs::path path = logFile();
    QVLogFileManager logger(LogWriter::file);
    fs::remove(path);
    logger.log(LogLevel::error, LogOption::new_(), "gone", "", 0);
    EXPECT_FALSE(fs::exists(path));

    // A full device behind the handle.
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    fs::create_symlink("/dev/full", path);
    QVLogFileManager full(LogWriter::file);
    for (int i = 0; i < 3; ++i)
        full.log(LogLevel::error, LogOption::new_(), std::string(10000, 'x'), "", 0);
    EXPECT_EQ(capture.output(), "");
    EXPECT_EQ(capture.errors(), "");
}

TEST_F(LoggerTest, DeleteLogFileReportsWhatItDid)
{
    QVLogFileManager::deleteLogFile(0);
    EXPECT_EQ(capture.output(), "日志文件不存在\n");

    const fs::path path = logFile();
    writeFile(path, "x");
    const auto born = birthTime(path);
    if (!born)
        GTEST_SKIP() << "the file system keeps no creation date";

    capture.clear();
    clock.setWallTime(*born + 60);
    QVLogFileManager::deleteLogFile(100);
    EXPECT_EQ(capture.output(), "日志文件未达到 100 秒的保留期限\n");
    EXPECT_TRUE(fs::exists(path));

    capture.clear();
    QVLogFileManager::deleteLogFile(30);
    EXPECT_EQ(capture.output(), "日志文件已删除，超过 30 秒的保留期限\n");
    EXPECT_FALSE(fs::exists(path));

    // With the real clock, 0 removes a file made just now.
    QVLogFileManager::setClock(nullptr);
    writeFile(path, "x");
    capture.clear();
    QVLogFileManager::deleteLogFile(0);
    EXPECT_EQ(capture.output(), "日志文件已删除，超过 0 秒的保留期限\n");
    EXPECT_FALSE(fs::exists(path));

    // A removal that fails keeps the item and says why.
    fs::create_directories(path / "inside");
    capture.clear();
    QVLogFileManager::deleteLogFile(0);
    EXPECT_EQ(capture.output(), "删除日志文件时出错: Directory not empty\n");
    EXPECT_TRUE(fs::exists(path / "inside"));
}

TEST_F(LoggerTest, WriterChangesAndCopiesFromManyThreadsLoseNoLine)
{
    const fs::path path = logFile();
    constexpr int perThread = 400;
    std::atomic<bool> done {false};
    std::thread switcher([&] {
        while (!done) {
            QVLogFileManager::shared().setWriter(LogWriter::file);
            QVLogFileManager::shared().setWriter(LogWriter::standardOutput);
        }
    });
    std::vector<std::thread> writers;
    for (int t = 0; t < 3; ++t)
        writers.emplace_back([t] {
            for (int i = 0; i < perThread; ++i) {
                if (t == 0)
                    QVLogFileManager::shared().copy("c").log(LogLevel::info, {}, "m", "", 0);
                else
                    QVLogFileManager::info("m", QVLogFileManager::shared(), "f", 1);
            }
        });
    for (auto& thread : writers)
        thread.join();
    done = true;
    switcher.join();

    const std::regex wellFormed(R"(\[c\] m|2025-03-05 14:07:09 f:1 INF m)");
    int count = 0;
    std::istringstream lines(capture.output() + readFile(path));
    for (std::string line; std::getline(lines, line);) {
        if (line == "----------------")
            continue;
        EXPECT_TRUE(std::regex_match(line, wellFormed)) << line;
        ++count;
    }
    EXPECT_EQ(count, 3 * perThread);
}
