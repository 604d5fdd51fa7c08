// The top-processes reader: its row parser, its run of the tool, and the top stand-in it reads.
#include "Classes/Configure/Global/StringExtension.h"
#include "Classes/Configure/SystemKit/ProcessReader.h"
#include "Classes/Configure/SystemKit/TopProcess.h"
#include "Platform/System/DesktopApplications.h"
#include "Platform/System/TopReport.h"
#include "tests/QVToolsKit/FakeTool.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/ScopedEnvironment.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace Aerlo;
using SystemPlatform::TopReport;

namespace {

constexpr const char* rowPattern = "^\\d+\\** +.* +\\d+[A-Z]*\\+?\\-? *$";

// A /proc of five processes: two ordinary ones, a kernel thread, one that ended while it was listed
// and one with spaces in its command.
std::filesystem::path fakeProc(const std::filesystem::path& folder)
{
    const auto proc = folder / "proc";
    const auto process = [&](const char* pid, const char* comm, const char* rss) {
        std::filesystem::create_directories(proc / pid);
        std::ofstream(proc / pid / "comm") << comm << "\n";
        std::ofstream(proc / pid / "status")
            << "Name:\t" << comm << "\nState:\tS (sleeping)\n"
            << (rss ? std::string("VmRSS:\t  ") + rss + " kB\n" : "") << "Threads:\t1\n";
    };
    process("1", "systemd", "10240");
    process("2", "kthreadd", nullptr);
    process("31", "Text Editor", "1572864");
    process("50", "worker", "512");
    std::filesystem::create_directories(proc / "77"); // gone before its files were read
    std::filesystem::create_directories(proc / "self");
    std::ofstream(proc / "loadavg") << "0.52 0.48 0.40 1/512 9999\n";
    std::ofstream(proc / "meminfo") << "MemTotal:       16384000 kB\nMemFree: 1 kB\nMemAvailable:    8192000 kB\n";
    return proc;
}

} // namespace

// XDG data folders of a test's own: the user's, and one system folder.
class DesktopFolders : public ::testing::Test {
protected:
    std::filesystem::path user() const { return root_.path() / "user-data"; }
    std::filesystem::path system() const { return root_.path() / "system-data"; }
    static void write(const std::filesystem::path& file, const std::string& text)
    {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }
    static std::string self() { return std::filesystem::read_symlink("/proc/self/exe").string(); }
    static std::string row() { return std::to_string(::getpid()) + "  aerlo-tests 12M"; }

    TempRoot root_;
    ScopedEnvironment dataHome_ {"XDG_DATA_HOME", user().c_str()};
    ScopedEnvironment dataDirs_ {"XDG_DATA_DIRS", system().c_str()};
    ScopedEnvironment language_ {"LANGUAGE", "en"};
};

// The reader and its parser, with no application known: every name is the command.
using TopProcesses = DesktopFolders;

TEST_F(TopProcesses, RowParseTable)
{
    struct Case {
        const char* line;
        std::int64_t pid;
        const char* name;
        double usage;
    };
    const Case cases[] = {
        {"123* editor 512M+", 123, "editor", 512},
        {"77  indexer   2G+ ", 77, "indexer", 2048},
        {"3 Python3 2G-", 3, "Python3", 2048},
        {"1024 worker 1024K", 1024, "worker", 1},
        {"1024 worker 1024K-", 1024, "worker", 1},
        {"12 * mediad 80M", 12, "mediad", 80},
        {"45 Text Editor Helper 300M", 45, "Text Editor Helper", 300},
        {"9 builder 1.5G", 9, "builder", 1536},
        {"8 dump 1T", 8, "dump", 1024 * 1024},
        {"7 tiny 1048576B", 7, "tiny", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(TopProcess::parse(c.line), TopProcess(c.pid, c.name, c.usage));
    }
    for (const char* header : {"PID    COMMAND          MEM", "Processes: 412 total", "2026/01/05 10:11:12"})
        EXPECT_FALSE(matches(header, rowPattern)) << header;
}

TEST_F(DesktopFolders, ARowOfAnApplicationTakesTheNameOfTheEntryThatStartsItsExecutable)
{
    EXPECT_EQ(TopProcess::parse(row()).name(), "aerlo-tests");
    // A hidden entry and one for another program do not count.
    write(user() / "applications" / "hidden.desktop",
          "[Desktop Entry]\nType=Application\nName=Hidden\nExec=" + self() + "\nHidden=true\n");
    write(user() / "applications" / "other.desktop", "[Desktop Entry]\nType=Application\nName=Other\nExec=/bin/true\n");
    EXPECT_EQ(TopProcess::parse(row()).name(), "aerlo-tests");

    // Exec by name, found on the search path; the user's entry shadows the system's of the same id.
    const auto bin = root_.path() / "bin";
    std::filesystem::create_directories(bin);
    std::filesystem::create_symlink(self(), bin / "aerlo-viewer");
    ScopedEnvironment path("PATH", bin.c_str());
    write(system() / "applications" / "tools" / "viewer.desktop",
          "[Desktop Entry]\nType=Application\nName=System Viewer\nExec=" + self() + "\n");
    write(
        user() / "applications" / "tools" / "viewer.desktop",
        "[Desktop Entry]\nType=Application\nName=Viewer\nName[zh_CN]=查看器\nExec=aerlo-viewer --new %U\nIcon=viewer\n");
    const TopProcess record = TopProcess::parse(row());
    EXPECT_EQ(record.name(), "Viewer");
    EXPECT_EQ(record.usage(), 12);
    ScopedEnvironment chinese("LANGUAGE", "zh_CN");
    EXPECT_EQ(TopProcess::parse(row()).name(), "查看器");
}

TEST_F(DesktopFolders, ThemeIconsAreTheLargestHicolorBitmapElseAPixmap)
{
    write(system() / "icons" / "hicolor" / "16x16" / "apps" / "viewer.png", "png");
    write(system() / "icons" / "hicolor" / "128x128" / "apps" / "viewer.png", "png");
    write(system() / "icons" / "hicolor" / "256x256" / "apps" / "other.png", "png");
    write(system() / "pixmaps" / "plain.png", "png");
    using SystemPlatform::DesktopApplications;
    EXPECT_EQ(DesktopApplications::iconFile("viewer"),
              system() / "icons" / "hicolor" / "128x128" / "apps" / "viewer.png");
    EXPECT_EQ(DesktopApplications::iconFile("plain"), system() / "pixmaps" / "plain.png");
    EXPECT_EQ(DesktopApplications::iconFile((system() / "pixmaps" / "plain.png").string()),
              system() / "pixmaps" / "plain.png");
    for (const char* unknown : {"missing", "../pixmaps/plain", ""})
        EXPECT_EQ(DesktopApplications::iconFile(unknown), std::nullopt) << unknown;
    // The user's folder comes first.
    write(user() / "icons" / "hicolor" / "48x48" / "apps" / "viewer.png", "png");
    EXPECT_EQ(DesktopApplications::iconFile("viewer"), user() / "icons" / "hicolor" / "48x48" / "apps" / "viewer.png");
}

TEST_F(TopProcesses, RecordCodingAndDescription)
{
    const TopProcess record(123, "editor", 512);
    EXPECT_EQ(record.encode().dump(), R"({"pid":123,"name":"editor","usage":512.0})");
    EXPECT_EQ(TopProcess::decode(record.encode()), record);
    EXPECT_EQ(record.description(), R"(TopProcess(pid: 123, name: "editor", usage: 512.0))");
    for (const char* refused : {R"({"pid":"1","name":"a","usage":1})", R"({"pid":1,"name":2,"usage":1})",
                                R"({"pid":1,"name":"a"})", R"([1,"a",1])", R"({"pid":1,"name":"a","usage":1,"x":0})"})
        EXPECT_EQ(TopProcess::decode(nlohmann::ordered_json::parse(refused)), std::nullopt) << refused;
}

TEST_F(TopProcesses, ReadPrintsEachRecordWithReadableMemory)
{
    TempRoot root;
    FakeTool top(
        root.path(), "/usr/bin/top",
        "echo \"$@\" > '" + (root.path() / "args").string()
            + "'\n"
              "printf 'Processes: 412 total\\n\\nPID    COMMAND          MEM\\n123* editor 512M+\\n   9 spaced 1M\\n"
              "3 Python3 2G-\\n5 builder 1.5G\\n'");
    ConsoleCapture console;
    ProcessReader reader;
    EXPECT_EQ(reader.title, "RAM");
    reader.numberOfProcesses = 5;
    reader.read();
    EXPECT_EQ(readText(root.path() / "args"), "-l 1 -o mem -n 5 -stats pid,command,mem\n");
    EXPECT_EQ(console.lines(),
              (std::vector<std::string> {
                  R"(TopProcess(pid: 123, name: "editor", usage: 512.0))", "readableMemoryUsage: 512 MB",
                  R"(TopProcess(pid: 9, name: "spaced", usage: 1.0))", "readableMemoryUsage: 1 MB",
                  R"(TopProcess(pid: 3, name: "Python3", usage: 2048.0))", "readableMemoryUsage: 2.0 GB",
                  R"(TopProcess(pid: 5, name: "builder", usage: 1536.0))", "readableMemoryUsage: 1.5 GB"}));
}

TEST_F(TopProcesses, ReadDrainsStandardErrorAndSurvivesFailures)
{
    TempRoot root;
    {
        FakeTool top(
            root.path(), "/usr/bin/top",
            "head -c 200000 /dev/zero | tr '\\0' x >&2\nfor i in 1 2 3 4 5 6 7 8 9 10; do echo \"$i app$i ${i}M\"; done");
        ConsoleCapture console;
        ProcessReader().read();
        EXPECT_EQ(console.lines().size(), 20u);
    }
    for (const std::string& target : {std::string(), (root.path() / "missing").string()}) {
        Foundation::ToolMap::set("/usr/bin/top", target);
        ConsoleCapture console;
        ProcessReader().read();
        EXPECT_EQ(console.output(), "");
    }
    FakeTool empty(root.path(), "/usr/bin/top", "exit 0");
    ConsoleCapture console;
    ProcessReader().read();
    EXPECT_EQ(console.output(), "");
}

TEST(TopStandIn, ListsProcessesByMemoryInTheToolsShape)
{
    TempRoot root;
    const auto proc = fakeProc(root.path());
    const auto rows = TopReport::processes(proc);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].pid, 31);
    EXPECT_EQ(rows[1].pid, 1);
    EXPECT_EQ(rows[2].pid, 50);

    const auto output = TopReport::run({"-l", "1", "-o", "mem", "-n", "2", "-stats", "pid,command,mem"}, proc);
    EXPECT_EQ(output.status, 0);
    const std::string& text = output.standardOutput;
    EXPECT_TRUE(text.starts_with("Processes: 3 total\n")) << text;
    EXPECT_NE(text.find("Load Avg: 0.52, 0.48, 0.40\n"), std::string::npos) << text;
    EXPECT_NE(text.find("PhysMem: 8000M used, 8000M unused.\n"), std::string::npos) << text;
    const auto columns = text.find("\n\nPID    COMMAND          MEM\n");
    ASSERT_NE(columns, std::string::npos) << text;
    std::vector<TopProcess> parsed;
    std::istringstream table(text.substr(columns + 2));
    for (std::string line; std::getline(table, line);)
        if (matches(line, rowPattern))
            parsed.push_back(TopProcess::parse(line));
    EXPECT_EQ(parsed, (std::vector<TopProcess> {{31, "Text Editor", 1536}, {1, "systemd", 10}}));

    EXPECT_EQ(TopReport::memoryText(512), "512K");
    EXPECT_EQ(TopReport::memoryText(1572864), "1536M");
    EXPECT_EQ(TopReport::memoryText(12u * 1024 * 1024), "12G");
}

TEST(TopStandIn, RefusesOptionsItDoesNotKnow)
{
    TempRoot root;
    const auto proc = fakeProc(root.path());
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>> {
             {}, {"-l", "1", "-o", "cpu"}, {"-l", "1", "-n", "x"}, {"-l", "1", "-s"}, {"-l", "0"}}) {
        const auto output = TopReport::run(arguments, proc);
        EXPECT_EQ(output.status, 1);
        EXPECT_EQ(output.standardOutput, "");
        EXPECT_TRUE(output.standardError.starts_with("usage: top")) << output.standardError;
    }
}

TEST_F(TopProcesses, ReaderParsesWhatTheStandInPrintsForThisMachine)
{
    TopReport::installStandIn();
    ConsoleCapture console;
    ProcessReader reader;
    reader.numberOfProcesses = 3;
    reader.read();
    TestAccess::resetForTesting<Foundation::ToolMap>();
    const auto lines = console.lines();
    ASSERT_EQ(lines.size(), 6u) << console.output();
    for (std::size_t i = 0; i < lines.size(); i += 2) {
        EXPECT_TRUE(lines[i].starts_with("TopProcess(pid: ")) << lines[i];
        EXPECT_TRUE(lines[i + 1].starts_with("readableMemoryUsage: ")) << lines[i + 1];
        EXPECT_EQ(lines[i].find("pid: 0,"), std::string::npos) << lines[i];
    }
}
