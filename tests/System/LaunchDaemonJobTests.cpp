#include "Platform/Foundation/AtomicFile.h"
#include "Platform/System/LaunchDaemonJob.h"
#include "tests/Support/TempRoot.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace SystemPlatform;

namespace {

LaunchDaemonJob sampleJob()
{
    LaunchDaemonJob job;
    job.label = "com.example.helper";
    job.program = "/root/Library/PrivilegedHelperTools/com.example.helper";
    job.domain = "user";
    job.socketPath = "/root/var/run/com.example.helper.sock";
    job.allowedClientPath = "/root/Applications/Aerlo.app/Contents/MacOS/Aerlo";
    job.allowedClientUIDs = {0, 1000};
    job.allowedClientSHA256 = std::string(64, 'a');
    job.environmentVariables = {{"AERLO_ROOT", "/root"}};
    job.standardOutPath = "/root/var/log/com.example.helper.console.log";
    job.standardErrorPath = job.standardOutPath;
    return job;
}

std::string contents(const fs::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(LaunchDaemonJobTests, ReadsBackWhatItWrites)
{
    TempRoot root;
    const auto path = root.path() / "job.plist";
    ASSERT_TRUE(sampleJob().write(path).ok());
    const auto read = LaunchDaemonJob::read(path);
    ASSERT_TRUE(read) << read.error();
    EXPECT_EQ(*read, sampleJob());
    EXPECT_EQ(sampleJob().write(root.path() / "no" / "job.plist").error(),
              "Cannot create a file beside \"" + (root.path() / "no" / "job.plist").string()
                  + "\": No such file or directory");
    struct stat attributes {};
    ASSERT_EQ(::stat(path.c_str(), &attributes), 0);
    EXPECT_EQ(attributes.st_mode & 07777, 0644u);
}

TEST(LaunchDaemonJobTests, RefusesAJobWithAMissingOrMistypedKey)
{
    const auto valid = sampleJob().json();
    for (const auto& [key, value] : valid.items()) {
        SCOPED_TRACE(key);
        auto missing = nlohmann::json::parse(valid.dump());
        missing.erase(key);
        EXPECT_FALSE(LaunchDaemonJob::fromJSON(missing));
        auto mistyped = nlohmann::json::parse(valid.dump());
        mistyped[key] = value.is_string() ? nlohmann::json(42) : nlohmann::json("text");
        EXPECT_FALSE(LaunchDaemonJob::fromJSON(mistyped));
    }
    for (const auto& uids : {nlohmann::json::array({-1}), nlohmann::json::array({1.5}), nlohmann::json::array({"0"}),
                             nlohmann::json::array({std::uint64_t(1) << 40})}) {
        auto job = nlohmann::json::parse(valid.dump());
        job["AllowedClientUIDs"] = uids;
        EXPECT_FALSE(LaunchDaemonJob::fromJSON(job)) << uids;
    }
    auto environment = nlohmann::json::parse(valid.dump());
    environment["EnvironmentVariables"]["AERLO_SMC"] = 1;
    EXPECT_FALSE(LaunchDaemonJob::fromJSON(environment));
    EXPECT_FALSE(LaunchDaemonJob::fromJSON(nlohmann::json::array()));

    TempRoot root;
    std::ofstream(root.path() / "broken") << "{\"Label\": ";
    for (const auto& [path, problem] :
         std::vector<std::pair<fs::path, std::string>> {{root.path() / "broken", "holds no valid job."},
                                                        {root.path() / "missing", "cannot be read."},
                                                        {root.path(), "cannot be read."}}) {
        const auto read = LaunchDaemonJob::read(path);
        EXPECT_FALSE(read);
        EXPECT_EQ(read.error(), "The job file " + path.string() + " " + problem);
    }
}

TEST(AtomicFileTests, AStagedFileAppearsOnlyOnCommit)
{
    TempRoot root;
    const auto path = root.path() / "file";
    std::ofstream(path) << "old";
    {
        Foundation::AtomicFile file(path);
        ASSERT_TRUE(file.stage("new", 0600).ok());
        EXPECT_EQ(contents(path), "old");
        EXPECT_EQ(std::distance(fs::directory_iterator(root.path()), fs::directory_iterator()), 2);
    }
    // Dropped without a commit: the old file stays and the staged one is gone.
    EXPECT_EQ(contents(path), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(root.path()), fs::directory_iterator()), 1);

    Foundation::AtomicFile file(path);
    EXPECT_EQ(file.commit().error(), "Nothing is staged for \"" + path.string() + "\"");
    ASSERT_TRUE(file.stage("new", 0600).ok());
    ASSERT_TRUE(file.commit().ok());
    EXPECT_EQ(contents(path), "new");
    struct stat attributes {};
    ASSERT_EQ(::stat(path.c_str(), &attributes), 0);
    EXPECT_EQ(attributes.st_mode & 07777, 0600u);
}

TEST(AtomicFileTests, ACopyRefusesWhatIsNotARegularFile)
{
    TempRoot root;
    Foundation::AtomicFile file(root.path() / "copy");
    EXPECT_EQ(file.stageCopy(root.path(), 0644).error(), "\"" + root.path().string() + "\" is not a regular file");
    EXPECT_EQ(file.stageCopy(root.path() / "missing", 0644).error(),
              "Cannot read \"" + (root.path() / "missing").string() + "\": No such file or directory");
    EXPECT_EQ(Foundation::AtomicFile::write(root.path() / "no" / "file", "x", 0644).error(),
              "Cannot create a file beside \"" + (root.path() / "no" / "file").string()
                  + "\": No such file or directory");
    EXPECT_EQ(std::distance(fs::directory_iterator(root.path()), fs::directory_iterator()), 0);
}
