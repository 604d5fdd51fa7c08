#include "Platform/Foundation/AtomicFile.h"

#include "tests/Support/TempRoot.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

using Foundation::AtomicFile;

// Callers word their own line from the cause (the defaults suite says "cannot write …: <cause>").
TEST(AtomicFile, AFailedStageTellsTheErrnoOfTheStepThatFailed)
{
    TempRoot root;
    AtomicFile missingFolder(root.path() / "missing" / "file");
    EXPECT_FALSE(missingFolder.stage("x", 0600));
    EXPECT_EQ(missingFolder.failedErrno(), ENOENT);

    std::ofstream(root.path() / "plain") << "not a folder";
    AtomicFile underAFile(root.path() / "plain" / "file");
    EXPECT_FALSE(underAFile.stage("x", 0600));
    EXPECT_EQ(underAFile.failedErrno(), ENOTDIR);

    AtomicFile fine(root.path() / "file");
    ASSERT_TRUE(fine.stage("x", 0600));
    ASSERT_TRUE(fine.commit());
    EXPECT_EQ(fine.failedErrno(), 0);
}
