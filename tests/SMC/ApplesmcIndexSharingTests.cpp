// Two processes reading through one applesmc tree at once: the driver has a single key index, which
// only root processes move, one at a time under the shared lock.

#include "Classes/Sensors/SMC.h"
#include "Platform/SMC/ApplesmcTransport.h"
#include "tests/SMC/SimMachine.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/SMC/FakeApplesmcTree.h"
#include "tests/Support/SMC/SharedIndexApplesmcTree.h"
#include "tests/Support/TempRoot.h"

#include <atomic>
#include <new>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

using Aerlo::SMC;

namespace {

constexpr int readsPerProcess = 10'000;

// What the two processes report, in memory they share.
struct Tally {
    std::atomic<int> ready {0};
    std::atomic<int> wrong {0};
    std::atomic<long> childIndexMoves {0};
};

// One of the two readers: `key` through a transport that is privileged or not.
struct Reader {
    const char* key;
    bool privileged;
};

class ApplesmcIndexSharing : public ::testing::Test {
protected:
    void SetUp() override
    {
        void* memory = ::mmap(nullptr, sizeof(Tally), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        ASSERT_NE(memory, MAP_FAILED);
        tally_ = new (memory) Tally;
    }
    void TearDown() override { ::munmap(tally_, sizeof(Tally)); }

    std::shared_ptr<IOKit::ApplesmcTransport> transport(const Reader& reader) const
    {
        return std::make_shared<IOKit::ApplesmcTransport>(
            tree_, reader.privileged, IOKit::ApplesmcTransport::Driver::applesmc, root_.path() / "index.lock");
    }

    // Both readers at once, each in its own process; the wrong values (absent ones among them) of both.
    int wrongReads(const Reader& parent, const Reader& child)
    {
        // What each reads when it is alone.
        const auto parentValue = SMC(IOKit::ServiceRegistry::withSMC(transport(parent))).getValue(parent.key);
        const auto childValue = SMC(IOKit::ServiceRegistry::withSMC(transport(child))).getValue(child.key);
        EXPECT_TRUE(parentValue && childValue && *parentValue != *childValue);
        const auto read = [this](const Reader& reader, std::optional<double> expected) {
            SMC smc(IOKit::ServiceRegistry::withSMC(transport(reader)));
            smc.getValue(reader.key); // the transport loads before the race
            ++tally_->ready;
            while (tally_->ready < 2) {}
            for (int count = 0; count < readsPerProcess; ++count)
                if (smc.getValue(reader.key) != expected)
                    ++tally_->wrong;
        };
        ConsoleCapture console;
        const pid_t pid = ::fork();
        if (pid == 0) {
            const auto moves = tree_->indexMoves();
            read(child, childValue);
            tally_->childIndexMoves = static_cast<long>(tree_->indexMoves() - moves);
            ::_exit(0);
        }
        read(parent, parentValue);
        int status = 0;
        EXPECT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        return tally_->wrong;
    }

    TempRoot root_;
    std::shared_ptr<SMCSim::SharedIndexApplesmcTree> tree_ = std::make_shared<SMCSim::SharedIndexApplesmcTree>(
        std::make_shared<SMCSim::FakeApplesmcTree>(loadProfile("mbp-intel-2fan")));
    Tally* tally_ = nullptr;
};

} // namespace

TEST_F(ApplesmcIndexSharing, TwoRootProcessesTakeTurnsWithTheIndex)
{
    EXPECT_EQ(wrongReads({"TC0P", true}, {"F0Mx", true}), 0);
}

TEST_F(ApplesmcIndexSharing, AUserProcessReadsTheNamedFilesEvenWhereTheIndexIsWritable)
{
    EXPECT_EQ(wrongReads({"TC0P", true}, {"F0Mx", false}), 0);
    EXPECT_EQ(tally_->childIndexMoves, 0);
}
