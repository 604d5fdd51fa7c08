#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/Posix.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <thread>
#include <unistd.h>

using namespace Foundation;

TEST(Posix, WriteAllAndReadAllCarryMoreThanAPipeHoldsAtOnce)
{
    FileDescriptor ends[2];
    ASSERT_TRUE(FileDescriptor::openPipe(ends));
    const std::string text(300000, 'x');
    std::thread writer([&, fd = std::move(ends[1])]() mutable {
        EXPECT_TRUE(writeAll(fd.get(), text));
        fd.reset();
    });
    const auto read = readAll(ends[0].get());
    writer.join();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->size(), text.size());
}

TEST(Posix, FailuresKeepErrnoAndSayWhy)
{
    const auto written = writeAll(-1, "x");
    EXPECT_EQ(errno, EBADF);
    EXPECT_EQ(written.error(), errnoText(EBADF));
    EXPECT_EQ(errnoText(ENOENT), "No such file or directory");
    EXPECT_FALSE(readAll(-1));
    EXPECT_FALSE(unixAddress(""));
    EXPECT_FALSE(unixAddress(std::string(sizeof(sockaddr_un::sun_path), 'a')));
    const auto address = unixAddress("/tmp/s");
    ASSERT_TRUE(address);
    EXPECT_STREQ(address->sun_path, "/tmp/s");
}

TEST(Posix, TheOwnerClosesItsDescriptorOnceAndHandsItOver)
{
    int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    {
        FileDescriptor owner(fd);
        FileDescriptor moved(std::move(owner));
        EXPECT_FALSE(owner.valid());
        EXPECT_EQ(moved.get(), fd);
    }
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1) << "closed when the owner went";
    int other = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    FileDescriptor kept(other);
    EXPECT_EQ(kept.release(), other);
    EXPECT_NE(::fcntl(other, F_GETFD), -1);
    closeAndReset(other);
    EXPECT_EQ(other, -1);
}
