#include "Platform/Foundation/Console.h"
#include "tests/Support/ConsoleCapture.h"

#include <gtest/gtest.h>
#include <thread>

using Foundation::Console;

TEST(Console, PrintAddsOneLineFeedPerLineAndKeepsTheStreamsApart)
{
    ConsoleCapture capture;
    Console::print("错误：未找到键的数量");
    Console::printError("to stderr");
    Console::write(Console::Stream::standardOutput, "raw");
    EXPECT_EQ(capture.output(), "错误：未找到键的数量\nraw");
    EXPECT_EQ(capture.errors(), "to stderr\n");
    EXPECT_EQ(capture.lines(), (std::vector<std::string> {"错误：未找到键的数量", "raw"}));
}

TEST(Console, LinesFromManyThreadsAreNeverInterleaved)
{
    ConsoleCapture capture;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i)
                Console::print(std::string(50, static_cast<char>('a' + t)));
        });
    for (auto& thread : threads)
        thread.join();
    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 800u);
    for (const auto& line : lines)
        EXPECT_EQ(line, std::string(50, line.front()));
}

TEST(Console, CaptureRestoresThePreviousSink)
{
    ConsoleCapture outer;
    {
        ConsoleCapture inner;
        Console::print("inner");
        EXPECT_EQ(inner.output(), "inner\n");
    }
    Console::print("outer");
    EXPECT_EQ(outer.output(), "outer\n");
}
